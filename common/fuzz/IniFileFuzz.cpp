// Settings files come from other programs and from users' editors: any bytes must parse, and
// a value written must read back while the other lines stay as they were.
#include "platform/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    platform::IniFile ini("");
    ini.SetContent(bytes);
    for (const std::string& section : ini.ReadSections()) {
        for (const std::string& key : ini.ReadSection(section)) {
            (void)ini.ReadFloat(section, key, 0);
            (void)ini.ReadInteger(section, key, 0);
        }
    }
    ini.WriteString("Fuzz", "Key", "Hodnota č. 1");
    if (ini.ReadString("fuzz", "KEY", "") != "Hodnota č. 1") {
        std::abort();
    }
    platform::IniFile again("");
    again.SetContent(ini.Content());
    if (again.ReadString("Fuzz", "Key", "") != "Hodnota č. 1") {
        std::abort();
    }
    return 0;
}
