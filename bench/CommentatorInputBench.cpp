// Reading the commentator's input sources: a split file of 60000 lines read and parsed from its
// start (what a reconstruction costs the reader), a poll of an unchanged source and a poll after
// 100 appended lines. The race behind the parser is left out: its punches are only counted.
#include "VstupniSoubor.h"
#include "testsupport/TempDir.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

constexpr int kLines = 60000;

std::string SplitLines(int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i) {
        text += std::to_string(100000 + i % 5000) + ";10:" + std::to_string(10 + i % 50) + ":" +
                std::to_string(10 + i % 50) + ",30;" + std::to_string(31 + i % 40) + ";0\r\n";
    }
    return text;
}

struct Source {
    testsupport::TempDir dir;
    TVstupniNapojeni napojeni;
    TVstupniSoubor soubor{2, 1, napojeni};
    int64_t punches = 0;
    Source() {
        napojeni.VlozMezicas = [this](const TMezicasRec&, bool) { ++punches; };
        soubor.FileName = (dir / "Mez1.txt").string();
        soubor.Enabled = true;
    }
};

void BM_ReadFromStart60k(benchmark::State& state) {
    Source s;
    testsupport::WriteBytes(s.dir / "Mez1.txt", SplitLines(0, kLines));
    for (auto _ : state) {
        s.soubor.ResetPosition();
        s.soubor.NactiData();
    }
    state.SetItemsProcessed(s.punches);
}
BENCHMARK(BM_ReadFromStart60k)->Unit(benchmark::kMillisecond);

void BM_PollUnchanged(benchmark::State& state) {
    Source s;
    testsupport::WriteBytes(s.dir / "Mez1.txt", SplitLines(0, kLines));
    s.soubor.NactiData();
    for (auto _ : state) {
        s.soubor.NactiData();
    }
}
BENCHMARK(BM_PollUnchanged)->Unit(benchmark::kMicrosecond);

void BM_PollAfter100Appended(benchmark::State& state) {
    Source s;
    testsupport::WriteBytes(s.dir / "Mez1.txt", SplitLines(0, kLines));
    s.soubor.NactiData();
    const std::string more = SplitLines(kLines, 100);
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(s.dir / "Mez1.txt", std::ios::binary | std::ios::app) << more;
        state.ResumeTiming();
        s.soubor.NactiData();
    }
    state.SetItemsProcessed(s.punches - kLines);
}
BENCHMARK(BM_PollAfter100Appended)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
