// The port settings dialog: what it shows for a port, what OK applies and stores, and that the
// port's own folder survives while the results program decides where files go.
#include "SI_Typ.h"
#include "SettingsDialogTest.h"
#include "Tools.h"
#include "fSetPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using dlgtest::Child;
using dlgtest::Click;

namespace {

class SetComTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        TSIPort& p = Port(3);
        p.SetRychlost(1);
        p.SetMode(1);
        p.MaxTime = 4;
        p.InfoOkno = false;
        p.Path = (dir / "Vystup").string();
        opened.clear();
    }

    fSetPort::THodnoty Unchanged(const fSetPort::TZobrazeni& z) {
        fSetPort::THodnoty h;
        h.funkce = z.funkceIndex;
        h.rychlost = z.rychlostIndex;
        h.maxTime = z.maxTime;
        h.checkSum = z.checkSum;
        h.infoOkno = z.infoOkno;
        h.slozka = z.slozka;
        return h;
    }
};

TEST_F(SetComTest, ShowsThePort) {
    fSetPort::TSetComLogic logic(Port(3));
    fSetPort::TZobrazeni z = logic.FormActivate();
    EXPECT_EQ(z.caption, "Nastavení portu COM3");
    ASSERT_EQ(z.funkce.size(), 4U);
    EXPECT_EQ(z.funkceIndex, 1);
    EXPECT_EQ(z.rychlostIndex, 1);
    EXPECT_EQ(z.maxTimeHint, "Maximální možná doba pro načtení čipu (doporučeno : 4)");
    EXPECT_EQ(z.maxTime, "4");
    EXPECT_TRUE(z.slozkaViditelna);
    EXPECT_EQ(z.exportPath, (dir / "Vystup").string());

    SI_Typ::Language = 1;
    Port(3).SetMode(3);
    z = logic.FormActivate();
    EXPECT_EQ(z.caption, "Setting port COM3");
    EXPECT_EQ(z.maxTimeHint, "Max. time for reading SI station backup (recomended : 15)");
    // The mode names are Czech in both languages.
    EXPECT_EQ(z.funkce[0], "port není aktivní");

    // PC Auto is offered by no dialog: nothing is chosen, and OK keeps it.
    Port(3).SetMode(9);
    z = logic.FormActivate();
    EXPECT_EQ(z.funkceIndex, -1);
    logic.BitBtnOkClick(Unchanged(z));
    EXPECT_EQ(Port(3).Rezim, 9);
}

TEST_F(SetComTest, OkAppliesToThePortAndStores) {
    fSetPort::TSetComLogic logic(Port(3));
    fSetPort::THodnoty h = Unchanged(logic.FormActivate());
    h.funkce = 3;
    h.rychlost = 0;
    h.maxTime = " 15";
    h.infoOkno = true;
    h.checkSum = false;
    h.slozka = (dir / "Jinam").string();
    logic.BitBtnOkClick(h);

    TSIPort& p = Port(3);
    EXPECT_EQ(p.Rezim, 3);
    EXPECT_EQ(p.Rychlost, 0);
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened.back().com, 3);
    EXPECT_EQ(opened.back().baud, 4800);
    EXPECT_EQ(p.MaxTime, 15);
    EXPECT_TRUE(p.InfoOkno);
    EXPECT_FALSE(p.CheckSum);
    EXPECT_EQ(p.Path, (dir / "Jinam").string());

    platform::IniFile file(IniPath());
    EXPECT_EQ(file.ReadInteger("COM3", "Rezim", -1), 3);
    EXPECT_EQ(file.ReadInteger("COM3", "Rychlost", -1), 0);
    EXPECT_EQ(file.ReadInteger("COM3", "MaxTime", -1), 15);
    EXPECT_EQ(file.ReadString("COM3", "Path", ""), (dir / "Jinam").string());

    // "port není aktivní" closes the line.
    h.funkce = 0;
    logic.BitBtnOkClick(h);
    EXPECT_EQ(p.Rezim, 0);
    EXPECT_EQ(p.port, nullptr);
}

TEST_F(SetComTest, TimeOutThatIsNoNumberKeepsTheOldOne) {
    fSetPort::TSetComLogic logic(Port(3));
    fSetPort::THodnoty h = Unchanged(logic.FormActivate());
    for (const char* text : {"", "  ", "1a", "+-3"}) {
        h.maxTime = text;
        logic.BitBtnOkClick(h);
        EXPECT_EQ(Port(3).MaxTime, 4) << text;
    }
}

TEST_F(SetComTest, SettingsThatCannotBeStoredAreReported) {
    SI_Typ::IniNastaveni =
        std::make_unique<platform::IniFile>(dir / "missing-folder" / "QZ_SI.ini");
    fSetPort::TSetComLogic logic(Port(3));
    fSetPort::THodnoty h = Unchanged(logic.FormActivate());
    h.maxTime = "9";
    logic.BitBtnOkClick(h);
    ASSERT_EQ(messages.errors.size(), 1U);
    EXPECT_EQ(messages.errors[0].rfind("Nastavení se nepodařilo uložit: ", 0), 0U)
        << messages.errors[0];
    EXPECT_NE(messages.errors[0].find("QZ_SI.ini"), std::string::npos);
    EXPECT_EQ(Port(3).MaxTime, 9); // in effect for this run all the same
}

TEST_F(SetComTest, PathIsCutTo255Characters) {
    fSetPort::TSetComLogic logic(Port(3));
    fSetPort::THodnoty h = Unchanged(logic.FormActivate());
    h.slozka = "/" + std::string(120, 'x') + "/";
    for (int i = 0; i < 150; ++i) {
        h.slozka += "č";
    }
    logic.BitBtnOkClick(h);
    // 122 characters, then 133 of the two-byte letter: cut between letters, not inside one.
    EXPECT_EQ(Port(3).Path.size(), 122U + 2 * 133U);
}

// While PodleRavlin is on the files go to the results program's race folder: the dialog shows
// that folder and OK leaves the port's own Path as it was.
TEST_F(SetComTest, WithPodleRavlinThePortsOwnPathStays) {
    SI_Typ::PodleRavlin = 1;
    SI_Typ::CestaRavlin = (dir / "Qz").string();
    SI_Typ::RavlinInf.Rok = "2024";
    SI_Typ::Zavod = 12;
    fSetPort::TSetComLogic logic(Port(3));
    const fSetPort::TZobrazeni z = logic.FormActivate();
    EXPECT_FALSE(z.slozkaViditelna);
    EXPECT_EQ(z.exportPath, Port(3).OutputDir());
    EXPECT_EQ(z.exportPath, (dir / "Qz" / "Zav_2024" / "ZZ0012").string() + "/");

    fSetPort::THodnoty h = Unchanged(z);
    h.slozka = z.exportPath;
    logic.BitBtnOkClick(h);
    EXPECT_EQ(Port(3).Path, (dir / "Vystup").string());
    EXPECT_EQ(Ini().ReadString("COM3", "Path", ""), (dir / "Vystup").string());
}

TEST_F(SetComTest, FormShowsForwardsAndCancelChangesNothing) {
    dlgtest::FakePicker picker;
    {
        TfSetCom form(3, nullptr, &picker);
        form.show();
        EXPECT_EQ(form.windowTitle(), "Nastavení portu COM3");
        auto* funkce = Child<QComboBox>(form, "ComboFunkce");
        ASSERT_NE(funkce, nullptr);
        EXPECT_EQ(funkce->currentIndex(), 1);
        EXPECT_FALSE(Child<QCheckBox>(form, "CheckBoxCheckSum")->isVisible());
        dlgtest::SavePicture(form, "fSetCom.png");
        funkce->setCurrentIndex(0);
        Child<QLineEdit>(form, "MaxTime")->setText("9");
        Click(form, "BitBtnStrorno");
    }
    EXPECT_EQ(Port(3).Rezim, 1);
    EXPECT_EQ(Port(3).MaxTime, 4);
    EXPECT_FALSE(Ini().SectionExists("COM3"));

    TfSetCom form(3, nullptr, &picker);
    form.show();
    picker.answer = (dir / "Jinam").string();
    Click(form, "DirectoryListBox1");
    EXPECT_EQ(picker.offered, (dir / "Vystup").string());
    EXPECT_EQ(Child<QLabel>(form, "ExportPath")->text().toStdString(), (dir / "Jinam").string());
    Child<QLineEdit>(form, "MaxTime")->setText("15");
    Click(form, "BitBtnOk");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(Port(3).Path, (dir / "Jinam").string());
    EXPECT_EQ(Port(3).MaxTime, 15);
    EXPECT_EQ(Ini().ReadInteger("COM3", "MaxTime", 0), 15);

    // With PodleRavlin on there is no folder to choose.
    SI_Typ::PodleRavlin = 1;
    TfSetCom ravlin(3, nullptr, &picker);
    ravlin.show();
    EXPECT_FALSE(Child<QWidget>(ravlin, "DirectoryListBox1")->isVisible());
    EXPECT_EQ(Child<QLabel>(ravlin, "ExportPath")->text().toStdString(), Port(3).OutputDir());
    dlgtest::SavePicture(ravlin, "fSetCom-Ravlin.png");
}

} // namespace
