#include "SiProtocol.h"

#include <gtest/gtest.h>

#include <vector>

using namespace SiProtocol;
using Bytes = std::vector<uint8_t>;

namespace {

// A complete extended frame with station code 0x0001 in front of the given data bytes.
Bytes StationFrame(uint8_t cmd, const Bytes& afterStation) {
    Bytes t = {STX, cmd, static_cast<uint8_t>(afterStation.size() + 2), 0x00, 0x01};
    t.insert(t.end(), afterStation.begin(), afterStation.end());
    return CompleteExtFrame(t);
}

TSIFrameInfo Parse(const Bytes& b, ExtFrameResult& r) {
    TSIFrameInfo info{};
    r = ParseExtFrameBytes(b.data(), b.size(), info);
    return info;
}

Bytes Unescaped(Bytes b) {
    size_t n = b.size();
    RemoveDle(b.data(), n);
    b.resize(n);
    return b;
}

} // namespace

TEST(SiCrcTest, PublishedCheckValues) {
    const std::vector<std::pair<Bytes, uint16_t>> cases = {
        {{0xB1, 0x00}, 0xB100},
        {{0xE1, 0x01, 0x08}, 0x4E0A},
        {{0xEF, 0x01, 0x00}, 0xE209},
        {{0xEF, 0x01, 0x01}, 0xE309},
        {{0xEF, 0x01, 0x04}, 0xE609},
        {{0xB1}, 0},
        {{0x83, 0x02, 0x74, 0x10}, 0x0472}, // even count: the trailing zero word
    };
    for (const auto& [bytes, crc] : cases) {
        EXPECT_EQ(SiCrc(bytes.data(), 0, bytes.size()), crc);
    }
    const Bytes offset = {0xFF, 0xFF, 0xE1, 0x01, 0x08};
    EXPECT_EQ(SiCrc(offset.data(), 2, 3), 0x4E0A);
}

TEST(FixedFramesTest, MatchTheWireBytes) {
    const std::vector<std::pair<Bytes, Bytes>> cases = {
        {FrameReadSi5(), {0x02, 0xB1, 0x00, 0xB1, 0x00, 0x03}},
        {FrameReadSi6(), {0x02, 0xE1, 0x01, 0x08, 0x4E, 0x0A, 0x03}},
        {FrameReadSi8Block0(), {0x02, 0xEF, 0x01, 0x00, 0xE2, 0x09, 0x03}},
        {FrameReadSi8Block1(), {0x02, 0xEF, 0x01, 0x01, 0xE3, 0x09, 0x03}},
        {FrameReadSi8Block4(), {0x02, 0xEF, 0x01, 0x04, 0xE6, 0x09, 0x03}},
        {FrameReadSi8Block5(), {0x02, 0xEF, 0x01, 0x05, 0xE7, 0x09, 0x03}},
        {FrameGetSystemValue(), {0x02, 0x83, 0x02, 0x74, 0x10, 0x04, 0x72, 0x03}},
        {FrameSetMasterMode(), {0x02, 0xF0, 0x01, 0x4D, 0x6D, 0x0A, 0x03}},
        {FrameLegacyReadSi5(), {0x02, 0x31, 0x03}},
        {FrameLegacyReadSi6(), {0x02, 0x61, 0x10, 0x08, 0x03}},
        {FrameLegacyProbe(), {0x02, 0x70, 0x00, 0x03}},
        {FrameLegacyReadBackupFirst(), {0x02, 0x74, 0x10, 0x00, 0x10, 0x00, 0x10, 0x00, 0x03}},
        {FrameAck(), {0x06}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "frame " << i;
    }
    // The CRC comes from LEN, whatever the template holds after the data or lacks of it.
    EXPECT_EQ(CompleteExtFrame({0x02, 0xEF, 0x01, 0x05, 0x00, 0x00, 0xAA, 0x55}),
              FrameReadSi8Block5());
    EXPECT_EQ(CompleteExtFrame({0x02, 0xEF, 0x01}), FrameReadSi8Block0());
}

TEST(DleTest, RemoveInPlaceAndAcrossChunks) {
    EXPECT_EQ(Unescaped({0x10, 0x10, 0x10, 0x03}), (Bytes{0x10, 0x03}));
    EXPECT_EQ(Unescaped({0x02, 0x61, 0x10, 0x08, 0x03}), (Bytes{0x02, 0x61, 0x08, 0x03}));
    EXPECT_EQ(Unescaped({0x41, 0x10}), (Bytes{0x41}));

    // A DLE that ends one read escapes the first byte of the next.
    Bytes dst;
    bool escape = false;
    const Bytes first = {0x02, 0x31, 0x10};
    const Bytes second = {0x10, 0x10, 0x03, 0x03};
    EXPECT_EQ(AppendWithDle(dst, 100, first.data(), first.size(), escape), 0u);
    EXPECT_TRUE(escape);
    EXPECT_EQ(AppendWithDle(dst, 100, second.data(), second.size(), escape), 0u);
    EXPECT_FALSE(escape);
    EXPECT_EQ(dst, (Bytes{0x02, 0x31, 0x10, 0x03, 0x03}));

    // Four literal bytes and room for two; dropped escapes are not losses.
    dst = {0xAA};
    const Bytes src = {0x01, 0x10, 0x02, 0x03, 0x04, 0x10};
    EXPECT_EQ(AppendWithDle(dst, 3, src.data(), src.size(), escape), 2u);
    EXPECT_EQ(dst, (Bytes{0xAA, 0x01, 0x02}));
    EXPECT_TRUE(escape);
}

TEST(ParseExtFrameTest, NotExtendedIncompleteAndComplete) {
    ExtFrameResult r{};
    for (const Bytes& b : {Bytes{0x02, 0x46, 0x49, 0x03}, Bytes{0x06, 0xE5}, Bytes{0x02}}) {
        Parse(b, r);
        EXPECT_EQ(r.status, ExtFrameStatus::NotExtended);
    }
    const Bytes full = FrameReadSi6();
    for (size_t n = 2; n < full.size(); ++n) {
        EXPECT_EQ(Parse(Bytes(full.begin(), full.begin() + static_cast<long>(n)), r).valid, 0);
        EXPECT_EQ(r.status, ExtFrameStatus::Incomplete) << n << " bytes";
    }

    // Two messages in one read: the second is left for the caller to carry over.
    const Bytes a = StationFrame(CmdSi6Inserted, {0x00, 0x0A, 0x00, 0x01});
    const Bytes b = StationFrame(CmdCardRemoved, {0x00, 0x0A, 0x00, 0x01});
    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    TSIFrameInfo info = Parse(both, r);
    EXPECT_EQ(r.status, ExtFrameStatus::Complete);
    EXPECT_EQ(info.cmd, CmdSi6Inserted);
    ASSERT_EQ(r.consumed, a.size());
    info = Parse(Bytes(both.begin() + static_cast<long>(r.consumed), both.end()), r);
    EXPECT_EQ(info.valid, 1);
    EXPECT_EQ(info.cmd, CmdCardRemoved);
    EXPECT_EQ(info.stationCode, 1);
    EXPECT_EQ(info.cardNumber, 0); // a removal names no card for the reader
    EXPECT_EQ(r.consumed, b.size());
}

TEST(ParseExtFrameTest, BadMessagesAreCompleteButInvalid) {
    const Bytes good = StationFrame(CmdSi6Inserted, {0x00, 0x00, 0x30, 0x39});
    Bytes badCrc = good;
    badCrc[badCrc.size() - 2] ^= 0x01;
    // The frame with its last byte, the ETX, replaced.
    Bytes badEtx(good.begin(), good.end() - 1);
    badEtx.push_back(0x04);
    Bytes badData = good;
    badData[6] ^= 0x80;
    // CRC and ETX right, but LEN leaves no room for the card number.
    const Bytes shortLen = StationFrame(CmdSi8Inserted, {0x0F, 0x12});
    for (const Bytes& b : {badCrc, badEtx, badData, shortLen}) {
        ExtFrameResult r{};
        const TSIFrameInfo info = Parse(b, r);
        EXPECT_EQ(r.status, ExtFrameStatus::Complete);
        EXPECT_EQ(r.consumed, b.size());
        EXPECT_EQ(info.valid, 0);
        EXPECT_EQ(info.cardNumber, 0);
    }
}

TEST(ParseExtFrameTest, CardNumbersAndTypes) {
    struct Case {
        uint8_t cmd;
        Bytes card; // DATA[2..5]
        int32_t number;
        int32_t type;
    };
    const std::vector<Case> cases = {
        {CmdSi5Inserted, {0x00, 0x01, 0x30, 0x39}, 12345, CardSi5},
        {CmdSi5Inserted, {0x00, 0x04, 0x30, 0x39}, 412345, CardSi5},
        {CmdSi6Inserted, {0x00, 0x0B, 0x8F, 0x2A}, 757546, CardSi6},
        {CmdSi6Inserted, {0x00, 0xFF, 0x00, 0x10}, 0xFF0010, CardSi6Star},
        {CmdSi8Inserted, {0x02, 0x1E, 0x84, 0x81}, 2000001, CardSi8},
        {CmdSi8Inserted, {0x01, 0x0F, 0x42, 0x41}, 1000001, CardSi9},
        {CmdSi8Inserted, {0x04, 0x3D, 0x09, 0x01}, 4000001, CardPCard},
        {CmdSi8Inserted, {0xFF, 0x7B, 0xF4, 0x40}, 8123456, CardSi10}, // high nibble ignored
        {CmdSi8Inserted, {0x03, 0x00, 0x00, 0x01}, 1, 0},
    };
    for (const Case& c : cases) {
        ExtFrameResult r{};
        const TSIFrameInfo info = Parse(StationFrame(c.cmd, c.card), r);
        EXPECT_EQ(info.valid, 1);
        EXPECT_EQ(info.cardNumber, c.number);
        EXPECT_EQ(info.cardType, c.type) << c.number;
    }
}

TEST(CardTypeTest, AcceptedCodesAndTexts) {
    for (int code : {5, 6, 105, 106, 108, 109, 110, 181, 206}) {
        EXPECT_TRUE(IsCardType(code)) << code;
    }
    for (int code : {0, 7, 107, 111}) {
        EXPECT_FALSE(IsCardType(code)) << code;
    }
    const std::vector<std::tuple<int, int, std::string>> texts = {
        {12345, 5, "5"},        {12345, 105, "5"},       {500000, 106, "6"},
        {0xFF0010, 206, "6*"},  {2000001, 108, "8"},     {1000001, 109, "9"},
        {7999999, 110, "10"},   {8000000, 110, "SIAC"},  {8123456, 110, "SIAC"},
        {8999999, 110, "SIAC"}, {9000000, 110, "11"},    {9999999, 110, "11"},
        {10000000, 110, "10"},  {4000001, 181, "pCard"}, {1, 42, "42"},
    };
    for (const auto& [number, code, text] : texts) {
        EXPECT_EQ(CardTypeText(number, code), text) << number << " " << code;
    }
}

TEST(LegacyTest, InsertedMessagesAndChecksum) {
    const Bytes si5 = {0xFF, 0x00, 0x02, 0x46, 0x49, 0x03, 0x10};
    EXPECT_TRUE(FindLegacySi5Inserted(si5.data(), si5.size()));
    EXPECT_FALSE(FindLegacySi5Inserted(si5.data(), 5));

    // Seven bytes between the command and ETX once the escapes are gone.
    const Bytes stuffed = {0x02, 0x66, 0x10, 0x00, 0x10, 0x01, 0x20, 0x0B, 0x8F, 0x2A, 0x55, 0x03};
    EXPECT_TRUE(IsLegacySi6Inserted(stuffed.data(), stuffed.size()));
    EXPECT_FALSE(IsLegacySi6Inserted(stuffed.data(), stuffed.size() - 1));
    const Bytes early = {0x02, 0x66, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x03, 0x02};
    EXPECT_FALSE(IsLegacySi6Inserted(early.data(), early.size()));

    const Bytes sum = {0xFF, 0x02, 0x80, 0x80};
    EXPECT_EQ(ByteSum(sum.data(), sum.size()), 0x01);
}
