// Time from a card put into the station to its records on disk, per card type and line speed,
// over a pseudo-terminal with the station simulator pacing its replies at the line speed.
// Compared with the pure wire time of the bytes exchanged (bytes x 10 / baud), once with the
// 200 ms poll the main window uses and once polling every 2 ms, to show what the poll costs.
#include "SI_Port.h"
#include "SI_Typ.h"
#include "port.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Counts the bytes that cross the line in both directions.
class CountingLine : public ISerialLine {
public:
    explicit CountingLine(std::unique_ptr<TPort> port) : port_(std::move(port)) {}
    bool IsOpen() const override { return port_->IsOpen(); }
    int Write(const uint8_t* bytes, int n) override {
        const int w = port_->Write(bytes, n);
        bytes_ += w > 0 ? w : 0;
        return w;
    }
    int Read(uint8_t* buffer, int n) override {
        const int r = port_->Read(buffer, n);
        bytes_ += r > 0 ? r : 0;
        return r;
    }
    int InQueue() override { return port_->InQueue(); }
    int OutQueue() override { return port_->OutQueue(); }
    long Bytes() const { return bytes_; }

private:
    std::unique_ptr<TPort> port_;
    long bytes_ = 0;
};

// One simulator process for the whole run, driven through its standard input.
class Simulator {
public:
    Simulator() {
        int in[2];
        int out[2];
        if (pipe(in) != 0 || pipe(out) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            const int devnull = ::open("/dev/null", O_WRONLY);
            dup2(devnull, 2);
            close(in[1]);
            close(out[0]);
            execl(SISIM_PATH, "sisim", "--stdin", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        commands_ = fdopen(in[1], "w");
        FILE* first = fdopen(out[0], "r");
        char line[256] = {};
        if (fgets(line, sizeof line, first) == nullptr || std::string(line).rfind("PTY ", 0) != 0) {
            throw std::runtime_error("simulator did not start");
        }
        slave_ = std::string(line + 4);
        while (!slave_.empty() && (slave_.back() == '\n' || slave_.back() == '\r')) {
            slave_.pop_back();
        }
    }
    ~Simulator() {
        Send("quit");
        fclose(commands_);
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    void Send(const std::string& command) {
        std::fprintf(commands_, "%s\n", command.c_str());
        std::fflush(commands_);
    }
    const std::string& Slave() const { return slave_; }

private:
    pid_t pid_ = -1;
    FILE* commands_ = nullptr;
    std::string slave_;
};

Simulator& Sim() {
    static Simulator sim;
    return sim;
}

struct CardCase {
    const char* simType;
    int number;
    int records;
    bool legacy;
};

constexpr CardCase kCards[] = {
    {"si5", 12345, 1, false},    {"si6", 654321, 3, false},   {"si6star", 16711689, 3, false},
    {"si8", 2100001, 2, false},  {"si9", 1100001, 2, false},  {"pcard", 4100001, 2, false},
    {"si10", 7100001, 4, false}, {"siac", 8100001, 4, false}, {"si5", 23456, 1, true},
    {"si6", 765432, 3, true},
};

void BM_Readout(benchmark::State& state) {
    const CardCase& card = kCards[state.range(0)];
    const int baud = static_cast<int>(state.range(1));
    const int pollMs = static_cast<int>(state.range(2));
    Simulator& sim = Sim();
    sim.Send(std::string("proto ") + (card.legacy ? "legacy" : "extended"));
    sim.Send("speed " + std::to_string(baud));

    const fs::path dir = fs::temp_directory_path() / ("readout-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    SI_Typ::Zavod = 1;
    SI_Typ::Etapa = 1;

    TSIPort reader(1);
    auto tport = std::make_unique<TPort>();
    tport->name = "COM1";
    tport->device = sim.Slave();
    tport->baudRate = baud;
    if (!tport->Open()) {
        state.SkipWithError(("cannot open " + sim.Slave()).c_str());
        return;
    }
    auto counting = std::make_unique<CountingLine>(std::move(tport));
    CountingLine* line = counting.get();
    reader.port = std::move(counting);
    reader.Rezim = 1;
    reader.MaxTime = 10;
    reader.Path = dir.string();
    const fs::path file = reader.OutputFileName(1);
    // Let the simulator see the line's speed before the first card.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    reader.Flush(true);

    double wireMs = 0;
    for (auto _ : state) {
        std::error_code ec;
        const auto before = fs::exists(file, ec) ? fs::file_size(file, ec) : 0;
        const auto expected = before + static_cast<uintmax_t>(card.records) * 154;
        const long bytesBefore = line->Bytes();
        const auto t0 = Clock::now();
        sim.Send(std::string("insert ") + card.simType + " " + std::to_string(card.number));
        while ((fs::exists(file, ec) ? fs::file_size(file, ec) : 0) < expected) {
            if (Clock::now() - t0 > std::chrono::seconds(15)) {
                state.SkipWithError("card not read within 15 s");
                break;
            }
            reader.Poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(seconds);
        wireMs = (line->Bytes() - bytesBefore) * 10.0 * 1000.0 / baud;
        sim.Send("remove");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        reader.Flush(true);
    }
    state.counters["wire_ms"] = wireMs;
    state.SetLabel(std::string(card.simType) + (card.legacy ? " legacy" : "") + " @" +
                   std::to_string(baud) + " poll " + std::to_string(pollMs) + " ms");
    std::error_code ec;
    fs::remove_all(dir, ec);
}

void Cases(benchmark::internal::Benchmark* b) {
    for (int poll : {200, 2}) {
        for (int i = 0; i < static_cast<int>(std::size(kCards)); ++i) {
            for (int baud : {38400, 4800}) {
                if (kCards[i].legacy && baud != 4800) {
                    continue;
                }
                b->Args({i, baud, poll});
            }
        }
    }
}

BENCHMARK(BM_Readout)->Apply(Cases)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
