#pragma once

// The setup wizard's pages and buttons as a state machine, its texts, and the command line.

#include "FontPackage.h"

#include <filesystem>
#include <string>
#include <vector>

namespace typorin {

// ---- command line -----------------------------------------------------------------------------

enum class Command { Wizard, Extract, Silent, Help };

// The arguments joined by blanks, trimmed and upper-cased; only the last two characters count.
Command ParseCommandLine(const std::vector<std::string>& args);

inline constexpr const char* HelpTitle = "Glyvora Install";
inline constexpr const char* HelpText =
    "Command line options:\r\n\r\n/E -- Extract files\r\n/I -- Silent install";
inline constexpr const char* PackageErrorTitle = "Glyvora Error";
inline constexpr const char* PackageErrorText = "This Glyvora contains no fonts.";
inline constexpr const char* ProgramTitle = "Typorin";
inline constexpr const char* NoDisplayText =
    "Setup needs a display for its windows. Use /I to install without one, or /? for the "
    "command line options.";

// "/E": every file of the package but the .DAT ones, copied beside the program. False with
// the reason at the first file that cannot be copied.
bool ExtractFonts(const Package& package, const std::filesystem::path& appPath,
                  std::string& reason);

// ---- texts ------------------------------------------------------------------------------------

std::string WelcomeHeading(const std::string& title);
std::string SetupText(const std::string& title);
std::string InstallText(const std::string& title);
std::string ExitQuestion(const std::string& title);
inline constexpr const char* MustSelectText = "You must select at least one font to install.";

// ---- pages ------------------------------------------------------------------------------------

enum class Page { Welcome, License, Readme, InstallType, Custom, Installing, Finished };

class WizardFlow {
public:
    WizardFlow(bool license, bool readMe, size_t fonts);

    enum class Action { None, Install, Quit, MustSelect };
    Action Next();
    void Back();
    // Leaving by Cancel or the close box asks first, except on the Finished page.
    bool LeavingAsks() const { return page_ != Page::Finished; }
    void InstallDone(bool ok);

    void SetAgree(bool agree);
    void SetComplete(bool complete) { complete_ = complete; }
    void SetSelectAll(bool all);
    void SetFont(size_t i, bool checked);
    void SetLinks(bool links) { links_ = links; }

    Page page() const { return page_; }
    bool backEnabled() const { return back_; }
    bool nextEnabled() const { return next_; }
    bool cancelEnabled() const { return cancel_; }
    const std::string& nextCaption() const { return nextCaption_; }
    bool agree() const { return agree_; }
    bool complete() const { return complete_; }
    bool selectAll() const { return selectAll_; }
    bool links() const { return links_; }
    const std::vector<bool>& fonts() const { return fonts_; }

private:
    void Show(Page p);

    bool license_;
    bool readMe_;
    Page page_ = Page::Welcome;
    bool back_ = false;
    bool next_ = true;
    bool cancel_ = true;
    std::string nextCaption_ = "&Next >";
    bool agree_ = false;
    bool complete_ = true;
    bool selectAll_ = true;
    bool links_ = true;
    std::vector<bool> fonts_;
};

} // namespace typorin
