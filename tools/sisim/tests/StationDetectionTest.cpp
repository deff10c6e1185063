// The replies a reader probes a line with to find a station, its speed and its protocol.

#include "StationTestSupport.h"

#include <gtest/gtest.h>

using namespace sisim;
using namespace SiProtocol;
using namespace stationtest;

namespace {

// One valid extended frame, all the bytes taken.
TSIFrameInfo OneExtFrame(const Bytes& b) {
    TSIFrameInfo info{};
    const ExtFrameResult r = ParseExtFrameBytes(b.data(), b.size(), info);
    EXPECT_EQ(r.status, ExtFrameStatus::Complete);
    EXPECT_EQ(r.consumed, b.size());
    EXPECT_EQ(info.valid, 1);
    return info;
}

} // namespace

TEST(StationDetectionTest, MasterModeAndSystemValueReplies) {
    Station s;
    Bytes reply = Send(s, FrameSetMasterMode());
    TSIFrameInfo info = OneExtFrame(reply);
    EXPECT_EQ(info.cmd, CmdSetMsMode);
    EXPECT_EQ(info.stationCode, Station::kStationCode);
    EXPECT_EQ(Slice(reply, 2, 4), (Bytes{0x03, 0x00, 0x01, 0x4D}));

    // The first value byte, after the echoed address, is the seventh byte of the frame.
    reply = Send(s, FrameGetSystemValue());
    info = OneExtFrame(reply);
    EXPECT_EQ(info.cmd, CmdGetSystemValue);
    ASSERT_EQ(reply.size(), 3u + 2 + 1 + 16 + 3);
    EXPECT_EQ(reply[5], 0x74);
    EXPECT_EQ(reply[6] & 0x01, 1);
    EXPECT_NE(reply[6], 0x01); // other protocol bits set: only bit 0 tells the mode

    s.SetExtendedMode(false);
    s.SetStationCode(200);
    reply = Send(s, FrameGetSystemValue());
    info = OneExtFrame(reply);
    EXPECT_EQ(info.stationCode, 200);
    EXPECT_EQ(reply[6] & 0x01, 0);
    EXPECT_NE(reply[6], 0x00);

    // Other system addresses or lengths are not answered.
    for (const Bytes& other : {CompleteExtFrame({STX, CmdGetSystemValue, 0x02, 0x70, 0x10}),
                               CompleteExtFrame({STX, CmdGetSystemValue, 0x02, 0x74, 0x01})}) {
        EXPECT_TRUE(Send(s, other).empty());
    }
}

TEST(StationDetectionTest, LegacyProbeReplyIsFiveBytesOnceDleIsRemoved) {
    Station s;
    s.SetProtocol(Protocol::Legacy);
    s.SetSpeed(4800);
    const Bytes raw = Send(s, FrameLegacyProbe());
    EXPECT_EQ(FramingBytes(raw), (Bytes{STX, ETX}));
    EXPECT_GT(raw.size(), 5u); // the station code and the echoed 0 go escaped
    const Bytes b = Unstuff(raw);
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(b[1], LegacyProbe);
    EXPECT_EQ(b[2], Station::kStationCode);
}

// The reader's three stages in order: the first that gets an answer names speed and protocol.
TEST(StationDetectionTest, EachStationAnswersOnlyItsOwnStage) {
    struct Stage {
        int lineSpeed;
        Bytes probe;
    };
    const std::vector<Stage> stages = {
        {38400, FrameSetMasterMode()}, {4800, FrameSetMasterMode()}, {4800, FrameLegacyProbe()}};
    struct Case {
        int speed;
        Protocol protocol;
        int answeringStage; // -1: none
    };
    for (const Case& c : {Case{38400, Protocol::Extended, 0}, Case{4800, Protocol::Extended, 1},
                          Case{4800, Protocol::Legacy, 2}, Case{38400, Protocol::Legacy, -1}}) {
        SCOPED_TRACE(std::to_string(c.speed) +
                     (c.protocol == Protocol::Legacy ? " legacy" : " extended"));
        Station s;
        s.SetSpeed(c.speed);
        s.SetProtocol(c.protocol);
        for (int i = 0; i < static_cast<int>(stages.size()); ++i) {
            s.SetLineSpeed(stages[i].lineSpeed);
            EXPECT_EQ(Send(s, stages[i].probe).empty(), i != c.answeringStage) << "stage " << i;
        }
        // Nor does a station at another speed answer the system-value query.
        s.SetLineSpeed(c.speed == 38400 ? 4800 : 38400);
        EXPECT_TRUE(Send(s, FrameGetSystemValue()).empty());
    }
}
