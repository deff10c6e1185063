#pragma once

// The generated race of the commentator's benchmarks: 3000 competitors in 40 categories,
// courses of 15 timed points with a repeated control, and 60000 copy lines in time order
// (every competitor's punches, then repeats arriving later).
#include "KomentTools.h"
#include "Mezicasy.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace commentator_bench {

namespace fs = std::filesystem;
using namespace Mezicasy;

constexpr int kZavodniku = 3000;
constexpr int kKategorii = 40;
constexpr size_t kVse = 60000;

struct TZavodData {
    fs::path dir;
    fs::path zavodnici;             // ZavE1.dat
    std::vector<std::string> lines; // copy lines in time order
    std::vector<TZavodnikData> comps;

    TZavodData() {
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
    ~TZavodData() {
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

inline TZavodData& Race() {
    static TZavodData data;
    return data;
}

// A race folder as the program keeps it: the competitor copy ZavE1.dat and the own split copy
// MezE1.dat holding the first n lines; the export lies in <race>/export.
inline fs::path RaceFolder(size_t n) {
    const fs::path folder = Race().dir / ("race" + std::to_string(n));
    if (!fs::exists(folder / "MezE1.dat")) {
        fs::create_directories(folder / "export");
        fs::copy_file(Race().zavodnici, folder / "ZavE1.dat");
        fs::copy_file(Race().zavodnici, folder / "export" / "exm00011.dat");
        fs::copy_file(Race().Kopie(n), folder / "MezE1.dat");
    }
    return folder;
}

// Resident memory of the process, in kB.
inline double RssKb() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1024;
}

} // namespace commentator_bench
