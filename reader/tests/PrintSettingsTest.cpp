// Settings around printing: the spooler's dialog and print folder, the printer menu and the
// font samples.
#include "PrintForms.h"
#include "PrinterMenu.h"
#include "SI_FontForm.h"
#include "SI_Typ.h"
#include "fDefTisk.h"
#include "platform/Paths.h"
#include "testsupport/DialogTestSupport.h"
#include "testsupport/PrintTestSupport.h"
#include "testsupport/TempDir.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct NoBackend : printing::PrintBackend {
    std::unique_ptr<printing::PrintJob> BeginJob(const printing::PrinterSetting&,
                                                 const std::string&, std::string& error) override {
        error = "none";
        return nullptr;
    }
};

class PrintSettings : public ::testing::Test {
protected:
    void SetUp() override { SI_Typ::ResetGlobals(); }
    void TearDown() override { SI_Typ::ResetGlobals(); }
    fDefTisk::TDefTisk Make() { return fDefTisk::TDefTisk(ini, backend, status, messages); }

    platform::IniFile ini{""};
    NoBackend backend;
    printtest::Status status;
    printtest::Messages messages;
};

struct Printers : printing::PrinterList {
    std::vector<std::string> names{"Alpha", "Beta", "Gamma"};
    std::vector<std::string> Names() override { return names; }
    std::string DefaultName() override { return "Beta"; }
};

struct SetupDialog : printing::PrinterSetupDialog {
    bool accept = true;
    printing::PrinterChoice offered;
    printing::PrinterChoice answer;
    bool Run(printing::PrinterChoice& choice, const std::vector<std::string>&) override {
        offered = choice;
        if (accept) {
            choice = answer;
        }
        return accept;
    }
};

} // namespace

TEST_F(PrintSettings, DialogStoresAllFieldsOrNothing) {
    ini.WriteString("DefPrint", "Cesta", "/old");
    fDefTisk::TDefTisk spooler = Make();
    fDefTisk::DialogValues v = spooler.FormActivate();
    EXPECT_TRUE(v.zpracovat);
    EXPECT_EQ(v.pridatFF, -1);
    EXPECT_EQ(v.cyklus, "10");
    EXPECT_EQ(v.maska, "*.txt");
    EXPECT_EQ(v.slozkaTisku, "/old/");
    EXPECT_TRUE(v.showFolderChooser);
    EXPECT_TRUE(v.showPiktogramy);

    const std::string before = ini.Content();
    v.zpracovat = false;
    v.cesta = "/new";
    for (const char* bad : {"", "   ", "1x", "-5"}) {
        v.cyklus = bad;
        EXPECT_FALSE(spooler.BitBtnOkClick(v)) << bad;
    }
    EXPECT_EQ(messages.shown.size(), 4U);
    EXPECT_EQ(messages.shown[0], "'' není platné celé číslo");
    EXPECT_EQ(ini.Content(), before);
    EXPECT_EQ(spooler.nastaveni.Tisknout, 1);
    EXPECT_EQ(spooler.nastaveni.Cesta, "/old");

    v.cyklus = " 25";
    v.pridatFF = 1;
    v.piktogramy = true;
    v.maska = "*.prn";
    EXPECT_TRUE(spooler.BitBtnOkClick(v));
    EXPECT_EQ(spooler.nastaveni.Cyklus, 25);
    EXPECT_EQ(ini.Content(), "[DefPrint]\r\nCesta=/new\r\nTisknout=0\r\nTisknoutPikt=1\r\n"
                             "PridatFF=1\r\nCyklus=25\r\nMaska=*.prn\r\n");
    // The runner limit is the commentator's only.
    EXPECT_FALSE(ini.ValueExists("DefPrint", "TiskMaxZav"));
}

// The folder button asks the shared folder picker, from the folder the field shows; OK stores
// the choice.
TEST_F(PrintSettings, FolderButtonAsksTheFolderPicker) {
    printtest::EnsureQtApp();
    ini.WriteString("DefPrint", "Cesta", "/old");
    fDefTisk::TDefTisk spooler = Make();
    testsupport::FakePicker picker;
    DefTiskForm form(spooler, ini, nullptr, &picker);
    form.show();
    picker.answer = "/new/print";
    testsupport::Click(form, "btnSlozka");
    EXPECT_EQ(picker.offered, "/old");
    testsupport::Click(form, "BitBtnOk");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(ini.ReadString("DefPrint", "Cesta", ""), "/new/print");
}

TEST_F(PrintSettings, DialogFollowsRavlinAndTheCommentator) {
    SI_Typ::PodleRavlin = 1;
    fDefTisk::TDefTisk spooler = Make();
    fDefTisk::DialogValues v = spooler.FormActivate();
    EXPECT_FALSE(v.showFolderChooser);
    v.cesta = "/elsewhere";
    EXPECT_TRUE(spooler.BitBtnOkClick(v));
    EXPECT_FALSE(ini.ValueExists("DefPrint", "Cesta"));
    EXPECT_EQ(spooler.nastaveni.Cesta, "");

    SI_Typ::PodleRavlin = 0;
    SI_Typ::ProgramKind = SI_Typ::KindCommentator;
    ini.WriteInteger("DefPrint", "TiskMaxZav", 30);
    fDefTisk::TDefTisk commentator = Make();
    v = commentator.FormActivate();
    EXPECT_EQ(v.tiskMaxZav, "30");
    EXPECT_FALSE(v.showPiktogramy);
    v.tiskMaxZav = "x";
    EXPECT_FALSE(commentator.BitBtnOkClick(v));
    v.tiskMaxZav = "40";
    EXPECT_TRUE(commentator.BitBtnOkClick(v));
    EXPECT_EQ(ini.ReadInteger("DefPrint", "TiskMaxZav", 0), 40);

    // Ticking the sheet box needs the pictogram font.
    auto missing = [](const std::string&) { return false; };
    EXPECT_FALSE(commentator.Check_PiktogramyClick(true, missing));
    EXPECT_EQ(messages.shown.back(),
              "Nemáte nainstalován font QZ-Davovazedi04. Piktogramy nelze tisknout");
    EXPECT_TRUE(commentator.Check_PiktogramyClick(
        true, [](const std::string& f) { return f == "QZ-Davovazedi04"; }));
    EXPECT_FALSE(commentator.Check_PiktogramyClick(false, missing));
    EXPECT_EQ(messages.shown.size(), 2U);
}

TEST_F(PrintSettings, PrintFolderRules) {
    testsupport::TempDir td;
    // Nothing set: no folder at all, rather than the current folder's text files.
    EXPECT_EQ(Make().SlozkaTisku(), "");

    platform::SetDriveRoot('C', td.Path());
    fs::create_directories(td / "Zavody" / "tisk");
    ini.WriteString("DefPrint", "Cesta", "C:\\ZAVODY\\Tisk");
    EXPECT_EQ(Make().SlozkaTisku(), (td / "Zavody" / "tisk").string() + "/");

    SI_Typ::PodleRavlin = 1;
    SI_Typ::CestaRavlin = td.Path().string();
    SI_Typ::RavlinInf.Rok = "2026";
    SI_Typ::Zavod = 12;
    EXPECT_EQ(Make().SlozkaTisku(), (td / "Zav_2026" / "ZZ0012" / "Print").string() + "/");
    fs::create_directories(td / "zav_2026" / "zz0012" / "PRINT");
    EXPECT_EQ(Make().SlozkaTisku(), (td / "zav_2026" / "zz0012" / "PRINT").string() + "/");

    SI_Typ::ProgramKind = SI_Typ::KindCommentator;
    EXPECT_EQ(Make().SlozkaTisku(), "print/");
    platform::SetDriveRoot('C', {});
}

TEST_F(PrintSettings, PrinterMenuNamesThePrinterByNameThenIndex) {
    Printers printers;
    const auto suffix = [&](int n) { return printing::PrinterMenuSuffix(ini, printers.names, n); };
    EXPECT_EQ(suffix(0), ""); // default printer
    ini.WriteInteger("Tiskarna1", "PrinterIndex", 1);
    EXPECT_EQ(suffix(1), " = Beta");
    EXPECT_EQ(printing::PrinterMenuCaption(ini, printers.names, 1), "Tiskárna &1 = Beta");
    // The name wins over the index: CUPS may have reordered its printers.
    ini.WriteString("Tiskarna1", "PrinterName", "Gamma");
    EXPECT_EQ(suffix(1), " = Gamma");
    ini.WriteString("Tiskarna1", "PrinterName", "Gone");
    EXPECT_EQ(suffix(1), " = Beta");
    ini.WriteInteger("Tiskarna1", "PrinterIndex", 7);
    EXPECT_EQ(suffix(1), "");
    EXPECT_EQ(printing::PrinterMenuSuffix(ini, {}, 1), "");

    SetupDialog dialog;
    dialog.answer = {"Gamma", true};
    std::string error;
    ASSERT_TRUE(printing::SetTiskarna(ini, printers, dialog, 4, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(dialog.offered.printer, "Beta"); // nothing stored yet: the default printer
    EXPECT_FALSE(dialog.offered.landscape);
    const printing::PrinterSetting stored = printing::ReadPrinterSetting(ini, 4);
    EXPECT_EQ(stored.name, "Gamma");
    EXPECT_EQ(stored.index, 2);
    EXPECT_TRUE(stored.landscape);

    // Cancelled: nothing stored, so a setting on the default printer stays on it.
    const std::string before = ini.Content();
    dialog.accept = false;
    EXPECT_FALSE(printing::SetTiskarna(ini, printers, dialog, 5, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(ini.Content(), before);

    // A choice the settings file does not take is no choice stored.
    testsupport::TempDir td;
    platform::IniFile nowhere(td / "missing-folder" / "QZ_SI.ini");
    dialog.accept = true;
    EXPECT_FALSE(printing::SetTiskarna(nowhere, printers, dialog, 1, error));
    EXPECT_EQ(error.rfind("Nastavení tiskárny se nepodařilo uložit: ", 0), 0U) << error;
}

TEST_F(PrintSettings, FontSamplesStoreTheChosenFont) {
    printtest::EnsureQtApp();
    ini.WriteString("Font1", "Name", "Liberation Serif");
    int asked = 0;
    bool cancel = false;
    TfFont form(ini, nullptr, [&](const QFont&, QWidget*) -> std::optional<QFont> {
        ++asked;
        if (cancel) {
            return std::nullopt;
        }
        QFont f("Arial", 14);
        f.setBold(true);
        return f;
    });
    EXPECT_TRUE(form.Sample(0)->toPlainText().startsWith("Font 0 Courier\n1234567890\n"));
    EXPECT_TRUE(form.Sample(1)->toPlainText().startsWith("Font 1 Liberation Serif\n"));

    // A click on sample 3 opens the font dialog and stores its answer.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.Sample(3)->viewport(), &press);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ini.ReadString("Font3", "Name", ""), "Arial");
    EXPECT_EQ(ini.ReadInteger("Font3", "Size", 0), 14);
    EXPECT_EQ(ini.ReadString("Font3", "Style", ""), "fsBold,");
    EXPECT_TRUE(form.Sample(3)->toPlainText().startsWith("Font 3 Arial\n"));
    EXPECT_EQ(SI_Font::LoadUserFonts(ini)[3].size, 14);

    // Cancelled: the unchanged font is written, so a missing section appears.
    cancel = true;
    form.Click(5);
    EXPECT_EQ(ini.ReadString("Font5", "Name", ""), "Courier");

    // Two columns of five, re-laid on resizing.
    form.show();
    form.resize(600, 440);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Sample(7)->geometry(), QRect(305, 180, 295, 80));
    EXPECT_EQ(form.Sample(4)->geometry(), QRect(0, 360, 295, 80));
    form.reject();
    EXPECT_EQ(ini.ReadInteger("fFont", "Status", 0), 1);
}
