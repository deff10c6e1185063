#pragma once

// A print server of the test's own, run as the test's own user: configuration, spool, state and
// logs in a folder, listening only on a socket there, so a system print server, if one runs,
// never sees it. Its queues send each job raw to a loopback port of the test, which keeps every
// document as it came, so the test reads back exactly what the program printed.

#include "testsupport/PrintTestSupport.h"
#include "testsupport/ProgramRun.h"
#include "testsupport/TempDir.h"

#include <arpa/inet.h>
#include <atomic>
#include <filesystem>
#include <grp.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace printtest {

class PrivateCups {
public:
    static constexpr const char* Cupsd = "/usr/sbin/cupsd";

    explicit PrivateCups(const std::filesystem::path& dir) : dir_(dir) {
        namespace fs = std::filesystem;
        for (const char* sub : {"etc", "spool/tmp", "cache", "state", "log", "documents", "home"}) {
            fs::create_directories(dir_ / sub);
        }
        Listen();
        const auto in = [&](const char* name) { return (dir_ / name).string(); };
        std::vector<std::string> files = {
            "ServerRoot " + in("etc"),           "RequestRoot " + in("spool"),
            "TempDir " + in("spool/tmp"),        "CacheDir " + in("cache"),
            "StateDir " + in("state"),           "ErrorLog " + in("log/error_log"),
            "AccessLog " + in("log/access_log"), "PageLog " + in("log/page_log"),
            "Printcap " + in("printcap")};
        if (::geteuid() == 0) {
            // The backends run as the server's own user then, and must reach the spool.
            files.push_back("SystemGroup root");
            for (fs::path d = dir_; d.has_relative_path(); d = d.parent_path()) {
                std::error_code ec;
                fs::permissions(d, fs::perms::others_exec, fs::perm_options::add, ec);
            }
        } else {
            const passwd* user = ::getpwuid(::geteuid());
            const group* grp = ::getgrgid(::getegid());
            const std::string u = user != nullptr ? user->pw_name : std::to_string(::geteuid());
            const std::string g = grp != nullptr ? grp->gr_name : std::to_string(::getegid());
            files.insert(files.end(), {"User " + u, "Group " + g, "SystemGroup " + g});
        }
        testsupport::WriteBytes(dir_ / "etc" / "cups-files.conf", Lines(files));
        testsupport::WriteBytes(
            dir_ / "etc" / "cupsd.conf",
            Lines({"LogLevel debug", "Listen " + Socket(), "Browsing No", "DefaultShared No",
                   "WebInterface No", "DefaultAuthType None", "<Location />", "  Order allow,deny",
                   "  Allow all", "</Location>", "<Policy default>", "  <Limit All>",
                   "    Order deny,allow", "  </Limit>", "</Policy>"}));
        Start();
    }
    ~PrivateCups() {
        Stop();
        stop_ = true;
        if (listener_.joinable()) {
            listener_.join();
        }
        ::close(listen_);
    }
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // The server runs and answers.
    bool Start() {
        testsupport::ProgramLaunch launch;
        launch.args = {"-f", "-c", (dir_ / "etc" / "cupsd.conf").string(), "-s",
                       (dir_ / "etc" / "cups-files.conf").string()};
        launch.offscreen = false;
        launch.endsWithTest = true;
        server_.reset();
        server_ = std::make_unique<testsupport::OffscreenProgram>(Cupsd, dir_, "cupsd", "", launch);
        return testsupport::Eventually([&] {
            return server_->Running() && Client("lpstat -r").find("scheduler is running") == 0;
        });
    }
    // Ends the server, a frozen one too.
    void Stop() {
        if (server_) {
            server_->Signal(SIGTERM);
            server_->Signal(SIGCONT);
            server_->WaitExit(); // and killed by its own end if it is still running
        }
    }
    // The server stops answering, as a busy or hung one does, until Stop().
    void Freeze() { server_->Signal(SIGSTOP); }
    // A client waits on the server: its connection is not taken yet, or its request not read
    // (receive queue of the server's socket, socket statistics of iproute2).
    bool ClientWaiting() const {
        std::istringstream table(Run("ss -xanH src '" + Socket() + "'"));
        for (std::string line; std::getline(table, line);) {
            std::istringstream fields(line);
            std::string netid, state;
            long queued = 0;
            if (fields >> netid >> state >> queued && queued > 0) {
                return true;
            }
        }
        return false;
    }

    // A queue that keeps what it gets, made the default destination.
    void AddDefaultQueue(const std::string& queue) const {
        Client("lpadmin -p " + queue + " -E -v socket://127.0.0.1:" + std::to_string(port_));
        Client("lpadmin -d " + queue);
    }

    std::string Socket() const { return (dir_ / "cups.sock").string(); }
    std::string Log() const {
        return server_->Output() + testsupport::ReadBytes(dir_ / "log" / "error_log");
    }
    // What points a client at this server only, with client settings of the test's own.
    std::vector<std::string> ClientEnv() const {
        return {"CUPS_SERVER=" + Socket(), "CUPS_SERVERROOT=" + (dir_ / "etc").string(),
                "HOME=" + (dir_ / "home").string()};
    }
    // The output of a client tool (lpadmin, lpstat ...) run against this server.
    std::string Client(const std::string& command) const {
        std::string line = "env -u LPDEST -u PRINTER";
        for (const std::string& v : ClientEnv()) {
            line += " '" + v + "'";
        }
        return Run(line + " " + command + " 2>&1");
    }
    // The documents the queues kept, whole ones only.
    std::vector<std::filesystem::path> Documents() const {
        std::vector<std::filesystem::path> docs;
        for (int n = 1; n <= kept_; ++n) {
            docs.push_back(Document(n));
        }
        return docs;
    }

private:
    static std::string Lines(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\n";
        }
        return text;
    }
    std::filesystem::path Document(int n) const {
        return dir_ / "documents" / ("document-" + std::to_string(n) + ".pdf");
    }

    void Listen() {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
            ::listen(listen_, 4) != 0 ||
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            return;
        }
        port_ = ntohs(addr.sin_port);
        listener_ = std::thread([this] {
            for (int n = 1; !stop_;) {
                pollfd p{listen_, POLLIN, 0};
                if (::poll(&p, 1, 100) != 1) {
                    continue;
                }
                const int c = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
                if (c < 0) {
                    continue;
                }
                std::string bytes;
                char buf[65536];
                for (ssize_t got = 0; (got = ::read(c, buf, sizeof buf)) > 0;) {
                    bytes.append(buf, static_cast<size_t>(got));
                }
                ::close(c);
                testsupport::WriteBytes(Document(n), bytes);
                kept_ = n++;
            }
        });
    }

    std::filesystem::path dir_;
    std::unique_ptr<testsupport::OffscreenProgram> server_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> kept_{0};
    std::thread listener_;
};

} // namespace printtest
