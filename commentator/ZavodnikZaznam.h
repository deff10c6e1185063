#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Mezicasy {

// Timed points of a course are numbered 1..15; element 0 of the point arrays is never used.
constexpr int kBodu = 15;
// No time in the three start fields.
constexpr double kBezCasu = -100;

// One competitor as the results program exports it.
struct TZavodnikData {
    std::string Kategorie; // at most 10 characters
    std::string Jmeno;     // at most 30
    int32_t Cip = 0;
    std::string RegCislo;                // at most 7
    double CasStartu = kBezCasu;         // from the start list, m.ss
    double CasStartuRazeny = kBezCasu;   // from a paired start punch
    double CasStartuNahradni = kBezCasu; // second start time from the results program
    uint16_t Stav = 0;                   // 0 O.K., 1 disqualified, 2 DNF, 3 DNS, 7 over time
    std::string StartCislo;              // at most 5; relays: bib, slash and leg
    double CasPredchozi = 0;             // from previous stages
    uint16_t StavPredchozi = 0;
    std::array<uint8_t, kBodu + 1> Kontroly{};      // code at points 1..15, 1 = finish
    std::array<uint8_t, kBodu + 1> PoradiKontrol{}; // sequence number on the course
    std::array<double, kBodu + 1> Mezicasy{};       // split at points 1..15, 0 = none yet

    // CasStartuRazeny, else CasStartuNahradni, else CasStartu; with none of them the zero
    // time (a split from -100 would be 100 minutes too long).
    double CasStartuEfektivni() const;
};

// The 341-byte record of the results program's competitor file, little-endian, packed.
constexpr size_t kVelikostZaznamu = 341;

// Time text of a record: a decimal number with a point (a comma is taken too); what does not
// read completely, is not finite or lies beyond any race time reads as 0.
double TextNaCas(std::string_view text);
TZavodnikData RozbalZaznam(const uint8_t* zaznam);
void ZabalZaznam(const TZavodnikData& d, uint8_t* zaznam);
// Every whole record of a file's bytes; a partial record at the end is left out.
std::vector<TZavodnikData> RozbalSoubor(std::string_view bytes);

} // namespace Mezicasy
