#include "KomentNapojeni.h"

#include "KomentTools.h"
#include "NacteniZavodu.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Paths.h"

#include <system_error>

namespace Koment {

TKomentator::TKomentator() : zdroje_(napojeni_) {
    napojeni_.VlozMezicas = [this](const TMezicasRec& rec, bool save) {
        zavod_.VlozMezicas(rec, save);
    };
    napojeni_.VyprazdniMezicasy = [this] {
        // The own copy is read back next: what is gathered for it goes to the file first.
        zavod_.ZapisVystup();
        zavod_.SeznamMezicasu.Vycisti();
        // Room for every line of the copy at once (a line has some 36 bytes): a list grown as
        // it fills asks the system for twice the memory and copies itself at every step.
        std::error_code ec;
        const auto size = std::filesystem::file_size(MezE(), ec);
        if (!ec) {
            zavod_.SeznamMezicasu.Rezervuj(static_cast<size_t>(size / 32));
        }
    };
    napojeni_.PrekreslitInfoAll = [this] { prekreslit_ = true; };
    napojeni_.NactiZavod = [this] { NactiZavod(); };
    napojeni_.NastavZpravu = [this](const std::string& text) { Zprava(text); };
    napojeni_.RaceDataKomPath = [this] { return std::filesystem::path(Slozka()); };
    napojeni_.StageText = [] { return Tools::StageText(); };
    napojeni_.Parser.DruhZavodu = [] { return Nastaveni.DruhZavodu; };
    napojeni_.Parser.PocetUsekuStafety = [this](int32_t startCislo, int32_t usek,
                                                std::string_view cas) -> int32_t {
        const auto t = CasZRetezce(cas);
        if (!t) {
            return 0;
        }
        const Mezicasy::TZavodnik* z = zavod_.NajdiStafetu(startCislo, usek, *t);
        return z != nullptr && z->Kategorie != nullptr ? z->Kategorie->PocetUseku : 0;
    };
}

void TKomentator::Napoj(Mezicasy::IStavovyRadek* stav, Mezicasy::IMrizkaUdalosti* mrizka,
                        Mezicasy::IKategIni* kategIni) {
    stav_ = stav;
    kategIni_ = kategIni;
    zavod_.Napoj(stav, mrizka);
}

void TKomentator::NastavSlozku(const std::string& folder) {
    slozka_ = folder.empty() ? std::string() : platform::WithTrailingSlash(folder);
    zavod_.SlozkaKopii = slozka_;
}

std::string TKomentator::Slozka() const {
    return slozka_.empty() ? SI_Typ::RaceDataKomPath() : slozka_;
}

std::string TKomentator::MezE() const {
    // Spelled as the race model spells it, so that its gathered lines are found by name.
    return Slozka() + "MezE" + Tools::StageText() + ".dat";
}

void TKomentator::Zprava(const std::string& text) {
    if (stav_ != nullptr) {
        stav_->NastavZpravu(text);
    }
}

void TKomentator::ReadSettings(platform::IniFile& ini) {
    zdroje_.ReadSettings(ini);
}

void TKomentator::WriteSettings(platform::IniFile& ini) {
    zdroje_.WriteSettings(ini);
}

void TKomentator::PollSources200ms() {
    zdroje_.PollPunches();
    zdroje_.HlidejZavodniky();
}

bool TKomentator::ZavodNacten() {
    // Without a competitor source there is no load to wait for.
    return !zdroje_.Zavodnici().Enabled || nacteny_ == std::pair{SI_Typ::Zavod, SI_Typ::Etapa};
}

void TKomentator::ProcessPunches1s() {
    if (!ZavodNacten()) {
        // Matched against another race's competitors, a punch would take a wrong split or an
        // unknown chip, and its info-board line would be spent: it waits for the load. Its
        // copies are written meanwhile.
        zavod_.ZapisVystup();
        return;
    }
    zavod_.ZpracujMezicas();
}

void TKomentator::PollCompetitors() {
    zdroje_.PollCompetitors();
}

void TKomentator::ReloadCompetitors() {
    zdroje_.Zavodnici().NactiData();
}

void TKomentator::ReplayLocalCopy() {
    zdroje_.ReplayLocalCopy();
}

void TKomentator::NactiZavod() {
    if (ZavodNacten()) {
        // What came before the reload is processed against the competitors it came for; its
        // copies and info-board lines are written before the own copy is read back.
        zavod_.ZpracujMezicas();
    } else {
        // Waiting punches are all in the own copy, which is read back after this load.
        zavod_.Nezpracovane.clear();
    }
    TVstupniSoubor& zdroj = zdroje_.Zavodnici();
    const NacteniZavodu::TNacteni r = NacteniZavodu::NactiZavod(
        zavod_, zdroj.FileName, NacteniZavodu::LocalCopy(Slozka()), zdroj.Export,
        zdroj.DropCategories, kategIni_, napojeni_.NastavZpravu);
    if (r.Loaded) {
        pocetZavodniku_ = r.Zavodniku;
        nacteny_ = std::pair{SI_Typ::Zavod, SI_Typ::Etapa};
    }
}

void TKomentator::Reconstruct() {
    // Every source is read again from its start: lines still gathered for the own copy and
    // punches not yet processed come back with it.
    zavod_.Vystup.Zahod(MezE());
    zavod_.Nezpracovane.clear();
    zdroje_.Reconstruct();
}

bool TKomentator::TakePrekreslitInfoAll() {
    const bool r = prekreslit_;
    prekreslit_ = false;
    return r;
}

} // namespace Koment
