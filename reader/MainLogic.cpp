#include "MainLogic.h"

#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <charconv>
#include <cmath>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace SI_Typ;

namespace QZ_SI {

namespace {

constexpr double WaitingSeconds = 20;
// The results program may be writing Ravlin.inf just as we start; it gets this many looks.
constexpr int RavlinInfRetryMs = 250;
// Looks enough for the quiet period and a second more.
constexpr int RavlinInfLooks = 1 + (platform::StableFileCheck::kQuietMs + 1000) / RavlinInfRetryMs;

std::optional<fs::path> RavlinInfFile() {
    if (CestaRavlin.empty()) {
        return std::nullopt;
    }
    std::error_code ec;
    const fs::path folder = platform::ResolveNoCase(CestaRavlin);
    if (!fs::is_directory(folder, ec)) {
        return std::nullopt;
    }
    auto file = platform::FindNoCase(folder, "Ravlin.inf");
    if (!file || !fs::is_regular_file(*file, ec)) {
        return std::nullopt;
    }
    return file;
}

struct FileLook {
    bool exists = false;
    uintmax_t size = 0;
    fs::file_time_type mtime{};
    bool operator==(const FileLook&) const = default;
};

FileLook LookAtFile(const fs::path& file) {
    FileLook look;
    std::error_code ec;
    look.size = fs::file_size(file, ec);
    if (!ec) {
        look.mtime = fs::last_write_time(file, ec);
    }
    look.exists = !ec;
    return look;
}

// The race values of Ravlin.inf as they stand in the file, before any conversion could hide a
// wrong one (70000 would pass as a race number of 16 bits).
struct RaceValues {
    bool hasZavod = false;
    bool hasEtapa = false;
    bool hasStart00 = false;
    int64_t zavod = 0;
    int64_t etapa = 0;
    double start00 = 0;
};

RaceValues ReadRaceValues(const fs::path& file) {
    platform::IniFile inf(file);
    RaceValues v;
    v.hasZavod = inf.ValueExists("Ravlin", "Zavod");
    v.hasEtapa = inf.ValueExists("Ravlin", "Etapa");
    v.hasStart00 = inf.ValueExists("Ravlin", "Start00");
    v.zavod = inf.ReadInteger("Ravlin", "Zavod", 0);
    v.etapa = inf.ReadInteger("Ravlin", "Etapa", 0);
    v.start00 = inf.ReadFloat("Ravlin", "Start00", 0);
    return v;
}

std::string NumberText(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

bool ValidZeroTime(double t) {
    if (!std::isfinite(t) || t < 0 || t >= 24) {
        return false;
    }
    return std::lround((t - std::floor(t)) * 100) <= 59;
}

// Why the values cannot be taken; empty when they can.
std::string Problem(const RaceValues& v) {
    std::string missing;
    for (const auto& [has, key] : {std::pair{v.hasZavod, "Zavod"}, std::pair{v.hasEtapa, "Etapa"},
                                   std::pair{v.hasStart00, "Start00"}}) {
        if (!has) {
            missing += missing.empty() ? key : std::string(", ") + key;
        }
    }
    if (!missing.empty()) {
        return LangText("soubor je neúplný, chybí " + missing,
                        "the file is incomplete, no " + missing);
    }
    if (v.zavod < 1 || v.zavod > 9999) {
        const std::string n = std::to_string(v.zavod);
        return LangText("číslo závodu " + n + " není v rozsahu 1..9999",
                        "race number " + n + " is outside 1..9999");
    }
    if (v.etapa < 1 || v.etapa > UINT16_MAX) {
        const std::string n = std::to_string(v.etapa);
        return LangText("etapa " + n + " není platná", "stage " + n + " is not valid");
    }
    if (!ValidZeroTime(v.start00)) {
        const std::string t = NumberText(v.start00);
        return LangText("čas startu " + t + " není platný čas hh.mm",
                        "zero time " + t + " is not a valid hh.mm time");
    }
    return {};
}

std::string NotTaken(const std::string& why) {
    return LangText("Ravlin.inf nepřevzat: ", "Ravlin.inf not taken: ") + why +
           LangText("; platí dál závod ", "; race ") + Tools::RaceNumberText() + " / E" +
           Tools::StageText() + LangText(".", " stays.");
}

} // namespace

std::string VychoziCestaRavlin() {
    const std::string cwd = platform::CurrentDir().string();
    const size_t slash = cwd.rfind('/');
    return (slash == std::string::npos ? std::string() : cwd.substr(0, slash + 1)) + "Qz";
}

void NactiNastaveni(platform::IniFile& ini) {
    Language = static_cast<int16_t>(ini.ReadInteger(Sekce, "Language", 0));
    Zavod = static_cast<uint16_t>(ini.ReadInteger(Sekce, "Zavod", 1));
    Etapa = static_cast<uint16_t>(ini.ReadInteger(Sekce, "Etapa", 1));
    ComProDisplay = static_cast<int32_t>(ini.ReadInteger(Sekce, "ComProDisplay", 0));
    Start00 = ini.ReadFloat(Sekce, "Start00", 10.0);
    PodleRavlin = static_cast<int16_t>(ini.ReadInteger(Sekce, "PodleRavlin", 1));
    // A settings file brought over from Windows names the folder the Windows way.
    const std::string cesta = ini.ReadString(Sekce, "CestaRavlin", VychoziCestaRavlin());
    CestaRavlin = platform::FromWindowsPath(cesta).string();
}

std::string UlozDleRavlin(platform::IniFile& ini) {
    const auto file = RavlinInfFile();
    if (!file) {
        return {};
    }
    // Taken once it has stood still for the quiet period, and only if it was not written again
    // while it was read: a half-rewritten file would send chips to another race's file.
    platform::StableFileCheck check;
    bool settled = check.IsStable(*file);
    for (int look = 1; look < RavlinInfLooks && !settled; ++look) {
        Tools::WaitMs(RavlinInfRetryMs);
        settled = check.IsStable(*file);
    }
    RaceValues v;
    if (settled) {
        if (!ReadRavlinInf()) {
            return {};
        }
        v = ReadRaceValues(*file);
        settled = platform::LookAt(*file) == check.StableLook(*file);
    }
    if (!settled) {
        return NotTaken(LangText("soubor se stále mění", "the file keeps changing"));
    }
    if (const std::string why = Problem(v); !why.empty()) {
        return NotTaken(why);
    }

    bool written = true;
    if (v.zavod != Zavod) {
        Zavod = static_cast<uint16_t>(v.zavod);
        written = ini.WriteInteger(Sekce, "Zavod", Zavod) && written;
    }
    if (v.etapa != Etapa) {
        Etapa = static_cast<uint16_t>(v.etapa);
        written = ini.WriteInteger(Sekce, "Etapa", Etapa) && written;
    }
    if (v.start00 != Start00) {
        Start00 = v.start00;
        written = ini.WriteFloat(Sekce, "Start00", Start00) && written;
    }
    if (!written) {
        return LangText("Závod z Ravlin.inf nelze uložit do nastavení: ",
                        "The race of Ravlin.inf cannot be stored in the settings: ") +
               ini.LastError();
    }
    return {};
}

std::string PrevezmiZavodPriStartu(platform::IniFile& ini) {
    if (PodleRavlin == 1 && !RavlinInfFile()) {
        PodleRavlin = 0;
    }
    return PodleRavlin == 1 ? UlozDleRavlin(ini) : std::string();
}

bool UlozPriZavreni(platform::IniFile& ini) {
    const bool zavod = ini.WriteInteger(Sekce, "Zavod", Zavod);
    return ini.WriteInteger(Sekce, "Etapa", Etapa) && zavod;
}

std::string ZavodText() {
    return "Závod " + Tools::RaceNumberText() + " / E" + Tools::StageText();
}

std::string Titulek() {
    return LangText("Program pro načítání SI čipů", "Programm for reading SI-card");
}

std::string TextDetekce(int com) {
    return " detekuji ... COM " + std::to_string(com) +
           " v případě \"zatuhnutí\" násilně ukončete program a spusťte znovu";
}

bool DisplayAnglicky() {
    return RavlinInf.Lng == "EN";
}

std::pair<std::string, std::string> TextyMimoProvoz() {
    if (DisplayAnglicky()) {
        return {"out of service ...", "... wait a moment"};
    }
    return {"mimo provoz", "chvilku pockejte"};
}

void NastavDisplay(const std::string& cz1a, const std::string& cz1b, const std::string& cz2a,
                   const std::string& cz2b, const std::string& en1a, const std::string& en1b,
                   const std::string& en2a, const std::string& en2b) {
    const bool en = DisplayAnglicky();
    DisplayR1A = en ? en1a : cz1a;
    DisplayR1B = en ? en1b : cz1b;
    DisplayR2A = en ? en2a : cz2a;
    DisplayR2B = en ? en2b : cz2b;
    DisplayCas = Tools::Stamp();
}

TDisplayHook PortDisplayHook() {
    return [](const std::string& r1cz, const std::string& r2cz, const std::string& r1en,
              const std::string& r2en) {
        NastavDisplay(r1cz, r1cz, r2cz, r2cz, r1en, r1en, r2en, r2en);
    };
}

TDisplayTexty RozdelDisplayTxt(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty() && lines.size() < 2) {
        const size_t nl = text.find('\n');
        std::string line(text.substr(0, nl));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    }
    lines.resize(2);

    auto split = [](const std::string& line, std::string& a, std::string& b) {
        const size_t bs = line.find('\\');
        a = line.substr(0, bs);
        b = bs == std::string::npos ? std::string() : platform::Utf8Left(line.substr(bs + 1), 20);
    };
    TDisplayTexty t;
    split(lines[0], t.r1a, t.r1b);
    split(lines[1], t.r2a, t.r2b);
    if (t.r1b.empty()) {
        t.r1b = t.r1a;
    }
    // Line 2 alternates only while line 1 is empty.
    if (!t.r1b.empty()) {
        t.r2b = t.r2a;
    }
    return t;
}

TDisplay::TDisplay(IDisplayView& view)
    : view_(view), remove_([](const fs::path& file, std::string& error) {
          std::error_code ec;
          if (!fs::remove(file, ec)) {
              error = ec ? ec.message() : "no such file";
              return false;
          }
          return true;
      }) {}

std::optional<TDisplay::Look> TDisplay::LookAt(const fs::path& file) {
    const FileLook l = LookAtFile(file);
    if (!l.exists) {
        return std::nullopt;
    }
    return Look{file, l.size, l.mtime};
}

std::optional<TDisplayTexty> TDisplay::NactiDisplayTxt() {
    const auto file = platform::FindNoCase(Tools::RavlinRacePath(), "Display.txt");
    const auto look = file ? LookAt(*file) : std::nullopt;
    if (!look) {
        stuck_.reset();
        return std::nullopt;
    }
    if (stuck_ && *stuck_ == *look) {
        return std::nullopt; // shown once already; it could not be deleted
    }
    // The results program may not have finished writing it.
    if (!stable_.IsStable(*file)) {
        return std::nullopt;
    }
    std::string bytes;
    if (!platform::ReadWholeFile(*file, bytes, nullptr) || LookAt(*file) != look) {
        return std::nullopt;
    }
    const TDisplayTexty texts = RozdelDisplayTxt(platform::Cp1250ToUtf8(bytes));
    const auto taken = stable_.StableLook(*file);
    stable_.Forget(*file);
    if (taken && platform::LookAt(*file) != taken) {
        // New texts under the name since it was read: they are judged at the next look.
        stuck_.reset();
        return texts;
    }
    std::string error;
    if (remove_(*file, error)) {
        stuck_.reset();
    } else {
        stuck_ = look;
        if (report_) {
            report_(LangText("Display.txt nelze smazat (" + error +
                                 "); znovu se ukáže, až se soubor změní.",
                             "Display.txt cannot be deleted (" + error +
                                 "); it shows again once the file changes."));
        }
    }
    return texts;
}

void TDisplay::PosliNaDisplay(const std::string& line1, const std::string& line2) {
    view_.SetDisplayLabels(line1, line2);
    if (port_ != nullptr) {
        port_->ShowOnDisplay(line1, line2);
    }
}

void TDisplay::ZobrazDisplay() {
    if (ComProDisplay == 0) {
        view_.SetDisplayLabelsVisible(false);
        return;
    }
    view_.SetDisplayLabelsVisible(true);
    if (const auto t = NactiDisplayTxt()) {
        DisplayR1A = t->r1a;
        DisplayR1B = t->r1b;
        DisplayR2A = t->r2a;
        DisplayR2B = t->r2b;
        PosliNaDisplay(DisplayR1A, DisplayR2A);
        DisplayCas = Tools::Stamp();
        return;
    }
    const double e = Tools::TimeDiffSec(DisplayCas, Tools::Stamp());
    if (e > WaitingSeconds) {
        DisplayR1A = DisplayAnglicky() ? "...insert SI card..." : "Dalsi prosim ...";
        DisplayR1B.clear();
        DisplayR2A.clear();
        DisplayR2B.clear();
        PosliNaDisplay(DisplayR1A, DisplayR2A);
        DisplayCas = Tools::Stamp();
        return;
    }
    // Pair A in even seconds, pair B in odd ones; the display is written only on a change.
    const bool pairB = static_cast<int64_t>(std::floor(e)) % 2 == 1;
    const std::string& line1 = pairB ? DisplayR1B : DisplayR1A;
    const std::string& line2 = pairB ? DisplayR2B : DisplayR2A;
    if (view_.DisplayLabel1() != line1 || view_.DisplayLabel2() != line2) {
        PosliNaDisplay(line1, line2);
    }
}

} // namespace QZ_SI
