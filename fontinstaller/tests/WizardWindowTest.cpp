// The wizard window wired to its flow: Next through a package without texts installs every
// font, adds the Favorites link and ends on the Finished page, whose button closes it.

#include "TestFonts.h"
#include "frmMain.h"

#include "testsupport/TempDir.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace typorin;
using namespace typorintest;
namespace fs = std::filesystem;

namespace {

void EnsureQtApp() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fontinstaller_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv); // lives as long as the test program
    }
}

QPushButton* Button(QWidget& w, const char* text) {
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->text() == QString::fromUtf8(text)) {
            return b;
        }
    }
    return nullptr;
}

bool ShowsLabel(QWidget& w, const std::string& text) {
    for (QLabel* l : w.findChildren<QLabel*>()) {
        if (l->isVisible() && l->text() == QString::fromStdString(text)) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(WizardWindow, CompleteInstallEndsOnTheFinishedPage) {
    EnsureQtApp();
    testsupport::TempDir dir;
    fs::create_directories(dir / "home" / "Desktop");
    const std::string bytes =
        Packed({{"A.TTF", FakeFont("Alpha")},
                {"zembrak.dat",
                 DataFileBytes("Sada", NoReadMe, NoLicense, "https://example.org/", "Web")}});
    Package package;
    std::string reason;
    ASSERT_TRUE(LoadPackage(MemorySource(bytes), FakeFace, package, reason)) << reason;
    UserEnv env;
    env.home = (dir / "home").string();
    env.xdgDataHome = (dir / "data").string();
    FakeStore store;

    frmMain w(package, store, env);
    w.show();
    EXPECT_EQ(w.windowTitle(), "Welcome to Setup for Sada");
    QPushButton* next = Button(w, "&Next >");
    ASSERT_NE(next, nullptr);
    next->click(); // Install Type
    EXPECT_TRUE(ShowsLabel(w, "Install Type"));
    next->click(); // Complete
    EXPECT_TRUE(ShowsLabel(w, "Finished!"));
    EXPECT_TRUE(ShowsLabel(w, "Setup has finished installing Sada on your computer."));
    EXPECT_EQ(next->text(), "&Finish");
    EXPECT_EQ(testsupport::ReadBytes(dir / "data" / "fonts" / "A.TTF"), FakeFont("Alpha"));
    EXPECT_TRUE(fs::exists(dir / "home" / "Desktop" / "Web.desktop"));
    next->click();
    EXPECT_FALSE(w.isVisible());
}
