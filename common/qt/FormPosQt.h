#pragma once

#include "platform/IniFile.h"

#include <string_view>

class QWidget;

// Window placement in the settings file (Tools::SaveFormPos / LoadFormPos) for Qt windows.
namespace FormPosQt {

// Restores the placement stored in the section; false when none is stored. A placement that
// would put the window off every screen (a monitor since removed) keeps the size only.
bool Load(platform::IniFile& ini, std::string_view section, QWidget& window);
void Save(platform::IniFile& ini, std::string_view section, const QWidget& window);

} // namespace FormPosQt
