#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "testsupport/TempDir.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>
#include <vector>

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;
namespace fs = std::filesystem;

TEST(Cp1250, RoundTripsEveryByteAndCzechText) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(platform::Utf8ToCp1250(platform::Cp1250ToUtf8(all)), all);

    // Every byte against glibc's table, both ways (the five bytes it leaves undefined only
    // round-trip, above).
    iconv_t cd = iconv_open("UTF-8", "CP1250");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int compared = 0;
    for (int b = 1; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[8];
        char* inp = &in;
        char* outp = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) {
            continue;
        }
        const std::string utf8(out, outp);
        EXPECT_EQ(platform::Cp1250ToUtf8(std::string(1, in)), utf8) << "byte " << b;
        EXPECT_EQ(platform::Utf8ToCp1250(utf8), std::string(1, in)) << utf8;
        ++compared;
    }
    iconv_close(cd);
    EXPECT_EQ(compared, 250);

    const std::string czech = "Příliš žluťoučký kůň úpěl ďábelské ódy ŠČŘŽÝÁÍÉŮÚŤĎŇ";
    const std::string bytes = platform::Utf8ToCp1250(czech);
    EXPECT_EQ(bytes.size(), platform::Utf8Length(czech));
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xF8); // ř
    EXPECT_EQ(platform::Cp1250ToUtf8(bytes), czech);
}

TEST(Cp1250, UnmappableAndMalformedInputBecomesQuestionMarks) {
    EXPECT_EQ(platform::Utf8ToCp1250("a€b"), "a\x80"
                                             "b");
    EXPECT_EQ(platform::Utf8ToCp1250("日本"), "??");
    EXPECT_EQ(platform::Utf8ToCp1250("x\xC3"), "x?");    // cut sequence
    EXPECT_EQ(platform::Utf8ToCp1250("\xFF\xFE"), "??"); // not UTF-8 at all
    EXPECT_EQ(platform::Utf8Left("žluť", 3), "žlu");
}

TEST(Cp1250, CaseInsensitiveComparisonKnowsCzechLetters) {
    EXPECT_TRUE(platform::Utf8EqualNoCase("Přihlášky.TXT", "PŘIHLÁŠKY.txt"));
    EXPECT_TRUE(platform::Utf8EqualNoCase("ďťň", "ĎŤŇ"));
    EXPECT_FALSE(platform::Utf8EqualNoCase("abc", "abd"));
    EXPECT_FALSE(platform::Utf8EqualNoCase("日", "本")); // both '?' in the code page
}

TEST(ShortString, StoresLengthCharactersAndZeroRest) {
    uint8_t field[9];
    std::memset(field, 0xAA, sizeof field);
    platform::PutShortString(field, 8, "Žák");
    const uint8_t expected[9] = {3, 0x8E, 0xE1, 'k', 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(field, expected, 9));
    EXPECT_EQ(platform::GetShortString(field, 8), "Žák");

    // Cut by characters: eight Czech letters fit, the ninth does not.
    platform::PutShortString(field, 8, "ěščřžýáíé");
    EXPECT_EQ(field[0], 8);
    EXPECT_EQ(platform::GetShortString(field, 8), "ěščřžýáí");

    // A damaged length byte never reads beyond the field.
    field[0] = 200;
    EXPECT_EQ(platform::GetShortString(field, 8).size(), std::string("ěščřžýáí").size());
}

TEST(Files, LooksUpNamesWithoutRegardToCase) {
    TempDir dir;
    fs::create_directories(dir / "Zav_2024" / "zz0012");
    WriteBytes(dir / "Zav_2024" / "zz0012" / "DISPLAY.TXT", "x");
    WriteBytes(dir / "exact.txt", "1");
    WriteBytes(dir / "EXACT.txt", "2");

    auto hit = platform::FindNoCase(dir.Path(), "display.txt");
    EXPECT_FALSE(hit);
    hit = platform::FindNoCase(dir / "Zav_2024" / "zz0012", "Display.txt");
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->filename(), "DISPLAY.TXT");
    EXPECT_EQ(platform::FindNoCase(dir.Path(), "exact.txt")->filename(), "exact.txt");

    EXPECT_EQ(platform::ResolveNoCase(dir / "ZAV_2024" / "ZZ0012" / "display.txt"),
              dir / "Zav_2024" / "zz0012" / "DISPLAY.TXT");
    // The part that does not exist stays as given, so it can be created.
    EXPECT_EQ(platform::ResolveNoCase(dir / "zav_2024" / "New" / "f.si1"),
              dir / "Zav_2024" / "New" / "f.si1");
}

TEST(Files, MasksMatchAsOnWindowsAndListInNameOrder) {
    EXPECT_TRUE(platform::MaskMatches("*.txt", "A.TXT"));
    EXPECT_TRUE(platform::MaskMatches("Pikt*.dat", "pikt12.DAT"));
    EXPECT_TRUE(platform::MaskMatches("t?.txt", "tě.txt"));
    EXPECT_TRUE(platform::MaskMatches("*.*", "noext"));
    EXPECT_TRUE(platform::MaskMatches("*a*b", "xxaxxab"));
    EXPECT_FALSE(platform::MaskMatches("*.txt", "a.txt.part"));
    EXPECT_FALSE(platform::MaskMatches("Pikt*.dat", "xPikt1.dat"));
    EXPECT_FALSE(platform::MaskMatches("", "a"));

    TempDir dir;
    for (const char* name : {"b.CSV", "A.csv", "a.odp", ".hidden.csv", "c.csv.tmp"}) {
        WriteBytes(dir / name, "x");
    }
    fs::create_directories(dir / "dir.csv");
    std::vector<std::string> names;
    for (const fs::path& p : platform::ListByMask(dir.Path(), "*.csv")) {
        names.push_back(p.filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A.csv", "b.CSV"}));
    EXPECT_TRUE(platform::ListByMask(dir / "missing", "*").empty());
}

// Each row drives one dropped file through writes, waits and looks; a wrong guess must cost
// nothing: taken too early means taken again, never lost or deleted unread.
TEST(Files, DroppedFileIsTakenWhenQuietTakenAgainWhenChangedAndDeletedOnlyAsRead) {
    enum Op {
        Write,
        Append,
        RenameOver,
        Wait,
        Stable,
        NotStable,
        New,
        NotNew,
        Take,
        Read,
        Remove,
        Kept
    };
    struct Step {
        Op op;
        std::string text = {};
    };
    struct Row {
        const char* name;
        platform::StableFileCheck::Ends ends;
        std::vector<Step> steps;
    };
    using E = platform::StableFileCheck::Ends;
    const std::vector<Row> rows = {
        {"missing", E::Any, {{NotStable}, {Wait, "3000"}, {NotStable}}},
        {"quiet for the whole period, however often looked at",
         E::Any,
         {{Write, "a\n"}, {NotStable}, {Wait, "1000"}, {NotStable}, {Wait, "1000"}, {Stable}}},
        {"half written with a pause longer than the poll interval",
         E::Any,
         {{Write, "a\n"},
          {NotStable},
          {Wait, "1500"},
          {Append, "b\n"},
          {NotStable},
          {Wait, "1500"},
          {NotStable},
          {Wait, "500"},
          {Stable}}},
        {"empty, and empty then filled",
         E::Any,
         {{Write, ""},
          {NotStable},
          {Wait, "5000"},
          {NotStable},
          {Write, "a\n"},
          {NotStable},
          {Wait, "2000"},
          {Stable}}},
        {"last line cut waits longer, not for ever",
         E::LineEnd,
         {{Write, "a\nb"}, {NotStable}, {Wait, "5000"}, {NotStable}, {Wait, "5000"}, {Stable}}},
        {"renamed over with the same size and time is another file",
         E::Any,
         {{Write, "abc"},
          {NotStable},
          {Wait, "2000"},
          {Stable},
          {RenameOver, "ABC"},
          {NotStable},
          {Wait, "2000"},
          {Stable}}},
        {"rewritten in place after it was taken is taken again",
         E::Any,
         {{Write, "1-20\n"},
          {NotStable},
          {Wait, "2000"},
          {New},
          {Take},
          {NotNew},
          {Append, "21-40\n"},
          {NotNew},
          {Wait, "2000"},
          {New},
          {Take},
          {Wait, "2000"},
          {NotNew}}},
        {"deleted after use while still the file read",
         E::Any,
         {{Write, "t\n"}, {NotStable}, {Wait, "2000"}, {Stable}, {Read, "t\n"}, {Remove, "1"}}},
        {"a new ticket renamed over the name while the old one printed stays",
         E::Any,
         {{Write, "old\n"},
          {NotStable},
          {Wait, "2000"},
          {Stable},
          {Read, "old\n"},
          {RenameOver, "new\n"},
          {Remove, "0"},
          {Kept, "new\n"}}},
        {"written in place while being read is not read",
         E::Any,
         {{Write, "old\n"},
          {NotStable},
          {Wait, "2000"},
          {Stable},
          {Append, "more\n"},
          {Read, ""},
          {Remove, "0"},
          {Kept, "old\nmore\n"}}},
    };
    platform::FakeClock clock;
    platform::SetClock(&clock);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path f = dir / "drop.txt";
        platform::StableFileCheck check(row.ends);
        int64_t mtime = 0; // every write lands in the same second: size and identity must tell
        for (const Step& step : row.steps) {
            switch (step.op) {
            case Write:
            case Append: {
                const int fd = ::open(
                    f.c_str(), O_WRONLY | O_CREAT | (step.op == Write ? O_TRUNC : O_APPEND), 0644);
                ASSERT_GE(fd, 0);
                ASSERT_EQ(::write(fd, step.text.data(), step.text.size()),
                          static_cast<ssize_t>(step.text.size()));
                ::close(fd);
                break;
            }
            case RenameOver:
                WriteBytes(dir / "new.tmp", step.text);
                fs::rename(dir / "new.tmp", f);
                break;
            case Wait:
                clock.Advance(std::stoll(step.text));
                break;
            case Stable:
            case NotStable:
                EXPECT_EQ(check.IsStable(f), step.op == Stable);
                break;
            case New:
            case NotNew:
                EXPECT_EQ(check.IsNew(f), step.op == New);
                break;
            case Take:
                check.MarkTaken(f);
                break;
            case Read: {
                std::string bytes;
                EXPECT_EQ(check.ReadStable(f, bytes, nullptr), !step.text.empty());
                EXPECT_EQ(bytes, step.text);
                break;
            }
            case Remove:
                EXPECT_EQ(check.RemoveTaken(f), step.text == "1");
                EXPECT_EQ(fs::exists(f), step.text != "1");
                break;
            case Kept:
                EXPECT_EQ(ReadBytes(f), step.text);
                break;
            }
            if (fs::exists(f)) {
                const auto t = fs::last_write_time(f);
                if (mtime == 0) {
                    mtime = t.time_since_epoch().count();
                }
                fs::last_write_time(f, decltype(t)(decltype(t)::duration(mtime)));
            }
        }
    }
    platform::SetClock(nullptr);
}

TEST(Files, SettingsFileLackingAKeptOrRequiredKeyIsIncomplete) {
    platform::KeptKeys kept;
    EXPECT_EQ(kept.Missing({"Rok"}, {"Zavod", "Etapa"}), " Zavod Etapa");
    EXPECT_EQ(kept.Missing({"rok", "ZAVOD", "Etapa"}, {"Zavod", "Etapa"}), "");
    kept.Remember({"Rok", "Zavod", "Etapa", "Start00"});
    EXPECT_EQ(kept.Missing({"Rok", "Zavod", "Etapa"}, {"Zavod"}), " Start00");
    EXPECT_EQ(kept.Missing({"start00", "Rok", "Zavod", "Etapa", "New"}), "");
}

TEST(Files, AtomicWriteReplacesWholeFileOrReportsWhy) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(platform::WriteFileAtomic(dir / "a.txt", "one", &error));
    ASSERT_TRUE(platform::WriteFileAtomic(dir / "a.txt", "two", &error));
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "two");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
    EXPECT_FALSE(platform::WriteFileAtomic(dir / "no" / "a.txt", "x", &error));
    EXPECT_NE(error.find("a.txt"), std::string::npos);
}

// A power cut can leave a text file with a cut last line or a tail of NUL bytes, and a record
// file with a torn last record: the next append mends that first, and leaves a whole file be.
TEST(Files, AppendMendsACutTailAndLeavesAWholeFileAlone) {
    const auto lines = platform::AppendTail::Lines("\r\n");
    const auto records = platform::AppendTail::Records(4);
    const std::string nuls(5000, '\0'); // more than one block read back
    struct Row {
        const char* what;
        std::string before;
        platform::AppendTail tail;
        std::string after; // with "new\r\n" or "wxyz" appended
        bool mended;
    };
    const std::vector<Row> rows = {
        {"missing file", "", lines, "new\r\n", false},
        {"whole lines", "a\r\n", lines, "a\r\nnew\r\n", false},
        {"LF alone", "a\n", lines, "a\nnew\r\n", false},
        {"CR alone", "a\r", lines, "a\rnew\r\n", false},
        {"cut line", "a\r\n    700005 ; 10:10:0", lines, "a\r\n    700005 ; 10:10:0\r\nnew\r\n",
         true},
        {"NUL tail", "a\r\n" + std::string(64, '\0'), lines, "a\r\nnew\r\n", true},
        {"cut line, NUL tail", "a\r\nxy" + nuls, lines, "a\r\nxy\r\nnew\r\n", true},
        {"only NULs", nuls, lines, "new\r\n", true},
        {"whole records", "abcd", records, "abcdwxyz", false},
        {"torn record", "abcdEF", records, "abcdwxyz", true},
        {"no tail given", "a", {}, "anew\r\n", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        if (!row.before.empty()) {
            WriteBytes(dir / "f", row.before);
        }
        std::string error;
        std::string mended = "stale";
        const std::string bytes = row.tail.recordSize > 0 ? "wxyz" : "new\r\n";
        ASSERT_TRUE(platform::AppendWhole(dir / "f", bytes, &error, row.tail, &mended)) << error;
        EXPECT_EQ(ReadBytes(dir / "f"), row.after);
        EXPECT_EQ(!mended.empty(), row.mended) << mended;
    }
}

// A caller that must roll back a partly written block needs to know how much went out.
TEST(Files, WriteAllSaysHowMuchWentOutAndWhyItStopped) {
    int err = 0;
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_EQ(platform::WriteAll(full, "abc", &err), 0u);
    EXPECT_EQ(err, ENOSPC);
    ::close(full);

    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    const std::string big(1 << 20, 'x'); // more than a pipe holds
    err = 0;
    const size_t done = platform::WriteAll(fds[1], big, &err);
    EXPECT_GT(done, 0u);
    EXPECT_LT(done, big.size());
    EXPECT_EQ(err, EAGAIN);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(Files, WholeFileReadRefusesAFileLargerThanAsked) {
    TempDir dir;
    WriteBytes(dir / "f", std::string(100'000, 'x'));
    std::string bytes = "old";
    std::string error;
    EXPECT_FALSE(platform::ReadWholeFile(dir / "f", bytes, &error, 99'999));
    EXPECT_EQ(bytes, "");
    EXPECT_NE(error.find("larger than 99999 bytes"), std::string::npos) << error;
    ASSERT_TRUE(platform::ReadWholeFile(dir / "f", bytes, &error, 100'000));
    EXPECT_EQ(bytes.size(), 100'000u);
    ASSERT_TRUE(platform::ReadWholeFile(dir / "f", bytes, &error));
    EXPECT_EQ(bytes.size(), 100'000u);
}

TEST(Paths, WindowsPathsBecomeLinuxPaths) {
    TempDir dir;
    fs::create_directories(dir / "Ravlin" / "Zav_2024");
    platform::SetDriveRoot('d', dir.Path());
    EXPECT_EQ(platform::FromWindowsPath("D:\\RAVLIN\\zav_2024\\"),
              (dir / "Ravlin" / "Zav_2024").string() + "/");
    EXPECT_EQ(platform::FromWindowsPath("print\\"), "print/");
    EXPECT_EQ(platform::FromWindowsPath(""), "");
    platform::SetDriveRoot('d', {});
    EXPECT_EQ(platform::FromWindowsPath("D:\\nikde\\x"), "/nikde/x");
    EXPECT_EQ(platform::WithTrailingSlash("a"), "a/");
    EXPECT_EQ(platform::WithTrailingSlash("a/"), "a/");
}

TEST(Clock, FakeClockMovesBothClocksAndWrapsAtMidnight) {
    platform::FakeClock clock;
    clock.SetWall({2026, 12, 8, 23, 59, 59, 500});
    const int64_t t0 = clock.MonotonicMs();
    clock.Advance(1000);
    EXPECT_EQ(clock.MonotonicMs() - t0, 1000);
    const platform::WallTime w = clock.Now();
    EXPECT_EQ(platform::TimeText(w), "00:00:00");
    EXPECT_EQ(w.day, 9);
    EXPECT_EQ(w.millisecond, 500);
}
