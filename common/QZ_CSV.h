#pragma once

#include <array>
#include <string>
#include <string_view>

namespace QZ_CSV {

constexpr size_t MaxFields = 30;
using Fields = std::array<std::string, MaxFields>;

// Splits a line at the separator into at most 30 trimmed fields. Empty parts between two
// separators give empty fields; a separator at the end adds no field. When a line has more
// parts than fields, the last field holds the whole rest of the line (separators included),
// so nothing is lost.
void SplitFields(std::string_view line, char separator, Fields& fields);

} // namespace QZ_CSV
