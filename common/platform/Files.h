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

// How a file looked at one look: its identity (device and inode: another file renamed over it
// is another file), size and modification time.
struct FileLook {
    uintmax_t size = 0;
    int64_t mtimeNs = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileLook&) const = default;
};
// The look of a regular file; nothing for a missing file or anything else.
std::optional<FileLook> LookAt(const std::filesystem::path& file);
std::optional<FileLook> LookAt(int fd);

// Deletes a file consumed after use only while it is still the file that was read: a file
// renamed over the name or rewritten in place since is left for the next look. True when the
// file read is gone (removed now, or by someone else).
bool RemoveIfUnchanged(const std::filesystem::path& file, const FileLook& read);

// A file another program drops for us is taken only when it is not empty and has kept its
// identity, size and modification time since a look at least a quiet period ago, whatever the
// caller's poll interval: Linux lets us open a file its writer has not finished. Where every
// line of the format ends with a line end, a file whose last byte is none is waited for
// longer (a writer paused mid-line), but not for ever. No rule can tell a paused writer from
// a finished one for certain, so a file that changes after it was taken is taken again.
class StableFileCheck {
public:
    static constexpr int64_t kQuietMs = 2000;
    static constexpr int64_t kCutLineMs = 10000;
    enum class Ends { Any, LineEnd };

    explicit StableFileCheck(Ends ends = Ends::Any) : ends_(ends) {}

    // True when the file may be read now. The look it judged is StableLook's.
    bool IsStable(const std::filesystem::path& file);
    // Stable, and not the file marked taken under this name (or none was): a file that changed
    // after it was taken is taken again as a new file, even with its old stamp inside.
    bool IsNew(const std::filesystem::path& file);
    // The look IsStable judged stable at its last call for the file.
    std::optional<FileLook> StableLook(const std::filesystem::path& file) const;
    // Remembers the stable look as the one taken (after reading it).
    void MarkTaken(const std::filesystem::path& file);
    // Reads a stable file whole; false (and nothing read) when what was read is not the file
    // judged stable, so a file changed since the look waits for the next one.
    bool ReadStable(const std::filesystem::path& file, std::string& bytes, std::string* error,
                    size_t maxBytes = SIZE_MAX);
    // Deletes the file taken at the last stable look, only while it is still that file
    // (RemoveIfUnchanged), and forgets it.
    bool RemoveTaken(const std::filesystem::path& file);
    // Forgets a file (after it was taken and removed).
    void Forget(const std::filesystem::path& file);

private:
    struct Seen {
        FileLook look;
        int64_t sinceMs = 0; // when the file was first seen looking like this
        bool stable = false;
    };
    Ends ends_;
    std::map<std::filesystem::path, Seen> seen_;
    std::map<std::filesystem::path, FileLook> taken_;
};

// The keys of a settings-like file taken before: a new file that lacks one of them, or one
// the format requires, is refused as incomplete (its writer has not finished it), while a
// complete one is taken and its keys remembered.
class KeptKeys {
public:
    // The missing keys, each after a space; empty when the file is complete.
    std::string Missing(const std::vector<std::string>& keys,
                        const std::vector<std::string>& required = {}) const;
    void Remember(std::vector<std::string> keys) { keys_ = std::move(keys); }
    const std::vector<std::string>& Keys() const { return keys_; }
    void Forget() { keys_.clear(); }

private:
    std::vector<std::string> keys_;
};

} // namespace platform
