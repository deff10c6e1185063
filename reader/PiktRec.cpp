#include "PiktRec.h"

#include "platform/Cp1250.h"

#include <cmath>
#include <cstring>

namespace fPikt {

namespace {

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

int32_t I32(const uint8_t* p) {
    const uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                       (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int32_t>(v);
}

} // namespace

std::string TPiktRow::Text() const {
    return platform::GetShortString(&bytes[9], 7);
}

double Real48ToDouble(const uint8_t* b) {
    const int exponent = b[0];
    if (exponent == 0) {
        return 0.0;
    }
    uint64_t fraction = 0;
    for (int i = 5; i >= 1; --i) {
        fraction = (fraction << 8) | b[i];
    }
    const bool negative = (fraction >> 39) & 1;
    fraction &= (uint64_t{1} << 39) - 1;
    const double mantissa = 1.0 + std::ldexp(static_cast<double>(fraction), -39);
    const double value = std::ldexp(mantissa, exponent - 129);
    return negative ? -value : value;
}

TPiktRec TPiktRec::FromBytes(const uint8_t* data) {
    TPiktRec r;
    std::memcpy(r.bytes.data(), data, Size);
    return r;
}

std::string TPiktRec::HeaderLine4() const {
    return platform::GetShortString(&bytes[1], 30);
}

uint16_t TPiktRec::Number() const {
    return U16(&bytes[1]);
}
std::string TPiktRec::Name() const {
    return platform::GetShortString(&bytes[3], 25);
}
std::string TPiktRec::FirstText() const {
    return platform::GetShortString(&bytes[29], 3);
}
std::string TPiktRec::SecondText() const {
    return platform::GetShortString(&bytes[33], 4);
}
int32_t TPiktRec::SiCard() const {
    return I32(&bytes[38]);
}
std::string TPiktRec::StartText1() const {
    return platform::GetShortString(&bytes[48], 6);
}
std::string TPiktRec::StartText2() const {
    return platform::GetShortString(&bytes[55], 8);
}
std::string TPiktRec::StartText3() const {
    return platform::GetShortString(&bytes[64], 17);
}

std::string TPiktRec::CourseName() const {
    return platform::GetShortString(&bytes[1], 10);
}
double TPiktRec::Length() const {
    return Real48ToDouble(&bytes[12]);
}
uint16_t TPiktRec::Climb() const {
    return U16(&bytes[20]);
}

TPiktRow TPiktRec::Row() const {
    TPiktRow row;
    std::memcpy(row.bytes.data(), &bytes[1], TPiktRow::Size);
    return row;
}

} // namespace fPikt
