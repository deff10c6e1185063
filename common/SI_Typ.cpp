#include "SI_Typ.h"

#include "Tools.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <filesystem>

namespace SI_Typ {

std::unique_ptr<platform::IniFile> IniNastaveni;
int16_t Language = 0;
uint16_t ProgramKind = KindReader;
uint16_t Zavod = 0;
uint16_t Etapa = 0;
int32_t ComProDisplay = 0;
double Start00 = 0;
int16_t PodleRavlin = 0;
std::string CestaRavlin;
TRavlinInf RavlinInf;
std::string DisplayR1A;
std::string DisplayR2A;
std::string DisplayR1B;
std::string DisplayR2B;
int64_t DisplayCas = 0;
std::string VerzeWindows = Tools::WindowsVersionText().substr(0, 10);
std::string SouborKontroly;
TMenzorDatum MenzorDatum;
int32_t PocetKopii = 0;
int32_t IndexVlastniKopie = 0;
int32_t KodStartu = 0;
std::string CestaKopie;

void ResetGlobals() {
    IniNastaveni.reset();
    Language = 0;
    ProgramKind = KindReader;
    Zavod = 0;
    Etapa = 0;
    ComProDisplay = 0;
    Start00 = 0;
    PodleRavlin = 0;
    CestaRavlin.clear();
    RavlinInf = TRavlinInf{};
    DisplayR1A.clear();
    DisplayR2A.clear();
    DisplayR1B.clear();
    DisplayR2B.clear();
    DisplayCas = 0;
    VerzeWindows = Tools::WindowsVersionText().substr(0, 10);
    SouborKontroly.clear();
    MenzorDatum = TMenzorDatum{};
    PocetKopii = 0;
    IndexVlastniKopie = 0;
    KodStartu = 0;
    CestaKopie.clear();
}

std::string LangText(std::string_view czech, std::string_view english) {
    if (Language == 1 && !english.empty()) {
        return std::string(english);
    }
    return std::string(czech);
}

std::string PortModeText(int mode) {
    switch (mode) {
    case 0:
        return LangText("port není aktivní");
    case 1:
        return LangText("načítání čipů s mezičasy");
    case 2:
        return LangText("načítání čipů - jen čísla SI");
    case 3:
        return LangText("načítání obsahu SI kontrol");
    case 9:
        return LangText("PC Auto");
    default:
        return {};
    }
}

bool ReadRavlinInf() {
    std::error_code ec;
    const std::filesystem::path folder = platform::ResolveNoCase(CestaRavlin);
    if (CestaRavlin.empty() || !std::filesystem::is_directory(folder, ec)) {
        return false;
    }
    const auto file = platform::FindNoCase(folder, "Ravlin.inf");
    if (!file || !std::filesystem::is_regular_file(*file, ec)) {
        return false;
    }
    platform::IniFile inf(*file);
    RavlinInf.Rok = platform::Utf8Left(inf.ReadString("Ravlin", "Rok", ""), 4);
    RavlinInf.Zavod = static_cast<uint16_t>(inf.ReadInteger("Ravlin", "Zavod", 0));
    RavlinInf.Poradatel = platform::Utf8Left(inf.ReadString("Ravlin", "Poradatel", "###"), 3);
    RavlinInf.Etapa = static_cast<uint16_t>(inf.ReadInteger("Ravlin", "Etapa", 0));
    RavlinInf.Start00 = inf.ReadFloat("Ravlin", "Start00", 0);
    RavlinInf.Nazev = inf.ReadString("Ravlin", "Nazev", "");
    RavlinInf.Lng = inf.ReadString("Ravlin", "Lng", "CZ");
    RavlinInf.Import = inf.ReadString("Ravlin", "Import", "Import");
    return true;
}

bool PodleRavlinOn() {
    return PodleRavlin == 1;
}

std::string DataKomPath() {
    return platform::WithTrailingSlash((platform::ProgramDataDir() / "Data_Kom").string());
}

std::string RaceDataKomPath() {
    return DataKomPath() + "Z" + Tools::RaceNumberText() + "/";
}

std::string KioskDataPath() {
    const std::string cwd = platform::CurrentDir().string();
    if (ProgramKind != KindCanteen) {
        return platform::WithTrailingSlash(cwd + "/Data_Sam");
    }
    std::string path = platform::WithTrailingSlash(cwd + "/Data");
    if (MenzorDatum.Rok > 0) {
        path += std::to_string(MenzorDatum.Rok) +
                Tools::PadLeft(std::to_string(MenzorDatum.Mesic), 2, '0') +
                Tools::PadLeft(std::to_string(MenzorDatum.Den), 2, '0');
        switch (MenzorDatum.Jidlo) {
        case 1:
            path += "_S";
            break;
        case 2:
            path += "_O";
            break;
        case 3:
            path += "_V";
            break;
        default:
            break;
        }
        path += "/";
    }
    return path;
}

} // namespace SI_Typ
