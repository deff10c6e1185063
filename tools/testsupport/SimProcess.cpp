#include "SimProcess.h"

#include <chrono>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

bool Eventually(const std::function<bool()>& fn, int seconds) {
    using Steady = std::chrono::steady_clock;
    for (const auto until = Steady::now() + std::chrono::seconds(seconds); Steady::now() < until;) {
        if (fn()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return fn(); // a last look: the time may have run out while it slept
}

namespace {

std::string Quoted(const std::string& word) {
    std::string q = "'";
    for (const char c : word) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

} // namespace

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& arguments) {
    std::string cmd = Quoted(program);
    for (const std::string& a : arguments) {
        cmd += " " + Quoted(a);
    }
    cmd += " > " + Quoted((dir_ / "out").string()) + " 2> " + Quoted((dir_ / "log").string());
    input_ = popen(cmd.c_str(), "w");
    if (input_ == nullptr) {
        return;
    }
    std::string out;
    if (Eventually([&] {
            out = Output();
            return out.find('\n') != std::string::npos;
        }) &&
        out.rfind("PTY ", 0) == 0) {
        slave_ = out.substr(4, out.find('\n') - 4);
    }
}

SimProcess::~SimProcess() {
    Stop();
}

std::string SimProcess::Output() const {
    return ReadBytes(dir_ / "out");
}

std::string SimProcess::Log() const {
    return ReadBytes(dir_ / "log");
}

void SimProcess::Send(const std::string& commands) {
    if (input_ == nullptr) {
        return;
    }
    std::fputs((commands + "\n").c_str(), input_);
    std::fflush(input_);
}

bool SimProcess::WaitForLog(const std::string& text) const {
    return Eventually([&] { return Log().find(text) != std::string::npos; });
}

int SimProcess::Stop() {
    if (input_ == nullptr) {
        return -1;
    }
    const int status = pclose(input_);
    input_ = nullptr;
    return status;
}

void SimProcess::StopAndPrintLog(bool printLog) {
    Stop();
    if (printLog) {
        std::cerr << Log();
    }
}

SilentPty::SilentPty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
        slave_ = ptsname(master_);
    }
}

SilentPty::~SilentPty() {
    if (master_ >= 0) {
        close(master_);
    }
}

std::vector<uint8_t> SilentPty::Drain() const {
    std::vector<uint8_t> out;
    uint8_t buf[256];
    for (;;) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) {
            return out;
        }
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) {
            return out;
        }
        out.insert(out.end(), buf, buf + n);
    }
}

speed_t SilentPty::Speed() const {
    termios t{};
    tcgetattr(master_, &t);
    return cfgetospeed(&t);
}

} // namespace testsupport
