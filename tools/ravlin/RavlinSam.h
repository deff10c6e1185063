#pragma once

#include "platform/Clock.h"

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

// A stand-in for the results program on the kiosk's side: it writes Pultra.inf and the SAM
// exports of a race, takes the kiosk's request files and answers them the way the results
// program does, with faults on demand. Written from the file formats alone, independent of
// the kiosk's own readers, so that tests of one catch faults of the other.
namespace ravlin {

struct Runner {
    int32_t id = 0;
    std::string category;
    std::string name;
    int32_t si = 0;
    std::string club;
    std::string regnum;
    double start = 0;
    double result = 0;
    int state = 0; // 1 finished, 2 vacant slot
    int ms = 0;
    int status = 0;
    std::string text;
};

struct Category {
    std::string name;
    int flag = 1; // start times may be changed
    double length = 0;
    int climb = 0;
    int controls = 0;
    // Columns as the category line orders them: ZmenaCasu, ZamenaCasu, Odhlaseni,
    // ZmenaJmena, ZmenaCipu (0 = the global level, n = level n-1).
    std::array<int, 5> levels{};
};

// The keys of Pultra.inf.
struct PultraInf {
    std::string rok = "2026";
    int zavod = 7;
    int etapa = 1;
    std::string start00 = "10.00";
    std::string prezentaceDo = "0";
    int zmenaCasu = 2;
    int zamenaCasu = 2;
    int odhlaseni = 2;
    int zmenaJmena = 0;
    int zmenaCipu = 2;
    int druhZav = 0;
    int32_t siAdmin = 0;
    std::string nazev = "Zkušební závod";
    std::string date = "01.06.2026";
    std::string time = "08:00:00";
};

// The runner line of the exports and answers (12 fields, each followed by ';').
std::string RunnerLine(const Runner& r);

// A race of the given size: runners spread over the categories and clubs, every eleventh slot
// vacant and every fourth runner finished, names with Czech letters.
void GenerateRace(int runners, int categories, int clubs, std::vector<Runner>& outRunners,
                  std::vector<Category>& outCategories);

class RavlinSam {
public:
    // ravlinDir stands for Ravlin's folder (RavlinPath); the clock stamps exports and times
    // the delay.
    RavlinSam(std::filesystem::path ravlinDir, platform::Clock& clock);

    std::vector<Runner> runners;
    std::vector<Category> categories;
    PultraInf inf;
    std::string computer = "RAVLIN"; // the computer field of the exports

    // Faults on demand.
    int64_t delayMs = 0;     // answers wait this long
    std::string refuse;      // non-empty: changes are refused with ERR=<text>
    bool silent = false;     // requests are taken and deleted, never answered
    bool slowWrites = false; // files are written in two halves, one per poll
    // Changes not made though answered as if: the header alone, a line of a runner the
    // request did not name, or the named runners' lines as they stand.
    bool headerOnly = false;
    bool otherRunner = false;
    bool unchanged = false;

    // A small race of a few categories and clubs.
    void SampleRace();
    std::filesystem::path SamDir() const; // <ravlinDir>/Z<race4>/SAM
    bool WritePultraInf();
    bool ExportRunners();
    bool ExportCategories();

    // One pass: continues slow writes, takes every request file, writes the answers that
    // are due. Returns the number of requests taken.
    int Poll();

    // What the double did, one line per event (for the program's output and for tests).
    std::vector<std::string> events;

private:
    struct Pending {
        std::filesystem::path file;
        std::string bytes;
        int64_t due = 0;
        size_t written = 0;
    };
    bool Write(const std::filesystem::path& file, const std::string& utf8, int64_t due = 0);
    void Answer(const std::filesystem::path& request, const std::string& bytes);
    std::string Header(const std::string& dir, const std::string& type, const std::string& p1,
                       const std::string& p2, const std::string& comp, const std::string& guid);
    Runner* Find(int32_t id);

    std::filesystem::path ravlinDir_;
    platform::Clock& clock_;
    std::deque<Pending> pending_;
};

} // namespace ravlin
