// The commentator's event grid: 1000 events, one pass each, onto a full grid of R rows
// (MaxRadkuHlOkna). A new event is one insert at the top and one removal at the bottom, so
// 999 rows should cost about what 30 rows cost.
//   Grid/R        the grid's data alone
//   GridModel/R   with the table model the main window shows
#include "InfoAll.h"
#include "KomentTools.h"
#include "Mezicasy.h"
#include "SI_Typ.h"
#include "fQZ_Mez.h"

#include <benchmark/benchmark.h>

namespace {

using namespace Mezicasy;

struct Race {
    TZavod zavod;
    std::vector<TZavodnik*> all;
    Race() {
        for (int i = 1; i <= 1000; ++i) {
            TZavodnikData d;
            d.Kategorie = "K" + std::to_string(i % 10);
            d.Jmeno = "Runner " + std::to_string(i);
            d.Cip = i;
            d.Kontroly[1] = 31;
            d.PoradiKontrol[1] = 1;
            d.Mezicasy[1] = 10 + (i % 97) * 0.01;
            TKateg1* k = zavod.NajdiKateg(d.Kategorie);
            zavod.AddZavodnik(k ? *k : zavod.AddKateg(d.Kategorie), d);
        }
        zavod.SpocitejUseky();
        for (int i = 1; i <= 1000; ++i) {
            all.push_back(zavod.NajdiZavodnika(i, true));
        }
    }
};

void Run(benchmark::State& state, bool model) {
    Koment::ResetNastaveni();
    Koment::Nastaveni.MaxPor = 999;
    Koment::Nastaveni.MaxRadkuHlOkna = static_cast<int32_t>(state.range(0));
    Race race;
    InfoAll::TInfoAll grid;
    std::unique_ptr<TInfoAllModel> m;
    if (model) {
        m = std::make_unique<TInfoAllModel>(grid);
    }
    const auto pass = [&](int n) {
        for (int i = 0; i < n; ++i) {
            TZavodnik* z = race.all[static_cast<size_t>(i)];
            race.zavod.PridejUdalost(*z, 31, 1, z->Data.Mezicasy[1]);
            grid.Vypln(race.zavod, Koment::Nastaveni, nullptr);
        }
    };
    pass(1000); // the grid full
    for (auto _ : state) {
        pass(1000);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_Grid(benchmark::State& state) {
    Run(state, false);
}
void BM_GridModel(benchmark::State& state) {
    Run(state, true);
}

} // namespace

BENCHMARK(BM_Grid)->Arg(30)->Arg(999)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridModel)->Arg(30)->Arg(999)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
