#pragma once

#include "KomentTools.h"
#include "VstupniSoubor.h"
#include "platform/IniFile.h"

#include <filesystem>
#include <functional>
#include <string>

// The results program steers the commentator through Hlasvel.inf in its folder: race, stage,
// zero time, race kind and the files to read. Each value whose take-over switch (section
// "Ravlin" of Hlasvel.ini) is on replaces the commentator's own and is written back.
namespace RavlinParametry {

// What the call needs from the main window.
struct TKontext {
    platform::IniFile& Ini;
    TVstupniSoubory& Zdroje;
    // Race or stage changed: Kateg.ini anew, race label, caption; `reload`: competitors too.
    std::function<void(bool reload)> ZmenaZavodu;
    // Every source read again from its start, the master list emptied, the grid anew.
    std::function<void()> Reconstruct;
    // Column widths of the event grid again (race kind or tenths changed).
    std::function<void()> Rozvrhni;
    std::function<void(const std::string&)> NastavZpravu;
};

// Hlasvel.inf is taken only whole (section "Hlasvel", a race 1..9999 and a stage) and only
// when it did not change while it was read; else nothing changes and the message says why.
// True when the race changed (the competitors were then reloaded inside the call).
bool NactiParametryRavlin(TKontext& k);

// How Hlasvel.inf is read (the file's bytes, or false with the error); empty: from disk.
// Tests put in a reader whose file changes between two reads.
using TCteni = std::function<bool(const std::filesystem::path&, std::string&, std::string*)>;
void NastavCteni(TCteni cteni);

// Paths the results program names, built as text from PathRavlin as it was given: they are
// compared with the sources' names as text, so they must not depend on what exists on disk.
std::string SlozkaKoment();      // <PathRavlin>\Z<race4 of Hlasvel.inf>\Koment\ .
std::string CsvRavlin(int kind); // <PathRavlin>\Z<race4>\KOMENT\Cil|Dis<race4><stage>.csv

} // namespace RavlinParametry
