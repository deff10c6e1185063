#pragma once

// The font package that Typorin carries behind its own program image, and the package data
// file zembrak.dat that every package holds.
//
// Layout from the end of the file backwards: 514 filler bytes (512 TAB, CR LF), a 5-byte count
// of entries (digits, CR-padded on the left), then the entries, the last one first: each is its
// data, a 40-byte name (CR-padded on the left) and a 10-digit size.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace typorin {

inline constexpr const char* DataFileName = "zembrak.dat";
inline constexpr const char* DataFileMagic = "ZEMBRAK DATAFILE 1";
inline constexpr const char* NoReadMe = "NOREADME";
inline constexpr const char* NoLicense = "NOLICENSE";
inline constexpr uint64_t NameFieldSize = 40;
inline constexpr uint64_t SizeFieldSize = 10;
inline constexpr uint64_t CountFieldSize = 5;
inline constexpr uint64_t FillerSize = 514;
inline constexpr uint64_t EntryOverhead = NameFieldSize + SizeFieldSize;
inline constexpr uint64_t TrailerSize = CountFieldSize + FillerSize;

// Random access to the bytes of a packed program.
class PackageSource {
public:
    virtual ~PackageSource() = default;
    virtual uint64_t Size() const = 0;
    // Exactly length bytes from offset, or false.
    virtual bool Read(uint64_t offset, uint64_t length, char* out) const = 0;
};

class MemorySource : public PackageSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool Read(uint64_t offset, uint64_t length, char* out) const override;

private:
    std::string_view bytes_;
};

class FileSource : public PackageSource {
public:
    explicit FileSource(const std::filesystem::path& file);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& OpenError() const { return error_; }
    uint64_t Size() const override { return size_; }
    bool Read(uint64_t offset, uint64_t length, char* out) const override;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    std::string error_;
};

struct PayloadEntry {
    std::string name;    // as stored, 8-bit
    uint64_t offset = 0; // of its data from the file start
    uint64_t size = 0;
};

// The entries in walk order (the last in the file first). Every field is checked, so nothing
// is read outside the file and every name is a plain file name; false with the reason.
bool ReadDirectory(const PackageSource& source, std::vector<PayloadEntry>& entries,
                   std::string& reason);

// A name that may become a file in the extraction folder: not empty, not "." or "..", no
// '/', '\' or control character.
bool IsPlainName(std::string_view name);
// Names whose last three characters, blanks trimmed, are "TTF" in any case.
bool IsFontName(std::string_view name);

struct PackageData {
    std::string readMeName;
    std::string licenseName;
    std::string title; // PackageTitle
    std::string url;
    std::string urlTitle;
};

// Reads the six items of zembrak.dat; false with the reason.
bool ParseDataFile(std::string_view bytes, PackageData& data, std::string& reason);

// The container bytes for the files in file order (the last one is read first).
struct PackFile {
    std::string name;
    std::string bytes;
};
std::string PackEntries(const std::vector<PackFile>& files);
// A zembrak.dat with the given items (each quoted, CR LF after each).
std::string DataFileBytes(const std::string& title, const std::string& readMe = NoReadMe,
                          const std::string& license = NoLicense, const std::string& url = {},
                          const std::string& urlTitle = {});

// A private folder (0700) for the extracted files, removed with its files when the object
// goes, and also when the program is ended by SIGINT, SIGTERM or SIGHUP.
class ExtractFolder {
public:
    ExtractFolder() = default;
    ~ExtractFolder();
    ExtractFolder(const ExtractFolder&) = delete;
    ExtractFolder& operator=(const ExtractFolder&) = delete;

    bool Create(std::string& reason);
    // Writes one file of the package into the folder (never following a link, never
    // replacing a file).
    bool Add(const std::string& name, const PackageSource& source, uint64_t offset, uint64_t size,
             std::string& reason);
    const std::filesystem::path& Path() const { return path_; }
    void Remove();

private:
    std::filesystem::path path_;
    std::vector<std::string> files_;
};

struct PackageFont {
    std::string file; // name in the package
    std::string face; // family name the font declares
    uint64_t size = 0;
};

// The package as read and extracted at start.
struct Package {
    std::vector<std::string> fileList; // walk order
    std::vector<PackageFont> fonts;
    PackageData data;   // texts as stored (8-bit)
    std::string readMe; // UTF-8, lines ended by '\n'
    std::string license;
    ExtractFolder folder;
};

// Family name a font file declares itself, nothing when the file is no font or its family
// cannot be read from it (a damaged entry).
using FaceNameOf = std::function<std::optional<std::string>(const std::filesystem::path&)>;

// Whether a font file is whole; false with the reason (a damaged entry).
using FontCheck = std::function<bool(const std::filesystem::path&, std::string&)>;

// Reads the directory, extracts every entry, reads zembrak.dat, the read-me and licence texts,
// and checks that every font of the package is a font, and whole when a check is given. False
// with the reason of the failure.
bool LoadPackage(const PackageSource& source, const FaceNameOf& faceName, Package& package,
                 std::string& reason, const FontCheck& whole = {});

} // namespace typorin
