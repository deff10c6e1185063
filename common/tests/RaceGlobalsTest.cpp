#include "SI_Typ.h"
#include "Tools.h"
#include "testsupport/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::TempDir;
using testsupport::WriteBytes;
namespace fs = std::filesystem;
using testsupport::InFolder;

namespace {

class RaceGlobals : public ::testing::Test {
protected:
    void SetUp() override { SI_Typ::ResetGlobals(); }
    void TearDown() override { SI_Typ::ResetGlobals(); }
};

} // namespace

TEST_F(RaceGlobals, LangTextFallsBackToCzech) {
    EXPECT_EQ(SI_Typ::LangText("Ano", "Yes"), "Ano");
    SI_Typ::Language = 1;
    EXPECT_EQ(SI_Typ::LangText("Ano", "Yes"), "Yes");
    EXPECT_EQ(SI_Typ::LangText("Ano", ""), "Ano");
    EXPECT_EQ(SI_Typ::LangText("Ano"), "Ano");
}

TEST_F(RaceGlobals, PortModeTextIsCzechInBothLanguages) {
    SI_Typ::Language = 1;
    EXPECT_EQ(SI_Typ::PortModeText(0), "port není aktivní");
    EXPECT_EQ(SI_Typ::PortModeText(2), "načítání čipů - jen čísla SI");
    EXPECT_EQ(SI_Typ::PortModeText(9), "PC Auto");
    EXPECT_EQ(SI_Typ::PortModeText(4), "");
    EXPECT_EQ(SI_Typ::PortModeText(-1), "");
}

TEST_F(RaceGlobals, RaceTextsAndFolders) {
    SI_Typ::Zavod = 12;
    SI_Typ::Etapa = 3;
    EXPECT_EQ(Tools::RaceNumberText(), "0012");
    EXPECT_EQ(Tools::StageText(), "3");
    EXPECT_TRUE(SI_Typ::RaceDataKomPath().ends_with("/Data_Kom/Z0012/"));
    SI_Typ::Zavod = 12345;
    EXPECT_EQ(Tools::RaceNumberText(), "12345");
    EXPECT_EQ(Tools::PrintSubdir(), "print/");
}

TEST_F(RaceGlobals, KioskDataPathByProgramKindAndMeal) {
    TempDir dir;
    InFolder in(dir.Path());
    const std::string cwd = fs::current_path().string();
    SI_Typ::ProgramKind = SI_Typ::KindSelfService;
    EXPECT_EQ(SI_Typ::KioskDataPath(), cwd + "/Data_Sam/");
    SI_Typ::ProgramKind = SI_Typ::KindCanteen;
    EXPECT_EQ(SI_Typ::KioskDataPath(), cwd + "/Data/");
    SI_Typ::MenzorDatum = {2024, 3, 7, 2};
    EXPECT_EQ(SI_Typ::KioskDataPath(), cwd + "/Data/20240307_O/");
    SI_Typ::MenzorDatum.Jidlo = 5;
    EXPECT_EQ(SI_Typ::KioskDataPath(), cwd + "/Data/20240307/");
}

TEST_F(RaceGlobals, ReadRavlinInfCutsAndDefaults) {
    TempDir dir;
    SI_Typ::CestaRavlin = (dir / "ravlin").string();
    EXPECT_FALSE(SI_Typ::ReadRavlinInf()); // no folder
    fs::create_directories(dir / "ravlin");
    EXPECT_FALSE(SI_Typ::ReadRavlinInf()); // no file
    EXPECT_EQ(SI_Typ::RavlinInf.Poradatel, "");

    WriteBytes(dir / "ravlin" / "RAVLIN.INF",
               "[Ravlin]\r\nRok=20245\r\nZavod=12\r\nPoradatel=ABCD\r\nEtapa=2\r\n"
               "Start00=10,30\r\nNazev=Noční\xE8 sprint\r\nLng=en\r\n");
    ASSERT_TRUE(SI_Typ::ReadRavlinInf());
    const SI_Typ::TRavlinInf& r = SI_Typ::RavlinInf;
    EXPECT_EQ(r.Rok, "2024");
    EXPECT_EQ(r.Zavod, 12);
    EXPECT_EQ(r.Poradatel, "ABC");
    EXPECT_EQ(r.Etapa, 2);
    EXPECT_DOUBLE_EQ(r.Start00, 10.30);
    EXPECT_EQ(r.Lng, "en"); // not "EN": the display stays Czech
    EXPECT_EQ(r.Import, "Import");

    WriteBytes(dir / "ravlin" / "RAVLIN.INF", "[Ravlin]\r\n");
    ASSERT_TRUE(SI_Typ::ReadRavlinInf());
    EXPECT_EQ(r.Poradatel, "###");
    EXPECT_EQ(r.Lng, "CZ");
    EXPECT_EQ(r.Rok, "");

    // A later failed read keeps what was read before.
    SI_Typ::RavlinInf.Nazev = "keep";
    fs::remove(dir / "ravlin" / "RAVLIN.INF");
    EXPECT_FALSE(SI_Typ::ReadRavlinInf());
    EXPECT_EQ(r.Nazev, "keep");
}

TEST_F(RaceGlobals, RavlinRacePathAndRaceName) {
    TempDir dir;
    fs::create_directories(dir / "zav_2024" / "zz0007");
    SI_Typ::CestaRavlin = dir.Path().string();
    SI_Typ::RavlinInf.Rok = "2024";
    SI_Typ::RavlinInf.Nazev = "Sprint";
    SI_Typ::Zavod = 7; // the number comes from the race global, the year from Ravlin.inf
    SI_Typ::RavlinInf.Zavod = 99;
    EXPECT_EQ(Tools::RavlinRacePath(), (dir / "zav_2024" / "zz0007").string());
    SI_Typ::Zavod = 8;
    EXPECT_EQ(Tools::RavlinRacePath(), (dir / "zav_2024" / "ZZ0008").string());
    EXPECT_EQ(Tools::RaceNameText(), "");
    SI_Typ::PodleRavlin = 1;
    EXPECT_EQ(Tools::RaceNameText(), "Sprint");
}

TEST_F(RaceGlobals, SettingsFileNameByProgram) {
    TempDir dir;
    InFolder in(dir.Path());
    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(Tools::IniFileName(), cwd + "/QZ_SI.ini");
    SI_Typ::ProgramKind = SI_Typ::KindCommentator;
    EXPECT_EQ(Tools::IniFileName(), cwd + "/Hlasvel.ini");
    SI_Typ::ProgramKind = SI_Typ::KindCanteen;
    EXPECT_EQ(Tools::IniFileName(), cwd + "/Menzor.ini");
    SI_Typ::ProgramKind = SI_Typ::KindSelfService;
    WriteBytes(dir / "PULTRA.INI", "");
    EXPECT_EQ(Tools::IniFileName(), cwd + "/PULTRA.INI"); // copied from Windows in capitals
}
