#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The records of a control-description file (Pikt*.dat), written by the results program: fixed
// 82-byte records, little-endian, no header; byte 0 is the record kind.
namespace fPikt {

// Record kinds.
enum : uint8_t {
    KindHeader4 = 0, // header line 4
    KindRunner = 1,  // a runner: begins a sheet in modes 1 and 2
    KindCourse = 2,  // course name, length and climb
    KindStart = 10,
    KindControl = 11,
    KindFinish = 12,
};

// Row types; drawing goes by the row's own type, not by the kind of its record.
enum : uint16_t { RowStart = 10, RowControl = 11, RowFinish = 12 };

// One row of the description grid, 17 bytes as they stand in the record:
//   0-1  row type;
//   2    control code (control row), start flag (start row), first finish-line piece (finish);
//   3-8  pictogram codes of columns C to H (0 = empty); byte 8 of a start row is the start
//        pictogram drawn in column B; finish row: line pieces 3-7 and column H (8);
//   9-16 short string of up to 7: column F text, or the finish row's distance text.
struct TPiktRow {
    static constexpr size_t Size = 17;
    std::array<uint8_t, Size> bytes{};

    uint16_t Typ() const { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }
    uint8_t Byte(int k) const { return bytes[static_cast<size_t>(k)]; }
    // The text of bytes 9-16, decoded from Windows-1250.
    std::string Text() const;
};

// Converts the 6-byte real the results program writes (Pascal's 48-bit real): byte 0 the
// exponent (0 means zero), bytes 1-5 the fraction with the sign in the top bit of byte 5.
double Real48ToDouble(const uint8_t* bytes);

struct TPiktRec {
    static constexpr size_t Size = 82;
    std::array<uint8_t, Size> bytes{};

    static TPiktRec FromBytes(const uint8_t* data);

    uint8_t Kind() const { return bytes[0]; }

    // Kind 0.
    std::string HeaderLine4() const;

    // Kind 1.
    uint16_t Number() const;
    std::string Name() const;
    std::string FirstText() const;
    std::string SecondText() const;
    int32_t SiCard() const; // 0 or less: not known
    std::string StartText1() const;
    std::string StartText2() const;
    std::string StartText3() const;

    // Kind 2.
    std::string CourseName() const;
    double Length() const;  // km
    uint16_t Climb() const; // m

    // Kinds 10 to 12.
    TPiktRow Row() const;
};

} // namespace fPikt
