#include "DavkovyZapis.h"

#include "platform/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void TDavkovyZapis::Pridej(const std::string& file, std::string_view line) {
    if (line.empty()) {
        return;
    }
    Soubor* target = nullptr;
    for (Soubor& s : files_) {
        if (s.name == file) {
            target = &s;
            break;
        }
    }
    if (target == nullptr) {
        target = &files_.emplace_back(Soubor{file, {}, 0});
    }
    target->bytes.append(line);
    target->bytes += "\r\n";
    ++target->lines;
}

namespace {

// One append of the whole block; on failure the file is cut back to its size before, so no
// half line stays to be doubled by the retry.
bool Append(const std::string& file, const std::string& bytes, std::string& error) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = platform::ErrnoText(errno);
        return false;
    }
    struct stat st {};
    const bool sized = ::fstat(fd, &st) == 0;
    int err = 0;
    const size_t done = platform::WriteAll(fd, bytes, &err);
    if (done != bytes.size()) {
        error = platform::ErrnoText(err);
        if (sized && done > 0) {
            (void)::ftruncate(fd, st.st_size);
        }
        ::close(fd);
        return false;
    }
    // The bytes are written; a late close error must not make the retry write them twice.
    ::close(fd);
    return true;
}

} // namespace

std::vector<std::string> TDavkovyZapis::Zapis() {
    std::vector<std::string> errors;
    std::vector<Soubor> kept;
    for (Soubor& s : files_) {
        std::string error;
        if (!Append(s.name, s.bytes, error)) {
            errors.push_back(s.name + ": " + error);
            kept.push_back(std::move(s));
        }
    }
    files_ = std::move(kept);
    return errors;
}

size_t TDavkovyZapis::Cekajicich() const {
    size_t n = 0;
    for (const Soubor& s : files_) {
        n += s.lines;
    }
    return n;
}

void TDavkovyZapis::Zahod(const std::string& file) {
    std::erase_if(files_, [&](const Soubor& s) { return s.name == file; });
}
