// Runs the real sisim executable and talks to it through its pseudo-terminal.

#include "SiProtocol.h"
#include "testsupport/SimProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using Bytes = std::vector<uint8_t>;
using namespace SiProtocol;
using std::chrono::milliseconds;

namespace {

// Reads until n bytes came or the time is up.
Bytes ReadFor(int fd, size_t n, milliseconds timeout) {
    Bytes got;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (got.size() < n && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        uint8_t buf[256];
        if (poll(&p, 1, 10) > 0) {
            const ssize_t r = read(fd, buf, std::min(sizeof buf, n - got.size()));
            got.insert(got.end(), buf, buf + std::max<ssize_t>(r, 0));
        }
    }
    return got;
}

int OpenLine(const std::string& path, speed_t speed) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (fd < 0 || ioctl(fd, TIOCEXCL) != 0 || tcgetattr(fd, &t) != 0) {
        return -1;
    }
    cfmakeraw(&t);
    cfsetspeed(&t, speed);
    return tcsetattr(fd, TCSANOW, &t) == 0 ? fd : -1;
}

// Writes the frame until n bytes come back or the tries run out: commands sent to the
// simulator just before take effect a little later.
Bytes Ask(int fd, const Bytes& frame, size_t n, int tries = 10) {
    Bytes got;
    for (int i = 0; i < tries && got.size() < n; ++i) {
        if (write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
            break;
        }
        got = ReadFor(fd, n, milliseconds(300));
    }
    return got;
}

class SisimProcessTest : public ::testing::Test {
protected:
    // Its log only matters when a test fails.
    void TearDown() override { sim.StopAndPrintLog(HasFailure()); }

    // No arguments: commands come from standard input by default.
    testsupport::SimProcess sim{SISIM_PATH, {}};
};

} // namespace

TEST_F(SisimProcessTest, AnswersOnItsPseudoTerminalAtTheRightSpeedOnly) {
    const std::string& path = sim.Slave();
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << sim.Output();

    // Opened the way the programs open a serial port: exclusive, raw, with a speed.
    int fd = OpenLine(path, B38400);
    ASSERT_GE(fd, 0) << path;
    sim.Send("insert si8 2000001");
    const Bytes inserted = ReadFor(fd, 12, milliseconds(3000));
    TSIFrameInfo info{};
    ParseExtFrameBytes(inserted.data(), inserted.size(), info);
    EXPECT_EQ(info.cardType, CardSi8);
    EXPECT_EQ(info.cardNumber, 2000001);

    const Bytes read0 = FrameReadSi8Block0();
    ASSERT_EQ(write(fd, read0.data(), read0.size()), static_cast<ssize_t>(read0.size()));
    const Bytes reply = ReadFor(fd, ExtBlockReplySize, milliseconds(3000));
    ASSERT_EQ(reply.size(), ExtBlockReplySize);
    ParseExtFrameBytes(reply.data(), reply.size(), info);
    EXPECT_EQ(info.valid, 1);
    EXPECT_EQ(info.cmd, CmdReadSi8);

    // Closed and opened again (exclusive access must not outlive the close), now at 4800 Bd:
    // the station at 38400 Bd stays deaf and mute.
    close(fd);
    fd = OpenLine(path, B4800);
    ASSERT_GE(fd, 0) << "reopen " << path;
    ASSERT_EQ(write(fd, read0.data(), read0.size()), static_cast<ssize_t>(read0.size()));
    EXPECT_TRUE(ReadFor(fd, 1, milliseconds(400)).empty());
    close(fd);

    const int status = sim.Stop(); // end of input ends the simulator
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(SisimProcessTest, DetectionReplies) {
    const std::string& path = sim.Slave();
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << sim.Output();

    int fd = OpenLine(path, B38400);
    ASSERT_GE(fd, 0) << path;
    Bytes reply = Ask(fd, FrameSetMasterMode(), 9);
    TSIFrameInfo info{};
    ParseExtFrameBytes(reply.data(), reply.size(), info);
    EXPECT_EQ(info.valid, 1);
    EXPECT_EQ(info.cmd, CmdSetMsMode);

    reply = Ask(fd, FrameGetSystemValue(), 25);
    ParseExtFrameBytes(reply.data(), reply.size(), info);
    ASSERT_EQ(info.valid, 1);
    EXPECT_EQ(info.cmd, CmdGetSystemValue);
    EXPECT_EQ(reply[6] & 1, 1);
    sim.Send("extmode off");
    for (int i = 0; i < 10 && (reply[6] & 1) != 0; ++i) {
        reply = Ask(fd, FrameGetSystemValue(), 25);
        ASSERT_EQ(reply.size(), 25u);
    }
    EXPECT_EQ(reply[6] & 1, 0);

    // The reader's later stages run at 4800 Bd: the station at 38400 Bd stays silent.
    close(fd);
    fd = OpenLine(path, B4800);
    ASSERT_GE(fd, 0) << "reopen " << path;
    EXPECT_TRUE(Ask(fd, FrameSetMasterMode(), 1, 1).empty());
    EXPECT_TRUE(Ask(fd, FrameLegacyProbe(), 1, 1).empty());

    sim.Send("proto legacy\nspeed 4800");
    reply = Ask(fd, FrameLegacyProbe(), 7);
    size_t n = reply.size();
    RemoveDle(reply.data(), n);
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(reply[1], LegacyProbe);
    close(fd);

    const int status = sim.Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
