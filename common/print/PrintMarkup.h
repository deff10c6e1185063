#pragma once

#include "SI_Font.h"
#include "Tools.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The markup of print files: a printer tag on a file's first line and font tags inside lines.
// Pure text in, pieces and font changes out; the spooler draws them. Lines are UTF-8.
namespace printing {

// The colour value "no colour" (NONE, WHITE); such text prints black.
inline constexpr int64_t BarvaZadna = 0x1FFFFFFF;

// A font tag's ">" must come within this many characters of its "<", or the tag is text.
inline constexpr size_t MaxDelkaTagu = 255;

struct PrinterTag {
    bool valid = false;
    int printer = 0;  // n of the printer setting "Tiskarna" + n
    size_t start = 0; // byte offset of the text after the tag
};

// "<PRINTER=n>" in any letter case, n a whole number. No tag or a bad number: printer 0 from
// the line's start.
PrinterTag FindPrinterTag(std::string_view line);

struct LinePiece {
    bool tag = false; // true: text is a font tag's text, between "<FONT" and ">"
    std::string text;
};

// A line as text to print and font tags to apply, in order.
std::vector<LinePiece> SplitFontTags(std::string_view line);

// Applies a font tag's text: exactly "=0".."=9" takes a copy of that user font; anything else
// is read as KEY=value pairs.
void NastavFontTisku(std::string_view tagText, Tools::FontSpec& font,
                     const SI_Font::UserFonts& userFonts);
// One pair: NAME, SIZE, STYLE or COLOR; other keys, an empty key or value change nothing.
void NastavKlicFontu(std::string_view key, std::string_view value, Tools::FontSpec& font);

// What PridatFF asks at the end of a file: 1 add a form feed when the last line has none,
// 0 leave the file as it is, -1 drop a final form feed and the blank lines after it. Other
// values leave the file as it is.
class FormFeedFilter {
public:
    explicit FormFeedFilter(int32_t pridatFF) : mode_(pridatFF) {}
    // Takes the file's next line and appends the lines to print now.
    void Line(std::string line, std::vector<std::string>& out);
    // The end of the file.
    void End(std::vector<std::string>& out);

private:
    int32_t mode_;
    bool lastEndsFF_ = false; // the last printed line ended with a form feed
    int held_ = 0;            // blank lines held back after a form feed
};

// Without leading and trailing blanks and control characters.
std::string_view TrimBlank(std::string_view s);
// Upper case of the ASCII letters only, so byte offsets stay valid.
std::string AsciiUpper(std::string_view s);
// An optional sign and decimal digits that fit an int, nothing else.
bool ParseWholeNumber(std::string_view s, int& value);

} // namespace printing
