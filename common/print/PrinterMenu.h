#pragma once

#include "PrintBackend.h"
#include "platform/IniFile.h"

#include <string>
#include <vector>

// The main window's printer menu: items "Tiskárna &0" .. "Tiskárna &5", each naming the
// printer its setting prints on, and the printer set-up each item runs.
namespace printing {

inline constexpr int PocetTiskaren = 6;

// " = " + the printer setting n prints on; empty when the system has no printer or the
// setting asks for the default printer.
std::string PrinterMenuSuffix(platform::IniFile& ini, const std::vector<std::string>& printers,
                              int n);
// "Tiskárna &" + n + PrinterMenuSuffix.
std::string PrinterMenuCaption(platform::IniFile& ini, const std::vector<std::string>& printers,
                               int n);

// The captions of all six items (the menu's refresh after start-up).
std::vector<std::string> PrinterMenuCaptions(platform::IniFile& ini, PrinterList& printers);

struct PrinterChoice {
    std::string printer; // name; empty when there is none to choose
    bool landscape = false;
};

// The printer set-up dialog.
class PrinterSetupDialog {
public:
    virtual ~PrinterSetupDialog() = default;
    // Starts from `choice`; false when cancelled.
    virtual bool Run(PrinterChoice& choice, const std::vector<std::string>& printers) = 0;
};

// Printer set-up for setting n: the dialog starts on the printer the setting prints on (or
// the default printer) and what is chosen is stored as name, index and orientation. A
// cancelled dialog stores nothing, so a setting that follows the default printer keeps doing
// so. True when the choice was stored; false with `error` empty when the dialog was cancelled,
// and with the reason when the settings file could not be written.
bool SetTiskarna(platform::IniFile& ini, PrinterList& printers, PrinterSetupDialog& dialog, int n,
                 std::string& error);

} // namespace printing
