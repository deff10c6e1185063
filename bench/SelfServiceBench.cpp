// Kiosk: loading a full export of 2000 runners (next to reading its bytes alone), and one
// answer poll over a SAM folder crowded with other files.
#include "RavlinSam.h"
#include "SISam_Proc.h"
#include "SI_Typ.h"
#include "testsupport/TempDir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct Race {
    Race() {
        SI_Typ::Zavod = 7;
        SISam_Typ::Param.RavlinPath = tmp.Path().string();
        ravlin::RavlinSam sam(tmp.Path(), clock);
        ravlin::GenerateRace(2000, 60, 300, sam.runners, sam.categories);
        sam.ExportRunners();
        file = sam.SamDir() / "Zavodnik.csv";
        for (int i = 0; i < 1000; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, i % 2 ? "P%07d.poz" : "Export%d.txt", i);
            testsupport::WriteBytes(sam.SamDir() / name, "#SAM#READ#ZAVODNIK#ODDIL#ABC#K#1#G#\r\n");
        }
        for (const auto& e : fs::directory_iterator(sam.SamDir())) {
            fs::last_write_time(e.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
        }
    }
    testsupport::TempDir tmp;
    platform::FakeClock clock;
    fs::path file;
};

Race& TheRace() {
    static Race race;
    return race;
}

void BM_ReadExportBytes(benchmark::State& state) {
    const fs::path file = TheRace().file;
    std::string bytes;
    for (auto _ : state) {
        platform::ReadWholeFile(file, bytes, nullptr);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadExportBytes)->Unit(benchmark::kMillisecond);

void BM_LoadExport(benchmark::State& state) {
    const fs::path file = TheRace().file;
    for (auto _ : state) {
        SISam_Proc::CasZavodniku.reset(); // every round is a new export
        SISam_Proc::NactiZavodniky(file);
        benchmark::DoNotOptimize(SISam_Proc::MaxID);
    }
    if (SISam_Proc::PocetZavodniku != 2000 || SISam_Typ::SeznamKategorii.size() != 60 ||
        SISam_Typ::SeznamOddilu.size() != 300) {
        state.SkipWithError("export not loaded whole");
    }
}
BENCHMARK(BM_LoadExport)->Unit(benchmark::kMillisecond);

void BM_AnswerPoll(benchmark::State& state) {
    TheRace();
    std::string chyba;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SISam_Proc::ZpracujVstupniSoubory(
            "*.odp", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}", chyba));
    }
}
BENCHMARK(BM_AnswerPoll)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
