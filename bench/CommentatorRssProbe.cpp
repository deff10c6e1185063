// What the commentator keeps over a race day of competitor reloads: the main window (offscreen,
// timers ticked by hand) on the generated race of 3000 competitors with the first 6000 punches
// in its own split copy and two split windows open in each of four categories. Prints the
// resident memory and the heap in use every 10 reloads; each reload is what the read-interval
// timer and the next one-second tick do.
//
//   build/bench/commentator_rss_probe [reloads]     (default 100)
#include "CommentatorRace.h"
#include "KomentTools.h"
#include "SI_Typ.h"
#include "fQZ_Mez.h"
#include "platform/Paths.h"
#include "testsupport/QtApp.h"
#include "testsupport/TempDir.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>

using commentator_bench::RssKb;

int main(int argc, char** argv) {
    const int reloads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    SI_Typ::ProgramKind = SI_Typ::KindCommentator;
    testsupport::EnsureQtApp();
    testsupport::TempDir dir;
    testsupport::InFolder in(dir.Path());
    platform::SetProgramDataDir(dir.Path());

    const std::filesystem::path race = commentator_bench::RaceFolder(6000);
    const std::filesystem::path data = dir.Path() / "Data_Kom" / "Z0001";
    std::filesystem::create_directories(data);
    std::filesystem::copy_file(race / "MezE1.dat", data / "MezE1.dat");
    // Four categories in the main grid, each with two split windows open.
    {
        std::ofstream kateg(data / "Kateg.ini", std::ios::binary);
        for (int k = 0; k < 4; ++k) {
            kateg << "[MEZ_K" << k << "]\r\n-1=1\r\n1=1\r\n2=1\r\n";
        }
    }
    std::ofstream(dir.Path() / "Hlasvel.ini", std::ios::binary)
        << "[Soubory]\r\nFNameZavodnici1=" << (race / "export").string()
        << "\r\nCheckZavodnici1=1\r\n";

    TfQZ_Mez::TVolby volby;
    volby.SpustitCasovace = false;
    TfQZ_Mez form(volby);
    form.show();
    form.Timer_KresliTimer();
    QCoreApplication::processEvents();
    // The first reloads still create what stays: the category windows, the event queue.
    constexpr int kUsazeni = 10;
    double usazeno = 0;
    std::printf("reloads  RSS kB  heap in use kB\n");
    for (int i = 1; i <= reloads; ++i) {
        form.TimerNacitaniTimer();
        form.Timer_KresliTimer();
        QCoreApplication::processEvents();
        if (i % 10 == 0 || i == reloads) {
            std::printf("%7d  %6.0f  %14zu\n", i, RssKb(), mallinfo2().uordblks / 1024);
        }
        if (i == kUsazeni) {
            usazeno = RssKb();
        }
    }
    if (reloads > kUsazeni) {
        std::printf("kept per reload after the first %d: %.2f kB\n", kUsazeni,
                    (RssKb() - usazeno) / (reloads - kUsazeni));
    }
    return 0;
}
