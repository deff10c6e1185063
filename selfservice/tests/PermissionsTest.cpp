// Permission levels, the desk's closing time and the logs.
#include "KioskTestSupport.h"

using namespace SISam_Proc;
using namespace SISam_Typ;

namespace {

class Permissions : public kiosktest::KioskTest {};

TEST_F(Permissions, LevelsFromRaceAndCategories) {
    Param.Uroven = {0, 1, 2, 0, 2, 2};
    DejKategorii("H21").Uroven = {0, 0, 3, 1, 1, 3}; // withdraw off in H21
    DejKategorii("D21");
    MaxUrovenKategorie = {0, 0, 3, 3, 1, 3}; // as if another category allowed SI changes
    struct Pripad {
        int akce;
        const char* kategorie;
        int uroven;
    };
    const Pripad pripady[] = {
        {AkceZamenaCasu, "H21", 1},
        {AkceZmenaCasu, "h21", 2},
        {AkceZmenaCipu, "H21", 0},
        {AkceOdhlaseni, "H21", 0},
        {AkceOdhlaseni, "D21", 2},
        {AkceOdhlaseni, "X", 2},
        {AkceZmenaJmena, "", 0},
        {AkceZmenaJmena, "H21", 0},
        {0, "", 0},
        {6, "", 0},
        {AkceZamenaCasu, "", 1},
        {AkceZmenaCasu, "", 2},
        {AkceZmenaCipu, "", 2},
    };
    for (const Pripad& p : pripady) {
        EXPECT_EQ(UrovenAkce(p.akce, p.kategorie), p.uroven) << p.akce << " " << p.kategorie;
    }
}

TEST_F(Permissions, DeskClosesOnTheMinute) {
    Param.Uroven = {0, 1, 2, 0, 0, 0};
    const struct {
        double zavira;
        int h, m, s;
        bool zavreno;
    } pripady[] = {
        {18.30, 18, 29, 59, false}, {18.30, 18, 30, 0, true}, {18.30, 23, 0, 0, true},
        {0, 23, 59, 59, false},     {9.05, 9, 4, 59, false},  {9.05, 9, 5, 0, true},
    };
    for (const auto& p : pripady) {
        Param.PrezentaceDo = p.zavira;
        clock.SetWall({2026, 6, 1, p.h, p.m, p.s, 999});
        EXPECT_EQ(PrezentaceUzavrena(), p.zavreno) << p.zavira << " " << p.h << ":" << p.m;
        EXPECT_EQ(PovolenaAkce(AkceZamenaCasu, ""), !p.zavreno);
        EXPECT_TRUE(PovolenaAkce(AkceZmenaCasu, ""));
        EXPECT_FALSE(PovolenaAkce(AkceZmenaCipu, ""));
    }
}

TEST_F(Permissions, LogLinesAndUsersClub) {
    clock.SetWall({2026, 6, 1, 9, 5, 7, 42});
    Protokol(LogTrace, "nikam");
    Zavodnici[14] = TZavodnik{15, "H21", "ŠŤASTNÝ Jan", 123, "ABC", "1", 0, 0, 0, 0, 0, ""};
    Prihlaseni = {123, UrovenZavodnik, 15, ""};
    EXPECT_EQ(KlubUzivatele(), "ABC");
    Protokol(LogPrihlaseni, "Log IN");
    Param.Logovat = true;
    Protokol(LogTrace, "stopa");
    Prihlaseni = {0, UrovenAdmin, 0, "XYZ"};
    EXPECT_EQ(KlubUzivatele(), "XYZ");
    Prihlaseni = {5, UrovenOdhlasen, 0, "XYZ"};
    EXPECT_EQ(KlubUzivatele(), "");

    const std::string prihlaseni = "09:05:07.042;123;15;\x8A\x8D"
                                   "ASTN\xDD Jan;Log IN\r\n";
    EXPECT_EQ(testsupport::ReadBytes("Protokol.txt"), prihlaseni);
    EXPECT_EQ(testsupport::ReadBytes("Ladeni.txt"), "09:05:07.042;123;15;\x8A\x8D"
                                                    "ASTN\xDD Jan;stopa\r\n");
}

} // namespace
