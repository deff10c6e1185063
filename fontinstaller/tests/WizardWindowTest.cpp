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
#include <QRadioButton>

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

// Unticking the link on the Custom page and going back to Complete still adds the link:
// Complete ticks every box again, the link's among them.
TEST_F(WizardWindow, CompleteAfterACustomDetourAddsTheFavoritesEntry) {
    Load("ReadMe.txt", "Licence.txt");
    frmMain w(package, store, env);
    w.show();
    Click(w, "cmdNext"); // License Agreement
    Click(w, "optAgree");
    Click(w, "cmdNext"); // Information
    EXPECT_TRUE(ShowsLabel(w, "Information"));
    Click(w, "cmdNext"); // Install Type
    Click(w, "optCustom");
    Click(w, "cmdNext"); // Custom Install
    auto* links = testsupport::Child<QCheckBox>(w, "chkLinks");
    ASSERT_TRUE(links != nullptr && links->isVisible() && links->isChecked());
    EXPECT_EQ(links->text(), "Add Web to Favorites");
    links->click();
    Click(w, "cmdBack"); // Install Type
    Click(w, "optComplete");
    Click(w, "cmdNext");
    EXPECT_TRUE(ShowsLabel(w, "Finished!"));
    EXPECT_TRUE(links->isChecked());
    EXPECT_TRUE(fs::exists(Installed()));
    EXPECT_TRUE(fs::exists(Link()));
}

// A second installation asks before it replaces the font: No keeps the old file, Yes and the
// close box replace it; the prompt of a one-font package has no "all" buttons.
TEST_F(WizardWindow, ReplacePromptAnswers) {
    struct Case {
        const char* button; // nullptr: the close box
        bool replaced;
    };
    for (const Case& c : std::vector<Case>{{"cmdNo", false}, {"cmdYes", true}, {nullptr, true}}) {
        const std::string what = c.button != nullptr ? c.button : "close box";
        Load();
        fs::create_directories(Installed().parent_path());
        testsupport::WriteBytes(Installed(), FakeFont("Alpha") + "\nold");
        frmMain w(package, store, env);
        w.show();
        bool asked = false;
        OnModal prompt([&](QWidget& d) {
            asked = true;
            EXPECT_EQ(d.windowTitle(), "Confirm Font Replace") << what;
            EXPECT_EQ(d.findChild<QPushButton*>("cmdYesAll"), nullptr) << what;
            EXPECT_EQ(d.findChild<QPushButton*>("cmdNoAll"), nullptr) << what;
            if (c.button != nullptr) {
                Click(d, c.button);
            } else {
                d.close();
            }
        });
        Click(w, "cmdNext");
        Click(w, "cmdNext");
        EXPECT_TRUE(asked) << what;
        EXPECT_TRUE(ShowsLabel(w, "Finished!")) << what;
        EXPECT_EQ(testsupport::ReadBytes(Installed()),
                  FakeFont("Alpha") + (c.replaced ? "\nnew" : "\nold"))
            << what;
    }
}

// Cancel and the close box ask with the information icon; No stays, Yes leaves.
TEST_F(WizardWindow, LeavingAsksFirst) {
    Load();
    frmMain w(package, store, env);
    w.show();
    const QString question = "Setup is not complete. If you exit now, Sada will not be "
                             "installed.\n\nYou may run Setup at another time to complete the "
                             "installation.\n\nExit Setup?";
    struct Case {
        bool byCancel;
        QMessageBox::StandardButton answer;
        bool open;
    };
    for (const Case& c : std::vector<Case>{{true, QMessageBox::No, true},
                                           {false, QMessageBox::No, true},
                                           {true, QMessageBox::Yes, false}}) {
        bool asked = false;
        OnModal exitMsg([&](QWidget& d) {
            auto* box = qobject_cast<QMessageBox*>(&d);
            ASSERT_NE(box, nullptr);
            asked = true;
            EXPECT_EQ(box->icon(), QMessageBox::Information);
            EXPECT_EQ(box->windowTitle(), "Typorin");
            EXPECT_EQ(box->text(), question);
            box->button(c.answer)->click();
        });
        if (c.byCancel) {
            Click(w, "cmdCancel");
        } else {
            w.close();
        }
        EXPECT_TRUE(asked) << c.byCancel;
        EXPECT_EQ(w.isVisible(), c.open) << c.byCancel << c.answer;
    }
}

// "/?" with a display: the options in an information box titled "Glyvora Install".
TEST_F(WizardWindow, HelpIsAnInformationBox) {
    const auto box = HelpBox();
    EXPECT_EQ(box->windowTitle(), "Glyvora Install");
    EXPECT_EQ(box->text(), "Command line options:\n\n/E -- Extract files\n/I -- Silent install");
    EXPECT_EQ(box->icon(), QMessageBox::Information);
}
