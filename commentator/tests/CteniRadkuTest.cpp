#include "CteniRadku.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace CteniRadku;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

// The lines as one read per line finds them: read one window at the position, cut at the
// first terminator and the terminators after it within the window; stop at a window without
// one.
std::vector<std::string> OneReadPerLine(const std::string& data, size_t& position) {
    std::vector<std::string> lines;
    for (;;) {
        const std::string window = data.substr(position, Window);
        const size_t i = window.find_first_of("\r\n");
        if (i == std::string::npos) {
            return lines;
        }
        size_t j = i + 1;
        while (j < window.size() && (window[j] == '\r' || window[j] == '\n')) {
            ++j;
        }
        lines.push_back(window.substr(0, j));
        position += j;
    }
}

struct Collected {
    std::vector<std::string> lines;
    std::vector<int64_t> longAt;
    int rewinds = 0;
    TRadky Out() {
        TRadky out;
        out.Line = [this](std::string_view l) { lines.emplace_back(l); };
        out.LongLine = [this](int64_t at) { longAt.push_back(at); };
        out.Rewind = [this] { ++rewinds; };
        return out;
    }
};

// Feeds data in pieces of `piece` bytes, keeping what was not consumed, as the file reader does.
Collected CutInPieces(const std::string& data, size_t piece, size_t& consumed) {
    Collected c;
    TStavCteni state;
    std::string pending;
    consumed = 0;
    for (size_t at = 0; at <= data.size(); at += piece) {
        pending += data.substr(at, piece);
        const bool atEnd = at + piece > data.size();
        const size_t used =
            CutLines(pending, atEnd, false, state, c.Out(), static_cast<int64_t>(consumed));
        pending.erase(0, used);
        consumed += used;
    }
    return c;
}

int OpenHandles() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++n;
    }
    return n;
}

void Append(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

} // namespace

TEST(CteniRadku, BlocksCutTheSameLinesAsOneReadPerLine) {
    const std::string line999(MaxLine, 'x');
    const std::vector<std::string> inputs = {
        "1;10:00;31\r\n2;10:01;31\r\n",
        "a\nb\rc\r\n\nd\r\n\r\n",
        "a\r\n\n" + std::string(1200, '\n') + "b\r\n",
        line999 + "\r\n" + "next\r\n",
        line999 + "\n" + line999 + "\r\n\r\n",
        "\r\nfirst after a blank line\r\n",
        "complete\r\npartial without terminator",
    };
    for (const std::string& data : inputs) {
        SCOPED_TRACE(data.substr(0, 40));
        size_t refPos = 0;
        const std::vector<std::string> want = OneReadPerLine(data, refPos);
        for (size_t piece :
             {size_t{1}, size_t{2}, size_t{7}, size_t{999}, size_t{1000}, size_t{4096}}) {
            size_t consumed = 0;
            const Collected got = CutInPieces(data, piece, consumed);
            EXPECT_EQ(got.lines, want) << "pieces of " << piece;
            EXPECT_EQ(consumed, refPos) << "pieces of " << piece;
        }
    }
}

TEST(CteniRadku, OverLongLineIsDroppedUpToItsTerminatorAndReported) {
    const std::string data = "a\r\n" + std::string(5000, 'y') + "\r\n\r\nb\r\n" +
                             std::string(MaxLine + 1, 'z') + "\nc\n";
    for (size_t piece : {size_t{3}, size_t{1000}, size_t{65536}}) {
        size_t consumed = 0;
        const Collected got = CutInPieces(data, piece, consumed);
        EXPECT_EQ(got.lines, (std::vector<std::string>{"a\r\n", "b\r\n", "c\n"}));
        EXPECT_EQ(got.longAt, (std::vector<int64_t>{3, 5000 + 3 + 4 + 3}));
        EXPECT_EQ(consumed, data.size());
    }
}

TEST(CteniRadku, FileTailAcrossPollsRewindMissingFileAndHandles) {
    TempDir dir;
    const auto file = dir / "Mez.txt";
    TStavCteni state;
    Collected c;
    const int handles = OpenHandles();
    int err = 0;

    EXPECT_EQ(ReadAppended("", state, c.Out()), Vysledek::NoName);
    EXPECT_EQ(ReadAppended(file, state, c.Out(), false, &err), Vysledek::NotFound);
    EXPECT_EQ(err, ENOENT);
    EXPECT_EQ(ReadAppended(dir / "no" / "x.txt", state, c.Out()), Vysledek::NotFound);
    EXPECT_EQ(ReadAppended(dir.Path(), state, c.Out(), false, &err), Vysledek::OpenFailed);
    EXPECT_EQ(err, EISDIR);

    // A partial line waits for its terminator; a CR at the end of one poll and the LF at the
    // next give an empty line of its own, as one read per line does.
    WriteBytes(file, "1;10:00;31\r\n2;10:0");
    EXPECT_EQ(ReadAppended(file, state, c.Out()), Vysledek::Read);
    EXPECT_EQ(state.Position, 12);
    Append(file, "1;31\r");
    ReadAppended(file, state, c.Out());
    Append(file, "\n\n" + std::string(3000, 'q'));
    ReadAppended(file, state, c.Out());
    Append(file, "\r\n3;10:02;31\r\n");
    ReadAppended(file, state, c.Out());
    EXPECT_EQ(c.lines, (std::vector<std::string>{"1;10:00;31\r\n", "2;10:01;31\r", "\n\n",
                                                 "3;10:02;31\r\n"}));
    EXPECT_EQ(c.longAt, (std::vector<int64_t>{25}));
    EXPECT_EQ(state.Position, static_cast<int64_t>(std::filesystem::file_size(file)));

    // Missing at one poll: the position is kept for when it comes back.
    const auto aside = dir / "aside.txt";
    std::filesystem::rename(file, aside);
    EXPECT_EQ(ReadAppended(file, state, c.Out()), Vysledek::NotFound);
    std::filesystem::rename(aside, file);
    Append(file, "4;10:03;31\r\n");
    c.lines.clear();
    ReadAppended(file, state, c.Out());
    EXPECT_EQ(c.lines, (std::vector<std::string>{"4;10:03;31\r\n"}));

    // Cut shorter than the position: read again from the start.
    WriteBytes(file, "9;11:00;31\r\n");
    c.lines.clear();
    ReadAppended(file, state, c.Out());
    EXPECT_EQ(c.rewinds, 1);
    EXPECT_EQ(c.lines, (std::vector<std::string>{"9;11:00;31\r\n"}));

    // A hand-made file's last line counts without a terminator.
    WriteBytes(file, "a\r\nlast");
    TStavCteni whole;
    c.lines.clear();
    ReadAppended(file, whole, c.Out(), true);
    EXPECT_EQ(c.lines, (std::vector<std::string>{"a\r\n", "last"}));

    EXPECT_EQ(OpenHandles(), handles);
}

// A file replaced under the reader is read again from its start (the caller forgets its chip
// memory on the rewind); a rewrite that keeps every byte read goes on where it was.
TEST(CteniRadku, ReplacedFileIsReadFromItsStart) {
    const std::string old = "1;10:00;31\r\n22;10:01;31\r\n";
    const std::string shifted = "1;10:00;31\r\n2;10:01;31\r\n99;10:31;1\r\n";
    const std::vector<std::string> all = {"1;10:00;31\r\n", "2;10:01;31\r\n", "99;10:31;1\r\n"};
    for (const auto& [renamedOver, now, rewinds, lines] :
         {std::tuple{true, shifted, 1, all},
          {false, shifted, 1, all},
          {false, old + "4;10:03;31\r\n", 0, std::vector<std::string>{"4;10:03;31\r\n"}}}) {
        SCOPED_TRACE(now);
        TempDir dir;
        const auto file = dir / "Cil00071.csv";
        WriteBytes(file, old);
        TStavCteni state;
        ReadAppended(file, state, Collected().Out());
        WriteBytes(renamedOver ? dir / "new.csv" : file, now);
        if (renamedOver) {
            std::filesystem::rename(dir / "new.csv", file);
        }
        Collected got;
        ReadAppended(file, state, got.Out());
        EXPECT_EQ(got.lines, lines);
        EXPECT_EQ(got.rewinds, rewinds);
    }
}
