#include "platform/Files.h"

#include "platform/Clock.h"
#include "platform/Cp1250.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

std::string ErrnoText(int err) {
    return std::strerror(err);
}

std::optional<fs::path> FindNoCase(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    const fs::path base = folder.empty() ? fs::path(".") : folder;
    if (fs::exists(base / std::string(name), ec)) {
        return base / std::string(name);
    }
    std::vector<std::string> matches;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (Utf8EqualNoCase(entry, name)) {
            matches.push_back(entry);
        }
    }
    if (matches.empty()) {
        return std::nullopt;
    }
    std::sort(matches.begin(), matches.end());
    return base / matches.front();
}

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool LessNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = LowerAscii(a[i]);
        const char y = LowerAscii(b[i]);
        if (x != y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        }
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

bool MaskMatches(std::string_view mask, std::string_view name) {
    if (mask == "*.*") {
        mask = "*";
    }
    size_t m = 0;
    size_t n = 0;
    size_t starMask = std::string_view::npos;
    size_t starName = 0;
    auto skipChar = [&name](size_t at) {
        ++at;
        while (at < name.size() && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80) {
            ++at;
        }
        return at;
    };
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() &&
                   (mask[m] == '?' || LowerAscii(mask[m]) == LowerAscii(name[n]))) {
            n = mask[m] == '?' ? skipChar(n) : n + 1;
            ++m;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = starName = skipChar(starName);
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') {
        ++m;
    }
    return m == mask.size();
}

std::vector<fs::path> ListByMask(const fs::path& folder, std::string_view mask) {
    std::vector<fs::path> found;
    std::error_code ec;
    const fs::path base = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (name.empty() || name.front() == '.' || !it->is_regular_file(typeEc) ||
            !MaskMatches(mask, name)) {
            continue;
        }
        found.push_back(it->path());
    }
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        return LessNoCase(a.filename().string(), b.filename().string());
    });
    return found;
}

fs::path ResolveNoCase(const fs::path& path) {
    fs::path result = path.has_root_path() ? path.root_path() : fs::path();
    bool found = true;
    for (const fs::path& part : path.relative_path()) {
        if (found && part != "." && part != "..") {
            if (auto hit = FindNoCase(result, part.string())) {
                result = result.empty() ? hit->filename() : result / hit->filename();
                continue;
            }
            found = false;
        }
        result /= part;
    }
    return result;
}

namespace {

// Repeats a read or write call until n bytes are done, retrying interrupted and short calls;
// returns how many were done. Short of n, *err holds the errno of the failed call (EIO when a
// call made no progress: for a read, the end of the file).
template <class Io> size_t AllOf(size_t n, int* err, Io io) {
    size_t done = 0;
    while (done < n) {
        const ssize_t got = io(done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            *err = got < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

} // namespace

size_t WriteAll(int fd, std::string_view bytes, int* err) {
    return AllOf(bytes.size(), err, [&](size_t done) {
        return ::write(fd, bytes.data() + done, bytes.size() - done);
    });
}

size_t ReadAllAt(int fd, char* buffer, size_t n, int64_t at) {
    int err = 0;
    return AllOf(n, &err, [&](size_t done) {
        return ::pread(fd, buffer + done, n - done,
                       static_cast<off_t>(at + static_cast<int64_t>(done)));
    });
}

bool ReadWholeFile(const fs::path& file, std::string& bytes, std::string* error, size_t maxBytes) {
    bytes.clear();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error != nullptr) {
            *error = file.string() + ": " + ErrnoText(errno);
        }
        return false;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            if (error != nullptr) {
                *error = file.string() + ": " + ErrnoText(errno);
            }
            ::close(fd);
            return false;
        }
        if (n == 0) {
            break;
        }
        if (static_cast<size_t>(n) > maxBytes - bytes.size()) {
            if (error != nullptr) {
                *error = file.string() + ": larger than " + std::to_string(maxBytes) + " bytes";
            }
            ::close(fd);
            bytes.clear();
            return false;
        }
        bytes.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

std::optional<fs::path> WriteTempFile(const fs::path& file, std::string_view bytes,
                                      std::string* error) {
    const auto fail = [&](const std::string& what, int err) {
        if (error != nullptr) {
            *error = what + ": " + ErrnoText(err);
        }
        return std::nullopt;
    };
    std::string tmp = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
    if (file.parent_path().empty()) {
        tmp = "." + file.filename().string() + ".XXXXXX";
    }
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        return fail(file.string(), errno);
    }
    int err = 0;
    if (WriteAll(fd, bytes, &err) != bytes.size()) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail(file.string(), err);
    }
    // Other programs on the machine must be able to read what we hand them.
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return fail(file.string(), err);
    }
    return fs::path(tmp);
}

bool WriteFileAtomic(const fs::path& file, std::string_view bytes, std::string* error) {
    const std::optional<fs::path> tmp = WriteTempFile(file, bytes, error);
    if (!tmp) {
        return false;
    }
    if (::rename(tmp->c_str(), file.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp->c_str());
        if (error != nullptr) {
            *error = file.string() + ": " + ErrnoText(err);
        }
        return false;
    }
    return true;
}

namespace {

// Where the data ends once a NUL tail is left out: a power cut can leave a file's size grown
// over blocks that were never written.
off_t EndBeforeNuls(int fd, off_t size) {
    char block[4096];
    while (size > 0) {
        const off_t from = std::max<off_t>(0, size - static_cast<off_t>(sizeof block));
        const auto len = static_cast<size_t>(size - from);
        if (ReadAllAt(fd, block, len, from) != len) {
            return size;
        }
        for (size_t i = len; i > 0; --i) {
            if (block[i - 1] != '\0') {
                return from + static_cast<off_t>(i);
            }
        }
        size = from;
    }
    return 0;
}

} // namespace

bool AppendWhole(const fs::path& file, std::string_view bytes, std::string* error,
                 const AppendTail& tail, std::string* mended) {
    const auto fail = [&](int err) {
        if (error != nullptr) {
            *error = ErrnoText(err);
        }
        return false;
    };
    if (mended != nullptr) {
        mended->clear();
    }
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return fail(errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(err);
    }
    off_t size = st.st_size;
    std::string text;
    if (tail.recordSize > 0 && size % static_cast<off_t>(tail.recordSize) != 0) {
        const off_t whole = size - size % static_cast<off_t>(tail.recordSize);
        if (::ftruncate(fd, whole) != 0) {
            const int err = errno;
            ::close(fd);
            return fail(err);
        }
        if (mended != nullptr) {
            *mended = file.string() + ": " + std::to_string(size - whole) +
                      " bytes of a torn last record cut off";
        }
        size = whole;
    } else if (!tail.lineEnd.empty() && size > 0) {
        const off_t end = EndBeforeNuls(fd, size);
        if (end < size && ::ftruncate(fd, end) != 0) {
            const int err = errno;
            ::close(fd);
            return fail(err);
        }
        char last = '\n';
        if (end > 0 && ReadAllAt(fd, &last, 1, end - 1) != 1) {
            last = '\n';
        }
        const bool cutLine = last != '\n' && last != '\r';
        if (mended != nullptr && (end < size || cutLine)) {
            *mended = file.string() + ":" +
                      (end < size ? " " + std::to_string(size - end) + " NUL bytes cut off" : "") +
                      (cutLine ? " line end added after a cut last line" : "");
        }
        if (cutLine) {
            text.reserve(tail.lineEnd.size() + bytes.size());
            text.append(tail.lineEnd).append(bytes);
            bytes = text;
        }
        size = end;
    }
    const auto rollBack = [&](int err) {
        (void)::ftruncate(fd, size);
        ::close(fd);
        return fail(err);
    };
    int err = 0;
    if (AllOf(bytes.size(), &err, [&](size_t done) {
            return ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                            size + static_cast<off_t>(done));
        }) != bytes.size()) {
        return rollBack(err);
    }
    // What was appended must survive a power cut: the station has already been answered.
    if (::fdatasync(fd) != 0 && errno != EINVAL) {
        return rollBack(errno);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        (void)::truncate(file.c_str(), size);
        return fail(err);
    }
    return true;
}

bool RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the flag: a hard link fails as well when the name is taken.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    if (::unlink(from.c_str()) != 0) {
        const int err = errno;
        ::unlink(to.c_str());
        errno = err;
        return false;
    }
    return true;
}

namespace {

FileLook LookOf(const struct stat& st) {
    return FileLook{static_cast<uintmax_t>(st.st_size),
                    int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec,
                    static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool EndsWithLineEnd(const fs::path& file, uintmax_t size) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char last = 0;
    const bool read = size > 0 && ReadAllAt(fd, &last, 1, static_cast<int64_t>(size - 1)) == 1;
    ::close(fd);
    return read && (last == '\n' || last == '\r');
}

bool SameKey(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::optional<FileLook> LookAt(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return LookOf(st);
}

std::optional<FileLook> LookAt(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return LookOf(st);
}

bool RemoveIfUnchanged(const fs::path& file, const FileLook& read) {
    const auto now = LookAt(file);
    if (!now) {
        return true;
    }
    if (!(*now == read)) {
        return false;
    }
    return ::unlink(file.c_str()) == 0 || errno == ENOENT;
}

bool StableFileCheck::IsStable(const fs::path& file) {
    const auto look = LookAt(file);
    if (!look) {
        seen_.erase(file);
        return false;
    }
    const int64_t nowMs = GetClock().MonotonicMs();
    const auto it = seen_.find(file);
    if (it == seen_.end() || !(it->second.look == *look)) {
        seen_[file] = Seen{*look, nowMs, false};
        return false;
    }
    Seen& seen = it->second;
    int64_t quietMs = kQuietMs;
    if (ends_ == Ends::LineEnd && !EndsWithLineEnd(file, look->size)) {
        quietMs = kCutLineMs;
    }
    seen.stable = look->size > 0 && nowMs - seen.sinceMs >= quietMs;
    return seen.stable;
}

bool StableFileCheck::IsNew(const fs::path& file) {
    if (!IsStable(file)) {
        return false;
    }
    const auto it = taken_.find(file);
    return it == taken_.end() || !(it->second == seen_[file].look);
}

std::optional<FileLook> StableFileCheck::StableLook(const fs::path& file) const {
    const auto it = seen_.find(file);
    if (it == seen_.end() || !it->second.stable) {
        return std::nullopt;
    }
    return it->second.look;
}

void StableFileCheck::MarkTaken(const fs::path& file) {
    if (const auto look = StableLook(file)) {
        taken_[file] = *look;
    }
}

bool StableFileCheck::ReadStable(const fs::path& file, std::string& bytes, std::string* error,
                                 size_t maxBytes) {
    bytes.clear();
    const auto look = StableLook(file);
    if (!look) {
        if (error) {
            *error = file.string() + ": not yet complete";
        }
        return false;
    }
    std::string read;
    if (!ReadWholeFile(file, read, error, maxBytes)) {
        return false;
    }
    const auto after = LookAt(file);
    if (!after || !(*after == *look) || read.size() != look->size) {
        // Changed while (or since) it was judged: the next look judges it afresh.
        seen_.erase(file);
        if (error) {
            *error = file.string() + ": changed while being read";
        }
        return false;
    }
    bytes = std::move(read);
    return true;
}

bool StableFileCheck::RemoveTaken(const fs::path& file) {
    const auto look = StableLook(file);
    const bool removed = look && RemoveIfUnchanged(file, *look);
    Forget(file);
    return removed;
}

void StableFileCheck::Forget(const fs::path& file) {
    seen_.erase(file);
    taken_.erase(file);
}

std::string KeptKeys::Missing(const std::vector<std::string>& keys,
                              const std::vector<std::string>& required) const {
    const auto in = [](const std::vector<std::string>& list, const std::string& key) {
        return std::any_of(list.begin(), list.end(),
                           [&](const std::string& k) { return SameKey(k, key); });
    };
    std::vector<std::string> missing;
    for (const auto* list : {&required, &keys_}) {
        for (const std::string& key : *list) {
            if (!in(keys, key) && !in(missing, key)) {
                missing.push_back(key);
            }
        }
    }
    std::string text;
    for (const std::string& key : missing) {
        text += " " + key;
    }
    return text;
}

} // namespace platform
