// ravlinkoment: the results program's side of the commentator's link, for the demo and by
// hand: Hlasvel.inf, the competitor export, then one split line appended per interval.
#include "RavlinKoment.h"

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
    std::cerr << "usage: ravlinkoment --dir <Ravlin folder> [--race N] [--interval ms]\n"
                 "Writes Hlasvel.inf and a sample race's competitor export, then appends its\n"
                 "punches to the Cil and Dis exports, one per interval, until all are written or\n"
                 "it is stopped.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string dir;
    int race = 7;
    long interval = 500;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--dir" && more) {
            dir = argv[++i];
        } else if (a == "--race" && more) {
            race = std::atoi(argv[++i]);
        } else if (a == "--interval" && more) {
            interval = std::atol(argv[++i]);
        } else {
            return Usage();
        }
    }
    if (dir.empty() || race <= 0 || race > 9999 || interval < 0) {
        return Usage();
    }
    ravlin::RavlinKoment r(dir);
    r.inf.zavod = race;
    r.SampleRace();
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (!r.WriteInf() || !r.ExportCompetitors()) {
        std::cerr << "ravlinkoment: cannot write into " << dir << "\n";
        return 1;
    }
    std::cout << "Hlasvel.inf and " << r.ExportFile().string() << " written ("
              << r.competitors.size() << " competitors)" << std::endl;
    while (!g_stop && r.AppendNext()) {
        std::cout << "punch " << r.Appended() << " of " << r.punches.size() << std::endl;
        std::this_thread::sleep_for(std::chrono::milliseconds(interval));
    }
    return 0;
}
