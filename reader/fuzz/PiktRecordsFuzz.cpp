// Control-description files (Pikt*.dat) come from another program: any whole records must read
// into sheets that lay out and pack without fault, and every sheet must land on a page.
#include "PiktSheets.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Text measures without a font: wider and taller fonts by number, enough to move things about.
struct Metrics : fPikt::PiktMetrics {
    int TextWidth(int font, const std::string& utf8) const override {
        return static_cast<int>(utf8.size()) * (font + 3);
    }
    int TextHeight(int font) const override { return 10 + font; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks printer or screen geometry; the rest is the file, cut to whole
    // records as the spooler hands it on.
    const bool printer = (data[0] & 1) != 0;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    bytes = bytes.substr(0, bytes.size() - bytes.size() % fPikt::TPiktRec::Size);

    fPikt::TSeznamPopisu list(printer);
    list.ReadRecords(bytes);
    list.Sort();
    const Metrics metrics;
    for (const fPikt::TPiktogram& sheet : list.Sheets()) {
        if (sheet.Data().n > fPikt::MaxControls) {
            std::abort();
        }
        if (sheet.Layout(metrics).lines.empty()) {
            std::abort(); // every sheet has its grid
        }
    }
    size_t packed = 0;
    for (const fPikt::PiktPage& page : list.Pack(2480, 3508)) {
        if (page.empty()) {
            std::abort(); // no empty page is printed
        }
        packed += page.size();
    }
    if (packed != list.Sheets().size()) {
        std::abort();
    }
    return 0;
}
