// The program ends whatever the commentator left open: category windows (by hand or by the
// rotation), every dialog of its menus, a sound that was played.

#include "PipZvuk.h"
#include "RavlinKoment.h"
#include "platform/IniFile.h"
#include "testsupport/ProgramRun.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include <cstring>

#ifdef HLASVEL_PATH

namespace {

namespace fs = std::filesystem;

// The sample race of the results-program double (race 7, categories H21 and D21) in a folder
// of its own, with a copy of the program.
struct Zavod {
    explicit Zavod(const std::string& extraIni, const std::string& kategIni = "",
                   const std::vector<std::string>& beside = {}) {
        ravlin.SampleRace();
        EXPECT_TRUE(ravlin.WriteInf() && ravlin.ExportCompetitors());
        std::ofstream(dir.Path() / "Hlasvel.ini", std::ios::binary)
            << "[Ravlin]\r\nPodleRavlin=1\r\nPathRavlin=" << (dir.Path() / "ravlin").string()
            << "\r\n[fQZ_Mez]\r\nZavod=7\r\n"
            << extraIni;
        program = testsupport::OffscreenProgram::CopyProgram(HLASVEL_PATH, dir.Path(), beside);
        fs::create_directories(Kateg().parent_path());
        std::ofstream(Kateg(), std::ios::binary) << kategIni;
    }
    fs::path Kateg() const { return dir.Path() / "bin" / "Data_Kom" / "Z0007" / "Kateg.ini"; }
    // Ends the program by `signal`: exit 0 with its settings whole.
    void Konec(testsupport::OffscreenProgram& run, int signal, const std::string& name) {
        run.Signal(signal);
        EXPECT_EQ(run.WaitExit(10), 0) << name << run.Errors();
        platform::IniFile ini(dir.Path() / "Hlasvel.ini");
        EXPECT_EQ(ini.ReadInteger("fQZ_Mez", "Zavod", 0), 7) << name;
        EXPECT_TRUE(ini.ReadBool("Ravlin", "PodleRavlin", false)) << name;
    }

    testsupport::TempDir dir;
    ravlin::RavlinKoment ravlin{dir.Path() / "ravlin"};
    fs::path program;
};

} // namespace

// Category windows are opened from Kateg.ini or by the rotation; each dialog from its menu item
// as the user does. Then the program is told to end.
TEST(HlasvelKonec, ClosingSignalEndsTheProgramWithAnythingOpen) {
    const struct {
        int signal;
        const char *ini, *kateg, *item, *dialog;
    } cases[] = {
        {SIGTERM, "", "[MEZ_H21]\r\n1=1\r\n", nullptr, ""},
        {SIGINT, "", "[MEZ_H21]\r\n1=1\r\n2=1\r\n", nullptr, ""},
        // Both categories rotate through a 1 x 2 layout every second.
        {SIGHUP, "IntervalDivak=1\r\nPocetRadDivak=1\r\nPocetSloupcuDivak=2\r\n",
         "[MEZ_H21]\r\n-1=1\r\n[MEZ_D21]\r\n-1=1\r\n", nullptr, ""},
        {SIGTERM, "", "", "mnuZavod", "fMNastav"},
        {SIGTERM, "", "", "mnuRavlin", "fRavlin"},
        {SIGTERM, "", "", "mnuInfoTabule", "DefTabule"},
        {SIGTERM, "", "", "Zpracovvatsoubory", "DefTisk"},
        {SIGTERM, "", "", "ZpracovavatFonty", "fFont"},
        {SIGTERM, "", "", "mnuFontHlavni", "QFontDialog"},
        {SIGTERM, "", "", "Kategorie1", "fKateg"},
        {SIGTERM, "", "", "Zobrazovat", "fZobrKat"},
        // A place limit of 0 fails the settings' checks: OK leaves the dialog open under its
        // error box.
        {SIGTERM, "MaxPor=0\r\n", "", "mnuZavod", "fMNastav"},
    };
    for (const auto& c : cases) {
        const std::string name = c.item ? c.item : c.kateg;
        Zavod z(c.ini, c.kateg);
        const fs::path click = z.dir.Path() / "click";
        testsupport::OffscreenProgram run(z.program, z.dir.Path(), "hlasvel", "HLASVEL_",
                                          {"HLASVEL_CLICK_FILE=" + click.string()});
        int open = 0;
        for (const char* k = c.kateg; (k = std::strstr(k, "=1\r\n")) != nullptr; k += 4) {
            ++open;
        }
        const std::string windows = std::to_string(open);
        EXPECT_TRUE(run.StateWhen([&](auto& s) {
            return s["Windows"] == windows && (c.item || s["Competitors"] == "12");
        })) << name
            << ": Windows=" << run.State()["Windows"] << run.Errors();
        for (const char* what : {c.item, *c.ini && c.item ? "BitBtnOk" : nullptr}) {
            if (what != nullptr) {
                std::ofstream(click, std::ios::trunc) << what;
                run.Signal(SIGUSR2);
                EXPECT_TRUE(run.StateWhen([&](auto& s) { return s["Dialog"] == c.dialog; }))
                    << name << ": " << run.State()["Dialog"] << run.Errors();
            }
        }
        z.Konec(run, c.signal, name);
        // The windows open at the end open again at the next start.
        EXPECT_EQ(platform::IniFile(z.Kateg()).ReadBool("MEZ_H21", "1", false), !c.item && !*c.ini)
            << name;
    }
}

// Without the file no sound is loaded; with it, offscreen there is no device to play it. Either
// way the grid keeps filling and the program ends in order. The library hangs in its exit code
// while it still decodes, so the sound is played in the program, whose end is a bounded wait.
TEST(HlasvelSound, WithoutFileOrDeviceTheGridFillsAndTheProgramEnds) {
    testsupport::EnsureQtApp();
    TPipZvuk none("/nonexistent/pip.wav");
    EXPECT_FALSE(none.MaSoubor());
    none.Pipni();
    for (const bool soubor : {true, false}) {
        Zavod z("[Nastaveni]\r\nZvuky=1\r\n", "",
                soubor ? std::vector<std::string>{"pip.wav"} : std::vector<std::string>{});
        ASSERT_EQ(fs::exists(z.dir.Path() / "bin" / "pip.wav"), soubor);
        z.ravlin.AppendNext();
        testsupport::OffscreenProgram run(z.program, z.dir.Path(), "hlasvel", "HLASVEL_");
        EXPECT_TRUE(run.StateWhen([](auto& s) { return s["Rows"] == "2"; })) << run.Errors();
        // New firsts after the grid was filled: the sound is played.
        for (int i = 0; i < 3; ++i) {
            z.ravlin.AppendNext();
        }
        EXPECT_TRUE(run.StateWhen([](auto& s) { return s["Rows"] == "5"; })) << run.Errors();
        z.Konec(run, SIGTERM, "sound");
    }
}

#endif
