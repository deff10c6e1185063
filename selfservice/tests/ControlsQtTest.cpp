#include "K_ColBtn.h"
#include "SI_Typ.h"
#include "fKlavesnice.h"
#include "fVyberBTN.h"
#include "testsupport/QtApp.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "KioskQtSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace K_ColBtn;

namespace {

using kiosktest::SaveArtefact;

bool Activate(QWidget& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

// The button's own pixel a few pixels below its top edge, clear of the caption.
QRgb Background(TKColButton& b) {
    return b.grab().toImage().pixel(b.width() / 2, 4);
}

bool HasPixelLike(const QImage& img, QColor c) {
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - c.red()) < 24 && std::abs(p.green() - c.green()) < 24 &&
                std::abs(p.blue() - c.blue()) < 24) {
                return true;
            }
        }
    }
    return false;
}

struct ThreeButtons {
    QWidget host;
    TKColButton* a = new TKColButton(&host);
    TKColButton* b = new TKColButton(&host);
    TKColButton* c = new TKColButton(&host);
    ThreeButtons() {
        host.resize(400, 100);
        int x = 10;
        for (TKColButton* btn : {a, b, c}) {
            btn->setGeometry(x, 10, 120, 60);
            btn->setText(QStringLiteral("Výsledky"));
            QFont f = btn->font();
            f.setPixelSize(24);
            f.setBold(true);
            btn->setFont(f);
            x += 130;
        }
    }
};

TEST(ColButton, PaintsItsStatesInItsColours) {
    ThreeButtons t;
    t.a->SetOptions(cbDottedBox | cbLikeButtonDown);
    t.c->setEnabled(false);
    t.c->Loaded();
    ASSERT_TRUE(Activate(t.host));
    t.host.setFocus();
    const QPalette& pal = t.a->palette();

    EXPECT_EQ(Background(*t.b), pal.color(QPalette::Base).rgb()) << "new button: window colour";
    EXPECT_EQ(t.b->Version(), "1.33");
    t.b->SetButtonStyle(true);
    EXPECT_EQ(Background(*t.b), qRgb(0, 255, 0)) << "active button: lime";
    EXPECT_EQ(t.b->grab().toImage().pixel(0, 30), pal.color(QPalette::Shadow).rgb());

    QTest::mousePress(t.a, Qt::LeftButton, {}, QPoint(60, 30));
    EXPECT_TRUE(t.a->isDown());
    EXPECT_EQ(Background(*t.a), qRgb(204, 255, 204)) << "pressed";
    EXPECT_TRUE(HasPixelLike(t.a->grab().toImage(), QColor(128, 0, 0))) << "maroon caption";
    QTest::mouseRelease(t.a, Qt::LeftButton, {}, QPoint(60, 30));
    EXPECT_EQ(Background(*t.a), qRgb(0, 255, 0)) << "released, still focused";
    EXPECT_FALSE(HasPixelLike(t.a->grab().toImage(), QColor(128, 0, 0)));

    EXPECT_EQ(t.c->Color(), clBtnFace);
    EXPECT_EQ(Background(*t.c), pal.color(QPalette::Button).rgb()) << "disabled at load";

    // Always drawn pressed: the pressed colours are never used.
    t.b->SetButtonStyle(false);
    t.b->SetOptions(cbLikeButtonDown | cbViewLikePressDown);
    QTest::mousePress(t.b, Qt::LeftButton, {}, QPoint(60, 30));
    EXPECT_EQ(Background(*t.b), qRgb(0, 255, 0));
    QTest::mouseRelease(t.b, Qt::LeftButton, {}, QPoint(60, 30));

    // Images beside a left-aligned caption; an index outside the list is skipped.
    TImageList images(16, 16);
    QPixmap red(16, 16);
    red.fill(Qt::red);
    images.Add(red);
    t.b->SetImages(&images);
    t.b->SetImagesIndex("9, 0");
    t.b->SetAlignment(TAlignment::taLeftJustify);
    EXPECT_EQ(t.b->IndexyObrazku(), (std::vector<int32_t>{9, 0}));
    const QImage withImage = t.b->grab().toImage();
    EXPECT_EQ(withImage.pixel(5 + 1, 59 / 2 - 8 + 1 + 1), qRgb(255, 0, 0)); // drawn pressed
    EXPECT_NE(withImage.pixel(5 + 16 + 2, 30), qRgb(255, 0, 0));
    SaveArtefact(t.host, "colbutton.png");
}

TEST(ColButton, ArrowAndPageKeysMoveTheFocusToEnabledTargets) {
    ThreeButtons t;
    t.a->FocusControl().Right = t.b;
    t.a->FocusControl().PgDown = t.c;
    t.a->FocusControl().Down = t.c;
    t.b->FocusControl().Left = t.a;
    t.b->FocusControl().PgUp = t.a;
    ASSERT_TRUE(Activate(t.host));
    t.a->setFocus();

    const struct {
        Qt::Key key;
        QWidget* expected;
    } steps[] = {
        {Qt::Key_Right, t.b},
        {Qt::Key_Left, t.a},
        {Qt::Key_PageDown, t.c},
    };
    for (const auto& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), s.key);
        EXPECT_EQ(QApplication::focusWidget(), s.expected) << s.key;
    }
    // Without a target the key takes its usual way: on to a neighbour.
    QTest::keyClick(t.c, Qt::Key_Up);
    EXPECT_NE(QApplication::focusWidget(), t.c);

    t.a->setFocus();
    t.c->setEnabled(false);
    QTest::keyClick(t.a, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), t.a) << "disabled target";
    t.b->setFocus();
    QTest::keyClick(t.b, Qt::Key_PageUp);
    EXPECT_EQ(QApplication::focusWidget(), t.a);

    t.a->SetKeyTabOnKeyPress(true);
    QTest::keyClick(t.a, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), t.a) << "Tab is an ordinary key";
    t.a->SetKeyTabOnKeyPress(false);
    QTest::keyClick(t.a, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), t.b);
}

TEST(Chooser, TilesPickAKeyAndLongListsScroll) {
    TVyberBTN dlg;
    dlg.NastavObrazovku(QSize(1024, 768));
    dlg.Inicializuj(SI_Typ::LangText("Vyber kategorii", "Select a category"), "", 20);
    const char* rows[][4] = {{"H10", "H12", "H14", "H16"},
                             {"D10", "D12", "D14", "D16"},
                             {"H21A", "H21B", "H21C", "H35"},
                             {"D21A", "D21B", "D35", "D45"}};
    for (const auto& row : rows) {
        for (const char* name : row) {
            dlg.PridejPolozku(name, "", clWindow, std::string(name) == "H21B");
        }
        dlg.NovyRadek();
        dlg.Mezera(0);
    }
    dlg.PridejPolozku("P", "Příchozí\rkrátká", clYellow);
    ASSERT_TRUE(Activate(dlg));
    EXPECT_TRUE(dlg.Dlazdice(10)->hasFocus()) << "preselected";
    EXPECT_FALSE(dlg.Plocha()->verticalScrollBar()->isVisible());
    SaveArtefact(dlg, "chooser.png");
    QTest::mouseClick(dlg.Dlazdice(6), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Vysledek(), "D12");

    // More tiles than any screen holds: all are there, and the focused one is scrolled to.
    dlg.Inicializuj("Vyber klub", "", 20);
    for (int i = 1; i <= 260; ++i) {
        dlg.PridejPolozku("K" + std::to_string(i), "", clWindow, i == 250);
    }
    ASSERT_TRUE(Activate(dlg));
    EXPECT_EQ(dlg.height(), 768);
    QScrollBar* bar = dlg.Plocha()->verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(dlg.Dlazdice(250)->hasFocus());
    EXPECT_GT(bar->value(), 0);
    const QRect seen(QPoint(0, bar->value()), dlg.Plocha()->viewport()->size());
    EXPECT_TRUE(seen.contains(dlg.Dlazdice(250)->geometry()));
    SaveArtefact(dlg, "chooser_scroll.png");
    QTest::mouseClick(dlg.Dlazdice(260), Qt::LeftButton);
    EXPECT_EQ(dlg.Vysledek(), "K260");
}

// A chooser used again opens with no tile lit, though one was touched the last time.
TEST(Chooser, AReusedChooserOpensWithNothingLit) {
    TVyberBTN dlg;
    dlg.NastavObrazovku(QSize(1024, 768));
    for (int kolo = 0; kolo < 2; ++kolo) {
        dlg.Inicializuj("Vyber závodníka tvého oddílu", "", 20);
        for (int i = 1; i <= 3; ++i) {
            dlg.PridejPolozku(std::to_string(i), "", clWindow, false);
        }
        ASSERT_TRUE(Activate(dlg));
        for (int i = 1; i <= 3; ++i) {
            EXPECT_FALSE(dlg.Dlazdice(i)->hasFocus() || dlg.Dlazdice(i)->Aktivni()) << kolo << i;
        }
        QTest::mouseClick(dlg.Dlazdice(3), Qt::LeftButton);
    }
}

TEST(Chooser, DropDownListWithOkAndCancel) {
    SI_Typ::Language = 1;
    TVyberBTN dlg;
    dlg.NastavObrazovku(QSize(1024, 768));
    dlg.Inicializuj("Select a competitor from your team", "ABC", 20);
    dlg.NastavRezim(fVyberBTN::RezimSeznam);
    EXPECT_EQ(dlg.BitBtnCancel()->text(), QStringLiteral("Cancel"));
    ASSERT_TRUE(Activate(dlg));
    dlg.BitBtnOK()->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected) << "empty list";

    dlg.Inicializuj("Select a competitor from your team", "ABC", 20);
    dlg.NastavRezim(fVyberBTN::RezimSeznam);
    for (int i = 1; i <= 3; ++i) {
        dlg.PridejPolozku(std::to_string(100 + i), "Runner " + std::to_string(i));
    }
    ASSERT_TRUE(Activate(dlg));
    EXPECT_EQ(dlg.ComboBox1()->currentIndex(), 0);
    SaveArtefact(dlg, "chooser_list.png");
    dlg.ComboBox1()->setCurrentIndex(1);
    dlg.BitBtnOK()->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Vysledek(), "102");
    dlg.NastavPolohu(QPoint(300, 40));
    ASSERT_TRUE(Activate(dlg));
    EXPECT_EQ(dlg.pos(), QPoint(300, 40));
    dlg.BitBtnCancel()->click();
    EXPECT_EQ(dlg.Vysledek(), "");
    SI_Typ::Language = 0;
}

TEST(Keyboard, TypesFromKeysAndPhysicalKeys) {
    TKlavesnice kl;
    kl.Nastav("", "Zadej heslo", 10, true, true, false);
    ASSERT_TRUE(Activate(kl));
    EXPECT_FALSE(kl.Klavesa('A')->isVisible());
    QTest::keyClicks(&kl, "483");
    QTest::keyClick(&kl, Qt::Key_Backspace);
    kl.Klavesa('0')->click();
    EXPECT_EQ(kl.Text(), "480");
    EXPECT_EQ(kl.LabelRetezec()->text(), QStringLiteral("***_"));
    SaveArtefact(kl, "keyboard_digits.png");
    QTest::keyClick(&kl, Qt::Key_Return);
    EXPECT_EQ(kl.result(), QDialog::Accepted);

    kl.Nastav("", "Zadej nový čip pro : Novák Jan", 8, false, true, true);
    ASSERT_TRUE(Activate(kl));
    kl.Klavesa('Q')->click();
    kl.BtnVelka()->click();
    EXPECT_EQ(kl.Klavesa('W')->text(), QStringLiteral("w"));
    kl.Klavesa('W')->click();
    kl.Klavesa(' ')->click();
    QTest::keyClicks(&kl, "a1");
    EXPECT_EQ(kl.Text(), "Qw a1");
    SaveArtefact(kl, "keyboard_letters.png");
    const int qwertyTop = kl.Klavesa('J')->y();
    kl.BtnRozlozeni()->click();
    EXPECT_EQ(kl.BtnRozlozeni()->text(), QStringLiteral("QWE.."));
    EXPECT_LT(kl.Klavesa('J')->y(), qwertyTop + 1);
    EXPECT_EQ(kl.Klavesa('J')->x(), kl.Klavesa('A')->x() + 25);
    SaveArtefact(kl, "keyboard_alphabetical.png");
    kl.BtnCancel()->click();
    EXPECT_EQ(kl.result(), QDialog::Rejected);
}

TEST(Keyboard, ShowsModallyAndReturnsTheText) {
    TKlavesnice kl;
    fKlavesnice::Klavesnice = &kl;
    std::string text = "9";
    QTimer::singleShot(0, &kl, [&] {
        QTest::keyClicks(&kl, "12");
        kl.BtnOK()->click();
    });
    EXPECT_TRUE(SISam_Proc::ZobrazKlavesnici(text, "Zadej heslo", 10, false, true, false));
    EXPECT_EQ(text, "912");

    QTimer::singleShot(0, &kl, [&] {
        QTest::keyClicks(&kl, "5");
        QTest::keyClick(&kl, Qt::Key_Escape);
    });
    EXPECT_FALSE(SISam_Proc::ZobrazKlavesnici(text, "Zadej heslo", 10, false, true, false));
    EXPECT_EQ(text, "912");
    fKlavesnice::Klavesnice = nullptr;
}

} // namespace
