#include "InfoAll.h"
#include "KomentTools.h"
#include "SI_Typ.h"

#include <gtest/gtest.h>

using namespace Mezicasy;
using Koment::Nastaveni;

namespace {

struct Zvuk : IZvuk {
    int pipnuti = 0;
    void Pipni() override { ++pipnuti; }
};

class InfoAllTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        Nastaveni.Zvuky = true;
        for (int i = 1; i <= 40; ++i) {
            TZavodnikData d;
            d.Kategorie = i % 2 ? "H21" : "D21";
            d.Jmeno = "Runner " + std::to_string(i);
            d.Cip = i;
            d.StartCislo = " " + std::to_string(100 + i) + " ";
            d.CasStartu = i;
            d.Kontroly[1] = 31;
            d.Kontroly[2] = 1;
            d.PoradiKontrol[1] = 1;
            d.PoradiKontrol[2] = 2;
            TKateg1* k = zavod.NajdiKateg(d.Kategorie);
            zavod.AddZavodnik(k ? *k : zavod.AddKateg(d.Kategorie), d);
        }
        zavod.SpocitejUseky();
    }
    void TearDown() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
    }
    // Competitor `cip` reaches point 1 (a control) or 2 (the finish) in `minutes`.
    void Split(int32_t cip, int point, double minutes) {
        TZavodnik* z = zavod.NajdiZavodnika(cip, true);
        z->Data.Mezicasy[point] = minutes;
        zavod.PridejUdalost(*z, point == 1 ? 31 : 1, point, minutes);
    }
    void Start(int32_t cip) {
        TZavodnik* z = zavod.NajdiZavodnika(cip, true);
        zavod.PridejUdalost(*z, 0, 0, 0);
    }
    std::string Cell(int r, int c) const { return grid.Radek(r)[static_cast<size_t>(c)]; }
    TZavod zavod;
    InfoAll::TInfoAll grid;
    Zvuk zvuk;
};

TEST(InfoAllTexts, PlacesColoursAndWidths) {
    EXPECT_EQ(InfoAll::TextPoradi(2, 15), "  2 / 15");
    EXPECT_EQ(InfoAll::TextPoradi(12, 15), "12 / 15");
    EXPECT_EQ(InfoAll::TextPoradi(3, 2), "  3");
    EXPECT_EQ(InfoAll::TextPoradi(999, 20), "");
    const std::pair<int, const char*> colours[] = {{1, "27135"}, {2, "34815"}, {3, "42495"},
                                                   {4, "50175"}, {5, "57855"}, {6, "65535"},
                                                   {7, ""},      {0, ""},      {999, "16776960"}};
    for (const auto& [place, text] : colours) {
        EXPECT_EQ(InfoAll::BarvaPoradi(place), text) << place;
    }
    std::array<int, 14> now;
    now.fill(50);
    const auto w0 = InfoAll::SirkySloupcu(0, 1015, now);
    EXPECT_EQ(w0[2], 290);
    EXPECT_EQ(w0[5], 0);
    EXPECT_EQ(w0[10], 100);
    const auto w1 = InfoAll::SirkySloupcu(1, 1015, now);
    EXPECT_EQ(w1[0], 60);
    EXPECT_EQ(w1[6], 70);
    const auto w2 = InfoAll::SirkySloupcu(2, 1015, now);
    EXPECT_EQ(w2[7], 100);
    EXPECT_EQ(w2[8], 0);
    const auto w9 = InfoAll::SirkySloupcu(9, 1015, now);
    EXPECT_EQ(w9[0], 50);
    for (const auto& w : {w0, w1, w2, w9}) {
        EXPECT_EQ(w[11] + w[12] + w[13], 0);
    }
}

TEST_F(InfoAllTest, BacklogKeepsTheNewestRowsFirst) {
    Nastaveni.MaxRadkuHlOkna = 5;
    Nastaveni.MaxPor = 999;
    for (int i = 1; i <= 20; ++i) {
        Split(i, 1, 10 + i * 0.01);
    }
    grid.Vypln(zavod, Nastaveni, &zvuk);
    EXPECT_TRUE(zavod.Udalosti.empty());
    ASSERT_EQ(grid.PocetRadku(), 6); // header and 5 event rows
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(Cell(r, 11), std::to_string(21 - r)) << r;
    }
    EXPECT_EQ(Cell(1, 3), "120");
    EXPECT_EQ(Cell(1, 12), "1");
    EXPECT_EQ(zvuk.pipnuti, 0) << "the first fill is silent";

    // Later single events ring for places 1..3 only.
    Split(21, 1, 9.0);  // best at the control
    Split(23, 1, 99.0); // last
    grid.Vypln(zavod, Nastaveni, &zvuk);
    EXPECT_EQ(zvuk.pipnuti, 1);
    EXPECT_EQ(Cell(1, 11), "23");
    EXPECT_EQ(Cell(2, 11), "21");
    EXPECT_EQ(Cell(2, 8), "  1 / 12");
    EXPECT_EQ(Cell(2, 13), "27135");
    Nastaveni.Zvuky = false;
    Split(25, 1, 8.0);
    grid.Vypln(zavod, Nastaveni, &zvuk);
    EXPECT_EQ(zvuk.pipnuti, 1);

    // A rebuild empties the grid at the next event and is silent.
    grid.Prekreslit = true;
    Nastaveni.Zvuky = true;
    Split(27, 1, 7.0);
    grid.Vypln(zavod, Nastaveni, &zvuk);
    EXPECT_EQ(zvuk.pipnuti, 1);
    EXPECT_EQ(grid.PocetRadku(), 3); // header, the event, the empty row
    EXPECT_EQ(Cell(2, 11), "");
}

TEST_F(InfoAllTest, FiltersAndPlaceLimit) {
    struct Case {
        const char* name;
        bool start, cil, mezicasy;
        int maxPor;
        std::vector<std::string> chips; // shown, newest first
    };
    const Case cases[] = {
        {"all", true, true, true, 20, {"9", "7", "5", "3", "1"}},
        {"no start", false, true, true, 20, {"7", "5", "3", "1"}},
        {"no finish", true, false, true, 20, {"9", "5", "3", "1"}},
        {"no controls", true, true, false, 20, {"9", "7"}},
        {"places to 1", true, true, true, 1, {"9", "7", "5", "1"}},
    };
    for (const Case& c : cases) {
        SetUp();
        Nastaveni.Start = c.start;
        Nastaveni.Cil = c.cil;
        Nastaveni.Mezicasy = c.mezicasy;
        Nastaveni.MaxPor = c.maxPor;
        Split(1, 1, 10);
        Split(3, 1, 11); // second: beyond MaxPor 1
        zavod.NajdiZavodnika(5, true)->Data.Stav = 1;
        Split(5, 1, 12); // disqualified: 999, always within the limit
        Split(7, 2, 30);
        Start(9);
        InfoAll::TInfoAll g;
        g.Vypln(zavod, Nastaveni, nullptr);
        std::vector<std::string> shown;
        for (int r = 1; r < g.PocetRadku(); ++r) {
            if (!g.Radek(r)[11].empty()) {
                shown.push_back(g.Radek(r)[11]);
            }
        }
        EXPECT_EQ(shown, c.chips) << c.name;
    }
}

TEST_F(InfoAllTest, RowTextsCancelledRowsAndClicks) {
    Nastaveni.Start = true;
    Nastaveni.Barvy = true;
    zavod.NajdiZavodnika(5, true)->Data.Stav = 1;
    Split(5, 1, 12.3);
    zavod.NajdiZavodnika(3, true)->Data.CasStartu = kBezCasu;
    Start(3);
    Split(1, 1, 10.0);
    grid.Vypln(zavod, Nastaveni, nullptr);
    // Newest first: the split of 1, the start of 3, the disqualified 5.
    EXPECT_EQ(Cell(1, 0), "H21");
    EXPECT_EQ(Cell(1, 9), "10.00");
    EXPECT_EQ(Cell(2, 12), "0");
    EXPECT_EQ(Cell(2, 9), "") << "no start time shows nothing";
    EXPECT_EQ(Cell(2, 10), "");
    EXPECT_EQ(Cell(2, 13), "") << "a start after a split gets no colour";
    EXPECT_EQ(Cell(3, 5), "");
    EXPECT_EQ(Cell(3, 8), "");
    EXPECT_EQ(Cell(3, 13), "16776960");
    EXPECT_EQ(grid.Barva(3, true), 16776960u);
    EXPECT_EQ(grid.Barva(3, false), std::nullopt);
    EXPECT_EQ(grid.Barva(2, true), std::nullopt);
    EXPECT_EQ(grid.Barva(0, true), std::nullopt);

    grid.ZrusZaznam(1, 1);
    for (int c = 5; c <= 10; ++c) {
        EXPECT_EQ(Cell(1, c), "XXXXXXX");
    }
    EXPECT_EQ(Cell(1, 13), "");
    EXPECT_EQ(Cell(3, 5), "") << "other rows stay";

    const auto left = grid.Klik(1, false, zavod);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->Kategorie, "H21");
    EXPECT_EQ(left->Cip, "1");
    EXPECT_EQ(left->Bod, 1);
    const auto right = grid.Klik(1, true, zavod);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->Bod, 0) << "the start list";
    EXPECT_FALSE(grid.Klik(0, false, zavod)) << "header";
    EXPECT_FALSE(grid.Klik(4, false, zavod)) << "the empty row";
    EXPECT_FALSE(grid.Klik(99, false, zavod));
    zavod.Vycisti(true);
    EXPECT_FALSE(grid.Klik(1, false, zavod)) << "its category is gone";
}

} // namespace
