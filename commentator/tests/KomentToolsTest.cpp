#include "KomentTools.h"
#include "SI_Typ.h"

#include <gtest/gtest.h>

using namespace Koment;

class KomentToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        ResetNastaveni();
    }
    void TearDown() override {
        SI_Typ::ResetGlobals();
        ResetNastaveni();
    }
};

TEST_F(KomentToolsTest, MinutesSecondsGoThroughMilliseconds) {
    EXPECT_DOUBLE_EQ(RozdilCasu(10.05, 9.58), 0.07);
    EXPECT_DOUBLE_EQ(SoucetCasu(59.59, 0.02), 60.01);
    EXPECT_DOUBLE_EQ(RozdilCasu(0.00, 0.30), -0.30);
    EXPECT_EQ(MsZCasu(-0.595), -59500);
    EXPECT_DOUBLE_EQ(OrizniCas(12.3456), 12.34);
    Nastaveni.Desetiny = true;
    EXPECT_DOUBLE_EQ(OrizniCas(12.3456), 12.345);
    EXPECT_EQ(OrizniMs(-0.5955, true), -59500); // toward zero
}

TEST_F(KomentToolsTest, TimeOfDayFromTheZeroTime) {
    struct Case {
        const char* text;
        std::optional<double> mss;
    };
    const Case cases[] = {
        {"10:15:32,12", 15.3212},   {"10:15:32.12", 15.3212},      {"09:00:00", -60.00},
        {"06:00:00", 480.00},       {"09:59:00.5", -0.595},        {"07:00:00,0", -180.00},
        {"10:15", std::nullopt},    {"10:60:00", std::nullopt},    {"100:00:00", std::nullopt},
        {"aa:00:00", std::nullopt}, {"10:00:00,1x", std::nullopt}, {"10:00:-1", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = CasZRetezce(c.text);
        ASSERT_EQ(got.has_value(), c.mss.has_value()) << c.text;
        if (got) {
            EXPECT_NEAR(*got, *c.mss, 1e-9) << c.text;
        }
    }
    EXPECT_DOUBLE_EQ(CasOdStartu(6 * 3600), 480.00);
    EXPECT_EQ(CasNaDatum(15.3212), 10 * 3600 + 15 * 60 + 32);
    Nastaveni.Start00 = 9.30;
    EXPECT_NEAR(*CasZRetezce("09:30:01"), 0.01, 1e-9);
}

TEST_F(KomentToolsTest, TimeAndStatusTexts) {
    EXPECT_EQ(CasText(0, true, 1, 12.345), "    12.34,5");
    EXPECT_EQ(CasText(0, false, 0, 12.345), "12.34");
    EXPECT_EQ(CasText(0, false, 0, -1.05), "- 1.05");
    EXPECT_EQ(CasText(1, false, 0, 12.345), "12.34 DISK");
    EXPECT_EQ(ResultStatusText(2, 7, true), "  vzdal");
    SI_Typ::Language = 1;
    EXPECT_EQ(CasText(3, false, 0, -1.0), " 1.00 DNS");
    EXPECT_EQ(ResultStatusText(9), "O.K.");
    EXPECT_EQ(TextChyb({"", "A", "B"}), "!!  !! A !! B");
    EXPECT_EQ(TextChyb({"", ""}), "");
}

TEST_F(KomentToolsTest, StartPunchTest) {
    EXPECT_TRUE(JeStartovniRazeni(40, 4));
    EXPECT_FALSE(JeStartovniRazeni(3, 2));
    Nastaveni.CisloStartu = {0, 3, 0, 0};
    EXPECT_TRUE(JeStartovniRazeni(3, 2));
    EXPECT_FALSE(JeStartovniRazeni(4, 2));
}

TEST_F(KomentToolsTest, FoldersAndFileNames) {
    SI_Typ::Zavod = 7;
    SI_Typ::Etapa = 2;
    RavlinNastaveni.PathRavlin = " /data/ravlin ";
    RavlinNastaveni.Zavod = 42;
    EXPECT_EQ(KomentCsvPath(1), "/data/ravlin/Z0007/KOMENT/Cil00072.csv");
    EXPECT_EQ(KomentCsvPath(2), "/data/ravlin/Z0007/KOMENT/Dis00072.csv");
    EXPECT_EQ(KomentCsvPath(3), "");
    EXPECT_EQ(SlozkaRavlinZavodu("SAM"), "/data/ravlin/Z0042/SAM/");
    EXPECT_EQ(SlozkaRavlinZavodu(".."), "/data/ravlin/");
    platform::IniFile ini("");
    ini.WriteString("InfoTabule", "VytvaretInfoTab", "1");
    TNastaveni n;
    NactiInfoTab(ini, n);
    EXPECT_TRUE(n.VytvaretInfoTab);
    EXPECT_EQ(InfoTabFileName(n), "InfoTab.txt"); // not the root
    n.CestaInfoTab = "/tmp/x";
    EXPECT_EQ(InfoTabFileName(n), "/tmp/x/InfoTab.txt");
}

TEST_F(KomentToolsTest, FormPositionKeepsTheWindowStateNumber) {
    platform::IniFile ini("");
    Koment::SaveFormPos(ini, "fTest", {Tools::WindowState::Maximized, 10, 20, 300, 400});
    EXPECT_EQ(ini.ReadInteger("fTest", "Status", -1), 2);
    Tools::FormPos pos;
    Koment::LoadFormPos(ini, "FTEST", pos);
    EXPECT_EQ(pos.state, Tools::WindowState::Maximized);
    EXPECT_EQ(pos.left, 20);
    EXPECT_EQ(pos.height, 400);
    Tools::FormPos untouched{Tools::WindowState::Minimized, 1, 2, 3, 4};
    Koment::LoadFormPos(ini, "none", untouched);
    EXPECT_EQ(untouched.state, Tools::WindowState::Minimized);
    EXPECT_EQ(untouched.width, 3);
}
