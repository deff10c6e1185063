// The wizard window wired to its flow: the pages a user walks through, the questions it asks
// and the replace prompt, against the fake font system.

#include "TestFonts.h"
#include "frmMain.h"

#include "testsupport/DialogTestSupport.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace typorin;
using namespace typorintest;
using testsupport::Click;
using testsupport::OnModal;
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
        std::string reason;
        ASSERT_TRUE(LoadPackage(
            MemorySource(Packed({{"A.TTF", FakeFont("Alpha")},
                                 {"zembrak.dat", DataFileBytes("Sada", NoReadMe, NoLicense,
                                                               "https://example.org/", "Web")}})),
            FakeFace, package, reason))
            << reason;
    }
    fs::path Link() const { return dir / "home" / "Desktop" / "Web.desktop"; }

    testsupport::TempDir dir;
    UserEnv env;
    FakeStore store;
    Package package;
};

} // namespace

TEST_F(WizardWindow, CompleteInstallEndsOnTheFinishedPage) {
    frmMain w(package, store, env);
    w.show();
    EXPECT_EQ(w.windowTitle(), "Welcome to Setup for Sada");
    Click(w, "cmdNext"); // Install Type
    EXPECT_TRUE(ShowsLabel(w, "Install Type"));
    Click(w, "cmdNext"); // Complete
    EXPECT_TRUE(ShowsLabel(w, "Finished!"));
    EXPECT_TRUE(ShowsLabel(w, "Setup has finished installing Sada on your computer."));
    EXPECT_EQ(testsupport::Child<QPushButton>(w, "cmdNext")->text(), "&Finish");
    EXPECT_EQ(testsupport::ReadBytes(dir / "data" / "fonts" / "A.TTF"), FakeFont("Alpha"));
    EXPECT_TRUE(fs::exists(Link()));
    Click(w, "cmdNext");
    EXPECT_FALSE(w.isVisible());
}

// Unticking the link on the Custom page and going back to Complete still adds the link:
// Complete ticks every box again, the link's among them.
TEST_F(WizardWindow, CompleteAfterACustomDetourAddsTheFavoritesEntry) {
    frmMain w(package, store, env);
    w.show();
    Click(w, "cmdNext"); // Install Type
    Click(w, "optCustom");
    Click(w, "cmdNext"); // Custom Install
    auto* links = testsupport::Child<QCheckBox>(w, "chkLinks");
    ASSERT_TRUE(links != nullptr && links->isChecked());
    links->click();
    Click(w, "cmdBack"); // Install Type
    Click(w, "optComplete");
    Click(w, "cmdNext");
    EXPECT_TRUE(ShowsLabel(w, "Finished!"));
    EXPECT_TRUE(fs::exists(Link()));
}

// Cancel asks with the information icon; No stays.
TEST_F(WizardWindow, CancelAsksWithTheInformationIcon) {
    frmMain w(package, store, env);
    w.show();
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    OnModal exitMsg([&](QWidget& d) {
        auto* box = qobject_cast<QMessageBox*>(&d);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    Click(w, "cmdCancel");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_TRUE(w.isVisible());
}
