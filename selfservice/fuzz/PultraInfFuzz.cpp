// Pultra.inf as the results program may leave it: any bytes give values within their bounds
// or leave the race in force with a reason.
#include "PultraLogic.h"
#include "SISam_Typ.h"
#include "SI_Typ.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    static Pultra::TCteniInf cteni;
    const auto v = cteni.Prevezmi(bytes, "Pultra.inf", "ravlin");
    if (v == Pultra::TCteniInf::Vysledek::Chyba) {
        Check(!cteni.ChybaText().empty());
    } else {
        Check(SI_Typ::Zavod >= 1 && SI_Typ::Zavod <= 9999);
        for (int a = 1; a <= SISam_Typ::PocetAkci; ++a) {
            Check(SISam_Typ::Param.Uroven[size_t(a)] >= 0 &&
                  SISam_Typ::Param.Uroven[size_t(a)] <= 2);
        }
        Check(Pultra::Inf.Date.size() <= 40 && Pultra::Inf.Time.size() <= 32);
    }
    return 0;
}
