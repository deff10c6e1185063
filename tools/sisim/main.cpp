// sisim: an SI readout station on the master side of a pseudo-terminal.
//
// stdout: the first line is "PTY <slave path>", the device the program under test opens.
// stderr: a log of what the station hears, sends and is told to do.
// Commands come from --script FILE, then (with --stdin, or when no script is given) from
// standard input; the end of standard input ends the program once earlier commands have run.

#include "Commands.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace sisim;

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

int Usage() {
    std::fprintf(stderr, "usage: sisim [--script FILE] [--stdin] [--no-wire-delay]\n%s",
                 CommandHelp());
    return 2;
}

// The speed the program under test set on the line. Linux reports the slave's termios through
// the master too.
int LineSpeed(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        return 0;
    }
    switch (cfgetospeed(&t)) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return -1; // some other speed: matches neither station setting
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string script;
    bool readStdin = false;
    bool pacing = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--script" && i + 1 < argc) {
            script = argv[++i];
        } else if (a == "--stdin") {
            readStdin = true;
        } else if (a == "--no-wire-delay") {
            pacing = false;
        } else {
            return Usage();
        }
    }
    if (script.empty()) {
        readStdin = true;
    }

    const TimePoint started = Clock::now();
    const Station::Log log = [&](const std::string& text) {
        const double s = std::chrono::duration<double>(Clock::now() - started).count();
        std::fprintf(stderr, "sisim %9.3f %s\n", s, text.c_str());
    };
    Station station(log);
    station.SetWirePacing(pacing);
    CommandRunner runner(station, log);

    auto addLine = [&](const std::string& where, const std::string& line) {
        const ParsedLine p = ParseCommand(line);
        if (const auto* error = std::get_if<std::string>(&p)) {
            log(where + ": " + *error);
            return false;
        }
        if (const auto* c = std::get_if<Command>(&p)) {
            runner.Add(*c);
        }
        return true;
    };
    if (!script.empty()) {
        std::ifstream in(script);
        if (!in) {
            std::fprintf(stderr, "sisim: cannot open script %s\n", script.c_str());
            return 2;
        }
        std::string line;
        bool ok = true;
        for (int n = 1; std::getline(in, line); ++n) {
            ok = addLine(script + ":" + std::to_string(n), line) && ok;
        }
        if (!ok) {
            return 2;
        }
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "sisim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const std::string slavePath = ptsname(master);
    // Raw mode stops the line discipline echoing our own bytes back to us before the program
    // under test sets the line up; the settings outlive this open. The slave is not kept open:
    // the program's TIOCEXCL would then outlive its close and lock it out of its own reopen.
    const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) {
        std::fprintf(stderr, "sisim: cannot open %s: %s\n", slavePath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B38400);
    tcsetattr(slave, TCSANOW, &t);
    close(slave);

    std::printf("PTY %s\n", slavePath.c_str());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);

    std::string stdinPending;
    std::vector<uint8_t> toWrite;
    int lastSpeed = 0;
    bool lastOpen = false;
    while (g_stop == 0) {
        TimePoint now = Clock::now();
        // The master reports a hang-up while nobody has the slave open.
        pollfd probe{master, POLLIN, 0};
        poll(&probe, 1, 0);
        const bool lineOpen = (probe.revents & POLLHUP) == 0;
        if (lineOpen != lastOpen) {
            log(lineOpen ? "line opened" : "line closed");
            lastOpen = lineOpen;
        }
        const int speed = LineSpeed(master);
        if (speed != lastSpeed) {
            log("line speed " + std::to_string(speed) + " Bd");
            lastSpeed = speed;
        }
        station.SetLineSpeed(speed);
        runner.Run(now);
        if (runner.QuitRequested()) {
            break;
        }
        const std::vector<uint8_t> out = station.TakeOutput(now);
        if (lineOpen) {
            toWrite.insert(toWrite.end(), out.begin(), out.end());
        } else if (!out.empty() || !toWrite.empty()) {
            log("nobody has the line open: " + std::to_string(out.size() + toWrite.size()) +
                " bytes lost");
            toWrite.clear();
        }
        while (!toWrite.empty()) {
            const ssize_t n = write(master, toWrite.data(), toWrite.size());
            if (n <= 0) {
                break;
            }
            toWrite.erase(toWrite.begin(), toWrite.begin() + n);
        }

        // A hung-up master polls ready at once, so while the line is closed look again soon.
        TimePoint wake = now + std::chrono::milliseconds(lineOpen ? 200 : 20);
        for (const auto& due : {station.NextOutputTime(), runner.WakeTime()}) {
            if (due && *due < wake) {
                wake = *due;
            }
        }
        const auto wait = std::max(wake - now, Clock::duration::zero());
        const timespec ts{
            static_cast<time_t>(std::chrono::duration_cast<std::chrono::seconds>(wait).count()),
            static_cast<long>((std::chrono::duration_cast<std::chrono::nanoseconds>(wait) %
                               std::chrono::seconds(1))
                                  .count())};
        const short masterEvents = static_cast<short>(POLLIN | (toWrite.empty() ? 0 : POLLOUT));
        pollfd fds[2] = {{lineOpen ? master : -1, masterEvents, 0},
                         {readStdin ? 0 : -1, POLLIN, 0}};
        if (ppoll(fds, 2, &ts, nullptr) < 0 && errno != EINTR) {
            log(std::string("poll: ") + std::strerror(errno));
            return 1;
        }
        now = Clock::now();
        if (fds[0].revents & POLLIN) {
            uint8_t buf[4096];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) {
                station.SetLineSpeed(LineSpeed(master));
                station.Receive(buf, static_cast<size_t>(n), now);
            }
        }
        if (readStdin && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buf[4096];
            const ssize_t n = read(0, buf, sizeof buf);
            if (n > 0) {
                stdinPending.append(buf, static_cast<size_t>(n));
                for (size_t nl; (nl = stdinPending.find('\n')) != std::string::npos;) {
                    addLine("stdin", stdinPending.substr(0, nl));
                    stdinPending.erase(0, nl + 1);
                }
            } else if (n == 0) {
                addLine("stdin", stdinPending);
                Command quit{};
                quit.kind = Command::Kind::Quit;
                runner.Add(quit);
                readStdin = false;
            }
        }
    }
    if (station.HasCard()) {
        log(std::string("quit with a card in the station; acknowledged: ") +
            (station.Acknowledged() ? "yes" : "no"));
    }
    log("quit");
    close(master);
    return 0;
}
