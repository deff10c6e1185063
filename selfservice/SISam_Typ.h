#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The kiosk's types and global lists: competitors, categories, clubs and the information
// grid's rows, the race parameters Ravlin publishes for the kiosk and the login state. Texts
// are UTF-8; their widths count Windows-1250 characters as Ravlin's files do.
namespace SISam_Typ {

constexpr int32_t MaxZavodniku = 2000;

// Field widths of the records (characters).
constexpr size_t DelkaKategorie = 10;
constexpr size_t DelkaJmena = 30;
constexpr size_t DelkaOddilu = 3;
constexpr size_t DelkaRegC = 4;
constexpr size_t DelkaTextu = 5;

// Registration-desk actions, in action order (the index of the permission levels).
enum Akce : int {
    AkceZamenaCasu = 1, // swap start times between two club members
    AkceZmenaCasu = 2,  // move to a vacant start slot
    AkceZmenaCipu = 3,  // change or add the SI card number
    AkceOdhlaseni = 4,  // withdraw (the slot becomes vacant)
    AkceZmenaJmena = 5, // change name (never offered)
};
constexpr int PocetAkci = 5;
// Levels per action, element 0 unused.
using TUrovne = std::array<int16_t, PocetAkci + 1>;

// Runner states and result statuses the kiosk tells apart.
constexpr int16_t StavDobehl = 1;
constexpr int16_t StavVakant = 2;

// One entry of Ravlin's list.
struct TZavodnik {
    int32_t ID = 0;        // 1..2000; 0 = empty slot
    std::string Kategorie; // at most 10
    std::string Jmeno;     // at most 30
    int32_t SI = 0;        // 0 = none
    std::string Oddil;     // club code, at most 3
    std::string RegC;      // registration digits, at most 4
    double Start = 0;      // minutes.seconds after Start00
    double Vysledek = 0;   // minutes.seconds
    int16_t Stav = 0;      // 1 finished, 2 vacant slot, other entered
    int16_t MS = 0;        // 1 = out of competition
    int16_t Status = 0;    // 0 O.K., 1 disqualified, 2 DNF, 3 DNS, 7 over time
    std::string Text;      // at most 5, carried only
    bool operator==(const TZavodnik&) const = default;
};

class TKategorie {
public:
    std::string Nazev;     // upper case, at most 10
    int32_t Pocet = 0;     // competitors
    int32_t Dobehlo = 0;   // finished (state 1)
    int32_t Vakanty = 0;   // vacant slots (state 2)
    int32_t Zmena = 0;     // start times of this category may be changed
    double Delka = 0;      // km
    int16_t Prevyseni = 0; // m
    int16_t Kontrol = 0;   // number of controls
    // Per action: 0 = the global level, n > 0 = level n-1. Element 0 unused.
    TUrovne Uroven{};

    // Order of the category choosers: main categories before the rest, age classes by
    // course difficulty.
    int VahaKategorie() const;
};

class TOddil {
public:
    std::string Kod;   // upper case, at most 3
    std::string Nazev; // upper case, at most 30
};

// One row of the information grid: a copy of a competitor and whether the desk's chooser
// may pick it.
class TPolozkaInfoGrid {
public:
    TZavodnik Zavodnik;
    bool Vyber = false;
};

// The lists, in their sorted order once a load has finished.
extern std::vector<TKategorie> SeznamKategorii;
extern std::vector<TOddil> SeznamOddilu;
extern std::vector<TPolozkaInfoGrid> SeznamInfoGrid;
// Highest per-category value of each action (raw n, not n-1).
extern TUrovne MaxUrovenKategorie;
// Tags of the buttons the kiosk shows now.
extern std::bitset<32> ViditelneTagy;

// The race parameters of Pultra.inf and Pultra.ini the logic needs.
struct TParamPultra {
    std::string RavlinPath;  // Ravlin's folder as written (Windows form allowed)
    TUrovne Uroven{};        // global level per action: 0 never, 1 until the desk closes, 2 always
    double PrezentaceDo = 0; // hh.mm closing time of the desk, 0 = never closes
    bool Logovat = false;    // every log line also into Ladeni.txt
};
extern TParamPultra Param;

// Login levels.
constexpr int16_t UrovenOdhlasen = 10;
constexpr int16_t UrovenZavodnik = 20;
constexpr int16_t UrovenAdmin = 40;

struct TPrihlaseni {
    int32_t SI = 0;                  // card of the user, 0 = none
    int16_t Uroven = UrovenOdhlasen; // login level
    int32_t ID = 0;                  // logged-in runner, 0 = none
    std::string KlubAdmina;          // club the administrator chose at the desk
};
extern TPrihlaseni Prihlaseni;

// Upper case of a text, the Czech letters included.
std::string VelkaPismena(std::string_view utf8);
// The text cut to n characters, as a short-string field of that width holds it.
std::string Orez(std::string_view utf8, size_t n);

// Puts every list and global of the kiosk's data back to its start-up state.
void ResetGlobals();

} // namespace SISam_Typ
