#include "Mezicasy.h"
#include "KomentHlavni.h"
#include "KomentTools.h"
#include "SI_Typ.h"
#include "platform/Clock.h"
#include "testsupport/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <list>
#include <random>
#include <sstream>
#include <tuple>

using namespace Mezicasy;
using Koment::Nastaveni;

namespace {

TMezicasRec Rec(int32_t cip, int32_t kod, std::string cas, int32_t stav = 0, uint16_t druh = 2,
                int32_t bib = 0) {
    TMezicasRec r;
    r.Cip = cip;
    r.Kod = kod;
    r.Cas = std::move(cas);
    r.Stav = stav;
    r.Druh = druh;
    r.StartCislo = bib;
    return r;
}

TZavodnikData Comp(const std::string& cat, int32_t cip, const std::string& bib,
                   std::initializer_list<int> kody, double start = 0) {
    TZavodnikData d;
    d.Kategorie = cat;
    d.Jmeno = "Runner " + std::to_string(cip);
    d.RegCislo = "R" + std::to_string(cip);
    d.Cip = cip;
    d.StartCislo = bib;
    d.CasStartu = start;
    int i = 1;
    for (int k : kody) {
        d.PoradiKontrol[i] = static_cast<uint8_t>(i);
        d.Kontroly[i++] = static_cast<uint8_t>(k);
    }
    return d;
}

struct Zaznamy : IStavovyRadek, IMrizkaUdalosti {
    std::vector<std::string> zpravy, chyby;
    std::vector<std::pair<int32_t, int32_t>> zrusene;
    void ZpravaZpracovani(const std::string& t) override { zpravy.push_back(t); }
    void NastavZpravu(const std::string& t) override { chyby.push_back(t); }
    void ZrusZaznamInfoAll(int32_t cip, int32_t bod) override { zrusene.emplace_back(cip, bod); }
};

class MezicasyTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        SI_Typ::Zavod = 12;
        SI_Typ::Etapa = 1;
        platform::SetClock(&clock);
        zavod.Napoj(&sink, &sink);
        zavod.SlozkaKopii = dir.Path().string() + "/";
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
    }
    void Load(const std::vector<TZavodnikData>& all) {
        for (const TZavodnikData& d : all) {
            TKateg1* k = zavod.NajdiKateg(d.Kategorie);
            zavod.AddZavodnik(k ? *k : zavod.AddKateg(d.Kategorie), d);
        }
        zavod.SpocitejUseky();
    }
    void Feed(const TMezicasRec& r, bool save = true) {
        zavod.VlozMezicas(r, save);
        zavod.ZpracujMezicas();
    }
    double Split(int32_t cip, int point) {
        return zavod.NajdiZavodnika(cip, true)->Data.Mezicasy[point];
    }
    std::string File(const std::string& name) {
        std::ifstream in(dir / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    testsupport::TempDir dir;
    platform::FakeClock clock;
    Zaznamy sink;
    TZavod zavod;
};

} // namespace

TEST_F(MezicasyTest, MasterListOrderAndRepeats) {
    // Start kinds last; chips before bibs; then code, status and time.
    EXPECT_LT(PorovnejMezicasy(Rec(9, 31, "10:00:00"), Rec(1, 31, "09:00:00", 5, 4), true), 0);
    EXPECT_LT(PorovnejMezicasy(Rec(9, 31, "10:00:00"), Rec(0, 31, "09:00:00", 0, 2, 1), true), 0);
    EXPECT_LT(PorovnejMezicasy(Rec(1, 31, "10:00:01"), Rec(1, 32, "10:00:00"), true), 0);
    EXPECT_EQ(PorovnejMezicasy(Rec(1, 31, "10:00:01"), Rec(1, 31, "10:00:00"), false), 0);
    EXPECT_LT(PorovnejMezicasy(Rec(0, 3, "10:00:01", 5, 4), Rec(7, 3, "10:00:02", 5, 5), true), 0);

    TSeznamMezicasu list;
    int saved = 0;
    auto ok = [&](const TMezicasRec&) {
        ++saved;
        return TSeznamMezicasu::TUlozeni{true, false};
    };
    auto refuse = [](const TMezicasRec&) { return TSeznamMezicasu::TUlozeni{false, false}; };
    EXPECT_EQ(list.Vloz(Rec(1, 45, "10:00:00,0"), true, refuse), 0); // empty list, refused
    EXPECT_EQ(list.Vloz(Rec(1, 45, "10:00:00,0"), true, ok), 0);     // listed: a repeat
    EXPECT_EQ(list.Vloz(Rec(1, 45, "10:00:00.0"), true, refuse), 0); // changed, refused
    EXPECT_EQ(list.Vloz(Rec(2, 45, "10:00:00,0"), true, ok), 2);
    EXPECT_EQ(list.Vloz(Rec(2, 45, "10:00:00,0"), true, ok), 0);
    // A deletion for chip and code makes every repeat count again.
    EXPECT_EQ(list.Vloz(Rec(2, 45, "10:00:00,0", -1), true, ok), 2);
    EXPECT_EQ(list.Vloz(Rec(2, 45, "10:00:00,0"), true, ok), 1);
    EXPECT_EQ(list.Vloz(Rec(2, 45, "10:00:00,0", -1), true, ok), 1);
    EXPECT_EQ(saved, 4);
    EXPECT_EQ(list.Pocet(), 3u);
}

TEST_F(MezicasyTest, SplitsAtTheRightPoint) {
    Load({Comp("H21", 1, "1", {31, 45, 45, 33, 45, 1}, 0.0), Comp("H21", 2, "2", {45, 1})});
    Feed(Rec(1, 45, "10:05:00,0"));
    Feed(Rec(1, 45, "10:05:00,0")); // an identical line: nothing new
    EXPECT_DOUBLE_EQ(Split(1, 2), 5.00);
    EXPECT_EQ(zavod.SeznamMezicasu.Pocet(), 1u);
    EXPECT_EQ(zavod.Udalosti.size(), 1u);
    Feed(Rec(1, 45, "10:05:04,0")); // four seconds later: the same pass, replaced
    EXPECT_DOUBLE_EQ(Split(1, 2), 5.04);
    EXPECT_EQ(Split(1, 3), 0);
    Feed(Rec(1, 45, "10:05:16,0")); // twelve seconds later: the next pass
    EXPECT_DOUBLE_EQ(Split(1, 3), 5.16);
    Feed(Rec(1, 2, "10:30:00,0")); // any finish code reaches the finish point
    EXPECT_DOUBLE_EQ(Split(1, 6), 30.00);
    EXPECT_EQ(zavod.PocetVCili, 1);
    Feed(Rec(2, 0, "10:31:00,0")); // code 0 reaches no point
    Feed(Rec(2, 300, "10:31:00,0"));
    EXPECT_EQ(Split(2, 2), 0);
    EXPECT_EQ(Split(2, 1), 0);

    // Split, deletion, split: stored, cleared with its event, stored again.
    Feed(Rec(2, 45, "10:10:00,0"));
    EXPECT_NE(zavod.Udalosti.Najdi(2, 1), nullptr);
    Feed(Rec(2, 45, "10:10:00,0", -1));
    EXPECT_EQ(Split(2, 1), 0);
    EXPECT_EQ(zavod.Udalosti.Najdi(2, 1), nullptr);
    ASSERT_EQ(sink.zrusene.size(), 1u);
    EXPECT_EQ(sink.zrusene[0], std::make_pair(2, 1));
    Feed(Rec(2, 45, "10:10:00,0"));
    EXPECT_DOUBLE_EQ(Split(2, 1), 10.00);

    // Negative splits are counted in milliseconds; no start time at all counts from zero.
    Feed(Rec(2, 1, "09:59:00,5"));
    EXPECT_NEAR(Split(2, 2), -0.595, 1e-9);
    Load({Comp("D21", 3, "", {31}, kBezCasu)});
    Feed(Rec(3, 31, "10:01:00,0"));
    EXPECT_DOUBLE_EQ(Split(3, 1), 1.00);
}

TEST_F(MezicasyTest, CommandsStartGatesAndUnreadableTimes) {
    Nastaveni.CisloStartu = {5, 0, 0, 0};
    Load({Comp("H21", 123, "7", {31, 1}), Comp("H21", 124, "8", {31, 1})});
    Feed(Rec(123, 5, "09:59:00,0")); // gates off: start punches change nothing
    EXPECT_EQ(zavod.StartBranky[5].Cip, 0);

    Nastaveni.StartovniBranky = true;
    Feed(Rec(0, 5, "10:00:00,0", 5, 4)); // an impulse never pairs with an empty gate entry
    EXPECT_EQ(zavod.NajdiZavodnika(123, true)->Data.CasStartuRazeny, kBezCasu);
    Feed(Rec(123, 5, "10:00:15,0"), false); // SI start punch (as read back from the copy)
    Feed(Rec(0, 5, "10:00:00,1", 5, 4));
    EXPECT_DOUBLE_EQ(zavod.NajdiZavodnika(123, true)->Data.CasStartuRazeny, 0.001);
    EXPECT_EQ(zavod.Udalosti.Najdi(123, 0)->Popis, "Start");
    Feed(Rec(124, 5, "10:00:20,2"), false);
    Feed(Rec(0, 5, "10:00:00,2", 5, 4)); // exactly 20 s apart: no pair
    EXPECT_EQ(zavod.NajdiZavodnika(124, true)->Data.CasStartuRazeny, kBezCasu);

    Feed(Rec(124, 9998, "")); // not disqualified: nothing
    EXPECT_EQ(zavod.Udalosti.Najdi(124, 2), nullptr);
    Feed(Rec(124, 9999, "garbage")); // commands need no time
    EXPECT_EQ(zavod.NajdiZavodnika(124, true)->Data.Stav, 1);
    EXPECT_EQ(zavod.Udalosti.Najdi(124, 2)->IndexMezicasu, 2);
    // An unknown chip's course takes only codes 1..255.
    Nastaveni.NeznameCipy = true;
    Feed(Rec(555, 9999, ""));
    const TZavodnik* u = zavod.NajdiZavodnika(555, true);
    EXPECT_EQ(u->Data.Kontroly[1], 0);
    Feed(Rec(555, 77, "10:10:00"));
    EXPECT_EQ(u->Data.Kontroly[1], 77);
    EXPECT_DOUBLE_EQ(u->Data.Mezicasy[1], 10.00);
    EXPECT_EQ(zavod.Udalosti.Najdi(555, 1)->Popis, "K 77");

    sink.zpravy.clear();
    Feed(Rec(124, 31, "10:61:00"));
    EXPECT_EQ(Split(124, 1), 0);
    ASSERT_EQ(sink.zpravy.size(), 1u);
    EXPECT_NE(sink.zpravy[0].find("10:61:00"), std::string::npos);
}

TEST_F(MezicasyTest, SplitCopiesAndRawLines) {
    Load({Comp("H21", 1234567, "12", {45, 1})});
    Feed(Rec(1234567, 45, "10:15:32,1200"));
    EXPECT_EQ(File("MezE1.dat"), "   1234567 ; 10:15:32,1200 ;  45 ; 0\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "Cil_E1.dat"));
    Feed(Rec(0, 2, "10:30:00,5", 0, 2, 12)); // finish by bib: the raw line names the chip
    EXPECT_EQ(File("rawsplits0012.txt"), " 1234567:   2/10:30:00.5\r\n");
    EXPECT_EQ(File("Cil_E1.all"), "*       12 ; 10:30:00,5 ;   2 ; 0\r\n");
    EXPECT_DOUBLE_EQ(Split(1234567, 2), 30.005);

    // Start gates: the impulse goes to the main and start copies at once, the paired line
    // again, named by its start number; an SI start punch only to the main copy.
    Nastaveni.StartovniBranky = true;
    Nastaveni.CisloStartu = {3, 0, 0, 0};
    Feed(Rec(1234567, 3, "09:59:58,0"));
    Feed(Rec(0, 3, "10:00:00,0", 5, 4));
    const std::string k = "K          ; 10:00:00,0 ;   3 ; 5\r\n";
    EXPECT_EQ(File("Start_E1.dat"), k);
    EXPECT_TRUE(File("MezE1.dat").ends_with("   1234567 ; 09:59:58,0 ;   3 ; 0\r\n" + k));
    zavod.StartBranky[3] = {-0.02, 1234567};
    Feed(Rec(0, 3, "10:00:00,1", 5, 4));
    const std::string all =
        k + "K          ; 10:00:00,1 ;   3 ; 5\r\nSREI2    0 ; 10:00:00,1 ;   3 ; 4\r\n";
    EXPECT_EQ(File("Start_E1.all"), all);
    // A reload pairs the impulse again but writes its start line only once.
    zavod.SeznamMezicasu.Vycisti();
    zavod.NajdiZavodnika(1234567, true)->Data.CasStartuRazeny = kBezCasu;
    Feed(Rec(0, 3, "10:00:00,1", 5, 4), false);
    EXPECT_DOUBLE_EQ(zavod.NajdiZavodnika(1234567, true)->Data.CasStartuRazeny, 0.001);
    EXPECT_EQ(File("Start_E1.all"), all);

    // With an ALGE finish on, a RACOM finish is neither copied nor processed.
    Nastaveni.AlgeCilZapnut = true;
    const auto before = File("MezE1.dat");
    EXPECT_EQ(zavod.VlozMezicas(Rec(1234567, 1, "10:40:00", 0, 1), true), 0);
    EXPECT_EQ(File("MezE1.dat"), before);
}

TEST_F(MezicasyTest, PlacesTiesAndLosses) {
    Load({Comp("H21", 1, "1", {45}), Comp("H21", 2, "2", {45}), Comp("H21", 3, "3", {45}),
          Comp("H21", 4, "4", {45})});
    auto set = [&](int32_t cip, double s) {
        zavod.NajdiZavodnika(cip, true)->Data.Mezicasy[1] = s;
    };
    auto at = [&](int32_t cip) {
        return zavod.PoradiZavodnika(*zavod.NajdiZavodnika(cip, true), 1);
    };
    set(1, 1.14);
    set(2, 1.15);
    set(3, 1.155);
    // Whole seconds: 1:15 and 1:15.5 tie, 1:14 leads by a second.
    EXPECT_EQ(at(2).Poradi, 2);
    EXPECT_EQ(at(3).Poradi, 2);
    EXPECT_DOUBLE_EQ(at(3).Ztrata, 0.01);
    EXPECT_DOUBLE_EQ(at(1).Ztrata, -0.01);
    EXPECT_EQ(at(1).Pocet, 3);
    Nastaveni.Desetiny = true;
    EXPECT_EQ(at(3).Poradi, 3);
    EXPECT_DOUBLE_EQ(at(3).Ztrata, 0.015);
    set(2, 1.14);
    EXPECT_EQ(at(1).Ztrata, 0); // a tie for the lead
    set(2, 0);
    set(3, 0);
    EXPECT_EQ(at(1).Ztrata, 0); // no runner-up
    zavod.NajdiZavodnika(4, true)->Data.Stav = 1;
    set(4, 2.00);
    EXPECT_EQ(at(4).Poradi, 999);
    // A stage race: the overall place and loss add the earlier stages' times.
    set(4, 0);
    set(2, 1.20);
    zavod.NajdiZavodnika(1, true)->Data.CasPredchozi = 10.10;
    zavod.NajdiZavodnika(2, true)->Data.CasPredchozi = 10.00;
    EXPECT_EQ(std::tuple(at(1).Poradi, at(1).PoradiCelkem, at(1).PocetCelkem), std::tuple(1, 2, 2));
    EXPECT_DOUBLE_EQ(at(1).ZtrataCelkem, 0.04);
    EXPECT_EQ(std::tuple(at(2).Poradi, at(2).PoradiCelkem), std::tuple(2, 1));
    zavod.NajdiZavodnika(1, true)->Data.CasPredchozi = 0;
    zavod.NajdiZavodnika(2, true)->Data.CasPredchozi = 0;
    set(2, 0);
    set(4, 2.00);

    // The info-board line of the punch that made the split.
    Nastaveni.Desetiny = false;
    Nastaveni.CestaInfoTab = (dir / "tab").string();
    set(1, 0.40);
    set(2, 0.41);
    Feed(Rec(3, 45, "10:40:00,0")); // the board is off: no line is gathered
    EXPECT_EQ(zavod.Vystup.Cekajicich(), 0u);
    EXPECT_TRUE(sink.chyby.empty());
    Nastaveni.VytvaretInfoTab = true;
    Feed(Rec(3, 45, "10:45:12,0"));
    EXPECT_EQ(sink.chyby.size(), 1u); // missing folder: shown, kept
    EXPECT_EQ(zavod.Vystup.Cekajicich(), 1u);
    std::filesystem::create_directory(dir / "tab");
    Feed(Rec(4, 45, "11:05:23,0"));
    const std::string tab = "00:45:12;3;3;H21;R3;Runner 3;44:32;45;\r\n"
                            "01:05:23;4;999;H21;R4;Runner 4; 0:00;45;\r\n";
    EXPECT_EQ(File("tab/InfoTab.txt"), tab); // the kept line first
    Feed(Rec(3, 45, "10:45:13,0"), false);   // replays write no info-board line
    EXPECT_DOUBLE_EQ(Split(3, 1), 45.13);
    EXPECT_EQ(File("tab/InfoTab.txt"), tab);
}

TEST_F(MezicasyTest, ReloadReplaysTheOwnCopyWithoutWritingAgain) {
    const std::vector<TZavodnikData> comps = {Comp("H21", 11, "1", {31, 32, 1}),
                                              Comp("D21", 12, "2", {32, 31, 1})};
    Load(comps);
    for (int32_t cip : {11, 12}) {
        Feed(Rec(cip, 31, "10:05:0" + std::to_string(cip - 10)));
        Feed(Rec(cip, 32, "10:07:00"));
        Feed(Rec(cip, 1, "10:20:00"));
    }
    Feed(Rec(11, 32, "10:07:00", -1));
    const std::string copy = File("MezE1.dat");
    const std::string raw = File("rawsplits0012.txt");
    const auto splits = zavod.NajdiZavodnika(12, true)->Data.Mezicasy;

    zavod.Vycisti(true);
    zavod.SeznamMezicasu.Vycisti();
    zavod.PocetVCili = 0;
    Load(comps);
    std::istringstream lines(copy);
    for (std::string line; std::getline(lines, line);) {
        TMezicasRec r;
        std::string f[4];
        std::istringstream fields(line);
        for (auto& s : f) {
            std::getline(fields, s, ';');
        }
        r.Cip = std::stoi(f[0]);
        r.Cas = std::string(Tools::Trim(f[1]));
        r.Kod = std::stoi(f[2]);
        r.Stav = std::stoi(f[3]);
        r.Druh = 2;
        zavod.VlozMezicas(r, false);
    }
    zavod.ZpracujMezicas();
    EXPECT_EQ(zavod.NajdiZavodnika(12, true)->Data.Mezicasy, splits);
    EXPECT_EQ(Split(11, 2), 0);
    EXPECT_DOUBLE_EQ(Split(11, 1), 5.01);
    EXPECT_EQ(zavod.PocetVCili, 2);
    EXPECT_EQ(File("MezE1.dat"), copy);
    EXPECT_EQ(File("rawsplits0012.txt"), raw);
}

// Category names are cut to ten characters, not bytes: Czech letters take two bytes in UTF-8.
TEST_F(MezicasyTest, CzechCategoryNamesAreCutByCharacters) {
    for (const auto& [name, nazev] :
         {std::pair{"žluťoučký kůň", "ŽLUŤOUČKÝ "}, std::pair{"ččččččččččč", "ČČČČČČČČČČ"}}) {
        const Mezicasy::TKateg1& k = zavod.AddKateg(name);
        EXPECT_EQ(k.Nazev, nazev);
        EXPECT_EQ(zavod.NajdiKateg(nazev), &k);
    }
}

TEST_F(MezicasyTest, LookUps) {
    Load({Comp("H211", 1, "5/1", {31}, 1.0), Comp("H212", 2, "5/2", {31}, 0),
          Comp("H213", 3, "5/3", {31}, 0), Comp("H21", 4, "9", {31}), Comp("X5", 5, "5/5", {31}),
          Comp("H211", 6, "6/1", {31}), Comp("H21", 77, "1", {31}), Comp("H211", 77, "", {31})});
    EXPECT_EQ(zavod.NajdiKateg("h213")->PocetUseku, 3);
    EXPECT_EQ(zavod.NajdiKateg("H21")->PocetUseku, 1);
    EXPECT_EQ(zavod.DalsiKateg("X5"), "H211");
    EXPECT_EQ(zavod.DalsiKateg(""), "H211");
    // The first in category order, though added later.
    EXPECT_EQ(zavod.NajdiZavodnika(77, true)->Kategorie->Nazev, "H211");
    EXPECT_EQ(zavod.NajdiZavodnika(9, false)->Data.Cip, 4);
    EXPECT_EQ(zavod.NajdiZavodnika(0, false), nullptr);
    zavod.AddZavodnik(*zavod.NajdiKateg("H21"), Comp("H21", 0, "", {31}));
    EXPECT_EQ(zavod.NajdiKateg("H21")->Zavodnici.size(), 2u); // chip 0 is not added

    // Relay: the highest leg whose start lies before the punch; slot 5 does not exist.
    zavod.NajdiZavodnika(2, true)->Data.CasStartu = 20.0;
    EXPECT_EQ(zavod.NajdiStafetu(5, 0, 25.0)->Data.Cip, 2);
    EXPECT_EQ(zavod.NajdiStafetu(5, 0, 20.05)->Data.Cip, 1); // not ten seconds after
    EXPECT_EQ(zavod.NajdiStafetu(5, 1, 25.0)->Data.Cip, 1);
    EXPECT_EQ(zavod.NajdiStafetu(5, 5, 100.0)->Data.Cip, 2); // X5 takes no slot

    // Events: one per chip and point, and a copy outlives a reload that drops its category.
    zavod.PridejUdalost(*zavod.NajdiZavodnika(4, true), 31, 1, 0);
    zavod.PridejUdalost(*zavod.NajdiZavodnika(4, true), 31, 1, 0);
    EXPECT_EQ(zavod.Udalosti.size(), 1u);
    zavod.Vycisti(true);
    const auto e = zavod.Udalosti.VezmiPrvni();
    EXPECT_EQ(e->Kategorie->Nazev, "H21");
    EXPECT_EQ(e->Popis, "1. mez/1.k/31");
    EXPECT_EQ(zavod.PoradiZavodnika(*e, 1).Poradi, 1);
    EXPECT_TRUE(zavod.Udalosti.empty());
    EXPECT_EQ(zavod.Udalosti.Prvni(), nullptr);
    TZavodnik again = *e; // the queue works on after it was drained
    zavod.PridejUdalost(again, 31, 1, 0);
    ASSERT_NE(zavod.Udalosti.Najdi(4, 1), nullptr);
    EXPECT_EQ(zavod.Udalosti.size(), 1u);
}

// A repeat at a control the course passes twice belongs to the later pass from ten seconds
// apart on, either way; below that it replaces the stored split.
TEST_F(MezicasyTest, LaterPassFromTenSecondsApart) {
    int32_t cip = 1;
    for (const auto& [second, first, later] : {std::tuple{"10:05:10,0", 5.00, 5.10},
                                               {"10:05:09,9", 5.09, 0.0},
                                               {"10:04:50,0", 5.00, 4.50},
                                               {"10:04:50,1", 4.50, 0.0}}) {
        Load({Comp("H21", cip, "", {45, 45, 1})});
        Feed(Rec(cip, 45, "10:05:00,0"));
        Feed(Rec(cip, 45, second));
        EXPECT_DOUBLE_EQ(Split(cip, 1), first) << second;
        EXPECT_DOUBLE_EQ(Split(cip++, 2), later) << second;
    }
}

// Deleting a finish split takes the runner out of the finish count; a deletion that matches
// no stored split, or one of an unknown chip, does not.
TEST_F(MezicasyTest, FinishCountFollowsDeletions) {
    Nastaveni.NeznameCipy = true;
    Load({Comp("H21", 1, "1", {31, 1}), Comp("H21", 2, "2", {31, 1})});
    for (const auto& [cip, kod, cas, stav, pocet] : {std::tuple{1, 1, "10:30:00,0", 0, 1},
                                                     {2, 1, "10:31:00,0", 0, 2},
                                                     {9, 1, "10:32:00,0", 0, 2},
                                                     {1, 1, "10:30:05,0", -1, 2},
                                                     {1, 31, "10:30:00,0", -1, 2},
                                                     {1, 1, "10:30:00,0", -1, 1},
                                                     {9, 1, "10:32:00,0", -1, 1}}) {
        Feed(Rec(cip, kod, cas, stav));
        EXPECT_EQ(zavod.PocetVCili, pocet) << cip << " " << cas << " " << stav;
    }
}

// Control 31 is the first with a display switch: switched off in Hlasvel.ini, its events stay
// out of the main grid while the next control's and the finish's come in.
TEST_F(MezicasyTest, MainGridLeavesOutControl31WhenSwitchedOff) {
    platform::IniFile ini((dir / "Hlasvel.ini").string());
    ini.WriteBool("ZobrazitKontroly", "K31", false);
    KomentHlavni::NactiZobrazeni(ini, Nastaveni);
    Load({Comp("H21", 1, "1", {31, 32, 1})});
    Feed(Rec(1, 31, "10:05:00,0"));
    Feed(Rec(1, 32, "10:06:00,0"));
    Feed(Rec(1, 1, "10:07:00,0"));
    EXPECT_EQ(zavod.Udalosti.Najdi(1, 1), nullptr);
    EXPECT_NE(zavod.Udalosti.Najdi(1, 2), nullptr);
    EXPECT_NE(zavod.Udalosti.Najdi(1, 3), nullptr);
    EXPECT_DOUBLE_EQ(Split(1, 1), 5.0);
}

// The event queue against a plain list over events replaced, removed and taken from the front
// in random order, with the queue left long enough to pass many blocks undrained: one event per
// chip and point, oldest first, none lost or shown twice.
TEST(FrontaUdalosti, BehavesAsAListWithOneEventPerChipAndPoint) {
    std::mt19937 rnd(29);
    Mezicasy::TFrontaUdalosti fronta;
    std::list<std::pair<int32_t, std::string>> model; // chip * 16 + point, text
    for (int krok = 0; krok < 20000; ++krok) {
        const int32_t cip = 1 + static_cast<int32_t>(rnd() % 400), bod = rnd() % 16;
        const auto jeho = [&](const auto& o) { return o.first == cip * 16 + bod; };
        const unsigned co = rnd() % 100;
        if (co < 60 || model.size() < 1500) {
            std::erase_if(model, jeho);
            model.emplace_back(cip * 16 + bod, std::to_string(krok));
            fronta.Pridej(cip, bod).Popis = model.back().second;
        } else if (co < 70) {
            ASSERT_EQ(fronta.Odeber(cip, bod), std::erase_if(model, jeho) > 0) << krok;
        } else if (co < 80) {
            const auto it = std::find_if(model.begin(), model.end(), jeho);
            const Mezicasy::TZavodnik* e = fronta.Najdi(cip, bod);
            ASSERT_EQ(e ? e->Popis : "-", it != model.end() ? it->second : "-") << krok;
        } else if (model.size() > 3000 || co < 85) {
            const auto e = fronta.VezmiPrvni();
            ASSERT_EQ(e ? e->Popis : "-", model.empty() ? "-" : model.front().second) << krok;
            if (!model.empty()) {
                model.pop_front();
            }
        }
        ASSERT_EQ(fronta.size(), model.size()) << krok;
    }
    for (const auto& o : model) {
        ASSERT_EQ(fronta.VezmiPrvni()->Popis, o.second);
    }
    EXPECT_EQ(fronta.Prvni(), nullptr);
    fronta.Pridej(1, 1).Popis = "again"; // into the blocks freed by the drain
    EXPECT_EQ(fronta.VezmiPrvni()->Popis, "again");
}
