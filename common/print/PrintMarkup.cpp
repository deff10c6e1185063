#include "PrintMarkup.h"

#include "platform/Cp1250.h"

#include <charconv>

namespace printing {

namespace {

// Sizes a page can hold; a bigger one would only spread single characters over pages.
constexpr int MinVelikost = 1;
constexpr int MaxVelikost = 500;

struct NamedColour {
    const char* name;
    int64_t value; // 0x00BBGGRR
};

constexpr int64_t Rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

constexpr NamedColour Barvy[] = {
    {"NONE", BarvaZadna},
    {"WHITE", BarvaZadna},
    {"AQUA", Rgb(0, 255, 255)},
    {"BLACK", Rgb(0, 0, 0)},
    {"BLUE", Rgb(0, 0, 255)},
    {"DARKGRAY", Rgb(128, 128, 128)},
    {"FUCHSIA", Rgb(255, 0, 255)},
    {"GRAY", Rgb(128, 128, 128)},
    {"GREEN", Rgb(0, 128, 0)},
    {"LIME", Rgb(0, 255, 0)},
    {"LIGHTGRAY", Rgb(192, 192, 192)},
    {"MAROON", Rgb(128, 0, 0)},
    {"NAVY", Rgb(0, 0, 128)},
    {"OLIVE", Rgb(128, 128, 0)},
    {"PURPLE", Rgb(128, 0, 128)},
    {"RED", Rgb(255, 0, 0)},
    {"SILVER", Rgb(192, 192, 192)},
    {"TEAL", Rgb(0, 128, 128)},
    {"YELLOW", Rgb(255, 255, 0)},
};

} // namespace

std::string_view TrimBlank(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') {
        s.remove_suffix(1);
    }
    return s;
}

std::string AsciiUpper(std::string_view s) {
    std::string u(s);
    for (char& c : u) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return u;
}

bool ParseWholeNumber(std::string_view s, int& value) {
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') {
            return false;
        }
    }
    if (s.empty()) {
        return false;
    }
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

PrinterTag FindPrinterTag(std::string_view line) {
    static constexpr std::string_view Tag = "<PRINTER=";
    const size_t at = AsciiUpper(line).find(Tag);
    if (at == std::string::npos) {
        return {};
    }
    const size_t from = at + Tag.size();
    const size_t close = line.find('>', from);
    int n = 0;
    if (close == std::string_view::npos || !ParseWholeNumber(line.substr(from, close - from), n)) {
        return {};
    }
    return {true, n, close + 1};
}

std::vector<LinePiece> SplitFontTags(std::string_view line) {
    std::vector<LinePiece> pieces;
    auto addText = [&pieces](std::string_view text) {
        if (text.empty()) {
            return;
        }
        if (!pieces.empty() && !pieces.back().tag) {
            pieces.back().text += text;
        } else {
            pieces.push_back({false, std::string(text)});
        }
    };
    // Upper-cased once: upper-casing the rest again at every tag would take time that grows
    // with the square of the line's length.
    const std::string upper = AsciiUpper(line);
    std::string_view rest = line;
    for (;;) {
        const size_t done = line.size() - rest.size();
        const size_t found = upper.find("<FONT", done);
        if (found == std::string::npos) {
            addText(rest);
            return pieces;
        }
        const size_t at = found - done;
        addText(rest.substr(0, at));
        rest.remove_prefix(at);
        // Only the search for '>' is bounded; the text after a tag is never cut.
        const size_t window = platform::Utf8Left(rest, MaxDelkaTagu).size();
        const size_t close = rest.substr(0, window).find('>');
        if (close == std::string_view::npos) {
            addText(rest.substr(0, 1));
            rest.remove_prefix(1);
            continue;
        }
        pieces.push_back({true, std::string(rest.substr(5, close - 5))});
        rest.remove_prefix(close + 1);
    }
}

void NastavFontTisku(std::string_view tagText, Tools::FontSpec& font,
                     const SI_Font::UserFonts& userFonts) {
    if (tagText.size() == 2 && tagText[0] == '=' && tagText[1] >= '0' && tagText[1] <= '9') {
        font = userFonts[tagText[1] - '0'];
        return;
    }
    std::string_view rest = TrimBlank(tagText);
    while (rest.find('=') != std::string_view::npos) {
        const size_t eq = rest.find('=');
        const std::string_view key = rest.substr(0, eq);
        rest.remove_prefix(eq + 1);
        const size_t blank = rest.find(' ');
        const size_t quote = rest.find('"');
        std::string_view value;
        if (blank != std::string_view::npos && quote != std::string_view::npos && quote < blank) {
            // A quoted value may hold blanks. A quoted value with no blank after it (the last
            // pair) is taken whole, quotes and all, by the rule below.
            const size_t close = rest.find('"', quote + 1);
            if (close == std::string_view::npos) {
                value = rest.substr(quote + 1);
                rest = {};
            } else {
                value = rest.substr(quote + 1, close - quote - 1);
                rest.remove_prefix(close + 1);
            }
        } else if (blank == std::string_view::npos) {
            value = rest;
            rest = {};
        } else {
            value = rest.substr(0, blank);
            rest.remove_prefix(blank + 1);
        }
        NastavKlicFontu(key, value, font);
        rest = TrimBlank(rest);
    }
}

void NastavKlicFontu(std::string_view key, std::string_view value, Tools::FontSpec& font) {
    if (TrimBlank(key).empty() || TrimBlank(value).empty()) {
        return;
    }
    // The key is not trimmed: "SIZE =10" names no key.
    const std::string k = AsciiUpper(key);
    std::string_view v = value;
    if (!v.empty() && v.front() == '"') {
        v.remove_prefix(1);
    }
    if (!v.empty() && v.back() == '"') {
        v.remove_suffix(1);
    }
    if (k == "NAME") {
        font.name = std::string(v);
    } else if (k == "SIZE") {
        // The value as the pairs delivered it: a last pair in quotes is no number.
        int size = 0;
        if (ParseWholeNumber(value, size) && size >= MinVelikost && size <= MaxVelikost) {
            font.size = size;
        }
    } else if (k == "STYLE") {
        const std::string u = AsciiUpper(v);
        font.bold = u.find("BOLD") != std::string::npos;
        font.italic = u.find("ITALIC") != std::string::npos;
        font.underline = u.find("UNDERLINE") != std::string::npos;
        font.strikeOut = u.find("STRIKE") != std::string::npos;
    } else if (k == "COLOR") {
        const std::string u = AsciiUpper(v);
        for (const NamedColour& c : Barvy) {
            if (u == c.name) {
                font.color = c.value;
                break;
            }
        }
    }
}

void FormFeedFilter::Line(std::string line, std::vector<std::string>& out) {
    const bool endsFF = !line.empty() && line.back() == '\f';
    if (mode_ != -1) {
        lastEndsFF_ = endsFF;
        out.push_back(std::move(line));
        return;
    }
    if (TrimBlank(line).empty() && lastEndsFF_) {
        ++held_;
        return;
    }
    for (; held_ > 0; --held_) {
        out.emplace_back();
    }
    if (lastEndsFF_) {
        out.emplace_back("\f");
    }
    lastEndsFF_ = endsFF;
    if (endsFF) {
        line.pop_back();
    }
    out.push_back(std::move(line));
}

void FormFeedFilter::End(std::vector<std::string>& out) {
    if (mode_ == 1 && !lastEndsFF_) {
        out.emplace_back("\f");
    }
}

} // namespace printing
