#include "ProgramHooks.h"

#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QCloseEvent>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

// The state file is rewritten whole, and only when the state changed since the last write.
TEST(ProgramHooks, StateFileFollowsTheStateWhenItChanges) {
    testsupport::TempDir dir;
    const fs::path file = dir / "cv.state";
    std::string state = "Port1=idle\n";
    const auto hook = StateFileWriter(file.string(), [&] { return state; });

    hook();
    EXPECT_EQ(testsupport::ReadBytes(file), "Port1=idle\n");
    fs::remove(file);
    hook(); // unchanged: not written again
    EXPECT_FALSE(fs::exists(file));
    state = "Port1=reading\n";
    hook();
    EXPECT_EQ(testsupport::ReadBytes(file), "Port1=reading\n");

    // A write that fails is tried again on the next call.
    const fs::path gone = dir / "gone" / "cv.state";
    const auto retry = StateFileWriter(gone.string(), [&] { return state; });
    retry();
    fs::create_directories(gone.parent_path());
    retry();
    EXPECT_EQ(testsupport::ReadBytes(gone), "Port1=reading\n");
}

// The environment names the files under the program's prefix; the signals reach the form only
// through the event loop: SIGUSR1 takes its picture, SIGTERM closes it.
TEST(ProgramHooks, PrefixNamesTheFilesAndSignalsActOnTheForm) {
    testsupport::EnsureQtApp();
    testsupport::TempDir dir;
    const fs::path shot = dir / "form.png";
    ::setenv("HOOKTEST_STATE_FILE", (dir / "s.state").c_str(), 1);
    ::setenv("HOOKTEST_SCREENSHOT", shot.c_str(), 1);
    ::unsetenv("OTHER_STATE_FILE");
    TProgramHooks hooks("HOOKTEST_");
    EXPECT_EQ(hooks.StateFile(), (dir / "s.state").string());
    EXPECT_TRUE(hooks.StateHook([] { return std::string("x"); }));
    EXPECT_FALSE(TProgramHooks("OTHER_").StateHook([] { return std::string("x"); }));

    QWidget form;
    form.resize(40, 30);
    form.show();
    ::raise(SIGUSR1); // before Watch: waits for the event loop
    hooks.Watch(form);
    EXPECT_FALSE(fs::exists(shot));
    QCoreApplication::processEvents();
    EXPECT_TRUE(fs::exists(shot));
    EXPECT_FALSE(fs::exists(dir / "form.png.part"));
    EXPECT_TRUE(form.isVisible());

    ::raise(SIGTERM);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
}

// A closing signal ends every modal loop, innermost first: a question without an escape button
// and, below it, a dialog that refuses its close (failed checks) are ended all the same, and the
// form closes.
TEST(ProgramHooks, ClosingSignalEndsModalWindowsThatRefuseTheirClose) {
    testsupport::EnsureQtApp();
    TProgramHooks hooks("HOOKTEST_END_");
    struct Refusing : QDialog {
        using QDialog::QDialog;
        void closeEvent(QCloseEvent* e) override { e->ignore(); }
        void done(int) override {}
    };
    QWidget form;
    form.show();
    hooks.Watch(form);
    Refusing dialog(&form);
    bool rescued = false;
    QTimer::singleShot(0, &dialog, [&] {
        QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No,
                        &dialog);
        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
        // Only a program that failed to end them gets here.
        QTimer::singleShot(5000, &box, [&] {
            rescued = true;
            box.hide();
            dialog.hide();
        });
        box.exec();
    });
    dialog.exec();
    EXPECT_FALSE(rescued);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(form.isVisible());
}
