#include "SISam_Proc.h"
#include "SI_Port.h"
#include "SI_Typ.h"

#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace SISam_Proc {

std::function<void(const std::filesystem::path&)> PoPrecteniCipu;

namespace {

// Files whose opening failed and was logged: logged again only after they opened once.
std::set<std::filesystem::path>& NelzeOtevrit() {
    static std::set<std::filesystem::path> files;
    return files;
}

} // namespace

std::optional<int32_t> PrectiCip() {
    const std::filesystem::path folder = SI_Typ::KioskDataPath();
    for (int c = 1; c <= 20; ++c) {
        const std::optional<std::filesystem::path> file = SI_Port::FindCardNumberFile(folder, c);
        if (!file) {
            continue;
        }
        const int fd = ::open(file->c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            const int err = errno;
            if (err != ENOENT && NelzeOtevrit().insert(*file).second) {
                Protokol(LogChyba, file->string() + " ERR=" + std::to_string(err));
            }
            continue;
        }
        NelzeOtevrit().erase(*file);
        uint8_t rec[TCardNumberRec::Size];
        size_t got = 0;
        while (got < sizeof rec) {
            const ssize_t n = ::read(fd, rec + got, sizeof rec - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<size_t>(n);
        }
        if (got < sizeof rec) {
            ::close(fd);
            continue;
        }
        if (PoPrecteniCipu) {
            PoPrecteniCipu(*file);
        }
        // Through this handle: a newer card written by rename is a new file and stays.
        const bool emptied = ::ftruncate(fd, 0) == 0;
        const int err = errno;
        ::close(fd);
        if (!emptied) {
            // Not emptied, so not taken: the same card would come back at every poll.
            if (NelzeOtevrit().insert(*file).second) {
                Protokol(LogChyba, file->string() + " ERR=" + std::to_string(err));
            }
            continue;
        }
        return TCardNumberRec::FromBytes(rec).cardNumber;
    }
    return std::nullopt;
}

} // namespace SISam_Proc
