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

std::vector<std::string> TDavkovyZapis::Zapis(std::vector<std::string>* mended) {
    std::vector<std::string> errors;
    std::vector<Soubor> kept;
    for (Soubor& s : files_) {
        std::string error;
        std::string cut;
        // One append of the whole block: a failure cuts the file back, so no half line stays to
        // be doubled by the retry; a line cut by a crash is ended first, so nothing glues to it.
        const bool written = platform::AppendWhole(s.name, s.bytes, &error,
                                                   platform::AppendTail::Lines("\r\n"), &cut);
        if (mended != nullptr && !cut.empty()) {
            mended->push_back(cut);
        }
        if (!written) {
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
