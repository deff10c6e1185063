// The wizard window wired to its flow: the pages a user walks through, the questions it asks
// and the replace prompt, against the fake font system.

#include "TestFonts.h"
#include "frmMain.h"

#include "testsupport/DialogTestSupport.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace typorin;
using namespace typorintest;
using testsupport::Click;
namespace fs = std::filesystem;

namespace {

bool ShowsLabel(QWidget& w, const std::string& text) {
    for (QLabel* l : w.findChildren<QLabel*>()) {
        if (l->isVisible() && l->text() == QString::fromStdString(text)) {
            return true;
        }
    }
    return false;
}

// A package of one font with a web link, installed into a private home.
class WizardWindow : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::EnsureQtApp();
        fs::create_directories(dir / "home" / "Desktop");
        env.home = (dir / "home").string();
        env.xdgDataHome = (dir / "data").string();
    }
    void Load(const std::string& readMe = NoReadMe, const std::string& license = NoLicense) {
        std::string reason;
        ASSERT_TRUE(LoadPackage(MemorySource(Packed({
                                    {"A.TTF", FakeFont("Alpha") + "\nnew"},
                                    {"ReadMe.txt", "Read me"},
                                    {"Licence.txt", "Licence"},
                                    {"zembrak.dat", DataFileBytes("Sada", readMe, license,
                                                                  "https://example.org/", "Web")},
                                })),
                                FakeFace, package, reason))
            << reason;
    }
    fs::path Installed() const { return dir / "data" / "fonts" / "A.TTF"; }
    fs::path Link() const { return dir / "home" / "Desktop" / "Web.desktop"; }

    testsupport::TempDir dir;
    UserEnv env;
    FakeStore store;
    Package package;
};

} // namespace

TEST_F(WizardWindow, CompleteInstallEndsOnTheFinishedPage) {
    Load();
    frmMain w(package, store, env);
    w.show();
    EXPECT_EQ(w.windowTitle(), "Welcome to Setup for Sada");
    Click(w, "cmdNext"); // Install Type
    EXPECT_TRUE(ShowsLabel(w, "Install Type"));
    Click(w, "cmdNext"); // Complete
    EXPECT_TRUE(ShowsLabel(w, "Finished!"));
    EXPECT_TRUE(ShowsLabel(w, "Setup has finished installing Sada on your computer."));
    EXPECT_EQ(testsupport::Child<QPushButton>(w, "cmdNext")->text(), "&Finish");
    EXPECT_EQ(testsupport::ReadBytes(Installed()), FakeFont("Alpha") + "\nnew");
    EXPECT_TRUE(fs::exists(Link()));
    Click(w, "cmdNext");
    EXPECT_FALSE(w.isVisible());
}
