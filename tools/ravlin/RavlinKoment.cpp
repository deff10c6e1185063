#include "RavlinKoment.h"

#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace ravlin {

namespace {

constexpr size_t kRecord = 341;

std::string Race4(int race) {
    char b[8];
    std::snprintf(b, sizeof b, "%04d", race);
    return b;
}

// A short string: length byte, then the CP1250 characters.
void PutText(uint8_t* at, size_t max, const std::string& utf8) {
    std::string s = platform::Utf8ToCp1250(utf8);
    s.resize(std::min(s.size(), max));
    at[0] = static_cast<uint8_t>(s.size());
    std::memcpy(at + 1, s.data(), s.size());
}

void PutTime(uint8_t* at, double t) {
    char b[16];
    std::snprintf(b, sizeof b, "%.2f", t);
    PutText(at, 12, b);
}

int Start00Seconds(const std::string& text) {
    int h = 0;
    int m = 0;
    std::sscanf(text.c_str(), "%d.%d", &h, &m);
    return h * 3600 + m * 60;
}

bool Append(const std::filesystem::path& file, const std::string& line) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << line;
    return static_cast<bool>(out);
}

} // namespace

RavlinKoment::RavlinKoment(std::filesystem::path ravlinDir) : dir_(std::move(ravlinDir)) {}

std::filesystem::path RavlinKoment::KomentDir() const {
    return dir_ / ("Z" + Race4(inf.zavod)) / "Koment";
}

std::filesystem::path RavlinKoment::ExportFile() const {
    return KomentDir() / ("exm" + Race4(inf.zavod) + std::to_string(inf.etapa) + ".dat");
}

std::filesystem::path RavlinKoment::CsvFile(bool dis) const {
    return KomentDir() /
           ((dis ? "Dis" : "Cil") + Race4(inf.zavod) + std::to_string(inf.etapa) + ".csv");
}

void RavlinKoment::SampleRace() {
    static const char* names[] = {"Novák Jan",      "Dvořák Petr",    "Černý Tomáš",
                                  "Procházka Jiří", "Kučera Martin",  "Veselý Pavel",
                                  "Nováková Eva",   "Svobodová Jana", "Horáková Lucie",
                                  "Marková Věra",   "Pokorná Anna",   "Králová Ivana"};
    static const char* clubs[] = {"ABM", "PGP", "SJC", "TBM"};
    competitors.clear();
    punches.clear();
    const int zero = Start00Seconds(inf.start00);
    for (int i = 0; i < 12; ++i) {
        Competitor c;
        const bool men = i < 6;
        c.category = men ? "H21" : "D21";
        c.name = names[i];
        c.chip = 500100 + i;
        c.club = clubs[i % 4];
        c.bib = std::to_string(101 + i);
        c.start = i; // one a minute
        c.controls = men ? std::vector<int>{31, 32, 1} : std::vector<int>{33, 1};
        competitors.push_back(c);
        int t = zero + i * 60;
        for (size_t k = 0; k < c.controls.size(); ++k) {
            t += 240 + ((i * 37 + static_cast<int>(k) * 11) % 90);
            punches.push_back({c.chip, c.controls[k], t, k + 1 != c.controls.size()});
        }
    }
    std::stable_sort(punches.begin(), punches.end(), [](const Punch& a, const Punch& b) {
        return a.secondsOfDay < b.secondsOfDay;
    });
}

bool RavlinKoment::WriteInf(bool half) {
    // Race and stage last: a file cut short lacks them, as one still being written would.
    std::string s = "[Hlasvel]\r\nRok=" + inf.rok + "\r\nStart00=" + inf.start00 +
                    "\r\nNazev=" + inf.nazev + "\r\nDate=" + inf.date + "\r\nTime=" + inf.time +
                    "\r\nDruhZav=" + std::to_string(inf.druhZav) +
                    "\r\nDesetiny=" + std::to_string(inf.desetiny) +
                    "\r\nSberka=" + std::to_string(inf.sberka) +
                    "\r\nvlKom_QZPort1=" + std::to_string(inf.vlKomQZPort1) +
                    "\r\nEtapa=" + std::to_string(inf.etapa) +
                    "\r\nZavod=" + std::to_string(inf.zavod) + "\r\n";
    s = platform::Utf8ToCp1250(s);
    if (half) {
        s.resize(s.size() / 2);
    }
    std::error_code ec;
    std::filesystem::create_directories(dir_, ec);
    std::ofstream out(InfFile(), std::ios::binary | std::ios::trunc);
    out << s;
    return static_cast<bool>(out);
}

bool RavlinKoment::ExportCompetitors() {
    std::string bytes(competitors.size() * kRecord, '\0');
    for (size_t i = 0; i < competitors.size(); ++i) {
        const Competitor& c = competitors[i];
        auto* r = reinterpret_cast<uint8_t*>(bytes.data() + i * kRecord);
        PutText(r + 0, 10, c.category);
        PutText(r + 11, 30, c.name);
        const auto chip = static_cast<uint32_t>(c.chip);
        for (int b = 0; b < 4; ++b) {
            r[42 + b] = static_cast<uint8_t>(chip >> (8 * b));
        }
        PutText(r + 46, 7, c.club);
        PutTime(r + 54, c.start);
        PutTime(r + 67, -100);
        PutTime(r + 80, -100);
        PutText(r + 95, 5, c.bib);
        PutTime(r + 101, 0);
        for (size_t k = 0; k < c.controls.size() && k < 15; ++k) {
            r[116 + k] = static_cast<uint8_t>(c.controls[k]);
            r[131 + k] = static_cast<uint8_t>(k + 1);
            PutTime(r + 146 + k * 13, 0);
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(KomentDir(), ec);
    return platform::WriteFileAtomic(ExportFile(), bytes, nullptr);
}

std::string RavlinKoment::Line(const Punch& p) {
    char b[64];
    std::snprintf(b, sizeof b, "%d;%02d:%02d:%02d,00;%d;\r\n", p.chip, p.secondsOfDay / 3600,
                  p.secondsOfDay / 60 % 60, p.secondsOfDay % 60, p.code);
    return b;
}

bool RavlinKoment::AppendNext() {
    if (next_ >= punches.size()) {
        return false;
    }
    const Punch& p = punches[next_++];
    std::error_code ec;
    std::filesystem::create_directories(KomentDir(), ec);
    return Append(CsvFile(p.dis), Line(p));
}

} // namespace ravlin
