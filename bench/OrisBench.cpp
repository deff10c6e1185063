// Converting a getEventEntries answer of 5000 entries, next to pugixml's bare parse of the
// same document: how much of the time is the converter's own.
#include "OrisConvert.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>
#include <unistd.h>

namespace {

constexpr int kEntries = 5000;

std::string EntriesDocument() {
    static const char* const first[] = {"Petr", "Jana", "Jiří", "Eliška", "Tomáš", "Žofie"};
    static const char* const last[] = {"Novák", "Svobodová", "Dvořák", "Černá", "Procházka"};
    static const char* const classes[] = {"H21", "D21", "H35", "D10N", "HDR", "P"};
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ORIS>\n"
                      "<Method>getEventEntries</Method><Format>xml</Format><Status>OK</Status>"
                      "<ExportCreated>2026-06-01 09:59:58</ExportCreated>\n<Data>\n";
    for (int i = 1; i <= kEntries; ++i) {
        const std::string id = std::to_string(i);
        xml += "<Entry id=\"Entry_" + id + "\"><ID>" + id + "</ID><ClassID>" +
               std::to_string(100 + i % 6) + "</ClassID><ClassDesc>" + classes[i % 6] +
               "</ClassDesc><RegNo>ZDR" + std::to_string(8000 + i % 1000) + "</RegNo><Name>" +
               last[i % 5] + " " + first[i % 6] + "</Name><RentSI>" + std::to_string(i % 2) +
               "</RentSI><SI>" + std::to_string(100000 + i) +
               "</SI><Licence>B</Licence><RequestedStart></RequestedStart><UserID>" +
               std::to_string(40000 + i) + "</UserID><ClubID>" + std::to_string(i % 300) +
               "</ClubID><Note>" + (i % 10 == 0 ? "start později; díky" : "") +
               "</Note><Fee>250</Fee><EntryStop>0</EntryStop>"
               "<CreatedDateTime>2026-05-01 12:00:00</CreatedDateTime>"
               "<Stages><Stage1>1</Stage1><Stage2>" +
               (i % 3 == 0 ? "" : "1") + "</Stage2><Stage3>1</Stage3></Stages></Entry>\n";
    }
    return xml + "</Data>\n</ORIS>\n";
}

const std::string& Document() {
    static const std::string doc = EntriesDocument();
    return doc;
}

void Count(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kEntries);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Document().size()));
    state.counters["doc_MB"] = static_cast<double>(Document().size()) / 1e6;
}

void BM_PugixmlParseOnly(benchmark::State& state) {
    for (auto _ : state) {
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer(Document().data(), Document().size()));
    }
    Count(state);
}

void BM_ConvertEventEntries(benchmark::State& state) {
    std::string out;
    for (auto _ : state) {
        QZ_ORIS::TPozadavekOris poz;
        poz.method = "getEventEntries";
        if (!QZ_ORIS::PrevedXmlText(Document(), poz, out) || poz.records != kEntries) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    Count(state);
}

// The whole converter step as the service runs it: Work.xml read, output written and renamed.
void BM_ConvertEventEntriesFileToFile(benchmark::State& state) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("oris_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "Work.xml", std::ios::binary) << Document();
    for (auto _ : state) {
        QZ_ORIS::TPozadavekOris poz;
        poz.method = "getEventEntries";
        poz.workFile = (dir / "Work.xml").string();
        poz.FN = (dir / "entries.txt").string();
        if (!QZ_ORIS::PrevedXmlOris(poz, QZ_ORIS::RezimPrevod)) {
            state.SkipWithError("conversion failed");
            break;
        }
    }
    Count(state);
    std::filesystem::remove_all(dir);
}

} // namespace

BENCHMARK(BM_PugixmlParseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertEventEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertEventEntriesFileToFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
