// The race settings dialog: what it shows, its checks and their messages, what OK stores and
// that nothing else does.
#include "CisZav.h"
#include "SI_Typ.h"
#include "SettingsDialogTest.h"
#include "Tools.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using dlgtest::Child;
using dlgtest::Click;

namespace {

class CisZavTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        SI_Typ::Zavod = 12;
        SI_Typ::Etapa = 3;
        SI_Typ::Start00 = 9.3;
        SI_Typ::ComProDisplay = 0;
        SI_Typ::CestaRavlin = (dir / "Qz").string();
        for (int n = 10; n <= 18; ++n) {
            Port(n).DisableCOM = 1;
        }
    }

    // The dialog opened, with fields that pass every check.
    CisZav::TCisZavLogic Opened() {
        CisZav::TCisZavLogic logic;
        logic.FormActivate();
        return logic;
    }
};

TEST_F(CisZavTest, ShowsTheRaceAndTheEnabledPorts) {
    SI_Typ::ComProDisplay = 3;
    Port(2).DisableCOM = 1;
    Port(12).DisableCOM = 0;
    const CisZav::TCisZavLogic logic = Opened();
    EXPECT_EQ(logic.pole.cisZav, "0012");
    EXPECT_EQ(logic.pole.etapa, "3");
    EXPECT_EQ(logic.pole.start00, " 9:30");
    EXPECT_EQ(logic.pole.comProDisplay, " 3");
    EXPECT_EQ(logic.pole.cestaRavlin, (dir / "Qz").string());
    EXPECT_FALSE(logic.pole.podleRavlin);
    EXPECT_TRUE(logic.ZavodEditovatelny());
    EXPECT_FALSE(logic.SlozkaViditelna());
    EXPECT_TRUE(logic.pole.povolen[1]);
    EXPECT_FALSE(logic.pole.povolen[2]);
    EXPECT_FALSE(logic.pole.povolen[11]);
    EXPECT_TRUE(logic.pole.povolen[12]);
    EXPECT_EQ(CisZav::TextStart00(10.0), "10:00");
}

TEST_F(CisZavTest, EveryFailedCheckHasItsMessageInOrderAndNothingIsStored) {
    const std::string before = Ini().Content();
    CisZav::TCisZavLogic logic = Opened();
    logic.pole.cisZav = "0";
    logic.pole.etapa = "11";
    logic.pole.start00 = "25:00";
    EXPECT_FALSE(logic.BitBtnOkClick());
    EXPECT_EQ(messages.errors, (std::vector<std::string>{"Musí být zadáno číslo závodu 1 - 9999",
                                                         "Etapa může být pouze 1-10",
                                                         "Chybně zadaný čas startu 00"}));
    EXPECT_EQ(SI_Typ::Zavod, 12);
    EXPECT_EQ(SI_Typ::Etapa, 3);
    EXPECT_EQ(Ini().Content(), before);

    // All five at once, Ravlin.inf missing in the folder chosen.
    messages.errors.clear();
    logic.pole.cisZav = "abc";
    logic.pole.comProDisplay = "19";
    logic.pole.podleRavlin = true;
    EXPECT_FALSE(logic.BitBtnOkClick());
    ASSERT_EQ(messages.errors.size(), 5U);
    EXPECT_EQ(messages.errors[2], "COM pro display může být pouze 0-18");
    EXPECT_EQ(messages.errors[4], "Informační soubor Ravlin.inf nebyl v adresáři " +
                                      (dir / "Qz").string() + " nalezen");
    EXPECT_EQ(Ini().Content(), before);
}

TEST_F(CisZavTest, NumberChecksAtTheirLimits) {
    struct Case {
        std::string zavod, etapa, start, com;
        bool ok;
    };
    const Case cases[] = {
        {"1", "1", " 0:00", " 0", true},     {"9999", "10", "23:59", "18", true},
        {" 42 ", " 7", " 9:05", " 0", true}, {"10000", "1", "10:00", "0", false},
        {"-1", "1", "10:00", "0", false},    {"1", "0", "10:00", "0", false},
        {"1", "1", "24:00", "0", false},     {"1", "1", "12:60", "0", false},
        {"1", "1", "ab:cd", "0", false},     {"1", "1", "  :  ", "0", false},
        {"1", "1", "10:00", "", false},      {"1", "1", "10:00", "-1", false},
        {"1", "", "10:00", "0", false},      {"", "1", "10:00", "0", false},
    };
    for (const Case& c : cases) {
        CisZav::TCisZavLogic logic = Opened();
        logic.pole.cisZav = c.zavod;
        logic.pole.etapa = c.etapa;
        logic.pole.start00 = c.start;
        logic.pole.comProDisplay = c.com;
        messages.errors.clear();
        EXPECT_EQ(logic.BitBtnOkClick(), c.ok)
            << c.zavod << " / " << c.etapa << " / " << c.start << " / " << c.com;
        EXPECT_EQ(messages.errors.size(), c.ok ? 0U : 1U) << c.zavod << " " << c.start;
    }
    EXPECT_DOUBLE_EQ(*CisZav::CtiStart00(" 9:05"), 9.05);
}

TEST_F(CisZavTest, DisplayComMustNotBeAnEnabledSiPort) {
    CisZav::TCisZavLogic logic = Opened();
    logic.pole.comProDisplay = " 3";
    EXPECT_FALSE(logic.BitBtnOkClick());
    EXPECT_EQ(messages.errors,
              std::vector<std::string>{"Pokud je nastaven COM pro display, nemúže být tento port "
                                       "povolen pro SI "});
    logic.pole.povolen[3] = false;
    messages.errors.clear();
    EXPECT_TRUE(logic.BitBtnOkClick());
    EXPECT_TRUE(messages.errors.empty());
    EXPECT_EQ(SI_Typ::ComProDisplay, 3);
    EXPECT_EQ(Port(3).DisableCOM, 1);
}

TEST_F(CisZavTest, OkStoresTheRaceTheFolderAndThePorts) {
    CisZav::TCisZavLogic logic = Opened();
    logic.pole.cisZav = "7";
    logic.pole.etapa = "2";
    logic.pole.start00 = "11:15";
    logic.pole.comProDisplay = "18";
    logic.pole.cestaRavlin = (dir / "Jinde").string();
    logic.pole.povolen[1] = false;
    logic.pole.povolen[11] = true;
    logic.pole.povolen[18] = false;
    ASSERT_TRUE(logic.BitBtnOkClick());

    EXPECT_EQ(SI_Typ::Zavod, 7);
    EXPECT_DOUBLE_EQ(SI_Typ::Start00, 11.15);
    EXPECT_EQ(SI_Typ::CestaRavlin, (dir / "Jinde").string());
    EXPECT_EQ(Port(1).DisableCOM, 1);
    EXPECT_EQ(Port(2).DisableCOM, 0);
    EXPECT_EQ(Port(11).DisableCOM, 0);
    EXPECT_EQ(Port(12).DisableCOM, 1);

    // Read back from the file, as the next start reads it.
    platform::IniFile file(IniPath());
    EXPECT_EQ(file.ReadInteger("fQZ_SI", "Zavod", 0), 7);
    EXPECT_EQ(file.ReadInteger("fQZ_SI", "Etapa", 0), 2);
    EXPECT_EQ(file.ReadInteger("fQZ_SI", "ComProDisplay", 0), 18);
    EXPECT_DOUBLE_EQ(file.ReadFloat("fQZ_SI", "Start00", 0), 11.15);
    EXPECT_EQ(file.ReadString("fQZ_SI", "CestaRavlin", ""), (dir / "Jinde").string());
    EXPECT_EQ(file.ReadInteger("fQZ_SI", "PodleRavlin", -1), 0);
    EXPECT_EQ(file.ReadInteger("DisableCOM", "COM1", -1), 1);
    EXPECT_EQ(file.ReadInteger("DisableCOM", "COM2", -1), 0);
    EXPECT_EQ(file.ReadInteger("DisableCOM", "COM11", -1), 0);
    EXPECT_EQ(file.ReadInteger("DisableCOM", "COM18", -1), 1);
}

// A settings file that cannot be written must not pass for stored: the race would be gone at
// the next start while the chips of this one go under it.
TEST_F(CisZavTest, SettingsThatCannotBeStoredAreReported) {
    SI_Typ::IniNastaveni =
        std::make_unique<platform::IniFile>(dir / "missing-folder" / "QZ_SI.ini");
    CisZav::TCisZavLogic logic = Opened();
    logic.pole.cisZav = "7";
    EXPECT_TRUE(logic.BitBtnOkClick());
    ASSERT_EQ(messages.errors.size(), 1U);
    EXPECT_EQ(messages.errors[0].rfind("Nastavení se nepodařilo uložit: ", 0), 0U)
        << messages.errors[0];
    EXPECT_GT(messages.errors[0].size(), std::string("Nastavení se nepodařilo uložit: ").size());
    // In effect for this run all the same.
    EXPECT_EQ(SI_Typ::Zavod, 7);
}

// The race follows the Ravlin.inf of the folder being chosen, and OK takes that file's values
// (and its race name), not those of the folder stored before.
TEST_F(CisZavTest, RavlinInfComesFromTheFolderBeingChosen) {
    const auto stary =
        RavlinFolder("Stary", "Zavod=5\r\nEtapa=1\r\nStart00=10.00\r\nNazev=Old\r\n");
    const auto novy = RavlinFolder(
        "Novy", "Rok=2024\r\nZavod=7\r\nEtapa=2\r\nStart00=11.15\r\nNazev=Nov\xFD z\xE1vod\r\n");
    SI_Typ::CestaRavlin = stary.string();
    SI_Typ::PodleRavlin = 1;

    CisZav::TCisZavLogic logic = Opened();
    EXPECT_EQ(logic.pole.cisZav, "0005");
    EXPECT_FALSE(logic.ZavodEditovatelny());
    EXPECT_TRUE(logic.SlozkaViditelna());

    logic.ZvolSlozku(novy.string());
    EXPECT_EQ(logic.pole.cisZav, "0007");
    EXPECT_EQ(logic.pole.etapa, "2");
    EXPECT_EQ(logic.pole.start00, "11:15");

    // The results program moves on to stage 3 before OK.
    testsupport::WriteBytes(novy / "Ravlin.inf",
                            "[Ravlin]\r\nRok=2024\r\nZavod=7\r\nEtapa=3\r\nStart00=11.15\r\n"
                            "Nazev=Nov\xFD z\xE1vod\r\n");
    ASSERT_TRUE(logic.BitBtnOkClick());
    EXPECT_EQ(SI_Typ::Zavod, 7);
    EXPECT_EQ(SI_Typ::Etapa, 3);
    EXPECT_DOUBLE_EQ(SI_Typ::Start00, 11.15);
    EXPECT_EQ(SI_Typ::CestaRavlin, novy.string());
    EXPECT_EQ(SI_Typ::PodleRavlin, 1);
    EXPECT_EQ(Tools::RaceNameText(), "Nový závod");
    EXPECT_EQ(Ini().ReadInteger("fQZ_SI", "Etapa", 0), 3);
}

TEST_F(CisZavTest, RavlinValuesAreCheckedAsTheFileHoldsThem) {
    // 70000 would pass as race 4464 once squeezed into 16 bits.
    const auto folder = RavlinFolder("R", "Zavod=70000\r\nEtapa=1\r\nStart00=10.00\r\n");
    CisZav::TCisZavLogic logic = Opened();
    logic.ZvolSlozku(folder.string());
    logic.CheckBoxRavlinClick(true);
    EXPECT_EQ(logic.pole.cisZav, "70000");
    EXPECT_FALSE(logic.BitBtnOkClick());
    EXPECT_EQ(messages.errors, std::vector<std::string>{"Musí být zadáno číslo závodu 1 - 9999"});
    EXPECT_EQ(SI_Typ::Zavod, 12);

    // Switched off again, the values shown stay and can be edited and stored.
    logic.CheckBoxRavlinClick(false);
    EXPECT_TRUE(logic.ZavodEditovatelny());
    logic.pole.cisZav = "70";
    EXPECT_TRUE(logic.BitBtnOkClick());
    EXPECT_EQ(SI_Typ::Zavod, 70);
    EXPECT_EQ(SI_Typ::PodleRavlin, 0);
}

// The form: the switch greys the race fields and shows the file's values, the folder chooser
// re-reads, Cancel stores nothing and OK stores what the form shows.
TEST_F(CisZavTest, FormForwardsToTheLogic) {
    const auto folder = RavlinFolder("R", "Zavod=33\r\nEtapa=4\r\nStart00=8.45\r\nNazev=X\r\n");
    dlgtest::FakePicker picker;
    {
        TfCisZav form(nullptr, &picker);
        form.show();
        auto* zavod = Child<QLineEdit>(form, "VstupCisZav");
        auto* etapa = Child<QLineEdit>(form, "txtEtapa");
        auto* start = Child<QLineEdit>(form, "txtStart00");
        ASSERT_TRUE(zavod && etapa && start);
        EXPECT_EQ(zavod->text(), "0012");
        EXPECT_EQ(start->displayText(), " 9:30");
        EXPECT_TRUE(Child<QCheckBox>(form, "Port1")->isChecked());
        EXPECT_FALSE(Child<QCheckBox>(form, "Port10")->isChecked());
        dlgtest::SavePicture(form, "fCisZav.png");

        zavod->setText("99");
        Click(form, "CheckBoxRavlin");
        EXPECT_FALSE(zavod->isEnabled());
        picker.answer = folder.string();
        Click(form, "DirectoryListBox1");
        EXPECT_EQ(picker.offered, (dir / "Qz").string());
        EXPECT_EQ(zavod->text(), "0033");
        EXPECT_EQ(etapa->text(), "4");
        EXPECT_EQ(start->displayText(), " 8:45");
        EXPECT_EQ(Child<QLabel>(form, "txtCestaRavlin")->text().toStdString(), folder.string());
        dlgtest::SavePicture(form, "fCisZav-Ravlin.png");

        Click(form, "BitBtnCancel");
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    EXPECT_EQ(SI_Typ::Zavod, 12);
    EXPECT_EQ(SI_Typ::PodleRavlin, 0);
    // Only the window's placement is written on closing.
    platform::IniFile after(IniPath());
    EXPECT_FALSE(after.ValueExists("fQZ_SI", "Zavod"));
    EXPECT_FALSE(after.SectionExists("DisableCOM"));
    EXPECT_TRUE(after.SectionExists("fCisZav"));

    TfCisZav form(nullptr, &picker);
    form.show();
    Child<QLineEdit>(form, "txtEtapa")->setText("5");
    Child<QLineEdit>(form, "txtComProDisplay")->setText("9");
    Click(form, "BitBtnOk");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(messages.errors.size(), 1U);
    Click(form, "Port9");
    Click(form, "BitBtnOk");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(SI_Typ::Etapa, 5);
    EXPECT_EQ(SI_Typ::ComProDisplay, 9);
    EXPECT_EQ(Port(9).DisableCOM, 1);
}

} // namespace
