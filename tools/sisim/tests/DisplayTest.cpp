#include "Display.h"
#include "StationTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace sisim;
using namespace stationtest;

namespace {

constexpr char ESC = 0x1B;

// One update as the reader writes it: six pieces, each line filled or cut to 20 characters.
std::vector<std::string> Update(const std::string& line1, const std::string& line2) {
    const auto fit = [](std::string s) {
        s.resize(Display::kWidth, ' ');
        return s;
    };
    return {std::string{ESC, 'Q', 'A'}, fit(line1), "\r",
            std::string{ESC, 'Q', 'B'}, fit(line2), "\r"};
}

void Feed(Display& d, const std::string& bytes) {
    d.Receive(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

TEST(DisplayTest, UpdatesInPiecesAndTheLogLine) {
    std::vector<std::string> log;
    Display d([&](const std::string& line) { log.push_back(line); });
    EXPECT_EQ(d.Line(1), std::string(20, ' '));
    for (const std::string& piece : Update("OK", "vytahni cip")) {
        Feed(d, piece);
    }
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), R"(display "OK                  " "vytahni cip         ")");

    // Windows-1250 letters shown as UTF-8; quotes, backslashes and control bytes escaped.
    std::string all;
    for (const std::string& piece : Update("\xC8"
                                           "ekej \"x\\y\"\x01",
                                           "0123456789012345678901")) {
        all += piece;
    }
    Feed(d, all);
    EXPECT_EQ(log.back(), "display \"\xC4\x8C"
                          R"(ekej \"x\\y\"\x01        " "01234567890123456789")");
    EXPECT_EQ(d.Line(2), "01234567890123456789");
}

TEST(DisplayTest, SkipsWhatIsNotAWholeLineCommand) {
    std::vector<std::string> log;
    Display d([&](const std::string& line) { log.push_back(line); });
    std::string bytes = "xy";                        // stray
    bytes += std::string{ESC, 'Q', 'A'} + "short\r"; // no CR after 20 characters
    bytes += std::string{ESC, 'Q', 'C'};             // no such line
    bytes += std::string{ESC, 'R', 'A'};             // no such command
    for (const std::string& piece : Update("cekej", "")) {
        bytes += piece;
    }
    Feed(d, bytes);
    EXPECT_EQ(d.Line(1), "cekej" + std::string(15, ' '));
    EXPECT_EQ(log.back(), R"(display "cekej               " "                    ")");
    EXPECT_EQ(log.size(), 6u); // four skips, line A, the update
}

TEST(DisplayTest, StationInTheDisplayRole) {
    Station s;
    s.SetRole(Role::Display);
    EXPECT_EQ(s.Speed(), Display::kBaud);
    s.SetLineSpeed(9600);
    // It answers nothing, takes no card and sends no punch.
    EXPECT_TRUE(Send(s, SiProtocol::FrameSetMasterMode()).empty());
    EXPECT_TRUE(Insert(s, CardKind::Si5, 12345).empty());
    EXPECT_FALSE(s.HasCard());
    s.AutoSend(12345, 36000, 0, t0);
    EXPECT_TRUE(s.TakeOutput(t0).empty());

    std::string update;
    for (const std::string& piece : Update("OK", "")) {
        update += piece;
    }
    const Bytes bytes(update.begin(), update.end());
    s.SetLineSpeed(38400); // garbage at the display's speed: not taken
    Send(s, bytes);
    EXPECT_EQ(s.GetDisplay().Line(1), std::string(20, ' '));
    s.SetLineSpeed(9600);
    Send(s, bytes);
    EXPECT_EQ(s.GetDisplay().Line(1), "OK" + std::string(18, ' '));
    Bytes heard = SiProtocol::FrameSetMasterMode();
    heard.insert(heard.end(), bytes.begin(), bytes.end());
    EXPECT_EQ(s.GetDisplay().Received(), heard);
}
