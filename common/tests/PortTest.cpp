// The serial port over a real pseudo-terminal, and the COM number's device setting.

#include "port.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

class PtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        slavePath = ptsname(master);
    }
    void TearDown() override {
        if (master >= 0) {
            close(master);
        }
    }
    // Waits until the port sees n bytes queued (a pty moves bytes asynchronously).
    int WaitInQueue(TPort& p, int n) {
        for (int i = 0; i < 200 && p.InQueue() < n; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return p.InQueue();
    }
    std::string ReadMaster(size_t n) {
        std::string got;
        for (int i = 0; i < 200 && got.size() < n; ++i) {
            char buf[256];
            const ssize_t r = read(master, buf, sizeof buf);
            if (r > 0) {
                got.append(buf, static_cast<size_t>(r));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        return got;
    }

    int master = -1;
    std::string slavePath;
};

TEST_F(PtyTest, OpensRawAtTheSetSpeedAndMovesBytesBothWays) {
    TPort p;
    p.name = "COM3";
    p.device = slavePath;
    p.baudRate = 4800;
    ASSERT_TRUE(p.Open()) << p.lastError;
    EXPECT_TRUE(p.IsOpen());
    EXPECT_TRUE(p.Open()) << "opening an open port is a no-op";

    termios t{};
    ASSERT_EQ(tcgetattr(p.handle, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_EQ(cfgetispeed(&t), B4800);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);

    // Bytes that a cooked line would change or swallow.
    const uint8_t out[] = {0x02, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0xFF, 0x00};
    EXPECT_EQ(p.Write(out, sizeof out), static_cast<int>(sizeof out));
    EXPECT_EQ(ReadMaster(sizeof out), std::string(reinterpret_cast<const char*>(out), sizeof out));
    EXPECT_EQ(p.WriteStr("AB"), 2);
    EXPECT_EQ(ReadMaster(2), "AB");
    EXPECT_EQ(p.OutQueue(), 0);

    EXPECT_EQ(p.InQueue(), 0);
    uint8_t buf[16];
    EXPECT_EQ(p.Read(buf, sizeof buf), 0) << "nothing queued: nothing read, no waiting";
    const uint8_t in[] = {0x10, 0x03, 0x0D, 0x04, 0x7F};
    ASSERT_EQ(write(master, in, sizeof in), static_cast<ssize_t>(sizeof in));
    ASSERT_EQ(WaitInQueue(p, sizeof in), static_cast<int>(sizeof in));
    EXPECT_EQ(p.Read(buf, 2), 2);
    EXPECT_EQ(p.InQueue(), 3);
    EXPECT_EQ(p.Read(buf + 2, sizeof buf - 2), 3);
    EXPECT_EQ(std::string(buf, buf + 5), std::string(in, in + 5));

    p.Close();
    EXPECT_FALSE(p.IsOpen());
    EXPECT_EQ(p.Write(out, 1), -1);
    EXPECT_EQ(p.WriteStr("x"), -1);
    EXPECT_EQ(p.Read(buf, 1), -1);
    EXPECT_EQ(p.InQueue(), 0);
    EXPECT_EQ(p.OutQueue(), 0);
}

TEST_F(PtyTest, SecondOpenOfTheSameLineFailsCleanly) {
    TPort first;
    first.device = slavePath;
    first.baudRate = 38400;
    ASSERT_TRUE(first.Open()) << first.lastError;

    TPort second;
    second.device = slavePath;
    second.baudRate = 38400;
    EXPECT_FALSE(second.Open());
    EXPECT_FALSE(second.IsOpen());
    EXPECT_FALSE(second.lastError.empty());
    EXPECT_EQ(second.handle, -1);

    // The first keeps working, and once it is closed the line can be taken again.
    EXPECT_EQ(first.WriteStr("x"), 1);
    first.Close();
    TPort third;
    third.device = slavePath;
    third.baudRate = 38400;
    EXPECT_TRUE(third.Open()) << third.lastError;
}

TEST(PortTest, DevicesThatCannotBeOpenedLeaveThePortClosed) {
    for (const char* device : {"/dev/ttyNoSuchDevice7", "/dev/null", ""}) {
        SCOPED_TRACE(device);
        TPort p;
        p.device = device;
        EXPECT_FALSE(p.Open());
        EXPECT_FALSE(p.IsOpen());
        EXPECT_FALSE(p.lastError.empty());
        uint8_t b = 0;
        EXPECT_EQ(p.Write(&b, 1), -1);
        EXPECT_EQ(p.Read(&b, 1), -1);
        EXPECT_EQ(p.InQueue(), 0);
        EXPECT_EQ(p.OutQueue(), 0);
    }
}

TEST_F(PtyTest, UnsupportedSpeedIsRefused) {
    TPort p;
    p.device = slavePath;
    p.baudRate = 12345;
    EXPECT_FALSE(p.Open());
    EXPECT_EQ(p.lastError, std::to_string(EINVAL));
}

TEST(PortTest, ComDevicePathComesFromTheSettingsOrTheUsbDefault) {
    platform::IniFile ini{std::filesystem::path()};
    EXPECT_EQ(port::ComDevicePath(ini, 1), "/dev/ttyUSB0");
    EXPECT_EQ(port::ComDevicePath(ini, 3), "/dev/ttyUSB2");
    ini.WriteString("COM3", "Zarizeni", "/dev/ttyS0");
    ini.WriteString("com4", "zarizeni", "");
    EXPECT_EQ(port::ComDevicePath(ini, 3), "/dev/ttyS0");
    EXPECT_EQ(port::ComDevicePath(ini, 4), "/dev/ttyUSB3");
    EXPECT_EQ(port::ComDevicePath(ini, 0), "");
}

} // namespace
