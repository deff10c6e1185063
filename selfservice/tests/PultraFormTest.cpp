// The kiosk's main form in this process, offscreen: a race from the results program's double,
// a card record in Data_Sam, the grid's highlight, paging and dragging, the password on the
// clock, closing, the language and a new COM from the administrator.

#include "ProgramHooks.h"
#include "PultraFormSupport.h"
#include "RavlinSam.h"
#include "SI_Port.h"
#include "fAdmin.h"
#include "fInfoForma.h"
#include "fKlavesnice.h"
#include "fNactiCip.h"
#include "fVyberBTN.h"
#include "testsupport/QtApp.h"

#include <gmock/gmock.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <unistd.h>

using namespace Pultra;
using namespace kiosktest;
namespace fs = std::filesystem;

namespace {

class PultraForm : public KioskFormTest {
protected:
    void SetUp() override {
        KioskFormTest::SetUp();
        sam = std::make_unique<ravlin::RavlinSam>(tmp.Path() / "ravlin", clock);
        ravlin::GenerateRace(400, 5, 6, sam->runners, sam->categories);
        ASSERT_TRUE(sam->WritePultraInf() && sam->ExportCategories() && sam->ExportRunners());
        for (const auto& e : fs::recursive_directory_iterator(tmp.Path() / "ravlin")) {
            fs::last_write_time(e.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
        }
        testsupport::WriteBytes(
            "Pultra.ini",
            "[Pultra_Main]\r\nRavlinPath=" + (tmp.Path() / "ravlin").string() +
                "\r\nCOM=0\r\n[COM3]\r\nZarizeni=" + (tmp.Path() / "no-device").string() + "\r\n");
        OpenForm();
        clock.Advance(platform::StableFileCheck::kQuietMs);
        // Pultra.inf and the exports have now stood still since start-up.
        form->TimerParamRavlinTimer();
        form->TimerVstupniDataTimer();
    }
    // Answers the next keyboard with the text and OK.
    void Napis(const QString& text) {
        QTimer::singleShot(0, klavesnice.get(), [this, text] {
            QTest::keyClicks(klavesnice.get(), text);
            klavesnice->BtnOK()->click();
        });
    }
    void Tah(int from, int to) {
        QWidget* vp = form->Grid()->viewport();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, from),
                          vp->mapToGlobal(QPointF(50, from)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(50, to), vp->mapToGlobal(QPointF(50, to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &move);
    }

    std::unique_ptr<ravlin::RavlinSam> sam;
};

} // namespace

TEST_F(PultraForm, ACardHighlightsItsRunnerAndTheGridPagesAndDrags) {
    ASSERT_GT(SISam_Proc::MaxID, 300);
    // A runner far down his category's start list.
    const std::string kat = SISam_Typ::SeznamKategorii.front().Nazev;
    SeznamProGrid(RezimStartovka, kat);
    ASSERT_GT(SISam_Typ::SeznamInfoGrid.size(), 60u);
    const SISam_Typ::TZavodnik z = SISam_Typ::SeznamInfoGrid[49].Zavodnik;
    ASSERT_NE(z.Stav, SISam_Typ::StavDobehl);

    TCardNumberRec rec;
    rec.cardNumber = z.SI;
    const auto bytes = rec.ToBytes();
    testsupport::WriteBytes(fs::path(SI_Typ::KioskDataPath()) / "N1_0007.si1",
                            std::string(bytes.begin(), bytes.end()));
    form->TimerPrectiPortyTimer();

    QTableWidget* grid = form->Grid();
    ASSERT_TRUE(grid->isVisible());
    EXPECT_EQ(grid->item(49, 2)->text().toStdString(), z.Jmeno);
    EXPECT_EQ(grid->item(49, 2)->background().color(), QColor(204, 255, 51));
    EXPECT_EQ(grid->item(48, 2)->background().style(), Qt::NoBrush);
    EXPECT_EQ(form->HorniRadek(), 40); // ten rows above the highlighted row 50
    EXPECT_EQ(fs::file_size(fs::path(SI_Typ::KioskDataPath()) / "N1_0007.si1"), 0u);
    // Another language redraws the same list: the runner stays highlighted, the rows in view.
    form->Jazyk(1);
    EXPECT_THAT(form->StateText(), ::testing::HasSubstr("zvyrazneny=50\n"));
    EXPECT_EQ(form->HorniRadek(), 40);
    form->Jazyk(0);

    // The arrow keys walk the shown buttons, over the desk button while it is disabled.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Tlacitko(TagLogin)->setFocus();
    QTest::keyClick(form->Tlacitko(TagLogin), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), form->Tlacitko(TagVysledky));
    QTest::keyClick(form->Tlacitko(TagVysledky), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), form->Tlacitko(TagStartovky));

    const int page = form->StrankaGridu();
    EXPECT_GT(page, 5);
    form->Posun(1);
    EXPECT_EQ(form->HorniRadek(), 40 - page);
    form->Posun(3);
    const int last = form->HorniRadek();
    EXPECT_EQ(last, grid->rowCount() + 1 - page);
    EXPECT_TRUE(grid->viewport()->rect().contains(
        grid->visualItemRect(grid->item(grid->rowCount() - 2, 2)))); // the last runner shows
    form->Posun(2);
    EXPECT_EQ(form->HorniRadek(), last); // no further than the last page
    form->Posun(0);
    EXPECT_EQ(form->HorniRadek(), 1);

    // Touch arrives as the mouse: the content follows the finger.
    form->NastavHorni(10);
    Tah(100, 75);
    EXPECT_EQ(form->HorniRadek(), 11);
    Tah(100, 125);
    EXPECT_EQ(form->HorniRadek(), 10);
    Tah(100, 130);
    EXPECT_EQ(form->HorniRadek(), 10);
    EXPECT_THAT(form->SystemLine()->text().toStdString(), ::testing::HasSubstr("50 130 30 "));
}

TEST_F(PultraForm, PasswordClosingLanguageAndANewCom) {
    EXPECT_EQ(SISam_Typ::ViditelneTagy.test(TagAdmin), false);
    bool pozastaveno = false; // the keyboard pauses the auto-logout like every dialog
    QTimer::singleShot(0, klavesnice.get(),
                       [this, &pozastaveno] { pozastaveno = form->Odpocet().Pozastaven(); });
    Napis("1234");
    form->CasClick();
    EXPECT_TRUE(pozastaveno);
    EXPECT_FALSE(form->Odpocet().Pozastaven());
    EXPECT_EQ(SISam_Typ::Prihlaseni.Uroven, SISam_Typ::UrovenOdhlasen);
    Napis("4830");
    form->CasClick();
    EXPECT_EQ(SISam_Typ::Prihlaseni.Uroven, SISam_Typ::UrovenAdmin);
    EXPECT_TRUE(form->Tlacitko(TagQuit)->isVisible());

    int admin = 0;
    QTimer::singleShot(0, &form->AdminForma(), [this, &admin] {
        admin += form->AdminForma().isVisible();
        form->AdminForma().reject();
    });
    QTest::keyClick(form.get(), Qt::Key_F10, Qt::AltModifier);
    EXPECT_EQ(admin, 1);

    form->Jazyk(1);
    EXPECT_EQ(form->Tlacitko(TagStartovky)->text(), "Start lists ");
    EXPECT_EQ(SI_Typ::IniNastaveni->ReadInteger("Pultra_Main", "Language", 0), 1);

    // A new COM closes the old port first; a COM past 18 gives none and says so.
    ASSERT_NE(SI_Port::Porty[0], nullptr);
    SI_Typ::IniNastaveni->WriteInteger("Pultra_Main", "COM", 3);
    form->PoNastaveniAdmin();
    EXPECT_EQ(SI_Port::Porty[0], nullptr);
    ASSERT_NE(SI_Port::Porty[3], nullptr);
    EXPECT_THAT(form->SystemLine()->text().toStdString(), ::testing::HasSubstr("no-device"));
    // COM 19 chosen on the administrator form: stored, no port, the system line says so.
    TAdmin& a = form->AdminForma();
    QTimer::singleShot(0, &a, [&a] {
        a.ComboPort()->setCurrentIndex(Admin::IndexPortu(19));
        a.BtnOK()->click();
    });
    form->AdminClick();
    EXPECT_EQ(SI_Typ::IniNastaveni->ReadInteger("Pultra_Main", "COM", 0), 19);
    EXPECT_EQ(SI_Port::Porty[3], nullptr);
    EXPECT_THAT(form->SystemLine()->text().toStdString(), ::testing::HasSubstr("COM 19"));

    // Another results folder drops the race at once, though it has no Pultra.inf yet.
    ASSERT_GT(SISam_Proc::MaxID, 0);
    SI_Typ::IniNastaveni->WriteString("Pultra_Main", "RavlinPath", (tmp.Path() / "jinde").string());
    form->PoNastaveniAdmin();
    EXPECT_EQ(SISam_Proc::MaxID, 0);
    EXPECT_EQ(SISam_Typ::Prihlaseni.Uroven, SISam_Typ::UrovenOdhlasen);
    EXPECT_THAT(form->SystemLine()->text().toStdString(), ::testing::HasSubstr("File not found"));

    // Not the administrator: closing asks for the password.
    Napis("1");
    EXPECT_FALSE(form->close());
    Napis("4830");
    EXPECT_TRUE(form->close());
    std::string ini;
    platform::ReadWholeFile("Pultra.ini", ini, nullptr);
    EXPECT_THAT(ini, ::testing::HasSubstr("Width="));
}

TEST_F(PultraForm, ChoosersLeadToTheLists) {
    QTimer::singleShot(0, vyber.get(), [this] {
        std::filesystem::create_directories(SELFSERVICE_ARTEFACT_DIR);
        vyber->grab().save(SELFSERVICE_ARTEFACT_DIR "/pultra-categories.png");
        vyber->Dlazdice(2)->click();
    });
    form->StartovkyClick();
    ASSERT_FALSE(vyber->Vysledek().empty());
    EXPECT_TRUE(form->Grid()->isVisible());
    EXPECT_THAT(form->StateText(), ::testing::HasSubstr("nadpis=Startovka " + vyber->Vysledek()));
    EXPECT_THAT(form->StateText(), ::testing::HasSubstr("vybrany=3"));

    // Results offer only categories with a finisher; the club list shows the SI column.
    QTimer::singleShot(0, vyber.get(), [this] { vyber->Dlazdice(1)->click(); });
    form->VysledkyClick();
    EXPECT_THAT(form->StateText(), ::testing::HasSubstr("rezim=3"));
    EXPECT_EQ(form->Grid()->item(0, 1)->text(), "1");
    QTimer::singleShot(0, vyber.get(), [this] { vyber->Dlazdice(1)->click(); });
    form->StartODDClick();
    EXPECT_EQ(form->Grid()->columnCount(), 6);
    EXPECT_THAT(form->StateText(), ::testing::HasSubstr("nadpis=Startovka " + vyber->Vysledek()));

    // Cancelled: nothing selected, no grid.
    QTimer::singleShot(0, vyber.get(), [this] { vyber->reject(); });
    form->StartovkyClick();
    EXPECT_FALSE(form->Grid()->isVisible());
    EXPECT_THAT(form->StateText(), ::testing::HasSubstr("vybrany=0"));
}

// The list shown follows every load of the table; an export that is refused says so.
TEST_F(PultraForm, TheListShownFollowsTheLoadsAndARefusedExportIsNamed) {
    QTimer::singleShot(0, vyber.get(), [this] { vyber->Dlazdice(1)->click(); });
    form->StartovkyClick();
    ASSERT_GT(form->Grid()->rowCount(), 10);
    const fs::path zavodnik = tmp.Path() / "ravlin" / "Z0007" / "SAM" / "Zavodnik.csv";
    const auto nacti = [&] {
        form->TimerVstupniDataTimer();
        clock.Advance(platform::StableFileCheck::kCutLineMs);
        form->TimerVstupniDataTimer();
    };
    ASSERT_EQ(::truncate(zavodnik.c_str(), 17 << 20), 0); // far beyond any race
    nacti();
    EXPECT_THAT(form->SystemLine()->text().toStdString(), ::testing::HasSubstr("Export odmítnut"));

    // A full export of the header alone empties the table, and the list shown with it.
    testsupport::WriteBytes(zavodnik, "#SAM#WRITE#ZAVODNIK#ALL##RAVLIN#09:00:00##\r\n");
    nacti();
    EXPECT_THAT(form->StateText(), ::testing::HasSubstr("radky=0\n"));
}

// A sub-button of the desk hides the grid before its first dialog.
TEST_F(PultraForm, ASubButtonHidesTheGrid) {
    form->Prihlas(SISam_Proc::Zavodnici[4].SI);
    form->PrezentaceClick();
    form->ZobrazGrid(true);
    bool videt = true;
    QTimer::singleShot(0, vyber.get(), [this, &videt] {
        videt = form->Grid()->isVisible();
        vyber->reject();
    });
    form->Tlacitko(TagZmenaCasu)->click();
    EXPECT_FALSE(videt);
}

TEST_F(PultraForm, LoginThroughTheChipPromptAndAutomaticLogout) {
    const SISam_Typ::TZavodnik& z = SISam_Proc::Zavodnici[4];
    ASSERT_GT(z.SI, 0);
    std::string prompt;
    form->NactiCipForma().Model().zdroj = [&] {
        prompt = form->NactiCipForma().LabelPrompt()->text().toStdString();
        EXPECT_TRUE(form->HledaniPozastaveno()); // the quick look-up leaves the cards to it
        return z.SI;
    };
    form->LoginClick();
    EXPECT_EQ(prompt, "Vlož do SI jednotky svůj čip");
    EXPECT_FALSE(form->HledaniPozastaveno());
    EXPECT_EQ(SISam_Typ::Prihlaseni.Uroven, SISam_Typ::UrovenZavodnik);
    EXPECT_EQ(form->Tlacitko(TagLogin)->text(), "LOGOUT");
    EXPECT_TRUE(form->Tlacitko(TagPrezentace)->isEnabled());
    EXPECT_TRUE(form->Grid()->isVisible());
    EXPECT_THAT(form->StateText(), ::testing::HasSubstr("|" + z.Jmeno + "|"));

    // 30 s without a touch log out; a dialog pauses the countdown.
    form->Dialog(true);
    for (int i = 0; i < 40; ++i) {
        form->ZobrazCasTimer();
    }
    EXPECT_EQ(SISam_Typ::Prihlaseni.Uroven, SISam_Typ::UrovenZavodnik);
    form->Dialog(false);
    for (int i = 0; i < 30; ++i) {
        form->ZobrazCasTimer();
    }
    EXPECT_EQ(SISam_Typ::Prihlaseni.Uroven, SISam_Typ::UrovenOdhlasen);
    EXPECT_EQ(form->Tlacitko(TagLogin)->text(), "LOGIN");
    std::string log;
    platform::ReadWholeFile("Protokol.txt", log, nullptr);
    EXPECT_THAT(log, ::testing::HasSubstr(";Log IN\r\n"));
    EXPECT_THAT(log, ::testing::HasSubstr(";Log OUT\r\n"));
}

// A closing signal with any form of the kiosk open ends through the form's close, the window
// placement stored; the close button's own password prompt among them. During the wait for a
// change the request is withdrawn while the results program has not taken it, else its end is
// logged as undefined.
TEST_F(PultraForm, EachSignalWithEachFormOpenEndsThroughTheFormsClose) {
    const auto zmenaCipu = [this] {
        fs::remove("Protokol.txt");
        pocitac.guidy = {"{00000001-AAAA}"};
        SISam_Typ::TZavodnik n = SISam_Proc::Zavodnici[0];
        n.SI = 555555;
        form->Desk().ZpracujPozadavek("x", "ChangeSIcard", n, SISam_Proc::Zavodnici[0]);
    };
    const auto protokol = [] {
        std::string log;
        platform::ReadWholeFile("Protokol.txt", log, nullptr);
        return platform::Cp1250ToUtf8(log);
    };
    const struct {
        const char* nazev;
        std::function<void()> otevri;
        std::function<QWidget*()> modalni;
        std::function<void()> priSignalu = [] {};
        std::function<void()> potom = [] {};
    } formy[] = {
        {"close button's password", [this] { form->close(); },
         [this]() -> QWidget* { return klavesnice.get(); }},
        // As a window manager closes: the event reaches the window, not QWidget::close().
        {"window system's close",
         [this] {
             QCloseEvent zavri;
             QCoreApplication::sendEvent(form->windowHandle(), &zavri);
         },
         [this]() -> QWidget* { return klavesnice.get(); }},
        {"password on the clock", [this] { form->CasClick(); },
         [this]() -> QWidget* { return klavesnice.get(); }},
        {"chooser", [this] { form->StartovkyClick(); },
         [this]() -> QWidget* { return vyber.get(); }},
        {"chip prompt", [this] { form->LoginClick(); },
         [this]() -> QWidget* { return &form->NactiCipForma(); }},
        {"message", [this] { form->ZobrazInfoFormu("x", "", false, 0); },
         [this]() -> QWidget* { return &form->InfoForma(); }},
        {"administrator form", [this] { form->AdminClick(); },
         [this]() -> QWidget* { return &form->AdminForma(); }},
        {"wait for a change not taken", zmenaCipu,
         [this]() -> QWidget* { return &form->InfoForma(); }, [] {},
         [this, protokol] {
             EXPECT_TRUE(platform::ListByMask(sam->SamDir(), "P*.poz").empty());
             EXPECT_THAT(protokol(), ::testing::HasSubstr("Pozadavek nevyzvednut, smazan "));
         }},
        {"wait for a change taken", zmenaCipu, [this]() -> QWidget* { return &form->InfoForma(); },
         [this] {
             sam->silent = true;
             ASSERT_EQ(sam->Poll(), 1);
         },
         [protokol] {
             EXPECT_THAT(protokol(), ::testing::HasSubstr("Pozadavek - nedefinovaný výsledek"));
             EXPECT_THAT(protokol(), ::testing::Not(::testing::HasSubstr("nevyzvednut")));
         }},
    };
    for (const auto& f : formy) {
        for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
            SCOPED_TRACE(std::string(f.nazev) + " " + std::to_string(signal));
            TearDown();
            SetUp();
            TProgramHooks hooks("PULTRATEST_");
            hooks.SetBeforeSignalClose([this] { form->ZavritBezHesla(); });
            hooks.Watch(*form);
            bool odeslano = false;
            QTimer cekej;
            QObject::connect(&cekej, &QTimer::timeout, [&, signal] {
                if (!odeslano && QApplication::activeModalWidget() == f.modalni()) {
                    odeslano = true;
                    f.priSignalu();
                    ::raise(signal);
                }
            });
            cekej.start(10);
            QTimer hlidac; // never a hang: a loop still running then ends with 99
            QObject::connect(&hlidac, &QTimer::timeout, [] { QApplication::exit(99); });
            hlidac.start(20000);
            QTimer::singleShot(0, form.get(), f.otevri);
            EXPECT_EQ(QApplication::exec(), 0);
            EXPECT_FALSE(form->isVisible());
            platform::IniFile ini("Pultra.ini");
            for (const char* key : {"Top", "Left", "Width", "Height", "Status"}) {
                EXPECT_NE(ini.ReadString("Pultra_Main", key, "-"), "-") << key;
            }
            f.potom();
        }
    }
}
