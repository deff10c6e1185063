#pragma once

#include <cstdint>
#include <string>

// Who is logged in at the kiosk and for how long: logging in by SI card (the administrator's
// card included), the login texts, and the clock tick's blinking hints and 30-second
// auto-logout countdown. The main form drives it from its one-second timer and shows what it
// says; the login state itself is SISam_Typ::Prihlaseni.
namespace PrihlaseniLogic {

// The ID of the one runner with this card; -1 when none or several share it.
int32_t NajdiZavodnikaPodleCipu(int32_t card);

// Logs in with a card (> 0) or out (0 or less). siAdmin is SIAdmin of Pultra.inf. True when a
// runner was found: the main form then shows his category with his row highlighted.
bool Prihlas(int32_t card, int32_t siAdmin);
// The login button while logged in: logs "Log OUT" and logs out.
void Odhlas();

// The login information text ("\r" breaks the line) and the login button's caption.
std::string TextPrihlaseni(int druhZav);
std::string TextTlacitka();

// What the clock tick shows.
struct TZobrazeni {
    bool textViditelny = true;  // login information text
    bool hintViditelny = false; // "do not forget LOGOUT"
    bool barViditelny = false;  // auto-logout bar
    int bar = 0;                // its position, 0..Max
    bool odhlasit = false;      // the countdown ran out: act as a press of LOGOUT
};

class TOdpocet {
public:
    static constexpr int Max = 30;

    // Every press, scroll and request.
    void Reset() { bar_ = Max; }
    // A dialog is shown (nested dialogs count).
    void Dialog(bool zobrazen) {
        dialogu_ = zobrazen ? dialogu_ + 1 : (dialogu_ > 0 ? dialogu_ - 1 : 0);
    }
    bool Pozastaven() const { return dialogu_ > 0; }
    int Bar() const { return bar_; }

    // One second of the clock; sekunda is the second of the time of day (blinking).
    TZobrazeni Tick(int sekunda);

private:
    int bar_ = Max;
    int dialogu_ = 0;
};

} // namespace PrihlaseniLogic
