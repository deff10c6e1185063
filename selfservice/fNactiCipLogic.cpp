// The chip prompt and the card-number files it empties.
#include "fNactiCipLogic.h"

#include "SISam_Proc.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "platform/Files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace NactiCip {

namespace fs = std::filesystem;

int32_t PrectiCip() {
    const fs::path slozka = SI_Typ::KioskDataPath();
    for (int com = 1; com <= 20; ++com) {
        const auto soubor = SI_Port::FindCardNumberFile(slozka, com);
        if (!soubor) {
            continue;
        }
        // Taken by renaming first: a card the reader writes meanwhile goes into a new file
        // instead of being emptied away unread.
        const fs::path bere = fs::path(soubor->string() + ".cte");
        if (std::rename(soubor->c_str(), bere.c_str()) != 0) {
            if (errno != ENOENT) {
                SISam_Proc::Protokol(SISam_Proc::LogChyba,
                                     soubor->string() + " ERR=" + std::to_string(errno));
            }
            continue;
        }
        std::string bytes;
        const bool precteno = platform::ReadWholeFile(bere, bytes, nullptr, 1 << 16);
        std::error_code ec;
        fs::remove(bere, ec);
        if (!precteno || bytes.size() < TCardNumberRec::Size) {
            continue;
        }
        return TCardNumberRec::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data())).cardNumber;
    }
    return 0;
}

void TNactiCipModel::Nastav(const std::string& prompt, int sekundy) {
    prompt_ = prompt;
    tiky_ = sekundy * 10;
    maximum_ = tiky_;
    pozice_ = 0;
    vysledek_ = 0;
}

bool TNactiCipModel::Tick() {
    --tiky_;
    const int32_t cip = zdroj ? zdroj() : 0;
    if (cip != 0) {
        vysledek_ = cip;
        return true;
    }
    if (tiky_ < 0) {
        vysledek_ = -1;
        return true;
    }
    ++pozice_;
    return false;
}

} // namespace NactiCip
