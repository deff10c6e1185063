#include "RavlinLogic.h"

#include "KomentTools.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <filesystem>

namespace RavlinDialog {

namespace fs = std::filesystem;
using Koment::TRavlinNastaveni;

namespace {

bool TRavlinNastaveni::*const Pole[PocetVoleb] = {
    &TRavlinNastaveni::auto_Zavod,        &TRavlinNastaveni::auto_DataZav,
    &TRavlinNastaveni::auto_Racom,        &TRavlinNastaveni::auto_AlgeStart,
    &TRavlinNastaveni::auto_AlgeCilPrimo, &TRavlinNastaveni::auto_AlgeCilRucne,
    &TRavlinNastaveni::auto_QZPort1,
};

} // namespace

const std::array<TVolba, PocetVoleb> Volby = {{
    {"chkZavod", "Závod, etapa, start 00"},
    {"chkZavodnici", "Data závodníků"},
    {"chkRacom", "Data RACOM"},
    {"chkAlgeStart", "ALGE start"},
    {"chkAlgeCilPrimo", "ALGE cíl přímo"},
    {"chkAlgeCilRucne", "ALGE cíl ručně"},
    {"chkQzPort1", "Cíl dle Ravlin"},
}};

TPopisky Popisky() {
    using SI_Typ::LangText;
    return {LangText("Automatické nastavení dle programu Ravlin",
                     "Automatic setting by program Ravlin"),
            LangText("Cesta k Ravlin", "Path to Ravlin"),
            LangText("Cesta k programu Ravlin, odkud se budou načítat data",
                     "Path to program Ravlin, from where will be data imported"),
            LangText("Automatické nastavení dle programu Ravlin ( !! doporučeno !!) - viz Ravlin "
                     "/ Hlavní parametry / Sdílený adresář",
                     "Automatic setting by program Ravlin (!! recomended !!)")};
}

void TRavlinLogic::FormActivate() {
    const TRavlinNastaveni& r = Koment::RavlinNastaveni;
    podleRavlin = r.PodleRavlin;
    path = r.PathRavlin;
    for (size_t i = 0; i < PocetVoleb; ++i) {
        volby[i] = r.*Pole[i];
    }
    Vyhodnoceni();
}

void TRavlinLogic::Vyhodnoceni() {
    errorInfo.clear();
    if (podleRavlin) {
        const std::string_view text = Tools::Trim(path);
        // A Windows path names the same folder; Hlasvel.inf is found in any letter case.
        const fs::path folder = platform::ResolveNoCase(platform::FromWindowsPath(text));
        std::error_code ec;
        if (text.empty()) {
            errorInfo = "Cesta není zadána";
        } else if (!fs::is_directory(folder, ec)) {
            errorInfo = "Cesta neexistuje";
        } else if (!platform::FindNoCase(folder, "Hlasvel.inf")) {
            errorInfo = "V zadaném adresáři neexistuje soubor Hlasvel.inf";
        }
    }
    const bool valid = errorInfo.empty();
    cestaVidet = podleRavlin;
    okVidet = valid;
    volbyVidet = valid && podleRavlin;
}

bool TRavlinLogic::BitBtnOkClick(platform::IniFile& ini) {
    TRavlinNastaveni& r = Koment::RavlinNastaveni;
    r.PodleRavlin = podleRavlin;
    r.PathRavlin = path;
    for (size_t i = 0; i < PocetVoleb; ++i) {
        r.*Pole[i] = volby[i];
    }
    bool ok = ini.WriteBool(Sekce, "PodleRavlin", r.PodleRavlin);
    ok = ini.WriteString(Sekce, "PathRavlin", r.PathRavlin) && ok;
    for (const auto& [key, field] : {std::pair{"auto_Zavod", &TRavlinNastaveni::auto_Zavod},
                                     {"auto_DataZav", &TRavlinNastaveni::auto_DataZav},
                                     {"auto_Racom", &TRavlinNastaveni::auto_Racom},
                                     {"auto_QZPort1", &TRavlinNastaveni::auto_QZPort1},
                                     {"auto_AlgeStart", &TRavlinNastaveni::auto_AlgeStart},
                                     {"auto_AlgeCilPrimo", &TRavlinNastaveni::auto_AlgeCilPrimo},
                                     {"auto_AlgeCilRucne", &TRavlinNastaveni::auto_AlgeCilRucne}}) {
        ok = ini.WriteBool(Sekce, key, r.*field) && ok;
    }
    return ok;
}

} // namespace RavlinDialog
