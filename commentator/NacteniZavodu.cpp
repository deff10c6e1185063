#include "NacteniZavodu.h"

#include "Mezicasy.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "ZavodnikZaznam.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <chrono>
#include <ctime>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace NacteniZavodu {

namespace {

// Far more than any start list (200,000 competitors); a larger file is not an export.
constexpr size_t kMaxSoubor = 256u * 1024 * 1024;

int64_t Milisekundy(const platform::WallTime& t) {
    using namespace std::chrono;
    const sys_days d = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                      day{static_cast<unsigned>(t.day)}};
    return int64_t{d.time_since_epoch().count()} * 86'400'000 +
           ((int64_t{t.hour} * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

} // namespace

std::string ExportName(std::string_view folder) {
    std::string name(Tools::Trim(folder));
    if (name.empty() || name.back() != '\\') {
        name += '\\';
    }
    return name + "exm" + Tools::RaceNumberText() + Tools::StageText() + ".dat";
}

fs::path LocalCopy(const fs::path& dataFolder) {
    return dataFolder / ("ZavE" + Tools::StageText() + ".dat");
}

namespace {

// One look at the export: true when it stood still since the previous look; otherwise it is
// waited for as long as it exists.
bool Podivej(const fs::path& source, TStavExportu& stav) {
    stav.Pohled = platform::GetClock().MonotonicMs();
    if (stav.Pohledy.IsStable(source)) {
        return true;
    }
    std::error_code ec;
    stav.Ceka = fs::exists(source, ec);
    return false;
}

} // namespace

bool ExportStoji(std::string_view folder, TStavExportu& stav) {
    return stav.Ceka && platform::GetClock().MonotonicMs() - stav.Pohled >= kZnovuPohledMs &&
           Podivej(platform::FromWindowsPath(ExportName(folder)), stav);
}

bool KopirujZavodniky(std::string_view folder, const fs::path& localCopy, TStavExportu& stav,
                      const TZprava& nastavZpravu) {
    // The export's name comes from the results program: any letter case is taken.
    const fs::path source = platform::FromWindowsPath(ExportName(folder));
    // Written since the previous look, or seen for the first time: the previous copy serves
    // until the export stands still.
    stav.Ceka = false;
    const bool stoji = Podivej(source, stav);
    if (stav.Ceka) {
        return false;
    }
    std::string bytes;
    if (!stoji || !platform::ReadWholeFile(source, bytes, nullptr, kMaxSoubor)) {
        if (nastavZpravu) {
            nastavZpravu("Vstupní soubor nebyl nalezen");
        }
        return false;
    }
    // Changed while it was read: taken once it stands still again.
    if (!stav.Pohledy.IsStable(source)) {
        stav.Ceka = true;
        return false;
    }
    // Empty, or half a record: not a start list; the previous copy serves.
    if (bytes.empty() || bytes.size() % Mezicasy::kVelikostZaznamu != 0) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(localCopy.parent_path(), ec);
    return platform::WriteFileAtomic(localCopy, bytes, nullptr);
}

std::optional<platform::WallTime> DatumSouboru(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        return std::nullopt;
    }
    std::tm tm{};
    const time_t t = st.st_mtim.tv_sec;
    if (::localtime_r(&t, &tm) == nullptr) {
        return std::nullopt;
    }
    return platform::WallTime{tm.tm_year + 1900,
                              tm.tm_mon + 1,
                              tm.tm_mday,
                              tm.tm_hour,
                              tm.tm_min,
                              tm.tm_sec,
                              static_cast<int>(st.st_mtim.tv_nsec / 1'000'000)};
}

std::string DatumCasText(const platform::WallTime& t) {
    auto two = [](int v) { return Tools::PadLeft(std::to_string(v), 2, '0'); };
    return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year) +
           " " + std::to_string(t.hour) + ":" + two(t.minute) + ":" + two(t.second);
}

std::string TextStari(bool copied, const platform::WallTime& now, const platform::WallTime& data) {
    using SI_Typ::LangText;
    if (!copied) {
        return LangText(" - nejsou aktuální data, pouze kopie z ",
                        " - no actual data, only local copy from ") +
               DatumCasText(data);
    }
    const int64_t age = Milisekundy(now) - Milisekundy(data);
    const int64_t days = age / 86'400'000;
    const int64_t rest = age % 86'400'000;
    const int64_t hours = rest / 3'600'000;
    const int64_t minutes = rest % 3'600'000 / 60'000;
    if (days >= 1 || hours >= 2) {
        return LangText(" - vstupní data jsou z ", " - source data from ") + DatumCasText(data);
    }
    if (hours * 60 + minutes > 4) {
        return LangText(" - vstupní data jsou ", " - source data are ") +
               std::to_string(hours * 60 + minutes) + LangText(" minut stará", " minutes old");
    }
    return {};
}

TNacteni NactiZavod(Mezicasy::TZavod& zavod, std::string_view folder, const fs::path& localCopy,
                    TStavExportu& stav, bool& dropCategories, Mezicasy::IKategIni* kategIni,
                    const TZprava& nastavZpravu) {
    using SI_Typ::LangText;
    auto zprava = [&](const std::string& text) {
        if (nastavZpravu) {
            nastavZpravu(text);
        }
    };
    TNacteni r;
    const bool copied = KopirujZavodniky(folder, localCopy, stav, nastavZpravu);
    std::string bytes;
    if (!platform::ReadWholeFile(localCopy, bytes, nullptr, kMaxSoubor)) {
        zprava(LangText("Nejsou žádná vstupní data", "No source data"));
        return r;
    }
    // Only whole copies are written: a torn one is damaged, and the race stays as it was.
    if (bytes.size() % Mezicasy::kVelikostZaznamu != 0) {
        zprava(LangText("Poškozená kopie vstupních dat: ", "Damaged copy of the source data: ") +
               localCopy.string());
        return r;
    }
    const auto datum = copied ? DatumSouboru(platform::FromWindowsPath(ExportName(folder)))
                              : DatumSouboru(localCopy);

    zavod.Vycisti(dropCategories);
    dropCategories = false;
    zavod.PocetVCili = 0;
    for (size_t kod = 31; kod < zavod.KontrolaPouzita.size(); ++kod) {
        zavod.KontrolaPouzita[kod] = false;
    }
    std::string previous = "---";
    Mezicasy::TKateg1* k = nullptr;
    for (Mezicasy::TZavodnikData& d : Mezicasy::RozbalSoubor(bytes)) {
        if (k == nullptr || d.Kategorie != previous) {
            // The course marks come from the first record of each run of one category.
            for (int i = 1; i <= Mezicasy::kBodu; ++i) {
                if (d.Kontroly[i] >= 31) {
                    zavod.KontrolaPouzita[d.Kontroly[i]] = true;
                }
            }
            k = zavod.NajdiKateg(d.Kategorie);
            if (k == nullptr) {
                k = &zavod.AddKateg(d.Kategorie);
            }
            previous = d.Kategorie;
        }
        zavod.AddZavodnik(*k, std::move(d));
    }

    bool shown = false;
    for (const auto& kat : zavod.Kategorie) {
        r.Zavodniku += static_cast<int32_t>(kat->Zavodnici.size());
        if (kategIni != nullptr) {
            kategIni->NactiKategIni(*kat);
        }
        kat->OknoZmeneno.fill(true);
        shown = shown || kat->VHlavnimOkne;
    }
    if (!shown) {
        for (const auto& kat : zavod.Kategorie) {
            kat->VHlavnimOkne = true;
        }
    }
    r.Kategorii = static_cast<int32_t>(zavod.Kategorie.size());
    r.Loaded = true;

    const std::string stari =
        datum ? TextStari(copied, platform::GetClock().Now(), *datum) : std::string();
    zprava(LangText("Načteno ", "Reading ") + std::to_string(r.Kategorii) +
           LangText(" kategorií, ", " categories, ") + std::to_string(r.Zavodniku) +
           LangText(" závodníků", " competitors") + stari);
    zavod.SpocitejUseky();
    return r;
}

} // namespace NacteniZavodu
