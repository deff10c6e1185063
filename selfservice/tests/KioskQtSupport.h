#pragma once

// What the kiosk's form tests share: one offscreen application object for the test program,
// and pictures of the forms kept as artefacts of the build.

#include "testsupport/QtApp.h"

#include <QString>
#include <QWidget>

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace kiosktest {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { testsupport::EnsureQtApp(); }
};
// One registration for the whole test program, whichever file includes this first.
inline ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

inline void SaveArtefact(QWidget& w, const char* name) {
    std::filesystem::create_directories(SELFSERVICE_ARTEFACT_DIR);
    const std::string file = std::string(SELFSERVICE_ARTEFACT_DIR) + "/" + name;
    EXPECT_TRUE(w.grab().save(QString::fromStdString(file))) << file;
}

} // namespace kiosktest
