// The chip prompt, the information form, the administrator form and the desk's dialogs as Qt
// forms, offscreen; pictures of the wait and the administrator form go to the artefacts.
#include "Prezentace.h"
#include "SISam_Typ.h"
#include "SI_Typ.h"
#include "fAdmin.h"
#include "fInfoForma.h"
#include "fNactiCip.h"
#include "fVyberBTN.h"
#include "testsupport/DialogTestSupport.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "KioskQtSupport.h"
#include "KioskTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using kiosktest::SaveArtefact;

struct FakeCekani : Prezentace::ICekani {
    int dotazu = 0;
    int odpoved = 0;
    void Dotaz() override { ++dotazu; }
    int Odpoved() const override { return odpoved; }
};

TEST(InfoFormQt, WaitShowsItsSecondLineAfterTwoSecondsAndClosesOnTheAnswer) {
    TfInfoForma f;
    f.NastavObrazovku(QSize(1024, 768));
    FakeCekani c;
    f.Nastav("... navazuji spojení s prezentací ...", "... hledám závodníky klubu ABC ...", false,
             20, &c);
    f.show();
    EXPECT_TRUE(f.BtnOK()->isHidden() && f.BtnNe()->isHidden());
    EXPECT_FALSE(f.Progress()->isHidden());
    EXPECT_EQ(f.width(), 768);
    EXPECT_EQ(f.Progress()->maximum(), 100);
    EXPECT_EQ(f.height(), f.Progress()->geometry().bottom() + 1 + 80);
    for (int t = 0; t < 9; ++t) {
        f.Tick200();
    }
    EXPECT_TRUE(f.LabelRadek2()->isHidden());
    f.Tick200();
    EXPECT_FALSE(f.LabelRadek2()->isHidden());
    f.Tick500();
    EXPECT_EQ(c.dotazu, 1);
    SaveArtefact(f, "fInfoForma_wait.png");
    c.odpoved = 1;
    f.Tick200();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.Vysledek(), 1);

    // A question: OK a quarter of the form wide, NO 50 px right of it; NO answers 2.
    f.Nastav("Opravdu ODHLÁSIT závodníka ? \r\nD21 NOVÁKOVÁ Eva", "", true, 0);
    QTimer::singleShot(0, &f, [&f] { f.BtnNe()->click(); });
    f.exec();
    EXPECT_EQ(f.Vysledek(), 2);
    EXPECT_EQ(f.BtnOK()->width(), f.width() / 4);
    EXPECT_EQ(f.BtnNe()->x(), f.BtnOK()->geometry().right() + 1 + 50);
    EXPECT_EQ(f.LabelRadek1()->text(),
              QString::fromUtf8("Opravdu ODHLÁSIT závodníka ? \nD21 NOVÁKOVÁ Eva"));
}

// A wait has no buttons: Escape and every way of closing the window leave it waiting; only the
// answer (or the time-out) ends it.
TEST(InfoFormQt, WaitEndsOnlyByItsAnswer) {
    const struct {
        const char* name;
        std::function<void(TfInfoForma&)> end;
    } ways[] = {
        {"Escape", [](TfInfoForma& f) { QTest::keyClick(&f, Qt::Key_Escape); }},
        {"close()", [](TfInfoForma& f) { f.close(); }},
        {"window system's close",
         [](TfInfoForma& f) {
             QCloseEvent e;
             QCoreApplication::sendEvent(f.windowHandle(), &e);
         }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.name);
        TfInfoForma f;
        FakeCekani c;
        f.Nastav("... navazuji spojení s prezentací ...", "", false, 20, &c);
        f.show();
        w.end(f);
        EXPECT_TRUE(f.isVisible());
        c.odpoved = 1;
        f.Tick200();
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(f.Vysledek(), 1);
    }
}

TEST(ChipPromptQt, TakesTheCardAReaderGivesWhileTheLookUpWaits) {
    TNactiCip f;
    int volani = 0;
    f.Model().zdroj = [&volani] { return ++volani == 3 ? 4242 : 0; };
    std::vector<bool> hledani;
    const int32_t cip = fnNactiCip(f, "Vlož do SI jednotky svůj čip", 10,
                                   [&hledani](bool p) { hledani.push_back(p); });
    EXPECT_EQ(cip, 4242);
    EXPECT_EQ(hledani, (std::vector<bool>{true, false}));
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Vlož svůj čip do SI jednotky"));
    EXPECT_EQ(f.BtnZpet()->text(), QString::fromUtf8("zpět"));
    f.Model().zdroj = [] { return 0; };
    QTimer::singleShot(0, &f, [&f] { f.BtnZpet()->click(); });
    EXPECT_EQ(fnNactiCip(f, "x", 10, nullptr), 0);
}

TEST(AdminQt, FolderTextsAndStoredKeys) {
    testsupport::TempDir tmp;
    platform::IniFile ini(tmp.Path() / "Pultra.ini");
    ini.WriteString("Pultra_Main", "RavlinPath", "");
    ini.WriteInteger("Pultra_Main", "COM", 3);
    ini.WriteInteger("Param", "Timeout", 99);
    testsupport::FakePicker picker;
    picker.answer = tmp.Path().string();
    std::optional<QFont> novy = QFont("DejaVu Sans", 15);
    TAdmin f(ini, nullptr, &picker, [&novy](const QFont&, QWidget*) { return novy; });
    f.NastavObrazovku(QSize(1280, 1024));
    bool porty = false;
    bool pauza = false;
    QTimer::singleShot(0, &f, [&] {
        pauza = true;
        EXPECT_EQ(f.ComboPort()->currentText(), "COM 3");
        EXPECT_EQ(f.LabelChyba()->text(), QString::fromUtf8("Cesta není zadána"));
        EXPECT_EQ(f.UpDownTimeout()->value(), 40);
        EXPECT_EQ(f.LabelInfo()->text(), "Obrazovka 1280 x 1024");
        f.EditCesta()->setText(QString::fromStdString((tmp.Path() / "x").string()));
        EXPECT_EQ(f.LabelChyba()->text(), "Cesta neexistuje");
        f.BtnCesta()->click();
        EXPECT_EQ(picker.offered, (tmp.Path() / "x").string());
        EXPECT_EQ(f.LabelChyba()->text(),
                  QString::fromUtf8("V zadaném adresáři neexistuje soubor Pultra.inf"));
        f.ComboPort()->setCurrentIndex(19);
        f.UpDownTimeout()->setValue(15);
        EXPECT_EQ(f.LabelTimeout()->text(), "15");
        f.CheckLog()->setChecked(true);
        f.BtnFont()->click();
        SaveArtefact(f, "fAdmin.png");
        f.BtnOK()->click();
    });
    EXPECT_TRUE(ZobrazFormuAdmin(
        f, [&pauza](bool d) { pauza = d; }, [&porty](const TAdmin&) { porty = true; }));
    EXPECT_TRUE(porty);
    EXPECT_FALSE(pauza);
    platform::IniFile znovu(tmp.Path() / "Pultra.ini");
    EXPECT_EQ(znovu.ReadInteger("Pultra_Main", "COM", 0), 19);
    EXPECT_EQ(znovu.ReadString("Pultra_Main", "RavlinPath", ""), tmp.Path().string());
    EXPECT_EQ(znovu.ReadInteger("Param", "Timeout", 0), 15);
    EXPECT_EQ(znovu.ReadInteger("Param", "Logovat", 0), 1);
    EXPECT_EQ(znovu.ReadString("FontInfoGrid", "Name", ""), "DejaVu Sans");
    EXPECT_EQ(f.NovyFont()->size, 15);

    // "Zpět" changes nothing and sets no ports up.
    porty = false;
    QTimer::singleShot(0, &f, [&f] {
        f.UpDownTimeout()->setValue(33);
        f.BtnZpet()->click();
    });
    EXPECT_FALSE(ZobrazFormuAdmin(f, nullptr, [&porty](const TAdmin&) { porty = true; }));
    EXPECT_FALSE(porty);
    EXPECT_EQ(platform::IniFile(tmp.Path() / "Pultra.ini").ReadInteger("Param", "Timeout", 0), 15);
    SISam_Typ::Param = {};
}

// OK with a Pultra.ini that cannot be written says why and keeps the form open; nothing is
// put in force.
TEST(AdminQt, SettingsThatCannotBeStoredKeepTheFormOpen) {
    testsupport::TempDir tmp;
    kiosktest::RecordedMessages messages;
    Dialogs::SetMessages(&messages);
    platform::IniFile ini(tmp.Path() / "missing-folder" / "Pultra.ini");
    TAdmin f(ini);
    bool otevrena = false;
    QTimer::singleShot(0, &f, [&] {
        f.EditCesta()->setText(QString::fromStdString(tmp.Path().string()));
        f.BtnOK()->click();
        otevrena = f.isVisible();
        f.BtnZpet()->click();
    });
    EXPECT_FALSE(ZobrazFormuAdmin(f, nullptr, [](const TAdmin&) { FAIL(); }));
    EXPECT_TRUE(otevrena);
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_TRUE(messages.errors[0].starts_with("Nastavení se nepodařilo uložit: "));
    EXPECT_EQ(SISam_Typ::Param.RavlinPath, "");
    Dialogs::SetMessages(nullptr);
    SISam_Typ::Param = {};
}

TEST(DeskDialogsQt, ChooserGetsTheFlowsTilesAndRows) {
    TVyberBTN vyber;
    vyber.NastavObrazovku(QSize(1280, 1024));
    TfInfoForma info;
    TDialogyQt d(vyber, info);
    Prezentace::TVolba v;
    v.titulek = "Vyber nový startovní čas pro závodníka";
    v.sirka = 230;
    v.vyska = 40;
    for (int i = 0; i < 4; ++i) {
        v.polozky.push_back({std::to_string(i + 10), "x", i == 3, false});
    }
    QTimer::singleShot(0, &vyber, [&vyber] { vyber.Dlazdice(4)->click(); });
    EXPECT_EQ(d.Vyber(v), "13");
    EXPECT_EQ(vyber.Model().Tile(2).left - vyber.Model().Tile(1).left, 240);
    EXPECT_EQ(vyber.Model().Tile(4).left, vyber.Model().Tile(1).left);
    EXPECT_EQ(vyber.Model().Tile(4).top, vyber.Model().Tile(1).top + 50);
    QTimer::singleShot(0, &vyber, [&vyber] { vyber.reject(); });
    EXPECT_EQ(d.Vyber(v), "");
}

} // namespace
