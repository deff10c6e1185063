#include "CteniRadku.h"

#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace CteniRadku {

namespace {

bool IsTerminator(char c) {
    return c == '\n' || c == '\r';
}

size_t FindTerminator(std::string_view s) {
    return s.find_first_of("\r\n");
}

class Handle {
public:
    explicit Handle(int fd) : fd_(fd) {}
    ~Handle() { ::close(fd_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// Bytes asked for by one read: a poll reads what was appended, however much it is, in a few
// calls.
constexpr size_t Block = 64 * 1024;
// Bytes before the position compared at every poll: a file cut and written anew, or another
// file renamed over it, almost never has the same bytes there.
constexpr size_t TailBytes = 256;

// Whether the file still holds, just before the position, the bytes consumed there.
bool TailStillThere(int fd, const TStavCteni& state) {
    std::string now(state.Tail.size(), '\0');
    return platform::ReadAllAt(fd, now.data(), now.size(),
                               state.Position - static_cast<int64_t>(now.size())) == now.size() &&
           now == state.Tail;
}

void KeepTail(std::string& tail, std::string_view consumed) {
    tail.append(consumed.substr(consumed.size() - std::min(consumed.size(), TailBytes)));
    if (tail.size() > TailBytes) {
        tail.erase(0, tail.size() - TailBytes);
    }
}

} // namespace

size_t CutLines(std::string_view data, bool atEnd, bool takeTail, TStavCteni& state,
                const TRadky& out, int64_t at) {
    size_t pos = 0;
    while (pos < data.size()) {
        const std::string_view rest = data.substr(pos);
        if (state.Dropping) {
            const size_t i = FindTerminator(rest);
            if (i == std::string_view::npos) {
                pos = data.size();
                break;
            }
            const size_t limit = std::min(rest.size(), i + Window);
            size_t j = i + 1;
            while (j < limit && IsTerminator(rest[j])) {
                ++j;
            }
            if (j == rest.size() && j < i + Window && !atEnd) {
                pos += i; // the rest of the terminators may still come
                break;
            }
            pos += j;
            state.Dropping = false;
            continue;
        }
        const size_t window = std::min(rest.size(), Window);
        const size_t i = FindTerminator(rest.substr(0, window));
        if (i == std::string_view::npos) {
            if (rest.size() >= Window) {
                // No terminator within one line read: the source would never get past it.
                if (out.LongLine) {
                    out.LongLine(at + static_cast<int64_t>(pos));
                }
                state.Dropping = true;
                continue;
            }
            if (atEnd && takeTail && out.Line) {
                out.Line(rest);
                pos = data.size();
            }
            break;
        }
        size_t j = i + 1;
        while (j < window && IsTerminator(rest[j])) {
            ++j;
        }
        if (j == rest.size() && j < Window && !atEnd) {
            break; // more terminators of this line may follow
        }
        if (out.Line) {
            out.Line(rest.substr(0, j));
        }
        pos += j;
    }
    return pos;
}

Vysledek ReadAppended(const std::filesystem::path& file, TStavCteni& state, const TRadky& out,
                      bool takeTail, int* errorCode) {
    if (file.empty()) {
        return Vysledek::NoName;
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (errorCode != nullptr) {
            *errorCode = err;
        }
        return err == ENOENT || err == ENOTDIR ? Vysledek::NotFound : Vysledek::OpenFailed;
    }
    const Handle handle(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        if (errorCode != nullptr) {
            *errorCode = S_ISDIR(st.st_mode) ? EISDIR : errno;
        }
        return Vysledek::OpenFailed;
    }
    const bool otherFile = state.Device != static_cast<uint64_t>(st.st_dev) ||
                           state.Inode != static_cast<uint64_t>(st.st_ino);
    if (state.Position > 0 &&
        (otherFile || st.st_size < state.Position || !TailStillThere(fd, state))) {
        // Cut, rewritten or replaced by its writer: what is there now is new, and reading on
        // from the old position would start in the middle of a line.
        state = TStavCteni{};
        if (out.Rewind) {
            out.Rewind();
        }
    }
    state.Device = static_cast<uint64_t>(st.st_dev);
    state.Inode = static_cast<uint64_t>(st.st_ino);
    if (st.st_size == state.Position && !takeTail) {
        return Vysledek::Read; // nothing appended: the open was the whole cost
    }
    std::string buffer;
    size_t start = 0;
    int64_t readAt = state.Position;
    for (;;) {
        const size_t old = buffer.size();
        buffer.resize(old + Block);
        const ssize_t n = ::pread(fd, buffer.data() + old, Block, readAt);
        if (n < 0 && errno == EINTR) {
            buffer.resize(old);
            continue;
        }
        if (n < 0) {
            break; // an I/O error ends this read; the next poll tries again
        }
        buffer.resize(old + static_cast<size_t>(n));
        readAt += n;
        const bool atEnd = n == 0;
        const size_t used = CutLines(std::string_view(buffer).substr(start), atEnd, takeTail, state,
                                     out, state.Position);
        state.Position += static_cast<int64_t>(used);
        KeepTail(state.Tail, std::string_view(buffer).substr(start, used));
        start += used;
        if (atEnd) {
            break;
        }
        buffer.erase(0, start);
        start = 0;
    }
    return Vysledek::Read;
}

} // namespace CteniRadku
