// The font package read from any bytes: the directory walk stays inside the file and yields
// only plain, distinct names; the data file parser and the font check take any bytes.
#include "FontPackage.h"
#include "FontStore.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    // An odd first byte puts a sound count and filler behind the rest, so the walk through the
    // entries is reached without the fuzzer having to find 512 tabs.
    if (size > 0 && (data[0] & 1) != 0) {
        input = input.substr(1) + "\r\r\r\r" + std::to_string((data[0] >> 1) % 10) +
                std::string(512, '\t') + "\r\n";
    }
    const std::string_view bytes = input;
    size = bytes.size();
    std::vector<typorin::PayloadEntry> entries;
    std::string reason;
    if (typorin::ReadDirectory(typorin::MemorySource(bytes), entries, reason)) {
        for (const auto& e : entries) {
            if (e.offset > size || e.size > size - e.offset || !typorin::IsPlainName(e.name)) {
                std::abort();
            }
        }
    } else if (reason.empty()) {
        std::abort();
    }
    if (!typorin::FontBytesAreWhole(input, reason) && reason.empty()) {
        std::abort();
    }
    typorin::PackageData parsed;
    if (typorin::ParseDataFile(bytes, parsed, reason) &&
        parsed.title.find_first_of("\r\n") != std::string::npos) {
        std::abort();
    }
    return 0;
}
