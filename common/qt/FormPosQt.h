#pragma once

#include "Tools.h"
#include "platform/IniFile.h"

#include <string_view>

class QWidget;

// Window placement in the settings file (Tools::SaveFormPos / LoadFormPos) for Qt windows.
namespace FormPosQt {

// How a settings file numbers the window state under "Status": the shared tools' numbering
// (Tools::SaveFormPos) unless a program keeps its own.
struct Numbering {
    void (*save)(platform::IniFile&, std::string_view, const Tools::FormPos&);
    void (*load)(platform::IniFile&, std::string_view, Tools::FormPos&);
    // A placement is stored in the section.
    bool (*stored)(platform::IniFile&, std::string_view);
};
extern const Numbering Shared;

// Restores the placement stored in the section; false when none is stored. A placement that
// would put the window off every screen (a monitor since removed) keeps the size only.
bool Load(platform::IniFile& ini, std::string_view section, QWidget& window,
          const Numbering& numbering = Shared);
void Save(platform::IniFile& ini, std::string_view section, const QWidget& window,
          const Numbering& numbering = Shared);

} // namespace FormPosQt
