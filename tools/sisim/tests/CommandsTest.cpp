#include "Commands.h"
#include "SiProtocol.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

using namespace sisim;
using std::chrono::milliseconds;

namespace {

const TimePoint t0 = TimePoint{} + std::chrono::hours(1);

Command Parsed(const std::string& line) {
    const ParsedLine p = ParseCommand(line);
    const auto* c = std::get_if<Command>(&p);
    EXPECT_NE(c, nullptr) << line;
    return c != nullptr ? *c : Command{};
}

} // namespace

TEST(CommandsTest, ParsesTheCommandLanguage) {
    Command c = Parsed("  insert si6* 16711696   # an SI6*");
    EXPECT_EQ(c.kind, Command::Kind::Insert);
    EXPECT_EQ(c.card, CardKind::Si6Star);
    EXPECT_EQ(c.number, 16711696);
    EXPECT_EQ(Parsed("insert si5 412345 card.bin").imageFile, "card.bin");
    EXPECT_EQ(Parsed("wait 250").number, 250);
    EXPECT_EQ(Parsed("speed 4800").number, 4800);
    EXPECT_EQ(Parsed("proto legacy").protocol, Protocol::Legacy);
    c = Parsed("fault split 40");
    EXPECT_EQ(c.fault.kind, FaultKind::Split);
    EXPECT_EQ(c.fault.value, 40);
    EXPECT_EQ(Parsed("fault silence").fault.kind, FaultKind::Silence);
    c = Parsed("fault pull 2 300");
    EXPECT_TRUE(c.fault.kind == FaultKind::Pull && c.fault.value == 2 && c.fault.gap == 300);
    EXPECT_EQ(Parsed("quit").kind, Command::Kind::Quit);
    EXPECT_FALSE(Parsed("extmode off").on);
    EXPECT_EQ(Parsed("control 255").number, 255);
    c = Parsed("punch 312345 09:59:59");
    EXPECT_EQ(c.kind, Command::Kind::Punch);
    EXPECT_EQ(c.number, 312345);
    EXPECT_EQ(c.seconds, 9 * 3600 + 59 * 60 + 59);
    c = Parsed("autosend 2000001 23:59:59 31");
    EXPECT_EQ(c.kind, Command::Kind::AutoSend);
    EXPECT_EQ(c.seconds, 86399);
    EXPECT_EQ(c.code, 31);
    EXPECT_EQ(Parsed("autosend 12345 10:00:00").code, 0);
    EXPECT_EQ(Parsed("backup 10880").number, 10880);
    EXPECT_EQ(Parsed("role display").role, Role::Display);

    for (const char* blank : {"", "   ", "# comment only"}) {
        EXPECT_TRUE(std::holds_alternative<std::monostate>(ParseCommand(blank))) << blank;
    }
    for (const char* bad :
         {"insert", "insert si7 1", "insert si5 x", "insert si5 70000", "insert si5 70000 card.bin",
          "wait", "wait -1", "wait 1x", "speed 9600", "proto fast", "fault", "fault split",
          "fault noise 3", "fault gremlins", "remove now", "jump", "extmode", "extmode 1"}) {
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseCommand(bad))) << bad;
    }
    for (const char* bad :
         {"control 0", "control 256", "punch 12345", "punch 70000 10:00:00", "punch 12345 24:00:00",
          "punch 12345 10:60:00", "punch 12345 9:00:00", "autosend 299999 10:00:00",
          "autosend 12345 10:00:00 0", "autosend 1 10:00:00 1 2", "backup -1", "backup 10881",
          "role reader", "fault pull 0", "fault pull 1 -5"}) {
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseCommand(bad))) << bad;
    }
}

TEST(CommandsTest, WaitHoldsBackLaterCommands) {
    Station s;
    CommandRunner r(s, {});
    for (const char* line : {"wait 100", "insert si5 12345", "wait 50", "quit", "remove"}) {
        r.Add(Parsed(line));
    }
    r.Run(t0);
    EXPECT_FALSE(s.HasCard());
    EXPECT_EQ(r.WakeTime(), t0 + milliseconds(100));
    r.Run(t0 + milliseconds(99));
    EXPECT_FALSE(s.HasCard());
    r.Run(t0 + milliseconds(100));
    EXPECT_TRUE(s.HasCard());
    EXPECT_FALSE(r.QuitRequested());
    r.Run(t0 + milliseconds(150));
    EXPECT_TRUE(r.QuitRequested());
    EXPECT_TRUE(s.HasCard()); // nothing runs after quit
}

TEST(CommandsTest, InsertFromAnImageFile) {
    testsupport::TempDir dir;
    std::string image(256, '\x11');
    image[128] = '\x42';
    testsupport::WriteBytes(dir / "card.bin", image);

    Station s;
    std::vector<std::string> log;
    CommandRunner r(s, [&](const std::string& line) { log.push_back(line); });
    r.Add(Parsed("insert si8 2000001 " + (dir / "missing.bin").string()));
    r.Add(Parsed("insert si8 2000001 " + (dir / "card.bin").string()));
    r.Run(t0);
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log[0].find("cannot open"), std::string::npos);
    ASSERT_TRUE(s.HasCard());
    s.TakeOutput(t0);

    const std::vector<uint8_t> read = SiProtocol::FrameReadSi8Block1();
    s.Receive(read.data(), read.size(), t0);
    const std::vector<uint8_t> reply = s.TakeOutput(t0);
    ASSERT_EQ(reply.size(), SiProtocol::ExtBlockReplySize);
    EXPECT_EQ(reply[6], 0x42);
    EXPECT_EQ(reply[7], 0x11);
}
