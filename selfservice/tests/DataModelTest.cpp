// Line formats of the exports, category weights and orders.
#include "SISam_Proc.h"

#include <gtest/gtest.h>

using SISam_Typ::TKategorie;
using SISam_Typ::TZavodnik;

namespace {

TEST(RunnerLine, FieldsWidthsAndRejects) {
    TZavodnik z;
    ASSERT_TRUE(SISam_Proc::RadekZavodnika(
        " 15 ;h21;Nováková Žofie Marie Anna Kateřina X;123456;abcd;12345;12.30;45,07;1;0;3;ab;cd",
        z));
    EXPECT_EQ(z.ID, 15);
    EXPECT_EQ(z.Kategorie, "h21");
    EXPECT_EQ(z.Jmeno, "Nováková Žofie Marie Anna Kate"); // 30 characters, not bytes
    EXPECT_EQ(z.SI, 123456);
    EXPECT_EQ(z.Oddil, "abc");
    EXPECT_EQ(z.RegC, "1234");
    EXPECT_DOUBLE_EQ(z.Start, 12.30);
    EXPECT_DOUBLE_EQ(z.Vysledek, 45.07);
    EXPECT_EQ(z.Stav, 1);
    EXPECT_EQ(z.Status, 3);
    EXPECT_EQ(z.Text, "ab");
    // A text in the last field is carried, never checked.
    EXPECT_TRUE(SISam_Proc::RadekZavodnika("2000;H;N;0;;;0;0;0;0;0;x12", z));
    EXPECT_EQ(z.ID, 2000);

    for (const char* bad : {
             "2001;H;N;0;;;0;0;0;0;0;",
             "0;H;N;0;;;0;0;0;0;0;",
             "-3;H;N;0;;;0;0;0;0;0;",
             "1;H;N;12a;;;0;0;0;0;0;",
             "1;H;N;0;;;nan;0;0;0;0;",
             "1;H;N;0;;;0;inf;0;0;0;",
             "1;H;N;0;;;1e300;0;0;0;0;",
             "1;H;N;0;;;0;0;70000;0;0;",
             "1;H;N;9999999999;;;0;0;0;0;0;",
             "1;H;N;0;;;0;0;0;0;",
             "#1;H;N;0;;;0;0;0;0;0;",
             "",
         }) {
        EXPECT_FALSE(SISam_Proc::RadekZavodnika(bad, z)) << bad;
    }
}

TEST(RunnerLine, RequestLineBytes) {
    TZavodnik z;
    z.ID = 15;
    z.Kategorie = "H21";
    z.Jmeno = " NOVAK JAN ";
    z.SI = 123456;
    z.Oddil = "ABC";
    z.RegC = "1234";
    z.Start = 12.3;
    z.Text = "xx";
    EXPECT_EQ(SISam_Proc::RadekPozadavku(z), "15;H21;NOVAK JAN;123456;ABC;1234;12.30;");
}

TEST(CategoryLine, LevelColumnsGoToActions) {
    TKategorie k;
    k.Pocet = 9;
    ASSERT_TRUE(SISam_Proc::RadekKategorie("d21č;1;5.1;120;14;1;2;3;4;5;", k));
    EXPECT_EQ(k.Nazev, "D21Č");
    EXPECT_EQ(k.Pocet, 9); // counters are not the line's
    EXPECT_EQ(k.Zmena, 1);
    EXPECT_DOUBLE_EQ(k.Delka, 5.1);
    EXPECT_EQ(k.Prevyseni, 120);
    EXPECT_EQ(k.Kontrol, 14);
    using namespace SISam_Typ;
    EXPECT_EQ(k.Uroven[AkceZmenaCasu], 1);
    EXPECT_EQ(k.Uroven[AkceZamenaCasu], 2);
    EXPECT_EQ(k.Uroven[AkceOdhlaseni], 3);
    EXPECT_EQ(k.Uroven[AkceZmenaJmena], 4);
    EXPECT_EQ(k.Uroven[AkceZmenaCipu], 5);
    for (const char* bad : {"H;x;5;1;1;0;0;0;0;0", "H;1;5;1;1;0;0;0;0;", ";1;5;1;1;0;0;0;0;0",
                            "H;1;nan;1;1;0;0;0;0;0", "H;1;5;40000;1;0;0;0;0;0"}) {
        EXPECT_FALSE(SISam_Proc::RadekKategorie(bad, k)) << bad;
    }
}

TEST(Categories, WeightsAndOrder) {
    const std::pair<const char*, int> vahy[] = {
        {"HE", 10},  {"D21E", 10}, {"H21A", 21}, {"D21C", 40}, {"P", 100},  {"HDR", 100},
        {"H10", 10}, {"H21B", 31}, {"D21B", 30}, {"T3", 100},  {"DH", 100}, {"D21D", 50},
    };
    for (const auto& [nazev, vaha] : vahy) {
        TKategorie k;
        k.Nazev = nazev;
        EXPECT_EQ(k.VahaKategorie(), vaha) << nazev;
    }
    SISam_Proc::ResetGlobals();
    for (const char* n : {"P", "h21b", "D21B", "H10", "D10", "H21A"}) {
        SISam_Proc::DejKategorii(n);
    }
    SISam_Proc::DejKategorii("H21B"); // already there
    SISam_Proc::SetridKategorie();
    std::vector<std::string> poradi;
    for (const TKategorie& k : SISam_Typ::SeznamKategorii) {
        poradi.push_back(k.Nazev);
    }
    EXPECT_EQ(poradi, (std::vector<std::string>{"D10", "H10", "H21A", "D21B", "H21B", "P"}));
    EXPECT_EQ(SISam_Proc::NajdiKategorii("h21a"), 2);
    EXPECT_EQ(SISam_Proc::NajdiKategorii("X"), -1);
    EXPECT_EQ(SISam_Proc::ZmenaKategorie("X"), -1);
    SISam_Proc::ResetGlobals();
}

} // namespace
