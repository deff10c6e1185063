#pragma once

// Control-description records as the results program writes them, for the tests of the sheets,
// the sheet job and the program's print folder.

#include "PiktRec.h"
#include "platform/Cp1250.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace pikttest {

using Rec = std::array<uint8_t, fPikt::TPiktRec::Size>;

inline std::string Bytes(const Rec& r) {
    return std::string(r.begin(), r.end());
}

inline void Put16(Rec& r, size_t at, uint16_t v) {
    r[at] = v & 0xFF;
    r[at + 1] = v >> 8;
}

inline std::string Runner(uint16_t number, const std::string& name, const std::string& first,
                          const std::string& second, int32_t si, const std::string& start1,
                          const std::string& start2, const std::string& start3) {
    Rec r{};
    r[0] = fPikt::KindRunner;
    Put16(r, 1, number);
    platform::PutShortString(&r[3], 25, name);
    platform::PutShortString(&r[29], 3, first);
    platform::PutShortString(&r[33], 4, second);
    const auto u = static_cast<uint32_t>(si);
    for (int i = 0; i < 4; ++i) {
        r[38 + i] = static_cast<uint8_t>(u >> (8 * i));
    }
    platform::PutShortString(&r[48], 6, start1);
    platform::PutShortString(&r[55], 8, start2);
    platform::PutShortString(&r[64], 17, start3);
    return Bytes(r);
}

inline std::string Header4(const std::string& text) {
    Rec r{};
    r[0] = fPikt::KindHeader4;
    platform::PutShortString(&r[1], 30, text);
    return Bytes(r);
}

// 5.2 as a 48-bit real: 1.3 * 2^2, exponent 2 + 129, fraction 0.3 * 2^39.
inline const std::array<uint8_t, 6> Real5_2 = {0x83, 0x66, 0x66, 0x66, 0x66, 0x26};

inline std::string Course(const std::string& name, std::array<uint8_t, 6> length, uint16_t climb) {
    Rec r{};
    r[0] = fPikt::KindCourse;
    platform::PutShortString(&r[1], 10, name);
    std::copy(length.begin(), length.end(), r.begin() + 12);
    Put16(r, 20, climb);
    return Bytes(r);
}

// A start, control or finish record: the row type follows the kind.
inline std::string RowRec(uint8_t kind, uint8_t b2, std::array<uint8_t, 6> columns,
                          const std::string& text = "", uint16_t type = 0) {
    Rec r{};
    r[0] = kind;
    Put16(r, 1, type ? type : kind);
    r[3] = b2;
    std::copy(columns.begin(), columns.end(), r.begin() + 4);
    platform::PutShortString(&r[10], 7, text);
    return Bytes(r);
}

} // namespace pikttest
