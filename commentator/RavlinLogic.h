#pragma once

// What the results-program link dialog decides, apart from the window: whether the folder it
// names holds Hlasvel.inf, which controls show, and what OK stores.

#include "platform/IniFile.h"

#include <array>
#include <string>

namespace RavlinDialog {

inline constexpr const char* Sekce = "Ravlin";
inline constexpr size_t PocetVoleb = 7;

// The seven take-over boxes in the form's order, with their captions (Czech in both languages).
struct TVolba {
    const char* jmeno;
    const char* text;
};
extern const std::array<TVolba, PocetVoleb> Volby;

struct TPopisky {
    std::string titulek;
    std::string lblPathRavlin;
    std::string lblPathRavlinHint;
    std::string checkDleRavlin;
};
TPopisky Popisky();

class TRavlinLogic {
public:
    // FormActivate: the controls from RavlinNastaveni, then Vyhodnoceni.
    void FormActivate();
    // Validation and visibility, after every change of the switch or the path.
    void Vyhodnoceni();
    // Stores the controls in RavlinNastaveni and section "Ravlin".
    bool BitBtnOkClick(platform::IniFile& ini);

    bool podleRavlin = false;
    std::string path;
    // In the order of Volby: chkZavod, chkZavodnici, chkRacom, chkAlgeStart, chkAlgeCilPrimo,
    // chkAlgeCilRucne, chkQzPort1.
    std::array<bool, PocetVoleb> volby{};

    std::string errorInfo;
    bool okVidet = true;
    bool cestaVidet = false; // lblPathRavlin, PathRavlin, btnVyberCestu
    bool volbyVidet = false;
};

} // namespace RavlinDialog
