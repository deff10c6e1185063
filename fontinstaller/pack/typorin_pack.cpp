// Build step: appends the font package to the linked Typorin program.
//   typorin_pack <linked program> <output> <title> <file>...
// The files go in in the order given, followed by a generated zembrak.dat without read-me,
// licence or web address. The output is always made from the linked image, so a rebuild
// never packs twice; it is written under a temporary name and renamed into place.

#include "FontPackage.h"

#include "platform/Files.h"

#include <filesystem>
#include <iostream>
#include <sys/stat.h>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 5) {
        std::cerr << "usage: typorin_pack <linked program> <output> <title> <file>...\n";
        return 2;
    }
    std::string image;
    std::string error;
    if (!platform::ReadWholeFile(argv[1], image, &error)) {
        std::cerr << "typorin_pack: " << error << '\n';
        return 1;
    }
    std::vector<typorin::PayloadEntry> entries;
    std::string reason;
    if (typorin::ReadDirectory(typorin::MemorySource(image), entries, reason)) {
        std::cerr << "typorin_pack: " << argv[1] << " already carries a package\n";
        return 1;
    }
    std::vector<typorin::PackFile> files;
    for (int i = 4; i < argc; ++i) {
        typorin::PackFile f;
        f.name = fs::path(argv[i]).filename().string();
        if (!typorin::IsPlainName(f.name) || f.name.size() > typorin::NameFieldSize) {
            std::cerr << "typorin_pack: " << f.name << " cannot be named in a package\n";
            return 1;
        }
        if (!platform::ReadWholeFile(argv[i], f.bytes, &error)) {
            std::cerr << "typorin_pack: " << error << '\n';
            return 1;
        }
        files.push_back(std::move(f));
    }
    files.push_back({typorin::DataFileName, typorin::DataFileBytes(argv[3])});
    if (!platform::WriteFileAtomic(argv[2], image + typorin::PackEntries(files), &error) ||
        ::chmod(argv[2], 0755) != 0) {
        std::cerr << "typorin_pack: " << (error.empty() ? argv[2] : error) << '\n';
        return 1;
    }
    return 0;
}
