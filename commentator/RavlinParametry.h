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
    // Hlasvel.inf has not yet stood still: ask again soon rather than at the next 20 s.
    std::function<void()> ZnovuBrzy = {};
};

// Hlasvel.inf is taken only whole: once it has stood still since the previous call (size and
// time unchanged, as the exports), did not change while it was read, has section "Hlasvel"
// with a race 1..9999 and a stage, and holds every key the previously taken file held (the
// results program rewrites it key by key). Else nothing changes and, unless it is only waiting
// to stand still, the message says why. True when the race changed (the competitors were then
// reloaded inside the call).
bool NactiParametryRavlin(TKontext& k);
// Forgets the file's last look and keys (a new run, a test).
void Zapomen();

// How Hlasvel.inf is read (the file's bytes, or false with the error); empty: from disk.
// Tests put in a reader whose file changes between two reads.
using TCteni = std::function<bool(const std::filesystem::path&, std::string&, std::string*)>;
void NastavCteni(TCteni cteni);

// Paths the results program names, built as text from PathRavlin as it was given: they are
// compared with the sources' names as text, so they must not depend on what exists on disk.
std::string SlozkaKoment();      // <PathRavlin>\Z<race4 of Hlasvel.inf>\Koment\ .
std::string CsvRavlin(int kind); // <PathRavlin>\Z<race4>\KOMENT\Cil|Dis<race4><stage>.csv

} // namespace RavlinParametry
