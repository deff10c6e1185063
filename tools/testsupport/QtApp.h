#pragma once

// Header only: the test programs that use it link Qt Widgets themselves.

#include <QApplication>
#include <QCoreApplication>

#include <cerrno>

namespace testsupport {

// One application object for the whole test program, on the offscreen platform unless the
// environment names another.
inline void EnsureQtApp() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    new QApplication(argc, argv); // lives as long as the test program
}

} // namespace testsupport
