#include "KomentTools.h"
#include "SI_Typ.h"
#include "fKateg.h"
#include "fQZ_Mez.h"
#include "fZobrazeni.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "testsupport/DialogTestSupport.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

// The main window drives the category windows: its menu items, its one-second tick, the
// rotation timer and a click in the event grid.
TEST(HlasvelOkna, MainFormDrivesTheCategoryWindows) {
    testsupport::EnsureQtApp();
    SI_Typ::ResetGlobals();
    Koment::ResetNastaveni();
    testsupport::TempDir dir;
    const fs::path old = fs::current_path();
    fs::current_path(dir.Path());
    platform::SetProgramDataDir(dir.Path());
    {
        TfQZ_Mez::TVolby volby;
        volby.SpustitCasovace = false;
        TfQZ_Mez form(volby);
        Mezicasy::TZavod& zavod = form.Komentator().Zavod();
        for (const char* n : {"A", "B", "C", "D"}) {
            Mezicasy::TKateg1& k = zavod.AddKateg(n);
            Mezicasy::TZavodnikData d;
            d.Kategorie = n;
            d.Cip = n[0];
            d.Kontroly[1] = 1;
            zavod.AddZavodnik(k, d);
            k.VHlavnimOkne = true;
        }
        form.Polozka("Zobrazit1")->trigger();
        EXPECT_TRUE(form.NastavZobrazeni()->isVisible());
        // Both category dialogs are modal; in the main-window choice Space selects as a click.
        std::vector<std::string> modalni;
        for (const char* polozka : {"Kategorie1", "Zobrazovat"}) {
            testsupport::OnNextModal([&](QDialog& d) {
                modalni.push_back(d.objectName().toStdString());
                auto* list = d.findChild<QListWidget*>();
                list->setFocus();
                list->setCurrentRow(1, QItemSelectionModel::NoUpdate); // B
                QTest::keyClick(list, Qt::Key_Space);
                d.reject();
            });
            form.Polozka(polozka)->trigger();
        }
        EXPECT_EQ(modalni, (std::vector<std::string>{"fKateg", "fZobrKat"}));
        EXPECT_FALSE(zavod.NajdiKateg("B")->VHlavnimOkne);
        EXPECT_FALSE(platform::IniFile(dir / "Data_Kom" / "Z0001" / "Kateg.ini")
                         .ReadBool("MEZ_B", "-1", true));
        zavod.NajdiKateg("B")->VHlavnimOkne = true;

        Koment::Nastaveni.PocetSloupcuDivak = 3;
        form.TimerDivakTimer();
        EXPECT_TRUE(form.OknaKateg().Okno("C", 0)->Zobrazeno());
        EXPECT_EQ(form.Divak().DivakKategorie, "C");
        form.TimerDivakTimer();
        form.Timer_KresliTimer();
        EXPECT_FALSE(form.OknaKateg().Okno("C", 0)->Zobrazeno());
        EXPECT_TRUE(form.OknaKateg().Okno("D", 0)->Zobrazeno());

        form.VyberVOkne("B", "66", 0);
        EXPECT_TRUE(zavod.NajdiKateg("B")->OknoOtevreno[0]);
        EXPECT_TRUE(form.OknaKateg().Okno("B", 0)->Zobrazeno());
        form.close();
    }
    platform::IniFile kateg(dir.Path() / "Data_Kom" / "Z0001" / "Kateg.ini");
    EXPECT_TRUE(kateg.ReadBool("MEZ_B", "0", false));
    EXPECT_TRUE(kateg.ReadBool("MEZ_A", "-1", false));
    EXPECT_TRUE(platform::IniFile(dir.Path() / "Hlasvel.ini").SectionExists("fNastavZobrazeni"));
    fs::current_path(old);
    platform::SetProgramDataDir({});
    SI_Typ::ResetGlobals();
    Koment::ResetNastaveni();
}

// Every switch of the display settings and every control-code box takes a click at its centre
// (as a pointer does: the window finds the widget under it), whatever the number of codes.
TEST(HlasvelOkna, EveryDisplaySwitchTakesAClickAtItsCentre) {
    testsupport::EnsureQtApp();
    Koment::ResetNastaveni();
    for (const int pocet : {14, 40, 225}) {
        platform::IniFile ini{fs::path()};
        Koment::TNastaveni n;
        Mezicasy::TZavod zavod;
        for (int kod = 31; kod < 31 + pocet; ++kod) {
            zavod.KontrolaPouzita[static_cast<size_t>(kod)] = true;
        }
        TfNastavZobrazeni form(ini, n, zavod, [] { return true; });
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QList<QCheckBox*> boxy = form.findChildren<QCheckBox*>();
        boxy.removeIf([](const QCheckBox* b) { return !b->isVisible(); });
        ASSERT_EQ(static_cast<size_t>(boxy.size()), VyberKateg::kPrepinacu + pocet);
        for (QCheckBox* b : boxy) {
            const bool bylo = b->isChecked();
            QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              b->mapTo(&form, b->rect().center()));
            EXPECT_NE(b->isChecked(), bylo) << pocet << " codes: " << b->text().toStdString();
            if (const QVariant kod = b->property("tag"); kod.isValid()) {
                EXPECT_EQ(ini.ReadString("ZobrazitKontroly", "K" + std::to_string(kod.toInt()), ""),
                          b->isChecked() ? "1" : "0");
            }
        }
        EXPECT_EQ(ini.ReadSection("Nastaveni").size(), VyberKateg::kPrepinacu) << pocet;
    }
}
