#pragma once

// Running a program of the family from tests: offscreen, in a folder of its own, watched
// through the state file its program hooks write (<prefix>STATE_FILE, see ProgramHooks.h);
// also a command-line run with arguments, its own environment and its exit code.

#include "testsupport/SimProcess.h"
#include "testsupport/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testsupport {

// How a program is started beyond its folder and hooks: its arguments, and an environment
// kept apart from the user's.
struct ProgramLaunch {
    std::vector<std::string> args;
    // Variables of the test's own environment left out, by their start ("HOME=", "XDG_").
    std::vector<std::string> dropEnv;
    std::vector<std::string> env; // added last
    bool offscreen = true;        // false: no QT_QPA_PLATFORM at all, as without a display
    bool ownOutput = false;       // standard output to <name>.out, apart from the errors
    // Killed when the test process ends, even by SIGKILL, so a killed test leaves it not running.
    bool endsWithTest = false;
};

// A program started offscreen in a folder, its environment's variables of its prefix replaced
// by the state file and extraEnv; standard output and error go to <name>.err in the folder.
class OffscreenProgram {
public:
    // A copy of the built program in dir/bin, with those of the files named in `beside` that
    // the build put next to it. Tests start copies: one instance runs per program file, and
    // tests run side by side.
    static std::filesystem::path CopyProgram(const std::filesystem::path& built,
                                             const std::filesystem::path& dir,
                                             const std::vector<std::string>& beside = {}) {
        namespace fs = std::filesystem;
        const fs::path bin = dir / "bin";
        fs::create_directories(bin);
        fs::path program = bin / built.filename();
        fs::copy_file(built, program, fs::copy_options::overwrite_existing);
        fs::permissions(program, fs::perms::owner_all);
        for (const std::string& name : beside) {
            const fs::path file = built.parent_path() / name;
            if (fs::exists(file)) {
                fs::copy_file(file, bin / name, fs::copy_options::overwrite_existing);
            }
        }
        return program;
    }

    OffscreenProgram(const std::filesystem::path& program, const std::filesystem::path& folder,
                     const std::string& name, const std::string& prefix,
                     const std::vector<std::string>& extraEnv = {})
        : OffscreenProgram(program, folder, name, prefix, ProgramLaunch{{}, {}, extraEnv}) {}

    // A program found on PATH when `program` names no folder; an empty prefix: no hooks.
    OffscreenProgram(const std::filesystem::path& program, const std::filesystem::path& folder,
                     const std::string& name, const std::string& prefix,
                     const ProgramLaunch& launch)
        : state_(folder / (name + ".state")), err_(folder / (name + ".err")),
          out_(launch.ownOutput ? folder / (name + ".out") : err_) {
        std::vector<std::string> drop = launch.dropEnv;
        drop.push_back("QT_QPA_PLATFORM=");
        if (!prefix.empty()) {
            drop.push_back(prefix);
        }
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string v = *e;
            bool keep = true;
            for (const std::string& d : drop) {
                keep = keep && v.rfind(d, 0) != 0;
            }
            if (keep) {
                env.push_back(v);
            }
        }
        if (launch.offscreen) {
            env.push_back("QT_QPA_PLATFORM=offscreen");
        }
        if (!prefix.empty()) {
            env.push_back(prefix + "STATE_FILE=" + state_.string());
        }
        env.insert(env.end(), launch.env.begin(), launch.env.end());
        std::vector<char*> envp;
        envp.reserve(env.size() + 1);
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        std::vector<std::string> argText = {program.string()};
        argText.insert(argText.end(), launch.args.begin(), launch.args.end());
        std::vector<char*> argv;
        for (std::string& a : argText) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const std::string dirText = folder.string();
        const std::string errText = err_.string();
        const std::string outText = out_.string();
        const bool ownOutput = launch.ownOutput;
        const bool endsWithTest = launch.endsWithTest;
        const pid_t test = ::getpid();

        pid_ = ::fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls between fork and exec.
            if (endsWithTest && (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != test)) {
                ::_exit(125);
            }
            if (::chdir(dirText.c_str()) != 0) {
                ::_exit(126);
            }
            const int fd = ::open(errText.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                ::dup2(fd, 1);
                ::dup2(fd, 2);
            }
            if (ownOutput) {
                const int out = ::open(outText.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (out >= 0) {
                    ::dup2(out, 1);
                }
            }
            ::execvpe(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~OffscreenProgram() {
        if (Running()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    OffscreenProgram(const OffscreenProgram&) = delete;
    OffscreenProgram& operator=(const OffscreenProgram&) = delete;

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

    const std::filesystem::path& StateFile() const { return state_; }
    std::string Errors() const { return ReadBytes(err_); }
    // Standard output; the errors as well unless the launch asked for its own output.
    std::string Output() const { return ReadBytes(out_); }
    // What the main form shows: its state file as key and value.
    std::map<std::string, std::string> State() const {
        std::map<std::string, std::string> m;
        std::istringstream in(ReadBytes(state_));
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
    std::filesystem::path state_;
    std::filesystem::path err_;
    std::filesystem::path out_;
    pid_t pid_ = -1;
    bool exited_ = false;
    int exitCode_ = -1;
};

} // namespace testsupport
