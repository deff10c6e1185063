// What the category windows cost the commentator's once-a-second tick, with their Qt widgets on
// the offscreen platform (events processed, so painting counts):
//   QuietTick/0     16 open windows of 300 rows, nothing changed, colours on, no row fading
//   QuietTick/1     the same with rows fading in several windows (those rows repainted)
//   ChangedTick     the same 16 windows all changed: every one refilled
//   RotationTick/0  a 2 x 5 rotation step over 100 categories, Kateg.ini on disk, and the
//                   refresh that shows its windows
//   RotationTick/1  the same without widgets: the logic and Kateg.ini alone
#include "KategOkna.h"
#include "KomentTools.h"
#include "SI_Typ.h"
#include "fMezicasy.h"
#include "platform/Clock.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace Mezicasy;

TZavodnikData Comp(const std::string& cat, int32_t cip) {
    TZavodnikData d;
    d.Kategorie = cat;
    d.Jmeno = "Runner " + std::to_string(cip);
    d.RegCislo = "ABC" + std::to_string(cip % 10000);
    d.StartCislo = std::to_string(cip);
    d.Cip = cip;
    d.CasStartu = (cip % 120) * 1.0;
    for (int i = 1; i <= kBodu; ++i) {
        d.Kontroly[static_cast<size_t>(i)] = static_cast<uint8_t>(i == kBodu ? 1 : 30 + i);
        d.Mezicasy[static_cast<size_t>(i)] = i * 3.0 + (cip % 97) * 0.01;
    }
    return d;
}

struct Prostredi {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("si_windows_bench_" + std::to_string(::getpid()));
    TZavod zavod;
    KategOkna::TOknaKateg okna{zavod};
    TTovarnaOken tovarna{okna, nullptr};
    std::unique_ptr<platform::IniFile> ini;

    Prostredi(int kategorii, int zavodniku) {
        std::filesystem::create_directories(dir);
        ini = std::make_unique<platform::IniFile>(dir / "Kateg.ini");
        okna.NastavKategIni(ini.get());
        okna.NastavTovarnu(&tovarna);
        for (int k = 0; k < kategorii; ++k) {
            const std::string n = "K" + std::to_string(k);
            TKateg1& kat = zavod.AddKateg(n);
            kat.VHlavnimOkne = true;
            for (int z = 0; z < zavodniku; ++z) {
                zavod.AddZavodnik(kat, Comp(n, k * 1000 + z + 1));
            }
        }
        okna.UlozVse();
    }
    ~Prostredi() {
        okna.NastavTovarnu(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

void Tick(benchmark::State& state, bool changed) {
    Koment::Nastaveni.Barvy = true;
    Prostredi p(1, 300);
    TKateg1& k = *p.zavod.Kategorie.front();
    k.OknoOtevreno.fill(true);
    p.okna.ObnovOkna();
    QApplication::processEvents();
    // With range 1 the clock stands a minute after a split in the middle of the field, so some
    // rows of several windows are fading and get repainted.
    platform::FakeClock clock;
    if (state.range(0) == 1) {
        const int64_t s = (*p.okna.Radky("K0", 8))[150].Datum + 60;
        clock.SetWall({2026, 6, 1, static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                       static_cast<int>(s % 60), 0});
        platform::SetClock(&clock);
    }
    for (auto _ : state) {
        if (changed) {
            k.OknoZmeneno.fill(true);
        }
        p.okna.ObnovOkna();
        QApplication::processEvents();
    }
    platform::SetClock(nullptr);
}

void QuietTick(benchmark::State& state) {
    Tick(state, false);
}
void ChangedTick(benchmark::State& state) {
    Tick(state, true);
}

void RotationTick(benchmark::State& state) {
    Prostredi p(100, 20);
    if (state.range(0) == 1) {
        p.okna.NastavTovarnu(nullptr);
    }
    KategOkna::TDivak divak;
    p.okna.NastavMrizku(2, 5);
    // One pass over the list first: every window exists, as it does after a few minutes.
    for (int i = 0; i < 10; ++i) {
        divak.TimerDivakTimer(p.zavod, p.okna, 2, 5, false);
        p.okna.ObnovOkna();
        QApplication::processEvents();
    }
    for (auto _ : state) {
        divak.TimerDivakTimer(p.zavod, p.okna, 2, 5, false);
        p.okna.ObnovOkna();
        QApplication::processEvents();
    }
}

BENCHMARK(QuietTick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ChangedTick)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(RotationTick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The offscreen platform says so on every window the rotation raises, and Qt notes the missing
// runtime folder of a session without a desktop: kept out of the figures.
QtMessageHandler previousHandler = nullptr;
void QuietRaise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QStringLiteral("does not support raise()")) ||
        message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
        return;
    }
    if (previousHandler != nullptr) {
        previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    previousHandler = qInstallMessageHandler(QuietRaise);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
