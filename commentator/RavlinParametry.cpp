#include "RavlinParametry.h"

#include "KomentHlavni.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <filesystem>

namespace RavlinParametry {

namespace {

using Koment::RavlinNastaveni;

constexpr std::string_view Sekce = "Ravlin";
constexpr size_t kMaxVelikost = 1 << 20; // a settings file, never more

std::string Trimmed(const std::string& s) {
    return std::string(Tools::Trim(s));
}

std::string Oddelovac(const std::string& base) {
    return base.find('\\') != std::string::npos ? "\\" : "/";
}

std::string Zaklad() {
    std::string base = Trimmed(RavlinNastaveni.PathRavlin);
    if (!base.empty() && base.back() != '\\' && base.back() != '/') {
        base += Oddelovac(base);
    }
    return base;
}

void NactiSekci(platform::IniFile& ini, Koment::TRavlinNastaveni& r) {
    r.PodleRavlin = ini.ReadBool(Sekce, "PodleRavlin", false);
    r.PathRavlin = ini.ReadString(Sekce, "PathRavlin", "");
    r.auto_Zavod = ini.ReadBool(Sekce, "auto_Zavod", true);
    r.auto_DataZav = ini.ReadBool(Sekce, "auto_DataZav", true);
    r.auto_Racom = ini.ReadBool(Sekce, "auto_Racom", true);
    r.auto_QZPort1 = ini.ReadBool(Sekce, "auto_QZPort1", true);
    r.auto_AlgeStart = ini.ReadBool(Sekce, "auto_AlgeStart", true);
    r.auto_AlgeCilPrimo = ini.ReadBool(Sekce, "auto_AlgeCilPrimo", true);
    r.auto_AlgeCilRucne = ini.ReadBool(Sekce, "auto_AlgeCilRucne", true);
}

int32_t Cislo(platform::IniFile& inf, std::string_view key) {
    return static_cast<int32_t>(inf.ReadInteger("Hlasvel", key, 0));
}

// Hlasvel.inf's keys over the record (a missing key takes its default).
void NactiInf(platform::IniFile& inf, Koment::TRavlinNastaveni& r) {
    constexpr std::string_view s = "Hlasvel";
    r.Rok = platform::Utf8Left(inf.ReadString(s, "Rok", ""), 4);
    r.Zavod = static_cast<uint16_t>(Cislo(inf, "Zavod"));
    r.Etapa = static_cast<uint16_t>(Cislo(inf, "Etapa"));
    r.Start00 = KomentHlavni::PrevedStart00(inf.ReadString(s, "Start00", "0"));
    r.Nazev = inf.ReadString(s, "Nazev", "");
    r.Date = platform::Utf8Left(inf.ReadString(s, "Date", ""), 10);
    r.Time = platform::Utf8Left(inf.ReadString(s, "Time", ""), 8);
    r.DruhZav = Cislo(inf, "DruhZav");
    r.Desetiny = Cislo(inf, "Desetiny");
    r.Sberka = Cislo(inf, "Sberka");
    r.vlKom_Racom = Cislo(inf, "vlKom_Racom");
    r.Koment_Path_Racom = inf.ReadString(s, "Koment_Path_Racom", "");
    r.vlKom_QZPort1 = Cislo(inf, "vlKom_QZPort1");
    r.vlKom_AlgeStart = Cislo(inf, "vlKom_AlgeStart");
    r.Koment_Path_AlgeStart = inf.ReadString(s, "Koment_Path_AlgeStart", "");
    r.vlKom_AlgeCilPrimo = Cislo(inf, "vlKom_AlgeCilPrimo");
    r.Koment_Path_AlgeCilPrimo = inf.ReadString(s, "Koment_Path_AlgeCilPrimo", "");
    r.vlKom_AlgeCilRucne = Cislo(inf, "vlKom_AlgeCilRucne");
    r.Koment_Path_AlgeCilRucne = inf.ReadString(s, "Koment_Path_AlgeCilRucne", "");
}

// The file's bytes, read twice: a file the results program is still writing differs between
// the two reads. Empty with the reason when it cannot be taken.
TCteni& Cteni() {
    static TCteni cteni;
    return cteni;
}

bool Precti(const std::filesystem::path& file, std::string& bytes, std::string* error) {
    return Cteni() ? Cteni()(file, bytes, error)
                   : platform::ReadWholeFile(file, bytes, error, kMaxVelikost);
}

bool PrectiCele(const std::filesystem::path& file, std::string& bytes, std::string& why) {
    std::string again;
    std::string error;
    if (!Precti(file, bytes, &error) || !Precti(file, again, &error)) {
        why =
            SI_Typ::LangText("Hlasvel.inf nelze přečíst: ", "Hlasvel.inf cannot be read: ") + error;
        return false;
    }
    if (bytes != again) {
        why = SI_Typ::LangText("Hlasvel.inf se právě zapisuje, načte se příště",
                               "Hlasvel.inf is being written, read next time");
        return false;
    }
    return true;
}

// How the file looked at the previous call, and the keys of the file taken last. The keys are
// kept in the settings too: the first file of a run may be caught half-written as well.
platform::StableFileCheck g_klid;
platform::KeptKeys g_klice;
constexpr std::string_view kSekceKlicu = "Ravlin";
constexpr std::string_view kKliceInf = "KliceInf";

void NactiKlice(platform::IniFile& ini) {
    if (!g_klice.Keys().empty()) {
        return;
    }
    std::vector<std::string> keys;
    const std::string text = ini.ReadString(kSekceKlicu, kKliceInf, "");
    for (size_t from = 0; from < text.size();) {
        const size_t comma = std::min(text.find(',', from), text.size());
        if (comma > from) {
            keys.push_back(text.substr(from, comma - from));
        }
        from = comma + 1;
    }
    g_klice.Remember(std::move(keys));
}

void UlozKlice(platform::IniFile& ini, std::vector<std::string> keys) {
    std::string text;
    for (const std::string& key : keys) {
        text += (text.empty() ? "" : ",") + key;
    }
    if (ini.ReadString(kSekceKlicu, kKliceInf, "") != text) {
        (void)ini.WriteString(kSekceKlicu, kKliceInf, text);
    }
    g_klice.Remember(std::move(keys));
}

bool MaKliceMinule(platform::IniFile& inf, std::string& why) {
    const std::string chybi = g_klice.Missing(inf.ReadSection("Hlasvel"));
    if (chybi.empty()) {
        return true;
    }
    why =
        SI_Typ::LangText("Hlasvel.inf je neúplný, chybí:", "Hlasvel.inf is incomplete, missing:") +
        chybi;
    return false;
}

bool JeCely(platform::IniFile& inf, std::string& why) {
    const int64_t race = inf.ReadInteger("Hlasvel", "Zavod", 0);
    const int64_t stage = inf.ReadInteger("Hlasvel", "Etapa", 0);
    if (inf.SectionExists("Hlasvel") && race >= 1 && race <= 9999 && stage >= 1 && stage <= 65535) {
        return true;
    }
    why = SI_Typ::LangText("Hlasvel.inf je neúplný (sekce Hlasvel, Zavod 1..9999, Etapa od 1)",
                           "Hlasvel.inf is incomplete (section Hlasvel, Zavod 1..9999, Etapa 1+)");
    return false;
}

struct TPrepinanyZdroj {
    bool Koment::TRavlinNastaveni::*prepinac;
    int32_t Koment::TRavlinNastaveni::*hodnota;
    std::string cesta;
    size_t zdroj; // 0-based array entry
    const char* text;
};

} // namespace

void Zapomen() {
    g_klid = platform::StableFileCheck();
    g_klice.Forget();
}

void NastavCteni(TCteni cteni) {
    Cteni() = std::move(cteni);
}

std::string SlozkaKoment() {
    const std::string base = Zaklad();
    const std::string sep = Oddelovac(base);
    return base + "Z" + Tools::PadLeft(std::to_string(RavlinNastaveni.Zavod), 4, '0') + sep +
           "Koment" + sep;
}

std::string CsvRavlin(int kind) {
    if (kind != 1 && kind != 2) {
        return {};
    }
    const std::string base = Zaklad();
    const std::string sep = Oddelovac(base);
    const std::string race = Tools::RaceNumberText();
    return base + "Z" + race + sep + "KOMENT" + sep + (kind == 1 ? "Cil" : "Dis") + race +
           Tools::StageText() + ".csv";
}

bool NactiParametryRavlin(TKontext& k) {
    Koment::TRavlinNastaveni& r = RavlinNastaveni;
    Koment::TNastaveni& n = Koment::Nastaveni;
    const bool bylNacten = r.InfNacten;
    bool raceChanged = false;
    bool sourcesChanged = false;
    std::string changes;
    r.InfNacten = false;

    NactiSekci(k.Ini, r);
    if (!r.PodleRavlin || Tools::Trim(r.PathRavlin).empty()) {
        return false; // with no folder, "/Hlasvel.inf" would be read
    }
    const Koment::TRavlinNastaveni old = r;

    const auto file =
        platform::FindNoCase(platform::FromWindowsPath(Trimmed(r.PathRavlin)), "Hlasvel.inf");
    if (!file) {
        return false;
    }
    if (!g_klid.IsStable(*file)) {
        r.InfNacten = bylNacten; // a file being rewritten changes nothing, not even the caption
        if (k.ZnovuBrzy) {
            k.ZnovuBrzy();
        }
        return false;
    }
    std::string bytes;
    std::string why;
    platform::IniFile inf{std::filesystem::path()};
    if (PrectiCele(*file, bytes, why)) {
        inf.SetContent(bytes);
    }
    NactiKlice(k.Ini);
    if (!why.empty() || !JeCely(inf, why) || !MaKliceMinule(inf, why)) {
        r.InfNacten = bylNacten;
        k.NastavZpravu(why);
        return false;
    }
    UlozKlice(k.Ini, inf.ReadSection("Hlasvel"));
    NactiInf(inf, r);
    r.InfNacten = true;

    if (r.Date != old.Date || r.Time != old.Time) {
        raceChanged = r.PathRavlin != old.PathRavlin || r.Rok != old.Rok || r.Zavod != old.Zavod ||
                      r.Etapa != old.Etapa || r.Start00 != old.Start00 ||
                      r.DruhZav != old.DruhZav || r.Desetiny != old.Desetiny;
    }

    constexpr std::string_view mez = "fQZ_Mez";
    bool relayout = false;
    if (r.auto_Zavod) {
        if (r.Start00 != n.Start00) {
            n.Start00 = r.Start00;
            k.Ini.WriteFloat(mez, "Start00", n.Start00);
            raceChanged = true;
            changes += " Start00";
        }
        if (r.Zavod != SI_Typ::Zavod) {
            SI_Typ::Zavod = r.Zavod;
            k.Ini.WriteInteger(mez, "Zavod", SI_Typ::Zavod);
            raceChanged = true;
            KomentHlavni::VytvorSlozkuZavodu();
            changes += " Zavod";
            k.Zdroje.Zavodnici().DropCategories = true;
        }
        if (r.Etapa != SI_Typ::Etapa) {
            SI_Typ::Etapa = r.Etapa;
            k.Ini.WriteInteger(mez, "Etapa", SI_Typ::Etapa);
            raceChanged = true;
            KomentHlavni::VytvorSlozkuZavodu();
            changes += " Etapa";
            k.Zdroje.Zavodnici().DropCategories = true;
        }
        if (r.DruhZav != n.DruhZavodu) {
            n.DruhZavodu = r.DruhZav;
            k.Ini.WriteInteger(mez, "DruhZavodu", n.DruhZavodu);
            raceChanged = true;
            KomentHlavni::VytvorSlozkuZavodu();
            changes += " DruhZav";
            k.Zdroje.Zavodnici().DropCategories = true;
            relayout = true;
        }
        if ((r.Desetiny > 0) != n.Desetiny) {
            n.Desetiny = r.Desetiny > 0;
            k.Ini.WriteBool(mez, "Desetiny", n.Desetiny);
            raceChanged = true;
            KomentHlavni::VytvorSlozkuZavodu();
            changes += " Desetiny";
            k.Zdroje.Zavodnici().DropCategories = true;
            relayout = true;
        }
        if (r.Sberka != n.CisloSberky) {
            n.CisloSberky = r.Sberka;
            k.Ini.WriteInteger(mez, "CisloSberky", n.CisloSberky);
            changes += " Sberka";
        }
    }
    if (relayout && k.Rozvrhni) {
        k.Rozvrhni();
    }

    if (r.auto_DataZav) {
        TVstupniSoubor& zavodnici = k.Zdroje.Zavodnici();
        const std::string folder = SlozkaKoment();
        if (folder != zavodnici.FileName) {
            zavodnici.FileName = folder;
            raceChanged = true;
            changes += " AdrRavlin";
            zavodnici.Enabled = true;
            zavodnici.WriteSettings(k.Ini);
        }
        zavodnici.Enabled = true;
        TVstupniSoubor& dis = k.Zdroje[3];
        const std::string file2 = CsvRavlin(2);
        if (file2 != dis.FileName) {
            dis.FileName = file2;
            sourcesChanged = true;
            dis.Enabled = true;
            dis.WriteSettings(k.Ini);
            changes += " DisRavlin";
        }
        dis.Enabled = true;
    }

    const TPrepinanyZdroj prepinane[] = {
        {&Koment::TRavlinNastaveni::auto_Racom, &Koment::TRavlinNastaveni::vlKom_Racom,
         Trimmed(r.Koment_Path_Racom), 4, " Racom"},
        {&Koment::TRavlinNastaveni::auto_QZPort1, &Koment::TRavlinNastaveni::vlKom_QZPort1,
         CsvRavlin(1), 2, " CilRavlin"},
        {&Koment::TRavlinNastaveni::auto_AlgeStart, &Koment::TRavlinNastaveni::vlKom_AlgeStart,
         Trimmed(r.Koment_Path_AlgeStart), 7, " AlgeStart"},
        {&Koment::TRavlinNastaveni::auto_AlgeCilPrimo,
         &Koment::TRavlinNastaveni::vlKom_AlgeCilPrimo, Trimmed(r.Koment_Path_AlgeCilPrimo), 5,
         " AlgeCilP"},
    };
    for (const TPrepinanyZdroj& p : prepinane) {
        if (!(r.*p.prepinac)) {
            continue;
        }
        TVstupniSoubor& z = k.Zdroje[p.zdroj];
        const int32_t v = r.*p.hodnota;
        if (v == 1 && p.cesta != z.FileName) {
            z.FileName = p.cesta;
            z.Enabled = true;
        } else if (v == 0 && (!z.FileName.empty() || z.Enabled)) {
            z.FileName.clear();
            z.Enabled = false;
        } else {
            continue;
        }
        sourcesChanged = true;
        z.WriteSettings(k.Ini);
        changes += p.text;
    }

    const std::string rucne = Trimmed(r.Koment_Path_AlgeCilRucne);
    TVstupniSoubor& slozka = k.Zdroje[6];
    if (r.vlKom_AlgeCilRucne == 1 && r.auto_AlgeCilRucne && !rucne.empty() &&
        rucne != slozka.FileName) {
        slozka.FileName = rucne;
        slozka.Enabled = true;
        sourcesChanged = true;
        changes += " AlgeCilR";
    }

    if (sourcesChanged && k.Reconstruct) {
        k.Reconstruct();
    }
    if (raceChanged) {
        if (k.ZmenaZavodu) {
            k.ZmenaZavodu(true);
        }
        if (k.Rozvrhni) {
            k.Rozvrhni();
        }
    }
    if (!changes.empty()) {
        k.NastavZpravu(changes);
    }
    return raceChanged;
}

} // namespace RavlinParametry
