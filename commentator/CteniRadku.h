#pragma once

// Reading the lines other programs keep appending to a file: only the bytes that came since
// the last poll are read, in blocks, and cut into whole lines exactly as if each line had been
// read on its own.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace CteniRadku {

// A line is at most this many bytes before its terminators; a longer one is dropped.
constexpr size_t MaxLine = 999;
// One line read looks at this many bytes: the line and the start of its terminators.
constexpr size_t Window = MaxLine + 1;

// Where the reading of one source stands.
struct TStavCteni {
    int64_t Position = 0;  // first byte not yet consumed
    bool Dropping = false; // inside an over-long line whose terminator has not come yet
    // The file read up to Position: its identity, and the last bytes consumed, which must
    // still be there for reading on to be right.
    uint64_t Device = 0;
    uint64_t Inode = 0;
    std::string Tail;
};

struct TRadky {
    // One whole line, its terminators (CR, LF, any run of them) included.
    std::function<void(std::string_view line)> Line;
    // An over-long line starts at this byte of the file; it is skipped up to its terminator.
    std::function<void(int64_t at)> LongLine;
    // The file became shorter than the position, or was replaced (another file, or other
    // bytes before the position): it is read again from its start.
    std::function<void()> Rewind;
};

// Cuts the lines at the front of data (the bytes from the reading position on) and returns the
// number of bytes consumed. A line ends at its first CR or LF and takes the CR and LF bytes
// that follow, within the window of one line read. With atEnd false, nothing is decided that
// bytes still to come could change; with atEnd true the data is all there is for now, and a
// last line without a terminator is handed over only when takeTail is set. `at` is the file
// offset of data[0], for the report of an over-long line.
size_t CutLines(std::string_view data, bool atEnd, bool takeTail, TStavCteni& state,
                const TRadky& out, int64_t at = 0);

enum class Vysledek {
    NoName,     // no file name
    Read,       // opened and read (an I/O error in the middle ends the read, as at its end)
    NotFound,   // the file (or its folder) does not exist
    OpenFailed, // it exists but cannot be opened
};

// Opens the file, reads what was appended since state.Position in blocks and cuts it into
// lines; state.Position moves past every consumed byte. errorCode receives errno of a failed
// open. The file is closed before the call returns, on every path.
Vysledek ReadAppended(const std::filesystem::path& file, TStavCteni& state, const TRadky& out,
                      bool takeTail = false, int* errorCode = nullptr);

} // namespace CteniRadku
