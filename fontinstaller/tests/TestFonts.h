#pragma once

// Stand-in fonts for the package and installation tests: a file "FONT:<family>" is a font of
// that family, anything else is no font.

#include "FontPackage.h"
#include "FontStore.h"

#include "testsupport/TempDir.h"

#include <filesystem>
#include <optional>
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

// A program image followed by a package of the given files.
inline std::string Packed(const std::vector<typorin::PackFile>& files) {
    return "\x7f"
           "ELF program image" +
           typorin::PackEntries(files);
}

} // namespace typorintest
