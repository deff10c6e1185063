// A control station's backup memory read page by page, and its autosend punch records, both
// decoded here by the reader's rules.

#include "Commands.h"
#include "StationTestSupport.h"

#include <gtest/gtest.h>

using namespace sisim;
using namespace SiProtocol;
using namespace stationtest;
using std::chrono::milliseconds;

namespace {

struct Readout {
    std::vector<BackupPunch> punches; // seconds of the station's 12-hour clock
    std::vector<int> pageNumbers;
    std::vector<int> countBytes;
    bool complete = false;
};

// The reader's loop: the next request follows from each reply's header; a page numbered 1 is
// the last; records are cut from the data of all pages run together.
Readout ReadBackup(Station& s) {
    Readout r;
    Bytes request = FrameLegacyReadBackupFirst();
    Bytes data;
    for (int guard = 0; guard < 300; ++guard) {
        const Bytes raw = Send(s, request);
        EXPECT_EQ(FramingBytes(raw), (Bytes{STX, ETX})) << "page " << guard;
        const Bytes b = Unstuff(raw);
        if (b.size() < 6) {
            ADD_FAILURE() << "reply of " << b.size() << " bytes to page request " << guard;
            return r;
        }
        EXPECT_EQ(Slice(b, 0, 3), (Bytes{STX, LegacyReadBackup, uint8_t(s.StationCode())}));
        const size_t c = b[5] == 0 ? 256 : b[5];
        EXPECT_EQ(b.size(), c + 7);
        if (b.size() != c + 7) {
            return r;
        }
        EXPECT_EQ(b.back(), ETX);
        r.pageNumbers.push_back(b[3]);
        r.countBytes.push_back(b[5]);
        data.insert(data.end(), b.begin() + 6, b.begin() + 6 + static_cast<long>(c));
        const uint8_t a = static_cast<uint8_t>(b[3] - 1);
        request = {STX, LegacyReadBackup, DLE, a, DLE, b[4], DLE, b[3] == 2 ? b[4] : uint8_t(0),
                   ETX};
        if (a == 0) {
            r.complete = true;
            break;
        }
    }
    EXPECT_EQ(data.size() % 6, 0u);
    for (size_t i = 0; i + 6 <= data.size(); i += 6) {
        const uint8_t* x = data.data() + i;
        r.punches.push_back(
            {x[5] * 256 + x[4] + (x[0] > 1 ? x[0] * 100000 : 0), x[3] * 256 + x[2]});
    }
    return r;
}

// The reader's decoding of a punch record: card number, station code, time, record byte.
struct Decoded {
    int card;
    int code;
    int seconds;
    int recordByte;
};

Decoded DecodePunch(const Bytes& b) {
    const int s = b[4];
    const int n = b[5] * 256 + b[6];
    const int card = s < 2 ? n : s < 5 ? n + s * 100000 : n + s * 65536;
    return {card, b[3], b[8] * 256 + b[9], b[2]};
}

bool SamePunches(const std::vector<BackupPunch>& a, const std::vector<BackupPunch>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.card == y.card && x.secondsOfDay == y.secondsOfDay;
    });
}

} // namespace

TEST(StationBackupTest, ReadPageByPageAsTheReaderAsks) {
    struct Case {
        int punches;
        std::vector<int> pages;
        std::vector<int> counts;
    };
    // 42 punches fill 252 bytes of one page; 43 need a second; a full page's count byte is 0.
    for (const Case& c : {Case{1, {1}, {6}}, Case{42, {1}, {252}}, Case{43, {2, 1}, {0, 2}},
                          Case{86, {3, 2, 1}, {0, 0, 4}}}) {
        SCOPED_TRACE(c.punches);
        Station s;
        s.SetBackup(GeneratedPunches(c.punches));
        const Readout r = ReadBackup(s);
        EXPECT_TRUE(r.complete);
        EXPECT_EQ(r.pageNumbers, c.pages);
        EXPECT_EQ(r.countBytes, c.counts);
        EXPECT_TRUE(SamePunches(r.punches, s.Backup()));
    }

    // A full memory: page numbers from 255 down, in either protocol.
    Station full;
    full.SetProtocol(Protocol::Legacy);
    full.SetBackup(GeneratedPunches(kBackupCapacity));
    const Readout r = ReadBackup(full);
    EXPECT_TRUE(r.complete);
    ASSERT_EQ(r.pageNumbers.size(), 255u);
    EXPECT_EQ(r.pageNumbers.front(), 255);
    EXPECT_EQ(r.punches.size(), kBackupCapacity);
    EXPECT_TRUE(SamePunches(r.punches, full.Backup()));
    full.AddPunch({1, 0});
    EXPECT_EQ(full.Backup().size(), kBackupCapacity);
}

TEST(StationBackupTest, CardSeriesTimesAndStationCode) {
    Station s;
    s.SetStationCode(31);
    const std::vector<BackupPunch> punches = {
        {12345, 10 * 3600 + 5}, {312345, 9 * 3600 + 59 * 60 + 59}, {65535, 0}, {25565535, 43199}};
    for (const BackupPunch& p : punches) {
        s.AddPunch(p);
    }
    s.AddPunch({14 * 3600, 14 * 3600}); // the card number an afternoon time, kept
    s.AddPunch({70000, 0});             // no record holds it
    const Readout r = ReadBackup(s);
    ASSERT_EQ(r.punches.size(), 5u);
    EXPECT_TRUE(SamePunches({r.punches.begin(), r.punches.begin() + 4}, punches));
    // The station's clock counts the half day.
    EXPECT_EQ(r.punches[4].secondsOfDay, 2 * 3600);
}

TEST(StationBackupTest, RequestsThatDoNotFollowAreNotAnswered) {
    Station s;
    EXPECT_TRUE(Send(s, FrameLegacyReadBackupFirst()).empty()); // empty memory
    s.SetBackup(GeneratedPunches(130)); // 780 bytes: pages 4, 3, 2, 1; pointer 0x0C
    ASSERT_FALSE(Send(s, FrameLegacyReadBackupFirst()).empty());
    const auto request = [](uint8_t a, uint8_t b, uint8_t d) {
        return Bytes{STX, LegacyReadBackup, DLE, a, DLE, b, DLE, d, ETX};
    };
    EXPECT_FALSE(Send(s, request(3, 0x0C, 0)).empty());
    EXPECT_FALSE(Send(s, request(1, 0x0C, 0x0C)).empty());
    for (const Bytes& bad :
         {request(3, 0, 0), request(3, 0x0C, 0x0C), request(1, 0x0C, 0), request(4, 0x0C, 0),
          request(0, 0x0C, 0x0C), Bytes{STX, LegacyReadBackup, 0, 0, ETX}}) {
        EXPECT_TRUE(Send(s, bad).empty()) << testing::PrintToString(bad);
    }
    s.SetLineSpeed(4800);
    EXPECT_TRUE(Send(s, FrameLegacyReadBackupFirst()).empty());
}

TEST(StationAutosendTest, PunchRecordsReadBackByTheReadersRule) {
    struct Case {
        int card;
        int series;
    };
    Station s;
    s.SetStationCode(45);
    int n = 0;
    for (const Case& c :
         {Case{3, 1}, Case{65535, 1}, Case{212345, 2}, Case{465535, 4}, Case{327680, 3},
          Case{399999, 6}, Case{2000001, 30}, Case{16777215, 255}}) {
        SCOPED_TRACE(c.card);
        s.AutoSend(c.card, 14 * 3600 + 61, n % 2 == 0 ? 0 : 200, t0);
        ++n;
        const Bytes raw = s.TakeOutput(t0);
        EXPECT_EQ(Slice(raw, 0, 2), (Bytes{STX, 0x53}));
        EXPECT_EQ(FramingBytes(raw), (Bytes{STX, ETX}));
        const Bytes b = Unstuff(raw);
        ASSERT_EQ(b.size(), 14u);
        EXPECT_EQ(b[13], ETX);
        EXPECT_EQ(b[4], c.series);
        const Decoded d = DecodePunch(b);
        EXPECT_EQ(d.card, c.card);
        EXPECT_EQ(d.code, n % 2 == 1 ? 45 : 200);
        EXPECT_EQ(d.seconds, 2 * 3600 + 61);
        EXPECT_EQ(d.recordByte, n);
    }

    // Whatever number is said to fit reads back the same.
    for (int card = 1; card <= 0x1000000; card += 997) {
        if (const auto b = AutosendCardBytes(card)) {
            ASSERT_EQ(DecodePunch({0, 0, 0, 0, (*b)[0], (*b)[1], (*b)[2], 0, 0, 0}).card, card);
        }
    }
    for (int bad : {0, 65536, 199999, 265536, 299999, 16777216}) {
        EXPECT_FALSE(AutosendCardBytes(bad)) << bad;
    }
}

TEST(StationAutosendTest, FaultsSpoilPunchRecordsToo) {
    Station s;
    s.AutoSend(12345, 36000, 0, t0);
    const Bytes whole = s.TakeOutput(t0);

    s.AddFault({FaultKind::Split, 100});
    s.AutoSend(12345, 36000, 0, t0);
    EXPECT_EQ(s.TakeOutput(t0).size(), whole.size() / 2);
    EXPECT_EQ(s.TakeOutput(t0 + milliseconds(100)).size(), whole.size() - whole.size() / 2);

    const TimePoint later = t0 + std::chrono::seconds(1);
    s.AddFault({FaultKind::Noise});
    s.AutoSend(12345, 36000, 0, later);
    const Bytes noisy = s.TakeOutput(later);
    const size_t n = Station::NoiseBytes().size();
    ASSERT_GT(noisy.size(), n);
    EXPECT_EQ(Slice(noisy, 0, n), Station::NoiseBytes());
    const Bytes record = Unstuff(Slice(noisy, n, noisy.size() - n));
    ASSERT_EQ(record.size(), 14u);
    EXPECT_EQ(DecodePunch(record).card, 12345);

    s.AddFault({FaultKind::Lose, 2});
    s.AutoSend(12345, 36000, 0, later);
    EXPECT_EQ(s.TakeOutput(later).size(), whole.size() - 2);
}
