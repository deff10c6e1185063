// The race and source settings dialog and the results-program link dialog, without windows.
#include "KomentTools.h"
#include "MNastavLogic.h"
#include "RavlinLogic.h"
#include "SI_Typ.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Zpravy : Dialogs::IMessages {
    std::vector<std::string> shown;
    void Error(const std::string& text) override { shown.push_back(text); }
    void Info(const std::string& text) override { shown.push_back(text); }
    bool Confirm(const std::string&) override { return true; }
};

struct MNastav_ : ::testing::Test {
    void SetUp() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        SI_Typ::Zavod = 12;
        SI_Typ::Etapa = 1;
        napojeni.TimerNacitani = [this](int32_t ms) {
            udalosti.push_back("timer " + std::to_string(ms));
        };
        napojeni.ZmenaZavodu = [this](bool) {
            udalosti.push_back("zmena " + zdroje.Zavodnici().FileName);
        };
        napojeni.PrekresliMrizku = [this] { udalosti.push_back("mrizka"); };
        holder = std::make_unique<MNastav::TMNastavLogic>(ini, zdroje, zpravy, napojeni);
        logic = holder.get();
        logic->FormActivate();
    }
    void TearDown() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
    }
    // The keys of a section in the order they stand in the file.
    std::vector<std::string> Klice(const std::string& section) { return ini.ReadSection(section); }

    platform::IniFile ini{""};
    TVstupniNapojeni vstup;
    TVstupniSoubory zdroje{vstup};
    Zpravy zpravy;
    std::vector<std::string> udalosti;
    MNastav::TNapojeni napojeni;
    std::unique_ptr<MNastav::TMNastavLogic> holder;
    MNastav::TMNastavLogic* logic = nullptr;
};

} // namespace

TEST_F(MNastav_, ChecksRunInOrderEachWithItsMessage) {
    using Pole = MNastav::TPole;
    struct Case {
        std::function<void(Pole&)> edit;
        std::vector<std::string> messages;
    };
    const std::string rows = "Počet oken pro zobrazování výsledků kategorií musí být 1 - ";
    const std::vector<Case> cases = {
        {[](Pole&) {}, {}},
        {[](Pole& p) { p.cisloZavodu = "0000"; }, {"Musí být zadáno číslo závodu 1 - 9999"}},
        {[](Pole& p) { p.cisloZavodu = "9999"; }, {}},
        {[](Pole& p) {
             p.etapa = "4";
             p.intervalNacitani = "10";
         },
         {"Etapa může být jen jen 1, 2 nebo 3", "Interval načítání dat musí být 0 nebo 15 - 3600"}},
        {[](Pole& p) { p.intervalNacitani = "0"; }, {}},
        {[](Pole& p) { p.intervalNacitani = "14"; },
         {"Interval načítání dat musí být 0 nebo 15 - 3600"}},
        {[](Pole& p) { p.intervalNacitani = "3600"; }, {}},
        {[](Pole& p) { p.intervalNacitani = "3601"; },
         {"Interval načítání dat musí být 0 nebo 15 - 3600"}},
        {[](Pole& p) { p.maxPoradi = "1000"; },
         {"V hlavním okně zobrazovat závodníky jen do místa musí být zadáno 1 - 999"}},
        {[](Pole& p) { p.maxVHlavnimOkne = "4"; }, {"Počet zobrazovaných řádků musí být 5 - 999"}},
        {[](Pole& p) { p.cisloStartu[0] = "5"; },
         {"Číslo startu mohou být vyplněna pouze pro branky SPORTIDENT"}},
        {[](Pole& p) {
             p.cisloStartu[0] = "5";
             p.branka = true;
         },
         {}},
        {[](Pole& p) {
             p.cisloStartu[3] = "31";
             p.branka = true;
         },
         {"Číslo startu musí být 0 - 30"}},
        {[](Pole& p) { p.cisloSberky = "0"; }, {}},
        {[](Pole& p) { p.cisloSberky = "31"; }, {}},
        {[](Pole& p) { p.cisloSberky = "255"; }, {}},
        {[](Pole& p) { p.cisloSberky = "30"; }, {"Číslo sběrky musí být 31 - 255"}},
        {[](Pole& p) { p.cisloSberky = "256"; }, {"Číslo sběrky musí být 31 - 255"}},
        {[](Pole& p) { p.cisloSberky = "  "; }, {"Číslo sběrky musí být 31 - 255"}},
        {[](Pole& p) { p.start00 = "23:59"; }, {}},
        {[](Pole& p) { p.start00 = "01:59"; }, {}},
        {[](Pole& p) { p.start00 = " 9:05"; }, {}},
        {[](Pole& p) { p.start00 = "24:00"; }, {"Chybně zadaný čas startu 00"}},
        {[](Pole& p) { p.start00 = "10:60"; }, {"Chybně zadaný čas startu 00"}},
        {[](Pole& p) { p.start00 = "1 :30"; }, {"Chybně zadaný čas startu 00"}},
        {[](Pole& p) { p.intervalDivak = "100"; },
         {"Interval pro zobrazování okna kategorií musí být 0 - 99"}},
        {[](Pole& p) { p.pocetRadDivak = "10"; }, {}},
        {[](Pole& p) { p.pocetRadDivak = "11"; }, {rows + "10"}},
        {[](Pole& p) { p.pocetSloupcuDivak = "6"; }, {rows + "5"}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        ini.SetContent("");
        zpravy.shown.clear();
        logic->FormActivate();
        cases[i].edit(logic->pole);
        const bool ok = logic->BitBtnOkClick();
        EXPECT_EQ(zpravy.shown, cases[i].messages) << "case " << i;
        EXPECT_EQ(ok, cases[i].messages.empty()) << "case " << i;
        EXPECT_EQ(logic->MuzeZavrit(), ok) << "case " << i;
        // Nothing of a refused press is written.
        EXPECT_EQ(ini.Content().empty(), !ok) << "case " << i;
    }
    SI_Typ::Language = 1;
    logic->FormActivate();
    logic->pole.cisloZavodu = "0";
    logic->BitBtnOkClick();
    EXPECT_EQ(zpravy.shown.back(), "Number of race must be from 1 to 9999");
    // The start00 field shows hh:mm with a blank before a one-digit hour.
    EXPECT_EQ(MNastav::TextStart00(9.05), " 9:05");
    EXPECT_EQ(MNastav::TextStart00(23.59), "23:59");
    EXPECT_DOUBLE_EQ(*MNastav::CtiStart00(" 9:05"), 9.05);
}

TEST_F(MNastav_, OkAppliesAndWritesInOrderSourcesBeforeTheReload) {
    zdroje[2].FileName = "old.csv";
    zdroje[2].Cteni.Position = 500;
    zdroje[3].FileName = "same.csv";
    zdroje[3].Cteni.Position = 700;
    logic->FormActivate();
    MNastav::TPole& p = logic->pole;
    p.etapa = "2"; // the stage alone changes the race
    p.start00 = "01:59";
    p.intervalNacitani = "20";
    p.cisloStartu = {"0", "3", "0", "0"};
    p.branka = true;
    p.druhZavodu = -1; // nothing selected: the stored kind stays
    p.radky[0] = {true, "C:\\Ravlin\\Zavodnici"};
    p.radky[2].soubor = "new.csv";
    p.radky[5].zapnut = true;
    Koment::Nastaveni.DruhZavodu = 2;

    ASSERT_TRUE(logic->BitBtnOkClick());
    EXPECT_EQ(SI_Typ::Etapa, 2);
    EXPECT_DOUBLE_EQ(Koment::Nastaveni.Start00, 1.59);
    EXPECT_EQ(Koment::Nastaveni.DruhZavodu, 2);
    EXPECT_TRUE(Koment::Nastaveni.JeCisloStartu());
    EXPECT_TRUE(Koment::Nastaveni.AlgeCilZapnut);
    EXPECT_EQ(Koment::Nastaveni.IntervalNacitani, 20);
    // A renamed source is read from its start; the others go on where they were.
    EXPECT_EQ(zdroje[2].Cteni.Position, 0);
    EXPECT_EQ(zdroje[3].Cteni.Position, 700);
    EXPECT_EQ(udalosti,
              (std::vector<std::string>{"timer 20000", "zmena C:\\Ravlin\\Zavodnici", "mrizka"}));
    EXPECT_EQ(Klice("fQZ_Mez"),
              (std::vector<std::string>{"Zavod", "Etapa", "MaxPor", "MaxRadkuHlOkna",
                                        "IntervalNacitani", "CisloStartu1", "CisloStartu2",
                                        "CisloStartu3", "CisloStartu4", "StartovniBranky",
                                        "CisloSberky", "IntervalDivak", "PocetRadDivak",
                                        "PocetSloupcuDivak", "Start00", "Desetiny", "DruhZavodu"}));
    EXPECT_EQ(ini.ReadString("fQZ_Mez", "Start00", ""), "1.59");
    EXPECT_EQ(ini.ReadString("fQZ_Mez", "StartovniBranky", ""), "1");
    EXPECT_EQ(ini.ReadString("fQZ_Mez", "DruhZavodu", ""), "2");
    EXPECT_EQ(Klice("Soubory").size(), 18U);

    // Same race again: no reload. Cancel writes nothing.
    udalosti.clear();
    logic->FormActivate();
    ASSERT_TRUE(logic->BitBtnOkClick());
    EXPECT_EQ(udalosti, (std::vector<std::string>{"timer 20000", "mrizka"}));
    const std::string before = ini.Content();
    logic->FormActivate();
    logic->pole.etapa = "3";
    logic->BitBtnCancelClick();
    EXPECT_TRUE(logic->MuzeZavrit());
    EXPECT_EQ(ini.Content(), before);
    EXPECT_EQ(SI_Typ::Etapa, 2);
}

TEST_F(MNastav_, TheLinkDisablesItsFieldsWhichAreWrittenUnchecked) {
    zdroje[1].Enabled = true;
    zdroje[4].Enabled = true;
    logic->FormActivate();
    EXPECT_TRUE(logic->zavodPovolen);
    EXPECT_TRUE(logic->radky[1].tlacitkoVidet);
    EXPECT_FALSE(logic->radky[2].tlacitkoVidet);
    logic->CheckClick(2, true);
    EXPECT_TRUE(logic->radky[2].editVidet && logic->radky[2].tlacitkoVidet);

    Koment::TRavlinNastaveni& r = Koment::RavlinNastaveni;
    r.PodleRavlin = true;
    r.auto_Zavod = true;
    r.auto_DataZav = true;
    r.auto_Racom = true;
    r.auto_QZPort1 = r.auto_AlgeStart = r.auto_AlgeCilPrimo = r.auto_AlgeCilRucne = false;
    SI_Typ::Etapa = 5; // out of range, as the results program set it
    Koment::Nastaveni.CisloSberky = 7;
    logic->FormActivate();
    EXPECT_FALSE(logic->zavodPovolen);
    // Competitor source and entry 4 follow auto_DataZav, RACOM auto_Racom; entry 2 never.
    const std::vector<bool> povolen = {false, true, true, false, false, true, true, true};
    for (size_t i = 0; i < povolen.size(); ++i) {
        EXPECT_EQ(logic->radky[i].povolen, povolen[i]) << i;
        EXPECT_EQ(logic->radky[i].tlacitkoVidet, povolen[i]) << i;
    }
    EXPECT_TRUE(logic->BitBtnOkClick());
    EXPECT_TRUE(zpravy.shown.empty());
    EXPECT_EQ(ini.ReadInteger("fQZ_Mez", "Etapa", 0), 5);
    EXPECT_EQ(ini.ReadInteger("fQZ_Mez", "CisloSberky", 0), 7);
}

TEST(RavlinDialog, VisibilityAndMessagesFollowThePathAsTyped) {
    SI_Typ::ResetGlobals();
    Koment::ResetNastaveni();
    testsupport::TempDir td;
    fs::create_directories(td / "Ravlin");
    RavlinDialog::TRavlinLogic d;
    d.FormActivate();
    EXPECT_TRUE(d.okVidet);
    EXPECT_FALSE(d.cestaVidet || d.volbyVidet);

    d.podleRavlin = true;
    struct Case {
        std::string path;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"", "Cesta není zadána"},
        {(td / "None").string(), "Cesta neexistuje"},
        {(td / "Ravlin").string(), "V zadaném adresáři neexistuje soubor Hlasvel.inf"},
    };
    for (const Case& c : cases) {
        d.path = c.path;
        d.Vyhodnoceni();
        EXPECT_EQ(d.errorInfo, c.error);
        EXPECT_TRUE(d.cestaVidet);
        EXPECT_FALSE(d.okVidet || d.volbyVidet);
    }
    testsupport::WriteBytes(td / "Ravlin" / "HLASVEL.INF", "[Hlasvel]\r\n");
    for (const std::string& path : {(td / "Ravlin").string(), (td / "ravlin/").string()}) {
        d.path = path;
        d.Vyhodnoceni();
        EXPECT_EQ(d.errorInfo, "") << path;
        EXPECT_TRUE(d.okVidet && d.volbyVidet) << path;
    }

    d.volby = {true, false, true, false, true, false, true};
    platform::IniFile ini{""};
    ASSERT_TRUE(d.BitBtnOkClick(ini));
    EXPECT_TRUE(Koment::RavlinNastaveni.auto_QZPort1);
    EXPECT_FALSE(Koment::RavlinNastaveni.auto_DataZav);
    EXPECT_EQ(ini.ReadSection("Ravlin"),
              (std::vector<std::string>{"PodleRavlin", "PathRavlin", "auto_Zavod", "auto_DataZav",
                                        "auto_Racom", "auto_QZPort1", "auto_AlgeStart",
                                        "auto_AlgeCilPrimo", "auto_AlgeCilRucne"}));
    Koment::ResetNastaveni();
}
