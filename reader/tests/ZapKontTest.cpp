// The control-number dialog.
#include "ZapKont.h"
#include "SI_Backup.h"
#include "SI_Typ.h"
#include "SettingsDialogTest.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

using dlgtest::Child;
using dlgtest::Click;
namespace fs = std::filesystem;

namespace {

class ZapKontTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Port(1).Path = (dir / "Zavod").string();
        fs::create_directories(dir / "Zavod");
    }
    void TearDown() override {
        SI_Backup::ControlNumberDialog = nullptr;
        DialogTest::TearDown();
    }

    static void Type(QWidget& w, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&w, &press);
        }
    }
};

TEST_F(ZapKontTest, FileNameFollowsTheNumberTyped) {
    ZapKont::TZapKontLogic logic(1);
    SI_Typ::SouborKontroly = "/somewhere/SI_99.bck"; // from an earlier list
    logic.FormActivate();
    EXPECT_EQ(SI_Typ::SouborKontroly, "");

    logic.CisloKontrolyChange("3");
    logic.CisloKontrolyChange(" 31 ");
    EXPECT_EQ(logic.VystSoubor(), (dir / "Zavod" / "SI_31.bck").string());
    EXPECT_EQ(SI_Typ::SouborKontroly, logic.VystSoubor());

    // A Path ending in a slash gives one slash, not two.
    Port(1).Path += "/";
    logic.CisloKontrolyChange("31");
    EXPECT_EQ(SI_Typ::SouborKontroly, (dir / "Zavod" / "SI_31.bck").string());

    // Anything but digits names no file: it would leave the folder ("../x") or name "SI_.bck".
    for (const char* text : {"", "  ", "3a", "../1", "-5", "3.1"}) {
        logic.CisloKontrolyChange(text);
        EXPECT_EQ(SI_Typ::SouborKontroly, "") << text;
        EXPECT_EQ(logic.VystSoubor(), "") << text;
    }
}

TEST_F(ZapKontTest, OkNeedsANumberAndCancelWritesNothing) {
    ZapKont::TZapKontLogic logic(1);
    logic.FormActivate();
    EXPECT_FALSE(logic.BitBtnOkClick());
    EXPECT_EQ(messages.errors, std::vector<std::string>{"Musí být zadáno číslo kontroly"});

    logic.CisloKontrolyChange("31");
    messages.errors.clear();
    EXPECT_TRUE(logic.BitBtnOkClick());
    EXPECT_TRUE(messages.errors.empty());
    EXPECT_FALSE(SI_Typ::SouborKontroly.empty());

    logic.BitBtnCancelClick();
    EXPECT_EQ(SI_Typ::SouborKontroly, "");
}

TEST_F(ZapKontTest, FormTakesDigitsOnlyAndEscapeCancels) {
    TfZapKont form(1);
    form.show();
    auto* cislo = Child<QLineEdit>(form, "CisloKontroly");
    ASSERT_NE(cislo, nullptr);
    Type(*cislo, "3a/1");
    EXPECT_EQ(cislo->text(), "31");
    EXPECT_EQ(Child<QLabel>(form, "VystSoubor")->text().toStdString(),
              (dir / "Zavod" / "SI_31.bck").string());
    dlgtest::SavePicture(form, "fZapKont.png");

    // The close box keeps the name built so far.
    form.close();
    EXPECT_EQ(SI_Typ::SouborKontroly, (dir / "Zavod" / "SI_31.bck").string());

    form.show();
    EXPECT_EQ(cislo->text(), "");
    Type(*cislo, "7");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form, &esc);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(SI_Typ::SouborKontroly, "");
}

// The write button's path: the port runs the dialog through SI_Backup::ControlNumberDialog
// and writes the list only under a name with a number.
TEST_F(ZapKontTest, BackupListIsWrittenOnlyWithANumber) {
    Port(2).backup.Add({12345, "09:59:59"});
    QString answer;
    bool pressOk = true;
    SI_Backup::ControlNumberDialog = [&] {
        TfZapKont form(1);
        QTimer::singleShot(0, &form, [&] {
            Child<QLineEdit>(form, "CisloKontroly")->setText(answer);
            if (pressOk) {
                Click(form, "BitBtnOk");
            } else {
                form.close();
            }
        });
        form.exec();
    };

    // Closed by the close box with no number: nothing, and no "SI_.bck".
    pressOk = false;
    EXPECT_FALSE(Port(2).SaveBackupList());
    EXPECT_TRUE(fs::is_empty(dir / "Zavod"));

    pressOk = true;
    answer = "31";
    EXPECT_TRUE(Port(2).SaveBackupList());
    EXPECT_EQ(testsupport::ReadBytes(dir / "Zavod" / "SI_31.bck"), " 12345 09:59:59\r\n");
}

// A list that cannot be written is reported, not passed off as written.
TEST_F(ZapKontTest, BackupListThatCannotBeWrittenIsReported) {
    Port(2).backup.Add({12345, "09:59:59"});
    // The folder named by the port is a file: nothing can be created in it.
    testsupport::WriteBytes(dir / "NotAFolder", "x");
    Port(1).Path = (dir / "NotAFolder").string();
    SI_Backup::ControlNumberDialog = [] {
        TfZapKont form(1);
        QTimer::singleShot(0, &form, [&form] {
            Child<QLineEdit>(form, "CisloKontroly")->setText("31");
            Click(form, "BitBtnOk");
        });
        form.exec();
    };
    EXPECT_FALSE(Port(2).SaveBackupList());
    ASSERT_EQ(messages.errors.size(), 1U);
    EXPECT_EQ(messages.errors[0].rfind("Seznam nelze zapsat: ", 0), 0U) << messages.errors[0];
    EXPECT_EQ(testsupport::ReadBytes(dir / "NotAFolder"), "x");
}

} // namespace
