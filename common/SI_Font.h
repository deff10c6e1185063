#pragma once

#include "Tools.h"
#include "platform/IniFile.h"

#include <array>
#include <string>

// The ten user fonts Font0..Font9 that print markup picks by number (font 0 is also the base
// font of a printed file). Kept in the settings file, one section each. Free of Qt and of the
// rest of the reader so the commentator can share it.
namespace SI_Font {

inline constexpr int PocetFontu = 10;

using UserFonts = std::array<Tools::FontSpec, PocetFontu>;

// What a font is before anything was stored for it.
Tools::FontSpec VychoziFont();

// Font0..Font9 read over VychoziFont (a missing section leaves the default).
UserFonts LoadUserFonts(platform::IniFile& ini);

// Text of sample `index`: its name line, digits, and letters that show width and accents.
std::string SampleText(int index, const std::string& faceName);

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// Place of sample `index` in a client area: two columns of five, 0..4 left, 5..9 right.
Rect SampleRect(int index, int clientWidth, int clientHeight);

} // namespace SI_Font
