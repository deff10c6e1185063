// The chip prompt.
#include "fNactiCipLogic.h"

namespace NactiCip {

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
