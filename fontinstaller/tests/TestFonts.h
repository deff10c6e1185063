#pragma once

// Stand-in fonts for the package and installation tests: a file "FONT:<family>" is a font of
// that family, anything else is no font.

#include "FontPackage.h"
#include "FontStore.h"

#include "testsupport/TempDir.h"

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

// Where a table of a real font starts (its tag's first place is its directory record).
inline size_t TableAt(const std::string& font, const char* tag) {
    size_t offset = 0;
    for (size_t i = font.find(tag) + 8; i < font.find(tag) + 12; ++i) {
        offset = offset << 8 | static_cast<unsigned char>(font[i]);
    }
    return offset;
}

// A program image followed by a package of the given files.
inline std::string Packed(const std::vector<typorin::PackFile>& files) {
    return "\x7f"
           "ELF program image" +
           typorin::PackEntries(files);
}

} // namespace typorintest
