#include "RavlinParametry.h"
#include "KomentHlavni.h"
#include "KomentTools.h"
#include "RavlinKoment.h"
#include "SI_Typ.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "testsupport/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using Koment::Nastaveni;
using Koment::RavlinNastaveni;

class RavlinParametryTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        RavlinParametry::Zapomen();
        ini.WriteBool("Ravlin", "PodleRavlin", true);
        ini.WriteString("Ravlin", "PathRavlin", folder.string());
        SI_Typ::Zavod = 1;
        SI_Typ::Etapa = 1;
        platform::SetProgramDataDir(dir.Path());
        platform::SetClock(&clock);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        platform::SetProgramDataDir({});
        platform::SetClock(nullptr);
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        RavlinParametry::Zapomen();
    }
    // One call; `znovu` tells whether it asked to be called again soon.
    bool Once() {
        zmeny = 0;
        rekonstrukce = 0;
        zprava.clear();
        znovu = false;
        RavlinParametry::TKontext k{ini,
                                    zdroje,
                                    [this](bool reload) { zmeny += reload ? 1 : 100; },
                                    [this] { ++rekonstrukce; },
                                    [] {},
                                    [this](const std::string& t) { zprava = t; },
                                    [this] { znovu = true; }};
        return RavlinParametry::NactiParametryRavlin(k);
    }
    // As the program calls: once more when the file has stood still long enough.
    bool Call() {
        const bool changed = Once();
        if (!znovu) {
            return changed;
        }
        clock.Advance(platform::StableFileCheck::kQuietMs);
        return Once();
    }
    void WriteInf(const std::string& body, const std::string& name = "Hlasvel.inf") {
        std::ofstream(folder / name, std::ios::binary | std::ios::trunc) << body;
    }

    testsupport::TempDir dir;
    platform::FakeClock clock;
    std::filesystem::path folder = dir.Path() / "ravlin";
    platform::IniFile ini{dir.Path() / "Hlasvel.ini"};
    TVstupniNapojeni napojeni;
    TVstupniSoubory zdroje{napojeni};
    ravlin::RavlinKoment double_{folder};
    int zmeny = 0;
    int rekonstrukce = 0;
    std::string zprava;
    bool znovu = false;
};

TEST_F(RavlinParametryTest, TakesTheRaceAndSourcesOnceAndWritesThemBack) {
    ASSERT_TRUE(double_.WriteInf());
    EXPECT_TRUE(Call());
    EXPECT_TRUE(Koment::RavlinInfNacten());
    EXPECT_EQ(SI_Typ::Zavod, 7);
    EXPECT_EQ(ini.ReadInteger("fQZ_Mez", "Zavod", 0), 7);
    EXPECT_EQ(zprava, " Zavod AdrRavlin DisRavlin CilRavlin");
    EXPECT_EQ(zmeny, 1);
    EXPECT_EQ(rekonstrukce, 1);
    EXPECT_EQ(Koment::NazevZavodu(), "Zkušební závod");
    // Paths as text from PathRavlin, whatever exists on disk.
    EXPECT_EQ(zdroje.Zavodnici().FileName, folder.string() + "/Z0007/Koment/");
    EXPECT_EQ(zdroje[3].FileName, folder.string() + "/Z0007/KOMENT/Dis00071.csv");
    EXPECT_EQ(ini.ReadString("Soubory", "FNameMezicasy2", ""),
              folder.string() + "/Z0007/KOMENT/Cil00071.csv");

    // Nothing changed: no reload, no message.
    EXPECT_FALSE(Call());
    EXPECT_EQ(zmeny + rekonstrukce, 0);
    EXPECT_EQ(zprava, "");

    // Same stamps, new race: the comparison with the own settings still takes it.
    double_.inf.zavod = 8;
    double_.WriteInf();
    EXPECT_TRUE(Call());
    EXPECT_EQ(SI_Typ::Zavod, 8);
    EXPECT_NE(zprava.find(" Zavod"), std::string::npos);

    // The last-control code alone reloads nothing.
    double_.inf.sberka = 77;
    double_.WriteInf();
    EXPECT_FALSE(Call());
    EXPECT_EQ(zprava, " Sberka");
    EXPECT_EQ(Nastaveni.CisloSberky, 77);
    EXPECT_EQ(zmeny, 0);

    // Tenths: any value above 0 switches them on.
    double_.inf.desetiny = 2;
    double_.WriteInf();
    Call();
    EXPECT_TRUE(Nastaveni.Desetiny);
    double_.inf.desetiny = 0;
    double_.WriteInf();
    Call();
    EXPECT_FALSE(Nastaveni.Desetiny);
}

TEST_F(RavlinParametryTest, SwitchedSourcesAndTheirSwitches) {
    zdroje[4].FileName = "/old/racom.txt";
    zdroje[4].Enabled = true;
    WriteInf("[Hlasvel]\nZavod=7\nEtapa=1\nvlKom_Racom=0\nvlKom_AlgeCilRucne=1\n"
             "Koment_Path_AlgeCilRucne= /alge/ \nvlKom_AlgeStart=1\nKoment_Path_AlgeStart=a.txt\n");
    ini.WriteBool("Ravlin", "auto_AlgeStart", false);
    Call();
    EXPECT_EQ(zdroje[4].FileName, "");
    EXPECT_FALSE(zdroje[4].Enabled);
    EXPECT_EQ(zdroje[6].FileName, "/alge/");
    EXPECT_EQ(zdroje[7].FileName, "") << "its switch is off";
    EXPECT_NE(zprava.find(" Racom"), std::string::npos);
    EXPECT_NE(zprava.find(" AlgeCilR"), std::string::npos);
    EXPECT_EQ(rekonstrukce, 1);
    // A 0 never switches the finish folder off; the QZ port export missing reads as 0.
    WriteInf("[Hlasvel]\nZavod=7\nEtapa=1\nvlKom_Racom=0\nvlKom_AlgeCilRucne=0\n"
             "Koment_Path_AlgeCilRucne= /alge/ \nvlKom_AlgeStart=1\nKoment_Path_AlgeStart=a.txt\n");
    Call();
    EXPECT_EQ(zprava, "");
    EXPECT_EQ(zdroje[6].FileName, "/alge/");
    EXPECT_EQ(zdroje[2].FileName, "");
}

TEST_F(RavlinParametryTest, IncompleteMissingOrOffChangesNothing) {
    SI_Typ::Zavod = 3;
    struct Case {
        const char* name;
        std::function<void()> prepare;
        bool message;
    };
    const Case cases[] = {
        {"link off", [&] { ini.WriteBool("Ravlin", "PodleRavlin", false); }, false},
        {"no file", [] {}, false},
        {"empty folder", [&] { ini.WriteString("Ravlin", "PathRavlin", " "); }, false},
        {"half written", [&] { double_.WriteInf(true); }, true},
        {"race 0", [&] { WriteInf("[Hlasvel]\nZavod=0\nEtapa=1\nNazev=X\n"); }, true},
        {"race 10000", [&] { WriteInf("[Hlasvel]\nZavod=10000\nEtapa=1\n"); }, true},
        {"no stage", [&] { WriteInf("[Hlasvel]\nZavod=5\n"); }, true},
        {"other section", [&] { WriteInf("[Pultra]\nZavod=5\nEtapa=1\n"); }, true},
        {"changing",
         [&] {
             double_.WriteInf();
             RavlinParametry::NastavCteni([n = 0](const auto&, std::string& b, auto*) mutable {
                 b = "[Hlasvel]\nZavod=" + std::to_string(5 + n++) + "\nEtapa=1\n";
                 return true;
             });
         },
         true},
        {"unreadable",
         [&] {
             double_.WriteInf();
             RavlinParametry::NastavCteni([](const auto&, std::string&, std::string* e) {
                 *e = "denied";
                 return false;
             });
         },
         true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        ini.WriteBool("Ravlin", "PodleRavlin", true);
        ini.WriteString("Ravlin", "PathRavlin", folder.string());
        c.prepare();
        EXPECT_FALSE(Call()) << c.name;
        EXPECT_EQ(SI_Typ::Zavod, 3) << c.name;
        EXPECT_EQ(zmeny + rekonstrukce, 0) << c.name;
        EXPECT_EQ(zdroje[3].FileName, "") << c.name;
        EXPECT_EQ(!zprava.empty(), c.message) << c.name << ": " << zprava;
        EXPECT_FALSE(Koment::RavlinInfNacten()) << c.name;
        RavlinParametry::NastavCteni({});
    }
    // A file in other letter case is found; a Windows folder is kept as it was given.
    std::filesystem::remove(folder / "Hlasvel.inf");
    WriteInf("[HLASVEL]\nZavod=5\nEtapa=2\n", "HLASVEL.INF");
    platform::SetDriveRoot('R', dir.Path());
    ini.WriteString("Ravlin", "PathRavlin", "R:\\RAVLIN");
    EXPECT_TRUE(Call());
    platform::SetDriveRoot('R', {});
    EXPECT_EQ(SI_Typ::Zavod, 5);
    EXPECT_EQ(SI_Typ::Etapa, 2);
    EXPECT_EQ(zdroje.Zavodnici().FileName, "R:\\RAVLIN\\Z0005\\Koment\\");
    EXPECT_EQ(zdroje[3].FileName, "R:\\RAVLIN\\Z0005\\KOMENT\\Dis00052.csv");
}

// The results program rewrites Hlasvel.inf key by key: a file is taken only once it has stood
// still since the previous call, and not when it lacks a key the file taken before had.
TEST_F(RavlinParametryTest, TakesTheFileOnlyStillAndWithEveryKeyOfThePreviousOne) {
    ASSERT_TRUE(double_.WriteInf());
    EXPECT_FALSE(Once()) << "first look";
    EXPECT_TRUE(znovu);
    EXPECT_EQ(zprava, "") << "waiting is no fault";
    clock.Advance(platform::StableFileCheck::kQuietMs - 1);
    EXPECT_FALSE(Once()) << "not yet still for long enough";
    clock.Advance(1);
    EXPECT_TRUE(Once());
    EXPECT_EQ(SI_Typ::Zavod, 7);

    // Caught after its first three keys: still, but incomplete.
    WriteInf("[Hlasvel]\r\nRok=2026\r\nZavod=8\r\nEtapa=2\r\n");
    EXPECT_FALSE(Call());
    EXPECT_NE(zprava.find("vlKom_QZPort1"), std::string::npos) << zprava;
    EXPECT_EQ(SI_Typ::Zavod, 7);
    EXPECT_DOUBLE_EQ(Nastaveni.Start00, 10.0);
    EXPECT_EQ(zmeny + rekonstrukce, 0) << "no reload, the Cil export not switched off";

    // Whole again: taken.
    double_.inf.zavod = 8;
    ASSERT_TRUE(double_.WriteInf());
    EXPECT_TRUE(Call());
    EXPECT_EQ(SI_Typ::Zavod, 8);

    // The next run starts on a file caught half-written: refused as well.
    RavlinParametry::Zapomen();
    WriteInf("[Hlasvel]\r\nRok=2026\r\nZavod=9\r\nEtapa=2\r\n");
    EXPECT_FALSE(Call());
    EXPECT_NE(zprava.find("vlKom_QZPort1"), std::string::npos) << zprava;
    EXPECT_EQ(SI_Typ::Zavod, 8);
}

TEST(KomentHlavni, SettingsWithoutAFileAndStart00) {
    SI_Typ::ResetGlobals();
    Koment::ResetNastaveni();
    platform::IniFile ini{std::filesystem::path()};
    KomentHlavni::NactiNastaveni(ini);
    KomentHlavni::NactiZobrazeni(ini, Nastaveni);
    EXPECT_EQ(SI_Typ::Zavod, 1);
    EXPECT_EQ(SI_Typ::Etapa, 1);
    EXPECT_EQ(SI_Typ::Language, 0);
    EXPECT_DOUBLE_EQ(Nastaveni.Start00, 10.0);
    EXPECT_EQ(Nastaveni.MaxPor, 20);
    EXPECT_EQ(Nastaveni.MaxRadkuHlOkna, 30);
    EXPECT_EQ(KomentHlavni::IntervalNacitaniMs(Nastaveni), 120000);
    EXPECT_EQ(KomentHlavni::IntervalDivakMs(Nastaveni), 0);
    EXPECT_TRUE(Nastaveni.AllKateg && Nastaveni.Cil && Nastaveni.Mezicasy);
    EXPECT_FALSE(Nastaveni.Zvuky || Nastaveni.Barvy || Nastaveni.Start || Nastaveni.NeznameCipy);
    EXPECT_EQ(KomentHlavni::Titulek(), "QZ - Program pro komentátora");
    EXPECT_EQ(KomentHlavni::TextZavodu(), "Závod 0001 / E1");

    const std::pair<const char*, double> starts[] = {
        {"9,30", 9.30}, {"9.30", 9.30}, {" 11.5 ", 11.5}, {"x", 0}, {"", 0}};
    for (const auto& [text, value] : starts) {
        EXPECT_DOUBLE_EQ(KomentHlavni::PrevedStart00(text), value) << text;
    }

    ini.WriteString("fQZ_Mez", "IntervalNacitani", "0");
    ini.WriteString("ZobrazitKontroly", "K40", "0");
    KomentHlavni::NactiNastaveni(ini);
    KomentHlavni::NactiZobrazeni(ini, Nastaveni);
    EXPECT_EQ(KomentHlavni::IntervalNacitaniMs(Nastaveni), 0);
    EXPECT_FALSE(Nastaveni.KontrolaZobrazit[40]);
    EXPECT_TRUE(Nastaveni.KontrolaZobrazit[41]);

    KomentHlavni::TCasovanaZprava z;
    z.Nastav("x");
    for (int i = 0; i < 50; ++i) {
        z.Tik();
    }
    EXPECT_EQ(z.Text(), "x");
    z.Tik();
    EXPECT_EQ(z.Text(), "") << "gone on the 51st tick";
    SI_Typ::ResetGlobals();
    Koment::ResetNastaveni();
}

} // namespace
