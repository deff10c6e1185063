// Time texts come from other programs' lines: any bytes must read as a time or as none, and a
// time that reads must come back within the day's range.
#include "KomentTools.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto t = Koment::CasZRetezce(text);
    if (t) {
        // Within 99 hours of the zero time either way, after the twelve-hour lift.
        if (*t > 100 * 60 || *t < -100 * 60) {
            std::abort();
        }
        (void)Koment::CasText(0, true, 3, *t);
        (void)Koment::CasText(1, false, 0, *t);
        (void)Koment::OrizniCas(*t);
    }
    return 0;
}
