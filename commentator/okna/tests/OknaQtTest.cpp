#include "KategOkna.h"
#include "KomentTools.h"
#include "SI_Typ.h"
#include "fKateg.h"
#include "fMenuKateg.h"
#include "fMezicasy.h"
#include "fZobrKat.h"
#include "fZobrazeni.h"
#include "platform/Clock.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <gtest/gtest.h>

using Koment::Nastaveni;
using Mezicasy::TZavodnikData;

namespace {

TZavodnikData Comp(const std::string& cat, int32_t cip, double split, uint16_t stav = 0) {
    TZavodnikData d;
    d.Kategorie = cat;
    d.Jmeno = "R" + std::to_string(cip);
    d.Cip = cip;
    d.Stav = stav;
    d.CasStartu = 0;
    d.Kontroly[1] = 31;
    d.Kontroly[2] = 1;
    d.Mezicasy[1] = split;
    return d;
}

class OknaQtTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::EnsureQtApp();
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        platform::SetClock(&clock);
        okna.NastavKategIni(&kategIni);
        okna.NastavTovarnu(&tovarna);
    }
    void TearDown() override { platform::SetClock(nullptr); }

    platform::FakeClock clock;
    testsupport::TempDir dir;
    platform::IniFile kategIni{dir / "Kateg.ini"};
    platform::IniFile hlasvel{dir / "Hlasvel.ini"};
    Mezicasy::TZavod zavod;
    KategOkna::TOknaKateg okna{zavod};
    TTovarnaOken tovarna{okna, &hlasvel};
};

} // namespace

TEST_F(OknaQtTest, CategoryWindowShowsColouredRowsAndHidesOnClose) {
    Mezicasy::TKateg1& k = zavod.AddKateg("D21");
    zavod.AddZavodnik(k, Comp("D21", 1, 5.00));
    zavod.AddZavodnik(k, Comp("D21", 2, 4.00, 1));
    zavod.AddZavodnik(k, Comp("D21", 3, 0));
    k.OknoOtevreno[1] = true;
    okna.ObnovOkna();
    auto* w = dynamic_cast<TfMezicasy*>(okna.Okno("D21", 1));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "D21  1. mez/0.k/31");
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w->width(), 400);
    EXPECT_EQ(w->Stitek()->text(), "D21");
    const QTableView* g = w->Mrizka();
    EXPECT_EQ(g->verticalHeader()->defaultSectionSize(), 24); // 2 x 12 pt
    EXPECT_TRUE(g->isColumnHidden(2) && g->isColumnHidden(8) && g->isColumnHidden(9));
    EXPECT_EQ(g->columnWidth(1), 173); // 0.45 x (400 - 15)
    w->resize(266, 500);               // a narrow rotation tile: the columns still fit
    EXPECT_EQ(g->columnWidth(0), 18);
    EXPECT_FALSE(g->horizontalScrollBar()->isVisible());
    auto* m = w->Model();
    ASSERT_EQ(m->rowCount(), 2);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
              QColor(204, 255, 51));
    EXPECT_EQ(m->data(m->index(0, 0), Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 255));
    // The split moment is 10:05:00 (zero time 10.00); ten seconds later, colours on.
    clock.SetWall({2026, 6, 1, 10, 5, 10, 0});
    EXPECT_EQ(m->data(m->index(1, 0), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
    Nastaveni.Barvy = true;
    EXPECT_EQ(m->data(m->index(1, 0), Qt::BackgroundRole).value<QColor>(), QColor(255, 20, 0));

    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(k.OknoOtevreno[1]);
    EXPECT_FALSE(kategIni.ReadBool("MEZ_D21", "1", true));
}

TEST_F(OknaQtTest, ChoiceDialogsWorkOnNamesAndStoreEachClick) {
    for (const char* n : {"H21E", "D21A", "H21B", "D21C"}) {
        Mezicasy::TKateg1& k = zavod.AddKateg(n);
        zavod.AddZavodnik(k, Comp(n, n[3], 0));
    }
    TfZobrKat z(zavod, okna);
    z.show();
    const auto selected = [&] {
        std::string s;
        for (int i = 0; i < z.ListBoxKateg()->count(); ++i) {
            if (z.ListBoxKateg()->item(i)->isSelected()) {
                s += z.ListBoxKateg()->item(i)->text().toStdString() + " ";
            }
        }
        return s;
    };
    z.btnPlusEA->click();
    EXPECT_EQ(selected(), "D21A H21E ");
    z.btnPlusB->click();
    z.btnPlusC->click();
    EXPECT_TRUE(zavod.NajdiKateg("D21C")->VHlavnimOkne);
    EXPECT_EQ(z.ListBoxKateg()->selectedItems().size(), 4);
    z.btnNic->click();
    EXPECT_EQ(selected(), "");
    EXPECT_FALSE(kategIni.ReadBool("MEZ_H21E", "-1", true));

    TfKateg f(zavod, okna);
    f.show();
    zavod.NajdiKateg("H21B")->OknoOtevreno[1] = true;
    f.ListBoxKateg()->setCurrentRow(2); // H21B
    EXPECT_TRUE(f.CheckBox(1)->isChecked());
    EXPECT_FALSE(f.CheckBox(3)->isVisibleTo(&f));
    EXPECT_EQ(f.CheckBox(2)->text(), "2. mez/cíl");
    EXPECT_FALSE(kategIni.SectionExists("MEZ_H21B/1"));
    f.CheckBox(2)->click();
    EXPECT_TRUE(zavod.NajdiKateg("H21B")->OknoOtevreno[2]);
    EXPECT_TRUE(kategIni.ReadBool("MEZ_H21B", "2", false));

    TfMenuKateg menu;
    const auto menus = menu.menuBar()->actions();
    ASSERT_EQ(menus.size(), 51);
    EXPECT_EQ(menus[50]->text(), "KAT 50");
    EXPECT_EQ(menus[50]->menu()->actions()[4]->text(), "LAP 5");
}

TEST_F(OknaQtTest, DisplaySettingsLayOutCodesInUseAndWriteEachClick) {
    bool alge = false;
    for (int c = 40; c < 49; ++c) {
        zavod.KontrolaPouzita[static_cast<size_t>(c)] = true;
    }
    TfNastavZobrazeni f(hlasvel, Nastaveni, zavod, [&] { return alge; });
    f.show();
    EXPECT_TRUE(f.Prepinac(VyberKateg::Prepinac::Cil)->isChecked());
    EXPECT_EQ(f.Prepinac(VyberKateg::Prepinac::Zvuky)->text(), "Zvuky");
    EXPECT_FALSE(f.Prepinac(VyberKateg::Prepinac::Start)->isVisible());
    EXPECT_FALSE(f.CheckBoxKontrola(39)->isVisible());
    EXPECT_EQ(f.CheckBoxKontrola(47)->pos(), QPoint(380, 30));
    EXPECT_EQ(f.CheckBoxKontrola(48)->pos(), QPoint(15, 50));
    EXPECT_EQ(f.CheckBoxKontrola(45)->text(), " 45");
    f.CheckBoxKontrola(45)->click();
    EXPECT_EQ(hlasvel.ReadString("ZobrazitKontroly", "K45", ""), "0");
    EXPECT_FALSE(Nastaveni.KontrolaZobrazit[45]);
    f.Prepinac(VyberKateg::Prepinac::Zvuky)->click();
    EXPECT_TRUE(Nastaveni.Zvuky);
    EXPECT_EQ(hlasvel.ReadString("Nastaveni", "Zvuky", ""), "1");
    alge = true;
    f.PrekresliZobrazit();
    EXPECT_TRUE(f.Prepinac(VyberKateg::Prepinac::Start)->isVisible());
    f.close();
    EXPECT_TRUE(hlasvel.SectionExists("fNastavZobrazeni"));
}
