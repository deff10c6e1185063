#pragma once

// The competitor file: the results program exports the start list of the race and stage as
// 341-byte records; the commentator copies the export into its own race folder (so it can
// start when the results program's folder is out of reach) and builds its categories and
// competitors from that copy.

#include "KomentRozhrani.h"
#include "platform/Clock.h"

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

// Copies the export to the local copy; true when the copy now holds it. The export is taken
// only when it is a whole number of records and did not change while it was read (the results
// program may be rewriting it); the copy is written under a temporary name and renamed, so the
// previous copy stays until the new one is whole.
bool KopirujZavodniky(std::string_view folder, const std::filesystem::path& localCopy,
                      const TZprava& nastavZpravu);

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
                    const std::filesystem::path& localCopy, bool& dropCategories,
                    Mezicasy::IKategIni* kategIni, const TZprava& nastavZpravu);

} // namespace NacteniZavodu
