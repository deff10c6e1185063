#pragma once

// Running the real programs from the reader's tests: the station simulator on a
// pseudo-terminal, and Cardvane offscreen in a folder of its own.

#include "testsupport/PrintTestSupport.h"
#include "testsupport/ProgramRun.h"
#include "testsupport/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace cardvanetest {

namespace fs = std::filesystem;

using printtest::EnsureQtApp;

// Polls fn until it is true or the time is up.
inline bool Eventually(const std::function<bool()>& fn, int seconds = 15) {
    return testsupport::Eventually(fn, seconds);
}

#if defined(SISIM_PATH) && defined(CARDVANE_PATH)

// The station simulator, driven through its standard input.
class Sisim {
public:
    Sisim(const fs::path& dir, const std::string& name, const std::string& firstCommands = {})
        : out_(dir / (name + ".out")), log_(dir / (name + ".log")) {
        const std::string cmd = std::string(SISIM_PATH) + " --stdin > '" + out_.string() +
                                "' 2> '" + log_.string() + "'";
        pipe_ = ::popen(cmd.c_str(), "w");
        if (pipe_ == nullptr) {
            return;
        }
        if (!firstCommands.empty()) {
            Send(firstCommands);
        }
        std::string out;
        Eventually([&] {
            out = testsupport::ReadBytes(out_);
            return out.find('\n') != std::string::npos;
        });
        if (out.rfind("PTY ", 0) == 0) {
            slave_ = out.substr(4, out.find('\n') - 4);
        }
    }
    ~Sisim() {
        if (pipe_ != nullptr) {
            ::pclose(pipe_); // the end of its input ends it
        }
    }
    Sisim(const Sisim&) = delete;
    Sisim& operator=(const Sisim&) = delete;

    const std::string& Slave() const { return slave_; }
    void Send(const std::string& commands) {
        std::fputs((commands + "\n").c_str(), pipe_);
        std::fflush(pipe_);
    }
    std::string Log() const { return testsupport::ReadBytes(log_); }

private:
    fs::path out_;
    fs::path log_;
    FILE* pipe_ = nullptr;
    std::string slave_;
};

// Cardvane from a copy of its own, with the pictogram font the build puts beside the program.
class Cardvane : public testsupport::OffscreenProgram {
public:
    static fs::path CopyProgram(const fs::path& dir) {
        return OffscreenProgram::CopyProgram(CARDVANE_PATH, dir, {"QZ_Pikt04.TTF"});
    }

    Cardvane(const fs::path& program, const fs::path& folder, const std::string& name,
             const std::vector<std::string>& extraEnv = {})
        : OffscreenProgram(program, folder, name, "CARDVANE_", extraEnv) {}
    Cardvane(const fs::path& program, const fs::path& folder, const std::string& name,
             const testsupport::ProgramLaunch& launch)
        : OffscreenProgram(program, folder, name, "CARDVANE_", launch) {}
};

#endif

} // namespace cardvanetest
