#include "platform/IniFile.h"
#include "platform/Cp1250.h"
#include "testsupport/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using platform::IniFile;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

// A file as Windows programs leave it: CRLF, Windows-1250 text, mixed-case names, sections
// with '/' and '-', a duplicate key, a comment and an unknown section.
std::string WindowsStyleFile() {
    return "[Ravlin]\r\n"
           "Rok=2024\r\n"
           "Nazev=" +
           platform::Utf8ToCp1250("Přebor Žďáru") +
           "\r\n"
           "zavod = 12 \r\n"
           "ZAVOD=99\r\n"
           "\r\n"
           "; poznámka\r\n"
           "[D21/0]\r\n"
           "Cas-Limit=120\r\n"
           "Seznam=a,b/c\r\n"
           "[Neznama]\r\n"
           "Cokoli=\"v uvozovkach\"\r\n";
}

} // namespace

TEST(IniFile, ReadsWindowsStyleFileCaseInsensitivelyFirstOccurrenceWins) {
    TempDir dir;
    WriteBytes(dir / "Ravlin.inf", WindowsStyleFile());
    IniFile ini(dir / "Ravlin.inf");

    EXPECT_EQ(ini.ReadString("RAVLIN", "rok", ""), "2024");
    EXPECT_EQ(ini.ReadString("ravlin", "Nazev", ""), "Přebor Žďáru");
    EXPECT_EQ(ini.ReadInteger("Ravlin", "Zavod", 0), 12); // blanks trimmed, first wins
    EXPECT_EQ(ini.ReadInteger("d21/0", "CAS-LIMIT", 0), 120);
    EXPECT_EQ(ini.ReadString("D21/0", "Seznam", ""), "a,b/c"); // no list, no groups
    EXPECT_EQ(ini.ReadString("Neznama", "Cokoli", ""), "v uvozovkach");
    EXPECT_EQ(ini.ReadString("Ravlin", "Chybi", "def"), "def");
    EXPECT_EQ(ini.ReadString("Chybi", "Rok", "def"), "def");
    EXPECT_TRUE(ini.SectionExists("d21/0"));
    EXPECT_TRUE(ini.ValueExists("RAVLIN", "NAZEV"));
    EXPECT_FALSE(ini.ValueExists("Ravlin", "Poradatel"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Ravlin", "D21/0", "Neznama"}));
}

TEST(IniFile, WritesKeepUntouchedLinesByteForByte) {
    TempDir dir;
    const std::string original = WindowsStyleFile();
    WriteBytes(dir / "x.ini", original);
    IniFile ini(dir / "x.ini");

    ASSERT_TRUE(ini.WriteInteger("RAVLIN", "ZAVOD", 13)); // replaces the first, keeps its spelling
    ASSERT_TRUE(ini.WriteString("d21/0", "Novy", "Čeština"));
    ASSERT_TRUE(ini.WriteString("Dalsi", "Klic", "1"));

    const std::string expected = "[Ravlin]\r\n"
                                 "Rok=2024\r\n"
                                 "Nazev=" +
                                 platform::Utf8ToCp1250("Přebor Žďáru") +
                                 "\r\n"
                                 "zavod=13\r\n"
                                 "ZAVOD=99\r\n"
                                 "\r\n"
                                 "; poznámka\r\n"
                                 "[D21/0]\r\n"
                                 "Cas-Limit=120\r\n"
                                 "Seznam=a,b/c\r\n"
                                 "Novy=" +
                                 platform::Utf8ToCp1250("Čeština") +
                                 "\r\n"
                                 "[Neznama]\r\n"
                                 "Cokoli=\"v uvozovkach\"\r\n"
                                 "[Dalsi]\r\n"
                                 "Klic=1\r\n";
    EXPECT_EQ(ReadBytes(dir / "x.ini"), expected);

    // A fresh reader sees the values; the file is Windows-1250 on disk.
    IniFile again(dir / "x.ini");
    EXPECT_EQ(again.ReadString("D21/0", "novy", ""), "Čeština");
    EXPECT_EQ(again.ReadInteger("Ravlin", "Zavod", 0), 13);
}

TEST(IniFile, NewKeyGoesBeforeBlankLinesThatSeparateSections) {
    TempDir dir;
    WriteBytes(dir / "x.ini", "[A]\r\nk=1\r\n\r\n[B]\r\nm=2\r\n");
    IniFile ini(dir / "x.ini");
    ASSERT_TRUE(ini.WriteString("a", "n", "3"));
    EXPECT_EQ(ReadBytes(dir / "x.ini"), "[A]\r\nk=1\r\nn=3\r\n\r\n[B]\r\nm=2\r\n");
}

TEST(IniFile, TypedValues) {
    IniFile ini(""); // in memory
    ini.WriteBool("S", "On", true);
    ini.WriteBool("S", "Off", false);
    ini.WriteFloat("S", "Start00", 10.3);
    ini.WriteString("S", "Comma", "10,45");
    ini.WriteString("S", "Junk", "12abc");
    ini.WriteString("S", "Hex", "$1F");
    ini.WriteInteger("S", "Neg", -42);

    EXPECT_EQ(ini.ReadString("S", "On", ""), "1");
    EXPECT_EQ(ini.ReadString("S", "Off", ""), "0");
    EXPECT_TRUE(ini.ReadBool("S", "On", false));
    EXPECT_FALSE(ini.ReadBool("S", "Off", true));
    EXPECT_TRUE(ini.ReadBool("S", "Hex", false));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Start00", 0), 10.3);
    EXPECT_EQ(ini.ReadString("S", "Start00", ""), "10.3");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Comma", 0), 10.45);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Junk", 7.5), 7.5);
    EXPECT_EQ(ini.ReadInteger("S", "Junk", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "Neg", 0), -42);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 5), 5);

    // Texts the standard conversion would take for a number are no numbers in a settings file.
    for (const char* text : {"inf", "-INF", "nan", "infinity", "1e999"}) {
        ini.WriteString("S", "Odd", text);
        EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Odd", 7.5), 7.5) << text;
    }
}

TEST(IniFile, SeesChangesOtherProgramsMakeAndErases) {
    TempDir dir;
    WriteBytes(dir / "x.ini", "[A]\nk=1\n");
    IniFile ini(dir / "x.ini");
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
    WriteBytes(dir / "x.ini", "[A]\nk=22\nj=5\n"); // another program rewrites it
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 22);
    ASSERT_TRUE(ini.DeleteKey("A", "K"));
    EXPECT_EQ(ReadBytes(dir / "x.ini"), "[A]\nj=5\n"); // LF file stays LF
    ASSERT_TRUE(ini.EraseSection("a"));
    EXPECT_FALSE(ini.SectionExists("A"));
}

TEST(IniFile, WriteFailureIsReported) {
    TempDir dir;
    IniFile ini(dir / "missing-folder" / "x.ini");
    EXPECT_FALSE(ini.WriteString("A", "k", "1"));
    EXPECT_NE(ini.LastError().find("x.ini"), std::string::npos);
}

namespace {

// While it lives, the process can open no further file (every descriptor below the limit is
// taken), so reading a file fails as it would on a transient error.
class NoFreeDescriptors {
public:
    NoFreeDescriptors() {
        ::getrlimit(RLIMIT_NOFILE, &old_);
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(lowestFree);
        rlimit tight = old_;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree);
        ::setrlimit(RLIMIT_NOFILE, &tight);
    }
    ~NoFreeDescriptors() { ::setrlimit(RLIMIT_NOFILE, &old_); }
    NoFreeDescriptors(const NoFreeDescriptors&) = delete;
    NoFreeDescriptors& operator=(const NoFreeDescriptors&) = delete;

private:
    rlimit old_{};
};

} // namespace

TEST(IniFile, FailedReadNeverLeadsToAWriteThatLosesTheFile) {
    TempDir dir;
    WriteBytes(dir / "x.ini", "[A]\r\nk=1\r\n[B]\r\nm=2\r\n");
    IniFile ini(dir / "x.ini");
    EXPECT_EQ(ini.ReadString("B", "m", ""), "2");
    WriteBytes(dir / "x.ini", "[A]\r\nk=1\r\n[B]\r\nm=2\r\nn=3\r\n"); // another program adds
    {
        NoFreeDescriptors guard;
        // The change cannot be read now: what was read last still answers.
        EXPECT_EQ(ini.ReadString("B", "m", ""), "2");
    }
    ASSERT_TRUE(ini.WriteString("A", "k", "5"));
    EXPECT_EQ(ReadBytes(dir / "x.ini"), "[A]\r\nk=5\r\n[B]\r\nm=2\r\nn=3\r\n");
}

TEST(IniFile, WriteStartsFromWhatIsOnDiskEvenWhenSizeAndTimeDidNotChange) {
    TempDir dir;
    WriteBytes(dir / "x.ini", "[A]\r\nk=1\r\n");
    IniFile ini(dir / "x.ini");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
    // Another program's edit within one tick of the file system's clock: same size, same time.
    const auto time = std::filesystem::last_write_time(dir / "x.ini");
    WriteBytes(dir / "x.ini", "[A]\r\nk=2\r\n");
    std::filesystem::last_write_time(dir / "x.ini", time);
    ASSERT_TRUE(ini.WriteString("A", "j", "9"));
    EXPECT_EQ(ReadBytes(dir / "x.ini"), "[A]\r\nk=2\r\nj=9\r\n");
}

TEST(IniFile, NoWrittenTextCanBreakTheLinesOfTheFile) {
    TempDir dir;
    WriteBytes(dir / "x.ini", "[A]\r\nk=1\r\n");
    IniFile ini(dir / "x.ini");
    // A line end in a value would start a section or a key of its own.
    ASSERT_TRUE(ini.WriteString("A", "k", "a\r\n[B]\nm=2"));
    EXPECT_EQ(ReadBytes(dir / "x.ini"), "[A]\r\nk=a  [B] m=2\r\n");
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"A"});

    // Names that cannot be read back are refused and the file stays as it was.
    for (const auto& [section, key] :
         std::vector<std::pair<std::string, std::string>>{{"A", ""},
                                                          {"A", " "},
                                                          {"A", "x=y"},
                                                          {"A", "x\ny"},
                                                          {"A", "[C]"},
                                                          {"A]", "k"},
                                                          {"A\r\nB", "k"},
                                                          {"", "k"}}) {
        EXPECT_FALSE(ini.WriteString(section, key, "v")) << section << "/" << key;
        EXPECT_FALSE(ini.LastError().empty());
    }
    EXPECT_EQ(ReadBytes(dir / "x.ini"), "[A]\r\nk=a  [B] m=2\r\n");
}

TEST(IniFile, BatchReplacesTheFileOnceAndKeepsItsChangesAgainstOtherWriters) {
    TempDir dir;
    WriteBytes(dir / "x.ini", "[A]\nk=1\n");
    IniFile ini(dir / "x.ini");
    {
        IniFile::Batch outer(ini);
        {
            IniFile::Batch inner(ini);
            for (int i = 0; i < 50; ++i) {
                ASSERT_TRUE(ini.WriteInteger("B", "k" + std::to_string(i), i));
            }
        }
        EXPECT_EQ(ini.SaveCount(), 0U); // the inner batch does not write
        EXPECT_EQ(ini.ReadInteger("B", "k7", -1), 7);
        EXPECT_EQ(ReadBytes(dir / "x.ini"), "[A]\nk=1\n");
    }
    EXPECT_EQ(ini.SaveCount(), 1U);
    EXPECT_EQ(IniFile(dir / "x.ini").ReadInteger("B", "k49", -1), 49);
    {
        IniFile::Batch nothing(ini);
        ini.WriteInteger("A", "k", 1); // unchanged: nothing to write
    }
    EXPECT_EQ(ini.SaveCount(), 1U);
}
