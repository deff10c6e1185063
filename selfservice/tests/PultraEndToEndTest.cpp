// End to end: the real pultra, offscreen, in a temporary folder, with the results program's
// double writing the race and the station simulator on a pseudo-terminal as COM1; buttons
// are pressed through the program hook.

#if defined(PULTRA_PATH) && defined(SISIM_PATH)

#include "RavlinSam.h"
#include "platform/Clock.h"
#include "testsupport/ProgramRun.h"
#include "testsupport/SimProcess.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>

namespace fs = std::filesystem;
using testsupport::OffscreenProgram;
using testsupport::ReadBytes;
using State = std::map<std::string, std::string>;

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class PultraEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        program = OffscreenProgram::CopyProgram(PULTRA_PATH, dir.Path());
        ravlinDir = dir / "ravlin";
    }
    void TearDown() override {
        if (HasFailure() && fs::exists(dir / "pultra.err")) {
            std::cerr << "---- pultra.err\n" << ReadBytes(dir / "pultra.err");
        }
    }
    void WriteIni(const std::string& more) {
        std::string text = "[Pultra_Main]\r\nRavlinPath=" + ravlinDir.string() + "\r\n";
        for (char c : more) {
            text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        testsupport::WriteBytes(dir / "Pultra.ini", text);
    }
    // With a screenshot on SIGUSR1 into the artefacts; SIGUSR2 presses the button Click named.
    std::unique_ptr<OffscreenProgram> Start(bool screenshot = false) {
        std::vector<std::string> env = {"PULTRA_CLICK_FILE=" + (dir / "click").string()};
        if (screenshot) {
            fs::create_directories(SELFSERVICE_ARTEFACT_DIR);
            fs::remove(shot);
            env.push_back("PULTRA_SCREENSHOT=" + shot);
        }
        return std::make_unique<OffscreenProgram>(program, dir.Path(), "pultra", "PULTRA_", env);
    }

    void Click(OffscreenProgram& p, const std::string& button) {
        testsupport::WriteBytes(dir / "click", button);
        p.Signal(SIGUSR2);
    }

    testsupport::TempDir dir;
    fs::path program;
    fs::path ravlinDir;
    const std::string shot = std::string(SELFSERVICE_ARTEFACT_DIR) + "/pultra-main.png";
};

} // namespace

TEST_F(PultraEndToEnd, ACardShowsItsRunnersListAndTheCardFileIsEmptied) {
    platform::SystemClock clock;
    ravlin::RavlinSam sam(ravlinDir, clock);
    sam.SampleRace();
    ravlin::Runner* runner = nullptr;
    for (ravlin::Runner& r : sam.runners) {
        if (r.state == 0 && runner == nullptr) {
            runner = &r;
            r.si = 7123456;
        } else if (r.si == 7123456) {
            r.si = 0;
        }
    }
    ASSERT_NE(runner, nullptr);
    ASSERT_TRUE(sam.WritePultraInf() && sam.ExportCategories() && sam.ExportRunners());

    testsupport::SimProcess sim(SISIM_PATH);
    ASSERT_FALSE(sim.Slave().empty()) << sim.Output();
    WriteIni("COM=1\n[COM1]\nZarizeni=" + sim.Slave() + "\n");

    auto pultra = Start(true);
    ASSERT_TRUE(pultra->StateWhen([](State& s) {
        return s["zavodniku"] != "0" && Has(s["system"], "ParamQZ=01.06.2026 08:00:00") &&
               s["COM1.visible"] == "1";
    })) << ReadBytes(pultra->StateFile());
    State s = pultra->State();
    EXPECT_EQ(s["nazev"], "Zkušební závod");
    EXPECT_EQ(s["tlacitka"], "1,2,3,4,5");
    EXPECT_EQ(s["grid"], "0");

    sim.Send("insert si10 7123456");
    ASSERT_TRUE(pultra->StateWhen([](State& s) { return s["grid"] == "1"; }))
        << ReadBytes(pultra->StateFile()) << sim.Log();
    sim.Send("remove");
    s = pultra->State();
    EXPECT_EQ(s["rezim"], "1");
    EXPECT_TRUE(Has(s["nadpis"], "Startovka " + runner->category)) << s["nadpis"];
    EXPECT_NE(s["zvyrazneny"], "0");
    EXPECT_TRUE(Has(s["zvyraznenyRadek"], runner->name)) << s["zvyraznenyRadek"];
    const fs::path cards = dir / "Data_Sam" / "N1_0007.si1";
    ASSERT_TRUE(fs::exists(cards));
    EXPECT_EQ(fs::file_size(cards), 0u);

    pultra->Signal(SIGUSR1);
    EXPECT_TRUE(testsupport::Eventually([this] { return fs::exists(shot); }));

    // LOGIN: the chip prompt takes the card, the runner is logged in; LOGOUT logs him out.
    Click(*pultra, "btn1");
    ASSERT_TRUE(pultra->StateWhen([](State& s) { return s["vybrany"] == "1"; }))
        << ReadBytes(pultra->StateFile());
    sim.Send("insert si10 7123456");
    ASSERT_TRUE(pultra->StateWhen([](State& s) { return s["uroven"] == "20"; }))
        << ReadBytes(pultra->StateFile()) << sim.Log();
    sim.Send("remove");
    EXPECT_TRUE(Has(pultra->State()["login"], "LOGIN : SI=7123456")) << pultra->State()["login"];
    Click(*pultra, "btn1");
    ASSERT_TRUE(pultra->StateWhen([](State& s) { return s["uroven"] == "10"; }));
    const std::string log = ReadBytes(dir / "Protokol.txt");
    EXPECT_TRUE(Has(log, ";Log IN\r\n") && Has(log, ";Log OUT\r\n")) << log;

    // A closing signal needs no password and stores the placement.
    pultra->Signal(SIGTERM);
    EXPECT_EQ(pultra->WaitExit(), 0);
    const std::string ini = ReadBytes(dir / "Pultra.ini");
    EXPECT_TRUE(Has(ini, "Width=")) << ini;
}

TEST_F(PultraEndToEnd, AMissingRaceFileIsNamedAndANamedPortSaysWhy) {
    fs::create_directories(ravlinDir);
    WriteIni("COM=20\n");
    auto pultra = Start();
    ASSERT_TRUE(pultra->StateWhen([this](State& s) {
        return Has(s["system"], "Nenalezen soubor " + (ravlinDir / "Pultra.inf").string());
    })) << ReadBytes(pultra->StateFile());
    EXPECT_TRUE(Has(pultra->State()["system"], "COM 20"));
    EXPECT_EQ(pultra->State()["tlacitka"], "3,5");
    pultra->Signal(SIGTERM);
    EXPECT_EQ(pultra->WaitExit(), 0);
}

#endif
