#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Files shared with the results program are Windows-1250 (Central European); inside the
// programs every text is UTF-8.
namespace platform {

std::string Cp1250ToUtf8(std::string_view cp1250);
// Characters that Windows-1250 cannot hold become '?'.
std::string Utf8ToCp1250(std::string_view utf8);

// Upper case of one Windows-1250 byte (ASCII and the Central European letters).
unsigned char Cp1250Upper(unsigned char c);
// Equal when compared without regard to letter case, both sides in Windows-1250.
bool Cp1250EqualNoCase(std::string_view a, std::string_view b);
// The same for two UTF-8 texts (letters outside Windows-1250 must match exactly).
bool Utf8EqualNoCase(std::string_view a, std::string_view b);

// Number of characters (code points) of a UTF-8 text, and its first n characters.
size_t Utf8Length(std::string_view utf8);
std::string Utf8Left(std::string_view utf8, size_t n);

// Short-string fields of records: a length byte followed by up to maxLen Windows-1250
// characters; the rest of the field is zero. A longer text is cut by characters.
void PutShortString(uint8_t* field, size_t maxLen, std::string_view utf8);
// Reads such a field; a length byte larger than maxLen is taken as maxLen.
std::string GetShortString(const uint8_t* field, size_t maxLen);

} // namespace platform
