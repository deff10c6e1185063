// What a competitor reload costs the commentator: every reload loads the competitor copy and
// replays every punch of the own split copy. Generated race: 3000 competitors in 40
// categories, courses of 15 timed points with a repeated control.
//   ReadParse/N     the program's own reader and parser on the N lines of the own copy
//   ReloadWarm/N    a reload of a running program: competitors loaded, the N lines replayed,
//                   processed once, the events drained
//   ReloadCold/N    the same as the first reload after start (nothing of the race in memory)
//   Tick/H          one tick of 50 new punches (copies written, processed, events drained)
//                   on a history of H punches
//   InfoBoard/L     one info-board line appended to a file of L lines
//   LoadCompetitors the competitor copy alone
//   Reconstruct3x20k the reconstruction: the same 60000 lines in three ';' sources of 20000,
//                   read from their start through the inputs, copies and info board written
#include "CommentatorRace.h"
#include "KomentNapojeni.h"
#include "KomentTools.h"
#include "Mezicasy.h"
#include "NacteniZavodu.h"
#include "SI_Typ.h"
#include "VstupniSoubor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace Mezicasy;

using commentator_bench::Race;
using commentator_bench::RaceFolder;
using commentator_bench::RssKb;
using Data = commentator_bench::TZavodData;

void Setup() {
    SI_Typ::ResetGlobals();
    Koment::ResetNastaveni();
    SI_Typ::Zavod = 1;
    SI_Typ::Etapa = 1;
}

// The commentator on a race folder, with the competitor source switched on.
std::unique_ptr<Koment::TKomentator> Komentator(const fs::path& folder) {
    auto k = std::make_unique<Koment::TKomentator>();
    k->NastavSlozku(folder.string());
    k->Zdroje().Zavodnici().FileName = (folder / "export").string();
    k->Zdroje().Zavodnici().Enabled = true;
    return k;
}

size_t Drain(TZavod& zavod) {
    size_t n = 0;
    while (zavod.Udalosti.Prvni() != nullptr) {
        zavod.Udalosti.OdeberPrvni();
        ++n;
    }
    return n;
}

// What the read-interval timer and the next one-second tick do: reload the competitors,
// replay the own copy against them, process the punches and hand the events on.
size_t Reload(Koment::TKomentator& k) {
    k.PollCompetitors();
    k.ProcessPunches1s();
    return Drain(k.Zavod());
}

// The program's own reader and parser on the same copy, as the reload reads it: every line
// parsed, the punches only counted.
void BM_ReadParse(benchmark::State& state) {
    Setup();
    const size_t n = static_cast<size_t>(state.range(0));
    TVstupniNapojeni napojeni;
    int64_t punches = 0;
    napojeni.VlozMezicas = [&](const TMezicasRec&, bool) { ++punches; };
    TVstupniSoubor own(1, 1, napojeni);
    own.FileName = (RaceFolder(n) / "MezE1.dat").string();
    own.Enabled = true;
    for (auto _ : state) {
        own.ResetPosition();
        own.NactiData();
    }
    state.counters["punches"] = static_cast<double>(punches) / state.iterations();
}

// Reloads of one running program: every one after the first.
void BM_ReloadWarm(benchmark::State& state) {
    Setup();
    const size_t n = static_cast<size_t>(state.range(0));
    auto k = Komentator(RaceFolder(n));
    Reload(*k);
    size_t events = 0;
    for (auto _ : state) {
        events = Reload(*k);
    }
    state.counters["punches"] = static_cast<double>(k->Zavod().SeznamMezicasu.Pocet());
    state.counters["events"] = static_cast<double>(events);
}

// Pages the process was given (first touches of memory).
long Faults() {
    struct rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

// The first reload of a program just started: nothing of the race is in memory yet.
void BM_ReloadCold(benchmark::State& state) {
    Setup();
    const size_t n = static_cast<size_t>(state.range(0));
    const fs::path folder = RaceFolder(n);
    size_t events = 0;
    long faultCount = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto k = Komentator(folder);
        state.ResumeTiming();
        const long faults = Faults();
        events = Reload(*k);
        state.PauseTiming();
        faultCount += Faults() - faults;
        k.reset();
        // What the reload freed goes back to the system, as if the program had just started.
        ::malloc_trim(0);
        state.ResumeTiming();
    }
    state.counters["events"] = static_cast<double>(events);
    state.counters["faults"] = static_cast<double>(faultCount) / state.iterations();
    // Each queued event is a competitor copied by value.
    state.counters["B/event"] = static_cast<double>(sizeof(std::optional<TZavodnik>));
}

// What a long race day of reloads keeps: RSS and the heap in use after ten reloads of 3000
// competitors and 6000 punches, and after 100 more.
void BM_Rss100Reloads(benchmark::State& state) {
    Setup();
    auto k = Komentator(RaceFolder(6000));
    // The first reloads still make what stays (the queue's blocks, the list's room).
    for (int i = 0; i < 10; ++i) {
        Reload(*k);
    }
    for (auto _ : state) {
        const double before = RssKb();
        const double heapBefore = static_cast<double>(mallinfo2().uordblks) / 1024;
        for (int i = 0; i < 100; ++i) {
            Reload(*k);
        }
        const double after = RssKb();
        state.counters["heap10_kB"] = heapBefore;
        state.counters["heap110_kB"] = static_cast<double>(mallinfo2().uordblks) / 1024;
        state.counters["RSS10_kB"] = before;
        state.counters["RSS110_kB"] = after;
        state.counters["kB/reload"] = (after - before) / 100;
    }
}

void BM_Tick(benchmark::State& state) {
    Setup();
    Koment::Nastaveni.VytvaretInfoTab = true;
    const fs::path dir = Race().dir / ("tick" + std::to_string(state.range(0)));
    fs::create_directories(dir);
    Koment::Nastaveni.CestaInfoTab = dir.string();
    auto k = Komentator(RaceFolder(static_cast<size_t>(state.range(0))));
    Reload(*k);
    TZavod& zavod = k->Zavod();
    zavod.SlozkaKopii = dir.string() + "/";
    const auto& comps = Race().comps;
    std::mt19937 rnd(5);
    int64_t t = 13 * 3600000;
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) {
            const TZavodnikData& d = comps[rnd() % comps.size()];
            TMezicasRec r;
            r.Cip = d.Cip;
            r.Kod = d.Kontroly[1 + rnd() % kBodu];
            r.Cas = Data::Cas(t += 10);
            r.Druh = 2;
            zavod.VlozMezicas(r, true);
        }
        zavod.ZpracujMezicas();
        Drain(zavod);
    }
    fs::remove_all(dir);
}

void BM_InfoBoard(benchmark::State& state) {
    const fs::path file = Race().dir / ("info" + std::to_string(state.range(0)) + ".txt");
    {
        std::ofstream out(file, std::ios::binary);
        for (int64_t i = 0; i < state.range(0); ++i) {
            out << "00:45:12;12;3;H21;ABC1234;Competitor name;    0:52;45;\r\n";
        }
    }
    TDavkovyZapis zapis;
    for (auto _ : state) {
        zapis.Pridej(file.string(), "00:45:12;12;3;H21;ABC1234;Competitor name;    0:52;45;");
        benchmark::DoNotOptimize(zapis.Zapis());
    }
    fs::remove(file);
}

// The fixed part of every reload: the competitor copy loaded into the race.
void BM_LoadCompetitors(benchmark::State& state) {
    Setup();
    const fs::path folder = RaceFolder(0);
    TZavod zavod;
    NacteniZavodu::TStavExportu stav;
    bool drop = false;
    for (auto _ : state) {
        NacteniZavodu::NactiZavod(zavod, "", NacteniZavodu::LocalCopy(folder), stav, drop, nullptr,
                                  {});
    }
}

void BM_Reconstruct3x20k(benchmark::State& state) {
    Setup();
    const fs::path dir = Race().dir / "reconstruct";
    const fs::path data = dir / "data";
    fs::create_directories(dir / "export");
    fs::create_directories(data);
    fs::copy_file(Race().zavodnici, dir / "export" / "exm00011.dat",
                  fs::copy_options::overwrite_existing);
    Koment::Nastaveni.VytvaretInfoTab = true;
    Koment::Nastaveni.CestaInfoTab = dir.string();
    std::array<std::string, 3> sources;
    for (size_t i = 0; i < Race().lines.size(); ++i) {
        sources[i % 3] += Race().lines[i];
    }
    Koment::TKomentator k;
    k.NastavSlozku(data.string());
    k.Zdroje().Zavodnici().FileName = (dir / "export").string();
    k.Zdroje().Zavodnici().Enabled = true;
    for (size_t i = 0; i < 3; ++i) {
        const fs::path file = dir / ("Mez" + std::to_string(i + 1) + ".txt");
        std::ofstream(file, std::ios::binary) << sources[i];
        k.Zdroje()[i + 1].FileName = file.string();
        k.Zdroje()[i + 1].Enabled = true;
    }
    // The export is taken at the poll after the one that first saw it.
    k.ReloadCompetitors();
    k.ReloadCompetitors();
    for (auto _ : state) {
        state.PauseTiming();
        // Each pass appends to the same files; they start empty every time.
        for (const auto& f : fs::directory_iterator(data)) {
            fs::remove(f.path());
        }
        fs::remove(dir / "InfoTab.txt");
        state.ResumeTiming();
        k.Reconstruct();
        k.PollSources200ms();
        k.ProcessPunches1s();
        while (k.Zavod().Udalosti.Prvni() != nullptr) {
            k.Zavod().Udalosti.OdeberPrvni();
        }
    }
    state.counters["punches"] = static_cast<double>(k.Zavod().SeznamMezicasu.Pocet());
    fs::remove_all(dir);
}

} // namespace

BENCHMARK(BM_ReadParse)->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadWarm)->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadCold)->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rss100Reloads)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tick)->Arg(0)->Arg(60000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InfoBoard)->Arg(0)->Arg(60000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadCompetitors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reconstruct3x20k)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
