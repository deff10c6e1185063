#include "RavlinSam.h"

#include "QZ_CSV.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

namespace ravlin {

namespace fs = std::filesystem;

namespace {

std::string Fixed2(double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    return std::string(buf, res.ptr);
}

int32_t ToInt(const std::string& s) {
    int32_t v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

std::string Race4(int race) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", race);
    return buf;
}

} // namespace

std::string RunnerLine(const Runner& r) {
    return std::to_string(r.id) + ";" + r.category + ";" + r.name + ";" + std::to_string(r.si) +
           ";" + r.club + ";" + r.regnum + ";" + Fixed2(r.start) + ";" + Fixed2(r.result) + ";" +
           std::to_string(r.state) + ";" + std::to_string(r.ms) + ";" + std::to_string(r.status) +
           ";" + r.text + ";";
}

void GenerateRace(int runners, int categories, int clubs, std::vector<Runner>& outRunners,
                  std::vector<Category>& outCategories) {
    static const char* const kBase[] = {"H21", "D21", "H35", "D35", "H45", "D45", "H55",
                                        "D55", "H14", "D14", "H18", "D18", "HDR", "P"};
    static const char* const kSuffix[] = {"", "A", "B", "C", "D", "E"};
    static const char* const kSurname[] = {"NOVÁK",  "SVOBODOVÁ", "DVOŘÁK",
                                           "ČERNÁ",  "PROCHÁZKA", "KUČEROVÁ",
                                           "VESELÝ", "HORÁKOVÁ",  "ŘEZNÍČEK"};
    static const char* const kFirst[] = {"Jan", "Eva", "Petr", "Jana", "Jiří", "Žaneta"};
    outCategories.clear();
    for (int i = 0; i < categories; ++i) {
        Category c;
        const int base = i % 14;
        const int suffix = i / 14 % 6;
        c.name = std::string(kBase[base]) + kSuffix[suffix];
        if (i >= 84) {
            c.name += std::to_string(i / 84);
        }
        c.length = 2.5 + i % 9;
        c.climb = 40 + 10 * (i % 7);
        c.controls = 8 + i % 12;
        outCategories.push_back(c);
    }
    outRunners.clear();
    for (int id = 1; id <= runners; ++id) {
        Runner r;
        r.id = id;
        r.category = outCategories[static_cast<size_t>(id % categories)].name;
        r.start = (id / categories) * 2 + (id % 2) * 0.3;
        if (id % 11 == 0) {
            r.state = 2;
        } else {
            r.name = std::string(kSurname[id % 9]) + " " + kFirst[id % 6];
            r.si = 100000 + id;
            char club[8];
            std::snprintf(club, sizeof club, "%c%c%c", 'A' + id % clubs % 26,
                          'A' + id % clubs / 26 % 26, 'A' + id % clubs / 676 % 26);
            r.club = club;
            r.regnum = std::to_string(1000 + id % 9000).substr(0, 4);
            if (id % 4 == 0) {
                r.state = 1;
                r.result = 30 + id % 50 + 0.15;
            }
        }
        outRunners.push_back(r);
    }
}

RavlinSam::RavlinSam(fs::path ravlinDir, platform::Clock& clock)
    : ravlinDir_(std::move(ravlinDir)), clock_(clock) {}

void RavlinSam::SampleRace() {
    GenerateRace(40, 5, 6, runners, categories);
    categories[0].levels = {0, 0, 0, 0, 0};
    categories[1].flag = 0; // start times fixed in this one
}

fs::path RavlinSam::SamDir() const {
    return ravlinDir_ / ("Z" + Race4(inf.zavod)) / "SAM";
}

bool RavlinSam::Write(const fs::path& file, const std::string& utf8, int64_t due) {
    const std::string bytes = platform::Utf8ToCp1250(utf8);
    if (slowWrites || due > clock_.MonotonicMs()) {
        pending_.push_back(Pending{file, bytes, due, 0});
        return true;
    }
    std::string error;
    if (!platform::WriteFileAtomic(file, bytes, &error)) {
        events.push_back("write failed: " + error);
        return false;
    }
    return true;
}

bool RavlinSam::WritePultraInf() {
    std::error_code ec;
    fs::create_directories(ravlinDir_, ec);
    const auto line = [](const std::string& k, const std::string& v) {
        return k + "=" + v + "\r\n";
    };
    const std::string text =
        "[Pultra]\r\n" + line("Rok", inf.rok) + line("Zavod", std::to_string(inf.zavod)) +
        line("Etapa", std::to_string(inf.etapa)) + line("Start00", inf.start00) +
        line("PrezentaceDo", inf.prezentaceDo) + line("ZmenaCasu", std::to_string(inf.zmenaCasu)) +
        line("ZamenaCasu", std::to_string(inf.zamenaCasu)) +
        line("Odhlaseni", std::to_string(inf.odhlaseni)) +
        line("ZmenaJmena", std::to_string(inf.zmenaJmena)) +
        line("ZmenaCipu", std::to_string(inf.zmenaCipu)) +
        line("DruhZav", std::to_string(inf.druhZav)) +
        line("SIAdmin", std::to_string(inf.siAdmin)) + line("Nazev", inf.nazev) +
        line("Date", inf.date) + line("Time", inf.time);
    std::string error;
    const bool ok =
        platform::WriteFileAtomic(ravlinDir_ / "Pultra.inf", platform::Utf8ToCp1250(text), &error);
    events.push_back(ok ? "Pultra.inf written" : "Pultra.inf: " + error);
    return ok;
}

std::string RavlinSam::Header(const std::string& dir, const std::string& type,
                              const std::string& p1, const std::string& p2, const std::string& comp,
                              const std::string& guid) {
    return "#SAM#" + dir + "#" + type + "#" + p1 + "#" + p2 + "#" + comp + "#" +
           platform::TimeText(clock_.Now()) + "#" + guid + "#\r\n";
}

bool RavlinSam::ExportRunners() {
    std::error_code ec;
    fs::create_directories(SamDir(), ec);
    std::string text = Header("WRITE", "ZAVODNIK", "ALL", "", computer, "");
    for (const Runner& r : runners) {
        text += RunnerLine(r) + "\r\n";
    }
    events.push_back("Zavodnik.csv exported");
    return Write(SamDir() / "Zavodnik.csv", text);
}

bool RavlinSam::ExportCategories() {
    std::error_code ec;
    fs::create_directories(SamDir(), ec);
    std::string text = Header("WRITE", "KATEG", "ALL", "", computer, "");
    for (const Category& c : categories) {
        text += c.name + ";" + std::to_string(c.flag) + ";" + Fixed2(c.length) + ";" +
                std::to_string(c.climb) + ";" + std::to_string(c.controls);
        for (int l : c.levels) {
            text += ";" + std::to_string(l);
        }
        text += ";\r\n";
    }
    events.push_back("Kateg.csv exported");
    return Write(SamDir() / "Kateg.csv", text);
}

Runner* RavlinSam::Find(int32_t id) {
    for (Runner& r : runners) {
        if (r.id == id) {
            return &r;
        }
    }
    return nullptr;
}

void RavlinSam::Answer(const fs::path& request, const std::string& bytes) {
    const std::string text = platform::Cp1250ToUtf8(bytes);
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > pos) {
            lines.push_back(text.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    QZ_CSV::Fields h;
    QZ_CSV::SplitFields(lines.empty() ? "" : lines[0], '#', h);
    if (h[1] != "SAM") {
        events.push_back("bad request " + request.filename().string());
        return;
    }
    const std::string& comp = h[6];
    const std::string& guid = h[8];
    fs::path answer = request;
    answer.replace_extension(".odp");
    if (silent) {
        events.push_back("silent " + guid);
        return;
    }
    const int64_t due = clock_.MonotonicMs() + delayMs;
    if (h[2] == "READ") {
        std::string out = Header("READ", h[3], h[4], h[5], comp, guid);
        for (const Runner& r : runners) {
            const std::string& key = h[4] == "ODDIL" ? r.club : r.category;
            if (platform::Utf8EqualNoCase(key, h[5])) {
                out += RunnerLine(r) + "\r\n";
            }
        }
        events.push_back("READ " + h[4] + " " + h[5] + " " + guid);
        Write(answer, out, due);
        return;
    }
    const std::string& type = h[3];
    std::vector<QZ_CSV::Fields> given;
    for (size_t i = 1; i < lines.size(); ++i) {
        QZ_CSV::SplitFields(lines[i], ';', given.emplace_back());
    }
    std::string error = refuse;
    std::vector<Runner*> changed;
    for (const QZ_CSV::Fields& f : given) {
        Runner* r = Find(ToInt(f[0]));
        if (r == nullptr && error.empty()) {
            error = "Neznámý závodník " + f[0];
        }
        changed.push_back(r);
    }
    const size_t need = type == "Vakant" ? 1 : 2;
    if (error.empty() && given.size() != need) {
        error = "Chybný počet řádků";
    }
    if (error.empty() && type != "ChangeTime" && type != "ChangeSIcard" && type != "Vakant") {
        error = "Neznámý požadavek " + type;
    }
    if (!error.empty()) {
        events.push_back("refused " + type + " " + guid + ": " + error);
        Write(answer, Header("WRITE", type, "", "ERR", comp, guid) + "ERR=" + error + "\r\n", due);
        return;
    }
    if (headerOnly || otherRunner || unchanged) {
        std::string out = Header("WRITE", type, "", "", comp, guid);
        const auto other =
            std::find_if(runners.begin(), runners.end(), [&changed](const Runner& r) {
                return std::find(changed.begin(), changed.end(), &r) == changed.end();
            });
        if (otherRunner && other != runners.end()) {
            out += RunnerLine(*other) + "\r\n";
        }
        for (size_t i = 0; unchanged && i < changed.size() && i < (type == "ChangeTime" ? 2u : 1u);
             ++i) {
            out += RunnerLine(*changed[i]) + "\r\n";
        }
        events.push_back("not applied " + type + " " + guid);
        Write(answer, out, due);
        return;
    }
    if (type == "ChangeTime") {
        std::swap(changed[0]->start, changed[1]->start);
    } else if (type == "ChangeSIcard") {
        changed.resize(1);
        changed[0]->si = ToInt(given[1][3]);
    } else {
        Runner& r = *changed[0];
        r = Runner{r.id, r.category, "", 0, "", "", r.start, 0, 2, 0, 0, ""};
    }
    std::string out = Header("WRITE", type, "", "", comp, guid);
    for (const Runner* r : changed) {
        out += RunnerLine(*r) + "\r\n";
    }
    events.push_back("applied " + type + " " + guid);
    Write(answer, out, due);
    ExportRunners();
}

int RavlinSam::Poll() {
    const int64_t now = clock_.MonotonicMs();
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due > now) {
            ++it;
            continue;
        }
        // Slowly: the first half replaces the file now, the rest follows at the next poll.
        std::string error;
        if (!slowWrites) {
            platform::WriteFileAtomic(it->file, it->bytes, &error);
            it->written = it->bytes.size();
        } else if (it->written == 0) {
            const size_t half = std::max<size_t>(it->bytes.size() / 2, 1);
            if (platform::WriteFileAtomic(it->file, it->bytes.substr(0, half), &error)) {
                it->written = half;
            }
        } else if (platform::AppendWhole(it->file, std::string_view(it->bytes).substr(it->written),
                                         &error)) {
            it->written = it->bytes.size();
        }
        if (!error.empty()) {
            events.push_back("write failed: " + error);
        }
        if (it->written >= it->bytes.size()) {
            events.push_back("written " + it->file.filename().string());
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    int taken = 0;
    for (const fs::path& request : platform::ListByMask(SamDir(), "P*.poz")) {
        std::string bytes;
        std::string error;
        if (!platform::ReadWholeFile(request, bytes, &error, 1 << 20)) {
            events.push_back("unreadable " + error);
            continue;
        }
        std::error_code ec;
        fs::remove(request, ec);
        ++taken;
        events.push_back("took " + request.filename().string());
        Answer(request, bytes);
    }
    return taken;
}

} // namespace ravlin
