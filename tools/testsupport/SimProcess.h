#pragma once

#include "testsupport/TempDir.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <termios.h>
#include <vector>

namespace testsupport {

// Calls fn every 10 ms until it returns true or the seconds have passed; whether it did. 10 s
// is long enough for a loaded machine or a sanitizer build, short enough to end a hung test.
bool Eventually(const std::function<bool()>& fn, int seconds = 10);

// The station simulator as a child process: commands go to its standard input, the first line
// of its standard output names its pseudo-terminal, and its log (standard error) goes to a file
// that stays readable after it has ended, for a failing test to show.
class SimProcess {
public:
    // Starts program with the arguments and waits for the device line; Slave() stays empty if
    // none came.
    explicit SimProcess(const std::string& program,
                        const std::vector<std::string>& arguments = {"--stdin"});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The pseudo-terminal's device the program under test opens.
    const std::string& Slave() const { return slave_; }
    // Its standard output so far: what it said instead of the device line.
    std::string Output() const;
    // Everything it has logged so far.
    std::string Log() const;
    // Sends command lines; the last needs no newline.
    void Send(const std::string& commands);
    // Waits until the log holds the text: the commands before it have been taken.
    bool WaitForLog(const std::string& text) const;
    // Closes its input, which ends it once the commands sent have run; its exit status as
    // pclose() gives it, -1 if it is not running.
    int Stop();
    // Stop(), then with printLog the whole log on standard error: a failing test shows what the
    // station heard and did.
    void StopAndPrintLog(bool printLog);

private:
    TempDir dir_;
    FILE* input_ = nullptr;
    std::string slave_;
};

// A pseudo-terminal with nobody answering on it: the master is only held open, to see what the
// program under test sends and how it set the line.
class SilentPty {
public:
    SilentPty();
    ~SilentPty();
    SilentPty(const SilentPty&) = delete;
    SilentPty& operator=(const SilentPty&) = delete;

    // The device to open; empty if no pseudo-terminal could be had.
    const std::string& Slave() const { return slave_; }
    // Everything written to the slave so far.
    std::vector<uint8_t> Drain() const;
    // The speed the slave's user set, seen through the master.
    speed_t Speed() const;

private:
    int master_ = -1;
    std::string slave_;
};

} // namespace testsupport
