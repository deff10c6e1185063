#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The chip prompt's model: counts down in 100 ms ticks and takes the first card an SI reader
// has written.
namespace NactiCip {

// Takes one card from the card-number files Data_Sam/N<c>_<race4>.SI<stage>, c = 1..9, A..K:
// the first file holding a record wins and is emptied. 0 when none holds one.
int32_t PrectiCip();

class TNactiCipModel {
public:
    // A card source other than the files (for tests); returns 0 when it has none.
    std::function<int32_t()> zdroj = PrectiCip;

    void Nastav(const std::string& prompt, int sekundy);
    // One 100 ms tick; true when the prompt closes (Vysledek says why).
    bool Tick();

    const std::string& Prompt() const { return prompt_; }
    // Card number; 0 cancelled; -1 time-out.
    int32_t Vysledek() const { return vysledek_; }
    int Pozice() const { return pozice_; }
    int Maximum() const { return maximum_; }

private:
    std::string prompt_;
    int tiky_ = 0;
    int pozice_ = 0;
    int maximum_ = 0;
    int32_t vysledek_ = 0;
};

} // namespace NactiCip
