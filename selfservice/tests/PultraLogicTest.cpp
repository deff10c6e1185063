// The main form's logic: race file, button set and layout, choosers, grid lists and paging,
// chip records, look-up, password and countdown.

#include "PultraLogic.h"
#include "KioskTestSupport.h"
#include "Prezentace.h"
#include "PrihlaseniLogic.h"
#include "SI_Port.h"
#include "testsupport/TempDir.h"

#include <gmock/gmock.h>
#include <regex>

#include <QLocale>

#include <chrono>

using namespace Pultra;
using namespace kiosktest;
using SISam_Typ::Prihlaseni;
using ::testing::ElementsAre;

namespace {

std::string Tagy(const std::bitset<32>& s) {
    std::string t;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.test(i)) {
            t += (t.empty() ? "" : ",") + std::to_string(i);
        }
    }
    return t;
}

class PultraLogic : public KioskTest {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        Inf = TPultraInf{};
    }
    // A full export of these runner lines (ID;category;name;SI;club;regnum;start;result;
    // state;MS;status;text) and categories.
    void Nahraj(const std::vector<std::string>& runners,
                const std::vector<std::string>& categories = {}) {
        std::vector<std::string> z{"#SAM#WRITE#ZAVODNIK#ALL##RAVLIN#08:00:00##"};
        z.insert(z.end(), runners.begin(), runners.end());
        std::vector<std::string> k{"#SAM#WRITE#KATEG#ALL##RAVLIN#08:00:00##"};
        k.insert(k.end(), categories.begin(), categories.end());
        Put("Kateg.csv", k);
        Put("Zavodnik.csv", z);
        ASSERT_EQ(Poll("*.csv"), 0);
    }
    std::vector<std::string> Radky(int rezim, const std::string& klic) {
        SeznamProGrid(rezim, klic);
        std::vector<std::string> out;
        for (const auto& r : Bunky(rezim)) {
            std::string t;
            for (const auto& c : r) {
                t += c + "|";
            }
            out.push_back(t);
        }
        return out;
    }
    std::filesystem::path PisInf(const std::string& body, bool stable = true) {
        const auto file = tmp.Path() / "Pultra.inf";
        testsupport::WriteBytes(file, body);
        if (stable) {
            std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() -
                                                       std::chrono::seconds(10));
        }
        return file;
    }
};

} // namespace

TEST_F(PultraLogic, RaceFileIsTakenWhenStableAndKeepsValuesWhenUnusable) {
    TCteniInf cteni;
    EXPECT_EQ(cteni.Nacti(""), TCteniInf::Vysledek::Nic);
    EXPECT_EQ(cteni.Nacti(tmp.Path().string()), TCteniInf::Vysledek::Chyba);
    EXPECT_EQ(cteni.ChybaText(), "Nenalezen soubor " + (tmp.Path() / "Pultra.inf").string());
    // A look, and another once the file has stood still.
    const auto nacti = [&](const std::filesystem::path& slozka) {
        cteni.Nacti(slozka.string());
        clock.Advance(platform::StableFileCheck::kQuietMs);
        return cteni.Nacti(slozka.string());
    };

    const std::string inf = "[Pultra]\r\nZavod=12\r\nEtapa=2\r\nStart00=10,30\r\n"
                            "PrezentaceDo=18.30\r\nZmenaCipu=2\r\nDruhZav=2\r\nSIAdmin=99\r\n"
                            "Nazev=Test\r\nDate=01.06.2026\r\nTime=08:00:00\r\n";
    PisInf(inf, false);
    EXPECT_EQ(cteni.Nacti(tmp.Path().string()), TCteniInf::Vysledek::Nic); // still written
    clock.Advance(platform::StableFileCheck::kQuietMs - 1);
    EXPECT_EQ(cteni.Nacti(tmp.Path().string()), TCteniInf::Vysledek::Nic);
    clock.Advance(1);
    EXPECT_EQ(cteni.Nacti(tmp.Path().string()), TCteniInf::Vysledek::Prevzato);
    EXPECT_EQ(SI_Typ::Zavod, 12);
    EXPECT_EQ(SI_Typ::Etapa, 2);
    EXPECT_DOUBLE_EQ(SI_Typ::Start00, 10.30);
    EXPECT_DOUBLE_EQ(SISam_Typ::Param.PrezentaceDo, 18.30);
    EXPECT_EQ(SISam_Typ::Param.Uroven[SISam_Typ::AkceZmenaCipu], 2);
    EXPECT_EQ(Inf.DruhZav, 2);
    EXPECT_EQ(Inf.SIAdmin, 99);
    EXPECT_EQ(cteni.InfoText(), "ParamQZ=01.06.2026 08:00:00");
    EXPECT_EQ(cteni.ZmenaText(), " Start00 10.30 Zavod 12 Etapa 2");
    EXPECT_FALSE(cteni.NovyZavod());

    // Same Date and Time: values taken, no change text, buttons left alone.
    EXPECT_EQ(cteni.Nacti(tmp.Path().string()), TCteniInf::Vysledek::BezeZmeny);
    EXPECT_EQ(cteni.ZmenaText(), "");

    // Unusable files, and one caught while Ravlin rewrites it key by key, leave the race in
    // force and say why.
    for (const std::string& bad :
         {std::string("[Jiny]\r\nZavod=5\r\n"), std::string("[Pultra]\r\nZavod=1\r\n"),
          inf.substr(0, inf.find("Time=")),
          std::regex_replace(inf, std::regex("Zavod=12"), "Zavod=0")}) {
        SCOPED_TRACE(bad);
        PisInf(bad);
        EXPECT_EQ(nacti(tmp.Path()), TCteniInf::Vysledek::Chyba);
        EXPECT_THAT(cteni.ChybaText(), ::testing::HasSubstr("platí dosavadní hodnoty"));
        EXPECT_EQ(SI_Typ::Zavod, 12);
    }

    // Another race number is a new race.
    PisInf(std::regex_replace(inf, std::regex("Zavod=12"), "Zavod=13"));
    EXPECT_EQ(nacti(tmp.Path()), TCteniInf::Vysledek::Prevzato);
    EXPECT_TRUE(cteni.NovyZavod());
    EXPECT_EQ(cteni.ZmenaText(), " Zavod 13");

    // So is the same race from another results folder.
    const auto jinde = tmp.Path() / "jinde";
    std::filesystem::create_directories(jinde);
    std::filesystem::copy_file(tmp.Path() / "Pultra.inf", jinde / "PULTRA.INF");
    EXPECT_EQ(nacti(jinde), TCteniInf::Vysledek::Prevzato);
    EXPECT_TRUE(cteni.NovyZavod());
}

TEST_F(PultraLogic, NewRaceEmptiesTablesAndLogsOut) {
    Nahraj({"1;H21;NOVAK JAN;111;ABC;1201;10.00;0;0;0;0;;"});
    Prihlaseni.ID = 1;
    Prihlaseni.Uroven = SISam_Typ::UrovenZavodnik;
    SISam_Typ::Param.Uroven[1] = 2;
    NovyZavod();
    EXPECT_EQ(SISam_Proc::MaxID, 0);
    EXPECT_TRUE(SISam_Typ::SeznamKategorii.empty());
    EXPECT_FALSE(SISam_Proc::CasZavodniku.has_value());
    EXPECT_EQ(Prihlaseni.Uroven, SISam_Typ::UrovenOdhlasen);
    EXPECT_EQ(SISam_Typ::Param.Uroven[1], 2); // settings stay
}

TEST_F(PultraLogic, ButtonSetByLevelsDeskAndFinishers) {
    struct Case {
        int level;        // global level of every action
        bool deskClosed;  // PrezentaceDo passed
        bool finisher;    // a runner has finished
        int16_t login;    // login level
        const char* tags; // expected
        bool desk;        // the desk button can be pressed
    };
    const Case cases[] = {
        {0, false, false, 10, "3,5", false},
        {0, false, true, 10, "3,4,5", false},
        {1, false, false, 20, "1,2,3,5,21,22,23,25", true},
        {1, true, false, 20, "3,5", true},
        {2, true, true, 10, "1,2,3,4,5,21,22,23,25", false},
        {0, false, false, 40, "3,5,8,9", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tags);
        SISam_Proc::PocetDobehlych = c.finisher ? 1 : 0;
        for (int a = 1; a <= 5; ++a) {
            SISam_Typ::Param.Uroven[size_t(a)] = static_cast<int16_t>(c.level);
        }
        SISam_Typ::Param.PrezentaceDo = c.deskClosed ? 12.00 : 0; // the clock says 12:34
        Prihlaseni.Uroven = c.login;
        EXPECT_EQ(Tagy(SadaTlacitek()), c.tags);
        EXPECT_EQ(PrezentacePovolena(), c.desk);
    }
}

TEST_F(PultraLogic, LayoutStacksMainButtonsAndTheSelectedSubButtons) {
    TNastaveni n;
    std::bitset<32> s;
    for (int t : {1, 2, 3, 4, 5, 21, 22, 25}) {
        s.set(size_t(t));
    }
    const TRozlozeni r = Rozloz(n, s, TagPrezentace, 40, 30);
    std::vector<std::pair<int, TObdelnik>> expected = {
        {1, {30, 100, 250, 60}},   {2, {30, 170, 250, 60}},  {4, {30, 240, 250, 60}},
        {3, {30, 310, 250, 60}},   {5, {30, 380, 250, 60}},  {22, {310, 170, 340, 40}},
        {21, {310, 220, 340, 40}}, {25, {310, 270, 340, 40}}};
    EXPECT_EQ(r.tlacitka, expected);
    EXPECT_EQ(r.napovedaY, 450);
    EXPECT_EQ(Rozloz(n, s, TagStartovky, 40, 30).tlacitka.size(), 5u); // no sub-buttons
    EXPECT_EQ(Popisek(TagLogin), "LOGIN");
    SI_Typ::Language = 1;
    EXPECT_EQ(Popisek(TagStartovky), "Start lists ");
    EXPECT_EQ(NapovedaOdhlaseni(), "After completing all changes\rdo not forget LOGOUT");
}

TEST_F(PultraLogic, ChooserRowsByWeightOrByNameAndFinishers) {
    Nahraj({"1;H21A;A;1;ABC;1;1;0;0;0;0;;", "2;H21B;B;2;abc;2;2;30.5;1;0;0;;",
            "3;D21A;C;3;XYZ;3;3;0;0;0;0;;", "4;D21C;D;4;XYZ;4;4;0;0;0;0;;",
            "5;P;E;5;XYZ;5;5;0;0;0;0;;"});
    auto keys = [](const std::vector<TPolozka>& v) {
        std::string t;
        for (const auto& p : v) {
            t += std::string(p.novyRadek ? "/" : " ") + p.klic + (p.predvybrana ? "*" : "");
        }
        return t;
    };
    Prihlaseni.ID = 3;
    EXPECT_EQ(keys(PolozkyKategorii(RezimStartovka)), " D21A*/H21A/H21B/D21C/P");
    EXPECT_EQ(keys(PolozkyKategorii(RezimVysledky)), " H21B");
    Inf.DruhZav = 2;
    EXPECT_EQ(keys(PolozkyKategorii(RezimStartovka)), " D21A*/H21A H21B/D21C P");
    EXPECT_EQ(keys(PolozkyOddilu()), " ABC XYZ*");
}

TEST_F(PultraLogic, GridListsFilterSortAndFillCells) {
    Nahraj({"1;H21;NOVAK JAN;111;ABC;1201;10.30;55.10;1;0;0;;",
            "2;H21;ADAM PETR;0;abc;1202;10.00;55.10;1;0;0;;",
            "3;H21;CERNY KAREL;333;XYZ;3301;12.00;60.00;1;0;0;;",
            "4;H21;DVORAK IVO;444;XYZ;3302;11.00;50.00;1;0;1;;",
            "5;H21;EMIL MS;555;XYZ;3303;13.00;40.00;1;1;0;;", "6;H21;;0;;;14.00;0;2;0;0;;",
            "7;D21;ZELENA EVA;777;ABC;1203;10.00;0;0;0;0;;",
            "8;H21;FIALA JAN;888;ABC;1204;15.00;0;0;0;0;;"},
           {"H21;1;5.1;120;14;0;0;0;0;0", "D21;1;0;0;0;0;0;0;0;0"});
    EXPECT_THAT(
        Radky(RezimStartovka, "h21"),
        ElementsAre("     2| 10.00|ADAM PETR|abc1202|H21|", "     1| 10.30|NOVAK JAN|ABC1201|H21|",
                    "     4| 11.00|DVORAK IVO|XYZ3302|H21|",
                    "     3| 12.00|CERNY KAREL|XYZ3301|H21|", "     5| 13.00|EMIL MS|XYZ3303|H21|",
                    "     6| 14.00|||H21|", "     8| 15.00|FIALA JAN|ABC1204|H21|"));
    // Club filter ignores letter case: "abc" is club ABC.
    EXPECT_THAT(Radky(RezimKlub, "Abc"), ElementsAre("     2|H21|ADAM PETR| 10.00|abc1202|0|",
                                                     "     8|H21|FIALA JAN| 15.00|ABC1204|888|",
                                                     "     1|H21|NOVAK JAN| 10.30|ABC1201|111|",
                                                     "     7|D21|ZELENA EVA| 10.00|ABC1203|777|"));
    // Equal results share a place; a disqualified runner has none; MS keeps MS.
    EXPECT_THAT(Radky(RezimVysledky, "H21"), ElementsAre("     2|1|ADAM PETR|abc1202| 55.10|",
                                                         "     1|1|NOVAK JAN|ABC1201| 55.10|",
                                                         "     3|3|CERNY KAREL|XYZ3301| 60.00|",
                                                         "     4||DVORAK IVO|XYZ3302|DISK  50.00|",
                                                         "     5|MS|EMIL MS|XYZ3303| 40.00|"));
    EXPECT_EQ(RadekZavodnika(3), 3);
    EXPECT_EQ(Nadpis(RezimVysledky, "H21"), "Výsledky H21  5.1 km / 120 m / 14 k");
    EXPECT_EQ(Nadpis(RezimStartovka, "D21"), "Startovka D21  ");
    EXPECT_EQ(ResultStatusText(2, 6, true), " vzdal");
    EXPECT_EQ(ResultStatusText(9, 0, false), "O.K.");
    EXPECT_THAT(SirkySloupcu(RezimKlub, 1015), ElementsAre(0, 120, 380, 120, 180, 180));

    // Czech names in the Czech order, in the grid and in the desk's lists alike.
    NovyZavod();
    Nahraj({"1;H21;ŽÁK Jan;1;DAA;1;10.00;0;0;0;0;;", "2;H21;ČERNÁ Eva;2;DAA;2;10.00;0;0;0;0;;",
            "3;H21;ŠVEC Ivo;3;DAA;3;10.00;0;0;0;0;;", "4;H21;ZEMAN Petr;4;DAA;4;10.00;0;0;0;0;;",
            "5;H21;ŘEHÁK Jiří;5;DAA;5;10.00;0;0;0;0;;", "6;H21;CÍSAŘ Aleš;6;DAA;6;10.00;0;0;0;0;;",
            "7;H21;RYBA Jan;7;DAA;7;10.00;0;0;0;0;;", "8;H21;SVOBODA Jan;8;DAA;8;10.00;0;0;0;0;;"});
    const QLocale puvodni;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    const std::vector<int32_t> cesky = {6, 2, 7, 5, 8, 3, 4, 1};
    for (int rezim : {RezimKlub, RezimStartovka}) {
        SeznamProGrid(rezim, rezim == RezimKlub ? "DAA" : "H21");
        std::vector<int32_t> grid;
        for (const auto& r : SISam_Typ::SeznamInfoGrid) {
            grid.push_back(r.Zavodnik.ID);
        }
        EXPECT_EQ(grid, cesky) << rezim;
        std::vector<int32_t> desk;
        for (const auto& r : rezim == RezimKlub ? Prezentace::RadkyOddilu("DAA")
                                                : Prezentace::RadkyKategorie("H21")) {
            desk.push_back(r.zavodnik.ID);
        }
        EXPECT_EQ(desk, cesky) << rezim;
    }
    QLocale::setDefault(puvodni);
}

TEST_F(PultraLogic, PagingAndDragStayWithinTheRows) {
    const int page = Stranka(440, 40); // 10
    EXPECT_EQ(page, 10);
    EXPECT_EQ(Stranka(30, 40), 1);
    EXPECT_EQ(StrankaNahoru(5, page), 1);
    EXPECT_EQ(StrankaDolu(1, page, 25), 11);
    EXPECT_EQ(StrankaDolu(11, page, 25), 15);
    EXPECT_EQ(StrankaDolu(1, page, 8), 1);
    EXPECT_EQ(Posledni(25, page), 15);
    EXPECT_EQ(HorniProZvyrazneny(10), 1);
    EXPECT_EQ(HorniProZvyrazneny(25), 15);

    TTah t;
    t.Stisk(100);
    EXPECT_EQ(t.Pohyb(115), 0);  // 15 px: too little, reference stays
    EXPECT_EQ(t.Pohyb(125), -1); // 25 px down: one row up, new reference 125
    EXPECT_EQ(t.Pohyb(100), 1);  // 25 px up: one row down
    EXPECT_EQ(t.Pohyb(130), 0);  // exactly 30: nothing, reference stays
    EXPECT_EQ(t.Rozdil(), 30);
    EXPECT_EQ(t.Pohyb(140), 0); // a jump of 40 only sets the reference
    EXPECT_EQ(t.Pohyb(162), -1);
}

TEST_F(PultraLogic, ChipRecordsAreTakenOnceAndLookUpFindsOneRunner) {
    SI_Typ::Zavod = 7;
    SI_Typ::Etapa = 1;
    const std::filesystem::path data = SI_Typ::KioskDataPath();
    std::filesystem::create_directories(data);
    EXPECT_FALSE(SISam_Proc::PrectiCip().has_value());

    TCardNumberRec rec;
    rec.cardNumber = 123456;
    const auto bytes = rec.ToBytes();
    const auto file = data / "N3_0007.si1";
    testsupport::WriteBytes(file, std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(SISam_Proc::PrectiCip(), 123456);
    EXPECT_EQ(std::filesystem::file_size(file), 0u); // emptied, not removed
    EXPECT_FALSE(SISam_Proc::PrectiCip().has_value());

    // The port writes the next card while the kiosk takes this one: neither is lost.
    testsupport::WriteBytes(file, std::string(bytes.begin(), bytes.end()));
    SISam_Proc::PoPrecteniCipu = [](const std::filesystem::path& f) {
        TCardNumberRec next;
        next.cardNumber = 654321;
        const auto b = next.ToBytes();
        platform::WriteFileAtomic(f, std::string(b.begin(), b.end()), nullptr);
    };
    EXPECT_EQ(SISam_Proc::PrectiCip(), 123456);
    SISam_Proc::PoPrecteniCipu = nullptr;
    EXPECT_EQ(SISam_Proc::PrectiCip(), 654321);

    // A name that cannot be opened as a file is logged once, not at every poll.
    std::filesystem::create_directories(data / "N1_0007.SI1");
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(SISam_Proc::PrectiCip().has_value());
    }
    std::string log;
    platform::ReadWholeFile("Protokol.txt", log, nullptr);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_THAT(log, ::testing::HasSubstr("N1_0007.SI1 ERR=21"));

    Nahraj({"1;H21;A;500;ABC;1;10;0;0;0;0;;", "2;H21;B;600;ABC;2;11;12.5;1;0;0;;",
            "3;D21;C;600;ABC;3;12;0;0;0;0;;"});
    EXPECT_EQ(PrihlaseniLogic::NajdiZavodnikaPodleCipu(500), 1);
    EXPECT_EQ(PrihlaseniLogic::NajdiZavodnikaPodleCipu(600), -1); // shared card
    EXPECT_EQ(PrihlaseniLogic::NajdiZavodnikaPodleCipu(0), -1);
    ASSERT_TRUE(Nahled(500).has_value());
    EXPECT_EQ(Nahled(500)->rezim, RezimStartovka);
    EXPECT_FALSE(Nahled(600).has_value());
}

TEST_F(PultraLogic, Ports) {
    EXPECT_EQ(PortyProCom(-1).size(), 19u);
    EXPECT_THAT(PortyProCom(3), ElementsAre(3));
    EXPECT_THAT(PortyProCom(0), ElementsAre(0));
    EXPECT_TRUE(PortyProCom(19).empty());
    EXPECT_THAT(ComBezPortu(20), ::testing::HasSubstr("COM 20"));
    EXPECT_EQ(ComBezPortu(18), "");
}
