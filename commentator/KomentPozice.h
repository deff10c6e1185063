#pragma once

#include "FormPosQt.h"
#include "KomentTools.h"

// Every window of the commentator numbers its state in Hlasvel.ini as the commentator's own
// SaveFormPos does (the window state, 0 normal): the main window and the dialogs as the category
// and display windows.
namespace Koment {

inline const FormPosQt::Numbering PoziceOken{
    SaveFormPos, LoadFormPos,
    [](platform::IniFile& ini, std::string_view section) { return ini.SectionExists(section); }};

} // namespace Koment
