#include "SI_Font.h"

namespace SI_Font {

Tools::FontSpec VychoziFont() {
    Tools::FontSpec font;
    font.name = "Courier";
    return font;
}

UserFonts LoadUserFonts(platform::IniFile& ini) {
    UserFonts fonts;
    for (int i = 0; i < PocetFontu; ++i) {
        fonts[i] = VychoziFont();
        Tools::LoadFontN(ini, i, fonts[i]);
    }
    return fonts;
}

std::string SampleText(int index, const std::string& faceName) {
    return "Font " + std::to_string(index) + " " + faceName + "\n1234567890\nAAAiiiWWWěščřžýáíé";
}

Rect SampleRect(int index, int clientWidth, int clientHeight) {
    const int w = (clientWidth - 10) / 2;
    const int h = (clientHeight - 40) / 5;
    return {(w + 10) * (index / 5), (h + 10) * (index % 5), w, h};
}

} // namespace SI_Font
