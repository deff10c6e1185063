#pragma once

// What the kiosk's main form decides, apart from the window: Pultra.ini and Pultra.inf, the
// button set and its layout, the screen texts, the lists of the information grid with their
// cell texts, paging and dragging, the choosers' rows, the chip look-up and the password. The form
// (Pultra_Main) only shows it.

#include "SISam_Typ.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

#include <bitset>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCollator;

namespace Pultra {

// Button tags: main buttons 1..9, registration-desk sub-buttons 21..25 (tag div 10 is their
// main button).
enum Tag : int {
    TagLogin = 1,
    TagPrezentace = 2,
    TagStartovky = 3,
    TagVysledky = 4,
    TagStartODD = 5,
    TagAdmin = 8,
    TagQuit = 9,
    TagZmenaCasu = 21,
    TagZamenaCasu = 22,
    TagOdhlaseni = 23,
    TagZmenaJmena = 24,
    TagZmenaCipu = 25,
};
// Main buttons in the order they are stacked; sub-buttons likewise.
inline constexpr int HlavniTagy[] = {TagLogin,    TagPrezentace, TagVysledky, TagStartovky,
                                     TagStartODD, TagAdmin,      TagQuit};
inline constexpr int PodTagy[] = {TagZamenaCasu, TagZmenaCasu, TagOdhlaseni, TagZmenaJmena,
                                  TagZmenaCipu};

inline constexpr const char* Sekce = "Pultra_Main";
inline constexpr const char* Heslo = "4830";

// ---- Pultra.ini ----

struct TNastaveni {
    std::string RavlinPath;
    int Com = -1; // -1 every port, n only COM n
    int Language = 0;
    int Btn0Vyska = 60, Btn0Sirka = 250, Btn0Font = 24;
    int Btn1Vyska = 40, Btn1Sirka = 340, Btn1Font = 16;
    bool Logovat = false;
    int Timeout = 20;
};
TNastaveni NactiNastaveni(platform::IniFile& ini);

// ---- Pultra.inf ----

// The values of Pultra.inf that no other global holds.
struct TPultraInf {
    std::string Rok;
    int DruhZav = 0;     // 2: categories grouped by name, no login hint
    int32_t SIAdmin = 0; // card that logs in as administrator
    std::string Nazev;   // race name
    std::string Date;    // when Ravlin wrote the file
    std::string Time;
};
extern TPultraInf Inf;

// The number of an hh.mm or minutes.seconds text written with '.' or ','.
std::optional<double> CisloSCarkou(std::string_view text);

// Reads Pultra.inf from RavlinPath every 20 s. Values go into SI_Typ (Zavod, Etapa, Start00),
// SISam_Typ::Param (levels, PrezentaceDo) and Inf.
class TCteniInf {
public:
    enum class Vysledek {
        Nic,       // no RavlinPath, or the file is still being written: nothing changed
        Chyba,     // missing or unusable: the values in force stay, ChybaText says why
        BezeZmeny, // Date and Time as before: values taken, buttons not recomputed
        Prevzato,  // taken; recompute the buttons
    };
    Vysledek Nacti(const std::string& ravlinPath);
    // Takes the bytes of a Pultra.inf that stood still (file and folder for the texts and the
    // new-race rule).
    Vysledek Prevezmi(std::string_view bytes, const std::string& soubor, const std::string& slozka);

    // A new race (Zavod) or another results folder than the last file taken came from: the
    // form empties the tables and logs out before anything of the new race is read.
    bool NovyZavod() const { return novyZavod_; }
    const std::string& InfoText() const { return info_; }
    const std::string& ZmenaText() const { return zmena_; }
    const std::string& ChybaText() const { return chyba_; }
    // Whether a file was taken at least once.
    bool Nacteno() const { return nacteno_; }

private:
    std::string info_;
    std::string zmena_;
    std::string chyba_;
    bool novyZavod_ = false;
    bool nacteno_ = false;
    std::string date_, time_;
    std::string slozka_; // results folder of the last file taken
    int zavod_ = -1, etapa_ = -1;
    double start00_ = -1;
    // Ravlin rewrites the file key by key: taken once it has stood still, and only with every
    // key of the file taken before.
    platform::StableFileCheck klid_;
    platform::KeptKeys klice_;
};

// Empties the tables, the loads' stamps, the lists and the login: nothing of the old race
// stays once the race or the results folder changes. The settings of Param stay.
void NovyZavod();

// ---- Texts ----

std::string Popisek(int tag);
std::string NapovedaOdhlaseni();
// The system line while the station on a port is detected.
std::string DetekceText(int port);
// The chip prompt's caption.
std::string TitulekNactiCipu();
// The clock's text.
std::string CasText();

// ---- Button set and layout ----

// Tags shown now, by the data, the permissions, the desk's closing and the login.
std::bitset<32> SadaTlacitek();
// The registration-desk button can be pressed.
bool PrezentacePovolena();

struct TObdelnik {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const TObdelnik&) const = default;
};
struct TRozlozeni {
    std::vector<std::pair<int, TObdelnik>> tlacitka; // shown buttons, by tag
    int napovedaY = 0;                               // top of the logout hint
};
// Main buttons of the set stacked at left 30 from the login text's height + 60; the
// sub-buttons of the selected main button beside them, one main row lower.
TRozlozeni Rozloz(const TNastaveni& n, const std::bitset<32>& sada, int vybranyHlavni,
                  int vyskaLoginTextu, int vyskaNapovedy);

// ---- Grid ----

enum Rezim : int { RezimStartovka = 1, RezimKlub = 2, RezimVysledky = 3 };

struct TSloupec {
    std::string nadpis;
    double podil = 0; // of the grid width minus 15 px
    bool vpravo = false;
};
std::vector<TSloupec> Sloupce(int rezim);
// Widths of the columns for a grid width; column 0 (the ID) is 0 wide.
std::vector<int> SirkySloupcu(int rezim, int sirkaGridu);

// 0 "O.K.", 1 "DISK"/"DISQ", 2 "VZDAL"/"DNF", 3 "ABS"/"DNS", 7 "LIMIT"/"OVRT", other "O.K.";
// padded on the left to the width (0: none), lower-cased on request.
std::string ResultStatusText(int status, int sirka, bool mala);
// "5.1 km / 120 m / 14 k" of a category; empty when it knows none of them.
std::string InfoKategorie(const std::string& kategorie);
std::string Nadpis(int rezim, const std::string& klic);

// Orders runners' names as the locale compares them, case-sensitive (Czech: Č after C, before
// D): every list of runners the kiosk shows, the grid's and the desk's, sorts by it.
class TRazeniJmen {
public:
    TRazeniJmen(); // the default locale's collation as it is now
    bool operator()(const std::string& a, const std::string& b) const;

private:
    std::shared_ptr<const QCollator> razeni_;
};

// Fills SISam_Typ::SeznamInfoGrid with the rows of a view, sorted. Category and club keys
// ignore letter case.
void SeznamProGrid(int rezim, const std::string& klic);
// The cells of each row (column 0 the ID; mode 1 carries the category in a fifth cell).
// Equal results of the same status share a place.
std::vector<std::vector<std::string>> Bunky(int rezim);
// Row (1-based, as grid rows below the heading) of the runner, 0 when not listed.
int RadekZavodnika(int32_t id);

// Paging of a grid of rowCount rows (the heading row counted) showing page rows at once.
int Stranka(int vyskaGridu, int vyskaRadku);
int StrankaNahoru(int horni, int stranka);
int StrankaDolu(int horni, int stranka, int pocetRadku);
int Posledni(int pocetRadku, int stranka);
// Top row that shows the highlighted row with ten rows above it.
int HorniProZvyrazneny(int radek);

// Dragging over the grid: the content follows the finger, one row per step of 21..29 px.
class TTah {
public:
    void Stisk(int y) { ref_ = y; }
    // Rows to scroll (-1 up, +1 down, 0 none) for a movement to y.
    int Pohyb(int y);
    int Rozdil() const { return rozdil_; }

private:
    std::optional<int> ref_;
    int rozdil_ = 0;
};

// ---- Choosers ----

struct TPolozka {
    std::string klic;
    bool novyRadek = false; // a new row (after an extra gap) starts before it
    bool predvybrana = false;
};
// Categories of the category chooser (mode 3: only those with a finished runner), in rows by
// weight, or with DruhZav 2 by name without its last character.
std::vector<TPolozka> PolozkyKategorii(int rezim);
std::vector<TPolozka> PolozkyOddilu();

// ---- Look-up ----
// (Login, the login texts and the auto-logout countdown: PrihlaseniLogic.)

// What the quick look-up of a card shows: the runner and the view of his category.
struct TNahled {
    int32_t id = -1;
    int rezim = 0;
    std::string kategorie;
};
std::optional<TNahled> Nahled(int32_t cip);

// ---- Ports ----

// COM numbers that get a port: all 0..18 for a negative COM, else only that one (none for
// 19, 20 and beyond).
std::vector<int> PortyProCom(int com);
// Why a COM setting gives no port, empty when it does.
std::string ComBezPortu(int com);

} // namespace Pultra
