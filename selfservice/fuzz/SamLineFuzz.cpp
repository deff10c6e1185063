// Lines of Ravlin's exports and answers: any bytes must give a record within its bounds or a
// rejection, and a whole file must load without breaking the table.
#include "SISam_Proc.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Cp1250.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string line = platform::Cp1250ToUtf8(bytes);
    SISam_Typ::TZavodnik z;
    if (SISam_Proc::RadekZavodnika(line, z)) {
        Check(z.ID >= 1 && z.ID <= SISam_Typ::MaxZavodniku);
        Check(platform::Utf8Length(z.Jmeno) <= SISam_Typ::DelkaJmena);
        Check(platform::Utf8Length(z.Oddil) <= SISam_Typ::DelkaOddilu);
        Check(SISam_Proc::RadekPozadavku(z).size() < 200);
    }
    SISam_Typ::TKategorie k;
    if (SISam_Proc::RadekKategorie(line, k)) {
        Check(!k.Nazev.empty() && platform::Utf8Length(k.Nazev) <= SISam_Typ::DelkaKategorie);
    }
    SISam_Proc::THlavicka h;
    if (SISam_Proc::RadekToHlavickaSouboru(line, h)) {
        Check(platform::Utf8Length(h.Typ) <= 20 && platform::Utf8Length(h.Guid) <= 50);
    }
    // The same bytes as whole files of each kind.
    for (const char* header : {"#SAM#WRITE#ZAVODNIK#ALL##R#", "#SAM#WRITE#KATEG#ALL##R#",
                               "#SAM#WRITE#ChangeTime###R#"}) {
        const std::string file = header + std::to_string(size) + "##\r\n" + bytes;
        std::string chyba;
        SISam_Proc::NactiZavodnikyText(file);
        SISam_Proc::NactiKategorieText(file);
        SISam_Proc::NactiZmenuText(file, "ChangeTime", chyba);
        Check(SISam_Proc::MaxID >= 0 && SISam_Proc::MaxID <= SISam_Typ::MaxZavodniku);
    }
    return 0;
}
