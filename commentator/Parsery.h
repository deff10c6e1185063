#pragma once

// The parsers of the punch lines the input sources deliver: the ';' split lines of the base
// stations and of the results program, the radio-control lines and the timer files. Each
// fills a fresh TMezicasRec and says whether the line gives a punch.

#include "TMezicasRec.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Parsery {

// Line columns are 1-based and count the terminators read with the line; a column past the
// end of the line reads as empty.
std::string_view Columns(std::string_view line, size_t from, size_t to);
char Column(std::string_view line, size_t at); // '\0' past the end
// A signed decimal whole number that fits 32 bits; leading blanks are skipped, anything else
// that is not a digit fails (an empty text fails).
bool ReadNumber(std::string_view text, int32_t& value);

// For codes 1..30: the chip last seen at that code in one source's ';' lines, so that a line
// that names no chip (a start gate, a bib punch) can be given the chip of the previous one.
using TLastChip = std::array<int32_t, 30>;

// The finish times the timer marked as memo ("m") lines, so that a later cancellation of the
// same time ("c") is recognised. Times are compared on their first 10 characters (up to the
// tenths): the memo keeps no more, and the cancelling line may carry more digits.
class TAlgeMemoCasy {
public:
    static constexpr size_t MaxCas = 10;
    bool Lookup(int32_t startCislo, std::string_view cas) const;
    void Remember(int32_t startCislo, std::string_view cas);
    void Clear() { casy_.clear(); }
    size_t Count() const { return casy_.size(); }

private:
    struct TAlge1Cas {
        int32_t StartCislo = 0;
        std::string Cas;
    };
    std::vector<TAlge1Cas> casy_;
};

// The program's one list of remembered timer times.
TAlgeMemoCasy& AlgeMemoCasy();

// What the timer parsers need to know of the race; the race model fills it in. An empty
// function counts as an individual race with no relay found.
struct TParserContext {
    std::function<int32_t()> DruhZavodu; // 0 individual, 1 stage race, 2 relay
    // The legs (PocetUseku) of the category of the relay runner with this start number who
    // runs leg `usek` at the time given as text; 0 when none is found.
    std::function<int32_t(int32_t startCislo, int32_t usek, std::string_view cas)>
        PocetUsekuStafety;
};

// ';' split line. lastChip is the source's chip memory; nullptr when the lines are read back
// from the program's own copy, which already holds every chip the live reading gave (a
// borrowed chip would hand the time to another runner).
bool ParseSplitLine(std::string_view line, TMezicasRec& rec, TLastChip* lastChip);
// Radio-control line: chip in columns 1..8, code in 11..13, time in 15..24.
bool ParseRacomLine(std::string_view line, TMezicasRec& rec);
// Timer finish line, both protocols.
bool ParseAlgeFinishLine(std::string_view line, TMezicasRec& rec, TAlgeMemoCasy& memo,
                         const TParserContext& context);
// One line of a hand-made timer file.
bool ParseAlgeManualLine(std::string_view line, TMezicasRec& rec);
// Timer start line: the K and C forms and the second protocol.
bool ParseAlgeStartLine(std::string_view line, TMezicasRec& rec);

} // namespace Parsery
