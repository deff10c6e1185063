// End to end: the station simulator on a real pseudo-terminal, a port reading its backup
// memory (mode 3) and its autosend punch records (mode 9) through TPort, and the list file and
// the punch files compared byte for byte.

#ifdef SISIM_PATH

#include "RaceTestSupport.h"
#include "SI_Backup.h"
#include "SI_Port.h"
#include "SI_Punch.h"
#include "SI_Typ.h"
#include "SiPortTestSupport.h"
#include "testsupport/SimProcess.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace sitest;
namespace fs = std::filesystem;
using testsupport::Eventually;

namespace {

int Secs(int h, int m, int s) {
    return h * 3600 + m * 60 + s;
}

class SiStationMemorySimTest : public RaceTest {
protected:
    SiStationMemorySimTest() : RaceTest(2) {}
    void SetUp() override {
        RaceTest::SetUp();
        ASSERT_FALSE(sim.Slave().empty()) << sim.Output();
        auto p = std::make_unique<TPort>();
        p->name = "COM4";
        p->device = sim.Slave();
        p->baudRate = 38400;
        ASSERT_TRUE(p->Open()) << p->lastError;
        sip.port = std::move(p);
        sip.view = &view;
        sip.MaxTime = 4;
    }
    void TearDown() override {
        SI_Punch::PunchFolderOverride = nullptr;
        sip.port.reset();
        sim.StopAndPrintLog(HasFailure()); // end of input ends the simulator
        RaceTest::TearDown();
    }
    // Sends the commands and waits until the simulator has logged the text.
    void Send(const std::string& commands, const std::string& logged) {
        sim.Send(commands);
        ASSERT_TRUE(sim.WaitForLog(logged)) << logged;
    }

    testsupport::TempDir dir;
    testsupport::SimProcess sim{SISIM_PATH}; // started before each test, ended after it
    TSIPort sip{4};
    RecordingView view;
};

TEST_F(SiStationMemorySimTest, BackupOfThreePagesBecomesTheSortedListFile) {
    // 102 punches, 612 bytes: three pages, records split across page ends; the first page comes
    // in two parts after noise.
    Send("fault split 300\nfault noise\nbackup 100\npunch 312345 07:59:00\npunch 7 12:30:00",
         "backup punch 102");
    sip.Rezim = 3;
    sip.StartBackupRead();
    ASSERT_TRUE(Eventually([&] {
        sip.Poll();
        return sip.state == 0;
    }));
    EXPECT_EQ(view.error, "");
    ASSERT_TRUE(view.InfoHas("Přečteno OK"));
    const std::string log = sim.Log();
    EXPECT_NE(log.find("fault split: backup page 3"), std::string::npos);
    EXPECT_NE(log.find("fault noise before backup page 3"), std::string::npos);

    SI_Typ::SouborKontroly = SI_Backup::ListFileName(dir.Path().string(), "31");
    ASSERT_TRUE(sip.SaveBackupList());
    // The station keeps the time of day on its 12-hour clock.
    std::string expected = "312345 07:59:00\r\n";
    for (int i = 1; i <= 100; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, " %5d 08:%02d:%02d\r\n", 10000 + i, i / 60, i % 60);
        expected += line;
    }
    expected = "     7 00:30:00\r\n" + expected;
    EXPECT_EQ(testsupport::ReadBytes(dir / "SI_31.bck"), expected);
}

TEST_F(SiStationMemorySimTest, AutosendPunchesGoIntoThePunchFiles) {
    SI_Punch::PunchFolderOverride = [this] { return (dir / "Data_Kom" / "Z0012").string(); };
    sip.Rezim = 9;
    // A record split in two writes, one after noise, one that loses bytes on the way (dropped,
    // the one after it kept), and one of a control above 30.
    Send("autosend 10001 10:00:01\n"
         "fault split 300\nautosend 212345 10:00:02 31\n"
         "fault noise\nautosend 5 10:00:03 2\n"
         "fault lose 3\nautosend 6 10:00:04 33\n"
         "autosend 7 10:00:05 34",
         "punch record 5");
    const fs::path mez = dir / "Data_Kom" / "Z0012" / "MezE2.dat";
    const Bytes expected = [] {
        Bytes b;
        for (const Bytes& r :
             {FileRecord(1, 10001, 1, Secs(10, 0, 1)), FileRecord(31, 212345, 2, Secs(10, 0, 2)),
              FileRecord(2, 5, 3, Secs(10, 0, 3)), FileRecord(34, 7, 5, Secs(10, 0, 5))}) {
            b.insert(b.end(), r.begin(), r.end());
        }
        return b;
    }();
    ASSERT_TRUE(Eventually([&] {
        sip.Poll();
        return testsupport::ReadBytes(mez).size() >= expected.size();
    }));
    const std::string got = testsupport::ReadBytes(mez);
    EXPECT_EQ(Bytes(got.begin(), got.end()), expected);

    const std::string cil = testsupport::ReadBytes(dir / "Data_Kom" / "Z0012" / "Cil_E2.dat");
    Bytes cilExpected = FileRecord(1, 10001, 1, Secs(10, 0, 1));
    const Bytes third = FileRecord(2, 5, 3, Secs(10, 0, 3));
    cilExpected.insert(cilExpected.end(), third.begin(), third.end());
    EXPECT_EQ(Bytes(cil.begin(), cil.end()), cilExpected);
    EXPECT_EQ(sip.lastCard, 7);
    const std::string log = sim.Log();
    EXPECT_NE(log.find("fault split: punch record 2"), std::string::npos);
    EXPECT_NE(log.find("fault noise before punch record 3"), std::string::npos);
    EXPECT_NE(log.find("fault lose: 3 bytes of punch record 4"), std::string::npos);
}

} // namespace

#endif
