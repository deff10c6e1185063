// The competitor table, the two line formats of Ravlin's exports and the category and club
// lists.
#include "SISam_Proc.h"

#include "QZ_CSV.h"
#include "Tools.h"
#include "platform/Files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace SISam_Proc {

using namespace SISam_Typ;

std::array<TZavodnik, MaxZavodniku> Zavodnici;
int32_t MaxID = 0;
int32_t PocetZavodniku = 0;
int32_t PocetDobehlych = 0;
double PosledniStart = 0;
uint64_t VerzeDat = 0;

const TZavodnik* Zavodnik(int32_t id) {
    if (id < 1 || id > MaxZavodniku) {
        return nullptr;
    }
    const TZavodnik& z = Zavodnici[static_cast<size_t>(id - 1)];
    return z.ID == id ? &z : nullptr;
}

namespace {

// Times, lengths and the like far beyond any race are faults of the file, not values.
constexpr double kMaxReal = 1e6;

template <typename Int> bool CeleCislo(std::string_view text, Int& out) {
    int64_t v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || ptr != end || v < std::numeric_limits<Int>::min() ||
        v > std::numeric_limits<Int>::max()) {
        return false;
    }
    out = static_cast<Int>(v);
    return true;
}

bool RealneCislo(std::string_view text, double& out) {
    std::string t(text);
    if (t.find('.') == std::string::npos) {
        std::replace(t.begin(), t.end(), ',', '.');
    }
    double v = 0;
    const char* end = t.data() + t.size();
    const auto [ptr, ec] = std::from_chars(t.data(), end, v);
    if (t.empty() || ec != std::errc() || ptr != end || !std::isfinite(v) ||
        std::fabs(v) > kMaxReal) {
        return false;
    }
    out = v;
    return true;
}

} // namespace

bool RadekZavodnika(std::string_view line, TZavodnik& z) {
    if (!line.empty() && line.front() == '#') {
        return false;
    }
    thread_local QZ_CSV::Fields f; // kept between lines: their strings keep their room
    QZ_CSV::SplitFields(line, ';', f);
    TZavodnik r;
    if (!CeleCislo(f[0], r.ID) || r.ID < 1 || r.ID > MaxZavodniku || !CeleCislo(f[3], r.SI) ||
        !RealneCislo(f[6], r.Start) || !RealneCislo(f[7], r.Vysledek) || !CeleCislo(f[8], r.Stav) ||
        !CeleCislo(f[9], r.MS) || !CeleCislo(f[10], r.Status)) {
        return false;
    }
    r.Kategorie = Orez(f[1], DelkaKategorie);
    r.Jmeno = Orez(f[2], DelkaJmena);
    r.Oddil = Orez(f[4], DelkaOddilu);
    r.RegC = Orez(f[5], DelkaRegC);
    r.Text = Orez(f[11], DelkaTextu);
    z = std::move(r);
    return true;
}

bool RadekKategorie(std::string_view line, TKategorie& k) {
    if (!line.empty() && line.front() == '#') {
        return false;
    }
    thread_local QZ_CSV::Fields f; // kept between lines: their strings keep their room
    QZ_CSV::SplitFields(line, ';', f);
    TKategorie r = k;
    // Columns 6..10 in the order Ravlin writes them, as actions.
    static constexpr int kSloupce[] = {AkceZmenaCasu, AkceZamenaCasu, AkceOdhlaseni, AkceZmenaJmena,
                                       AkceZmenaCipu};
    if (f[0].empty() || !CeleCislo(f[1], r.Zmena) || !RealneCislo(f[2], r.Delka) ||
        !CeleCislo(f[3], r.Prevyseni) || !CeleCislo(f[4], r.Kontrol)) {
        return false;
    }
    for (int i = 0; i < 5; ++i) {
        if (!CeleCislo(f[5 + i], r.Uroven[kSloupce[i]])) {
            return false;
        }
    }
    r.Nazev = VelkaPismena(Orez(f[0], DelkaKategorie));
    k = std::move(r);
    return true;
}

std::string RadekPozadavku(const TZavodnik& z) {
    char start[32];
    const auto res =
        std::to_chars(start, start + sizeof start, z.Start, std::chars_format::fixed, 2);
    const std::string id = std::to_string(z.ID);
    const std::string si = std::to_string(z.SI);
    std::string line;
    for (const std::string_view part :
         {std::string_view(id), std::string_view(z.Kategorie), std::string_view(z.Jmeno),
          std::string_view(si), std::string_view(z.Oddil), std::string_view(z.RegC),
          std::string_view(start, static_cast<size_t>(res.ptr - start))}) {
        line += Tools::Trim(part);
        line += ';';
    }
    return line;
}

int NajdiKategorii(std::string_view nazev) {
    const std::string key = VelkaPismena(nazev);
    for (size_t i = 0; i < SeznamKategorii.size(); ++i) {
        if (SeznamKategorii[i].Nazev == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int NajdiOddil(std::string_view kod) {
    const std::string key = VelkaPismena(kod);
    for (size_t i = 0; i < SeznamOddilu.size(); ++i) {
        if (SeznamOddilu[i].Kod == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TKategorie& DejKategorii(std::string_view nazev) {
    const int i = NajdiKategorii(nazev);
    if (i >= 0) {
        return SeznamKategorii[static_cast<size_t>(i)];
    }
    TKategorie k;
    k.Nazev = VelkaPismena(Orez(nazev, DelkaKategorie));
    SeznamKategorii.push_back(std::move(k));
    return SeznamKategorii.back();
}

void SetridKategorie() {
    std::stable_sort(SeznamKategorii.begin(), SeznamKategorii.end(),
                     [](const TKategorie& a, const TKategorie& b) {
                         const int va = a.VahaKategorie();
                         const int vb = b.VahaKategorie();
                         return va != vb ? va < vb : platform::LessNoCase(a.Nazev, b.Nazev);
                     });
}

void SetridOddily() {
    std::stable_sort(
        SeznamOddilu.begin(), SeznamOddilu.end(),
        [](const TOddil& a, const TOddil& b) { return platform::LessNoCase(a.Kod, b.Kod); });
}

int32_t ZmenaKategorie(std::string_view nazev) {
    const int i = NajdiKategorii(nazev);
    return i < 0 ? -1 : SeznamKategorii[static_cast<size_t>(i)].Zmena;
}

} // namespace SISam_Proc
