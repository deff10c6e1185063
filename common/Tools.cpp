#include "Tools.h"

#include "SI_Typ.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace Tools {

std::string IniFileName() {
    const char* name = "QZ_SI.ini";
    switch (SI_Typ::ProgramKind) {
    case SI_Typ::KindCommentator:
        name = "Hlasvel.ini";
        break;
    case SI_Typ::KindSelfService:
        name = "Pultra.ini";
        break;
    case SI_Typ::KindCanteen:
        name = "Menzor.ini";
        break;
    default:
        break;
    }
    const std::filesystem::path cwd = platform::CurrentDir();
    // A file copied over from Windows may be spelt in another case; use it rather than start
    // a second one beside it.
    if (auto existing = platform::FindNoCase(cwd, name)) {
        return existing->string();
    }
    return (cwd / name).string();
}

void SaveFormPos(platform::IniFile& ini, std::string_view section, const FormPos& pos) {
    switch (pos.state) {
    case WindowState::Normal:
        ini.WriteInteger(section, "Top", pos.top);
        ini.WriteInteger(section, "Left", pos.left);
        ini.WriteInteger(section, "Width", pos.width);
        ini.WriteInteger(section, "Height", pos.height);
        ini.WriteInteger(section, "Status", 1);
        break;
    case WindowState::Maximized:
        ini.WriteInteger(section, "Status", 3);
        break;
    case WindowState::Minimized:
        // Only the state: the next start shows the last normal placement stored.
        ini.WriteInteger(section, "Status", 1);
        break;
    }
}

void LoadFormPos(platform::IniFile& ini, std::string_view section, FormPos& pos) {
    const int64_t status = ini.ReadInteger(section, "Status", 0);
    if (status == 0) {
        return;
    }
    pos.top = static_cast<int>(ini.ReadInteger(section, "Top", pos.top));
    pos.left = static_cast<int>(ini.ReadInteger(section, "Left", pos.left));
    pos.width = static_cast<int>(ini.ReadInteger(section, "Width", pos.width));
    pos.height = static_cast<int>(ini.ReadInteger(section, "Height", pos.height));
    if (status == 1) {
        pos.state = WindowState::Normal;
    } else if (status == 3) {
        pos.state = WindowState::Maximized;
    }
}

namespace {
constexpr const char* kPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
} // namespace

bool SaveFont(platform::IniFile& ini, std::string_view section, const FontSpec& font) {
    std::string style;
    if (font.bold) {
        style += "fsBold,";
    }
    if (font.italic) {
        style += "fsItalic,";
    }
    if (font.underline) {
        style += "fsUnderline,";
    }
    if (font.strikeOut) {
        style += "fsStrikeOut,";
    }
    return ini.WriteInteger(section, "Color", font.color) &&
           ini.WriteString(section, "Name", font.name) &&
           ini.WriteString(section, "Pitch", kPitchNames[static_cast<int>(font.pitch)]) &&
           ini.WriteInteger(section, "Size", font.size) &&
           ini.WriteInteger(section, "CharSer", font.charSet) &&
           ini.WriteString(section, "Style", style);
}

void LoadFont(platform::IniFile& ini, std::string_view section, FontSpec& font) {
    font.color = ini.ReadInteger(section, "Color", font.color);
    font.name = ini.ReadString(section, "Name", font.name);
    const std::string pitch = ini.ReadString(section, "Pitch", "fpDefault");
    for (int i = 0; i < 3; ++i) {
        if (pitch == kPitchNames[i]) {
            font.pitch = static_cast<FontPitch>(i);
        }
    }
    font.size = static_cast<int>(ini.ReadInteger(section, "Size", font.size));
    font.charSet = static_cast<int>(ini.ReadInteger(section, "CharSer", font.charSet));
    const std::string style = ini.ReadString(section, "Style", "");
    // Styles are only added: a font that is already bold stays bold.
    font.bold = font.bold || style.find("fsBold") != std::string::npos;
    font.italic = font.italic || style.find("fsItalic") != std::string::npos;
    font.underline = font.underline || style.find("fsUnderline") != std::string::npos;
    font.strikeOut = font.strikeOut || style.find("fsStrikeOut") != std::string::npos;
}

bool SaveFontN(platform::IniFile& ini, int n, const FontSpec& font) {
    return SaveFont(ini, "Font" + std::to_string(n), font);
}

void LoadFontN(platform::IniFile& ini, int n, FontSpec& font) {
    LoadFont(ini, "Font" + std::to_string(n), font);
}

int CheckIO(int code, std::string_view /*fileName*/) {
    return code;
}

int64_t Stamp() {
    return platform::GetClock().MonotonicMs();
}

double TimeDiffSec(int64_t t1, int64_t t2) {
    return static_cast<double>(t2 - t1) / 1000.0;
}

void WaitMs(int n) {
    platform::Clock& clock = platform::GetClock();
    const int64_t start = clock.MonotonicMs();
    while (TimeDiffSec(start, clock.MonotonicMs()) < n / 1000.0) {
        clock.Pause();
    }
}

float SiTimeToMinSec(int64_t stationSeconds, double reference) {
    // The zero time comes unchecked from settings files: a value no clock shows is kept within
    // bounds the arithmetic below cannot overflow (and one that is no number counts as 0).
    constexpr double kMaxHours = 1e6;
    if (!std::isfinite(reference)) {
        reference = 0;
    }
    reference = std::clamp(reference, -kMaxHours, kMaxHours);
    const float ref = static_cast<float>(reference);
    const auto hours = static_cast<int64_t>(std::trunc(ref));
    const auto minutes = static_cast<int64_t>(std::lround((ref - static_cast<float>(hours)) * 100));
    const int64_t referenceSeconds = (hours * 60 + minutes) * 60;
    // Whole 12-hour turns of the station's clock until the time is at most an hour before the
    // zero time, counted at once rather than one by one.
    constexpr int64_t kTurn = 43200;
    const int64_t earliest = referenceSeconds - 3600;
    if (stationSeconds < earliest) {
        stationSeconds += (earliest - stationSeconds + kTurn - 1) / kTurn * kTurn;
    }
    const int64_t d = stationSeconds - referenceSeconds;
    // Whole minutes, then the seconds as the two decimals.
    // NOLINTNEXTLINE(bugprone-integer-division)
    return static_cast<float>(d / 60) + static_cast<float>(d % 60) / 100.0F;
}

float SiTimeToMinSecMs(int64_t stationSeconds, int subSecond, double reference) {
    // The station's sub-second byte adds the third decimal.
    // NOLINTNEXTLINE(bugprone-integer-division)
    return SiTimeToMinSec(stationSeconds, reference) + static_cast<float>(subSecond / 2) / 1000.0F;
}

int MakeWord16(int hi, int lo) {
    return (hi * 256 + lo) & 0xFFFF;
}

std::string SecsToHMS(int hi, int lo) {
    const int s = MakeWord16(hi, lo);
    return PadLeft(std::to_string(s / 3600), 2, '0') + ":" +
           PadLeft(std::to_string(s / 60 % 60), 2, '0') + ":" +
           PadLeft(std::to_string(s % 60), 2, '0');
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') {
        s.remove_suffix(1);
    }
    return s;
}

std::string PadLeft(std::string_view s, size_t n, char ch) {
    const size_t len = platform::Utf8Length(s);
    return len >= n ? std::string(s) : std::string(n - len, ch) + std::string(s);
}

std::string PadRight(std::string_view s, size_t n, char ch) {
    const size_t len = platform::Utf8Length(s);
    return len >= n ? std::string(s) : std::string(s) + std::string(n - len, ch);
}

char HexDigit(int v) {
    return static_cast<char>(v < 10 ? '0' + v : 'A' + (v - 10));
}

std::string ByteToHex(uint8_t b) {
    return {HexDigit(b >> 4), HexDigit(b & 0x0F)};
}

bool SameBytes(const uint8_t* a, const uint8_t* b, size_t n) {
    return std::memcmp(a, b, n) == 0;
}

bool BitsSet(uint32_t value, uint32_t mask) {
    return (value & mask) == mask;
}

// The version names Windows families; on this system there is none to name.
std::string WindowsVersionText() {
    return "?";
}

std::string RaceNumberText() {
    return PadLeft(std::to_string(SI_Typ::Zavod), 4, '0');
}

std::string StageText() {
    return std::to_string(SI_Typ::Etapa);
}

std::string RavlinRacePath() {
    const std::filesystem::path path = std::filesystem::path(SI_Typ::CestaRavlin) /
                                       ("Zav_" + SI_Typ::RavlinInf.Rok) / ("ZZ" + RaceNumberText());
    return platform::ResolveNoCase(path).string();
}

std::string RaceNameText() {
    return SI_Typ::PodleRavlinOn() ? SI_Typ::RavlinInf.Nazev : "";
}

std::string PrintSubdir() {
    return "print/";
}

} // namespace Tools
