#include "platform/Cp1250.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// Code points of the bytes 0x80..0xFF. The five bytes Windows leaves undefined map to the
// C1 control of the same value so that every byte survives a round trip.
constexpr char32_t kHigh[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at pos and advances pos; malformed bytes decode as U+FFFD, one byte
// at a time, so that no input can stall or overrun the loop.
char32_t NextCodePoint(std::string_view s, size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    size_t len = 1;
    char32_t cp = b0;
    if (b0 >= 0xF0 && b0 < 0xF8) {
        len = 4;
        cp = b0 & 0x07;
    } else if (b0 >= 0xE0) {
        len = b0 < 0xF0 ? 3 : 0;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0x80) {
        len = 0;
    }
    if (len == 0 || pos + len > s.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += len;
    return cp;
}

int ToCp1250(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<int>(cp);
    }
    for (int i = 0; i < 128; ++i) {
        if (kHigh[i] == cp) {
            return 0x80 + i;
        }
    }
    return -1;
}

} // namespace

std::string Cp1250ToUtf8(std::string_view cp1250) {
    std::string out;
    out.reserve(cp1250.size() + cp1250.size() / 4);
    size_t i = 0;
    while (i < cp1250.size()) {
        // Runs of ASCII, most of any file, go over in one piece.
        size_t j = i;
        while (j < cp1250.size() && static_cast<unsigned char>(cp1250[j]) < 0x80) {
            ++j;
        }
        out.append(cp1250.data() + i, j - i);
        if (j < cp1250.size()) {
            AppendUtf8(out, kHigh[static_cast<unsigned char>(cp1250[j]) - 0x80]);
            ++j;
        }
        i = j;
    }
    return out;
}

std::string Utf8ToCp1250(std::string_view utf8) {
    // Most texts are plain ASCII, which is the same in both.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const int c = ToCp1250(NextCodePoint(utf8, pos));
        out += c < 0 ? '?' : static_cast<char>(c);
    }
    return out;
}

unsigned char Cp1250Upper(unsigned char c) {
    if (c >= 'a' && c <= 'z') {
        return static_cast<unsigned char>(c - 0x20);
    }
    switch (c) {
    case 0x9A: // š
    case 0x9C: // ś
    case 0x9D: // ť
    case 0x9E: // ž
    case 0x9F: // ź
        return static_cast<unsigned char>(c - 0x10);
    case 0xB3: // ł
        return 0xA3;
    case 0xB9: // ą
        return 0xA5;
    case 0xBA: // ş
        return 0xAA;
    case 0xBE: // ľ
        return 0xBC;
    case 0xBF: // ż
        return 0xAF;
    default:
        break;
    }
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
        return static_cast<unsigned char>(c - 0x20);
    }
    return c;
}

bool Cp1250EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Cp1250Upper(static_cast<unsigned char>(x)) ==
                      Cp1250Upper(static_cast<unsigned char>(y));
           });
}

bool Utf8EqualNoCase(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    const std::string ca = Utf8ToCp1250(a);
    const std::string cb = Utf8ToCp1250(b);
    // A '?' that stands for a character outside the code page must not match anything.
    if (Cp1250ToUtf8(ca) != a || Cp1250ToUtf8(cb) != b) {
        return false;
    }
    return Cp1250EqualNoCase(ca, cb);
}

size_t Utf8Length(std::string_view utf8) {
    size_t n = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        NextCodePoint(utf8, pos);
        ++n;
    }
    return n;
}

std::string Utf8Left(std::string_view utf8, size_t n) {
    size_t pos = 0;
    for (size_t i = 0; i < n && pos < utf8.size(); ++i) {
        NextCodePoint(utf8, pos);
    }
    return std::string(utf8.substr(0, pos));
}

void PutShortString(uint8_t* field, size_t maxLen, std::string_view utf8) {
    const std::string bytes = Utf8ToCp1250(utf8);
    const size_t len = std::min({bytes.size(), maxLen, size_t{255}});
    std::memset(field, 0, maxLen + 1);
    field[0] = static_cast<uint8_t>(len);
    // Short strings carry their length; no terminator.
    std::memcpy(field + 1, bytes.data(), len); // NOLINT(bugprone-not-null-terminated-result)
}

std::string GetShortString(const uint8_t* field, size_t maxLen) {
    const size_t len = std::min<size_t>(field[0], maxLen);
    return Cp1250ToUtf8(std::string_view(reinterpret_cast<const char*>(field + 1), len));
}

} // namespace platform
