#pragma once

#include "platform/IniFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The state every program of the family shares: which program runs, the language, the race,
// the results program's folder and what was read from its Ravlin.inf, the display-station
// texts, and the folders where the programs keep their data.
namespace SI_Typ {

enum : uint16_t { KindReader = 0, KindCommentator = 1, KindSelfService = 2, KindCanteen = 3 };

// Values read from the results program's Ravlin.inf.
struct TRavlinInf {
    std::string Rok;       // event year, at most 4 characters
    uint16_t Zavod = 0;    // race number
    std::string Poradatel; // organiser code, at most 3 characters
    uint16_t Etapa = 0;
    double Start00 = 0; // zero time, hh.mm
    std::string Nazev;  // race name
    std::string Lng;    // "EN" selects English display texts
    std::string Import; // sub-folder for ORIS requests
};

struct TMenzorDatum {
    int32_t Rok = 0;
    int32_t Mesic = 0;
    int32_t Den = 0;
    int32_t Jidlo = 0; // 1, 2, 3
};

// The program's settings file, open from the main form's creation to its end.
extern std::unique_ptr<platform::IniFile> IniNastaveni;
extern int16_t Language;     // 0 Czech, 1 English
extern uint16_t ProgramKind; // KindReader ...
extern uint16_t Zavod;
extern uint16_t Etapa;
extern int32_t ComProDisplay; // 0 = no display station
extern double Start00;
extern int16_t PodleRavlin;     // 1 = race number, stage and zero time follow Ravlin.inf
extern std::string CestaRavlin; // folder of the results program
extern TRavlinInf RavlinInf;
extern std::string DisplayR1A;
extern std::string DisplayR2A;
extern std::string DisplayR1B;
extern std::string DisplayR2B;
extern int64_t DisplayCas; // monotonic ms when the display texts were last set
extern std::string VerzeWindows;
extern std::string SouborKontroly;
extern TMenzorDatum MenzorDatum;
// Extra punch-file copies; no program sets them.
extern int32_t PocetKopii;
extern int32_t IndexVlastniKopie;
extern int32_t KodStartu;
extern std::string CestaKopie;

// The Czech or the English text by Language; an empty English text gives the Czech one.
std::string LangText(std::string_view czech, std::string_view english = {});
// The Czech name of a port mode (the same in both languages); empty for unknown modes.
std::string PortModeText(int mode);

// Reads Ravlin.inf from CestaRavlin into RavlinInf. False, reading nothing, when the folder or
// the file is missing.
bool ReadRavlinInf();
bool PodleRavlinOn();

// Data folders, each with a trailing '/'.
std::string DataKomPath();
std::string RaceDataKomPath();
std::string KioskDataPath();

// Puts every global back to its start-up value (tests start from a clean state).
void ResetGlobals();

} // namespace SI_Typ
