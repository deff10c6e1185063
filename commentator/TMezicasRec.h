#pragma once

#include <cstdint>
#include <string>

// One raw punch as an input line delivers it; every parser produces it and the master list
// files it.
struct TMezicasRec {
    int32_t Cip = 0;        // SI chip number, 0 = none on the line
    int32_t StartCislo = 0; // start number, 0 = none
    int32_t Kod = 0;        // 1..30 start/finish, 31..255 controls, 9998/9999 commands
    std::string Cas;        // time of day as received, at most 13 characters
    int32_t Stav = 0;       // line status (-1 delete, 4 paired gate, 5 gate or bib start line)
    uint16_t Druh = 0;      // kind of source line, 1..5
    uint16_t Usek = 0;      // relay leg, 0 = none

    static constexpr size_t MaxCas = 13;
};
