// The main window in this process: what only a mouse can do (against a station simulator),
// its menus and the dialogs they open.

#include "CardvaneProgram.h"

#if defined(SISIM_PATH) && defined(CARDVANE_PATH)

#include "AboutBox.h"
#include "PiktTestRecords.h"
#include "QZ_SI.h"
#include "QtMessages.h"
#include "SI_Typ.h"
#include "fPikt.h"
#include "platform/Cp1250.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace cardvanetest;
using testsupport::InFolder;
using testsupport::OnModal;

namespace {

// Runs the event loop (and so Timer1) until the condition holds.
bool Until(const std::function<bool()>& fn) {
    return Eventually([&] {
        QCoreApplication::processEvents();
        return fn();
    });
}

template <typename T> T* Child(QWidget& w, const char* name) {
    T* child = w.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

std::vector<std::string> Captions(const QList<QAction*>& actions) {
    std::vector<std::string> captions;
    for (const QAction* a : actions) {
        captions.push_back(a->text().toStdString());
    }
    return captions;
}

std::string StateValue(const TfQZ_SI& form, const std::string& key) {
    const std::string s = form.StateText();
    const size_t at = s.find(key + "=");
    if (at == std::string::npos) {
        return "(none)";
    }
    const size_t from = at + key.size() + 1;
    return s.substr(from, s.find('\n', from) - from);
}

// The caption a window manager shows: Qt appends " — " and the application display name to
// every window title once a program has set one.
std::string ShownTitle(const QWidget& w) {
    const QString title = w.windowTitle();
    const QString display = QGuiApplication::applicationDisplayName();
    const bool appended =
        display != QCoreApplication::applicationName() && !title.endsWith(display);
    return (appended ? title + QString::fromUtf8(" — ") + display : title).toStdString();
}

// A window in a folder of its own whose ports find no station: only COM1 is enabled in 1..9.
class MainWindowMenu : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApp();
        std::string ini = "[fQZ_SI]\r\nPodleRavlin=0\r\nZavod=5\r\n[COM1]\r\nZarizeni=" +
                          (dir / "none").string() + "\r\n[DisableCOM]\r\nCOM1=0\r\n";
        for (int n = 2; n <= 18; ++n) {
            ini += "COM" + std::to_string(n) + "=1\r\n";
        }
        testsupport::WriteBytes(dir / "QZ_SI.ini", ini);
        SI_Typ::ResetGlobals();
    }
    void TearDown() override { SI_Typ::ResetGlobals(); }

    testsupport::TempDir dir;
    InFolder in{dir.Path()};
};

} // namespace

TEST_F(MainWindowMenu, ItemsInTheirOrderAndTheRaceDialogUpdatesLabelAndComItems) {
    TfQZ_SI form;
    const QList<QAction*> bar = form.menuBar()->actions();
    EXPECT_EQ(Captions(bar), (std::vector<std::string>{"&Nastavení", "&Autodetekce", "&Tiskárna",
                                                       "&Informace o programu", "Pikt"}));
    ASSERT_EQ(bar.size(), 5);
    EXPECT_FALSE(bar[4]->isVisible());
    ASSERT_NE(bar[0]->menu(), nullptr);
    ASSERT_NE(bar[2]->menu(), nullptr);
    EXPECT_EQ(bar[0]->statusTip().toStdString(), "Nastavení portů a čísla závodu");
    EXPECT_EQ(Captions(bar[0]->menu()->actions()),
              (std::vector<std::string>{"&Závod", "COM&1", "COM&2", "COM&3", "COM&4", "COM&5",
                                        "COM&6", "COM&7", "COM&8", "COM&9"}));
    // No printer is set up: the items name none.
    EXPECT_EQ(
        Captions(bar[2]->menu()->actions()),
        (std::vector<std::string>{"Tiskárna &0", "Tiskárna &1", "Tiskárna &2", "Tiskárna &3",
                                  "Tiskárna &4", "Tiskárna &5", "&Fonty", "&Zpracovávat soubory"}));
    EXPECT_TRUE(form.ComAction(1)->isVisible());
    for (int n = 2; n <= 9; ++n) {
        EXPECT_FALSE(form.ComAction(n)->isVisible()) << n;
    }

    // Race 34, COM1 off, COM2 on.
    {
        OnModal dialog([](QWidget& w) {
            Child<QLineEdit>(w, "VstupCisZav")->setText("34");
            Child<QCheckBox>(w, "Port1")->setChecked(false);
            Child<QCheckBox>(w, "Port2")->setChecked(true);
            Child<QAbstractButton>(w, "BitBtnOk")->click();
        });
        bar[0]->menu()->actions()[0]->trigger();
    }
    EXPECT_EQ(StateValue(form, "zavod"), "Závod 0034 / E1");
    EXPECT_FALSE(form.ComAction(1)->isVisible());
    EXPECT_TRUE(form.ComAction(2)->isVisible());
    EXPECT_EQ(SI_Typ::IniNastaveni->ReadInteger("DisableCOM", "COM2", -1), 0);

    // One about box, however often it is asked for.
    bar[3]->trigger();
    bar[3]->trigger();
    const auto boxes = form.findChildren<TAboutBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0]->isVisible());
    EXPECT_FALSE(boxes[0]->isModal());
    form.close();
}

// Closing frees the ports and the settings that an open dialog still works on: a close asked
// for while a dialog runs waits until the dialog has ended.
TEST_F(MainWindowMenu, CloseWhileADialogIsOpenWaitsForTheDialog) {
    TfQZ_SI form;
    form.show();
    bool openDuringDialog = false;
    {
        OnModal dialog([&](QWidget& w) {
            form.close();
            openDuringDialog =
                SI_Typ::IniNastaveni != nullptr && SI_Port::Porty[1] != nullptr && form.isVisible();
            Child<QAbstractButton>(w, "BitBtnStrorno")->click();
        });
        form.ComAction(1)->trigger();
    }
    EXPECT_TRUE(openDuringDialog);
    EXPECT_TRUE(Until([&] { return SI_Typ::IniNastaveni == nullptr; }));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(SI_Port::Porty[1], nullptr);
    platform::IniFile saved(dir / "QZ_SI.ini");
    EXPECT_EQ(saved.ReadInteger("fQZ_SI", "Zavod", -1), 5);
}

TEST_F(MainWindowMenu, CaptionsAreEachWindowsOwnAndMessageBoxesCarryTheProgramTitle) {
    QZ_SI::InitApplication();
    TfQZ_SI form;
    EXPECT_EQ(ShownTitle(form), "Program pro načítání SI čipů");
    ASSERT_NE(form.findChild<TAboutBox*>(), nullptr);
    EXPECT_EQ(ShownTitle(*form.findChild<TAboutBox*>()), "Info");
    EXPECT_EQ(ShownTitle(*form.Pikt()), "Pikt");
    EXPECT_EQ(ShownTitle(*TQtMessages::MakeBox(&form, QMessageBox::Critical, "x", QMessageBox::Ok)),
              "QZ - SI");
    form.close();
}

// The hidden item shows the sheets' test form: "Formulář" draws c:\work\pikt.dat on the form,
// "Tiskárna" prints c:\work\print\pikto.dat through the spooler's printer (here PDF files).
TEST_F(MainWindowMenu, HiddenItemShowsTheSheetTestFormThatDrawsAndPrints) {
    using namespace pikttest;
    testsupport::WriteBytes(dir / "QZ_SI.ini",
                            testsupport::ReadBytes(dir / "QZ_SI.ini") +
                                "[DefPrint]\r\nSlozkaPdf=" + (dir / "pdf").string() + "\r\n");
    const std::string sheet =
        Runner(7, "Svoboda Petr", "D21", "B", 7654321, "10:00", "5", "") +
        Course("Krátká", Real5_2, 80) + RowRec(fPikt::KindControl, 31, {0x30, 0x53, 0, 0, 0, 0}) +
        RowRec(fPikt::KindFinish, '&', {'&', '&', '&', '&', '&', '#'}, "90 m");
    // Folders as a Windows user may have named them.
    fs::create_directories(dir / "Work" / "Print");
    testsupport::WriteBytes(dir / "Work" / "pikt.dat", sheet);
    testsupport::WriteBytes(dir / "Work" / "Print" / "PIKTO.DAT", sheet);
    platform::SetDriveRoot('C', dir.Path());

    TfQZ_SI form;
    EXPECT_TRUE(form.findChild<QPushButton*>("Button1")->isHidden());
    EXPECT_FALSE(form.PiktAction()->isVisible());
    form.PiktAction()->trigger();
    TPikt& pikt = *form.Pikt();
    EXPECT_TRUE(pikt.isVisible());

    Child<QPushButton>(pikt, "Formular")->click();
    EXPECT_FALSE(fs::exists(dir / "Work" / "pikt.dat"));
    int dark = 0;
    for (int y = 0; y < pikt.Page().height(); ++y) {
        for (int x = 0; x < pikt.Page().width(); ++x) {
            dark += qGray(pikt.Page().pixel(x, y)) < 128;
        }
    }
    EXPECT_GT(dark, 2000);
    EXPECT_FALSE(fs::exists(dir / "pdf")) << "drawn on the form, not printed";

    Child<QPushButton>(pikt, "Tiskarna")->click();
    EXPECT_FALSE(fs::exists(dir / "Work" / "Print" / "PIKTO.DAT"));
    std::vector<fs::path> pdfs;
    for (const auto& e : fs::directory_iterator(dir / "pdf")) {
        pdfs.push_back(e.path());
    }
    ASSERT_EQ(pdfs.size(), 1u);
    EXPECT_NE(printtest::PdfText(pdfs[0]).find("(7) Svoboda Petr"), std::string::npos);
    platform::SetDriveRoot('C', {});
    form.close();
}

// The hidden button converts the ORIS registration list in Work.xml of the program's data
// folder into Registration.txt beside it and says so on the ORIS label.
TEST_F(MainWindowMenu, HiddenButtonConvertsTheRegistrationWorkFile) {
    platform::SetProgramDataDir(dir.Path());
    testsupport::WriteBytes(
        dir / "Work.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ORIS>\n<Method>getRegistration</Method>\n"
        "<Status>OK</Status>\n<Data><Person "
        "id=\"Person_1\"><RegNo>ZDR8552</RegNo><UserID>502</UserID><Lic>C</Lic>"
        "<FirstName>Eliška</FirstName><LastName>Řeháková</LastName><SI></SI><Paid>0</Paid>"
        "<ClubID>1</ClubID><Gender>D</Gender><Born>1985</Born><Fee>400</Fee></Person></Data>\n</"
        "ORIS>\n");
    const fs::path out = dir / "Registration.txt";
    {
        TfQZ_SI form;
        auto* button = form.findChild<QPushButton*>("Button1");
        ASSERT_NE(button, nullptr);
        button->click();
        EXPECT_EQ(platform::Cp1250ToUtf8(testsupport::ReadBytes(out)),
                  "ZDR8552;502;C;Eliška;Řeháková;;0;1;D;1985;400;\r\n");
        EXPECT_EQ(form.LabelInternet()->text().toStdString(), "Zpracováno : " + out.string());
        form.close();
    }
    platform::SetProgramDataDir({});
}

TEST(MainWindowTest, ShiftClickTogglesSpeedAndAutodetectionFindsTheStationAgain) {
    EnsureQtApp();
    testsupport::TempDir dir;
    Sisim sim(dir.Path(), "sim");
    ASSERT_FALSE(sim.Slave().empty());
    std::string ini = "[fQZ_SI]\r\nPodleRavlin=0\r\n[COM1]\r\nZarizeni=" + sim.Slave() +
                      "\r\nRezim=1\r\n[DisableCOM]\r\n";
    for (int n = 2; n <= 9; ++n) {
        ini += "COM" + std::to_string(n) + "=1\r\n";
    }
    testsupport::WriteBytes(dir / "QZ_SI.ini", ini);
    InFolder in(dir.Path());
    SI_Typ::ResetGlobals();
    {
        TfQZ_SI form;
        TPortPanel* panel = form.Panel(1);
        ASSERT_TRUE(panel->PanelVisible());
        auto caption = [&] {
            const std::string s = panel->StateText();
            const size_t at = s.find("COM1.caption=");
            return s.substr(at, s.find('\n', at) - at);
        };
        EXPECT_NE(caption().find(" (38400) "), std::string::npos) << caption();

        QMouseEvent plain(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(panel->Indicator(), &plain);
        EXPECT_NE(caption().find(" (38400) "), std::string::npos);
        QMouseEvent shifted(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                            Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(panel->Indicator(), &shifted);
        EXPECT_NE(caption().find(" (4800) "), std::string::npos) << caption();
        // The line was opened again at the new speed.
        EXPECT_TRUE(
            Eventually([&] { return sim.Log().find("line speed 4800 Bd") != std::string::npos; }));

        // At 4800 Bd the station (set to 38400) does not hear us; detection finds it again.
        form.AutodetekceAction()->trigger();
        EXPECT_NE(caption().find(" (38400) "), std::string::npos) << caption();
        EXPECT_EQ(form.InfoPrint()->text(), "");
        sim.Send("insert si9 1123456");
        EXPECT_TRUE(
            Until([&] { return panel->StateText().find("= 1123456") != std::string::npos; }));
        form.close();
    }
    platform::IniFile saved(dir / "QZ_SI.ini");
    EXPECT_EQ(saved.ReadInteger("COM1", "Rychlost", -1), 1);
    EXPECT_EQ(SI_Typ::IniNastaveni, nullptr);
    SI_Typ::ResetGlobals();
}

#endif
