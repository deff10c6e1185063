#pragma once

// A fixture for tests that touch the race globals: each test starts from the values the
// programs start with, set to race 12 at the given stage, and leaves them so for the next.

#include "SI_Typ.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace sitest {

class RaceTest : public ::testing::Test {
protected:
    explicit RaceTest(uint16_t stage = 1) : stage_(stage) {}
    // A fixture's own SetUp calls this first, its TearDown this last.
    void SetUp() override {
        SI_Typ::ResetGlobals();
        SI_Typ::Zavod = 12;
        SI_Typ::Etapa = stage_;
    }
    void TearDown() override { SI_Typ::ResetGlobals(); }

private:
    uint16_t stage_;
};

} // namespace sitest
