#pragma once

#include "Tools.h"
#include "platform/IniFile.h"

#include <optional>
#include <string>
#include <vector>

// The administrator form's model: the port, Ravlin's folder, the answer time-out, the debug log
// and the grid font, read from and stored into Pultra.ini.
namespace Admin {

// "AUTO", then "COM 1" .. "COM 20".
std::vector<std::string> Porty();
// The folder check's text; empty when the folder holds Pultra.inf.
std::string Vyhodnoceni(const std::string& slozka);

struct THodnoty {
    int com = -1; // -1 automatic, else the COM number (19 and 20 make no port)
    std::string ravlinPath;
    int timeout = 20;
    bool logovat = false;
};

// The values of Pultra.ini; Timeout kept within the up-down's 10..40.
THodnoty Nacti(platform::IniFile& ini);
// Port list index of a COM value: 0 AUTO, n for COM n (1..20), else 0.
int IndexPortu(int com);
int ComZIndexu(int index);
// "Obrazovka <w> x <h>".
std::string InfoObrazovky(int sirka, int vyska);
// OK: stores every value, and the grid font when it was changed, and puts them in force. False
// (nothing put in force) when Pultra.ini could not be written.
bool Uloz(platform::IniFile& ini, const THodnoty& h, const std::optional<Tools::FontSpec>& font);

} // namespace Admin
