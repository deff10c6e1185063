// End to end: the real typorin in a private home with its own fontconfig cache, then the real
// cardvane printing with the font it installed.

#if defined(TYPORIN_PATH)

#include "FontPackage.h"
#include "TestFonts.h"

#include "testsupport/ProgramRun.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <sys/stat.h>

#if defined(CARDVANE_PATH)
#include "PiktTestRecords.h"
#endif

namespace fs = std::filesystem;
using testsupport::OffscreenProgram;
using testsupport::ProgramLaunch;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The command the README gives to check that the font is installed.
std::string ReadmeCheck() {
    std::istringstream readme(ReadBytes(TYPORIN_README));
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("    fc-list", 0) == 0) {
            return line.substr(4);
        }
    }
    ADD_FAILURE() << "the README gives no fc-list check";
    return "false";
}

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
    // How a program starts here: with the private folders and no trace of the user's own home,
    // display or fonts.
    ProgramLaunch Launch(const std::vector<std::string>& args, std::vector<std::string> more = {},
                         bool display = false) const {
        more.insert(more.begin(), env.begin(), env.end());
        return {args,
                {"DISPLAY=", "WAYLAND_DISPLAY=", "HOME=", "XDG_", "FONTCONFIG_", "TMPDIR="},
                more,
                display,
                true};
    }
    // Runs a command to its end in dir/run; its output lands in out and err.
    int Run(const fs::path& program, const std::vector<std::string>& args,
            std::vector<std::string> more = {}) {
        OffscreenProgram p(program, dir / "run", "typorin", "", Launch(args, std::move(more)));
        const int code = p.WaitExit(30);
        out_ = p.Output();
        err_ = p.Errors();
        return code;
    }
    std::string Out() const { return out_; }
    std::string Err() const { return err_; }
    bool TempIsEmpty() const { return fs::is_empty(dir / "tmp"); }

    testsupport::TempDir dir;
    std::vector<std::string> env;
    const fs::path installed = dir / "data" / "fonts" / "QZ_Pikt04.TTF";
    std::string out_;
    std::string err_;
};

} // namespace

// /I installs the build's font where fontconfig and the README's check find it, twice in a
// row, leaving no extracted files; /E puts the font beside the program; /? lists the options
// on the terminal without a display and in a box with one; the wizard without one says so.
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
    // The README's check, as a user types it.
    const std::string check = ReadmeCheck();
    ASSERT_EQ(Run("sh", {"-c", check}), 0) << check << "\n" << Out() << Err();
    EXPECT_EQ(Out(), "QZ-Davovazedi04\n") << check;

    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    fs::copy_file(TYPORIN_PATH, bin / "typorin");
    ASSERT_EQ(Run(bin / "typorin", {"/e"}), 0) << Err();
    EXPECT_TRUE(ReadBytes(bin / "QZ_Pikt04.TTF") == font);
    EXPECT_FALSE(fs::exists(bin / "zembrak.dat"));

    // Where nobody can answer a box: no display, a platform without a screen, an X server
    // that cannot be reached.
    for (const char* where : {"DISPLAY=", "QT_QPA_PLATFORM=offscreen", "QT_QPA_PLATFORM=minimal",
                              "DISPLAY=127.0.0.1:4711"}) {
        ASSERT_EQ(Run(TYPORIN_PATH, {"/?"}, {where}), 0) << where << Err();
        EXPECT_EQ(Out(), "Glyvora Install\n\nCommand line options:\n\n/E -- Extract files\n"
                         "/I -- Silent install\n");
        EXPECT_EQ(Run(TYPORIN_PATH, {}, {where}), 2) << where;
        EXPECT_TRUE(Has(Err(), "Setup needs a display")) << where << Err();
    }
    EXPECT_TRUE(TempIsEmpty());
}

// A font whose family cannot be read from the font itself (fontconfig would list it under its
// file's name), whose checksums do not add up or whose glyphs cannot be loaded is a damaged
// package: nothing installed, the package error with the reason.
TEST_F(Typorin, DamagedFontIsAPackageError) {
    const std::string font = ReadBytes(TYPORIN_FONT);
    const size_t glyf = typorintest::TableAt(font, "glyf");
    std::string table = font, file = font, glyph = font;
    table[glyf + 100] ^= 1;
    file[typorintest::TableAt(font, "head") + 11] ^= 1; // the whole-file checksum's last byte
    // The first glyph claims 4096 contours more, the next word makes up for it in the sums.
    glyph[glyf] = static_cast<char>(glyph[glyf] + 0x10);
    glyph[glyf + 4] = static_cast<char>(glyph[glyf + 4] - 0x10);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {typorintest::Garbled(font, 2000),
         "is no font, or its family name cannot be read from the font itself"},
        {table, "is a damaged font: the checksum of its table 'glyf' does not add up"},
        {file, "is a damaged font: its whole-file checksum does not add up"},
        {glyph, "is a damaged font: glyph 0 cannot be loaded"},
    };
    const fs::path program = dir / "bin" / "typorin";
    fs::create_directories(program.parent_path());
    for (const auto& [bytes, reason] : cases) {
        fs::remove(installed);
        WriteBytes(program, ReadBytes(TYPORIN_IMAGE) +
                                typorin::PackEntries(
                                    {{"QZ_Pikt04.TTF", bytes},
                                     {"zembrak.dat", typorin::DataFileBytes("VaZevo2004")}}));
        fs::permissions(program, fs::perms::owner_all);
        EXPECT_EQ(Run(program, {"/I"}), 1) << reason;
        EXPECT_TRUE(
            Has(Err(), "Glyvora Error: This Glyvora contains no fonts.\n'QZ_Pikt04.TTF' " + reason))
            << Err();
        EXPECT_FALSE(fs::exists(installed));
        EXPECT_TRUE(TempIsEmpty());
    }
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

// The extracted files stay in a private folder until Typorin ends, also by a signal: here one
// that comes while /I waits for a stalled refresh of the font system.
TEST_F(Typorin, EndedBySignalLeavesNoFiles) {
    const fs::path stub = dir / "stub";
    const fs::path refreshing = dir / "run" / "refreshing";
    fs::create_directories(stub);
    // An fc-cache that runs as long as the program that started it.
    WriteBytes(stub / "fc-cache", "#!/bin/sh\ntouch '" + refreshing.string() +
                                      "'\nwhile kill -0 $PPID 2>/dev/null; do sleep 0.1; done\n");
    fs::permissions(stub / "fc-cache", fs::perms::owner_all);
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        fs::remove(refreshing);
        ProgramLaunch l = Launch({"/I"}, {"PATH=" + stub.string() + ":" + std::getenv("PATH")});
        l.dropEnv.push_back("PATH=");
        OffscreenProgram c(TYPORIN_PATH, dir / "run", "typorin", "", l);
        ASSERT_TRUE(testsupport::Eventually([&] { return fs::exists(refreshing); })) << c.Errors();
        EXPECT_FALSE(TempIsEmpty());
        c.Signal(sig);
        EXPECT_EQ(c.WaitExit(), 0) << "signal " << sig;
        EXPECT_TRUE(TempIsEmpty()) << "signal " << sig;
    }
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

    OffscreenProgram c(cv / "bin" / "cardvane", cv, "cardvane", "CARDVANE_", Launch({}, {}, true));
    // The spooler takes a file on its second look, 5 s apart.
    const bool printed = testsupport::Eventually(
        [&] { return !fs::exists(print / "Pikt0001.dat") && fs::exists(pdf / "Tisk0001.pdf"); },
        30);
    c.Signal(SIGTERM);
    c.WaitExit();
    ASSERT_TRUE(printed) << c.Errors();
    ASSERT_EQ(Run("pdffonts", {(pdf / "Tisk0001.pdf").string()}), 0) << Err();
    EXPECT_TRUE(Has(Out(), "QZ-Davovazedi04")) << Out();
    EXPECT_FALSE(Has(c.Errors(), "QZ-Davovazedi04")) << c.Errors();
}
#endif

#endif
