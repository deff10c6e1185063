// End to end: the station simulator on a real pseudo-terminal, a port reading its backup
// memory (mode 3) and its autosend punch records (mode 9) through TPort, and the list file and
// the punch files compared byte for byte.

#ifdef SISIM_PATH

#include "SI_Backup.h"
#include "SI_Port.h"
#include "SI_Punch.h"
#include "SI_Typ.h"
#include "testsupport/TempDir.h"

#include "SiPortTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <thread>

using namespace sitest;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

bool Eventually(const std::function<bool()>& fn) {
    for (const auto until = Steady::now() + std::chrono::seconds(10); Steady::now() < until;) {
        if (fn()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int Secs(int h, int m, int s) {
    return h * 3600 + m * 60 + s;
}

Bytes FileRecord(int station, int card, uint8_t recordNo, int secs) {
    const auto c = static_cast<uint32_t>(card);
    return {static_cast<uint8_t>(station),
            0,
            0,
            0,
            static_cast<uint8_t>(c),
            static_cast<uint8_t>(c >> 8),
            static_cast<uint8_t>(c >> 16),
            static_cast<uint8_t>(c >> 24),
            recordNo,
            static_cast<uint8_t>(secs >> 8),
            static_cast<uint8_t>(secs & 0xFF),
            0};
}

class SiStationMemorySimTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        SI_Typ::Zavod = 12;
        SI_Typ::Etapa = 2;
        const std::string cmd = std::string(SISIM_PATH) + " --stdin > " + (dir / "out").string() +
                                " 2> " + (dir / "log").string();
        sim = popen(cmd.c_str(), "w");
        ASSERT_NE(sim, nullptr);
        std::string out;
        ASSERT_TRUE(Eventually([&] {
            out = testsupport::ReadBytes(dir / "out");
            return out.find('\n') != std::string::npos;
        }));
        ASSERT_EQ(out.rfind("PTY ", 0), 0u) << out;
        auto p = std::make_unique<TPort>();
        p->name = "COM4";
        p->device = out.substr(4, out.find('\n') - 4);
        p->baudRate = 38400;
        ASSERT_TRUE(p->Open()) << p->lastError;
        sip.port = std::move(p);
        sip.view = &view;
        sip.MaxTime = 4;
    }
    void TearDown() override {
        SI_Punch::PunchFolderOverride = nullptr;
        sip.port.reset();
        if (sim != nullptr) {
            pclose(sim);
        }
        SI_Typ::ResetGlobals();
        if (HasFailure()) {
            std::cerr << testsupport::ReadBytes(dir / "log");
        }
    }
    // Sends the commands and waits until the simulator has logged the text.
    void Send(const std::string& commands, const std::string& logged) {
        std::fputs((commands + "\n").c_str(), sim);
        std::fflush(sim);
        ASSERT_TRUE(Eventually([&] {
            return testsupport::ReadBytes(dir / "log").find(logged) != std::string::npos;
        })) << logged;
    }

    testsupport::TempDir dir;
    FILE* sim = nullptr;
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
    const std::string log = testsupport::ReadBytes(dir / "log");
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
    const std::string log = testsupport::ReadBytes(dir / "log");
    EXPECT_NE(log.find("fault split: punch record 2"), std::string::npos);
    EXPECT_NE(log.find("fault noise before punch record 3"), std::string::npos);
    EXPECT_NE(log.find("fault lose: 3 bytes of punch record 4"), std::string::npos);
}

} // namespace

#endif
