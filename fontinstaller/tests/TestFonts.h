#pragma once

// Stand-in fonts for the package and installation tests: a file "FONT:<family>" is a font of
// that family, anything else is no font.

#include "FontPackage.h"
#include "FontStore.h"

#include "testsupport/TempDir.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace typorintest {

inline std::string FakeFont(const std::string& family) {
    return "FONT:" + family;
}

inline std::optional<std::string> FakeFace(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return std::nullopt;
    }
    const std::string bytes = testsupport::ReadBytes(file);
    if (bytes.rfind("FONT:", 0) != 0) {
        return std::nullopt;
    }
    return bytes.substr(5, bytes.find('\n') - 5); // what follows a line break is the "glyphs"
}

// The font system of those fonts; every family is listed unless hidden.
struct FakeStore : typorin::FontStore {
    std::optional<std::string> FaceName(const std::filesystem::path& file) override {
        return FakeFace(file);
    }
    bool CopyFont(const std::filesystem::path& src, const std::filesystem::path& dest,
                  std::string& reason) override {
        ++copies;
        return typorin::CopyFileAtomic(src, dest, reason);
    }
    bool Refresh(const std::filesystem::path&, std::string&) override {
        ++refreshes;
        return true;
    }
    bool Listed(const std::string& face, const std::filesystem::path& file) override {
        return !hidden.count(face) && FakeFace(file) == face;
    }
    int copies = 0;
    int refreshes = 0;
    std::set<std::string> hidden;
};

// A real font with garbage from byte `from` on: its tables, the name table among them, no
// longer say anything.
inline std::string Garbled(std::string font, size_t from) {
    for (size_t i = from; i < font.size(); ++i) {
        font[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    }
    return font;
}

// The sum of a font's bytes as big-endian 32-bit words, the last one padded with zeros.
inline uint32_t WordSum(const std::string& bytes, size_t from = 0,
                        size_t length = std::string::npos) {
    length = std::min(length, bytes.size() - from);
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        sum += static_cast<uint32_t>(static_cast<unsigned char>(bytes[from + i]))
               << (24 - 8 * (i % 4));
    }
    return sum;
}

inline uint32_t Word(const std::string& b, size_t at) {
    return WordSum(b, at, 4);
}

inline void PutWord(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<char>(v >> (24 - 8 * i));
    }
}

// The place of a table's record in a font's table directory.
inline size_t TableRecord(const std::string& font, std::string_view tag) {
    const size_t tables = Word(font, 4) >> 16;
    for (size_t i = 0, at = 12; i < tables; ++i, at += 16) {
        if (font.compare(at, 4, tag) == 0) {
            return at;
        }
    }
    return std::string::npos;
}

// A real font with garbage in one table, its checksums left as they were or written anew.
inline std::string GarbledTable(std::string font, std::string_view tag, bool resum) {
    const size_t record = TableRecord(font, tag);
    const size_t from = Word(font, record + 8);
    const size_t end = from + Word(font, record + 12);
    font = Garbled(font, from).substr(0, end) + font.substr(end);
    if (resum) {
        const size_t head = Word(font, TableRecord(font, "head") + 8);
        PutWord(font, head + 8, 0);
        for (size_t at = 12; at < 12 + 16 * (Word(font, 4) >> 16); at += 16) {
            PutWord(font, at + 4, WordSum(font, Word(font, at + 8), Word(font, at + 12)));
        }
        PutWord(font, head + 8, 0xB1B0AFBA - WordSum(font));
    }
    return font;
}

// A program image followed by a package of the given files.
inline std::string Packed(const std::vector<typorin::PackFile>& files) {
    return "\x7f"
           "ELF program image" +
           typorin::PackEntries(files);
}

} // namespace typorintest
