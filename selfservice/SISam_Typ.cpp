#include "SISam_Typ.h"

#include "platform/Cp1250.h"

#include <algorithm>

namespace SISam_Typ {

std::vector<TKategorie> SeznamKategorii;
std::vector<TOddil> SeznamOddilu;
std::vector<TPolozkaInfoGrid> SeznamInfoGrid;
TUrovne MaxUrovenKategorie{};
std::bitset<32> ViditelneTagy;
TParamPultra Param;
TPrihlaseni Prihlaseni;

int TKategorie::VahaKategorie() const {
    // Positions count Windows-1250 characters, as the names were written.
    const std::string n = platform::Utf8ToCp1250(Nazev);
    const auto at = [&n](size_t pos) { return pos <= n.size() ? n[pos - 1] : '\0'; };
    int vaha = 10;
    if (at(1) == 'P' || at(1) == 'T' || n.starts_with("HD") || n.starts_with("DH")) {
        vaha = 100;
    } else if (at(2) == 'E' || at(4) == 'E') {
        vaha = 10;
    } else if (at(4) >= 'A' && at(4) <= 'D') {
        vaha = 20 + 10 * (at(4) - 'A');
    }
    if (vaha >= 20 && vaha < 100 && at(1) == 'H') {
        ++vaha;
    }
    return vaha;
}

std::string VelkaPismena(std::string_view utf8) {
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
        std::string s(utf8);
        for (char& c : s) {
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        return s;
    }
    std::string cp = platform::Utf8ToCp1250(utf8);
    bool zmena = false;
    for (char& c : cp) {
        const auto u = static_cast<char>(platform::Cp1250Upper(static_cast<unsigned char>(c)));
        zmena = zmena || u != c;
        c = u;
    }
    // A text that is already upper case stays byte for byte (letters Windows-1250 lacks too).
    return zmena ? platform::Cp1250ToUtf8(cp) : std::string(utf8);
}

std::string Orez(std::string_view utf8, size_t n) {
    // A text of no more bytes than characters allowed needs no counting.
    return utf8.size() <= n ? std::string(utf8) : platform::Utf8Left(utf8, n);
}

void ResetGlobals() {
    SeznamKategorii.clear();
    SeznamOddilu.clear();
    SeznamInfoGrid.clear();
    MaxUrovenKategorie = {};
    ViditelneTagy.reset();
    Param = TParamPultra{};
    Prihlaseni = TPrihlaseni{};
}

} // namespace SISam_Typ
