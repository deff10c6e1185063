// End to end: the real cardvane, offscreen, in a temporary event folder whose QZ_SI.ini maps
// COM ports to station simulators on pseudo-terminals.

#include "CardvaneProgram.h"

#if defined(SISIM_PATH) && defined(CARDVANE_PATH)

#include "SI_Port.h"
#include "platform/Cp1250.h"
#include "platform/IniFile.h"
#include "testsupport/TempDir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

using namespace cardvanetest;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
using State = std::map<std::string, std::string>;

namespace {

uintmax_t SizeOf(const fs::path& file) {
    std::error_code ec;
    const uintmax_t n = fs::file_size(file, ec);
    return ec ? 0 : n;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Settings files are Windows files: CR LF, Windows-1250.
void WriteIni(const fs::path& file, const std::string& lines) {
    std::string text;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        text += line + "\r\n";
    }
    WriteBytes(file, platform::Utf8ToCp1250(text));
}

// COM ports the test does not use stay unprobed, whatever devices the machine has.
std::string DisableUnused(int from) {
    std::string s = "[DisableCOM]\n";
    for (int n = from; n <= 9; ++n) {
        s += "COM" + std::to_string(n) + "=1\n";
    }
    return s;
}

class CardvaneEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        program = Cardvane::CopyProgram(dir.Path());
        fs::create_directories(dir / "ravlin");
        fs::create_directories(dir / "data");
    }
    void TearDown() override {
        if (HasFailure()) {
            for (const char* name : {"cardvane.err", "second.err", "sim1.log", "sim2.log"}) {
                if (fs::exists(dir / name)) {
                    std::cerr << "---- " << name << "\n" << ReadBytes(dir / name);
                }
            }
        }
    }
    std::string Main(const std::string& more) const {
        return "[fQZ_SI]\nCestaRavlin=" + (dir / "ravlin").string() + "\n" + more;
    }

    testsupport::TempDir dir;
    fs::path program;
};

} // namespace

TEST_F(CardvaneEndToEnd, ReadsCardsShowsThemAndStoresSettingsAtClose) {
    Sisim sim(dir.Path(), "sim1");
    ASSERT_FALSE(sim.Slave().empty());
    WriteIni(dir / "QZ_SI.ini", Main("PodleRavlin=0\nZavod=12\nEtapa=1\n") +
                                    "[COM1]\nZarizeni=" + sim.Slave() +
                                    "\nRezim=1\nInfoOkno=1\nPath=" + (dir / "data").string() +
                                    "\n" + DisableUnused(2));
    Cardvane cv(program, dir.Path(), "cardvane");

    ASSERT_TRUE(cv.StateWhen([](State& s) {
        return s["COM1.visible"] == "1" && s["COM1.state"] == "Waiting";
    })) << cv.Errors();
    State s = cv.State();
    EXPECT_EQ(s["title"], "Program pro načítání SI čipů");
    EXPECT_EQ(s["zavod"], "Závod 0012 / E1");
    EXPECT_EQ(s["warning"], "");
    // Found by detection at 38400 Bd, extended protocol.
    EXPECT_TRUE(Has(s["COM1.caption"], " COM 1 (38400) ")) << s["COM1.caption"];
    EXPECT_TRUE(Has(s["COM1.caption"], "načítání čipů s mezičasy"));
    EXPECT_EQ(s["COM1.path"], "Zápis do adresáře " + (dir / "data").string() + "/");
    EXPECT_EQ(s["COM1.info"], "1");
    EXPECT_EQ(s.count("COM2.visible"), 0u);

    const fs::path chips = dir / "data" / "C1_0012.si1";
    sim.Send("insert si10 8123456");
    ASSERT_TRUE(cv.StateWhen([&](State& st) {
        return Has(st["COM1.card"], "= 8123456") && st["COM1.state"] == "Waiting" &&
               SizeOf(chips) == 4 * TCardBlockRec::Size;
    })) << cv.State()["COM1.card"];
    s = cv.State();
    EXPECT_EQ(s["COM1.indicator"], "0,255,0");
    EXPECT_EQ(s["COM1.error"], "");
    {
        const std::string bytes = ReadBytes(chips);
        for (int i = 0; i < 4; ++i) {
            const TCardBlockRec r = TCardBlockRec::FromBytes(
                reinterpret_cast<const uint8_t*>(bytes.data()) + i * TCardBlockRec::Size);
            EXPECT_EQ(r.cardNumber, " 8123456");
            EXPECT_EQ(r.format, 10);
            EXPECT_EQ(r.blockIndex, i + 1);
        }
    }
    sim.Send("remove\ninsert si5 412345");
    ASSERT_TRUE(cv.StateWhen([&](State& st) {
        return Has(st["COM1.card"], "= 412345") && SizeOf(chips) == 5 * TCardBlockRec::Size;
    }));
    sim.Send("remove");

    // SIGTERM closes the window as its close button would.
    cv.Signal(SIGTERM);
    ASSERT_EQ(cv.WaitExit(), 0) << cv.Errors();
    EXPECT_EQ(SizeOf(chips), 5 * TCardBlockRec::Size);
    platform::IniFile ini(dir / "QZ_SI.ini");
    EXPECT_EQ(ini.ReadInteger("COM1", "Rezim", -1), 1);
    EXPECT_EQ(ini.ReadInteger("COM1", "Rychlost", -1), 1);
    EXPECT_EQ(ini.ReadInteger("COM1", "InfoOkno", -1), 1);
    EXPECT_EQ(ini.ReadString("COM1", "Zarizeni", ""), sim.Slave());
    EXPECT_EQ(ini.ReadString("COM1", "Path", ""), (dir / "data").string());
    EXPECT_EQ(ini.ReadInteger("DisableCOM", "COM1", -1), 0);
    EXPECT_EQ(ini.ReadInteger("DisableCOM", "COM2", -1), 1);
    EXPECT_EQ(ini.ReadInteger("COM2", "Rezim", -1), 0);
    EXPECT_EQ(ini.ReadInteger("fQZ_SI", "Zavod", -1), 12);
    EXPECT_EQ(ini.ReadInteger("fQZ_SI", "Etapa", -1), 1);
    EXPECT_EQ(ini.ReadInteger("fQZ_SI", "Status", -1), 1);
    EXPECT_GT(ini.ReadInteger("fQZ_SI", "Width", 0), 400);
    EXPECT_EQ(ini.ReadInteger("fCOM1", "Status", -1), 1);
    EXPECT_TRUE(fs::is_directory(dir / "print"));
}

TEST_F(CardvaneEndToEnd, SecondStartRaisesTheFirstAndTouchesNothing) {
    Sisim sim(dir.Path(), "sim1");
    ASSERT_FALSE(sim.Slave().empty());
    WriteIni(dir / "QZ_SI.ini", Main("PodleRavlin=0\n") + "[COM1]\nZarizeni=" + sim.Slave() +
                                    "\nRezim=1\n" + DisableUnused(2));
    Cardvane first(program, dir.Path(), "cardvane");
    ASSERT_TRUE(first.StateWhen([](State& s) { return s["COM1.state"] == "Waiting"; }))
        << first.Errors();
    EXPECT_EQ(first.State()["raised"], "0");

    const std::string iniBefore = ReadBytes(dir / "QZ_SI.ini");
    const auto timeBefore = fs::last_write_time(dir / "QZ_SI.ini");
    Cardvane second(program, dir.Path(), "second");
    EXPECT_EQ(second.WaitExit(10), 0) << second.Errors();
    EXPECT_TRUE(Has(second.Errors(), "already running")) << second.Errors();
    EXPECT_FALSE(fs::exists(second.StateFile()));
    EXPECT_EQ(ReadBytes(dir / "QZ_SI.ini"), iniBefore);
    EXPECT_EQ(fs::last_write_time(dir / "QZ_SI.ini"), timeBefore);
    EXPECT_TRUE(first.StateWhen([](State& s) { return s["raised"] == "1"; }));
    EXPECT_EQ(first.State()["minimized"], "0");
    // The first still reads cards: the second opened no port.
    sim.Send("insert si8 2012345");
    EXPECT_TRUE(first.StateWhen([](State& s) { return Has(s["COM1.card"], "= 2012345"); }));

    // A crashed instance leaves its lock behind; it must not keep the program from starting.
    first.Signal(SIGKILL);
    ASSERT_NE(first.WaitExit(), -1);
    Cardvane third(program, dir.Path(), "third");
    EXPECT_TRUE(third.StateWhen([](State& s) { return s["COM1.state"] == "Waiting"; }))
        << third.Errors();
    third.Signal(SIGTERM);
    EXPECT_EQ(third.WaitExit(), 0);
}

TEST_F(CardvaneEndToEnd, RavlinInfOutOfRangeKeepsTheRaceAndTheWindowSaysWhy) {
    WriteBytes(dir / "ravlin" / "Ravlin.inf",
               "[Ravlin]\r\nRok=2024\r\nZavod=0\r\nEtapa=2\r\nStart00=10.00\r\n");
    WriteIni(dir / "QZ_SI.ini", Main("PodleRavlin=1\nZavod=12\nEtapa=1\n") + DisableUnused(1));
    Cardvane cv(program, dir.Path(), "cardvane");
    ASSERT_TRUE(cv.StateWhen([](State& s) { return !s["zavod"].empty(); })) << cv.Errors();
    State s = cv.State();
    EXPECT_EQ(s["zavod"], "Závod 0012 / E1");
    EXPECT_TRUE(Has(s["warning"], "číslo závodu 0 není v rozsahu 1..9999")) << s["warning"];
    cv.Signal(SIGTERM);
    ASSERT_EQ(cv.WaitExit(), 0);
    platform::IniFile ini(dir / "QZ_SI.ini");
    EXPECT_EQ(ini.ReadInteger("fQZ_SI", "Zavod", -1), 12);
    EXPECT_EQ(ini.ReadInteger("fQZ_SI", "Etapa", -1), 1);
}

// Two reading ports, a display station and a race taken from Ravlin.inf, pictured for a
// person to look at: the picture stays in the build tree.
TEST_F(CardvaneEndToEnd, ScreenshotOfTheMainWindowWithTwoActivePorts) {
    Sisim sim1(dir.Path(), "sim1");
    Sisim sim2(dir.Path(), "sim2");
    Sisim display(dir.Path(), "display", "role display");
    ASSERT_FALSE(sim1.Slave().empty());
    ASSERT_FALSE(sim2.Slave().empty());
    ASSERT_FALSE(display.Slave().empty());
    WriteBytes(dir / "ravlin" / "Ravlin.inf",
               platform::Utf8ToCp1250("[Ravlin]\r\nRok=2024\r\nZavod=12\r\nEtapa=1\r\n"
                                      "Start00=10.00\r\nNazev=Jarní cena Brna\r\n"));
    const fs::path race = dir / "ravlin" / "Zav_2024" / "ZZ0012";
    fs::create_directories(race);
    WriteIni(dir / "QZ_SI.ini",
             Main("PodleRavlin=1\nComProDisplay=3\n") + "[COM1]\nZarizeni=" + sim1.Slave() +
                 "\nRezim=1\n" + "[COM2]\nZarizeni=" + sim2.Slave() + "\nRezim=2\n" +
                 "[COM3]\nZarizeni=" + display.Slave() + "\n" + DisableUnused(3));
    const fs::path shot = dir / "shot.png";
    Cardvane cv(program, dir.Path(), "cardvane", {"CARDVANE_SCREENSHOT=" + shot.string()});
    ASSERT_TRUE(cv.StateWhen([](State& s) {
        return s["COM1.state"] == "Waiting" && s["COM2.state"] == "Waiting";
    })) << cv.Errors();

    sim1.Send("insert si10 8123456");
    sim2.Send("insert si8 2012345");
    ASSERT_TRUE(cv.StateWhen([&](State& s) {
        return Has(s["COM1.card"], "= 8123456") && Has(s["COM2.card"], "= 2012345") &&
               SizeOf(race / "C1_0012.si1") == 4 * TCardBlockRec::Size;
    })) << cv.State()["COM1.card"];
    const std::string number = ReadBytes(race / "N2_0012.si1");
    ASSERT_EQ(number.size(), TCardNumberRec::Size);
    EXPECT_EQ(TCardNumberRec::FromBytes(reinterpret_cast<const uint8_t*>(number.data())).cardNumber,
              2012345);
    EXPECT_TRUE(Eventually([&] { return Has(display.Log(), "\"OK"); })) << display.Log();

    WriteBytes(race / "Display.txt", platform::Utf8ToCp1250("Cíl\\12:34\r\nPořadí 1\r\n"));
    ASSERT_TRUE(cv.StateWhen([&](State& s) {
        return !fs::exists(race / "Display.txt") && s["display2"] == "Pořadí 1";
    })) << cv.State()["display1"];
    State s = cv.State();
    EXPECT_EQ(s["nazev"], "Jarní cena Brna");
    EXPECT_TRUE(s["display1"] == "Cíl" || s["display1"] == "12:34") << s["display1"];
    EXPECT_EQ(s["COM2.caption"].find(" COM 2 (38400) "), 0u) << s["COM2.caption"];

    cv.Signal(SIGUSR1);
    ASSERT_TRUE(Eventually([&] { return fs::exists(shot); })) << cv.Errors();
    const QImage image(QString::fromStdString(shot.string()));
    EXPECT_GE(image.width(), 450);
    EXPECT_GE(image.height(), 230); // labels, two panels and the menu
    const fs::path artefacts = READER_ARTEFACT_DIR;
    fs::create_directories(artefacts);
    fs::copy_file(shot, artefacts / "cardvane-main-window.png",
                  fs::copy_options::overwrite_existing);

    cv.Signal(SIGTERM);
    ASSERT_EQ(cv.WaitExit(), 0) << cv.Errors();
    EXPECT_TRUE(Has(display.Log(), "mimo provoz")) << display.Log();
}

#endif
