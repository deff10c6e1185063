#include "port.h"

#include "platform/Files.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// How long a write may wait for room in the driver's output queue before it counts as failed.
constexpr int WriteWaitMs = 1000;

bool SpeedCode(int32_t baud, speed_t& code) {
    switch (baud) {
    case 1200:
        code = B1200;
        return true;
    case 2400:
        code = B2400;
        return true;
    case 4800:
        code = B4800;
        return true;
    case 9600:
        code = B9600;
        return true;
    case 19200:
        code = B19200;
        return true;
    case 38400:
        code = B38400;
        return true;
    case 57600:
        code = B57600;
        return true;
    case 115200:
        code = B115200;
        return true;
    default:
        return false;
    }
}

tcflag_t SizeFlag(uint8_t byteSize) {
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

} // namespace

TPort::~TPort() {
    Close();
}

void TPort::Fail(int err) {
    lastError = std::to_string(err);
    // What a device that was unplugged, or a terminal that was hung up, answers from then on.
    if (isOpen && goneError_ == 0 && (err == EIO || err == ENXIO || err == ENODEV)) {
        goneError_ = err;
    }
}

std::string TPort::Gone() const {
    return goneError_ != 0 ? ErrorText(goneError_) : std::string();
}

std::string TPort::ErrorText(int err) const {
    if (err == 0) {
        err = static_cast<int>(std::strtol(lastError.c_str(), nullptr, 10));
    }
    return name + " (" + device + "): " + platform::ErrnoText(err);
}

bool TPort::Open() {
    if (isOpen) {
        return true;
    }
    if (device.empty()) {
        Fail(ENOENT);
        return false;
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Fail(errno);
        return false;
    }
    auto failClose = [&](int err) {
        Fail(err);
        ::close(fd);
        return false;
    };
    // The lock keeps two ports (also in two of our programs) off one line; TIOCEXCL does the
    // same for other programs, but it does not stop a privileged process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return failClose(errno == EWOULDBLOCK ? EBUSY : errno);
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return failClose(errno);
    }
    speed_t speed = B0;
    if (!SpeedCode(baudRate, speed)) {
        return failClose(EINVAL);
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | SizeFlag(byteSize);
    if (parity == 1) {
        tio.c_cflag |= PARENB | PARODD;
    } else if (parity == 2) {
        tio.c_cflag |= PARENB;
    }
    if (stopBits != 0) {
        tio.c_cflag |= CSTOPB;
    }
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
        ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return failClose(errno);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        return failClose(errno);
    }
    // Stations powered from the line need DTR and RTS; a pseudo-terminal refuses the call,
    // which is no reason to fail.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIS, &lines);
    handle = fd;
    isOpen = true;
    return true;
}

void TPort::Close() {
    if (!isOpen) {
        return;
    }
    isOpen = false;
    ::ioctl(handle, TIOCNXCL);
    ::close(handle);
    handle = -1;
}

int TPort::Write(const uint8_t* bytes, int n) {
    if (!isOpen) {
        return -1;
    }
    int done = 0;
    int waited = 0;
    while (done < n) {
        const ssize_t w = ::write(handle, bytes + done, static_cast<size_t>(n - done));
        if (w > 0) {
            done += static_cast<int>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w < 0 && errno != EAGAIN) {
            Fail(errno);
            return 0;
        }
        // The output queue is full: wait a little for room, but never hang the caller.
        if (waited >= WriteWaitMs) {
            Fail(EAGAIN);
            return 0;
        }
        pollfd p{handle, POLLOUT, 0};
        ::poll(&p, 1, 10);
        waited += 10;
    }
    return done;
}

int TPort::WriteStr(std::string_view text) {
    if (!isOpen) {
        return -1;
    }
    return Write(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
}

int TPort::Read(uint8_t* buffer, int n) {
    if (!isOpen) {
        return -1;
    }
    if (n <= 0) {
        return 0;
    }
    for (;;) {
        const ssize_t r = ::read(handle, buffer, static_cast<size_t>(n));
        if (r >= 0) {
            return static_cast<int>(r);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            Fail(errno);
        }
        return 0;
    }
}

int TPort::InQueue() {
    if (!isOpen) {
        return 0;
    }
    int n = 0;
    if (::ioctl(handle, FIONREAD, &n) != 0) {
        Fail(errno);
        return 0;
    }
    return n;
}

int TPort::OutQueue() {
    if (!isOpen) {
        return 0;
    }
    int n = 0;
    if (::ioctl(handle, TIOCOUTQ, &n) != 0) {
        Fail(errno);
        return 0;
    }
    return n;
}

namespace port {

std::string ComDevicePath(platform::IniFile& ini, int com) {
    if (com < 1) {
        return {};
    }
    std::string device = ini.ReadString("COM" + std::to_string(com), "Zarizeni", "");
    if (device.empty()) {
        device = "/dev/ttyUSB" + std::to_string(com - 1);
    }
    return device;
}

} // namespace port
