#include "KategOkna.h"
#include "KomentHlavni.h"
#include "KomentTools.h"
#include "SI_Typ.h"
#include "VyberKateg.h"
#include "platform/Clock.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

using namespace KategOkna;
using Koment::Nastaveni;
using Mezicasy::TKateg1;
using Mezicasy::TZavodnikData;

namespace {

TZavodnikData Comp(const std::string& cat, int32_t cip, std::initializer_list<double> mezicasy,
                   uint16_t stav = 0, std::string bib = "") {
    TZavodnikData d;
    d.Kategorie = cat;
    d.Jmeno = "R" + std::to_string(cip);
    d.RegCislo = "REG" + std::to_string(cip);
    d.Cip = cip;
    d.Stav = stav;
    d.StartCislo = std::move(bib);
    d.CasStartu = cip / 10.0;
    d.Kontroly[1] = 31;
    d.PoradiKontrol[1] = 1;
    d.Kontroly[2] = 1;
    int i = 1;
    for (double t : mezicasy) {
        d.Mezicasy[static_cast<size_t>(i++)] = t;
    }
    return d;
}

struct FakeOkno : IOkno {
    bool shown = false;
    std::string title;
    std::vector<TRadek> rows;
    int fills = 0, repaints = 0, selected = -2;
    Tools::FormPos pos;
    void Zobraz(bool z) override { shown = z; }
    bool Zobrazeno() const override { return shown; }
    void NastavTitulek(const std::string& t) override { title = t; }
    void Napln(const std::vector<TRadek>& r) override {
        rows = r;
        ++fills;
    }
    void Prekresli() override { ++repaints; }
    void NastavSloupce(int, bool) override {}
    Tools::FormPos Pozice() const override { return pos; }
    void NastavPozici(const Tools::FormPos& p) override { pos = p; }
    void VyberRadek(int r) override { selected = r; }
};

struct FakeTovarna : ITovarnaOken {
    int made = 0;
    std::unique_ptr<IOkno> Vytvor(const TKateg1&, int) override {
        ++made;
        return std::make_unique<FakeOkno>();
    }
};

class KategOknaTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        okna.NastavTovarnu(&tovarna);
        okna.NastavKategIni(&ini);
        okna.NastavObrazovku(1200, 800);
    }
    FakeOkno* Okno(const std::string& k, int w) { return static_cast<FakeOkno*>(okna.Okno(k, w)); }

    testsupport::TempDir dir;
    platform::IniFile ini{dir / "Kateg.ini"};
    Mezicasy::TZavod zavod;
    FakeTovarna tovarna;
    TOknaKateg okna{zavod};
};

std::vector<std::string> Column(const std::vector<TRadek>& rows, size_t c) {
    std::vector<std::string> out;
    for (const auto& r : rows) {
        out.push_back(r.Bunky[c]);
    }
    return out;
}

} // namespace

TEST_F(KategOknaTest, RowsOfStartListSplitsTiesTotalsAndStatus) {
    TKateg1& k = zavod.AddKateg("h21");
    zavod.AddZavodnik(k, Comp("H21", 30, {12.343}));
    zavod.AddZavodnik(k, Comp("H21", 10, {10.05}));
    zavod.AddZavodnik(k, Comp("H21", 20, {12.341}));
    zavod.AddZavodnik(k, Comp("H21", 40, {11.00}, 1));
    zavod.AddZavodnik(k, Comp("H21", 50, {}));
    auto start = NaplnOkno(k, 0);
    EXPECT_EQ(Column(start, 0), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(Column(start, 8), (std::vector<std::string>{"10", "20", "30", "40", "50"}));
    EXPECT_EQ(start[0].Bunky[7], ""); // no punched start

    auto rows = NaplnOkno(k, 1);
    ASSERT_EQ(rows.size(), 4U);
    EXPECT_EQ(Column(rows, 8), (std::vector<std::string>{"10", "40", "20", "30"}));
    // Whole seconds: 12:34.1 and 12:34.3 tie, the second place stays empty; the status row
    // shows the count before it.
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{" 1.", " 1.", " 2.", ""}));
    EXPECT_EQ(rows[0].Bunky[7], "");
    EXPECT_EQ(rows[1].Bunky[7], "DISK");
    EXPECT_EQ(rows[1].Bunky[5], "DISK");
    EXPECT_EQ(rows[2].Bunky[7], " 2.29");
    EXPECT_EQ(rows[2].Bunky[6], "12.34");
    EXPECT_EQ(BarvaRadku(rows[1], 0, false), kBarvaStavu);

    Nastaveni.Desetiny = true;
    rows = NaplnOkno(k, 1);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{" 1.", " 1.", " 2.", " 3."}));

    // Stage race: earlier status first, then by total; relays place by totals.
    Nastaveni.Desetiny = false;
    TKateg1& e = zavod.AddKateg("E");
    auto a = Comp("E", 1, {10.00});
    a.CasPredchozi = 25.00;
    auto b = Comp("E", 2, {15.00});
    b.CasPredchozi = 20.00;
    auto c = Comp("E", 3, {5.00});
    c.StavPredchozi = 2;
    zavod.AddZavodnik(e, a);
    zavod.AddZavodnik(e, b);
    zavod.AddZavodnik(e, c);
    for (int druh : {1, 2}) {
        Nastaveni.DruhZavodu = druh;
        rows = NaplnOkno(e, 1);
        EXPECT_EQ(Column(rows, 8), (std::vector<std::string>{"1", "2", "3"})) << druh;
        // Equal totals, different splits: a tie only where totals are compared.
        EXPECT_EQ(Column(rows, 0)[1], druh == 2 ? "" : " 2.");
        EXPECT_EQ(Column(rows, 0)[2], " 3.");
        EXPECT_EQ(rows[0].Bunky[4], "35.00");
        EXPECT_EQ(rows[1].Bunky[5], " 0.00");
        EXPECT_EQ(rows[1].Bunky[7], " 5.00");
        EXPECT_EQ(rows[2].Bunky[7], "VZDAL");
    }
}

TEST_F(KategOknaTest, CaptionsWidthsAndColours) {
    TKateg1& k = zavod.AddKateg("D21");
    zavod.AddZavodnik(k, Comp("D21", 1, {}));
    EXPECT_EQ(Titulek(k, 0), "D21  Start");
    EXPECT_EQ(Titulek(k, 1), "D21  1. mez/1.k/31");
    EXPECT_EQ(Titulek(k, 2), "D21  2. mez/cíl");
    SI_Typ::Language = 1;
    EXPECT_EQ(Titulek(k, 2), "D21  2. split/ finish");

    struct Case {
        int druh;
        bool bib;
        std::array<int, kSloupcu> w;
    };
    for (const Case& c : {Case{0, false, {7, 45, 0, 12, 0, 0, 17, 19, 0, 0}},
                          Case{0, true, {7, 37, 8, 12, 0, 0, 17, 19, 0, 0}},
                          Case{1, true, {6, 25, 8, 11, 13, 12, 13, 12, 0, 0}},
                          Case{2, false, {7, 40, 8, 12, 17, 16, 0, 0, 0, 0}}}) {
        EXPECT_EQ(SirkySloupcu(c.druh, c.bib, 115), c.w) << c.druh << c.bib;
    }
    for (int w : SirkySloupcu(1, true, 3)) {
        EXPECT_EQ(w, 0);
    }

    TRadek r;
    r.Datum = 1000;
    EXPECT_EQ(BarvaRadku(r, 1010, false), kBarvaBila);
    EXPECT_EQ(BarvaRadku(r, 1000, true), 0x000000FFU); // RGB 255,0,0
    EXPECT_EQ(BarvaRadku(r, 1124, true), 0x0000F8FFU); // RGB 255,248,0
    EXPECT_EQ(BarvaRadku(r, 1125, true), kBarvaBila);
    EXPECT_EQ(kBarvaHlavicky & 0xFF, 204U); // RGB 204,255,51
    EXPECT_EQ(HorniRadek(3, 10), 0);
    EXPECT_EQ(HorniRadek(30, 10), 25);
}

TEST_F(KategOknaTest, KategIniRoundTripRefreshAndOneReplacementPerAction) {
    Nastaveni.Start = true;
    TKateg1& k = zavod.AddKateg("D21");
    zavod.AddZavodnik(k, Comp("D21", 1, {}));
    k.VHlavnimOkne = true;
    k.OknoOtevreno[0] = k.OknoOtevreno[2] = true;
    okna.ObnovOkna();
    EXPECT_EQ(tovarna.made, 2); // only the shown windows get widgets
    Okno("D21", 2)->pos = {Tools::WindowState::Normal, 11, 22, 333, 444};
    const auto before = ini.SaveCount();
    okna.UlozVse();
    EXPECT_EQ(ini.SaveCount(), before + 1);
    EXPECT_EQ(ini.ReadInteger("D21/2", "Width", 0), 333);
    EXPECT_TRUE(ini.ReadBool("MEZ_D21", "-1", false));

    // Read back into a fresh race: window 3 (no such point) cannot stay open.
    ini.WriteBool("MEZ_D21", "3", true);
    Mezicasy::TZavod zavod2;
    TOknaKateg okna2(zavod2);
    okna2.NastavTovarnu(&tovarna);
    okna2.NastavKategIni(&ini);
    TKateg1& k2 = zavod2.AddKateg("D21");
    zavod2.AddZavodnik(k2, Comp("D21", 1, {5.0, 6.0}));
    k2.OknoZmeneno.fill(false);
    okna2.NactiKategIni(k2);
    EXPECT_TRUE(k2.VHlavnimOkne);
    EXPECT_TRUE(k2.OknoOtevreno[0] && k2.OknoOtevreno[2] && !k2.OknoOtevreno[3]);
    EXPECT_TRUE(k2.OknoZmeneno[2]);
    okna2.ObnovOkna();
    FakeOkno* o = static_cast<FakeOkno*>(okna2.Okno("D21", 2));
    EXPECT_EQ(o->pos.left, 22); // placement from D21/2
    EXPECT_EQ(o->fills, 1);
    // A quiet tick refills nothing; with colours on, it repaints while rows fade (the split
    // moment is 10:06:00) and once more when they have turned white.
    platform::FakeClock clock;
    platform::SetClock(&clock);
    clock.SetWall({2026, 6, 1, 10, 6, 10, 0});
    okna2.ObnovOkna();
    Nastaveni.Barvy = true;
    okna2.ObnovOkna();
    clock.SetWall({2026, 6, 1, 10, 9, 0, 0});
    okna2.ObnovOkna();
    okna2.ObnovOkna();
    platform::SetClock(nullptr);
    EXPECT_EQ(o->fills, 1);
    EXPECT_EQ(o->repaints, 2);
    k2.OknoZmeneno[1] = true; // a closed window is not filled
    okna2.ObnovOkna();
    EXPECT_EQ(okna2.Radky("D21", 1), nullptr);

    const auto n = ini.SaveCount();
    okna2.ZavriOkno("D21", 2);
    EXPECT_FALSE(o->shown);
    EXPECT_FALSE(ini.ReadBool("MEZ_D21", "2", true));
    EXPECT_EQ(ini.SaveCount(), n + 1);
}

// Kateg.ini is Windows-1250: the section name is cut by characters, so Czech names that differ
// only towards their end keep sections of their own.
TEST_F(KategOknaTest, CzechCategoriesKeepTheirOwnSections) {
    // Cut by bytes, the first two would share a section and the last two cut a Ž in half.
    const char* names[] = {"ŽENY ŠKOLY", "ŽENY ŠKOLA", "HŽŽŽŽŽ1", "HŽŽŽŽŽ2"};
    std::vector<TKateg1*> kategorie;
    for (int i = 0; i < 4; ++i) {
        TKateg1& k = *kategorie.emplace_back(&zavod.AddKateg(names[i]));
        zavod.AddZavodnik(k, Comp(names[i], i + 1, {}));
        k.VHlavnimOkne = i % 2 == 0;
        k.OknoOtevreno[1] = i % 2 == 1;
    }
    okna.UlozVse();
    for (int i = 0; i < 4; ++i) {
        TKateg1& k = *kategorie[static_cast<size_t>(i)];
        k.VHlavnimOkne = k.OknoOtevreno[1] = false;
        okna.NactiKategIni(k);
        EXPECT_EQ(k.VHlavnimOkne, i % 2 == 0) << names[i];
        EXPECT_EQ(k.OknoOtevreno[1], i % 2 == 1) << names[i];
    }
}

TEST_F(KategOknaTest, VyberVOkneSelectsTheChipsRowOrNone) {
    TKateg1& k = zavod.AddKateg("H21");
    for (int cip = 1; cip <= 5; ++cip) {
        zavod.AddZavodnik(k, Comp("H21", cip, {10.0 + cip}));
    }
    okna.VyberVOkne("h21", "4", 1);
    EXPECT_TRUE(k.OknoOtevreno[1]);
    EXPECT_TRUE(ini.ReadBool("MEZ_H21", "1", false));
    EXPECT_TRUE(Okno("H21", 1)->shown);
    EXPECT_EQ(Okno("H21", 1)->selected, 3);
    okna.VyberVOkne("H21", "", 1);
    EXPECT_EQ(Okno("H21", 1)->selected, -1);
    okna.VyberVOkne("XX", "1", 1);
    okna.VyberVOkne("H21", "1", 16);
    okna.VyberVOkne("H21", "1", -1);
    EXPECT_EQ(tovarna.made, 1);
}

TEST_F(KategOknaTest, RotationStepsThroughMarkedCategories) {
    for (const char* n : {"A", "B", "X", "C", "D", "E", "F"}) {
        TKateg1& k = zavod.AddKateg(n);
        zavod.AddZavodnik(k, Comp(n, n[0], {}));
        k.VHlavnimOkne = std::string(n) != "X";
    }
    zavod.NajdiKateg("B")->Zavodnici[0]->Data.Mezicasy[2] = 30.0; // B has a finisher
    okna.NastavMrizku(1, 4);
    TDivak divak;
    const auto shown = [&] {
        std::string s;
        for (const auto& k : zavod.Kategorie) {
            for (int w = 0; w < kOken; ++w) {
                if (k->OknoOtevreno[static_cast<size_t>(w)]) {
                    s += k->Nazev + std::to_string(w) + " ";
                }
            }
        }
        return s;
    };
    const auto before = ini.SaveCount();
    divak.TimerDivakTimer(zavod, okna, 1, 4, false);
    EXPECT_EQ(shown(), "A0 B2 C0 D0 ");
    EXPECT_EQ(ini.SaveCount(), before + 1);
    EXPECT_EQ(Okno("C", 0)->pos.left, 600); // 1200 / 4 per cell
    Okno("C", 0)->pos.left = 611;           // the operator moves it
    divak.TimerDivakTimer(zavod, okna, 1, 4, false);
    EXPECT_EQ(shown(), "E0 F0 ");
    EXPECT_EQ(ini.ReadInteger("ResOkno_1_3", "Left", 0), 611);
    divak.TimerDivakTimer(zavod, okna, 1, 4, true); // a dialog is open
    EXPECT_EQ(shown(), "E0 F0 ");
    divak.TimerDivakTimer(zavod, okna, 1, 4, false);
    EXPECT_EQ(shown(), "A0 B2 C0 D0 ");
    EXPECT_EQ(Okno("C", 0)->pos.left, 611); // the cell keeps the stored place

    // Layout beyond the limits: clamped loops, every shown window closed again.
    divak.TimerDivakTimer(zavod, okna, 0, 9, false);
    EXPECT_EQ(shown(), "E0 F0 ");
    divak.TimerDivakTimer(zavod, okna, 0, 9, false);
    EXPECT_EQ(shown(), "A0 B2 C0 D0 E0 ");

    // The category shown last is gone after a reload: start from the first.
    divak.DivakKategorie = "GONE";
    divak.TimerDivakTimer(zavod, okna, 0, 9, false);
    EXPECT_EQ(shown(), "A0 B2 C0 D0 E0 ");

    for (const auto& k : zavod.Kategorie) {
        k->VHlavnimOkne = false;
    }
    divak.TimerDivakTimer(zavod, okna, 0, 9, false);
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(divak.DivakKategorie, "");
}

TEST_F(KategOknaTest, CellSizeWithoutLayoutAndLetterButtons) {
    TKateg1& k = zavod.AddKateg("H21E");
    zavod.AddZavodnik(k, Comp("H21E", 1, {}));
    okna.NastavMrizku(0, 0);
    okna.UmistiOkno(k, 0, 2, 2);
    EXPECT_EQ(Okno("H21E", 0)->pos.width, 300);
    EXPECT_EQ(Okno("H21E", 0)->pos.height, 500);
    EXPECT_EQ(Okno("H21E", 0)->pos.left, 300);

    for (const char* n : {"D21A", "H21B", "D21C", "H21 "}) {
        zavod.AddKateg(n);
    }
    const auto nazvy = VyberKateg::SerazeneNazvy(zavod);
    ASSERT_EQ(nazvy, (std::vector<std::string>{"D21A", "D21C", "H21 ", "H21B", "H21E"}));
    const auto add = [&](char c) {
        return VyberKateg::PridejKatDlePoslPismene(zavod, okna, nazvy, c);
    };
    const auto n = ini.SaveCount();
    EXPECT_EQ(add('E'), (std::vector<size_t>{4}));
    EXPECT_EQ(ini.SaveCount(), n + 1);
    EXPECT_EQ(add('A'), (std::vector<size_t>{0}));
    EXPECT_EQ(add('B'), (std::vector<size_t>{3}));
    EXPECT_EQ(add('C'), (std::vector<size_t>{1}));
    EXPECT_EQ(add('1'), (std::vector<size_t>{2})); // trailing blank: the last non-blank counts
    EXPECT_EQ(VyberKateg::NastavVse(zavod, okna, {"D21A", "GONE", "H21B"}, false), 1U);
    EXPECT_FALSE(zavod.NajdiKateg("D21A")->VHlavnimOkne);
    EXPECT_TRUE(zavod.NajdiKateg("H21B")->VHlavnimOkne);

    std::array<VyberKateg::TBox, 10> boxy;
    EXPECT_FALSE(VyberKateg::Boxy(zavod, "GONE", boxy));
    k.OknoOtevreno[2] = true;
    ASSERT_TRUE(VyberKateg::Boxy(zavod, "h21e", boxy));
    EXPECT_TRUE(boxy[0].Viditelny && boxy[1].Viditelny && !boxy[2].Viditelny);
    EXPECT_TRUE(boxy[1].Zaskrtnut);
    EXPECT_EQ(boxy[1].Titulek, "2. mez/cíl");
    VyberKateg::ZmenZobrazeni(zavod, okna, "H21E", 2, false);
    EXPECT_FALSE(ini.ReadBool("MEZ_H21E", "2", true));
}

TEST_F(KategOknaTest, DisplaySwitchesDefaultsLayoutAndClicks) {
    platform::IniFile hl(dir / "Hlasvel.ini");
    Koment::TNastaveni n;
    n.Cil = false;
    KomentHlavni::NactiZobrazeni(hl, n);
    EXPECT_TRUE(n.AllKateg && n.Cil && n.Mezicasy);
    EXPECT_FALSE(n.Zvuky || n.Barvy || n.Start || n.NeznameCipy);
    VyberKateg::ZmenKontrolu(hl, n, 45, false);
    VyberKateg::ZmenPrepinac(hl, n, VyberKateg::Prepinac::Barvy, true);
    VyberKateg::ZmenKontrolu(hl, n, 30, false); // no switch below 31
    EXPECT_EQ(hl.ReadString("ZobrazitKontroly", "K45", ""), "0");
    EXPECT_FALSE(hl.ValueExists("ZobrazitKontroly", "K30"));
    Koment::TNastaveni m;
    KomentHlavni::NactiZobrazeni(hl, m);
    EXPECT_TRUE(m.Barvy);
    EXPECT_FALSE(m.KontrolaZobrazit[45]);
    EXPECT_TRUE(m.KontrolaZobrazit[46]);

    std::array<bool, 256> pouzita{};
    EXPECT_TRUE(VyberKateg::RozlozKontroly(pouzita).empty());
    for (int c = 40; c < 49; ++c) {
        pouzita[static_cast<size_t>(c)] = true;
    }
    pouzita[20] = true;
    const auto mista = VyberKateg::RozlozKontroly(pouzita);
    ASSERT_EQ(mista.size(), 9U);
    EXPECT_EQ(mista[7].X, 380);
    EXPECT_EQ(mista[7].Y, 30);
    EXPECT_EQ(mista[8].Kod, 48);
    EXPECT_EQ(mista[8].X, 15);
    EXPECT_EQ(mista[8].Y, 50);
    EXPECT_EQ(VyberKateg::TitulekKontroly(45), " 45");
}
