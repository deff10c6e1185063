#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A settings file with the rules of Windows private-profile files, which the files shared with
// the results program follow: section and key names compared without regard to case, the
// first occurrence wins, no escaping ('/', '-' and ',' are plain characters), Windows-1250 on
// disk. Every write goes to disk at once; lines the program does not touch are kept byte for
// byte. Changes another program makes to the file are seen on the next call.
class IniFile {
public:
    // An empty path keeps the settings in memory only (for tests and defaults).
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& FileName() const { return path_; }
    // Replaces what an in-memory settings object holds with the bytes of a file.
    void SetContent(std::string_view bytes);
    // The bytes as they are (or would be) on disk.
    std::string Content() const;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def);
    int64_t ReadInteger(std::string_view section, std::string_view key, int64_t def);
    // Any non-zero number is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def);
    // Accepts both '.' and ',' as the decimal separator; "inf" or "nan" gives the default.
    double ReadFloat(std::string_view section, std::string_view key, double def);

    // Each returns false, with LastError() saying why, when the file could not be read or
    // written, or the names cannot stand in the file (an empty key or section, a key with '=',
    // a section with ']', a line end in either). A line end in a value is written as a blank.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int64_t value);
    // Stored as 1 or 0.
    bool WriteBool(std::string_view section, std::string_view key, bool value);
    // Stored with '.' and as few digits as give the same number back.
    bool WriteFloat(std::string_view section, std::string_view key, double value);

    bool SectionExists(std::string_view section);
    bool ValueExists(std::string_view section, std::string_view key);
    std::vector<std::string> ReadSections();
    std::vector<std::string> ReadSection(std::string_view section); // key names
    bool EraseSection(std::string_view section);
    bool DeleteKey(std::string_view section, std::string_view key);

    const std::string& LastError() const { return lastError_; }

    // Writes between BeginBatch and the matching EndBatch are held and replace the file once,
    // at EndBatch (a window layout writes hundreds of keys; each write would otherwise read and
    // replace the whole file). Batches nest; only the outermost EndBatch writes. Inside a batch
    // the file is read once, before the first change, and not again until it has been written.
    void BeginBatch();
    bool EndBatch();
    // Times the file was replaced on disk.
    uint64_t SaveCount() const { return saveCount_; }

    // A batch for the lifetime of the object.
    class Batch {
    public:
        explicit Batch(IniFile& ini) : ini_(ini) { ini_.BeginBatch(); }
        ~Batch() { ini_.EndBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        IniFile& ini_;
    };

private:
    struct Snapshot {
        bool exists = false;
        uintmax_t size = 0;
        std::filesystem::file_time_type mtime{};
        bool operator==(const Snapshot&) const = default;
    };

    // Brings what is held up to date with the file; with `always` it reads the file even when
    // its size and time look unchanged. False when the file exists but could not be read: what
    // is held is then the last content read, which no write may be based on.
    bool Refresh(bool always = false);
    // Checks that a name can be written and read back as the same name.
    bool ValidNames(std::string_view section, std::string_view key);
    void Parse(std::string_view bytes);
    Snapshot Look() const;
    bool Save();
    // Index range of a section's body: the line after its header up to the next header.
    bool FindSection(std::string_view section, size_t& header, size_t& end) const;
    bool FindKey(size_t begin, size_t end, std::string_view key, size_t& line) const;

    std::filesystem::path path_;
    std::vector<std::string> lines_; // Windows-1250, without line ends
    bool crlf_ = true;
    bool finalNewline_ = true;
    Snapshot loaded_;
    bool readFailed_ = false; // the last read failed: read again on the next call
    std::string lastError_;
    int batchDepth_ = 0;
    bool pending_ = false; // changes held by a batch, not yet on disk
    uint64_t saveCount_ = 0;
};

} // namespace platform
