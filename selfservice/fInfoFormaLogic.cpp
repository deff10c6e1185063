#include "fInfoFormaLogic.h"

#include <algorithm>

namespace InfoForma {

void TInfoFormaModel::Nastav(const std::string& radek1, const std::string& radek2, bool ne,
                             int sekundy) {
    radek1_ = radek1;
    radek2_ = radek2;
    ne_ = ne;
    sekundy_ = std::max(sekundy, 0);
    pozice_ = 0;
    radek2Viditelny_ = false;
    vysledek_ = 0;
}

bool TInfoFormaModel::Tick(int odpoved) {
    if (!Cekani() || vysledek_ != 0) {
        return vysledek_ != 0;
    }
    if (odpoved != 0) {
        vysledek_ = odpoved;
        return true;
    }
    ++pozice_;
    if (pozice_ < Maximum()) {
        radek2Viditelny_ = radek2Viditelny_ || pozice_ * 10 >= Maximum();
        return false;
    }
    vysledek_ = 3;
    return true;
}

int SirkaFormy(int sirkaRadku1, int sirkaRadku2, int levyOkraj, int sirkaObrazovky) {
    return std::max(
        {sirkaRadku1 + 2 * levyOkraj, sirkaRadku2 + 2 * levyOkraj, sirkaObrazovky * 3 / 4});
}

} // namespace InfoForma
