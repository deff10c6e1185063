#include "StationTestSupport.h"

#include <gtest/gtest.h>

using namespace sisim;
using namespace SiProtocol;
using namespace stationtest;
using std::chrono::milliseconds;

namespace {

struct ExtCase {
    CardKind kind;
    int number;
    int type;               // what the reader makes of the card-inserted message
    std::vector<int> reads; // block requests: -1 = read SI5, 8 = SI6 block set, else SI8 block
    std::vector<int> blocksBack;
};

} // namespace

TEST(StationExtendedTest, EveryCardTypeReadsAsTheReaderExpects) {
    const std::vector<ExtCase> cases = {
        {CardKind::Si5, 12345, CardSi5, {-1}, {}},
        {CardKind::Si5, 412345, CardSi5, {-1}, {}},
        {CardKind::Si6, 757546, CardSi6, {8}, {0, 6, 7}},
        {CardKind::Si6Star, 0xFF0010, CardSi6Star, {8}, {0, 1, 2, 3, 4, 5, 6, 7}},
        // An SI6* numbered outside the FF range is reported as SI6 and told by its first block.
        {CardKind::Si6Star, 2003001, CardSi6, {8}, {0, 1, 2, 3, 4, 5, 6, 7}},
        {CardKind::Si8, 2000001, CardSi8, {0, 1}, {0, 1}},
        {CardKind::Si9, 1000001, CardSi9, {0, 1}, {0, 1}},
        {CardKind::PCard, 4000001, CardPCard, {0, 1}, {0, 1}},
        {CardKind::Si10, 7000001, CardSi10, {0, 4, 5, 5}, {0, 4, 5, 5}},
        {CardKind::Si10, 8123456, CardSi10, {0, 4, 5, 5}, {0, 4, 5, 5}},
        {CardKind::Si10, 9000001, CardSi10, {0, 4, 5, 5}, {0, 4, 5, 5}},
    };
    for (const ExtCase& c : cases) {
        SCOPED_TRACE(CardKindName(c.kind) + " " + std::to_string(c.number));
        Station s;
        const Card card = MakeCard(c.kind, c.number);
        s.Insert(card, t0);
        const Bytes inserted = s.TakeOutput(t0);
        TSIFrameInfo info{};
        const ExtFrameResult r = ParseExtFrameBytes(inserted.data(), inserted.size(), info);
        ASSERT_EQ(r.consumed, inserted.size());
        EXPECT_EQ(info.valid, 1);
        EXPECT_EQ(info.cardType, c.type);
        EXPECT_EQ(info.cardNumber, c.number);

        Bytes replies;
        for (int read : c.reads) {
            const Bytes cmd = read < 0    ? FrameReadSi5()
                              : read == 8 ? FrameReadSi6()
                                          : FrameReadSi8Block(static_cast<uint8_t>(read));
            const Bytes reply = Send(s, cmd);
            replies.insert(replies.end(), reply.begin(), reply.end());
        }
        const std::vector<Bytes> frames = ExtFrames(replies);
        if (c.kind == CardKind::Si5) {
            ASSERT_EQ(replies.size(), ExtSi5ReplySize);
            EXPECT_EQ(Slice(replies, 0, 3), (Bytes{STX, CmdReadSi5, LenSi5Reply}));
            const Bytes data = Slice(replies, 5, 128);
            EXPECT_EQ(data, card.memory);
            // The reader's rule for the number in the SI5 data.
            EXPECT_EQ(data[4] * 256 + data[5] + (data[6] > 1 ? data[6] * 100000 : 0), c.number);
        } else {
            ASSERT_EQ(frames.size(), c.blocksBack.size());
            EXPECT_EQ(replies.size(), frames.size() * ExtBlockReplySize);
            const uint8_t cmd = c.reads[0] == 8 ? CmdReadSi6 : CmdReadSi8;
            for (size_t i = 0; i < frames.size(); ++i) {
                EXPECT_EQ(Slice(frames[i], 0, 3), (Bytes{STX, cmd, LenBlockReply}));
                EXPECT_EQ(frames[i][5], c.blocksBack[i]);
                EXPECT_EQ(Slice(frames[i], 6, 128), card.Block(c.blocksBack[i]));
            }
            const Bytes block0 = Slice(frames[0], 6, 128);
            if (cmd == CmdReadSi6) {
                EXPECT_EQ(block0[11] * 65536 + block0[12] * 256 + block0[13], c.number);
                const Bytes star = {0x01, 0x01, 0x01, 0x02};
                EXPECT_EQ(Slice(block0, 0, 4) == star, c.kind == CardKind::Si6Star);
            } else {
                EXPECT_EQ(block0[0x19] * 65536 + block0[0x1A] * 256 + block0[0x1B], c.number);
            }
        }

        EXPECT_FALSE(s.Acknowledged());
        EXPECT_TRUE(Send(s, FrameAck()).empty());
        EXPECT_TRUE(s.Acknowledged());

        s.Remove(t0);
        const std::vector<Bytes> removed = ExtFrames(s.TakeOutput(t0));
        ASSERT_EQ(removed.size(), 1u);
        EXPECT_EQ(removed[0][1], CmdCardRemoved);
    }
}

TEST(StationTest, AnswersOnlyWhatFitsItsProtocolAndTheCard) {
    Station s;
    EXPECT_TRUE(Send(s, FrameReadSi5()).empty()); // no card
    Insert(s, CardKind::Si8, 2000001);
    Bytes badCrc = FrameReadSi8Block0();
    badCrc[4] ^= 1;
    for (const Bytes& cmd :
         {FrameReadSi5(), FrameReadSi6(), FrameLegacyReadSi5(), FrameLegacyProbe(), badCrc}) {
        EXPECT_TRUE(Send(s, cmd).empty());
    }
    EXPECT_EQ(Send(s, FrameReadSi8Block0()).size(), ExtBlockReplySize);

    Station l;
    l.SetProtocol(Protocol::Legacy);
    EXPECT_TRUE(Insert(l, CardKind::Si8, 2000001).empty()); // the legacy protocol knows no SI8
    Insert(l, CardKind::Si5, 1234);
    for (const Bytes& cmd :
         {FrameReadSi5(), FrameLegacyReadSi6(), FrameSetMasterMode(), FrameGetSystemValue()}) {
        EXPECT_TRUE(Send(l, cmd).empty());
    }
    EXPECT_FALSE(Send(l, FrameLegacyReadSi5()).empty());
    l.Remove(t0);
    EXPECT_TRUE(l.TakeOutput(t0).empty()); // nor a removal message
}

TEST(StationExtendedTest, CommandsArriveInPiecesAndAmongStrayBytes) {
    Station s;
    Insert(s, CardKind::Si8, 2000001);
    const Bytes cmd = FrameReadSi8Block1();
    EXPECT_TRUE(Send(s, Slice(cmd, 0, 2)).empty());
    EXPECT_TRUE(Send(s, Slice(cmd, 2, 3)).empty());
    EXPECT_EQ(Send(s, Slice(cmd, 5, 2)).size(), ExtBlockReplySize);

    // Wake-up bytes, an ACK and two commands in one read.
    Bytes mixed = {0xFF, 0xFF, ACK};
    for (const Bytes& f : {FrameReadSi8Block0(), FrameReadSi8Block1()}) {
        mixed.insert(mixed.end(), f.begin(), f.end());
    }
    const std::vector<Bytes> frames = ExtFrames(Send(s, mixed));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][5], 0);
    EXPECT_EQ(frames[1][5], 1);
    EXPECT_TRUE(s.Acknowledged());

    // The rest of a command that stalled is not glued to what comes much later.
    EXPECT_TRUE(Send(s, Slice(cmd, 0, 4)).empty());
    EXPECT_EQ(Send(s, cmd, t0 + milliseconds(600)).size(), ExtBlockReplySize);
}

TEST(StationLegacyTest, Si5InsertedAndRead) {
    Station s;
    s.SetProtocol(Protocol::Legacy);
    s.SetSpeed(4800);
    const Card card = MakeCard(CardKind::Si5, 412345);
    s.Insert(card, t0);
    EXPECT_EQ(s.TakeOutput(t0), (Bytes{0x02, 0x46, 0x49, 0x03}));

    const Bytes raw = Send(s, FrameLegacyReadSi5());
    EXPECT_EQ(FramingBytes(raw), (Bytes{STX, ETX}));
    const Bytes b = Unstuff(raw);
    ASSERT_GE(b.size(), LegacySi5ReplyMinSize);
    EXPECT_EQ(Slice(b, 0, 2), (Bytes{STX, LegacyReadSi5}));
    EXPECT_EQ(b[2], Station::kStationCode);
    EXPECT_EQ(Slice(b, 3, 128), card.memory);
    EXPECT_EQ(b[131], ByteSum(b.data() + 2, 129));
}

TEST(StationLegacyTest, EmptyFrameInNoiseIsSkippedAndTheNextCommandAnswered) {
    for (Protocol protocol : {Protocol::Legacy, Protocol::Extended}) {
        Station s;
        s.SetProtocol(protocol);
        Insert(s, CardKind::Si5, 12345);
        // STX ETX straight after each other: no command byte at all.
        Bytes in = {STX, ETX};
        const Bytes read = protocol == Protocol::Legacy ? FrameLegacyReadSi5() : FrameReadSi5();
        in.insert(in.end(), read.begin(), read.end());
        EXPECT_FALSE(Send(s, in).empty());
    }
}

TEST(StationLegacyTest, Si6InsertedAndReadAsThreeBlockFrames) {
    for (CardKind kind : {CardKind::Si6, CardKind::Si6Star}) {
        Station s;
        s.SetProtocol(Protocol::Legacy);
        const Card card = MakeCard(kind, 757546);
        s.Insert(card, t0);
        const Bytes inserted = s.TakeOutput(t0);
        EXPECT_EQ(FramingBytes(inserted), (Bytes{STX, ETX}));
        EXPECT_TRUE(IsLegacySi6Inserted(inserted.data(), inserted.size()));
        EXPECT_FALSE(FindLegacySi5Inserted(inserted.data(), inserted.size()));

        const Bytes raw = Send(s, FrameLegacyReadSi6());
        EXPECT_EQ(FramingBytes(raw), (Bytes{STX, ETX, STX, ETX, STX, ETX}));
        const Bytes b = Unstuff(raw);
        ASSERT_EQ(b.size(), 3 * LegacySi6BlockFrameSize);
        const int blocks[] = {0, 6, 7};
        for (size_t k = 0; k < 3; ++k) {
            const Bytes f = Slice(b, k * LegacySi6BlockFrameSize, LegacySi6BlockFrameSize);
            EXPECT_EQ(Slice(f, 0, 2), (Bytes{STX, LegacyReadSi6}));
            EXPECT_EQ(f[2], Station::kStationCode);
            EXPECT_EQ(f[3], blocks[k]);
            EXPECT_EQ(Slice(f, 4, 128), card.Block(blocks[k]));
            EXPECT_EQ(f[132], ByteSum(f.data() + 2, 130));
            EXPECT_EQ(f[133], ETX);
        }
        EXPECT_EQ(b[11 + 4] * 65536 + b[12 + 4] * 256 + b[13 + 4], 757546);
    }
}

TEST(StationSpeedTest, DeafAndMuteWhenTheLineRunsAtAnotherSpeed) {
    Station s; // set to 38400
    s.SetLineSpeed(4800);
    EXPECT_TRUE(Insert(s, CardKind::Si5, 12345).empty());
    EXPECT_TRUE(Send(s, FrameReadSi5()).empty());

    s.SetLineSpeed(38400);
    EXPECT_EQ(Send(s, FrameReadSi5()).size(), ExtSi5ReplySize);
    s.SetSpeed(4800);
    EXPECT_TRUE(Send(s, FrameReadSi5()).empty());
    s.SetLineSpeed(4800);
    EXPECT_EQ(Send(s, FrameReadSi5()).size(), ExtSi5ReplySize);
}

TEST(StationSpeedTest, WirePacingAtTheStationSpeed) {
    Station s;
    s.SetSpeed(4800);
    Insert(s, CardKind::Si5, 12345, t0 - std::chrono::seconds(1));
    s.SetWirePacing(true);
    s.Receive(FrameReadSi5().data(), FrameReadSi5().size(), t0);
    // 480 bytes a second: 48 bytes in the first 100 ms, the whole reply after 283.3 ms.
    EXPECT_EQ(s.TakeOutput(t0 + milliseconds(100)).size(), 48u);
    EXPECT_EQ(s.TakeOutput(t0 + milliseconds(200)).size(), 48u);
    ASSERT_TRUE(s.NextOutputTime().has_value());
    EXPECT_GT(*s.NextOutputTime(), t0 + milliseconds(200));
    EXPECT_EQ(s.TakeOutput(t0 + milliseconds(283)).size(), 39u);
    EXPECT_EQ(s.TakeOutput(t0 + milliseconds(284)).size(), 1u);
    EXPECT_FALSE(s.NextOutputTime().has_value());
}

TEST(StationFaultTest, BadCrcAndBadSumHitTheNextFrameTheyCanSpoil) {
    Station s;
    s.AddFault({FaultKind::BadCrc});
    const Bytes spoiled = Insert(s, CardKind::Si5, 12345);
    TSIFrameInfo info{};
    EXPECT_EQ(ParseExtFrameBytes(spoiled.data(), spoiled.size(), info).consumed, spoiled.size());
    EXPECT_EQ(info.valid, 0);
    EXPECT_EQ(ExtFrames(Send(s, FrameReadSi5())).size(), 1u); // one frame only

    // In the legacy protocol the SI5-inserted message has no checksum; the data reply has.
    Station l;
    l.SetProtocol(Protocol::Legacy);
    l.AddFault({FaultKind::BadSum});
    EXPECT_EQ(Insert(l, CardKind::Si5, 12345), (Bytes{0x02, 0x46, 0x49, 0x03}));
    Bytes b = Unstuff(Send(l, FrameLegacyReadSi5()));
    ASSERT_GE(b.size(), LegacySi5ReplyMinSize);
    EXPECT_NE(b[131], ByteSum(b.data() + 2, 129));
    b = Unstuff(Send(l, FrameLegacyReadSi5()));
    EXPECT_EQ(b[131], ByteSum(b.data() + 2, 129));
}

TEST(StationFaultTest, SplitLoseAndNoise) {
    Station s;
    Insert(s, CardKind::Si5, 12345);
    const Bytes whole = Send(s, FrameReadSi5());

    s.AddFault({FaultKind::Split, 300});
    const Bytes first = Send(s, FrameReadSi5());
    EXPECT_EQ(first, Slice(whole, 0, whole.size() / 2));
    EXPECT_TRUE(s.TakeOutput(t0 + milliseconds(299)).empty());
    EXPECT_EQ(s.TakeOutput(t0 + milliseconds(300)),
              Slice(whole, whole.size() / 2, whole.size() - whole.size() / 2));

    const TimePoint later = t0 + std::chrono::seconds(1);
    s.AddFault({FaultKind::Lose, 5});
    const Bytes lost = Send(s, FrameReadSi5(), later);
    EXPECT_EQ(lost.size(), whole.size() - 5);
    TSIFrameInfo info{};
    EXPECT_EQ(ParseExtFrameBytes(lost.data(), lost.size(), info).status,
              ExtFrameStatus::Incomplete);

    s.AddFault({FaultKind::Noise});
    const Bytes noisy = Send(s, FrameReadSi5(), later);
    const size_t n = Station::NoiseBytes().size();
    EXPECT_EQ(Slice(noisy, 0, n), Station::NoiseBytes());
    EXPECT_EQ(Slice(noisy, n, noisy.size() - n), whole);
}

TEST(StationFaultTest, SilenceStopsTheReadoutUntilTheCardLeaves) {
    Station s;
    Insert(s, CardKind::Si6, 757546);
    s.AddFault({FaultKind::Silence});
    EXPECT_EQ(Send(s, FrameReadSi6()).size(), ExtBlockReplySize / 2);
    EXPECT_TRUE(Send(s, FrameReadSi6()).empty());

    s.Remove(t0);
    EXPECT_EQ(ExtFrames(s.TakeOutput(t0)).size(), 1u);
    Insert(s, CardKind::Si6, 757546);
    EXPECT_EQ(Send(s, FrameReadSi6()).size(), 3 * ExtBlockReplySize);
}

TEST(StationFaultTest, PullTakesTheCardOutRightAfterTheNthAnswer) {
    struct Case {
        CardKind kind;
        std::vector<Bytes> reads; // the last one's answer is followed by the removal
        int gap;
    };
    const std::vector<Case> cases = {
        {CardKind::Si5, {FrameReadSi5()}, 0},
        {CardKind::Si10, {FrameReadSi8Block0(), FrameReadSi8Block4()}, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CardKindName(c.kind));
        Station s;
        Insert(s, c.kind, 2012345);
        s.AddFault({FaultKind::Pull, static_cast<int>(c.reads.size()), c.gap});
        for (size_t i = 0; i + 1 < c.reads.size(); ++i) {
            EXPECT_FALSE(ExtFrames(Send(s, c.reads[i])).empty());
            EXPECT_TRUE(s.HasCard());
        }
        // The answer comes whole; the removal message only on the next look at the line.
        const Bytes answer = Send(s, c.reads.back());
        EXPECT_FALSE(s.HasCard());
        const std::vector<Bytes> frames = ExtFrames(answer);
        ASSERT_FALSE(frames.empty());
        EXPECT_NE(frames.back()[1], CmdCardRemoved);
        Bytes removal = s.TakeOutput(t0);
        if (c.gap > 0) {
            EXPECT_EQ(removal.size(), 6u);
            EXPECT_TRUE(s.TakeOutput(t0 + milliseconds(c.gap - 1)).empty());
            const Bytes rest = s.TakeOutput(t0 + milliseconds(c.gap));
            removal.insert(removal.end(), rest.begin(), rest.end());
        }
        const std::vector<Bytes> removed = ExtFrames(removal);
        ASSERT_EQ(removed.size(), 1u);
        EXPECT_EQ(removed[0][1], CmdCardRemoved);
        EXPECT_TRUE(Send(s, FrameReadSi8Block1()).empty()) << "no card, no answer";
    }
}
