#pragma once

// What the race and source settings dialog decides, apart from the window: the fields it
// shows, the checks on OK with their messages, what OK applies and writes and in which order,
// and which fields the results-program link takes away from the user.

#include "Dialogs.h"
#include "VstupniSoubor.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace MNastav {

inline constexpr const char* Sekce = "fQZ_Mez";
inline constexpr size_t PocetRadku = 8;

// What applying asks of the main form; an empty function does nothing.
struct TNapojeni {
    // TimerNacitani: runs with this interval in ms; 0 stops it.
    std::function<void(int32_t ms)> TimerNacitani;
    // The category windows' rotation interval was stored.
    std::function<void()> NastavIntervalDivak;
    // The race or stage changed: Kateg.ini is opened anew and the competitors are reloaded.
    std::function<void(bool reload)> ZmenaZavodu;
    // The event grid is laid out again (after every OK, whether the checks passed or not).
    std::function<void()> PrekresliMrizku;
};

// One source row: the check box and the edit.
struct TRadek {
    bool zapnut = false;
    std::string soubor;
};

// The dialog's fields as the user sees them.
struct TPole {
    std::string cisloZavodu;
    std::string etapa;
    std::string start00; // "hh:mm"
    std::string maxPoradi;
    std::string maxVHlavnimOkne;
    std::string intervalNacitani;
    std::array<std::string, 4> cisloStartu;
    bool branka = false;
    std::string cisloSberky;
    std::string intervalDivak;
    std::string pocetRadDivak;
    std::string pocetSloupcuDivak;
    bool desetiny = false;
    int druhZavodu = 0; // index of the selected race kind; -1 none
    // [0] the competitor source (checkFile1), [1]..[7] source entries 2..8.
    std::array<TRadek, PocetRadku> radky;
};

// What a row shows and allows.
struct TStavRadku {
    bool povolen = true;        // edit and check box
    bool editVidet = false;     // the edit
    bool tlacitkoVidet = false; // the picker button
};

// The picker of a row.
struct TVyber {
    bool slozka = false; // a folder chooser, else the open-file dialog
    std::string filtr;
    std::string titulek;
};

// Caption and hint of one control, by the control's name.
struct TPopisek {
    std::string jmeno;
    std::string text;
    std::string hint;
};

// The zero time hh.mm as the field shows it: 10.3 as "10:30", 9.05 as " 9:05".
std::string TextStart00(double start00);
// The zero time field as hh.mm: hours and minutes read as whole numbers (leading blanks before
// the hours allowed), 0..23 and 0..59; nothing otherwise.
std::optional<double> CtiStart00(std::string_view text);

// Captions and hints in the current language, the three race kinds, the window's caption.
std::vector<TPopisek> Popisky();
std::vector<std::string> DruhyZavodu();
std::string Titulek();
TVyber VyberRadku(size_t radek);

class TMNastavLogic {
public:
    TMNastavLogic(platform::IniFile& ini, TVstupniSoubory& zdroje, Dialogs::IMessages& zpravy,
                  TNapojeni napojeni = {});

    // FormActivate: the fields from the settings and the sources, then the link's rule.
    void FormActivate();
    // Checks every field, each failing one with its error box; applies and writes only when
    // all passed. False: the dialog stays open.
    bool BitBtnOkClick();
    void BitBtnCancelClick() { muzeZavrit_ = true; }
    // FormClose: false refuses the close.
    bool MuzeZavrit() const { return muzeZavrit_; }
    // The link's rule: which fields the results program takes away.
    void NastavViditelnostDleRavlin();
    // The check box of a row was clicked.
    void CheckClick(size_t radek, bool zapnut);

    TPole pole;
    // The six race fields (zero time, race, stage, last control, tenths, race kind).
    bool zavodPovolen = true;
    std::array<TStavRadku, PocetRadku> radky;

private:
    TVstupniSoubor& Zdroj(size_t radek);
    bool Kontroly();
    void Pouzij();
    // The rows' take-over switches (none for entry 2).
    bool Prevzato(size_t radek) const;

    platform::IniFile& ini_;
    TVstupniSoubory& zdroje_;
    Dialogs::IMessages& zpravy_;
    TNapojeni napojeni_;
    bool muzeZavrit_ = true;
};

} // namespace MNastav
