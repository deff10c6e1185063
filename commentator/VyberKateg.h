#pragma once

#include "KategOkna.h"
#include "Mezicasy.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the category choice dialogs and the display settings window do, without widgets. The
// dialogs hold category names, never categories: a competitor reload may replace them while a
// dialog is open.
namespace VyberKateg {

// Every category name, sorted.
std::vector<std::string> SerazeneNazvy(const Mezicasy::TZavod& zavod);

// --- Split windows of one category (ten boxes for windows 1..10) ------------------------------

struct TBox {
    bool Viditelny = false;
    std::string Titulek;
    bool Zaskrtnut = false;
};
// The boxes for a category; false when it does not exist. Reading changes no flag.
bool Boxy(const Mezicasy::TZavod& zavod, std::string_view nazev, std::array<TBox, 10>& boxy);
// Box n (1..10) clicked: window n opens or closes and the category is stored.
void ZmenZobrazeni(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna, std::string_view nazev,
                   int n, bool zaskrtnut);

// --- Categories of the main grid ---------------------------------------------------------------

// One item's selection became `vybran`; false when the category is gone.
bool NastavHlavni(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna, std::string_view nazev,
                  bool vybran);
// "vše" / "nic": every item in order, stopping at the first that has no category; returns the
// count of items changed.
size_t NastavVse(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna,
                 const std::vector<std::string>& nazvy, bool vybran);
// Adds the categories whose name ends in `pismeno`; returns the indexes of the items to select.
std::vector<size_t> PridejKatDlePoslPismene(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna,
                                            const std::vector<std::string>& nazvy, char pismeno);

// --- Display settings ---------------------------------------------------------------------------

enum class Prepinac { Zvuky, Barvy, AllKateg, Start, Cil, Mezicasy, NeznameCipy };
constexpr size_t kPrepinacu = 7;

struct TTextPrepinace {
    Prepinac Kdo;
    const char* Klic; // key of section "Nastaveni"
    const char* Cesky;
    const char* Anglicky;
    const char* NapovedaCesky;
    const char* NapovedaAnglicky;
};
extern const std::array<TTextPrepinace, kPrepinacu> kPrepinace;

std::string TitulekZobrazeni();
bool& Hodnota(Koment::TNastaveni& n, Prepinac p);
// A click: the switch changes and is written at once.
void ZmenPrepinac(platform::IniFile& ini, Koment::TNastaveni& n, Prepinac p, bool hodnota);
void ZmenKontrolu(platform::IniFile& ini, Koment::TNastaveni& n, int kod, bool hodnota);

struct TMistoKontroly {
    int Kod = 0;
    int X = 0;
    int Y = 0;
};
// Where the boxes of the codes in use stand: eight a row, 50 px apart, rows 20 px apart; the
// first row from 30, later rows from 15.
std::vector<TMistoKontroly> RozlozKontroly(const std::array<bool, 256>& pouzita);
// The caption of a code's box: right-aligned in three characters.
std::string TitulekKontroly(int kod);

} // namespace VyberKateg
