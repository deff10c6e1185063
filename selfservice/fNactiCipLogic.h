#pragma once

#include "SISam_Proc.h"

#include <cstdint>
#include <functional>
#include <string>

// The chip prompt's model: counts down in 100 ms ticks and takes the first card an SI reader
// has written.
namespace NactiCip {

class TNactiCipModel {
public:
    // Where cards come from: the card-number files of the SI readers (SISam_Proc::PrectiCip),
    // or another source in tests; 0 when it has none.
    std::function<int32_t()> zdroj = [] { return SISam_Proc::PrectiCip().value_or(0); };

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
