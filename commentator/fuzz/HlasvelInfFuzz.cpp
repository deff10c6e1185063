// Hlasvel.inf comes from the results program: any bytes must either be refused as a whole or
// give a race 1..9999 and a stage, and the paths built from them must stay text.
#include "KomentTools.h"
#include "RavlinParametry.h"
#include "SI_Typ.h"
#include "VstupniSoubor.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path dir = [] {
        const auto d = std::filesystem::temp_directory_path() / "hlasvel-inf-fuzz";
        std::filesystem::create_directories(d);
        std::ofstream(d / "Hlasvel.inf") << "[Hlasvel]\n";
        platform::SetProgramDataDir(d);
        return d;
    }();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    RavlinParametry::NastavCteni([&bytes](const auto&, std::string& out, std::string*) {
        out = bytes;
        return true;
    });
    SI_Typ::ResetGlobals();
    Koment::ResetNastaveni();
    platform::IniFile ini{std::filesystem::path()};
    ini.WriteBool("Ravlin", "PodleRavlin", true);
    ini.WriteString("Ravlin", "PathRavlin", dir.string());
    TVstupniNapojeni napojeni;
    TVstupniSoubory zdroje(napojeni);
    RavlinParametry::TKontext k{ini, zdroje, {}, {}, {}, [](const std::string&) {}};
    RavlinParametry::NactiParametryRavlin(k);
    if (Koment::RavlinNastaveni.InfNacten &&
        (Koment::RavlinNastaveni.Zavod < 1 || Koment::RavlinNastaveni.Zavod > 9999 ||
         Koment::RavlinNastaveni.Etapa < 1)) {
        std::abort();
    }
    return 0;
}
