#include "MNastavLogic.h"

#include "KomentTools.h"
#include "SI_Typ.h"
#include "Tools.h"

#include <charconv>
#include <cmath>
#include <filesystem>

namespace MNastav {

namespace fs = std::filesystem;
using SI_Typ::LangText;

namespace {

std::string_view TrimBlank(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

// The field's text without its blanks as a decimal integer; nothing when empty or unreadable.
std::optional<int64_t> Cislo(std::string_view text) {
    const std::string_view t = TrimBlank(text);
    int64_t v = 0;
    const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || ptr != t.data() + t.size()) {
        return std::nullopt;
    }
    return v;
}

bool Digits(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (const char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// Take-over switch of each row, in row order: competitor source, entries 2..8.
bool Koment::TRavlinNastaveni::*const Prepinace[PocetRadku] = {
    &Koment::TRavlinNastaveni::auto_DataZav,      nullptr,
    &Koment::TRavlinNastaveni::auto_QZPort1,      &Koment::TRavlinNastaveni::auto_DataZav,
    &Koment::TRavlinNastaveni::auto_Racom,        &Koment::TRavlinNastaveni::auto_AlgeCilPrimo,
    &Koment::TRavlinNastaveni::auto_AlgeCilRucne, &Koment::TRavlinNastaveni::auto_AlgeStart,
};

} // namespace

std::string TextStart00(double start00) {
    const auto setiny = static_cast<int64_t>(std::llround(start00 * 100));
    std::string hours = std::to_string(setiny / 100);
    if (hours.size() < 2) {
        hours.insert(0, 2 - hours.size(), ' ');
    }
    return hours + ":" + Tools::PadLeft(std::to_string(setiny % 100), 2, '0');
}

std::optional<double> CtiStart00(std::string_view text) {
    // "hh:mm": a blank may stand before the hours, nowhere else.
    if (text.size() < 5 || !TrimBlank(text.substr(5)).empty()) {
        return std::nullopt;
    }
    std::string_view hh = text.substr(0, 2);
    while (!hh.empty() && hh.front() == ' ') {
        hh.remove_prefix(1);
    }
    const std::string_view mm = text.substr(3, 2);
    if (!Digits(hh) || !Digits(mm)) {
        return std::nullopt;
    }
    const int h = std::stoi(std::string(hh));
    const int m = std::stoi(std::string(mm));
    if (h > 23 || m > 59) {
        return std::nullopt;
    }
    return (h * 100 + m) / 100.0; // the nearest double to hh.mm, so it is written as typed
}

std::string Titulek() {
    return "Nastavení";
}

std::vector<std::string> DruhyZavodu() {
    return {LangText("Závod jednotlivců", "Individual race"),
            LangText("Etapový - handicap", "Handicap race"),
            LangText("Závod \\štafet", "Relay race")};
}

std::vector<TPopisek> Popisky() {
    std::vector<TPopisek> p = {
        {"lblCisZav", LangText("Číslo závodu", "Number of race"),
         LangText("Pro načtení dat je zde třeba mít stejné číslo závodu jako v programu Ravlin",
                  "There must be the same number as in program Ravlin")},
        {"LblEtapa", LangText("Etapa", "Etap"),
         LangText("Pro načtení dat je zde třeba mít stejné číslo etapy jako v programu Ravlin",
                  "There must be the same number of etap as in program Ravlin")},
        {"lblStart00", "Start 00",
         LangText("Zadej start 00, je třeba pro správný výpočet mezičasů",
                  "Start 00 - it is necessary for result computing")},
        {"LabelMaxPoradi",
         LangText("V hlavním okně zobrazovat závodníky jen do místa",
                  "In main window will be competitors to place"),
         LangText("V hlavním okně budou zobrazovány jen ti závodníci, kteří se na mezičase "
                  "umístí do tohoto místa",
                  "In main window will be only competitors to this place")},
        {"labelMaxVHlavnimOkne",
         LangText("Maximální zobrazovaný počet závodníků v hlavním okně",
                  "Maximum rows in main window"),
         LangText("Maximální počet řádků v hlavním okně - má vliv na rychlost překreslování",
                  "Maximum rows in main window")},
        {"labelIntervalNacitani", LangText("Interval načítání dat (vteřin)", "Interval of refresh"),
         LangText("Interval, ve kterém se bude automaticky provádět načítání dat z Ravlin",
                  "Interval refresh data from program Ravlin")},
        {"CheckDesetiny", LangText("Výsledky včetně desetin", "Results include tenths"),
         LangText("Zaškrtni, pokud chceš časy zobrazovat s přesností na desetiny vteřiny",
                  "Check if you can see time include tenths")},
        {"LabelCisloStartu",
         LangText("Čísla startovních SI stanic", "Numbers of start SI stations"),
         LangText("Čísla startovních SI stanic (pro ALGE branky nemá význam)",
                  "Numbers of start SI stations (not for ALGE gates)")},
        {"CheckBoxBranka", LangText("Startovní branky SPORTIDENT", "Start gate SPORTIDENT"),
         LangText("Zaškrtni v případě, že se používají startovací branky typu SPORTIDENT",
                  "Check if use start gates SPORTIDENT")},
        {"LabelCisloSberky", LangText("Číslo poslední kontroly", "Number of last control"),
         LangText("Číslo poslední kontroly", "Number of last control")},
        {"LabelIntervalDivak",
         LangText("Interval pro zobrazení kategorií", "Interval for category window"),
         LangText("Počet vteřin pro automatické zobrazování kategorií (0=nezobrazovat)",
                  "Number of seconds for automatic change category window (0=no window)")},
        {"labelPocetRadDivak",
         LangText("Počet oken pro zobrazení kategorií - řad", "Nubmer of category window - rows"),
         LangText("Počet oken pro automatické zobrazování výsledků kategorií - řad",
                  "Number of windows for automatic results - rows")},
        {"LabelPocetSloupcuDivak", LangText("X sloupců", "X columns"),
         LangText("Počet oken pro automatické zobrazování výsledků kategorií - sloupců",
                  "Number of windows for automatic results - columns")},
        {"ComboDruhZavodu", "", LangText("Druh závodu", "Type of competition")},
        {"checkFile1", "Ravlin - data závodníků",
         "Cesta pro import dat z Ravlin (shodná s parametrem v Ravlin - Export do Hlasvel)"},
        {"checkFile2", "data ORO nebo QZport  - 1", ""},
        {"checkFile3", "data ORO nebo QZport  - 2", ""},
        {"checkFile4", "data ORO nebo QZport  - 3", ""},
        {"CheckRACOM", "RACOM",
         LangText("Zaškrtni, pokud se data mají načítat z SI Serveru RACOM",
                  "Check id data will be read from RACOM SI server")},
        {"CheckAlgeF", LangText("ALGE cíl - přímo", "ALGE finish - direct"),
         LangText("Soubor cílové fotobuňky ALGE - přímo : 1 soubor (vše mimo Q sprint)",
                  "ALGE finish file - 1 file")},
        {"CheckAlgeFRucne", LangText("ALGE cíl - ručně", "ALGE finish - handy"),
         LangText("Soubor cílové fotobuňky ALGE - ručně : cesta k souborům, po zpracování se "
                  "přejmenuje (Q sprint)",
                  "ALGE finish file - handy, more files")},
        {"CheckAlgeStart", "ALGE start",
         LangText("Soubor startovacích branek ALGE", "ALGE start file")},
        {"BitBtnOk", LangText("OK", "Save"), LangText("Uloží se nastavené hodnoty", "Save")},
        {"BitBtnCancel", LangText("Zpět", "Don't save"),
         LangText("Nově zadané hodnoty se NEULOŽÍ", "Don't save")},
    };
    for (const char* b : {"btnVyberSouborFile1", "btnVyberSouborAlgeFRucne"}) {
        p.push_back({b, LangText("Vyber CESTU", "Select PATH"), ""});
    }
    for (const char* b :
         {"btnVyberSouborFile2", "btnVyberSouborFile3", "btnVyberSouborFile4",
          "btnVyberSouborRacom", "btnVyberSouborAlgeF", "btnVyberSouborAlgeStart"}) {
        p.push_back({b, LangText("Vyber soubor", "Select file"), ""});
    }
    // Each edit shows the hint of its label.
    const std::pair<const char*, const char*> edits[] = {
        {"txtCisloZavodu", "lblCisZav"},
        {"txtEtapa", "LblEtapa"},
        {"txtStart00", "lblStart00"},
        {"MaxPoradi", "LabelMaxPoradi"},
        {"txtMaxVHlavnimOkne", "labelMaxVHlavnimOkne"},
        {"txtIntervalNacitani", "labelIntervalNacitani"},
        {"txtCisloStartu1", "LabelCisloStartu"},
        {"txtCisloStartu2", "LabelCisloStartu"},
        {"txtCisloStartu3", "LabelCisloStartu"},
        {"txtCisloStartu4", "LabelCisloStartu"},
        {"txtCisloSberky", "LabelCisloSberky"},
        {"txtIntervalDivak", "LabelIntervalDivak"},
        {"txtPocetRadDivak", "labelPocetRadDivak"},
        {"txtPocetSloupcuDivak", "LabelPocetSloupcuDivak"},
    };
    const size_t labels = p.size();
    for (const auto& [edit, label] : edits) {
        for (size_t i = 0; i < labels; ++i) {
            if (p[i].jmeno == label) {
                p.push_back({edit, "", p[i].hint});
            }
        }
    }
    return p;
}

TVyber VyberRadku(size_t radek) {
    switch (radek) {
    case 0:
    case 6:
        return {true, "", ""};
    case 1:
    case 2:
    case 3:
        return {false, "*.csv;*.txt|*.csv;*.txt", "Import z ORO - " + std::to_string(radek)};
    case 4:
        return {false, "*.spl;*.txt|*.spl;*.txt", "Import z RACOM"};
    case 5:
        return {false, "*.dat;*.txt|*.dat;*.txt", "Import z ALGE-finish"};
    default:
        return {false, "*.dat;*.txt|*.dat;*.txt", "Import z ALGE-start"};
    }
}

TMNastavLogic::TMNastavLogic(platform::IniFile& ini, TVstupniSoubory& zdroje,
                             Dialogs::IMessages& zpravy, TNapojeni napojeni)
    : ini_(ini), zdroje_(zdroje), zpravy_(zpravy), napojeni_(std::move(napojeni)) {}

TVstupniSoubor& TMNastavLogic::Zdroj(size_t radek) {
    return radek == 0 ? zdroje_.Zavodnici() : zdroje_[radek];
}

bool TMNastavLogic::Prevzato(size_t radek) const {
    const Koment::TRavlinNastaveni& r = Koment::RavlinNastaveni;
    return r.PodleRavlin && Prepinace[radek] != nullptr && r.*Prepinace[radek];
}

void TMNastavLogic::FormActivate() {
    const Koment::TNastaveni& n = Koment::Nastaveni;
    pole.cisloZavodu = Tools::RaceNumberText();
    pole.etapa = Tools::StageText();
    pole.start00 = TextStart00(n.Start00);
    pole.maxPoradi = std::to_string(n.MaxPor);
    pole.maxVHlavnimOkne = std::to_string(n.MaxRadkuHlOkna);
    pole.intervalNacitani = std::to_string(n.IntervalNacitani);
    for (size_t i = 0; i < 4; ++i) {
        pole.cisloStartu[i] = std::to_string(n.CisloStartu[i]);
    }
    pole.branka = n.StartovniBranky;
    pole.cisloSberky = std::to_string(n.CisloSberky);
    pole.intervalDivak = std::to_string(n.IntervalDivak);
    pole.pocetRadDivak = std::to_string(n.PocetRadDivak);
    pole.pocetSloupcuDivak = std::to_string(n.PocetSloupcuDivak);
    pole.desetiny = n.Desetiny;
    pole.druhZavodu = n.DruhZavodu;
    for (size_t r = 0; r < PocetRadku; ++r) {
        const TVstupniSoubor& z = Zdroj(r);
        pole.radky[r] = {z.Enabled, z.FileName};
        radky[r].editVidet = radky[r].tlacitkoVidet = z.Enabled;
    }
    NastavViditelnostDleRavlin();
    muzeZavrit_ = true;
}

void TMNastavLogic::NastavViditelnostDleRavlin() {
    const Koment::TRavlinNastaveni& r = Koment::RavlinNastaveni;
    zavodPovolen = !(r.PodleRavlin && r.auto_Zavod);
    for (size_t i = 0; i < PocetRadku; ++i) {
        radky[i].povolen = !Prevzato(i);
        radky[i].tlacitkoVidet = r.PodleRavlin ? !Prevzato(i) : pole.radky[i].zapnut;
    }
}

void TMNastavLogic::CheckClick(size_t radek, bool zapnut) {
    pole.radky[radek].zapnut = zapnut;
    radky[radek].editVidet = zapnut;
    radky[radek].tlacitkoVidet = Koment::RavlinNastaveni.PodleRavlin ? !Prevzato(radek) : zapnut;
}

bool TMNastavLogic::Kontroly() {
    bool ok = true;
    const auto chyba = [&](std::string_view cz, std::string_view en) {
        zpravy_.Error(LangText(cz, en));
        ok = false;
    };
    const auto rozsah = [](const std::string& text, int64_t od, int64_t po) {
        const std::optional<int64_t> v = Cislo(text);
        return v && *v >= od && *v <= po;
    };
    const auto nulaNebo = [](const std::string& text, int64_t od, int64_t po) {
        const std::optional<int64_t> v = Cislo(text);
        return v && (*v == 0 || (*v >= od && *v <= po));
    };
    // The fields the results program supplies cannot be edited; they are written as they came.
    if (zavodPovolen && !rozsah(pole.cisloZavodu, 1, 9999)) {
        chyba("Musí být zadáno číslo závodu 1 - 9999", "Number of race must be from 1 to 9999");
    }
    if (zavodPovolen && !rozsah(pole.etapa, 1, 3)) {
        chyba("Etapa může být jen jen 1, 2 nebo 3", "Number of etap must be 1, 2, or 3");
    }
    if (zavodPovolen && !CtiStart00(pole.start00)) {
        chyba("Chybně zadaný čas startu 00", "Error in start 00");
    }
    if (!rozsah(pole.maxPoradi, 1, 999)) {
        chyba("V hlavním okně zobrazovat závodníky jen do místa musí být zadáno 1 - 999",
              "In main window will be competitors to place must be from 1 to 999");
    }
    if (!rozsah(pole.maxVHlavnimOkne, 5, 999)) {
        chyba("Počet zobrazovaných řádků musí být 5 - 999",
              "Maximum rows in main window must be from 5 to 999");
    }
    if (!nulaNebo(pole.intervalNacitani, 15, 3600)) {
        chyba("Interval načítání dat musí být 0 nebo 15 - 3600",
              "Interval of refresh must be from 15 to 3600");
    }
    int64_t soucet = 0;
    for (const std::string& s : pole.cisloStartu) {
        if (!rozsah(s, 0, 30)) {
            chyba("Číslo startu musí být 0 - 30", "Number of start point must be from 0 to 30");
        }
        soucet += Cislo(s).value_or(0);
    }
    if (soucet > 0 && !pole.branka) {
        chyba("Číslo startu mohou být vyplněna pouze pro branky SPORTIDENT",
              "Number of start gate can be only for SPORTIDENT gates");
    }
    if (zavodPovolen && !nulaNebo(pole.cisloSberky, 31, 255)) {
        chyba("Číslo sběrky musí být 31 - 255", "Number of last control must be from 31 to 255");
    }
    if (!rozsah(pole.intervalDivak, 0, 99)) {
        chyba("Interval pro zobrazování okna kategorií musí být 0 - 99",
              "Interval for views category window must be from 0 to 99");
    }
    const std::string cz = "Počet oken pro zobrazování výsledků kategorií musí být 1 - ";
    const std::string en = "Number of windows for category results must be from 1 to ";
    if (!rozsah(pole.pocetRadDivak, 1, 10)) {
        chyba(cz + "10", en + "10");
    }
    if (!rozsah(pole.pocetSloupcuDivak, 1, 5)) {
        chyba(cz + "5", en + "5");
    }
    return ok;
}

bool TMNastavLogic::BitBtnOkClick() {
    muzeZavrit_ = Kontroly();
    if (muzeZavrit_) {
        Pouzij();
    }
    if (napojeni_.PrekresliMrizku) {
        napojeni_.PrekresliMrizku();
    }
    return muzeZavrit_;
}

void TMNastavLogic::Pouzij() {
    Koment::TNastaveni& n = Koment::Nastaveni;
    const auto cislo = [](const std::string& text) {
        return static_cast<int32_t>(Cislo(text).value_or(0));
    };
    // A field the link took is written back with the value it holds now.
    uint16_t zavod = SI_Typ::Zavod;
    uint16_t etapa = SI_Typ::Etapa;
    if (zavodPovolen) {
        zavod = static_cast<uint16_t>(cislo(pole.cisloZavodu));
        etapa = static_cast<uint16_t>(cislo(pole.etapa));
    }
    const bool zmenaZavodu = zavod != SI_Typ::Zavod || etapa != SI_Typ::Etapa;
    SI_Typ::Zavod = zavod;
    SI_Typ::Etapa = etapa;
    std::error_code ec;
    fs::create_directory(SI_Typ::RaceDataKomPath(), ec); // one level; a failure is harmless here
    ini_.WriteInteger(Sekce, "Zavod", zavod);
    ini_.WriteInteger(Sekce, "Etapa", etapa);

    n.MaxPor = cislo(pole.maxPoradi);
    ini_.WriteInteger(Sekce, "MaxPor", n.MaxPor);
    n.MaxRadkuHlOkna = cislo(pole.maxVHlavnimOkne);
    ini_.WriteInteger(Sekce, "MaxRadkuHlOkna", n.MaxRadkuHlOkna);
    n.IntervalNacitani = cislo(pole.intervalNacitani);
    ini_.WriteInteger(Sekce, "IntervalNacitani", n.IntervalNacitani);
    if (napojeni_.TimerNacitani) {
        napojeni_.TimerNacitani(n.IntervalNacitani > 0 ? n.IntervalNacitani * 1000 : 0);
    }

    for (size_t i = 0; i < 4; ++i) {
        n.CisloStartu[i] = cislo(pole.cisloStartu[i]);
        ini_.WriteInteger(Sekce, "CisloStartu" + std::to_string(i + 1), n.CisloStartu[i]);
    }
    n.StartovniBranky = pole.branka;
    ini_.WriteBool(Sekce, "StartovniBranky", n.StartovniBranky);
    if (zavodPovolen) {
        n.CisloSberky = cislo(pole.cisloSberky);
    }
    ini_.WriteInteger(Sekce, "CisloSberky", n.CisloSberky);
    n.IntervalDivak = cislo(pole.intervalDivak);
    ini_.WriteInteger(Sekce, "IntervalDivak", n.IntervalDivak);
    if (napojeni_.NastavIntervalDivak) {
        napojeni_.NastavIntervalDivak();
    }
    n.PocetRadDivak = cislo(pole.pocetRadDivak);
    ini_.WriteInteger(Sekce, "PocetRadDivak", n.PocetRadDivak);
    n.PocetSloupcuDivak = cislo(pole.pocetSloupcuDivak);
    ini_.WriteInteger(Sekce, "PocetSloupcuDivak", n.PocetSloupcuDivak);
    if (zavodPovolen) {
        n.Start00 = CtiStart00(pole.start00).value_or(n.Start00);
        n.Desetiny = pole.desetiny;
    }
    ini_.WriteFloat(Sekce, "Start00", n.Start00);
    ini_.WriteBool(Sekce, "Desetiny", n.Desetiny);
    // With no kind selected the stored one stays.
    if (zavodPovolen && pole.druhZavodu >= 0) {
        n.DruhZavodu = pole.druhZavodu;
    }
    ini_.WriteInteger(Sekce, "DruhZavodu", n.DruhZavodu);

    // The sources come before the reload, so a new competitor folder is the one loaded.
    for (size_t r = 0; r < PocetRadku; ++r) {
        TVstupniSoubor& z = Zdroj(r);
        if (z.FileName != pole.radky[r].soubor) {
            // Another file is read from its start; punches read before stay, and the master
            // list drops the repeats.
            z.ResetPosition();
        }
        z.FileName = pole.radky[r].soubor;
        z.Enabled = pole.radky[r].zapnut;
        if (r == 0) {
            z.WriteSettings(ini_);
        }
    }
    n.AlgeCilZapnut = zdroje_[5].Enabled || zdroje_[6].Enabled;
    for (size_t i = 0; i < TVstupniSoubory::Pocet; ++i) {
        zdroje_[i].WriteSettings(ini_);
    }
    if (zmenaZavodu && napojeni_.ZmenaZavodu) {
        napojeni_.ZmenaZavodu(true);
    }
}

} // namespace MNastav
