// The commentator's settings dialogs as windows: what they show, what the pickers get and give,
// and when they may close.
#include "KomentTools.h"
#include "SI_Typ.h"
#include "fDefTabule.h"
#include "fMNastav.h"
#include "fQZ_Mez.h"
#include "fRavlin.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "testsupport/DialogTestSupport.h"
#include "testsupport/PrintTestSupport.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <stdexcept>
#include <tuple>

namespace fs = std::filesystem;
using testsupport::Child;
using testsupport::Click;

namespace {

struct FilePicker : IFilePicker {
    std::optional<std::string> answer;
    std::string title, filter, start;
    std::optional<std::string> ChooseFile(QWidget*, const std::string& t, const std::string& f,
                                          const std::string& s) override {
        title = t;
        filter = f;
        start = s;
        return answer;
    }
};

struct ThrowingPicker : IFolderPicker {
    std::optional<std::string> ChooseFolder(QWidget*, const std::string&,
                                            const std::string&) override {
        throw std::runtime_error("no such folder");
    }
};

struct Dialogy : ::testing::Test {
    void SetUp() override {
        testsupport::EnsureQtApp();
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        SI_Typ::Zavod = 3;
        SI_Typ::Etapa = 1;
    }
    void TearDown() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
    }
    platform::IniFile ini{""};
    testsupport::RecordingMessages zpravy;
};

} // namespace

TEST_F(Dialogy, SettingsDialogStaysOpenAfterFailedChecksAndPicksFiles) {
    TVstupniNapojeni vstup;
    TVstupniSoubory zdroje{vstup};
    zdroje[1].Enabled = true;
    zdroje[1].FileName = "/old/a.csv";
    zdroje.Zavodnici().Enabled = true;
    zdroje.Zavodnici().FileName = "/old";
    ThrowingPicker slozky;
    FilePicker soubory;
    SI_Typ::Language = 1;
    TfMNastav d(ini, zdroje, zpravy, {}, slozky, soubory);
    d.show();
    EXPECT_EQ(Child<QLineEdit>(d, "txtCisloZavodu")->text(), "0003");
    EXPECT_EQ(Child<QLineEdit>(d, "txtStart00")->text(), "10:00");
    EXPECT_EQ(Child<QCheckBox>(d, "checkFile2")->text(), "data ORO nebo QZport  - 1");
    EXPECT_EQ(Child<QPushButton>(d, "BitBtnOk")->text(), "Save");
    EXPECT_EQ(Child<QLineEdit>(d, "txtEtapa")->toolTip(),
              "There must be the same number of etap as in program Ravlin");
    EXPECT_TRUE(Child<QPushButton>(d, "btnVyberSouborFile2")->isVisibleTo(&d));
    EXPECT_FALSE(Child<QPushButton>(d, "btnVyberSouborFile3")->isVisibleTo(&d));

    soubory.answer = "/new/b.csv";
    Click(d, "btnVyberSouborFile2");
    EXPECT_EQ(soubory.title, "Import z ORO - 1");
    EXPECT_EQ(soubory.filter, "*.csv;*.txt|*.csv;*.txt");
    EXPECT_EQ(soubory.start, "/old/a.csv");
    EXPECT_EQ(Child<QLineEdit>(d, "txtFile2_FN")->text(), "/new/b.csv");
    Click(d, "btnVyberSouborFile1"); // the folder chooser fails: the edit keeps its text
    EXPECT_EQ(Child<QLineEdit>(d, "txtFile1_FN")->text(), "/old");

    Child<QLineEdit>(d, "txtCisloZavodu")->setText("0000");
    Click(d, "BitBtnOk");
    EXPECT_EQ(zpravy.errors, std::vector<std::string>{"Number of race must be from 1 to 9999"});
    EXPECT_FALSE(d.close());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(zdroje[1].FileName, "/old/a.csv");
    Click(d, "BitBtnCancel");
    EXPECT_FALSE(d.isVisible());

    d.show(); // each opening shows the stored values again
    EXPECT_EQ(Child<QLineEdit>(d, "txtFile2_FN")->text(), "/old/a.csv");
    Child<QLineEdit>(d, "txtFile2_FN")->setText("/new/b.csv");
    Click(d, "BitBtnOk");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(zdroje[1].FileName, "/new/b.csv");
}

// The zero time goes through the field as the user leaves or types it: a one-digit hour is
// valid whether it was stored or typed.
TEST_F(Dialogy, ZeroTimeFieldAndItsCheckAgree) {
    TVstupniNapojeni vstup;
    TVstupniSoubory zdroje{vstup};
    testsupport::FakePicker slozky;
    FilePicker soubory;
    for (const auto& [stored, typed, taken] :
         {std::tuple{9.05, "", 9.05}, {10.0, " 805", 8.05}, {10.0, "0745", 7.45}}) {
        Koment::Nastaveni.Start00 = stored;
        TfMNastav d(ini, zdroje, zpravy, {}, slozky, soubory);
        d.show();
        auto* field = Child<QLineEdit>(d, "txtStart00");
        field->setCursorPosition(0);
        QTest::keyClicks(field, typed);
        Click(d, "BitBtnOk");
        EXPECT_TRUE(zpravy.errors.empty()) << typed << ": " << field->displayText().toStdString();
        EXPECT_FALSE(d.isVisible()) << typed;
        EXPECT_DOUBLE_EQ(Koment::Nastaveni.Start00, taken) << typed;
    }
}

TEST_F(Dialogy, LinkDialogShowsOkAndBoxesOnceTheFolderHoldsHlasvelInf) {
    testsupport::TempDir td;
    testsupport::WriteBytes(td / "hlasvel.inf", "");
    testsupport::FakePicker slozky;
    TfRavlin d(ini, slozky);
    d.show();
    auto* ok = Child<QPushButton>(d, "BitBtnOK");
    auto* path = Child<QLineEdit>(d, "PathRavlin");
    auto* box = Child<QCheckBox>(d, "chkQzPort1");
    EXPECT_TRUE(ok->isVisibleTo(&d));
    EXPECT_FALSE(path->isVisibleTo(&d) || box->isVisibleTo(&d));
    Click(d, "CheckDleRavlin");
    EXPECT_EQ(Child<QLabel>(d, "ErrorInfo")->text(), "Cesta není zadána");
    EXPECT_FALSE(ok->isVisibleTo(&d));
    path->setText(QString::fromStdString(td.Path().string()));
    EXPECT_TRUE(ok->isVisibleTo(&d) && box->isVisibleTo(&d));
    box->setChecked(true);
    Click(d, "BitBtnOK");
    EXPECT_TRUE(Koment::RavlinNastaveni.PodleRavlin);
    EXPECT_TRUE(ini.ReadBool("Ravlin", "auto_QZPort1", false));
}

TEST_F(Dialogy, InfoBoardDialogStoresItsThreeKeys) {
    Koment::TNastaveni n;
    testsupport::FakePicker slozky;
    slozky.answer = "/srv/tabule";
    TDefTabule d(ini, n, slozky);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Vytvářet soubor pro Info tabuli");
    d.findChild<QCheckBox*>()->setChecked(true);
    for (QPushButton* b : d.findChildren<QPushButton*>()) {
        if (b->text() == "...") {
            b->click();
        }
    }
    for (QPushButton* b : d.findChildren<QPushButton*>()) {
        if (b->text() == "OK") {
            b->click();
        }
    }
    EXPECT_TRUE(n.VytvaretInfoTab);
    EXPECT_EQ(n.CestaInfoTab, "/srv/tabule");
    EXPECT_EQ(ini.ReadString("InfoTabule", "CestaInfoTab", ""), "/srv/tabule");
    EXPECT_EQ(ini.ReadString("InfoTabule", "SouborInfoTab", ""), "InfoTab.txt");
}

namespace {

struct Tiskarny : printing::PrinterList {
    std::vector<std::string> Names() override { return {"Alfa", "Beta"}; }
    std::string DefaultName() override { return "Alfa"; }
};

} // namespace

TEST_F(Dialogy, MainFormMenusOpenTheDialogsAndTheSpoolerPrintsOnTheRunsPrinter) {
    testsupport::TempDir td;
    const fs::path old = fs::current_path();
    fs::current_path(td.Path());
    platform::SetProgramDataDir(td.Path());
    platform::FakeClock clock;
    platform::SetClock(&clock);
    testsupport::WriteBytes(
        td / "Hlasvel.ini",
        "[DefPrint]\r\nTisknout=1\r\nCyklus=1\r\nSlozkaPdf=" + (td / "pdf").string() + "\r\n");
    {
        Tiskarny tiskarny;
        TfQZ_Mez::TVolby volby;
        volby.SpustitCasovace = false;
        volby.Tiskarny = &tiskarny;
        TfQZ_Mez form(volby);
        for (const auto& [item, dialog] : {std::pair{"mnuZavod", "fMNastav"},
                                           {"mnuRavlin", "fRavlin"},
                                           {"mnuInfoTabule", "DefTabule"},
                                           {"Zpracovvatsoubory", "DefTisk"}}) {
            std::string opened;
            bool otevren = false;
            testsupport::OnNextModal([&](QDialog& d) {
                opened = d.objectName().toStdString();
                otevren = form.DialogOtevren();
                d.reject();
            });
            form.Polozka(item)->trigger();
            EXPECT_EQ(opened, dialog) << item;
            EXPECT_TRUE(otevren) << item;
            EXPECT_FALSE(form.DialogOtevren()) << item;
        }

        testsupport::OnNextModal([](QDialog& d) {
            for (QRadioButton* r : d.findChildren<QRadioButton*>()) {
                if (r->text() == "Na šířku") {
                    r->setChecked(true);
                }
            }
            d.accept();
        });
        form.Polozka("NastaveniTiskarny")->trigger();

        fs::create_directories(td / "print");
        testsupport::WriteBytes(td / "print" / "a.txt", "Landscape\r\n");
        for (int i = 0; i < 3; ++i) {
            form.TimerPrinterTimer();
            clock.Advance(1'000);
        }
        EXPECT_FALSE(fs::exists(td / "print" / "a.txt"));
        const std::string xml = printtest::PdfXml(td / "pdf" / "Tisk0001.pdf");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(xml, m, std::regex(R"re(height="(\d+)" width="(\d+)")re")));
        EXPECT_GT(std::stoi(m[2]), std::stoi(m[1])) << "landscape, as chosen for this run";

        form.Polozka("Zobrazit1")->trigger();
        testsupport::OnNextModal([](QDialog& d) { d.reject(); });
        form.Polozka("ZpracovavatFonty")->trigger();
        form.close();
    }
    // Every window keeps its placement alike: "Status" is the window state, 0 normal.
    platform::IniFile ini(td / "Hlasvel.ini");
    for (const char* sekce :
         {"fQZ_Mez", "fMNastav", "fRavlin", "DefTabule", "DefTisk", "fFont", "fNastavZobrazeni"}) {
        EXPECT_EQ(ini.ReadString(sekce, "Status", "none"), "0") << sekce;
    }
    platform::SetClock(nullptr);
    platform::SetProgramDataDir({});
    fs::current_path(old);
}
