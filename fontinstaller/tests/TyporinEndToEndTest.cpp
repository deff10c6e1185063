// End to end: the real typorin in a private home with its own fontconfig cache, then the real
// cardvane printing with the font it installed.

#if defined(TYPORIN_PATH)

#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#if defined(CARDVANE_PATH)
#include "PiktTestRecords.h"
#endif

extern char** environ;

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A program started with the environment of the test minus everything that would reach the
// user's own home, display or fonts.
class Child {
public:
    Child(const fs::path& program, const std::vector<std::string>& args,
          const std::vector<std::string>& env, const fs::path& cwd, const fs::path& out,
          const fs::path& err) {
        std::vector<std::string> all;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string v = *e;
            bool keep = true;
            for (const char* drop : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "HOME=",
                                     "XDG_", "FONTCONFIG_", "TMPDIR="}) {
                keep = keep && v.rfind(drop, 0) != 0;
            }
            if (keep) {
                all.push_back(v);
            }
        }
        all.insert(all.end(), env.begin(), env.end());
        std::vector<char*> envp;
        for (std::string& e : all) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        std::vector<std::string> argText = {program.string()};
        argText.insert(argText.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : argText) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const std::string dir = cwd.string(), o = out.string(), e = err.string();
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fo = ::open(o.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int fe = ::open(e.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fo < 0 || fe < 0 || ::dup2(fo, 1) < 0 || ::dup2(fe, 2) < 0 ||
                ::chdir(dir.c_str()) != 0) {
                ::_exit(126);
            }
            ::execvpe(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~Child() {
        if (pid_ > 0 && code_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The exit code, or -1 when it still runs after the time.
    int Wait(int seconds = 30) {
        for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
             code_ < 0;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            } else if (std::chrono::steady_clock::now() > until) {
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return code_;
    }
    void Signal(int sig) { ::kill(pid_, sig); }

private:
    pid_t pid_ = -1;
    int code_ = -1;
};

class Typorin : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* d : {"home", "data", "config", "cache", "fccache", "tmp", "run", "xrun"}) {
            fs::create_directories(dir / d);
        }
        fs::permissions(dir / "xrun", fs::perms::owner_all);
        // The private cache comes first, so not even root writes into the system's cache.
        WriteBytes(dir / "fonts.conf",
                   "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                   "<fontconfig>\n  <cachedir>" +
                       (dir / "fccache").string() +
                       "</cachedir>\n"
                       "  <include ignore_missing=\"no\">/etc/fonts/fonts.conf</include>\n"
                       "</fontconfig>\n");
        env = {"HOME=" + (dir / "home").string(),
               "XDG_DATA_HOME=" + (dir / "data").string(),
               "XDG_CONFIG_HOME=" + (dir / "config").string(),
               "XDG_CACHE_HOME=" + (dir / "cache").string(),
               "FONTCONFIG_FILE=" + (dir / "fonts.conf").string(),
               "XDG_RUNTIME_DIR=" + (dir / "xrun").string(),
               "TMPDIR=" + (dir / "tmp").string()};
    }
    // Runs a command to its end; its output lands in out and err.
    int Run(const fs::path& program, const std::vector<std::string>& args,
            std::vector<std::string> more = {}) {
        more.insert(more.begin(), env.begin(), env.end());
        Child c(program, args, more, dir / "run", dir / "out", dir / "err");
        return c.Wait();
    }
    std::string Out() const { return ReadBytes(dir / "out"); }
    std::string Err() const { return ReadBytes(dir / "err"); }
    bool TempIsEmpty() const { return fs::is_empty(dir / "tmp"); }

    testsupport::TempDir dir;
    std::vector<std::string> env;
    const fs::path installed = dir / "data" / "fonts" / "QZ_Pikt04.TTF";
};

} // namespace

// /I installs the build's font where fontconfig finds it, twice in a row, leaving no extracted
// files; /E puts the font beside the program; /? and a missing display need no window.
TEST_F(Typorin, CommandLineInstallsExtractsAndExplains) {
    const std::string font = ReadBytes(TYPORIN_FONT);
    for (int run = 1; run <= 2; ++run) {
        ASSERT_EQ(Run(TYPORIN_PATH, {"/I"}), 0) << run << Err();
        EXPECT_TRUE(Has(Out(), "Setup has finished installing VaZevo2004 on your computer.\n"))
            << Out();
        EXPECT_TRUE(ReadBytes(installed) == font);
        struct stat st {};
        ASSERT_EQ(::stat(installed.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0644u);
        EXPECT_TRUE(TempIsEmpty()) << run;
        ASSERT_EQ(Run("fc-list", {"--format", "%{file}|%{family}\n"}), 0) << Err();
        EXPECT_TRUE(Has(Out(), installed.string() + "|QZ-Davovazedi04\n")) << Out();
    }

    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    fs::copy_file(TYPORIN_PATH, bin / "typorin");
    ASSERT_EQ(Run(bin / "typorin", {"/e"}), 0) << Err();
    EXPECT_TRUE(ReadBytes(bin / "QZ_Pikt04.TTF") == font);
    EXPECT_FALSE(fs::exists(bin / "zembrak.dat"));

    ASSERT_EQ(Run(TYPORIN_PATH, {"/?"}), 0) << Err();
    EXPECT_EQ(Out(), "Glyvora Install\n\nCommand line options:\n\n/E -- Extract files\n"
                     "/I -- Silent install\n");
    EXPECT_EQ(Run(TYPORIN_PATH, {}), 2);
    EXPECT_TRUE(Has(Err(), "Setup needs a display")) << Err();
    EXPECT_TRUE(TempIsEmpty());
}

// A font folder that cannot be made fails with the copy text and the reason (root passes
// every permission check, so the folder's place is taken by a file).
TEST_F(Typorin, FontFolderThatIsAFileFails) {
    WriteBytes(dir / "data" / "fonts", "not a folder");
    EXPECT_EQ(Run(TYPORIN_PATH, {"/I"}), 1);
    EXPECT_TRUE(Has(Err(), "Setup could not finish installing VaZevo2004 on your computer. "
                           "Permission denied to copy fonts.\n"))
        << Err();
    EXPECT_TRUE(Has(Err(), (dir / "data" / "fonts").string())) << Err();
    EXPECT_TRUE(TempIsEmpty());
}

// The wizard keeps its extracted files in a private folder until it ends, also by a signal.
TEST_F(Typorin, WizardEndedBySignalLeavesNoFiles) {
    std::vector<std::string> wizardEnv = env;
    wizardEnv.push_back("QT_QPA_PLATFORM=offscreen");
    Child c(TYPORIN_PATH, {}, wizardEnv, dir / "run", dir / "out", dir / "err");
    bool extracted = false;
    for (int i = 0; i < 400 && !extracted; ++i) {
        for (const auto& e : fs::directory_iterator(dir / "tmp")) {
            extracted = extracted || fs::exists(e.path() / "QZ_Pikt04.TTF");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_TRUE(extracted) << Err();
    EXPECT_EQ(c.Wait(1), -1) << "the wizard waits for the user";
    c.Signal(SIGTERM);
    EXPECT_EQ(c.Wait(), 128 + SIGTERM);
    EXPECT_TRUE(TempIsEmpty());
}

#if defined(CARDVANE_PATH)
// Cardvane without the font beside it prints a control-description file into a PDF that
// embeds the font typorin installed.
TEST_F(Typorin, CardvanePrintsSheetsWithTheInstalledFont) {
    ASSERT_EQ(Run(TYPORIN_PATH, {"/I"}), 0) << Err();

    const fs::path cv = dir / "cardvane";
    const fs::path ravlin = cv / "ravlin";
    const fs::path print = ravlin / "Zav_2024" / "ZZ0012" / "Print";
    const fs::path pdf = cv / "pdf";
    fs::create_directories(cv / "bin");
    fs::create_directories(print);
    fs::create_directories(pdf);
    fs::copy_file(CARDVANE_PATH, cv / "bin" / "cardvane");
    ASSERT_FALSE(fs::exists(cv / "bin" / "QZ_Pikt04.TTF"));
    WriteBytes(ravlin / "Ravlin.inf",
               "[Ravlin]\r\nRok=2024\r\nZavod=12\r\nEtapa=1\r\nStart00=10.00\r\n");
    std::string ini =
        "[fQZ_SI]\r\nPodleRavlin=1\r\nCestaRavlin=" + ravlin.string() +
        "\r\n[DefPrint]\r\nTisknout=1\r\nTisknoutPikt=1\r\nCyklus=1\r\nSlozkaPdf=" + pdf.string() +
        "\r\n[DisableCOM]\r\n";
    for (int n = 1; n <= 18; ++n) {
        ini += "COM" + std::to_string(n) + "=1\r\n";
    }
    WriteBytes(cv / "QZ_SI.ini", ini);
    using namespace pikttest;
    WriteBytes(print / "Pikt0001.dat",
               Runner(12, "Novak Jan", "H21", "A", 1234567, "10:30", "", "") +
                   Course("A", Real5_2, 150) +
                   RowRec(fPikt::KindStart, 1, {0, 0x4B, 0, 0, 0, '!'}) +
                   RowRec(fPikt::KindControl, 31, {0x30, 0x53, 0, 0, 0, 0}) +
                   RowRec(fPikt::KindFinish, '&', {'&', '&', '&', '&', '&', '#'}, "120 m"));

    std::vector<std::string> cvEnv = env;
    cvEnv.push_back("QT_QPA_PLATFORM=offscreen");
    Child c(cv / "bin" / "cardvane", {}, cvEnv, cv, cv / "out", cv / "err");
    // The spooler takes a file on its second look, 5 s apart.
    bool printed = false;
    for (int i = 0; i < 600 && !printed; ++i) {
        printed = !fs::exists(print / "Pikt0001.dat") && fs::exists(pdf / "Tisk0001.pdf");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    c.Signal(SIGTERM);
    c.Wait(15);
    ASSERT_TRUE(printed) << ReadBytes(cv / "err");
    ASSERT_EQ(Run("pdffonts", {(pdf / "Tisk0001.pdf").string()}), 0) << Err();
    EXPECT_TRUE(Has(Out(), "QZ-Davovazedi04")) << Out();
    EXPECT_FALSE(Has(ReadBytes(cv / "err"), "QZ-Davovazedi04")) << ReadBytes(cv / "err");
}
#endif

#endif
