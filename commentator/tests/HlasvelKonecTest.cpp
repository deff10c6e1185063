// The program ends whatever the commentator left open: category windows (by hand or by the
// rotation), every dialog of its menus, a sound that was played.

#include "PipZvuk.h"
#include "RavlinKoment.h"
#include "platform/IniFile.h"
#include "testsupport/ProgramRun.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#ifdef HLASVEL_PATH

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The sample race of the results-program double (race 7, categories H21 and D21) in a folder
// of its own, with a copy of the program.
struct Zavod {
    explicit Zavod(const std::string& extraIni, const std::string& kategIni = "",
                   const std::vector<std::string>& beside = {}) {
        ravlin.SampleRace();
        // A long course: windows 1..15.
        ravlin.competitors.push_back({"H35",
                                      "Dlouhý Jan",
                                      9035,
                                      "ABC",
                                      "35",
                                      1.0,
                                      {31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 1}});
        EXPECT_TRUE(ravlin.WriteInf() && ravlin.ExportCompetitors());
        std::ofstream(dir.Path() / "Hlasvel.ini", std::ios::binary)
            << "[Ravlin]\r\nPodleRavlin=1\r\nPathRavlin=" << (dir.Path() / "ravlin").string()
            << "\r\n[fQZ_Mez]\r\nZavod=7\r\n"
            << extraIni;
        program = testsupport::OffscreenProgram::CopyProgram(HLASVEL_PATH, dir.Path(), beside);
        if (!kategIni.empty()) {
            fs::create_directories(dir.Path() / "bin" / "Data_Kom" / "Z0007");
            std::ofstream(dir.Path() / "bin" / "Data_Kom" / "Z0007" / "Kateg.ini", std::ios::binary)
                << kategIni;
        }
    }
    fs::path Ini() const { return dir.Path() / "Hlasvel.ini"; }

    testsupport::TempDir dir;
    ravlin::RavlinKoment ravlin{dir.Path() / "ravlin"};
    fs::path program;
};

// Kateg.ini with `n` split windows open: those of H21 (1..3) first, then those of H35 (1..15).
std::string OtevrenaOkna(int n) {
    std::string h21 = "[MEZ_H21]\r\n";
    std::string h35 = "[MEZ_H35]\r\n";
    for (int i = 0; i < n; ++i) {
        (i < 3 ? h21 : h35) += std::to_string(i < 3 ? i + 1 : i - 2) + "=1\r\n";
    }
    return h21 + h35;
}

} // namespace

TEST(HlasvelKonec, ClosingSignalEndsTheProgramWithAnyNumberOfWindowsOpen) {
    struct Case {
        const char* name;
        int signal;
        std::string ini;
        std::string kateg;
        int windows;
    };
    const Case cases[] = {
        {"none", SIGTERM, "", "", 0},
        {"one", SIGINT, "", OtevrenaOkna(1), 1},
        {"two", SIGHUP, "", OtevrenaOkna(2), 2},
        {"sixteen", SIGTERM, "", OtevrenaOkna(16), 16},
        // Both categories rotate through a 1 x 2 layout every second.
        {"rotation", SIGTERM, "IntervalDivak=1\r\nPocetRadDivak=1\r\nPocetSloupcuDivak=2\r\n",
         "[MEZ_H21]\r\n-1=1\r\n[MEZ_D21]\r\n-1=1\r\n", 2},
    };
    for (const Case& c : cases) {
        Zavod z(c.ini, c.kateg);
        testsupport::OffscreenProgram run(z.program, z.dir.Path(), "hlasvel", "HLASVEL_");
        const std::string windows = std::to_string(c.windows);
        EXPECT_TRUE(run.StateWhen([&](auto& s) {
            return s["Competitors"] == "13" && s["Windows"] == windows;
        })) << c.name
            << ": Windows=" << run.State()["Windows"]
            << " Competitors=" << run.State()["Competitors"] << run.Errors();
        run.Signal(c.signal);
        EXPECT_EQ(run.WaitExit(), 0) << c.name << run.Errors();
        const std::string ini = ReadAll(z.Ini());
        EXPECT_NE(ini.find("[fQZ_Mez]"), std::string::npos) << c.name;
        EXPECT_NE(ini.find("Zavod=7"), std::string::npos) << c.name << ini;
        // The windows open at the end open again at the next start.
        if (c.windows > 0 && c.ini.empty()) {
            platform::IniFile kateg(z.dir.Path() / "bin" / "Data_Kom" / "Z0007" / "Kateg.ini");
            platform::IniFile open{fs::path()};
            open.SetContent(c.kateg);
            for (const std::string& section : open.ReadSections()) {
                for (const std::string& key : open.ReadSection(section)) {
                    EXPECT_TRUE(kateg.ReadBool(section, key, false)) << c.name << section << key;
                }
            }
        }
    }
}

// Each dialog is opened from its menu item as the user does, then the program is told to end.
TEST(HlasvelKonec, ClosingSignalEndsTheProgramWithAnyDialogOpen) {
    struct Case {
        const char* item;
        const char* dialog;
        std::string ini;
        const char* press = nullptr; // then pressed in the dialog
        const char* after = nullptr; // what is on top after that press
    };
    const Case cases[] = {
        {"mnuZavod", "fMNastav", ""},
        {"mnuRavlin", "fRavlin", ""},
        {"mnuInfoTabule", "DefTabule", ""},
        {"Zpracovvatsoubory", "DefTisk", ""},
        {"ZpracovavatFonty", "fFont", ""},
        {"mnuFontHlavni", "QFontDialog", ""},
        {"mnuFontKateg", "QFontDialog", ""},
        {"Kategorie1", "fKateg", ""},
        {"Zobrazovat", "fZobrKat", ""},
        // A place limit of 0 fails the settings' checks: the dialog then refuses to close.
        {"mnuZavod", "fMNastav", "MaxPor=0\r\n", "BitBtnOk", "fMNastav"},
    };
    for (const Case& c : cases) {
        const std::string name = std::string(c.item) + (c.press ? "+" : "");
        Zavod z(c.ini);
        const fs::path click = z.dir.Path() / "click";
        testsupport::OffscreenProgram run(z.program, z.dir.Path(), "hlasvel", "HLASVEL_",
                                          {"HLASVEL_CLICK_FILE=" + click.string()});
        // Its menus answer from the first tick on.
        ASSERT_TRUE(run.StateWhen([](auto&) { return true; })) << name << run.Errors();
        const auto press = [&](const char* what, const char* shown) {
            std::ofstream(click, std::ios::trunc) << what;
            run.Signal(SIGUSR2);
            EXPECT_TRUE(run.StateWhen([&](auto& s) { return s["Dialog"] == shown; }))
                << name << ": " << run.State()["Dialog"] << run.Errors();
        };
        press(c.item, c.dialog);
        if (c.press != nullptr) {
            press(c.press, c.after);
        }
        run.Signal(SIGTERM);
        EXPECT_EQ(run.WaitExit(), 0) << name << run.Errors();
        const std::string ini = ReadAll(z.Ini());
        EXPECT_NE(ini.find("[fQZ_Mez]"), std::string::npos) << name << ini;
        EXPECT_NE(ini.find("[Ravlin]"), std::string::npos) << name << ini;
    }
}

// Without the file no sound is loaded; with it, offscreen there is no device to play it. The
// library hangs in its exit code while it still decodes, so the sound is played in the program,
// whose end is a bounded wait.
TEST(HlasvelSound, SilentWithoutFileOrDevice) {
    testsupport::EnsureQtApp();
    TPipZvuk none("/nonexistent/pip.wav");
    EXPECT_FALSE(none.MaSoubor());
    none.Pipni();
    for (const bool soubor : {true, false}) {
        Zavod z("[Nastaveni]\r\nZvuky=1\r\n", "",
                soubor ? std::vector<std::string>{"pip.wav"} : std::vector<std::string>{});
        EXPECT_EQ(fs::exists(z.dir.Path() / "bin" / "pip.wav"), soubor);
        z.ravlin.AppendNext();
        testsupport::OffscreenProgram run(z.program, z.dir.Path(), "hlasvel", "HLASVEL_");
        EXPECT_TRUE(run.StateWhen([](auto& s) { return s["Rows"] == "2"; })) << run.Errors();
        // New firsts after the grid was filled: the sound is played.
        for (int i = 0; i < 3; ++i) {
            z.ravlin.AppendNext();
        }
        EXPECT_TRUE(run.StateWhen([](auto& s) { return s["Rows"] == "5"; })) << run.Errors();
        run.Signal(SIGTERM);
        EXPECT_EQ(run.WaitExit(10), 0) << soubor << run.Errors();
    }
}

#endif
