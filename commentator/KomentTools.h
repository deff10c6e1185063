#pragma once

#include "Tools.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The commentator's own helpers: its settings, folders and file names, the minutes.seconds
// arithmetic every split rests on, time and status texts, and the start-punch test.
//
// Minutes.seconds (m.ss) times are doubles whose integer part is minutes and whose fraction
// times 100 is seconds (12.345 = 12 min 34.5 s). Plain floating subtraction of such values is
// wrong (10.05 - 9.58 is seven seconds, not 0.47), so all arithmetic goes through integer
// milliseconds.
namespace Koment {

// Race and display settings the processing reads (section "fQZ_Mez", "Nastaveni",
// "ZobrazitKontroly", "InfoTabule" of Hlasvel.ini). Race number, stage and language stay in
// SI_Typ.
struct TNastaveni {
    double Start00 = 10.00; // zero time, hh.mm
    bool Desetiny = false;  // times shown and compared with tenths of a second
    bool StartovniBranky = false;
    std::array<int32_t, 4> CisloStartu{}; // station codes that count as start stations
    int32_t CisloSberky = 0;              // code of the last control before the finish
    int32_t DruhZavodu = 0;               // 0 individuals, 1 stage race, 2 relay
    bool AlgeCilZapnut = false;           // an ALGE finish source is on

    // The main window and its timers.
    int32_t MaxPor = 20;            // worst place still shown in the event grid
    int32_t MaxRadkuHlOkna = 30;    // event rows of the grid
    int32_t IntervalNacitani = 120; // seconds between competitor reloads; 0 or less: none
    int32_t IntervalDivak = 0;      // seconds between category-window rotations; 0 or less: none
    int32_t PocetRadDivak = 1;
    int32_t PocetSloupcuDivak = 4;

    // Display switches.
    bool Zvuky = false;
    bool Barvy = false;
    bool AllKateg = true;
    bool Start = false;
    bool Cil = true;
    bool Mezicasy = true;
    bool NeznameCipy = false;
    std::array<bool, 256> KontrolaZobrazit = Vsechny(); // by control code 31..255

    // Info board.
    bool VytvaretInfoTab = false;
    std::string CestaInfoTab;
    std::string SouborInfoTab = "InfoTab.txt";

    bool JeCisloStartu() const;

private:
    static std::array<bool, 256> Vsechny() {
        std::array<bool, 256> a;
        a.fill(true);
        return a;
    }
};

// The results-program link (section "Ravlin" of Hlasvel.ini and what Hlasvel.inf said).
struct TRavlinNastaveni {
    bool PodleRavlin = false;
    std::string PathRavlin;
    // Take-over switches: which of Hlasvel.inf's values replace the commentator's own.
    bool auto_Zavod = true;
    bool auto_DataZav = true;
    bool auto_Racom = true;
    bool auto_QZPort1 = true;
    bool auto_AlgeStart = true;
    bool auto_AlgeCilPrimo = true;
    bool auto_AlgeCilRucne = true;
    bool InfNacten = false;
    std::string Rok;
    uint16_t Zavod = 0;
    uint16_t Etapa = 0;
    double Start00 = 0;
    std::string Nazev;
    int32_t DruhZav = 0;
    int32_t Desetiny = 0;
    int32_t Sberka = 0;
    int32_t vlKom_Racom = 0;
    std::string Koment_Path_Racom;
    int32_t vlKom_QZPort1 = 0;
    int32_t vlKom_AlgeStart = 0;
    std::string Koment_Path_AlgeStart;
    int32_t vlKom_AlgeCilPrimo = 0;
    std::string Koment_Path_AlgeCilPrimo;
    int32_t vlKom_AlgeCilRucne = 0;
    std::string Koment_Path_AlgeCilRucne;
    std::string Date;
    std::string Time;
};

extern TNastaveni Nastaveni;
extern TRavlinNastaveni RavlinNastaveni;
// Back to the start-up values (tests start from a clean state).
void ResetNastaveni();

// Reads and writes the info-board keys of section "InfoTabule".
void NactiInfoTab(platform::IniFile& ini, TNastaveni& n);
bool UlozInfoTab(platform::IniFile& ini, const TNastaveni& n);

// --- Folders and names -------------------------------------------------------------------

bool RavlinInfNacten();
// The results program's split export: kind 1 Cil, kind 2 Dis; empty for another kind.
std::string KomentCsvPath(int kind);
std::string KategIniFileName();
std::string NazevZavodu();
std::string PrintFolder();
// <PathRavlin>/Z<race from Hlasvel.inf, 4 digits>/<sub>/; sub ".." gives PathRavlin itself.
std::string SlozkaRavlinZavodu(std::string_view sub);
// The info-board file; with no folder set, the name alone (the current folder).
std::string InfoTabFileName(const TNastaveni& n);

// --- Window placement --------------------------------------------------------------------

// "Status" holds the window state as a number: 0 normal, 1 minimised, 2 maximised. Used on
// Hlasvel.ini for the forms and on Kateg.ini for the category windows.
void SaveFormPos(platform::IniFile& ini, std::string_view section, const Tools::FormPos& pos);
void LoadFormPos(platform::IniFile& ini, std::string_view section, Tools::FormPos& pos);

// --- Minutes.seconds arithmetic ------------------------------------------------------------

int64_t MsZCasu(double mss);
double CasZMs(int64_t ms);
double RozdilCasu(double a, double b);
double SoucetCasu(double a, double b);
// Milliseconds of an m.ss value cut to the shown precision (tenths or whole seconds), toward
// zero; places and losses compare these.
int64_t OrizniMs(double mss, bool desetiny);
double OrizniCas(double t);
// Seconds of day of the zero time.
int64_t SekundyStart00(double start00);
// Milliseconds from the zero time of a time of day in milliseconds; a time more than three
// hours before the zero time is taken as twelve hours later.
int64_t MsOdStartu(int64_t msOfDay);
double CasOdStartu(int64_t secondsOfDay);
// "hh:mm:ss,ffff" or "hh:mm:ss.ffff" as m.ss from the zero time; nothing when a part does not
// read as a whole number, the seconds are missing, or a part is out of range (99 h, 59 min/s).
std::optional<double> CasZRetezce(std::string_view text);
// The moment of a split (m.ss from the zero time) in whole seconds from today's midnight.
int64_t CasNaDatum(double t);
// Seconds from the time of day of t1 to that of t2.
double RozdilSekund(const platform::WallTime& t1, const platform::WallTime& t2);

// --- Texts ---------------------------------------------------------------------------------

std::string ResultStatusText(int code, int width = 0, bool lower = false);
std::string CasText(int status, bool tenths, int digits, double t);
// The current error texts joined for the error label; empty when there are none.
std::string TextChyb(const std::vector<std::string>& chyby);

// --- Tests ---------------------------------------------------------------------------------

bool JeStartovniRazeni(int32_t kod, int druh);

} // namespace Koment
