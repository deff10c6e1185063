// The main window's decisions without a window: race settings and Ravlin.inf, Display.txt and
// what the display station shows when.

#include "MainLogic.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;
namespace fs = std::filesystem;
using testsupport::InFolder;

namespace {

class RaceSettings : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        fs::create_directories(dir / "Qz");
        ini = dir / "QZ_SI.ini";
        platform::SetClock(&clock);
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        SI_Typ::ResetGlobals();
    }
    // Time passes only while the reader waits; the results program may write meanwhile.
    struct WaitingClock : platform::FakeClock {
        std::function<void(int64_t)> meanwhile;
        void Pause() override {
            FakeClock::Pause();
            if (meanwhile) {
                meanwhile(MonotonicMs());
            }
        }
    };

    void WriteIni(const std::string& mainSection) {
        WriteBytes(ini, "[fQZ_SI]\r\nCestaRavlin=" + (dir / "Qz").string() + "\r\n" + mainSection +
                            "[COM1]\r\nRezim=1\r\n");
    }
    // The results program writes Windows-1250.
    void WriteInf(const std::string& body) {
        WriteBytes(dir / "Qz" / "Ravlin.inf", platform::Utf8ToCp1250("[Ravlin]\r\n" + body));
    }
    // Reads the settings and takes the race over as the start does; returns the warning.
    std::string Start() {
        platform::IniFile file(ini);
        QZ_SI::NactiNastaveni(file);
        return QZ_SI::PrevezmiZavodPriStartu(file);
    }

    TempDir dir;
    fs::path ini;
    WaitingClock clock;
};

} // namespace

TEST_F(RaceSettings, DefaultsWhenTheFileSaysNothing) {
    fs::create_directories(dir / "event");
    InFolder in(dir / "event");
    platform::IniFile empty(dir / "none.ini");
    QZ_SI::NactiNastaveni(empty);
    EXPECT_EQ(SI_Typ::Zavod, 1);
    EXPECT_EQ(SI_Typ::Etapa, 1);
    EXPECT_EQ(SI_Typ::Start00, 10.0);
    EXPECT_EQ(SI_Typ::PodleRavlin, 1);
    EXPECT_EQ(SI_Typ::ComProDisplay, 0);
    // The folder "Qz" beside the current one (it exists here, in its own spelling).
    EXPECT_EQ(SI_Typ::CestaRavlin, (dir / "Qz").string());
}

TEST_F(RaceSettings, MissingRavlinInfSwitchesFollowingOffForThisRunOnly) {
    WriteIni("PodleRavlin=1\r\nZavod=7\r\n");
    const std::string before = ReadBytes(ini);
    EXPECT_EQ(Start(), "");
    EXPECT_EQ(SI_Typ::PodleRavlin, 0);
    EXPECT_EQ(SI_Typ::Zavod, 7);
    EXPECT_EQ(ReadBytes(ini), before);
}

TEST_F(RaceSettings, TakesOnlyWhatChangedFromRavlinInf) {
    WriteIni("PodleRavlin=1\r\nEtapa=3\r\nStart00=10.00\r\n");
    WriteInf("Rok=2024\r\nZavod=1\r\nEtapa=2\r\nStart00=10.00\r\nNazev=Jarní cena\r\n");
    EXPECT_EQ(Start(), "");
    EXPECT_EQ(SI_Typ::Etapa, 2);
    EXPECT_EQ(SI_Typ::Zavod, 1);
    platform::IniFile file(ini);
    EXPECT_EQ(file.ReadInteger("fQZ_SI", "Etapa", 0), 2);
    // Same race number and zero time: their keys are not written.
    EXPECT_FALSE(file.ValueExists("fQZ_SI", "Zavod"));
    EXPECT_EQ(file.ReadString("fQZ_SI", "Start00", ""), "10.00");
    EXPECT_EQ(Tools::RaceNameText(), "Jarní cena");

    WriteInf("Rok=2024\r\nZavod=15\r\nEtapa=2\r\nStart00=9.30\r\n");
    EXPECT_EQ(QZ_SI::UlozDleRavlin(file), "");
    EXPECT_EQ(SI_Typ::Zavod, 15);
    EXPECT_EQ(SI_Typ::Start00, 9.30);
    EXPECT_EQ(file.ReadInteger("fQZ_SI", "Zavod", 0), 15);
    EXPECT_EQ(file.ReadFloat("fQZ_SI", "Start00", 0), 9.30);
}

// Values the results program could not have meant, or a file it has not finished writing,
// must not become the race this reader files its chips under.
TEST_F(RaceSettings, BadRavlinInfLeavesRaceAndSettingsAlone) {
    struct Case {
        const char* inf;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"Zavod=0\r\nEtapa=1\r\nStart00=10.00\r\n", "číslo závodu 0 není v rozsahu 1..9999"},
        {"Zavod=10000\r\nEtapa=1\r\nStart00=10.00\r\n", "číslo závodu 10000"},
        {"Zavod=70000\r\nEtapa=1\r\nStart00=10.00\r\n", "číslo závodu 70000"},
        {"Zavod=-3\r\nEtapa=1\r\nStart00=10.00\r\n", "číslo závodu -3"},
        {"Zavod=abc\r\nEtapa=1\r\nStart00=10.00\r\n", "číslo závodu 0"},
        {"Zavod=12\r\nEtapa=0\r\nStart00=10.00\r\n", "etapa 0 není platná"},
        {"Zavod=12\r\nEtapa=65536\r\nStart00=10.00\r\n", "etapa 65536"},
        {"Zavod=12\r\nEtapa=2\r\nStart00=25.00\r\n", "čas startu 25 není platný"},
        {"Zavod=12\r\nEtapa=2\r\nStart00=10.75\r\n", "čas startu 10.75"},
        {"Zavod=12\r\nEtapa=2\r\nStart00=10.60\r\n", "čas startu 10.6"},
        // Cut off while being written.
        {"Rok=2024\r\nZavod=12\r\nEtapa=2\r\n", "neúplný, chybí Start00"},
        {"Rok=20", "neúplný, chybí Zavod, Etapa, Start00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inf);
        SI_Typ::ResetGlobals();
        WriteIni("PodleRavlin=1\r\nZavod=7\r\nEtapa=3\r\nStart00=9.00\r\n");
        const std::string before = ReadBytes(ini);
        WriteInf(c.inf);
        const std::string warning = Start();
        EXPECT_NE(warning.find(c.why), std::string::npos) << warning;
        EXPECT_NE(warning.find("platí dál závod 0007 / E3"), std::string::npos) << warning;
        EXPECT_EQ(SI_Typ::Zavod, 7);
        EXPECT_EQ(SI_Typ::Etapa, 3);
        EXPECT_EQ(SI_Typ::Start00, 9.0);
        EXPECT_EQ(ReadBytes(ini), before);
    }
    // Rewritten again and again while the reader waits for it to stand still.
    WriteIni("PodleRavlin=1\r\nZavod=7\r\nEtapa=3\r\nStart00=9.00\r\n");
    clock.meanwhile = [&](int64_t ms) {
        if (ms % 500 == 0) {
            WriteInf("Zavod=" + std::to_string(ms / 500 % 2 + 12) +
                     "\r\nEtapa=2\r\nStart00=10.00\r\n");
        }
    };
    EXPECT_NE(Start().find("soubor se stále mění"), std::string::npos);
    EXPECT_EQ(SI_Typ::Zavod, 7);
    clock.meanwhile = nullptr;

    SI_Typ::Language = 1;
    WriteInf("Zavod=0\r\nEtapa=1\r\nStart00=10.00\r\n");
    platform::IniFile file(ini);
    EXPECT_EQ(QZ_SI::UlozDleRavlin(file),
              "Ravlin.inf not taken: race number 0 is outside 1..9999; race 0007 / E3 stays.");
}

TEST_F(RaceSettings, SettingsThatCannotBeWrittenAreReported) {
    WriteIni("PodleRavlin=1\r\n");
    WriteInf("Zavod=12\r\nEtapa=2\r\nStart00=10.00\r\n");
    platform::IniFile file(ini);
    QZ_SI::NactiNastaveni(file);
    platform::IniFile nowhere(dir / "missing-folder" / "QZ_SI.ini");
    const std::string warning = QZ_SI::UlozDleRavlin(nowhere);
    EXPECT_NE(warning.find("nelze uložit"), std::string::npos) << warning;
}

TEST(DisplayTxtTest, SplitsLinesIntoAlternatingPairs) {
    using T = QZ_SI::TDisplayTexty;
    // Line 1 alternates; line 2 then stays.
    EXPECT_EQ(QZ_SI::RozdelDisplayTxt("Cíl\\12:34\r\nPořadí 1\r\n"),
              (T{"Cíl", "12:34", "Pořadí 1", "Pořadí 1"}));
    // Without a backslash line 1 stands still, and so does line 2.
    EXPECT_EQ(QZ_SI::RozdelDisplayTxt("Start\r\nA\\B"), (T{"Start", "Start", "A", "A"}));
    // Only an empty line 1 lets line 2 alternate.
    EXPECT_EQ(QZ_SI::RozdelDisplayTxt("\nA\\B\n"), (T{"", "", "A", "B"}));
    // The B text is at most 20 characters, counted as characters, not bytes.
    EXPECT_EQ(QZ_SI::RozdelDisplayTxt("x\\ěščřžýáíéůúěščřžýáíéů").r1b, "ěščřžýáíéůúěščřžýáíé");
    EXPECT_EQ(QZ_SI::RozdelDisplayTxt("a\\b\\c").r1b, "b\\c");
    EXPECT_EQ(QZ_SI::RozdelDisplayTxt(""), (T{}));
}

namespace {

struct FakeView : QZ_SI::IDisplayView {
    bool visible = true;
    std::string line1;
    std::string line2;
    int sends = 0;
    void SetDisplayLabelsVisible(bool v) override { visible = v; }
    void SetDisplayLabels(const std::string& a, const std::string& b) override {
        line1 = a;
        line2 = b;
        ++sends;
    }
    std::string DisplayLabel1() const override { return line1; }
    std::string DisplayLabel2() const override { return line2; }
};

// A serial line that keeps what is written.
struct CaptureLine : ISerialLine {
    std::string written;
    bool IsOpen() const override { return true; }
    int Write(const uint8_t* bytes, int n) override {
        written.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
        return n;
    }
    int Read(uint8_t*, int) override { return 0; }
    int InQueue() override { return 0; }
    int OutQueue() override { return 0; }
};

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        platform::SetClock(&clock);
        SI_Typ::CestaRavlin = dir.Path().string();
        SI_Typ::RavlinInf.Rok = "2024";
        SI_Typ::Zavod = 12;
        SI_Typ::ComProDisplay = 3;
        race = dir / "Zav_2024" / "ZZ0012";
        fs::create_directories(race);
        auto l = std::make_unique<CaptureLine>();
        line = l.get();
        station.isDisplay = true;
        station.port = std::move(l);
        display.SetPort(&station);
        display.SetProblemReport([this](const std::string& t) { reports.push_back(t); });
        SI_Typ::DisplayCas = Tools::Stamp();
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        SI_Typ::ResetGlobals();
    }
    void Tick(int ms = 200) {
        clock.Advance(ms);
        display.ZobrazDisplay();
    }
    void DropDisplayTxt(const std::string& utf8) {
        WriteBytes(race / "Display.txt", platform::Utf8ToCp1250(utf8));
    }
    // Updates the display station received.
    size_t StationUpdates() const {
        size_t n = 0;
        for (size_t at = 0; (at = line->written.find("\x1bQA", at)) != std::string::npos; ++at) {
            ++n;
        }
        return n;
    }

    TempDir dir;
    fs::path race;
    platform::FakeClock clock;
    FakeView view;
    TSIPort station{3};
    CaptureLine* line = nullptr;
    QZ_SI::TDisplay display{view};
    std::vector<std::string> reports;
};

} // namespace

TEST_F(DisplayTest, DisplayTxtIsTakenWhenCompleteThenDeletedAndAlternates) {
    DropDisplayTxt("Cíl\\12:34\r\nPořadí 1\r\n");
    Tick();
    // The first look only notes the file: the results program may still be writing it.
    EXPECT_TRUE(fs::exists(race / "Display.txt"));
    EXPECT_EQ(view.line1, "");
    // It grows: still not taken.
    DropDisplayTxt("Cíl\\12:34\r\nPořadí 1\r\nx");
    Tick();
    Tick(1700);
    EXPECT_TRUE(fs::exists(race / "Display.txt"));
    Tick(300); // two seconds unchanged
    EXPECT_FALSE(fs::exists(race / "Display.txt"));
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.line1, "Cíl");
    EXPECT_EQ(view.line2, "Pořadí 1");
    EXPECT_EQ(StationUpdates(), 1u);
    Tick(1000);
    EXPECT_EQ(view.line1, "12:34");
    EXPECT_EQ(view.line2, "Pořadí 1");
    Tick(200); // same second: nothing new is sent
    EXPECT_EQ(StationUpdates(), 2u);
    Tick(800);
    EXPECT_EQ(view.line1, "Cíl");
    EXPECT_EQ(StationUpdates(), 3u);
    EXPECT_TRUE(reports.empty());
}

TEST_F(DisplayTest, DisplayTxtThatCannotBeDeletedIsShownOnceUntilItChanges) {
    int removes = 0;
    display.SetRemover([&](const fs::path&, std::string& error) {
        ++removes;
        error = "Permission denied";
        return false;
    });
    DropDisplayTxt("Cíl\\12:34\r\n");
    Tick();
    Tick(2000);
    EXPECT_EQ(view.line1, "Cíl");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("Permission denied"), std::string::npos);
    // It stays, but is not taken again and again: the waiting text comes after 20 s as if the
    // file had gone.
    for (int i = 0; i < 100; ++i) {
        Tick();
    }
    Tick(600);
    EXPECT_EQ(view.line1, "Dalsi prosim ...");
    EXPECT_EQ(removes, 1);
    EXPECT_EQ(reports.size(), 1u);
    // New texts in the same file are taken.
    DropDisplayTxt("Druhý\r\n");
    Tick();
    Tick(2000);
    EXPECT_EQ(view.line1, "Druhý");
    EXPECT_EQ(removes, 2);
}

TEST_F(DisplayTest, WaitingTextAfterTwentyIdleSecondsOnTheMonotonicClock) {
    QZ_SI::PortDisplayHook()("OK", "OK", "OK", "OK");
    Tick();
    EXPECT_EQ(view.line1, "OK");
    // The wall clock going back an hour (or past midnight) changes nothing.
    clock.SetWall({2026, 6, 1, 23, 59, 59, 0});
    clock.Advance(19800);
    display.ZobrazDisplay(); // exactly 20 s
    EXPECT_EQ(view.line1, "OK");
    clock.SetWall({2026, 6, 2, 0, 0, 10, 0});
    Tick(1);
    EXPECT_EQ(view.line1, "Dalsi prosim ...");
    EXPECT_EQ(view.line2, "");
    Tick(1000);
    EXPECT_EQ(view.line1, "");
    Tick(1000);
    EXPECT_EQ(view.line1, "Dalsi prosim ...");

    SI_Typ::RavlinInf.Lng = "EN";
    Tick(19000);
    EXPECT_EQ(view.line1, "...insert SI card...");
}

TEST_F(DisplayTest, PortTextsFollowTheLanguageOfRavlinInf) {
    const TDisplayHook hook = QZ_SI::PortDisplayHook();
    hook("vytahni cip", "a zkus to znovu", "pull UP !!", "... and try again");
    Tick();
    EXPECT_EQ(view.line1, "vytahni cip");
    EXPECT_EQ(view.line2, "a zkus to znovu");
    Tick(1000); // both pairs hold the same: the station is not written again
    EXPECT_EQ(StationUpdates(), 1u);

    SI_Typ::RavlinInf.Lng = "en"; // only exactly "EN" is English
    hook("cekej", "", "wait", "");
    Tick();
    EXPECT_EQ(view.line1, "cekej");
    SI_Typ::RavlinInf.Lng = "EN";
    hook("cekej", "", "wait", "");
    Tick();
    EXPECT_EQ(view.line1, "wait");
    EXPECT_EQ(QZ_SI::TextyMimoProvoz().first, "out of service ...");
}
