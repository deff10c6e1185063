#include "CisZavLogic.h"

#include "Dialogs.h"
#include "MainLogic.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;
using namespace SI_Typ;

namespace CisZav {

namespace {

// A whole number in the trimmed text, sign allowed; nothing for anything else.
std::optional<long long> CeleCislo(std::string_view text) {
    std::string_view t = Tools::Trim(text);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
        if (!t.empty() && t.front() == '-') {
            return std::nullopt;
        }
    }
    long long v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
        return std::nullopt;
    }
    return v;
}

std::optional<fs::path> RavlinInfSoubor(const std::string& folder) {
    if (Tools::Trim(folder).empty()) {
        return std::nullopt;
    }
    std::error_code ec;
    const fs::path dir = platform::ResolveNoCase(folder);
    if (!fs::is_directory(dir, ec)) {
        return std::nullopt;
    }
    auto file = platform::FindNoCase(dir, "Ravlin.inf");
    if (!file || !fs::is_regular_file(*file, ec)) {
        return std::nullopt;
    }
    return file;
}

constexpr const char* DisableSekce = "DisableCOM";

std::string ComKlic(int n) {
    return "COM" + std::to_string(n);
}

std::string TextCom(long long com) {
    return Tools::PadLeft(std::to_string(com), 2, ' ');
}

// Race numbers show with leading zeros, as everywhere in the program.
std::string TextZavod(long long zavod) {
    return zavod >= 0 ? Tools::PadLeft(std::to_string(zavod), 4, '0') : std::to_string(zavod);
}

} // namespace

std::optional<TZavodRavlin> CtiZavodRavlin(const std::string& folder) {
    const auto file = RavlinInfSoubor(folder);
    if (!file) {
        return std::nullopt;
    }
    platform::IniFile inf(*file);
    TZavodRavlin z;
    z.zavod = inf.ReadInteger("Ravlin", "Zavod", 0);
    z.etapa = inf.ReadInteger("Ravlin", "Etapa", 0);
    z.start00 = inf.ReadFloat("Ravlin", "Start00", 0);
    return z;
}

std::string TextStart00(double start00) {
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%5.2f", start00);
    std::string text(buf, n > 0 ? static_cast<size_t>(n) : 0);
    if (text.size() > 2 && text[2] == '.') {
        text[2] = ':';
    }
    return text;
}

std::optional<double> CtiStart00(std::string_view text) {
    std::string t(Tools::Trim(text));
    for (char& c : t) {
        if (c == ':') {
            c = '.';
        }
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) {
        return std::nullopt;
    }
    if (v < 0 || v >= 24) {
        return std::nullopt;
    }
    const double hodiny = std::floor(v);
    const long minuty = std::lround((v - hodiny) * 100);
    if (minuty > 59) {
        return std::nullopt;
    }
    return hodiny + static_cast<double>(minuty) / 100.0;
}

void TCisZavLogic::FormActivate() {
    pole = TPole{};
    // The chosen folder starts at the stored one, also while it does not exist (a drive not
    // yet connected): OK must not swap it for some other folder behind the user's back.
    pole.cestaRavlin = CestaRavlin;
    pole.podleRavlin = PodleRavlin == 1;
    ShowValues(Tools::RaceNumberText(), Tools::StageText(), Start00);
    pole.comProDisplay = TextCom(ComProDisplay);
    for (int n = 1; n <= PocetPortu; ++n) {
        const TSIPort* p = SI_Port::Porty[static_cast<size_t>(n)].get();
        int disable = 0;
        if (p != nullptr) {
            disable = p->DisableCOM;
        } else if (IniNastaveni) {
            disable =
                static_cast<int>(IniNastaveni->ReadInteger(DisableSekce, ComKlic(n), n >= 10));
        }
        pole.povolen[static_cast<size_t>(n)] = disable == 0;
    }
    CheckBoxRavlinClick(pole.podleRavlin);
}

void TCisZavLogic::ShowValues(const std::string& cisZav, const std::string& etapa, double start00) {
    pole.cisZav = cisZav;
    pole.etapa = etapa;
    pole.start00 = TextStart00(start00);
}

void TCisZavLogic::UkazRavlin() {
    // The file of the folder being chosen, not of the one stored: that is the one OK takes.
    if (const auto z = CtiZavodRavlin(pole.cestaRavlin)) {
        ShowValues(TextZavod(z->zavod), std::to_string(z->etapa), z->start00);
    }
}

void TCisZavLogic::CheckBoxRavlinClick(bool checked) {
    pole.podleRavlin = checked;
    if (checked) {
        UkazRavlin();
    }
}

void TCisZavLogic::ZvolSlozku(const std::string& folder) {
    pole.cestaRavlin = folder;
    if (pole.podleRavlin) {
        UkazRavlin();
    }
}

bool TCisZavLogic::BitBtnOkClick() {
    Dialogs::IMessages& msg = Dialogs::Messages();
    const bool souborNalezen = pole.podleRavlin && RavlinInfSoubor(pole.cestaRavlin).has_value();
    if (souborNalezen) {
        // What is checked and stored is what the file holds now.
        UkazRavlin();
    }
    bool ok = true;

    const auto zavod = CeleCislo(pole.cisZav);
    if (!zavod || *zavod < 1 || *zavod > 9999) {
        msg.Error("Musí být zadáno číslo závodu 1 - 9999");
        ok = false;
    }
    const auto etapa = CeleCislo(pole.etapa);
    if (!etapa || *etapa < 1 || *etapa > 10) {
        msg.Error("Etapa může být pouze 1-10");
        ok = false;
    }
    const auto com = CeleCislo(pole.comProDisplay);
    if (!com || *com < 0 || *com > PocetPortu) {
        msg.Error("COM pro display může být pouze 0-18");
        ok = false;
    } else if (*com > 0 && pole.povolen[static_cast<size_t>(*com)]) {
        msg.Error("Pokud je nastaven COM pro display, nemúže být tento port povolen pro SI ");
        ok = false;
    }
    const auto start00 = CtiStart00(pole.start00);
    if (!start00) {
        msg.Error("Chybně zadaný čas startu 00");
        ok = false;
    }
    if (pole.podleRavlin && !souborNalezen) {
        msg.Error("Informační soubor Ravlin.inf nebyl v adresáři " + pole.cestaRavlin + " nalezen");
        ok = false;
    }
    if (!ok) {
        return false;
    }
    Uloz(static_cast<int>(*zavod), static_cast<int>(*etapa), static_cast<int>(*com), *start00);
    return true;
}

void TCisZavLogic::Uloz(int zavod, int etapa, int comProDisplay, double start00) {
    platform::IniFile none{fs::path{}};
    platform::IniFile& ini = IniNastaveni ? *IniNastaveni : none;
    const char* sekce = QZ_SI::Sekce;

    // The values take effect whatever happens to the file; one that is not stored would be
    // gone at the next start, so the user is told.
    bool ulozeno = true;
    auto zapsano = [&ulozeno](bool ok) { ulozeno = ok && ulozeno; };
    Zavod = static_cast<uint16_t>(zavod);
    zapsano(ini.WriteInteger(sekce, "Zavod", Zavod));
    Etapa = static_cast<uint16_t>(etapa);
    zapsano(ini.WriteInteger(sekce, "Etapa", Etapa));
    ComProDisplay = comProDisplay;
    zapsano(ini.WriteInteger(sekce, "ComProDisplay", ComProDisplay));
    Start00 = start00;
    zapsano(ini.WriteFloat(sekce, "Start00", Start00));
    CestaRavlin = pole.cestaRavlin;
    zapsano(ini.WriteString(sekce, "CestaRavlin", CestaRavlin));
    PodleRavlin = pole.podleRavlin ? 1 : 0;
    zapsano(ini.WriteInteger(sekce, "PodleRavlin", PodleRavlin));
    if (PodleRavlin == 1) {
        // The race name and the display language come from the folder just chosen.
        ReadRavlinInf();
    }

    // Output folders follow the results program's folder while PodleRavlin is on.
    for (int n = 1; n <= PocetPortu; ++n) {
        if (TSIPort* p = SI_Port::Porty[static_cast<size_t>(n)].get()) {
            p->UpdateCaption();
        }
    }
    for (int n = 1; n <= PocetPortu; ++n) {
        const int disable = pole.povolen[static_cast<size_t>(n)] ? 0 : 1;
        if (TSIPort* p = SI_Port::Porty[static_cast<size_t>(n)].get()) {
            p->DisableCOM = disable;
        }
        zapsano(ini.WriteInteger(DisableSekce, ComKlic(n), disable));
    }
    if (!ulozeno) {
        Dialogs::Messages().Error(
            LangText("Nastavení se nepodařilo uložit: ", "The settings could not be stored: ") +
            ini.LastError());
    }
}

} // namespace CisZav
