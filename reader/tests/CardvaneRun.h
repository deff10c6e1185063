#pragma once

// Running the real programs from tests: the station simulator on a pseudo-terminal, and
// Cardvane offscreen in a folder of its own, watched through its state file.

#include "PrintTestSupport.h"
#include "testsupport/TempDir.h"

#include <QApplication>
#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace cardvanetest {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

using printtest::EnsureQtApp;

// Polls fn every 20 ms until it is true or the time is up.
inline bool Eventually(const std::function<bool()>& fn, int seconds = 15) {
    for (const auto until = Steady::now() + std::chrono::seconds(seconds); Steady::now() < until;) {
        if (fn()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return fn();
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

// Cardvane started offscreen in a folder, from a copy of the program of its own: one instance
// runs per program file, and tests run side by side.
class Cardvane {
public:
    // The copy of the program that tests in `dir` start, with the pictogram font the build
    // puts beside the program.
    static fs::path CopyProgram(const fs::path& dir) {
        const fs::path bin = dir / "bin";
        fs::create_directories(bin);
        const fs::path program = bin / "cardvane";
        fs::copy_file(CARDVANE_PATH, program, fs::copy_options::overwrite_existing);
        fs::permissions(program, fs::perms::owner_all);
        const fs::path font = fs::path(CARDVANE_PATH).parent_path() / "QZ_Pikt04.TTF";
        if (fs::exists(font)) {
            fs::copy_file(font, bin / font.filename(), fs::copy_options::overwrite_existing);
        }
        return program;
    }

    Cardvane(const fs::path& program, const fs::path& folder, const std::string& name,
             const std::vector<std::string>& extraEnv = {})
        : state_(folder / (name + ".state")), err_(folder / (name + ".err")) {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string v = *e;
            if (v.rfind("QT_QPA_PLATFORM=", 0) != 0 && v.rfind("CARDVANE_", 0) != 0) {
                env.push_back(v);
            }
        }
        env.push_back("QT_QPA_PLATFORM=offscreen");
        env.push_back("CARDVANE_STATE_FILE=" + state_.string());
        for (const std::string& e : extraEnv) {
            env.push_back(e);
        }
        std::vector<char*> envp;
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        std::string prog = program.string();
        char* argv[] = {prog.data(), nullptr};
        const std::string dirText = folder.string();
        const std::string errText = err_.string();

        pid_ = ::fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls between fork and exec.
            if (::chdir(dirText.c_str()) != 0) {
                ::_exit(126);
            }
            const int fd = ::open(errText.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                ::dup2(fd, 1);
                ::dup2(fd, 2);
            }
            ::execve(argv[0], argv, envp.data());
            ::_exit(127);
        }
    }
    ~Cardvane() {
        if (Running()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Cardvane(const Cardvane&) = delete;
    Cardvane& operator=(const Cardvane&) = delete;

    bool Running() {
        if (exited_ || pid_ <= 0) {
            return false;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return false;
        }
        return true;
    }
    void Signal(int sig) {
        if (Running()) {
            ::kill(pid_, sig);
        }
    }
    // The exit code once it ended within the time; -1 when it still runs.
    int WaitExit(int seconds = 15) {
        Eventually([this] { return !Running(); }, seconds);
        return exited_ ? exitCode_ : -1;
    }

    const fs::path& StateFile() const { return state_; }
    std::string Errors() const { return testsupport::ReadBytes(err_); }
    // What the window shows: its state file as key and value.
    std::map<std::string, std::string> State() const {
        std::map<std::string, std::string> m;
        std::istringstream in(testsupport::ReadBytes(state_));
        for (std::string line; std::getline(in, line);) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos) {
                m[line.substr(0, eq)] = line.substr(eq + 1);
            }
        }
        return m;
    }
    // Waits until the state satisfies the condition.
    bool StateWhen(const std::function<bool(std::map<std::string, std::string>&)>& fn,
                   int seconds = 15) const {
        return Eventually(
            [&] {
                auto s = State();
                return !s.empty() && fn(s);
            },
            seconds);
    }

private:
    fs::path state_;
    fs::path err_;
    pid_t pid_ = -1;
    bool exited_ = false;
    int exitCode_ = -1;
};

#endif

} // namespace cardvanetest
