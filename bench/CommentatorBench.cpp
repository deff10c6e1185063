// What a competitor reload costs the commentator: every reload loads the competitor copy and
// replays every punch of the own split copy. Generated race: 3000 competitors in 40
// categories, courses of 15 timed points with a repeated control.
//   Baseline/N      read and parse N copy lines
//   Reload/N        load the competitor copy, replay N lines, process once, drain the events
//   Tick/H          one tick of 50 new punches (copies written, processed, events drained)
//                   on a history of H punches
//   InfoBoard/L     one info-board line appended to a file of L lines
//   LoadCompetitors the competitor copy alone
//   Reconstruct3x20k the reconstruction: the same 60000 lines in three ';' sources of 20000,
//                   read from their start through the inputs, copies and info board written
#include "KomentNapojeni.h"
#include "KomentTools.h"
#include "Mezicasy.h"
#include "SI_Typ.h"
#include "Tools.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace Mezicasy;

constexpr int kZavodniku = 3000;
constexpr int kKategorii = 40;
constexpr size_t kVse = 60000;

struct Data {
    fs::path dir;
    fs::path zavodnici;             // ZavE1.dat
    std::vector<std::string> lines; // copy lines in time order
    std::vector<TZavodnikData> comps;

    Data() {
        char tmpl[] = "/tmp/commentator-bench-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) {
            std::abort();
        }
        dir = tmpl;
        zavodnici = dir / "ZavE1.dat";
        std::mt19937 rnd(17);
        std::vector<std::array<uint8_t, kBodu + 1>> courses(kKategorii);
        for (auto& c : courses) {
            for (int i = 1; i < kBodu; ++i) {
                c[i] = static_cast<uint8_t>(31 + rnd() % 150);
            }
            c[9] = c[4]; // the same control twice on the course
            c[kBodu] = 1;
        }
        std::string bytes;
        for (int n = 0; n < kZavodniku; ++n) {
            TZavodnikData d;
            d.Kategorie = "K" + std::to_string(n % kKategorii);
            d.Jmeno = "Competitor " + std::to_string(n);
            d.Cip = 100000 + n;
            d.RegCislo = "ABC" + std::to_string(n % 10000);
            d.StartCislo = std::to_string(n + 1);
            d.CasStartu = Koment::CasZMs(int64_t{n} * 10000);
            d.Kontroly = courses[static_cast<size_t>(n % kKategorii)];
            for (int i = 1; i <= kBodu; ++i) {
                d.PoradiKontrol[i] = static_cast<uint8_t>(i);
            }
            uint8_t z[kVelikostZaznamu];
            ZabalZaznam(d, z);
            bytes.append(reinterpret_cast<const char*>(z), sizeof z);
            comps.push_back(d);
        }
        std::ofstream(zavodnici, std::ios::binary) << bytes;

        // Every competitor's punches, then repeats from a second source, in time order.
        struct P {
            int64_t ms;
            TMezicasRec r;
        };
        std::vector<P> punches;
        for (const TZavodnikData& d : comps) {
            int64_t t = 10 * 3600000 + Koment::MsZCasu(d.CasStartu);
            for (int i = 1; i <= kBodu; ++i) {
                t += 60000 + static_cast<int64_t>(rnd() % 240000);
                TMezicasRec r;
                r.Cip = d.Cip;
                r.Kod = d.Kontroly[i];
                r.Cas = Cas(t);
                r.Druh = 2;
                punches.push_back({t, r});
            }
        }
        while (punches.size() < kVse) {
            P p = punches[rnd() % punches.size()];
            p.ms += 30000 + static_cast<int64_t>(rnd() % 60000); // the repeat arrives later
            punches.push_back(p);
        }
        std::stable_sort(punches.begin(), punches.end(),
                         [](const P& a, const P& b) { return a.ms < b.ms; });
        for (const P& p : punches) {
            lines.push_back(RadekMezicasu(p.r, true) + "\r\n");
        }
    }

    // The own copy as it stands after its first n lines.
    fs::path Kopie(size_t n) {
        const fs::path file = dir / ("MezE_" + std::to_string(n) + ".dat");
        if (!fs::exists(file)) {
            std::ofstream out(file, std::ios::binary);
            for (size_t i = 0; i < n && i < lines.size(); ++i) {
                out << lines[i];
            }
        }
        return file;
    }
    ~Data() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    static std::string Cas(int64_t ms) {
        char buf[32];
        std::snprintf(
            buf, sizeof buf, "%02lld:%02lld:%02lld,%04lld",
            static_cast<long long>(ms / 3600000 % 24), static_cast<long long>(ms / 60000 % 60),
            static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000 * 10));
        return buf;
    }
};

Data& Race() {
    static Data data;
    return data;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A copy line back into a punch: identifier, time, code, status.
bool ParseLine(std::string_view line, TMezicasRec& r) {
    std::string_view f[4];
    for (int i = 0; i < 4; ++i) {
        const size_t sep = i < 3 ? line.find(';') : line.size();
        if (sep == std::string_view::npos) {
            return false;
        }
        f[i] = Tools::Trim(line.substr(0, sep));
        line.remove_prefix(std::min(line.size(), sep + 1));
    }
    r = TMezicasRec{};
    r.Cip = std::atoi(std::string(f[0]).c_str());
    r.Cas = std::string(f[1]);
    r.Kod = std::atoi(std::string(f[2]).c_str());
    r.Stav = std::atoi(std::string(f[3]).c_str());
    r.Druh = 2;
    return true;
}

// Reads the first n lines of the copy and hands each punch on.
template <class F> size_t ForLines(size_t n, F&& f) {
    const std::string bytes = ReadFile(Race().Kopie(n));
    std::string_view rest(bytes);
    size_t done = 0;
    TMezicasRec r;
    while (done < n && !rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (ParseLine(line, r)) {
            f(r);
            ++done;
        }
    }
    return done;
}

void LoadCompetitors(TZavod& zavod) {
    auto all = RozbalSoubor(ReadFile(Race().zavodnici));
    zavod.Vycisti(false);
    zavod.PocetVCili = 0;
    std::string previous = "---";
    TKateg1* k = nullptr;
    for (TZavodnikData& d : all) {
        if (d.Kategorie != previous || k == nullptr) {
            k = zavod.NajdiKateg(d.Kategorie);
            if (k == nullptr) {
                k = &zavod.AddKateg(d.Kategorie);
            }
            previous = d.Kategorie;
        }
        zavod.AddZavodnik(*k, std::move(d));
    }
    zavod.SpocitejUseky();
}

void Replay(TZavod& zavod, size_t n) {
    LoadCompetitors(zavod);
    zavod.SeznamMezicasu.Vycisti();
    ForLines(n, [&](const TMezicasRec& r) { zavod.VlozMezicas(r, false); });
    zavod.ZpracujMezicas();
    while (zavod.Udalosti.Prvni() != nullptr) {
        zavod.Udalosti.OdeberPrvni();
    }
}

void Setup() {
    SI_Typ::ResetGlobals();
    Koment::ResetNastaveni();
    SI_Typ::Zavod = 1;
    SI_Typ::Etapa = 1;
}

void BM_Baseline(benchmark::State& state) {
    Setup();
    const size_t n = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        int64_t sum = 0;
        benchmark::DoNotOptimize(ForLines(n, [&](const TMezicasRec& r) { sum += r.Kod; }));
        benchmark::DoNotOptimize(sum);
    }
}

void BM_Reload(benchmark::State& state) {
    Setup();
    const size_t n = static_cast<size_t>(state.range(0));
    TZavod zavod;
    for (auto _ : state) {
        Replay(zavod, n);
    }
    state.counters["punches"] = static_cast<double>(zavod.SeznamMezicasu.Pocet());
}

void BM_Tick(benchmark::State& state) {
    Setup();
    Koment::Nastaveni.VytvaretInfoTab = true;
    const fs::path dir = Race().dir / ("tick" + std::to_string(state.range(0)));
    fs::create_directories(dir);
    Koment::Nastaveni.CestaInfoTab = dir.string();
    TZavod zavod;
    zavod.SlozkaKopii = dir.string() + "/";
    Replay(zavod, static_cast<size_t>(state.range(0)));
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
        while (zavod.Udalosti.Prvni() != nullptr) {
            zavod.Udalosti.OdeberPrvni();
        }
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

// The fixed part of every reload.
void BM_LoadCompetitors(benchmark::State& state) {
    Setup();
    TZavod zavod;
    for (auto _ : state) {
        LoadCompetitors(zavod);
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

BENCHMARK(BM_Baseline)->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reload)->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tick)->Arg(0)->Arg(60000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InfoBoard)->Arg(0)->Arg(60000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadCompetitors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reconstruct3x20k)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
