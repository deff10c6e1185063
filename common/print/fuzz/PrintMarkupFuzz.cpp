// Print files come from another program: the markup parser must take any line.
#include "PrintMarkup.h"
#include "platform/Cp1250.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Print files are Windows-1250; the spooler parses them as UTF-8.
    const std::string line =
        platform::Cp1250ToUtf8(std::string(reinterpret_cast<const char*>(data), size));

    const printing::PrinterTag tag = printing::FindPrinterTag(line);
    if (tag.start > line.size() || (!tag.valid && (tag.start != 0 || tag.printer != 0))) {
        std::abort();
    }

    // Every byte of the line is either text to print or part of a tag ("<FONT" + text + ">").
    SI_Font::UserFonts fonts;
    for (int i = 0; i < SI_Font::PocetFontu; ++i) {
        fonts[i] = SI_Font::VychoziFont();
    }
    Tools::FontSpec font = fonts[0];
    size_t covered = 0;
    for (const printing::LinePiece& piece : printing::SplitFontTags(line)) {
        covered += piece.text.size() + (piece.tag ? 6 : 0);
        if (piece.tag) {
            printing::NastavFontTisku(piece.text, font, fonts);
            if (font.size < 1 || font.size > 500) {
                std::abort();
            }
        }
    }
    if (covered != line.size()) {
        std::abort();
    }

    printing::FormFeedFilter filter(size > 0 ? static_cast<int>(data[0] % 3) - 1 : -1);
    std::vector<std::string> out;
    size_t from = 0;
    for (size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\n') {
            filter.Line(line.substr(from, i - from), out);
            from = i + 1;
        }
    }
    filter.End(out);
    return 0;
}
