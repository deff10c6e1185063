// A control station's backup memory read into the punch list (mode 3) and its autosend punch
// records written to the punch files (mode 9), on a line in memory: the simulated station and
// hand-made bytes with the faults of real lines.

#include "Dialogs.h"
#include "RaceTestSupport.h"
#include "SI_Backup.h"
#include "SI_Port.h"
#include "SI_Punch.h"
#include "SI_Typ.h"
#include "SiPortTestSupport.h"
#include "testsupport/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace sitest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A legacy frame as the station sends it: control bytes inside escaped with DLE.
Bytes Stuffed(const Bytes& f) {
    Bytes wire;
    for (size_t i = 0; i < f.size(); ++i) {
        if (i > 0 && i + 1 < f.size() && f[i] < 0x20) {
            wire.push_back(0x10);
        }
        wire.push_back(f[i]);
    }
    return wire;
}

Bytes BackupReply(uint8_t page, const Bytes& data) {
    return Stuffed(Bytes{0x02, 0x74, 31, page, 12, static_cast<uint8_t>(data.size())} + data +
                   Bytes{0x03});
}

Bytes BackupRecord(int series, int number, int secs) {
    return {static_cast<uint8_t>(series),        0,
            static_cast<uint8_t>(secs & 0xFF),   static_cast<uint8_t>(secs >> 8),
            static_cast<uint8_t>(number & 0xFF), static_cast<uint8_t>(number >> 8)};
}

Bytes Request(uint8_t a, uint8_t b, uint8_t d) {
    return {0x02, 0x74, 0x10, a, 0x10, b, 0x10, d, 0x03};
}

Bytes Punch(int station, int number, int secs, uint8_t recordNo, uint8_t sub = 0,
            uint8_t last = 0x03) {
    return Stuffed({0x02, 0x53, recordNo, static_cast<uint8_t>(station), 1,
                    static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number & 0xFF), 0,
                    static_cast<uint8_t>(secs >> 8), static_cast<uint8_t>(secs & 0xFF), sub, 0, 0,
                    last});
}

class Recorder : public RecordingView, public SI_Punch::IPunchQueue, public Dialogs::IMessages {
public:
    void SetWriteButtonVisible(bool visible) override { writeVisible = visible; }
    void AddNezprac(const TPunchRec& p) override { nezprac.push_back(p.cardNumber); }
    void AddTabule(int32_t card) override { tabule.push_back(card); }
    void Error(const std::string& text) override { errors.push_back(text); }
    void Info(const std::string&) override {}
    bool Confirm(const std::string&) override { return false; }

    bool writeVisible = false;
    std::vector<int32_t> nezprac;
    std::vector<int32_t> tabule;
    std::vector<std::string> errors;
};

class SiStationMemoryTest : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        SI_Typ::Start00 = 10.00;
        platform::SetClock(&clock);
        Dialogs::SetMessages(&rec);
        SI_Punch::SetPunchQueue(&rec);
        SI_Punch::PunchFolderOverride = [this] { return folder.string(); };
        auto l = std::make_unique<FakeLine>();
        line = l.get();
        sip.port = std::move(l);
        sip.view = &rec;
        sip.Rezim = 3;
        sim = std::make_unique<StationOnLine>(*line, clock);
    }
    void TearDown() override {
        SI_Backup::ControlNumberDialog = nullptr;
        SI_Punch::PunchFolderOverride = nullptr;
        SI_Punch::SetPunchQueue(nullptr);
        Dialogs::SetMessages(nullptr);
        platform::SetClock(nullptr);
        RaceTest::TearDown();
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock.Advance(200);
            sim->Pump();
            sip.Poll();
        }
    }
    void StartRead(std::vector<sisim::BackupPunch> punches) {
        sim->station.SetBackup(std::move(punches));
        line->written.clear();
        sip.StartBackupRead();
    }
    void ReadBackup(std::vector<sisim::BackupPunch> punches) {
        StartRead(std::move(punches));
        for (int i = 0; i < 100 && sip.state != 0; ++i) {
            Tick();
        }
    }
    Bytes PunchFile(const std::string& name) const {
        const std::string s = testsupport::ReadBytes(folder / name);
        return Bytes(s.begin(), s.end());
    }

    platform::FakeClock clock;
    testsupport::TempDir dir;
    fs::path folder = dir / "Data_Kom" / "Z0012";
    TSIPort sip{4};
    FakeLine* line = nullptr;
    Recorder rec;
    std::unique_ptr<StationOnLine> sim;
};

// ---- mode 3: backup memory -------------------------------------------------------------

TEST(BackupList, RecordsSortAndLines) {
    const Bytes r = BackupRecord(3, 12345, 3 * 3600 + 62) + BackupRecord(1, 12345, 3600);
    EXPECT_EQ(SI_Backup::DecodeRecord(r.data()), (TReadBackup1{312345, "03:01:02"}));
    EXPECT_EQ(SI_Backup::DecodeRecord(r.data() + 6), (TReadBackup1{12345, "01:00:00"}));
    TBackup list;
    for (const TReadBackup1& p : {TReadBackup1{1, "10:00:05"}, TReadBackup1{2, "09:59:59"},
                                  TReadBackup1{3, "10:00:05"}, TReadBackup1{2550000, "10:00:00"}}) {
        list.Add(p);
    }
    list.Sort();
    EXPECT_EQ(SI_Backup::ListText(list), "     2 09:59:59\r\n2550000 10:00:00\r\n"
                                         "     1 10:00:05\r\n     3 10:00:05\r\n");
}

// Pages come oldest first, records split across page ends, the first page full (data count
// byte 0 = 256 bytes) from 43 punches on; each request follows the reply before it.
TEST_F(SiStationMemoryTest, BackupReadsEveryPageAndSortsByTime) {
    for (const int count : {1, 43, 100}) {
        SCOPED_TRACE(std::to_string(count) + " punches");
        std::vector<sisim::BackupPunch> punches;
        for (int i = 0; i < count; ++i) {
            const int card = i % 4 == 0 ? 1000 + i : (i % 4 + 1) * 100000 + i;
            punches.push_back({card, 9 * 3600 + (i * 37) % 600});
        }
        ReadBackup(punches);
        const size_t pages = (count * 6 + 255) / 256;
        const auto pointer = static_cast<uint8_t>(count * 6 % 256);
        std::vector<Bytes> requests = {Request(0, 0, 0)};
        for (size_t page = pages - 1; page >= 1; --page) {
            requests.push_back(Request(page, pointer, page == 1 ? pointer : 0));
        }
        EXPECT_EQ(line->written, requests);
        std::stable_sort(punches.begin(), punches.end(), [](const auto& a, const auto& b) {
            return a.secondsOfDay < b.secondsOfDay;
        });
        std::vector<TReadBackup1> expected;
        for (const auto& p : punches) {
            expected.push_back({p.card, sisim::TimeText(p.secondsOfDay)});
        }
        EXPECT_EQ(sip.backup.Items(), expected);
        EXPECT_EQ(sip.state, 0);
        EXPECT_EQ(rec.error, "");
        EXPECT_TRUE(rec.InfoHas("Přečteno OK"));
        EXPECT_EQ(rec.card, std::to_string(count));
        EXPECT_TRUE(rec.writeVisible);
    }
}

TEST_F(SiStationMemoryTest, BackupStopsAtTheLastPageAndNeverLoops) {
    // Page 1, and page 0 (which would underflow to 255 pages more), end the readout.
    for (const uint8_t page : {1, 0}) {
        StartRead({});
        line->Feed(BackupReply(page, BackupRecord(1, 777, 100)));
        Tick();
        EXPECT_EQ(line->written.size(), 1u);
        EXPECT_THAT(sip.backup.Items(), ElementsAre(TReadBackup1{777, "00:01:40"}));
    }
    // A station that names the same page again is not asked forever.
    StartRead({});
    line->Feed(BackupReply(3, BackupRecord(1, 1, 1)));
    Tick();
    line->Feed(BackupReply(3, BackupRecord(1, 2, 2)));
    Tick(3);
    EXPECT_EQ(line->written, (std::vector<Bytes>{Request(0, 0, 0), Request(2, 12, 0)}));
    EXPECT_EQ(rec.error, "Chybná načtená data ?");
    EXPECT_FALSE(rec.writeVisible);
    EXPECT_EQ(sip.backup.Count(), 1u);
}

TEST_F(SiStationMemoryTest, BackupReplyEndsAtItsLengthAndItsEtx) {
    // Stray bytes in the same read after the reply do not keep it from ending.
    StartRead({});
    line->Feed(Bytes{0xFF, 0x10} + BackupReply(1, BackupRecord(1, 5, 5)) + Bytes{0xFF, 0x02});
    Tick();
    EXPECT_EQ(sip.state, 0);
    EXPECT_EQ(rec.error, "");
    EXPECT_EQ(sip.backup.Count(), 1u);
    // A byte too many inside would shift every record: no ETX where the count ends it.
    StartRead({});
    Bytes bytes = BackupReply(1, BackupRecord(1, 5, 5));
    bytes.insert(bytes.end() - 1, 0x44);
    line->Feed(bytes);
    Tick();
    EXPECT_EQ(rec.error, "Chybná načtená data ?");
    EXPECT_TRUE(sip.backup.Empty());
}

TEST_F(SiStationMemoryTest, BackupReplyIsNotGluedToWhatAnotherModeLeft) {
    // The port listened for punch records and holds the start of one when it is switched to
    // backup readout, with the station still sending.
    sip.Rezim = 9;
    const Bytes punch = Punch(33, 1111, 100, 1);
    line->Feed(Bytes(punch.begin(), punch.end() - 1)); // all but its ETX
    Tick();
    ASSERT_EQ(sip.state, 10);
    ASSERT_EQ(sip.rxLen, 13);

    FakeLine* reopened = nullptr;
    const TLineOpener savedOpener = SI_Port::LineOpener;
    SI_Port::LineOpener = [&](int, int, std::string&) -> std::unique_ptr<ISerialLine> {
        auto l = std::make_unique<FakeLine>();
        reopened = l.get();
        return l;
    };
    sip.SetMode(3);
    SI_Port::LineOpener = savedOpener;
    ASSERT_NE(reopened, nullptr);
    ASSERT_EQ(sip.Rezim, 3);
    line = reopened; // the old line went with the old mode
    sim = std::make_unique<StationOnLine>(*line, clock);

    reopened->Feed(Bytes(1000, 0x55));
    Tick();
    EXPECT_LE(sip.rxLen, 6 + 256 + 1) << "no backup reply is that long";
    reopened->Feed(BackupReply(1, BackupRecord(1, 777, 100)));
    Tick();
    EXPECT_EQ(sip.state, 0);
    EXPECT_EQ(rec.error, "");
    EXPECT_TRUE(rec.InfoHas("Přečteno OK"));
    EXPECT_THAT(sip.backup.Items(), ElementsAre(TReadBackup1{777, "00:01:40"}));
}

TEST_F(SiStationMemoryTest, BackupEachRequestHasMaxTimeForItsReply) {
    sip.MaxTime = 4;
    StartRead({});
    Tick(19); // 4.0 s after the request: exactly MaxTime is not too late
    line->Feed(BackupReply(2, BackupRecord(1, 9, 9)));
    Tick(21); // the request for page 1 started the time anew
    EXPECT_EQ(sip.state, 20);
    EXPECT_EQ(rec.error, "");
    Tick();
    EXPECT_EQ(rec.error, "Chyba při čtení");
    EXPECT_FALSE(rec.writeVisible);
    EXPECT_EQ(sip.backup.Count(), 1u);
}

TEST_F(SiStationMemoryTest, BackupListIsWrittenOnlyWithAControlNumber) {
    ReadBackup({{12345, 36005}, {312345, 35999}});
    const auto chosen = [](const fs::path& file) {
        return [file] { SI_Typ::SouborKontroly = file.string(); };
    };
    // Cancelled; the number typed and deleted; closed without typing after an earlier write.
    SI_Backup::ControlNumberDialog = chosen("");
    EXPECT_FALSE(sip.SaveBackupList());
    SI_Backup::ControlNumberDialog = chosen(dir / "SI_.bck");
    EXPECT_FALSE(sip.SaveBackupList());
    SI_Typ::SouborKontroly = (dir / "SI_5.bck").string();
    SI_Backup::ControlNumberDialog = [] {};
    EXPECT_FALSE(sip.SaveBackupList());
    EXPECT_TRUE(fs::is_empty(dir.Path()));

    SI_Backup::ControlNumberDialog = chosen(dir / "SI_31.bck");
    EXPECT_TRUE(sip.SaveBackupList());
    EXPECT_TRUE(sip.SaveBackupList()); // replaced, not appended to
    EXPECT_EQ(testsupport::ReadBytes(dir / "SI_31.bck"), "312345 09:59:59\r\n 12345 10:00:05\r\n");
    EXPECT_TRUE(rec.errors.empty());

    SI_Backup::ControlNumberDialog = chosen(dir / "missing" / "SI_31.bck");
    EXPECT_FALSE(sip.SaveBackupList());
    ASSERT_EQ(rec.errors.size(), 1u);
    EXPECT_THAT(rec.errors[0], HasSubstr("SI_31.bck"));
}

// ---- mode 9: autosend punches ----------------------------------------------------------

TEST(PunchRecord, BytesAndCardNumberBySeries) {
    TPunchRec r{0x1234, 0x01020304, 9, 0x8C, 0xA0, 0x80};
    const auto bytes = r.ToBytes();
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()),
              (Bytes{0x34, 0x12, 0, 0, 0x04, 0x03, 0x02, 0x01, 9, 0x8C, 0xA0, 0x80}));
    EXPECT_EQ(TPunchRec::FromBytes(bytes.data()), r);
    const auto number = [](int series, uint8_t hi, uint8_t lo) {
        const Bytes b = {0x02, 0x53, 0, 1, static_cast<uint8_t>(series), hi, lo};
        return TSIPort::PunchCardNumber(b.data());
    };
    EXPECT_EQ(number(1, 0x30, 0x39), 12345);
    EXPECT_EQ(number(4, 0x30, 0x39), 412345);
    EXPECT_EQ(number(5, 0x00, 0x01), 5 * 65536 + 1);
    EXPECT_EQ(number(6, 0x01, 0x02), 6 * 65536 + 258);
}

TEST_F(SiStationMemoryTest, PunchFilesByStationCodeAndCopies) {
    const auto files = [](int station) {
        TPunchRec r;
        r.stationCode = static_cast<uint16_t>(station);
        return SI_Punch::PunchFiles(r);
    };
    EXPECT_THAT(files(31), ElementsAre("MezE1.dat"));
    EXPECT_THAT(files(30), ElementsAre("MezE1.dat", "Cil_E1.dat"));
    SI_Typ::KodStartu = 1;
    EXPECT_THAT(files(1), ElementsAre("MezE1.dat", "Start_E1.dat"));
    SI_Typ::PocetKopii = 2;
    SI_Typ::IndexVlastniKopie = 1;
    SI_Typ::CestaKopie = (dir / "data_kom" / "z0012").string(); // our own folder
    EXPECT_THAT(files(40), ElementsAre("MezE1.dat", "MezE1_c2.dat"));
}

TEST_F(SiStationMemoryTest, PunchesOfOneReadAreAllSavedByteForByte) {
    sip.Rezim = 9;
    sim->station.AutoSend(12345, 36030, 31, sim->Now());
    sim->station.AutoSend(412345, 36100, 5, sim->Now());
    Tick();
    EXPECT_EQ(PunchFile("MezE1.dat"),
              FileRecord(31, 12345, 1, 36030) + FileRecord(5, 412345, 2, 36100));
    EXPECT_EQ(PunchFile("Cil_E1.dat"), FileRecord(5, 412345, 2, 36100));
    EXPECT_THAT(rec.nezprac, ElementsAre(12345, 412345));
    EXPECT_THAT(rec.tabule, ElementsAre(412345));
    EXPECT_EQ(sip.lastCard, 412345);
    EXPECT_FLOAT_EQ(sip.lastPunchTime, 1.40F); // 10:01:40, the race started at 10:00
    EXPECT_EQ(rec.colour, (TRgb{0, 255, 0}));
}

TEST_F(SiStationMemoryTest, PunchSplitAcrossReadsIsCompleted) {
    sip.Rezim = 9;
    const Bytes a = Punch(5, 1000, 3600, 7, 0x40); // the first read ends on the DLE before 05
    const Bytes b = Punch(40, 2000, 3700, 8);
    ASSERT_EQ(a[4], 0x10);
    line->Feed(Bytes(a.begin(), a.begin() + 5));
    Tick();
    line->Feed(Bytes(a.begin() + 5, a.end()) + Bytes(b.begin(), b.begin() + 3));
    Tick();
    line->Feed(Bytes(b.begin() + 3, b.end()));
    Tick();
    EXPECT_EQ(PunchFile("MezE1.dat"),
              FileRecord(5, 1000, 7, 3600, 0x40) + FileRecord(40, 2000, 8, 3700));
    EXPECT_EQ(rec.error, "");
}

TEST_F(SiStationMemoryTest, PunchesAfterNoiseOrABrokenRecordAreKept) {
    sip.Rezim = 9;
    Bytes noise;
    for (int i = 0; i < 5000; ++i) {
        const auto c = static_cast<uint8_t>(i * 37 + 11);
        noise.push_back(c == 0x02 ? 0xFF : c);
    }
    // A false record start, a record whose 14th byte is not ETX, one with bytes lost.
    const Bytes lossy = Punch(33, 4000, 200, 2);
    line->Feed(noise + Bytes{0x02, 0x53, 0x01} + Punch(33, 3000, 100, 1, 0, 0x04) +
               Bytes(lossy.begin(), lossy.begin() + 5) + Bytes(lossy.begin() + 8, lossy.end()) +
               Punch(34, 5000, 300, 4));
    for (int i = 0; i < 4; ++i) {
        Tick();
        EXPECT_LT(sip.rxLen, 14);
    }
    EXPECT_EQ(PunchFile("MezE1.dat"), FileRecord(34, 5000, 4, 300));
    EXPECT_EQ(rec.error, "Chybná načtená data ?");
    EXPECT_EQ(rec.colour, (TRgb{255, 0, 0}));
    EXPECT_EQ(sip.state, 0);
}

TEST_F(SiStationMemoryTest, StalledPunchTimesOutWithoutLosingTheNext) {
    sip.Rezim = 9;
    const Bytes a = Punch(33, 1111, 100, 1);
    line->Feed(Bytes(a.begin(), a.begin() + 8));
    Tick(16); // 3.0 s after the record began: not yet too late
    EXPECT_EQ(sip.state, 10);
    line->Feed(Punch(33, 2222, 200, 2));
    Tick();
    EXPECT_TRUE(rec.InfoHas("Incomplete record dropped:"));
    EXPECT_EQ(PunchFile("MezE1.dat"), FileRecord(33, 2222, 2, 200));
}

TEST_F(SiStationMemoryTest, FailedAppendIsShownAndTheNextPunchGoesOn) {
    sip.Rezim = 9;
    testsupport::WriteBytes(dir / "Data_Kom", "a file where the folder should be");
    sim->station.AutoSend(12345, 100, 31, sim->Now());
    Tick();
    EXPECT_THAT(rec.error, HasSubstr("Nelze zapsat"));
    EXPECT_EQ(rec.colour, (TRgb{255, 0, 0}));
    EXPECT_THAT(rec.nezprac, ElementsAre(12345));
    folder = dir / "other" / "Z0012"; // created for the punch
    sim->station.AutoSend(23456, 200, 31, sim->Now());
    Tick();
    EXPECT_EQ(rec.error, "");
    EXPECT_EQ(PunchFile("MezE1.dat"), FileRecord(31, 23456, 2, 200));
}

} // namespace
