#pragma once

#include "platform/IniFile.h"

#include <cstdint>
#include <string>
#include <string_view>

// Small helpers every form and the SI code use: the settings file's name, window placement and
// fonts in it, time arithmetic, the SI stations' 12-hour clock, padding and hex text.
namespace Tools {

// Settings file of the running program (by SI_Typ::ProgramKind) in the current folder.
std::string IniFileName();

enum class WindowState { Normal, Minimized, Maximized };

struct FormPos {
    WindowState state = WindowState::Normal;
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
};

void SaveFormPos(platform::IniFile& ini, std::string_view section, const FormPos& pos);
void LoadFormPos(platform::IniFile& ini, std::string_view section, FormPos& pos);

enum class FontPitch { Default, Variable, Fixed };

struct FontSpec {
    int64_t color = 0; // 0x00BBGGRR as Windows keeps colours
    std::string name = "Arial";
    FontPitch pitch = FontPitch::Default;
    int size = 10;
    int charSet = 1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// False when the settings file could not be written (its LastError says why).
bool SaveFont(platform::IniFile& ini, std::string_view section, const FontSpec& font);
void LoadFont(platform::IniFile& ini, std::string_view section, FontSpec& font);
bool SaveFontN(platform::IniFile& ini, int n, const FontSpec& font);
void LoadFontN(platform::IniFile& ini, int n, FontSpec& font);

// Passes a file operation's result code on (0 = success); kept so every file step reads alike.
int CheckIO(int code, std::string_view fileName);

// A point in time for intervals: monotonic milliseconds.
int64_t Stamp();
// Seconds from t1 to t2 (stamps from Stamp()); never confused by midnight.
double TimeDiffSec(int64_t t1, int64_t t2);
// Busy-waits n milliseconds without processing window messages; always ends.
void WaitMs(int n);

// Station time (seconds on the station's 12-hour clock) as race time in minutes.seconds form
// relative to the zero time `reference` (hh.mm).
float SiTimeToMinSec(int64_t stationSeconds, double reference);
float SiTimeToMinSecMs(int64_t stationSeconds, int subSecond, double reference);
int MakeWord16(int hi, int lo);
std::string SecsToHMS(int hi, int lo);

// The text without blanks and control characters at either end (as Delphi-era files pad them).
std::string_view Trim(std::string_view s);
// Fill to at least n characters; a longer text is not cut.
std::string PadLeft(std::string_view s, size_t n, char ch);
std::string PadRight(std::string_view s, size_t n, char ch);
char HexDigit(int v);
std::string ByteToHex(uint8_t b);
bool SameBytes(const uint8_t* a, const uint8_t* b, size_t n);
bool BitsSet(uint32_t value, uint32_t mask);
std::string WindowsVersionText();

// Race number, at least 4 digits with leading zeros.
std::string RaceNumberText();
std::string StageText();
// The results program's folder of the current race (no trailing '/').
std::string RavlinRacePath();
std::string RaceNameText();
std::string PrintSubdir();

// Runs a timer handler unless it is already running further up the stack (a modal dialog it
// opened runs the event loop, and with it the timers): false when this call must not run.
class TJednou {
public:
    explicit TJednou(bool& bezi) : bezi_(bezi), volno_(!bezi) { bezi_ = true; }
    ~TJednou() {
        if (volno_) {
            bezi_ = false;
        }
    }
    TJednou(const TJednou&) = delete;
    TJednou& operator=(const TJednou&) = delete;
    explicit operator bool() const { return volno_; }

private:
    bool& bezi_;
    bool volno_;
};

} // namespace Tools
