// Station detection and the display station end to end: ports open real pseudo-terminals
// through the device named in the settings file, with the station simulator (or nothing) on
// the other side.

#ifdef SISIM_PATH

#include "PortPanelTestSupport.h"
#include "RaceTestSupport.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "SiPortTestSupport.h"
#include "platform/Cp1250.h"
#include "testsupport/SimProcess.h"
#include "testsupport/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <termios.h>

using namespace sitest;
namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testsupport::Eventually;
using testsupport::SilentPty;

namespace {

class DetectSimTest : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        SI_Typ::IniNastaveni = std::make_unique<platform::IniFile>(dir / "QZ_SI.ini");
        SI_Port::StatusLine = nullptr;
    }
    void TearDown() override {
        ports.clear();
        SI_Port::StatusLine = nullptr;
        if (sim) {
            sim->StopAndPrintLog(HasFailure());
        }
        RaceTest::TearDown();
    }
    // Starts the simulator with its first commands; returns its device.
    std::string StartSim(const std::string& commands) {
        sim.emplace(SISIM_PATH);
        EXPECT_FALSE(sim->Slave().empty()) << sim->Output();
        sim->Send(commands);
        return sim->Slave();
    }
    // Waits until the simulator has taken every command sent so far.
    void SimSettled(const std::string& lastEffect) {
        ASSERT_TRUE(sim->WaitForLog(lastEffect)) << "waiting for: " << lastEffect;
    }
    TSIPort& Port(int com, const std::string& device, PanelView* v) {
        SI_Typ::IniNastaveni->WriteString("COM" + std::to_string(com), "Zarizeni", device);
        SI_Typ::IniNastaveni->WriteString("COM" + std::to_string(com), "Path", dir.Path().string());
        ports.push_back(TSIPort::Create(com, false, v));
        ports.back()->LoadSettings(TSIPort::VariantReader);
        return *ports.back();
    }
    std::string Guard(int com) {
        return SI_Typ::IniNastaveni->ReadString("DisableCOM", "COM" + std::to_string(com), "none");
    }
    uintmax_t DataSize() const {
        std::error_code ec;
        const uintmax_t n = fs::file_size(dir / "C3_0012.si1", ec);
        return ec ? 0 : n;
    }
    // A card read at whatever speed detection left the line: its records reach the file.
    void ReadCard(TSIPort& p, const std::string& kind, int number, size_t records) {
        const uintmax_t before = DataSize();
        sim->Send("insert " + kind + " " + std::to_string(number));
        EXPECT_TRUE(Eventually([&] {
            p.Poll();
            return p.state == 0 && DataSize() >= before + records * TCardBlockRec::Size;
        })) << "state "
            << p.state << ", error " << view.error;
        sim->Send("remove");
        EXPECT_EQ(view.error, "");
        EXPECT_EQ(DataSize(), before + records * TCardBlockRec::Size);
        EXPECT_THAT(view.card, HasSubstr(std::to_string(number)));
    }

    testsupport::TempDir dir;
    std::optional<testsupport::SimProcess> sim; // for the tests that want a station
    PanelView view;
    RecordingMessages messages;
    std::vector<std::unique_ptr<TSIPort>> ports;
};

// Detection on a fresh start, then a card read at whatever speed detection left the line.
struct StationCase {
    const char* commands;
    const char* settled; // the simulator's log line once it has taken the commands
    int protocol;
    int baud;
    int extendMode;
    const char* caption;
    const char* card;
    int number;
    size_t records;
};

class DetectStationTest : public DetectSimTest,
                          public ::testing::WithParamInterface<StationCase> {};

TEST_P(DetectStationTest, StationIsFoundAndReadsAtItsSpeed) {
    const StationCase& c = GetParam();
    const std::string device = StartSim(c.commands);
    SimSettled(c.settled);
    TSIPort& p = Port(3, device, &view);
    p.Detect();
    EXPECT_EQ(p.protocol, c.protocol);
    EXPECT_EQ(p.detectedBaud, c.baud);
    EXPECT_EQ(p.extendMode, c.extendMode);
    EXPECT_EQ(p.Rezim, 1);
    EXPECT_EQ(p.Rychlost, c.baud == 38400 ? 1 : 0);
    EXPECT_EQ(view.caption, c.caption);
    EXPECT_EQ(Guard(3), "0");
    EXPECT_THAT(messages.errors, IsEmpty());
    ReadCard(p, c.card, c.number, c.records);
}

INSTANTIATE_TEST_SUITE_P(
    Stations, DetectStationTest,
    ::testing::Values(StationCase{"extmode on", "extended mode bit on", 7, 38400, 1,
                                  " COM 3 (38400)  extend mode  :  načítání čipů s mezičasy ",
                                  "si8", 2012345, 2},
                      StationCase{"speed 4800\nextmode off", "extended mode bit off", 7, 4800, 0,
                                  " COM 3 (4800)   :  načítání čipů s mezičasy ", "si5", 412345, 1},
                      StationCase{"speed 4800\nproto legacy", "protocol legacy", 6, 4800, -1,
                                  " COM 3 (4800)   :  načítání čipů s mezičasy ", "si6", 654321,
                                  3}));

TEST_F(DetectSimTest, NoStationEndsWithinTheWaitsWithThePortOff) {
    SilentPty pty;
    ASSERT_FALSE(pty.Slave().empty());
    TSIPort& p = Port(3, pty.Slave(), &view);
    // While the line is probed, the file on disk marks the port.
    std::vector<std::string> guardOnDisk;
    SI_Port::StatusLine = [&](const std::string&) {
        platform::IniFile onDisk(dir / "QZ_SI.ini");
        guardOnDisk.push_back(onDisk.ReadString("DisableCOM", "COM3", ""));
    };
    // The waits of the three probes, on a clock of the test's own: 150 + 200 + 200 ms.
    platform::FakeClock clock;
    platform::SetClock(&clock);
    const int64_t start = clock.MonotonicMs();
    p.Detect();
    const int64_t took = clock.MonotonicMs() - start;
    platform::SetClock(nullptr);
    EXPECT_GE(took, 550);
    EXPECT_LT(took, 600);
    EXPECT_EQ(p.Rezim, 0);
    EXPECT_FALSE(p.port);
    EXPECT_EQ(p.protocol, -1);
    EXPECT_THAT(guardOnDisk, ::testing::ElementsAre("1", "1", "1"));
    EXPECT_EQ(Guard(3), "0");
    EXPECT_EQ(view.caption, " COM 3 (4800)   :  port není aktivní ");
    // What the probe sent: set master mode twice, then the legacy probe.
    Bytes expected = SiProtocol::FrameSetMasterMode();
    const Bytes again = SiProtocol::FrameSetMasterMode();
    expected.insert(expected.end(), again.begin(), again.end());
    expected.insert(expected.end(), {0x02, 0x70, 0x00, 0x03});
    EXPECT_EQ(pty.Drain(), expected);

    // A device that is not there: off at once.
    TSIPort& gone = Port(4, (dir / "ttyNone").string(), nullptr);
    gone.Detect();
    EXPECT_EQ(gone.Rezim, 0);
    EXPECT_EQ(Guard(4), "0");
    EXPECT_THAT(messages.errors, IsEmpty());
}

// A station whose device goes (a cable pulled) is shown so on its panel with the device and the
// system's reason, and read again once a station is back behind the same device path.
TEST_F(DetectSimTest, StationThatVanishesIsShownAndReadAgainOnceItIsBack) {
    struct Case {
        const char* what;
        const char* commands; // what the station is doing when it goes
    };
    const std::vector<Case> cases = {
        {"idle", ""},
        {"mid-readout", "insert si10 1234567\nfault silence"},
    };
    const fs::path link = dir / "ttySI";
    fs::create_symlink(StartSim("extmode on"), link);
    SimSettled("extended mode bit on");
    TSIPort& p = Port(3, link.string(), &view);
    p.Detect();
    int number = 2012345;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReadCard(p, "si8", ++number, 2);
        sim->Send(c.commands);
        ASSERT_TRUE(Eventually([&] {
            p.Poll();
            return (p.state != 0) == (*c.commands != 0);
        }));
        sim->StopAndPrintLog(HasFailure());
        ASSERT_TRUE(Eventually([&] {
            p.Poll();
            return !view.error.empty();
        }));
        EXPECT_EQ(view.error, "Stanice odpojena: COM3 (" + link.string() + "): Input/output error");
        EXPECT_EQ(view.states.back(), "Disconnected");
        EXPECT_TRUE(view.panelVisible);

        fs::remove(link);
        fs::create_symlink(StartSim("extmode on"), link);
        SimSettled("extended mode bit on");
        EXPECT_TRUE(Eventually([&] {
            p.Poll();
            return view.error.empty();
        })) << view.error;
        EXPECT_EQ(view.states.back(), "Waiting");
        EXPECT_EQ(p.Rezim, 1);
    }
    ReadCard(p, "si5", 412345, 1);
    EXPECT_THAT(messages.errors, IsEmpty());
}

TEST_F(DetectSimTest, TwoPortsNeverShareALine) {
    SilentPty pty;
    ASSERT_FALSE(pty.Slave().empty());
    SI_Typ::IniNastaveni->WriteString("COM5", "Zarizeni", pty.Slave());

    // The SI port holds the line: the display port on the same device cannot open it.
    TSIPort& p = Port(3, pty.Slave(), &view);
    p.SetMode(1);
    ASSERT_TRUE(p.port);
    auto display = TSIPort::Create(5, true, nullptr);
    EXPECT_FALSE(display->port);
    EXPECT_EQ(display->Rezim, 0);
    // The dialog names the port, its device and why it could not be opened.
    ASSERT_EQ(messages.errors.size(), 1U);
    EXPECT_THAT(messages.errors[0], ::testing::StartsWith("Aktivace portu se nepodařila !\nCOM"));
    EXPECT_THAT(messages.errors[0], ::testing::HasSubstr("Device or resource busy"));
    display->ShowOnDisplay("OK", "OK");
    EXPECT_THAT(pty.Drain(), IsEmpty());

    // The other way round: the display holds it, and the probe of the SI port ends quietly.
    p.SetMode(0);
    display = TSIPort::Create(5, true, nullptr);
    ASSERT_TRUE(display->port);
    p.Detect();
    EXPECT_EQ(p.Rezim, 0);
    EXPECT_EQ(Guard(3), "0");
    EXPECT_EQ(messages.errors.size(), 1u);
}

TEST_F(DetectSimTest, DisplayGetsTheBytesAt9600) {
    SilentPty pty;
    ASSERT_FALSE(pty.Slave().empty());
    SI_Typ::IniNastaveni->WriteString("COM5", "Zarizeni", pty.Slave());
    auto display = TSIPort::Create(5, true, nullptr);
    ASSERT_TRUE(display->port);
    EXPECT_EQ(pty.Speed(), B9600);
    display->ShowOnDisplay("Příliš žluťoučký kůň úpěl", "OK");
    const std::string first = platform::Utf8ToCp1250("Příliš žluťoučký kůň");
    Bytes expected = {0x1B, 'Q', 'A'};
    expected.insert(expected.end(), first.begin(), first.end());
    expected.insert(expected.end(), {0x0D, 0x1B, 'Q', 'B', 'O', 'K'});
    expected.insert(expected.end(), 18, ' ');
    expected.push_back(0x0D);
    EXPECT_EQ(expected.size(), 48u);
    EXPECT_EQ(pty.Drain(), expected);
}

TEST_F(DetectSimTest, DisplayStationShowsWhatItIsSent) {
    const std::string device = StartSim("role display");
    SimSettled("role display");
    SI_Typ::IniNastaveni->WriteString("COM5", "Zarizeni", device);
    auto display = TSIPort::Create(5, true, nullptr);
    ASSERT_TRUE(display->port);
    display->ShowOnDisplay("Cíl", "Pořadí 1 - výborně, skvělý čas");
    SimSettled("display \"Cíl                 \" \"Pořadí 1 - výborně, \"");
    display->ShowOnDisplay("", "");
    SimSettled("display \"                    \" \"                    \"");
    EXPECT_THAT(sim->Log(), ::testing::Not(HasSubstr("skipped")));
}

} // namespace

#endif
