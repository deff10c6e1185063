#pragma once

#include "KomentRozhrani.h"
#include "KomentTools.h"
#include "Mezicasy.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

// The main event grid as data: the newest events of the race first, each as the 14 texts of a
// row. Views show it and hear of each change through IZmenyInfoAll; a new event is one insert
// at the top and, once the grid is full, one removal at the bottom, never a shift of all rows.
namespace InfoAll {

inline constexpr int kSloupcu = 14;
using TRadek = std::array<std::string, kSloupcu>;

// Texts of the header row in the current language.
TRadek Hlavicka();
// Place p of c classified: "p / c" when c >= p, else p; two blanks before a one-digit place;
// 999 (a competitor with a status) gives "".
std::string TextPoradi(int32_t p, int32_t c);
// The row colour of a place as a decimal 0x00BBGGRR value; "" for no colour.
std::string BarvaPoradi(int32_t place);
// Column widths for a grid this wide and this race kind: columns 11..13 are always hidden; an
// unknown kind keeps the other widths of `soucasne`.
std::array<int, kSloupcu> SirkySloupcu(int druh, int sirkaMrizky,
                                       const std::array<int, kSloupcu>& soucasne);

// The row texts of one event; `poradi`: its places when already computed.
TRadek RadekUdalosti(const Mezicasy::TZavod& zavod, const Mezicasy::TZavodnik& e, bool desetiny,
                     const Mezicasy::TPoradi* poradi = nullptr);

// Told before and after each change so that a view keeps its rows in step.
class IZmenyInfoAll {
public:
    virtual ~IZmenyInfoAll() = default;
    virtual void PredVlozenim() = 0; // a row goes in at the top (event row 1)
    virtual void PoVlozeni() = 0;
    virtual void PredOdebranim(int radek) = 0; // the last event row goes
    virtual void PoOdebrani() = 0;
    virtual void PredVymazanim() = 0; // every row replaced
    virtual void PoVymazani() = 0;
    virtual void Zmeneno(int prvni, int posledni) = 0; // texts of event rows changed
};

// What a click on a row selects: the category window of a point and the chip's row in it.
struct TVyber {
    std::string Kategorie;
    std::string Cip;
    int32_t Bod = 0;
};

class TInfoAll {
public:
    TInfoAll();
    void Napoj(IZmenyInfoAll* zmeny) { zmeny_ = zmeny; }

    // Row 0 is the header; event rows 1.. newest first. At least one event row (empty at
    // start) is there.
    int PocetRadku() const { return 1 + static_cast<int>(radky_.size()); }
    const TRadek& Radek(int r) const { return r == 0 ? hlavicka_ : radky_[size_t(r - 1)]; }
    void NastavHlavicku(TRadek h) { hlavicka_ = std::move(h); }

    // PrekreslitInfoAll: the grid is emptied at the next event shown.
    bool Prekreslit = false;
    // The grid was filled once since it was last emptied: sounds only then.
    bool Naplneno = false;

    // Drains the race's event queue into the grid (once a second, after processing).
    void Vypln(Mezicasy::TZavod& zavod, const Koment::TNastaveni& n, Mezicasy::IZvuk* zvuk);
    // A split was deleted: its rows stay, cancelled and without colour.
    void ZrusZaznam(int32_t cip, int32_t bod);
    // The background of an event row as 0x00BBGGRR; none for white.
    std::optional<uint32_t> Barva(int r, bool barvy) const;
    // A click on a row: what to select, or nothing (header, empty row, unreadable point, a
    // category no longer in the race).
    std::optional<TVyber> Klik(int r, bool pravym, const Mezicasy::TZavod& zavod) const;

private:
    void Vloz(TRadek radek, int limit);
    TRadek hlavicka_;
    std::deque<TRadek> radky_; // event rows, newest first
    IZmenyInfoAll* zmeny_ = nullptr;
};

} // namespace InfoAll
