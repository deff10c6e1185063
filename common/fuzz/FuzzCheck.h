#pragma once

// A broken property ends the fuzz run at once, so libFuzzer keeps the input that broke it.

#include <cstdlib>

inline void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}
