// The line cutter gets whatever other programs append. However the bytes arrive in pieces, it
// must cut the same lines, consume every byte it hands over, and, while no line is over-long,
// cut exactly the lines that one read per line would.
#include "CteniRadku.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace CteniRadku;

namespace {

struct Cut {
    std::vector<std::string> lines;
    size_t consumed = 0;
    size_t longLines = 0;
};

Cut CutInPieces(const std::string& data, size_t piece) {
    Cut cut;
    TStavCteni state;
    TRadky out;
    out.Line = [&](std::string_view l) { cut.lines.emplace_back(l); };
    out.LongLine = [&](int64_t at) {
        Check(at >= static_cast<int64_t>(cut.consumed));
        ++cut.longLines;
    };
    std::string pending;
    for (size_t at = 0; at <= data.size(); at += piece) {
        pending += data.substr(at, piece);
        const size_t used = CutLines(pending, at + piece > data.size(), false, state, out,
                                     static_cast<int64_t>(cut.consumed));
        Check(used <= pending.size());
        pending.erase(0, used);
        cut.consumed += used;
    }
    return cut;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    // Short inputs rarely hold over-long lines; a first byte above 200 stretches every 'x'.
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] > 200) {
        std::string wide;
        for (char c : bytes) {
            wide += c == 'x' ? std::string(400, 'x') : std::string(1, c);
        }
        bytes = wide;
    }
    const Cut whole = CutInPieces(bytes, bytes.size() + 1);
    const Cut pieces = CutInPieces(bytes, 1 + data[0] % 37);
    Check(whole.lines == pieces.lines && whole.consumed == pieces.consumed &&
          whole.longLines == pieces.longLines);
    size_t total = 0;
    for (const std::string& l : whole.lines) {
        Check(!l.empty() && l.size() <= Window);
        Check(l.back() == '\r' || l.back() == '\n');
        total += l.size();
    }
    Check(total <= whole.consumed);
    if (whole.longLines == 0) {
        // One read per line, as a reference.
        size_t position = 0;
        size_t n = 0;
        for (;;) {
            const std::string window = bytes.substr(position, Window);
            const size_t i = window.find_first_of("\r\n");
            if (i == std::string::npos) {
                break;
            }
            size_t j = i + 1;
            while (j < window.size() && (window[j] == '\r' || window[j] == '\n')) {
                ++j;
            }
            Check(n < whole.lines.size() && whole.lines[n++] == window.substr(0, j));
            position += j;
        }
        Check(n == whole.lines.size() && position == whole.consumed);
    }
    return 0;
}
