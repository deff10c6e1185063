// ravlinsam: the results program's side of the kiosk's SAM folder, for the demo and by hand.
#include "RavlinSam.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

int Usage() {
    std::cerr << "usage: ravlinsam --dir <Ravlin folder> [--race N] [--delay ms] [--refuse text]\n"
                 "                 [--silent] [--slow] [--header-only] [--other-runner] [--once]\n"
                 "Writes Pultra.inf and a sample race's exports, then answers the kiosk's\n"
                 "requests until stopped (--once: one pass). --header-only and --other-runner\n"
                 "answer a change with the header alone or with another runner's line, and do\n"
                 "not make it.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string dir;
    int race = 7;
    int64_t delay = 0;
    std::string refuse;
    bool silent = false;
    bool slow = false;
    bool once = false;
    bool headerOnly = false;
    bool otherRunner = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--dir" && more) {
            dir = argv[++i];
        } else if (a == "--race" && more) {
            race = std::atoi(argv[++i]);
        } else if (a == "--delay" && more) {
            delay = std::atoll(argv[++i]);
        } else if (a == "--refuse" && more) {
            refuse = argv[++i];
        } else if (a == "--silent") {
            silent = true;
        } else if (a == "--slow") {
            slow = true;
        } else if (a == "--header-only") {
            headerOnly = true;
        } else if (a == "--other-runner") {
            otherRunner = true;
        } else if (a == "--once") {
            once = true;
        } else {
            return Usage();
        }
    }
    if (dir.empty() || race <= 0 || race > 9999) {
        return Usage();
    }
    platform::SystemClock clock;
    ravlin::RavlinSam sam(dir, clock);
    sam.inf.zavod = race;
    sam.SampleRace();
    sam.delayMs = delay;
    sam.refuse = refuse;
    sam.silent = silent;
    sam.slowWrites = slow;
    sam.headerOnly = headerOnly;
    sam.otherRunner = otherRunner;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    bool ok = sam.WritePultraInf() && sam.ExportCategories() && sam.ExportRunners();
    std::cout << "SAM folder " << sam.SamDir().string() << std::endl;
    size_t shown = 0;
    do {
        sam.Poll();
        for (; shown < sam.events.size(); ++shown) {
            std::cout << sam.events[shown] << std::endl;
        }
        if (!once) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    } while (!once && !g_stop);
    return ok ? 0 : 1;
}
