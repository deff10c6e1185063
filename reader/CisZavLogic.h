#pragma once

// What the race settings dialog decides, apart from the window: the values it shows, the folder
// of the results program with the switch that takes the race from its Ravlin.inf, the checks on
// OK with their messages, and what OK stores.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace CisZav {

inline constexpr int PocetPortu = 18;

// The dialog's fields as the user sees them.
struct TPole {
    std::string cisZav;        // VstupCisZav
    std::string etapa;         // txtEtapa
    std::string start00;       // txtStart00, "hh:mm"
    std::string comProDisplay; // txtComProDisplay
    bool podleRavlin = false;  // CheckBoxRavlin
    std::string cestaRavlin;   // the folder chosen for the results program
    // [n]: port n is enabled for SI stations; [0] is unused.
    std::array<bool, PocetPortu + 1> povolen{};
};

// The race of a Ravlin.inf as it stands in the file, wider than the globals so that a number
// too large for them is refused rather than wrapped.
struct TZavodRavlin {
    long long zavod = 0;
    long long etapa = 0;
    double start00 = 0;
};

// The race of the Ravlin.inf in the folder (found without regard to the letter case of its
// name); nothing when the folder or the file is missing. Missing keys read as 0.
std::optional<TZavodRavlin> CtiZavodRavlin(const std::string& folder);

// The zero time hh.mm as the field shows it: 10.00 as "10:00", 9.3 as " 9:30".
std::string TextStart00(double start00);
// The zero time field read back as hh.mm; nothing when it is no valid time of day.
std::optional<double> CtiStart00(std::string_view text);

class TCisZavLogic {
public:
    // FormActivate: the fields from the race globals and the ports, then the switch applied.
    void FormActivate();
    // The switch "Nastavit dle programu Ravlin": when it is on, the race, stage and zero time
    // of the Ravlin.inf in the chosen folder replace those shown.
    void CheckBoxRavlinClick(bool checked);
    // The folder chooser moved to another folder; with the switch on its Ravlin.inf is shown.
    void ZvolSlozku(const std::string& folder);
    // Runs every check, each failing one with its error box; stores only when all passed.
    // False: the dialog stays open. A settings file that cannot be written gets its own error
    // box; the values take effect for this run all the same.
    bool BitBtnOkClick();

    // The results program's folder and its file are shown only with the switch on; the race,
    // stage and zero time can be edited only with it off.
    bool SlozkaViditelna() const { return pole.podleRavlin; }
    bool ZavodEditovatelny() const { return !pole.podleRavlin; }

    TPole pole;

private:
    void ShowValues(const std::string& cisZav, const std::string& etapa, double start00);
    void UkazRavlin();
    void Uloz(int zavod, int etapa, int comProDisplay, double start00);
};

} // namespace CisZav
