#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The text of an errno value, for messages that say what went wrong.
std::string ErrnoText(int err);

// Names that come from a convention or from another program are matched without regard to
// case, as on Windows. An exact match wins; otherwise the first case-insensitive match in
// the folder's listing order of sorted names.
std::optional<std::filesystem::path> FindNoCase(const std::filesystem::path& folder,
                                                std::string_view name);
// Windows wildcards ('*', '?'), letter case ignored as on Windows; "*.*" matches every name.
bool MaskMatches(std::string_view mask, std::string_view name);
// Name order with ASCII letter case ignored (ties broken by the exact bytes), so the order of
// a folder listing never depends on the file system.
bool LessNoCase(const std::string& a, const std::string& b);
// The regular files of a folder whose names match a Windows mask, hidden files left out, in
// name order (LessNoCase). A missing or unreadable folder lists nothing.
std::vector<std::filesystem::path> ListByMask(const std::filesystem::path& folder,
                                              std::string_view mask);
// Resolves every component of a path that exists in some spelling to that spelling; the part
// that does not exist is kept as given (so the result can be created).
std::filesystem::path ResolveNoCase(const std::filesystem::path& path);

// Writes all bytes to fd, retrying short and interrupted writes; returns how many were written.
// Short of all, *err holds the errno of the failed write (EIO when a write made no progress).
size_t WriteAll(int fd, std::string_view bytes, int* err);
// Reads n bytes at the offset, retrying short and interrupted reads; returns how many were read
// (fewer only at the end of the file or on an error).
size_t ReadAllAt(int fd, char* buffer, size_t n, int64_t at);

// Reads a whole file; a file larger than maxBytes is refused (nothing from outside may make
// us hold more than we expect of it).
bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes, std::string* error,
                   size_t maxBytes = SIZE_MAX);
// Writes the bytes, synced and readable by all, to a new hidden file beside the given one
// (".<name>.XXXXXX", which no reader's mask takes) and returns its path, for the caller to
// rename into place.
std::optional<std::filesystem::path> WriteTempFile(const std::filesystem::path& file,
                                                   std::string_view bytes, std::string* error);
// Writes under a temporary name in the same folder, then renames into place, so a reader
// never sees half a file.
bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes, std::string* error);

// Renames a file, but never over an existing one (as on Windows): false when the new name is
// taken or the rename fails (errno says why).
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// What an append first mends in a tail that a power cut or a crash left behind, so the new
// data never glues onto half a line or shifts every later record: in a text file a tail of NUL
// bytes is cut off and a last line without its end gets `lineEnd`; a file of records of
// `recordSize` bytes is cut back to its last whole record. A whole file is not changed.
struct AppendTail {
    std::string_view lineEnd;
    size_t recordSize = 0;
    static AppendTail Lines(std::string_view end) { return {end, 0}; }
    static AppendTail Records(size_t size) { return {{}, size}; }
};
// Appends the bytes to a file (created when missing) in one piece, after mending its tail:
// when any step fails, the file is cut back to its (mended) size before, so readers never meet
// a torn record, and the data is on disk before the call reports success. `mended` says what
// was mended, for the program's log; empty when nothing was.
bool AppendWhole(const std::filesystem::path& file, std::string_view bytes, std::string* error,
                 const AppendTail& tail = {}, std::string* mended = nullptr);

// A file another program drops for us is taken only once its size, modification time and
// identity (device and inode: another file renamed over it is another file) are unchanged
// since the previous look: Linux lets us open a file its writer has not finished.
class StableFileCheck {
public:
    // True when the file exists and looked the same at the previous call for it.
    bool IsStable(const std::filesystem::path& file);
    // Forgets a file (after it was taken and removed).
    void Forget(const std::filesystem::path& file);

private:
    struct Look {
        uintmax_t size = 0;
        int64_t mtimeNs = 0;
        uint64_t device = 0;
        uint64_t inode = 0;
        bool operator==(const Look&) const = default;
    };
    std::map<std::filesystem::path, Look> seen_;
};

} // namespace platform
