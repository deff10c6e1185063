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
        // Both category dialogs are modal; in the main-window choice the keyboard's Space
        // selects as a click does.
        std::vector<std::string> modalni;
        testsupport::OnNextModal([&](QDialog& d) {
            modalni.push_back(d.objectName().toStdString());
            d.reject();
        });
        form.Polozka("Kategorie1")->trigger();
        testsupport::OnNextModal([&](QDialog& d) {
            modalni.push_back(d.objectName().toStdString());
            auto* list = d.findChild<QListWidget*>();
            list->setFocus();
            list->setCurrentRow(1, QItemSelectionModel::NoUpdate); // B
            QTest::keyClick(list, Qt::Key_Space);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Space); // C
            QTest::keyClick(list, Qt::Key_Space);
            d.reject();
        });
        zavod.NajdiKateg("B")->VHlavnimOkne = true;
        zavod.NajdiKateg("C")->VHlavnimOkne = false;
        form.Polozka("Zobrazovat")->trigger();
        EXPECT_EQ(modalni, (std::vector<std::string>{"fKateg", "fZobrKat"}));
        EXPECT_FALSE(zavod.NajdiKateg("B")->VHlavnimOkne);
        EXPECT_FALSE(zavod.NajdiKateg("C")->VHlavnimOkne);
        {
            platform::IniFile kateg(dir.Path() / "Data_Kom" / "Z0001" / "Kateg.ini");
            EXPECT_FALSE(kateg.ReadBool("MEZ_B", "-1", true));
            EXPECT_FALSE(kateg.ReadBool("MEZ_C", "-1", true));
        }
        zavod.NajdiKateg("B")->VHlavnimOkne = true;
        zavod.NajdiKateg("C")->VHlavnimOkne = true;

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
        std::vector<QCheckBox*> boxy;
        for (QCheckBox* b : form.findChildren<QCheckBox*>()) {
            if (b->isVisible()) {
                boxy.push_back(b);
            }
        }
        ASSERT_EQ(boxy.size(), static_cast<size_t>(VyberKateg::kPrepinacu + pocet));
        const auto stavy = [&] {
            std::vector<bool> s;
            for (const QCheckBox* b : boxy) {
                s.push_back(b->isChecked());
            }
            return s;
        };
        for (size_t i = 0; i < boxy.size(); ++i) {
            QCheckBox* b = boxy[i];
            std::vector<bool> cekano = stavy();
            cekano[i] = !cekano[i];
            const QPoint stred = b->mapTo(&form, b->rect().center());
            QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier, stred);
            EXPECT_EQ(stavy(), cekano) << pocet << " codes: " << b->text().toStdString();
            const QVariant kod = b->property("tag");
            const std::string zapsano =
                kod.isValid()
                    ? ini.ReadString("ZobrazitKontroly", "K" + std::to_string(kod.toInt()), "")
                    : "";
            if (kod.isValid()) {
                EXPECT_EQ(zapsano, b->isChecked() ? "1" : "0")
                    << pocet << " codes: " << kod.toInt();
            }
        }
        EXPECT_EQ(ini.ReadSection("Nastaveni").size(), VyberKateg::kPrepinacu) << pocet;
    }
}
