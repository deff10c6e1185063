#pragma once

// What Cardvane's main window decides, apart from the window: the race settings read at start
// and taken over from Ravlin.inf, the texts of its labels, and what the display station shows
// (texts of the ports, Display.txt from the results program, the waiting text).

#include "SI_Port.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace QZ_SI {

// The main window's section of QZ_SI.ini.
inline constexpr const char* Sekce = "fQZ_SI";

// Where the results program lives when the settings do not say: the folder "Qz" beside the
// current one.
std::string VychoziCestaRavlin();

// Reads Language, Zavod, Etapa, ComProDisplay, Start00, PodleRavlin and CestaRavlin of the main
// section into the race globals.
void NactiNastaveni(platform::IniFile& ini);

// Takes race number, stage and zero time over from Ravlin.inf and writes those that changed
// into the settings file. Nothing is taken when one of them is missing or out of range, or when
// the file keeps changing while it is read (the results program is still writing it): the
// current values stay. Returns why nothing was taken, empty when all went well or there is no
// Ravlin.inf.
std::string UlozDleRavlin(platform::IniFile& ini);

// The start-up rule: with PodleRavlin on but no Ravlin.inf, PodleRavlin is off for this run
// (the settings file keeps it on); otherwise UlozDleRavlin. Returns what UlozDleRavlin says.
std::string PrevezmiZavodPriStartu(platform::IniFile& ini);

// What the close writes of the race; false when the settings file cannot be written.
bool UlozPriZavreni(platform::IniFile& ini);

// Label and caption texts.
std::string ZavodText(); // "Závod 0012 / E1"
std::string Titulek();
std::string TextDetekce(int com);

// The display-station texts follow Ravlin.inf's language, not the program's.
bool DisplayAnglicky();
// What the display station shows while the program is closed.
std::pair<std::string, std::string> TextyMimoProvoz();

// The display texts in both languages; the language of Ravlin.inf picks one set. Starts the
// 20 s of the waiting rule again.
void NastavDisplay(const std::string& cz1a, const std::string& cz1b, const std::string& cz2a,
                   const std::string& cz2b, const std::string& en1a, const std::string& en1b,
                   const std::string& en2a, const std::string& en2b);
// For the ports: their texts do not alternate, so both pairs get the same lines.
TDisplayHook PortDisplayHook();

struct TDisplayTexty {
    std::string r1a;
    std::string r1b;
    std::string r2a;
    std::string r2b;
    bool operator==(const TDisplayTexty&) const = default;
};

// The two lines of Display.txt (UTF-8) as the A and B texts.
TDisplayTexty RozdelDisplayTxt(std::string_view text);

// The display labels of the main window.
class IDisplayView {
public:
    virtual ~IDisplayView() = default;
    virtual void SetDisplayLabelsVisible(bool visible) = 0;
    virtual void SetDisplayLabels(const std::string& line1, const std::string& line2) = 0;
    virtual std::string DisplayLabel1() const = 0;
    virtual std::string DisplayLabel2() const = 0;
};

// Drives the display station and its labels from the 200 ms timer.
class TDisplay {
public:
    using Remover = std::function<bool(const std::filesystem::path& file, std::string& error)>;

    explicit TDisplay(IDisplayView& view);

    // The display port, none while the program has none.
    void SetPort(TSIPort* port) { port_ = port; }
    // Display.txt that cannot be deleted is reported here (the main window shows it).
    void SetProblemReport(std::function<void(const std::string&)> report) {
        report_ = std::move(report);
    }
    // Tests put in a remover that fails; the default deletes the file.
    void SetRemover(Remover remover) { remove_ = std::move(remover); }

    void ZobrazDisplay();
    void PosliNaDisplay(const std::string& line1, const std::string& line2);
    // Display.txt in the race folder of the results program, when it is complete: taken, then
    // deleted. A file that cannot be deleted is shown once and then left alone until it
    // changes.
    std::optional<TDisplayTexty> NactiDisplayTxt();

private:
    struct Look {
        std::filesystem::path file;
        uintmax_t size = 0;
        std::filesystem::file_time_type mtime{};
        bool operator==(const Look&) const = default;
    };
    static std::optional<Look> LookAt(const std::filesystem::path& file);

    IDisplayView& view_;
    TSIPort* port_ = nullptr;
    platform::StableFileCheck stable_;
    std::optional<Look> stuck_;
    Remover remove_;
    std::function<void(const std::string&)> report_;
};

} // namespace QZ_SI
