// The competitor file comes from the results program: any bytes must unpack without harm, and
// what unpacks must pack and unpack to the same values.
#include "ZavodnikZaznam.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto all =
        Mezicasy::RozbalSoubor(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const Mezicasy::TZavodnikData& d : all) {
        uint8_t z[Mezicasy::kVelikostZaznamu];
        Mezicasy::ZabalZaznam(d, z);
        const Mezicasy::TZavodnikData back = Mezicasy::RozbalZaznam(z);
        if (back.Cip != d.Cip || back.Kontroly != d.Kontroly || !std::isfinite(back.CasStartu) ||
            std::fabs(back.CasStartu - d.CasStartu) > 1e-6) {
            std::abort();
        }
    }
    return 0;
}
