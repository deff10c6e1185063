#include "KomentHlavni.h"

#include "SI_Typ.h"
#include "Tools.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <system_error>

namespace KomentHlavni {

namespace {

constexpr std::string_view Sekce = "fQZ_Mez";

bool Preved(std::string_view text, double& out) {
    text = Tools::Trim(text);
    if (text.empty()) {
        return false;
    }
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

int32_t Cislo(platform::IniFile& ini, std::string_view key, int32_t def) {
    return static_cast<int32_t>(ini.ReadInteger(Sekce, key, def));
}

} // namespace

double PrevedStart00(std::string_view text) {
    double v = 0;
    if (Preved(text, v)) {
        return v;
    }
    std::string swapped(text);
    const bool comma = swapped.find(',') != std::string::npos;
    for (char& c : swapped) {
        if (comma && c == ',') {
            c = '.';
        } else if (!comma && c == '.') {
            c = ',';
        }
    }
    return Preved(swapped, v) ? v : 0;
}

void NactiNastaveni(platform::IniFile& ini) {
    Koment::TNastaveni& n = Koment::Nastaveni;
    SI_Typ::Language = static_cast<int16_t>(ini.ReadInteger(Sekce, "Language", 0));
    SI_Typ::Zavod = static_cast<uint16_t>(ini.ReadInteger(Sekce, "Zavod", 1));
    SI_Typ::Etapa = static_cast<uint16_t>(ini.ReadInteger(Sekce, "Etapa", 1));
    n.MaxPor = Cislo(ini, "MaxPor", 20);
    n.MaxRadkuHlOkna = Cislo(ini, "MaxRadkuHlOkna", 30);
    n.IntervalNacitani = Cislo(ini, "IntervalNacitani", 120);
    n.IntervalDivak = Cislo(ini, "IntervalDivak", 0);
    n.PocetRadDivak = Cislo(ini, "PocetRadDivak", 1);
    n.PocetSloupcuDivak = Cislo(ini, "PocetSloupcuDivak", 4);
    for (size_t i = 0; i < n.CisloStartu.size(); ++i) {
        n.CisloStartu[i] = Cislo(ini, "CisloStartu" + std::to_string(i + 1), 0);
    }
    n.StartovniBranky = ini.ReadBool(Sekce, "StartovniBranky", false);
    n.CisloSberky = Cislo(ini, "CisloSberky", 0);
    n.Start00 = PrevedStart00(ini.ReadString(Sekce, "Start00", "10.00"));
    n.Desetiny = ini.ReadBool(Sekce, "Desetiny", false);
    n.DruhZavodu = Cislo(ini, "DruhZavodu", 0);
}

void NactiZobrazeni(platform::IniFile& ini, Koment::TNastaveni& n) {
    constexpr std::string_view s = "Nastaveni";
    n.Zvuky = ini.ReadBool(s, "Zvuky", false);
    n.Barvy = ini.ReadBool(s, "Barvy", false);
    n.AllKateg = ini.ReadBool(s, "AllKateg", true);
    n.Start = ini.ReadBool(s, "Start", false);
    n.Cil = ini.ReadBool(s, "Cil", true);
    n.Mezicasy = ini.ReadBool(s, "Mezicasy", true);
    n.NeznameCipy = ini.ReadBool(s, "NeznameCipy", false);
    for (int code = 31; code <= 255; ++code) {
        n.KontrolaZobrazit[static_cast<size_t>(code)] =
            ini.ReadBool("ZobrazitKontroly", "K" + std::to_string(code), true);
    }
}

void UlozPriZavreni(platform::IniFile& ini) {
    ini.WriteInteger(Sekce, "Zavod", SI_Typ::Zavod);
    ini.WriteInteger(Sekce, "Etapa", SI_Typ::Etapa);
}

void UlozJazyk(platform::IniFile& ini, int16_t language) {
    SI_Typ::Language = language;
    ini.WriteInteger(Sekce, "Language", language);
}

const std::array<TPolozka, PocetPolozek> Menu{{
    {"mnuNastaveni", "&Nastavení", "&Settings"},
    {"mnuRavlin", "&Ravlin", "&Ravlin", true},
    {"mnuZavod", "&Parametry", "&Parameters"},
    {"mnuInfoTabule", "&Info tabule", "&Info table"},
    {"Kategorie1", "Kategorie - &Mezičasy", "Categories - split &times"},
    {"Zobrazovat", "Kategorie - &Hlavní okno", "Categories in main &window"},
    {"mnuFontHlavni", "Font pro hlavní okno", "Font for main window"},
    {"mnuFontKateg", "Font pro okna kategorií", "Font for categories"},
    {"mnuCesky", "Česky", "Česky", true},
    {"mnuEnglish", "English", "English", true},
    {"mnuRekonstrukce", "Rekonstrukce", "Reconstruction"},
    {"Zobrazit1", "&Zobrazit", "&Display"},
    {"mnuNactidata", "Načti &Data", "&Read data"},
    {"Tiskrna1", "&Tiskárna", "&Printer"},
    {"NastaveniTiskarny", "Nastavení tiskárny", ""},
    {"ZpracovavatFonty", "Fonty", ""},
    {"Zpracovvatsoubory", "Zpracovávat soubory", ""},
    {"Info1", "&Info", ""},
}};

std::string Popisek(const TPolozka& p) {
    return SI_Typ::LangText(p.cesky, p.anglicky);
}

std::string TextZavodu() {
    return SI_Typ::LangText("Závod ", "Race no. ") + Tools::RaceNumberText() + " / E" +
           std::to_string(SI_Typ::Etapa);
}

std::string TextVCili(int32_t vCili, int32_t zavodniku) {
    return std::to_string(vCili) + " / " + std::to_string(zavodniku - vCili);
}

std::string NazevProgramu() {
    return SI_Typ::LangText("QZ - Program pro komentátora", "Orienteering - program for speaker");
}

std::string Titulek() {
    std::string nazev = Koment::NazevZavodu();
    return Tools::Trim(nazev).empty() ? NazevProgramu() : nazev;
}

namespace {
// Seconds as a timer interval; a value beyond a timer's range waits as long as one can.
int Ms(int32_t seconds) {
    constexpr int32_t kMax = std::numeric_limits<int>::max() / 1000;
    return seconds > 0 ? std::min(seconds, kMax) * 1000 : 0;
}
} // namespace

int IntervalNacitaniMs(const Koment::TNastaveni& n) {
    return Ms(n.IntervalNacitani);
}

int IntervalDivakMs(const Koment::TNastaveni& n) {
    return Ms(n.IntervalDivak);
}

void VytvorSlozkuZavodu() {
    std::error_code ec;
    std::filesystem::create_directories(SI_Typ::RaceDataKomPath(), ec);
}

} // namespace KomentHlavni
