#include "fAdminLogic.h"

#include "SISam_Typ.h"
#include "SI_Typ.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <algorithm>
#include <filesystem>

namespace Admin {

namespace fs = std::filesystem;

std::vector<std::string> Porty() {
    std::vector<std::string> p{"AUTO"};
    for (int i = 1; i <= 20; ++i) {
        p.push_back("COM " + std::to_string(i));
    }
    return p;
}

std::string Vyhodnoceni(const std::string& slozka) {
    const std::string_view t = Tools::Trim(slozka);
    if (t.empty()) {
        return SI_Typ::LangText("Cesta není zadána", "No folder given");
    }
    const fs::path cesta = platform::ResolveNoCase(platform::FromWindowsPath(t));
    std::error_code ec;
    if (!fs::is_directory(cesta, ec)) {
        return SI_Typ::LangText("Cesta neexistuje", "The folder does not exist");
    }
    if (!platform::FindNoCase(cesta, "Pultra.inf")) {
        return SI_Typ::LangText("V zadaném adresáři neexistuje soubor Pultra.inf",
                                "The folder holds no Pultra.inf");
    }
    return {};
}

THodnoty Nacti(platform::IniFile& ini) {
    THodnoty h;
    h.com = static_cast<int>(ini.ReadInteger("Pultra_Main", "COM", -1));
    h.ravlinPath = ini.ReadString("Pultra_Main", "RavlinPath", "");
    h.timeout = std::clamp(static_cast<int>(ini.ReadInteger("Param", "Timeout", 20)), 10, 40);
    h.logovat = ini.ReadInteger("Param", "Logovat", 0) == 1;
    return h;
}

int IndexPortu(int com) {
    return com >= 1 && com <= 20 ? com : 0;
}

int ComZIndexu(int index) {
    return index >= 1 && index <= 20 ? index : -1;
}

std::string InfoObrazovky(int sirka, int vyska) {
    return SI_Typ::LangText("Obrazovka ", "Screen ") + std::to_string(sirka) + " x " +
           std::to_string(vyska);
}

bool Uloz(platform::IniFile& ini, const THodnoty& h, const std::optional<Tools::FontSpec>& font) {
    bool ok = ini.WriteInteger("Pultra_Main", "COM", h.com);
    if (font) {
        ok = Tools::SaveFont(ini, "FontInfoGrid", *font) && ok;
    }
    ok = ini.WriteString("Pultra_Main", "RavlinPath", h.ravlinPath) && ok;
    ok = ini.WriteInteger("Param", "Timeout", std::clamp(h.timeout, 10, 40)) && ok;
    ok = ini.WriteInteger("Param", "Logovat", h.logovat ? 1 : 0) && ok;
    if (ok) {
        // Settings that did not reach the file are not taken: the form stays open with them.
        SISam_Typ::Param.RavlinPath = h.ravlinPath;
        SISam_Typ::Param.Logovat = h.logovat;
    }
    return ok;
}

} // namespace Admin
