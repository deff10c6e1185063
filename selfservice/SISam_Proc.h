#pragma once

#include "SISam_Typ.h"
#include "platform/Files.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The kiosk's competitor table and its loads, the files it exchanges with Ravlin in the SAM
// folder, the permissions of the registration desk and the kiosk's logs.
namespace SISam_Proc {

using SISam_Typ::TKategorie;
using SISam_Typ::TZavodnik;

// ---- Competitor table ----

// Slot ID-1 holds the entry with that ID.
extern std::array<TZavodnik, SISam_Typ::MaxZavodniku> Zavodnici;
extern int32_t MaxID;          // highest ID in use; bounds every scan
extern int32_t PocetZavodniku; // loaded by the last full export
extern int32_t PocetDobehlych; // state 1 over all categories
extern double PosledniStart;   // latest start of a runner who is not a vacant slot
// Counts the changes of the table (loads, applied answers, resets): a list built from it is
// rebuilt once this moved on.
extern uint64_t VerzeDat;
// The runner of a slot; nullptr for an ID outside the table or an empty slot.
const TZavodnik* Zavodnik(int32_t id);

// Runner line: ID;category;name;SI;club;regnum;start;result;state;MS;status;text. False
// when a number is missing, not finite or does not fit its field, or the ID is not 1..2000.
bool RadekZavodnika(std::string_view line, TZavodnik& z);
// Category line: name;flag;length;climb;controls;ZmenaCasu;ZamenaCasu;Odhlaseni;ZmenaJmena;
// ZmenaCipu (the level columns go to actions 2, 1, 4, 5, 3). False when a number is bad or
// the name empty. The category's counters are left as they are.
bool RadekKategorie(std::string_view line, TKategorie& k);
// The seven fields a request carries, each followed by ';': "15;H21;NOVAK JAN;...;12.30;".
std::string RadekPozadavku(const TZavodnik& z);

// Position in the list, -1 when absent; the key is compared in upper case.
int NajdiKategorii(std::string_view nazev);
int NajdiOddil(std::string_view kod);
// The category of that name, appended when not yet listed.
TKategorie& DejKategorii(std::string_view nazev);
void SetridKategorie();
void SetridOddily();
// The category's flag for start-time changes; -1 for a category not in the list.
int32_t ZmenaKategorie(std::string_view nazev);

// ---- SAM exchange files ----

// First line of every exchange file: #SAM#<direction>#<type>#<param>#<param2>#<computer>#
// <hh:mm:ss>#<GUID>#
struct THlavicka {
    std::string Smer;    // READ or WRITE
    std::string Typ;     // at most 20
    std::string Param;   // at most 100; "ALL" = full export
    std::string Param2;  // at most 100; "ERR" = refused change
    std::string Pocitac; // at most 100
    std::string Cas;     // at most 8
    std::string Guid;    // at most 50
};
bool RadekToHlavickaSouboru(std::string_view line, THlavicka& h);

// What a request file asks for.
struct TPozadavek {
    std::string Typ;     // "READ", "ChangeTime", "ChangeSIcard" or "Vakant"
    std::string Data;    // READ: "ZAVODNIK"
    std::string Filter;  // READ: "ODDIL" or "KATEG"
    std::string Hodnota; // READ: club code or category
    std::string Radek1;  // WRITE: runner lines (RadekPozadavku)
    std::string Radek2;
};

// The computer name and GUIDs, which the operating system gives.
class IPocitac {
public:
    virtual ~IPocitac() = default;
    // Host name up to its first '.', at most 15 characters; empty when unknown.
    virtual std::string JmenoPocitace() = 0;
    // A new GUID in registry form ("{XXXXXXXX-XXXX-...}", upper case); empty on failure.
    virtual std::string NovyGuid() = 0;
};
IPocitac& Pocitac();
// Puts in another source (nullptr puts back the system's). The caller keeps it.
void SetPocitac(IPocitac* pocitac);
// The host name rule on its own (for the system source and its tests).
std::string JmenoZHostname(std::string_view hostname);

// <RavlinPath>/Z<race4>/SAM/ with existing parts found without regard to case; empty when
// RavlinPath is empty (files are then taken from the working folder).
std::filesystem::path SlozkaSAM();

// Reader state.
extern std::optional<std::string> CasZavodniku; // stamp of the last full load, none yet
extern std::optional<std::string> CasKategorii; // stamp of the last category load
extern std::string StavDat;                     // status text for the screen

enum class Cteni {
    Precteno,  // read (data applied, or unchanged)
    Zamitnuto, // the file says no (wrong header, refused change)
    Nelze,     // could not be read: the file stays and is tried again
    BezZmeny,  // a change answer without the runner lines asked for: nothing applied
};

// A runner line an accepted change answer must carry: the runner's ID with the value the
// request asked for (only the fields given are compared).
struct TOcekavanyRadek {
    int32_t ID = 0;
    std::optional<double> Start;
    std::optional<int32_t> SI;
    std::optional<int16_t> Stav;
};
using TOcekavani = std::vector<TOcekavanyRadek>;

// Header of a file; failures are logged with the step that failed.
bool ZpracujHlavicku(const std::filesystem::path& soubor, THlavicka& h);
// The readers take a file's bytes (Windows-1250) or the file itself.
Cteni NactiZavodnikyText(std::string_view bytes);
Cteni NactiZavodniky(const std::filesystem::path& soubor);
Cteni NactiKategorieText(std::string_view bytes);
Cteni NactiKategorie(const std::filesystem::path& soubor);
// A change answer is applied only whole: at least one runner line and every line expected;
// otherwise nothing of it is applied and the result is BezZmeny.
Cteni NactiZmenuText(std::string_view bytes, std::string_view typ, std::string& chyba,
                     const TOcekavani& ocekavani = {});
Cteni NactiZmenu(const std::filesystem::path& soubor, std::string_view typ, std::string& chyba,
                 const TOcekavani& ocekavani = {});

// GUIDs (upper case) of requests whose answers are still wanted, late ones included: an answer
// carrying one is never deleted as a stray while another request is polled.
extern std::set<std::string> OcekavaneOdpovedi;

constexpr int VysledekNic = 0;
constexpr int VysledekOK = 10;
constexpr int VysledekZamitnuto = 11;
constexpr int VysledekBezZmeny = 12;
// Processes the stable files of the SAM folder that match the mask, in name order. With a
// GUID only the answer carrying it (answers to other requests of this computer are deleted);
// without one the exports, while change answers are left alone. 10 = answer applied or data
// answer read, 11 = change refused (chyba filled), 12 = a change answer without the lines
// expected (nothing applied), 0 = nothing matched.
int ZpracujVstupniSoubory(std::string_view maska, std::string_view guid, std::string& chyba,
                          const TOcekavani& ocekavani = {});

// Writes one request file P<7 characters>.poz into the SAM folder under a temporary name and
// moves it into place without replacing another kiosk's request. Returns the GUID written,
// or empty (with the reason in chyba) when no request was written.
std::string ZapisPozadavek(const TPozadavek& p, std::string* chyba = nullptr);
// The 7 characters of a request name: hhmmsszzz in base 36, left-padded with '0'.
std::string JmenoPozadavku(int hodina, int minuta, int sekunda, int milisekunda);

// ---- Permissions and logs ----

// Level of an action for a category (empty = the most any category allows, for the button
// set): 0 not allowed, 1 until the desk closes, 2 always.
int UrovenAkce(int akce, std::string_view kategorie);
bool PovolenaAkce(int akce, std::string_view kategorie);
// The desk is closed from the minute PrezentaceDo names on.
bool PrezentaceUzavrena();
std::string KlubUzivatele();

// Log levels.
constexpr int LogTrace = 1;
constexpr int LogTimeout = 10;
constexpr int LogPrihlaseni = 11;
constexpr int LogZmena = 12;
constexpr int LogChyba = 20;
// Appends "hh:mm:ss.zzz;<SI>;<ID>;<name>;<text>" to Protokol.txt (level > 1) and, with
// Logovat, to Ladeni.txt, both in the working folder. A log that cannot be written is skipped.
void Protokol(int uroven, std::string_view text);
std::string RadekProtokolu(std::string_view text);

// ---- Card-number files of the SI ports ----

// Takes the first card-number record found in Data_Sam for the ports 1..20 and empties that
// file; the card number, or none. The file is emptied through the handle it was read from: a
// card the port writes meanwhile replaces the file and waits there for the next call. A file
// that cannot be opened is logged once until it opens again.
std::optional<int32_t> PrectiCip();
// Called between reading a record and emptying its file (tests put a port's write there).
extern std::function<void(const std::filesystem::path&)> PoPrecteniCipu;

// Puts the table, the reader state and the lists back to their start-up state.
void ResetGlobals();

} // namespace SISam_Proc
