#pragma once

// The competitor file: the results program exports the start list of the race and stage as
// 341-byte records; the commentator copies the export into its own race folder (so it can
// start when the results program's folder is out of reach) and builds its categories and
// competitors from that copy.

#include "KomentRozhrani.h"
#include "platform/Clock.h"
#include "platform/Files.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace Mezicasy {
class TZavod;
}

namespace NacteniZavodu {

using TZprava = std::function<void(const std::string&)>;

// The export in the folder the competitor source names: "exm" + race (4 digits) + stage +
// ".dat", a backslash added to the folder when missing (the folder is a Windows path).
std::string ExportName(std::string_view folder);
// The local copy: <data folder>/ZavE<stage>.dat.
std::filesystem::path LocalCopy(const std::filesystem::path& dataFolder);

// What the competitor source remembers of the export from one poll to the next.
struct TStavExportu {
    platform::StableFileCheck Pohledy;
    // Seen but not taken, as it had changed since the previous look: it is looked at again.
    bool Ceka = false;
    int64_t Pohled = 0; // monotonic ms of the last look
};
// A waiting export is looked at again no sooner than this after the previous look.
constexpr int64_t kZnovuPohledMs = 2000;

// Copies the export to the local copy; true when the copy now holds it. The results program
// may be writing the export: it is taken only once it stood still (size, time and file
// identity) since the previous look, did not change while it was read, and is a non-empty
// whole number of records. The copy is written under a temporary name and renamed, so the
// previous copy stays until the new one is whole.
bool KopirujZavodniky(std::string_view folder, const std::filesystem::path& localCopy,
                      TStavExportu& stav, const TZprava& nastavZpravu);
// While the export waits, looks at it again once kZnovuPohledMs have passed since the previous
// look; true when it stood still since then (the competitor source is then to be polled).
bool ExportStoji(std::string_view folder, TStavExportu& stav);

// Local date and time of a file's last write; nothing when the file is not found.
std::optional<platform::WallTime> DatumSouboru(const std::filesystem::path& file);
// Date and time as the age texts show them ("9.12.2026 8:05:03").
std::string DatumCasText(const platform::WallTime& t);
// The age text of the report: how old the export is, or that only the local copy is there.
std::string TextStari(bool copied, const platform::WallTime& now, const platform::WallTime& data);

struct TNacteni {
    bool Loaded = false; // false: the race stayed as it was
    int32_t Kategorii = 0;
    int32_t Zavodniku = 0;
};

// Copies, then loads the local copy into the race and reports through nastavZpravu. A copy
// that cannot be read whole leaves the race as it was. dropCategories is cleared on a load.
TNacteni NactiZavod(Mezicasy::TZavod& zavod, std::string_view folder,
                    const std::filesystem::path& localCopy, TStavExportu& stav,
                    bool& dropCategories, Mezicasy::IKategIni* kategIni,
                    const TZprava& nastavZpravu);

} // namespace NacteniZavodu
