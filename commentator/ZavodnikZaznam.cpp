#include "ZavodnikZaznam.h"

#include "platform/Cp1250.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Mezicasy {

double TZavodnikData::CasStartuEfektivni() const {
    if (CasStartuRazeny != kBezCasu) {
        return CasStartuRazeny;
    }
    if (CasStartuNahradni != kBezCasu) {
        return CasStartuNahradni;
    }
    if (CasStartu != kBezCasu) {
        return CasStartu;
    }
    return 0;
}

namespace {

// Offsets of the record's fields.
constexpr size_t oKategorie = 0;
constexpr size_t oJmeno = 11;
constexpr size_t oCip = 42;
constexpr size_t oRegCislo = 46;
constexpr size_t oCasStartu = 54;
constexpr size_t oCasStartuRazeny = 67;
constexpr size_t oCasStartuNahradni = 80;
constexpr size_t oStav = 93;
constexpr size_t oStartCislo = 95;
constexpr size_t oCasPredchozi = 101;
constexpr size_t oStavPredchozi = 114;
constexpr size_t oKontroly = 116;
constexpr size_t oPoradiKontrol = 131;
constexpr size_t oMezicasy = 146;
constexpr size_t kCas = 12; // time texts are short strings of 12

// More minutes than any race lasts (about 19 years); beyond it a value is garbage.
constexpr double kMaxCas = 1e7;

uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

double GetCas(const uint8_t* field) {
    const size_t len = std::min<size_t>(field[0], kCas);
    return TextNaCas(std::string_view(reinterpret_cast<const char*>(field + 1), len));
}

void PutCas(uint8_t* field, double v) {
    char buf[64];
    std::string text;
    if (!std::isfinite(v) || std::fabs(v) >= kMaxCas) {
        v = 0;
    }
    // Shortest text that reads back as the same number, else as many decimals as fit.
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    text.assign(buf, res.ptr);
    for (int prec = 9; text.size() > kCas && prec >= 0; --prec) {
        std::snprintf(buf, sizeof buf, "%.*f", prec, v);
        text = buf;
    }
    std::memset(field, 0, kCas + 1);
    field[0] = static_cast<uint8_t>(text.size());
    std::memcpy(field + 1, text.data(), text.size());
}

} // namespace

namespace {

// Plain decimals ("-100", "12.345", "0") without the general parser: a competitor file has
// nineteen of them a record. Mantissa and power of ten are exact doubles and the division is
// correctly rounded, so the value is the one the general parser gives.
bool RychleCislo(std::string_view text, double& v) {
    static constexpr double kMocniny[] = {1,   1e1, 1e2, 1e3,  1e4,  1e5, 1e6,
                                          1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
    size_t i = 0;
    const bool minus = !text.empty() && text[0] == '-';
    if (minus || (!text.empty() && text[0] == '+')) {
        i = 1;
    }
    if (text.size() > 13 || i == text.size()) {
        return false;
    }
    uint64_t mantisa = 0;
    int digits = 0;
    int decimals = -1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            mantisa = mantisa * 10 + static_cast<uint64_t>(c - '0');
            ++digits;
            if (decimals >= 0) {
                ++decimals;
            }
        } else if ((c == '.' || c == ',') && decimals < 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (digits == 0) {
        return false;
    }
    v = static_cast<double>(mantisa) / kMocniny[decimals < 0 ? 0 : decimals];
    if (minus) {
        v = -v;
    }
    return true;
}

} // namespace

double TextNaCas(std::string_view text) {
    double quick = 0;
    if (RychleCislo(text, quick)) {
        return std::fabs(quick) >= kMaxCas ? 0 : quick;
    }
    char s[32];
    if (text.size() > sizeof s) {
        return 0;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        s[i] = text[i] == ',' ? '.' : text[i];
    }
    const char* begin = s;
    const char* end = s + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    double v = 0;
    const auto res = std::from_chars(begin, end, v, std::chars_format::fixed);
    if (res.ec != std::errc() || res.ptr != end || !std::isfinite(v) || std::fabs(v) >= kMaxCas) {
        return 0;
    }
    return v;
}

TZavodnikData RozbalZaznam(const uint8_t* z) {
    TZavodnikData d;
    d.Kategorie = platform::GetShortString(z + oKategorie, 10);
    d.Jmeno = platform::GetShortString(z + oJmeno, 30);
    d.Cip = static_cast<int32_t>(Get32(z + oCip));
    d.RegCislo = platform::GetShortString(z + oRegCislo, 7);
    d.CasStartu = GetCas(z + oCasStartu);
    d.CasStartuRazeny = GetCas(z + oCasStartuRazeny);
    d.CasStartuNahradni = GetCas(z + oCasStartuNahradni);
    d.Stav = static_cast<uint16_t>(z[oStav] | z[oStav + 1] << 8);
    d.StartCislo = platform::GetShortString(z + oStartCislo, 5);
    d.CasPredchozi = GetCas(z + oCasPredchozi);
    d.StavPredchozi = static_cast<uint16_t>(z[oStavPredchozi] | z[oStavPredchozi + 1] << 8);
    for (int i = 1; i <= kBodu; ++i) {
        d.Kontroly[i] = z[oKontroly + i - 1];
        d.PoradiKontrol[i] = z[oPoradiKontrol + i - 1];
        d.Mezicasy[i] = GetCas(z + oMezicasy + (i - 1) * (kCas + 1));
    }
    return d;
}

void ZabalZaznam(const TZavodnikData& d, uint8_t* z) {
    std::memset(z, 0, kVelikostZaznamu);
    platform::PutShortString(z + oKategorie, 10, d.Kategorie);
    platform::PutShortString(z + oJmeno, 30, d.Jmeno);
    Put32(z + oCip, static_cast<uint32_t>(d.Cip));
    platform::PutShortString(z + oRegCislo, 7, d.RegCislo);
    PutCas(z + oCasStartu, d.CasStartu);
    PutCas(z + oCasStartuRazeny, d.CasStartuRazeny);
    PutCas(z + oCasStartuNahradni, d.CasStartuNahradni);
    z[oStav] = static_cast<uint8_t>(d.Stav);
    z[oStav + 1] = static_cast<uint8_t>(d.Stav >> 8);
    platform::PutShortString(z + oStartCislo, 5, d.StartCislo);
    PutCas(z + oCasPredchozi, d.CasPredchozi);
    z[oStavPredchozi] = static_cast<uint8_t>(d.StavPredchozi);
    z[oStavPredchozi + 1] = static_cast<uint8_t>(d.StavPredchozi >> 8);
    for (int i = 1; i <= kBodu; ++i) {
        z[oKontroly + i - 1] = d.Kontroly[i];
        z[oPoradiKontrol + i - 1] = d.PoradiKontrol[i];
        PutCas(z + oMezicasy + (i - 1) * (kCas + 1), d.Mezicasy[i]);
    }
}

std::vector<TZavodnikData> RozbalSoubor(std::string_view bytes) {
    std::vector<TZavodnikData> out;
    out.reserve(bytes.size() / kVelikostZaznamu);
    for (size_t at = 0; at + kVelikostZaznamu <= bytes.size(); at += kVelikostZaznamu) {
        out.push_back(RozbalZaznam(reinterpret_cast<const uint8_t*>(bytes.data() + at)));
    }
    return out;
}

} // namespace Mezicasy
