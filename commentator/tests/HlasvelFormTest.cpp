#include "AboutBox.h"
#include "KomentTools.h"
#include "RavlinKoment.h"
#include "SI_Typ.h"
#include "fQZ_Mez.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "testsupport/ProgramRun.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QStyle>
#include <QTableView>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <malloc.h>

namespace {

namespace fs = std::filesystem;

struct Okna : InfoAll::IVyberVOkne {
    std::vector<std::string> vybery;
    void VyberVOkne(const std::string& k, const std::string& cip, int32_t bod) override {
        vybery.push_back(k + "/" + cip + "/" + std::to_string(bod));
    }
};

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class HlasvelFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::EnsureQtApp();
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        old_ = fs::current_path();
        fs::current_path(dir.Path());
        platform::SetProgramDataDir(dir.Path());
    }
    void TearDown() override {
        fs::current_path(old_);
        platform::SetProgramDataDir({});
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
    }
    TfQZ_Mez::TVolby Volby() {
        TfQZ_Mez::TVolby v;
        v.SpustitCasovace = false;
        v.Okna = &okna;
        v.VyberFontu = [this](const QFont& f, QWidget*) -> std::optional<QFont> {
            ++fontDialogs;
            QFont g = f;
            g.setPointSize(14);
            return g;
        };
        return v;
    }
    testsupport::TempDir dir;
    fs::path old_;
    Okna okna;
    int fontDialogs = 0;
};

TEST_F(HlasvelFormTest, StartsWithoutSettingsAndStoresThemAtClose) {
    {
        TfQZ_Mez form(Volby());
        EXPECT_EQ(form.windowTitle().toStdString(), "QZ - Program pro komentátora");
        EXPECT_EQ(form.Polozka("mnuZavod")->text().toStdString(), "&Parametry");
        EXPECT_EQ(form.Polozka("Info1")->text().toStdString(), "&Info");
        EXPECT_TRUE(form.Polozka("mnuCesky")->isChecked());
        EXPECT_FALSE(form.Polozka("mnuRavlin")->isChecked());
        EXPECT_EQ(form.Casovac("Timer1").interval(), 200);
        EXPECT_EQ(form.Casovac("Timer_Kresli").interval(), 1000);
        EXPECT_EQ(form.Casovac("TimerNacitani").interval(), 120000);
        EXPECT_EQ(form.Casovac("TimerDivak").interval(), 0) << "no rotation";
        EXPECT_EQ(form.Casovac("TimerInfoRavlin").interval(), 20000);
        EXPECT_EQ(form.InfoAllData().PocetRadku(), 2);
        EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 100)
            << "hints show after 100 ms";

        form.Polozka("mnuEnglish")->trigger();
        EXPECT_TRUE(form.Polozka("mnuEnglish")->isChecked());
        EXPECT_FALSE(form.Polozka("mnuCesky")->isChecked());
        EXPECT_EQ(form.Polozka("mnuZavod")->text().toStdString(), "&Parametry")
            << "captions change at the next start";

        form.Polozka("Info1")->trigger();
        auto* about = form.findChild<TAboutBox*>();
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(about->isVisible());
        EXPECT_FALSE(about->isModal());
        EXPECT_EQ(about->Tag(), 1);

        form.Polozka("mnuFontHlavni")->trigger();
        EXPECT_EQ(fontDialogs, 1);
        EXPECT_EQ(form.Mrizka()->verticalHeader()->defaultSectionSize(), 28);
        form.close();
    }
    const std::string ini = ReadAll(dir.Path() / "Hlasvel.ini");
    EXPECT_NE(ini.find("Language=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Zavod=1"), std::string::npos);
    EXPECT_NE(ini.find("[FontHlavni]"), std::string::npos);
    EXPECT_NE(ini.find("Size=14"), std::string::npos) << ini;
    EXPECT_TRUE(fs::is_directory(dir.Path() / "Data_Kom" / "Z0001"));

    // The next start speaks English.
    TfQZ_Mez again(Volby());
    EXPECT_EQ(again.Polozka("mnuZavod")->text().toStdString(), "&Parameters");
    EXPECT_EQ(again.windowTitle().toStdString(), "Orienteering - program for speaker");
}

TEST_F(HlasvelFormTest, GridColoursAndClicks) {
    TfQZ_Mez form(Volby());
    form.resize(1000, 500);
    form.show();
    Mezicasy::TZavod& zavod = form.Komentator().Zavod();
    for (int i = 1; i <= 3; ++i) {
        Mezicasy::TZavodnikData d;
        d.Kategorie = "H21";
        d.Jmeno = "Runner " + std::to_string(i);
        d.Cip = i;
        d.Kontroly[1] = 31;
        d.PoradiKontrol[1] = 1;
        Mezicasy::TKateg1* k = zavod.NajdiKateg("H21");
        zavod.AddZavodnik(k ? *k : zavod.AddKateg("H21"), d);
    }
    zavod.SpocitejUseky();
    Mezicasy::TZavodnik* z = zavod.NajdiZavodnika(2, true);
    z->Data.Mezicasy[1] = 5.0;
    zavod.PridejUdalost(*z, 31, 1, 5.0);
    form.Timer_KresliTimer();
    ASSERT_EQ(form.Mrizka()->model()->rowCount(), 2);

    QTableView* grid = form.Mrizka();
    const QRect cell = grid->visualRect(grid->model()->index(0, 0));
    const auto pixel = [&] {
        const QImage img = grid->viewport()->grab().toImage();
        return img.pixelColor(cell.right() - 3, cell.center().y());
    };
    EXPECT_EQ(pixel(), QColor(Qt::white)) << "colours are off by default";
    Koment::Nastaveni.Barvy = true;
    grid->viewport()->update();
    EXPECT_EQ(pixel(), QColor(255, 105, 0));

    const auto click = [&](Qt::MouseButton b, QPoint at) {
        QMouseEvent ev(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at), b, b,
                       Qt::NoModifier);
        QCoreApplication::sendEvent(grid->viewport(), &ev);
    };
    click(Qt::LeftButton, cell.center());
    click(Qt::RightButton, cell.center());
    click(Qt::LeftButton, grid->visualRect(grid->model()->index(1, 0)).center()); // empty row
    click(Qt::LeftButton, QPoint(5, grid->viewport()->height() - 2));             // below
    EXPECT_EQ(okna.vybery, (std::vector<std::string>{"H21/2/1", "H21/2/0"}));

    // A deleted split cancels its row and its colour.
    form.ZrusZaznamInfoAll(2, 1);
    grid->viewport()->update();
    EXPECT_EQ(form.InfoAllData().Radek(1)[5], "XXXXXXX");
    EXPECT_EQ(pixel(), QColor(Qt::white));
}

// A click on an event row opens its category's window whatever letters the name has: the name
// is cut by characters, as the category itself was.
TEST_F(HlasvelFormTest, ClickOnRowsOfCzechCategories) {
    TfQZ_Mez form(Volby());
    form.resize(1000, 500);
    form.show();
    Mezicasy::TZavod& zavod = form.Komentator().Zavod();
    for (const std::string name : {"ŽENY ŠKOLY", "ŽENY ŠKOLA"}) {
        Mezicasy::TZavodnikData d;
        d.Kategorie = name;
        d.Cip = static_cast<int32_t>(zavod.Kategorie.size() + 1);
        d.Kontroly[1] = 31;
        d.PoradiKontrol[1] = 1;
        Mezicasy::TZavodnik* z = zavod.AddZavodnik(zavod.AddKateg(name), d);
        z->Data.Mezicasy[1] = 5.0;
        zavod.PridejUdalost(*z, 31, 1, 5.0);
    }
    form.Timer_KresliTimer();
    QTableView* grid = form.Mrizka();
    for (int row = 0; row < 2; ++row) {
        const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
        QMouseEvent ev(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid->viewport(), &ev);
    }
    // Newest first.
    EXPECT_EQ(okna.vybery, (std::vector<std::string>{"ŽENY ŠKOLA/2/1", "ŽENY ŠKOLY/1/1"}));
}

// A race day reloads the competitors every few minutes; each reload repaints the grids. The
// heap in use after twenty more reloads stays where it was.
TEST_F(HlasvelFormTest, ReloadsKeepNoMemory) {
    ravlin::RavlinKoment ravlin{dir.Path() / "ravlin"};
    ravlin.SampleRace();
    ravlin.inf.zavod = 1;
    ASSERT_TRUE(ravlin.ExportCompetitors());
    fs::create_directories(dir.Path() / "Data_Kom" / "Z0001");
    std::ofstream(dir.Path() / "Data_Kom" / "Z0001" / "Kateg.ini", std::ios::binary)
        << "[MEZ_H21]\r\n-1=1\r\n1=1\r\n3=1\r\n[MEZ_D21]\r\n-1=1\r\n2=1\r\n";
    std::ofstream(dir.Path() / "Hlasvel.ini", std::ios::binary)
        << "[Soubory]\r\nFNameZavodnici1=" << ravlin.KomentDir().string()
        << "\r\nCheckZavodnici1=1\r\n";

    platform::FakeClock clock;
    platform::SetClock(&clock);
    TfQZ_Mez form(Volby());
    form.show();
    const auto reload = [&] {
        clock.Advance(platform::StableFileCheck::kQuietMs);
        form.TimerNacitaniTimer();
        form.Timer_KresliTimer();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible()) {
                (void)w->grab();
            }
        }
    };
    for (int i = 0; i < 5; ++i) {
        reload();
    }
    ASSERT_EQ(form.Komentator().PocetZavodniku(), static_cast<int>(ravlin.competitors.size()));
    const auto before = static_cast<int64_t>(mallinfo2().uordblks);
    for (int i = 0; i < 20; ++i) {
        reload();
    }
    EXPECT_LT(static_cast<int64_t>(mallinfo2().uordblks) - before, 64 * 1024);
    platform::SetClock(nullptr);
}

#ifdef HLASVEL_PATH
// The program itself, offscreen, against the results-program double.
TEST(HlasvelProgram, FollowsTheResultsProgramNewestFirst) {
    testsupport::TempDir dir;
    const fs::path ravlinDir = dir.Path() / "ravlin";
    ravlin::RavlinKoment ravlin(ravlinDir);
    ravlin.SampleRace();
    ASSERT_TRUE(ravlin.WriteInf() && ravlin.ExportCompetitors());
    for (int i = 0; i < 10; ++i) {
        ravlin.AppendNext();
    }
    std::ofstream(dir.Path() / "Hlasvel.ini", std::ios::binary)
        << "[Ravlin]\r\nPodleRavlin=1\r\nPathRavlin=" << ravlinDir.string() << "\r\n";
    const fs::path program =
        testsupport::OffscreenProgram::CopyProgram(HLASVEL_PATH, dir.Path(), {"pip.wav"});
    const fs::path shot = dir.Path() / "hlasvel.png";
    testsupport::OffscreenProgram run(program, dir.Path(), "hlasvel", "HLASVEL_",
                                      {"HLASVEL_SCREENSHOT=" + shot.string()});
    // Ten events and the empty row below them.
    EXPECT_TRUE(run.StateWhen([](auto& s) { return s["Rows"] == "11"; })) << run.Errors();
    auto state = run.State();
    EXPECT_EQ(state["Caption"], "Zkušební závod");
    EXPECT_EQ(state["Competitors"], "12");

    // Each new punch goes on top.
    for (int i = 0; i < 3; ++i) {
        ravlin.AppendNext();
        const std::string chip = std::to_string(ravlin.punches[ravlin.Appended() - 1].chip);
        EXPECT_TRUE(run.StateWhen([&](auto& s) {
            return s["Rows"] == std::to_string(12 + i) &&
                   s["Row1"].find("|" + chip + "|") != std::string::npos;
        })) << run.State()["Row1"];
    }
    run.Signal(SIGUSR1);
    EXPECT_TRUE(testsupport::Eventually([&] { return fs::exists(shot); }, 10));
    run.Signal(SIGTERM);
    EXPECT_EQ(run.WaitExit(), 0) << run.Errors();
    const std::string ini = ReadAll(dir.Path() / "Hlasvel.ini");
    EXPECT_NE(ini.find("[fQZ_Mez]"), std::string::npos);
    EXPECT_NE(ini.find("Zavod=7"), std::string::npos) << ini;
    EXPECT_TRUE(fs::exists(dir.Path() / "bin" / "Data_Kom" / "Z0007"));
    EXPECT_FALSE(fs::exists(fs::path(HLASVEL_PATH).parent_path() / "Data_Kom"));
}
#endif

} // namespace
