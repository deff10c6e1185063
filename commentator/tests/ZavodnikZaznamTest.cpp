#include "ZavodnikZaznam.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Mezicasy;

TEST(ZavodnikZaznam, RoundTripKeepsEveryFieldInItsPlace) {
    TZavodnikData d;
    d.Kategorie = "D21";
    d.Jmeno = "Žluťoučká Kůňová";
    d.Cip = 1234567;
    d.RegCislo = "ABC1234";
    d.CasStartu = 12.345;
    d.CasStartuNahradni = 0.3;
    d.Stav = 7;
    d.StartCislo = "12/3";
    d.CasPredchozi = 123.45;
    d.StavPredchozi = 2;
    d.Kontroly[1] = 45;
    d.Kontroly[15] = 1;
    d.PoradiKontrol[1] = 3;
    d.Mezicasy[1] = 5.5;
    d.Mezicasy[15] = 60.01;
    uint8_t z[kVelikostZaznamu];
    ZabalZaznam(d, z);
    EXPECT_EQ(z[11], 16);   // name length
    EXPECT_EQ(z[12], 0x8E); // 'Ž' in Windows-1250
    EXPECT_EQ(z[42], 0x87); // chip, little-endian
    EXPECT_EQ(z[44], 0x12);
    EXPECT_EQ(z[67], 4); // "-100"
    EXPECT_EQ(z[116], 45);
    EXPECT_EQ(z[146 + 14 * 13], 5); // "60.01"
    const TZavodnikData back = RozbalZaznam(z);
    EXPECT_EQ(back.Jmeno, d.Jmeno);
    EXPECT_EQ(back.Cip, d.Cip);
    EXPECT_EQ(back.RegCislo, d.RegCislo);
    EXPECT_EQ(back.CasStartu, 12.345);
    EXPECT_EQ(back.CasStartuRazeny, kBezCasu);
    EXPECT_EQ(back.Stav, 7);
    EXPECT_EQ(back.StartCislo, "12/3");
    EXPECT_EQ(back.StavPredchozi, 2);
    EXPECT_EQ(back.Kontroly, d.Kontroly);
    EXPECT_EQ(back.PoradiKontrol, d.PoradiKontrol);
    EXPECT_EQ(back.Mezicasy, d.Mezicasy);

    // Too long a name is cut to its 30 characters; a length byte beyond the field is capped.
    d.Jmeno = std::string(40, 'x');
    ZabalZaznam(d, z);
    EXPECT_EQ(z[11], 30);
    z[11] = 35;
    EXPECT_EQ(RozbalZaznam(z).Jmeno, std::string(30, 'x'));
}

TEST(ZavodnikZaznam, TimeTexts) {
    struct Case {
        const char* text;
        double value;
    } const cases[] = {{"-100", -100}, {"12.345", 12.345}, {"12,345", 12.345}, {"nan", 0},
                       {"inf", 0},     {"1e3", 0},         {"99999999999", 0}, {"12.3x", 0},
                       {"", 0},        {" 1", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(TextNaCas(c.text), c.value) << c.text;
    }
}

TEST(ZavodnikZaznam, FileOfWholeRecordsIgnoresATrailingPart) {
    uint8_t z[kVelikostZaznamu];
    TZavodnikData d;
    d.Cip = 5;
    ZabalZaznam(d, z);
    std::string bytes(reinterpret_cast<const char*>(z), sizeof z);
    bytes += bytes + std::string(100, '\x7f');
    const auto all = RozbalSoubor(bytes);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].Cip, 5);
    // With no start time at all the split runs from the zero time.
    EXPECT_EQ(all[1].CasStartuEfektivni(), 0);
}

// The status words sit at offsets 93 and 114, little-endian, written and read there.
TEST(ZavodnikZaznam, StatusWordsAtTheirOffsets) {
    TZavodnikData d;
    d.Stav = 0x0107;
    d.StavPredchozi = 0x0203;
    d.Kontroly[1] = 45;
    uint8_t z[kVelikostZaznamu];
    ZabalZaznam(d, z);
    EXPECT_EQ((std::vector<int>{z[93], z[94], z[114], z[115], z[116]}),
              (std::vector<int>{7, 1, 3, 2, 45}));
    const TZavodnikData back = RozbalZaznam(z);
    EXPECT_EQ(back.Stav, 0x0107);
    EXPECT_EQ(back.StavPredchozi, 0x0203);
}
