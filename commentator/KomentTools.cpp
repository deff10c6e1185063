#include "KomentTools.h"

#include "SI_Typ.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Koment {

TNastaveni Nastaveni;
TRavlinNastaveni RavlinNastaveni;

void ResetNastaveni() {
    Nastaveni = TNastaveni{};
    RavlinNastaveni = TRavlinNastaveni{};
}

bool TNastaveni::JeCisloStartu() const {
    for (int32_t c : CisloStartu) {
        if (c != 0) {
            return true;
        }
    }
    return false;
}

void NactiInfoTab(platform::IniFile& ini, TNastaveni& n) {
    n.VytvaretInfoTab = ini.ReadInteger("InfoTabule", "VytvaretInfoTab", 0) != 0;
    n.CestaInfoTab = ini.ReadString("InfoTabule", "CestaInfoTab", "");
    n.SouborInfoTab = ini.ReadString("InfoTabule", "SouborInfoTab", "InfoTab.txt");
}

bool UlozInfoTab(platform::IniFile& ini, const TNastaveni& n) {
    return ini.WriteInteger("InfoTabule", "VytvaretInfoTab", n.VytvaretInfoTab ? 1 : 0) &&
           ini.WriteString("InfoTabule", "CestaInfoTab", n.CestaInfoTab) &&
           ini.WriteString("InfoTabule", "SouborInfoTab", n.SouborInfoTab);
}

bool RavlinInfNacten() {
    return RavlinNastaveni.PodleRavlin && RavlinNastaveni.InfNacten;
}

namespace {

std::string RavlinFolder() {
    const std::string_view path = Tools::Trim(RavlinNastaveni.PathRavlin);
    if (path.empty()) {
        return {};
    }
    return platform::WithTrailingSlash(platform::FromWindowsPath(path).string());
}

} // namespace

std::string KomentCsvPath(int kind) {
    if (kind != 1 && kind != 2) {
        return {};
    }
    const std::string race = Tools::RaceNumberText();
    return RavlinFolder() + "Z" + race + "/KOMENT/" + (kind == 1 ? "Cil" : "Dis") + race +
           Tools::StageText() + ".csv";
}

std::string KategIniFileName() {
    return SI_Typ::RaceDataKomPath() + "Kateg.ini";
}

std::string NazevZavodu() {
    return RavlinInfNacten() ? RavlinNastaveni.Nazev : std::string();
}

std::string PrintFolder() {
    return "print/";
}

std::string SlozkaRavlinZavodu(std::string_view sub) {
    const std::string base = RavlinFolder();
    // "Z0000/.." would only resolve on Linux when Z0000 exists.
    if (sub == "..") {
        return base;
    }
    return base + "Z" + Tools::PadLeft(std::to_string(RavlinNastaveni.Zavod), 4, '0') + "/" +
           std::string(sub) + "/";
}

std::string InfoTabFileName(const TNastaveni& n) {
    const std::string_view folder = Tools::Trim(n.CestaInfoTab);
    if (folder.empty()) {
        return n.SouborInfoTab;
    }
    return platform::WithTrailingSlash(platform::FromWindowsPath(folder).string()) +
           n.SouborInfoTab;
}

void SaveFormPos(platform::IniFile& ini, std::string_view section, const Tools::FormPos& pos) {
    int status = 0;
    if (pos.state == Tools::WindowState::Minimized) {
        status = 1;
    } else if (pos.state == Tools::WindowState::Maximized) {
        status = 2;
    }
    ini.WriteInteger(section, "Status", status);
    ini.WriteInteger(section, "Top", pos.top);
    ini.WriteInteger(section, "Left", pos.left);
    ini.WriteInteger(section, "Width", pos.width);
    ini.WriteInteger(section, "Height", pos.height);
}

void LoadFormPos(platform::IniFile& ini, std::string_view section, Tools::FormPos& pos) {
    const int64_t current = pos.state == Tools::WindowState::Minimized   ? 1
                            : pos.state == Tools::WindowState::Maximized ? 2
                                                                         : 0;
    switch (ini.ReadInteger(section, "Status", current)) {
    case 0:
        pos.state = Tools::WindowState::Normal;
        break;
    case 1:
        pos.state = Tools::WindowState::Minimized;
        break;
    case 2:
        pos.state = Tools::WindowState::Maximized;
        break;
    default:
        break;
    }
    pos.top = static_cast<int>(ini.ReadInteger(section, "Top", pos.top));
    pos.left = static_cast<int>(ini.ReadInteger(section, "Left", pos.left));
    pos.width = static_cast<int>(ini.ReadInteger(section, "Width", pos.width));
    pos.height = static_cast<int>(ini.ReadInteger(section, "Height", pos.height));
}

// Values far beyond any race time would overflow the millisecond count; they are clamped so
// that arithmetic stays defined (the record reader refuses them before they get here).
constexpr double kMaxMinut = 1e9;

int64_t MsZCasu(double mss) {
    if (!(mss > -kMaxMinut)) {
        return mss != mss ? 0 : static_cast<int64_t>(-kMaxMinut) * 60000; // NaN, -inf
    }
    if (mss > kMaxMinut) {
        return static_cast<int64_t>(kMaxMinut) * 60000;
    }
    // Integer truncation and rounding half to even by hand: places compare thousands of these
    // a second, and the library calls cost more than the rest.
    const int64_t minutes = static_cast<int64_t>(mss);
    const double x = (mss - static_cast<double>(minutes)) * 100000.0;
    int64_t ms = static_cast<int64_t>(x);
    const double f = x - static_cast<double>(ms);
    if (f > 0.5 || (f == 0.5 && (ms & 1) != 0)) {
        ++ms;
    } else if (f < -0.5 || (f == -0.5 && (ms & 1) != 0)) {
        --ms;
    }
    return minutes * 60000 + ms;
}

double CasZMs(int64_t ms) {
    const int64_t minutes = ms / 60000;
    const int64_t rest = ms % 60000;
    return static_cast<double>(minutes) + static_cast<double>(rest) / 100000.0;
}

double RozdilCasu(double a, double b) {
    return CasZMs(MsZCasu(a) - MsZCasu(b));
}

double SoucetCasu(double a, double b) {
    return CasZMs(MsZCasu(a) + MsZCasu(b));
}

int64_t OrizniMs(double mss, bool desetiny) {
    const int64_t step = desetiny ? 100 : 1000;
    return MsZCasu(mss) / step * step;
}

double OrizniCas(double t) {
    return CasZMs(OrizniMs(t, Nastaveni.Desetiny));
}

int64_t SekundyStart00(double start00) {
    if (!std::isfinite(start00) || start00 < 0 || start00 >= 100) {
        start00 = 0; // no hh.mm at all; keeps the conversion defined
    }
    const double hours = std::trunc(start00);
    return (static_cast<int64_t>(hours) * 60 +
            static_cast<int64_t>(std::nearbyint((start00 - hours) * 100.0))) *
           60;
}

int64_t MsOdStartu(int64_t msOfDay) {
    const int64_t s0 = SekundyStart00(Nastaveni.Start00) * 1000;
    constexpr int64_t kOkraj = 10800 * 1000; // three hours
    constexpr int64_t kPulDne = 43200 * 1000;
    if (s0 - kOkraj > msOfDay) {
        // As many twelve-hour steps as bring the time within the margin.
        msOfDay += (s0 - kOkraj - msOfDay + kPulDne - 1) / kPulDne * kPulDne;
    }
    return msOfDay - s0;
}

double CasOdStartu(int64_t secondsOfDay) {
    secondsOfDay = std::clamp<int64_t>(secondsOfDay, -1'000'000'000, 1'000'000'000);
    return CasZMs(MsOdStartu(secondsOfDay * 1000));
}

namespace {

// A whole number of digits only (blanks around are allowed), at most `max`.
std::optional<int64_t> CeleCislo(std::string_view s, int64_t max) {
    s = Tools::Trim(s);
    if (s.empty() || s.size() > 9) {
        return std::nullopt;
    }
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    if (v > max) {
        return std::nullopt;
    }
    return v;
}

} // namespace

std::optional<double> CasZRetezce(std::string_view text) {
    const size_t c1 = text.find(':');
    if (c1 == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t c2 = text.find(':', c1 + 1);
    if (c2 == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view rest = text.substr(c2 + 1);
    size_t sep = rest.find(',');
    if (sep == std::string_view::npos) {
        sep = rest.find('.');
    }
    const auto h = CeleCislo(text.substr(0, c1), 99);
    const auto m = CeleCislo(text.substr(c1 + 1, c2 - c1 - 1), 59);
    const auto s = CeleCislo(rest.substr(0, sep), 59);
    int64_t fraction = 0; // ten-thousandths of a second
    if (sep != std::string_view::npos) {
        std::string digits(rest.substr(sep + 1, 4));
        while (digits.size() < 4) {
            digits += '0';
        }
        const auto f = CeleCislo(digits, 9999);
        if (!f) {
            return std::nullopt;
        }
        fraction = *f;
    }
    if (!h || !m || !s) {
        return std::nullopt;
    }
    // Ten-thousandths to milliseconds, half to even as the m.ss conversion rounds.
    int64_t ms = fraction / 10;
    const int64_t rem = fraction % 10;
    if (rem > 5 || (rem == 5 && ms % 2 == 1)) {
        ++ms;
    }
    return CasZMs(MsOdStartu((*h * 3600 + *m * 60 + *s) * 1000 + ms));
}

int64_t CasNaDatum(double t) {
    const int64_t ms = MsZCasu(t);
    const int64_t minutes = ms / 60000;
    // Seconds rounded as the m.ss fraction is, half away from zero.
    const int64_t rest = ms % 60000;
    const int64_t seconds = rest >= 0 ? (rest + 500) / 1000 : (rest - 500) / 1000;
    return SekundyStart00(Nastaveni.Start00) + minutes * 60 + seconds;
}

double RozdilSekund(const platform::WallTime& t1, const platform::WallTime& t2) {
    auto sec = [](const platform::WallTime& t) {
        return t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
    };
    return sec(t2) - sec(t1);
}

std::string ResultStatusText(int code, int width, bool lower) {
    std::string text;
    switch (code) {
    case 1:
        text = SI_Typ::LangText("DISK", "DISQ");
        break;
    case 2:
        text = SI_Typ::LangText("VZDAL", "DNF");
        break;
    case 3:
        text = SI_Typ::LangText("ABS", "DNS");
        break;
    case 7:
        text = SI_Typ::LangText("LIMIT", "OVRT");
        break;
    default:
        text = "O.K.";
        break;
    }
    if (width > 0) {
        text = Tools::PadLeft(text, static_cast<size_t>(width), ' ');
    }
    if (lower) {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
    }
    return text;
}

std::string CasText(int status, bool tenths, int digits, double t) {
    if (!std::isfinite(t)) {
        t = 0;
    }
    t = std::fmax(-kMaxMinut, std::fmin(kMaxMinut, t));
    const bool negative = t < 0;
    t = std::fabs(t);
    char buf[64];
    std::string text;
    if (tenths) {
        std::snprintf(buf, sizeof buf, "%13.6f", t);
        const std::string field = buf;
        text = field.substr(0, 9) + "," + field.substr(9, static_cast<size_t>(std::max(digits, 1)));
    } else {
        // Whole hundredths printed with two decimals, as "%5.2f" prints them, without the
        // formatter (every info-board line shows a loss).
        const int64_t v = static_cast<int64_t>(std::trunc((t + 0.0001) * 100.0));
        const std::string hundredths = std::to_string(v % 100);
        text = Tools::PadLeft(std::to_string(v / 100) + (v % 100 < 10 ? ".0" : ".") + hundredths, 5,
                              ' ');
    }
    if (status != 0) {
        return text + " " + ResultStatusText(status);
    }
    return negative ? "-" + text : text;
}

std::string TextChyb(const std::vector<std::string>& chyby) {
    std::string text;
    int count = 0;
    for (const std::string& c : chyby) {
        if (c.empty() || count == 7) {
            continue;
        }
        text += " !! " + c;
        ++count;
    }
    return text.empty() ? text : "!! " + text;
}

bool JeStartovniRazeni(int32_t kod, int druh) {
    if (druh == 4 || druh == 5) {
        return true;
    }
    if (!Nastaveni.JeCisloStartu() || kod < 1 || kod > 30) {
        return false;
    }
    for (int32_t c : Nastaveni.CisloStartu) {
        if (c == kod) {
            return true;
        }
    }
    return false;
}

} // namespace Koment
