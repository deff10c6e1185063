#pragma once

#include "KomentTools.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The main window's decisions, free of widgets: its settings in section "fQZ_Mez" of
// Hlasvel.ini, the display switches the processing needs before the first competitor load,
// the menu captions, the status texts, the timed message and the timer intervals.
namespace KomentHlavni {

// Zero time hh.mm from its stored text: a text that does not convert is tried once more with
// ',' and '.' swapped; what still does not convert gives 0.
double PrevedStart00(std::string_view text);

// The 18 keys of section "fQZ_Mez" into SI_Typ (language, race, stage) and Koment::Nastaveni.
void NactiNastaveni(platform::IniFile& ini);
// The seven display switches (section "Nastaveni") and K31..K255 (section "ZobrazitKontroly").
void NactiZobrazeni(platform::IniFile& ini, Koment::TNastaveni& n);
// What the form stores when it closes: race and stage.
void UlozPriZavreni(platform::IniFile& ini);
// Stores Language after a language item was chosen.
void UlozJazyk(platform::IniFile& ini, int16_t language);

// Menu items by object name with their Czech and English captions; `check` marks the items
// that carry a check mark.
struct TPolozka {
    const char* jmeno;
    const char* cesky;
    const char* anglicky;
    bool check = false;
};
inline constexpr int PocetPolozek = 18;
extern const std::array<TPolozka, PocetPolozek> Menu;
std::string Popisek(const TPolozka& p);

// Texts of the status labels and the caption.
std::string TextZavodu();                                // LabelZavod
std::string TextVCili(int32_t vCili, int32_t zavodniku); // InfoVCili
std::string NazevProgramu();                             // the caption at start
// The caption after a race change: the race name from Hlasvel.inf, or the program's name when
// there is none (a window without a caption cannot be told apart in the task bar).
std::string Titulek();

// The timed message: shown until the 51st tick of the 200 ms timer after it was set.
class TCasovanaZprava {
public:
    void Nastav(std::string text) {
        text_ = std::move(text);
        tiku_ = 0;
    }
    void Tik() {
        if (++tiku_ > 50) {
            text_.clear();
        }
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
    int tiku_ = 0;
};

// Interval of the competitor reload timer in ms; 0 = the timer stays off.
int IntervalNacitaniMs(const Koment::TNastaveni& n);
// Interval of the rotation timer in ms; 0 = off.
int IntervalDivakMs(const Koment::TNastaveni& n);

// Creates the race's data folder (a failure is left to later file operations to report).
void VytvorSlozkuZavodu();

} // namespace KomentHlavni
