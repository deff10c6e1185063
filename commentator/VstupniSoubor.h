#pragma once

// The commentator's input sources: the files other programs keep appending punches to (split
// files, the radio-control file, the timer files and folder), the program's own split copy and
// the folder of the competitor export. Each poll reads only what was appended and hands every
// line to the parser of the source's kind; accepted punches go to the race through the hooks
// of TVstupniNapojeni.

#include "CteniRadku.h"
#include "NacteniZavodu.h"
#include "Parsery.h"
#include "TMezicasRec.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

// What the sources need from the rest of the program. The race model and the main form fill
// it in; an empty function does nothing.
class TVstupniSoubory;

struct TVstupniNapojeni {
    // Files one punch (save = false for punches read back from the own copy).
    std::function<void(const TMezicasRec& rec, bool save)> VlozMezicas;
    // Empties the master punch list.
    std::function<void()> VyprazdniMezicasy;
    // Asks for the event grid to be built anew.
    std::function<void()> PrekreslitInfoAll;
    // Loads the competitors from the export (the poll of the competitor source).
    std::function<void()> NactiZavod;
    // The status-line message of the main form.
    std::function<void(const std::string&)> NastavZpravu;
    // The race's data folder and the stage as text.
    std::function<std::filesystem::path()> RaceDataKomPath;
    std::function<std::string()> StageText;
    Parsery::TParserContext Parser;
    // The main form's source-status texts, slots 1..7 (0 unused).
    std::array<std::string, 8> StavZdroju;
};

class TVstupniSoubor {
public:
    // Results of one read of a file.
    static constexpr int NoName = 0;
    static constexpr int Read = 1;
    static constexpr int OpenFailed = 2;

    // skupina: the sources the competitor source re-reads after a load (may be null).
    TVstupniSoubor(int32_t kind, int32_t index, TVstupniNapojeni& napojeni,
                   TVstupniSoubory* skupina = nullptr);

    int32_t Kind;
    int32_t Index;
    std::string FileName; // as set (a Windows path is converted when used)
    bool Enabled = false;
    CteniRadku::TStavCteni Cteni; // Position: the first byte not yet consumed
    Parsery::TLastChip LastChip{};
    bool DropCategories = false;
    // The competitor source: the export as seen at the previous polls.
    NacteniZavodu::TStavExportu Export;
    bool ReplayPending = true;
    // The hand-made files already processed (".ok") are read again once at the next poll.
    bool RereadProcessed = false;

    void ReadSettings(platform::IniFile& ini);
    void WriteSettings(platform::IniFile& ini) const;

    // One poll; 1 when the source is enabled, else 0.
    int NactiData();
    // Reads what was appended to the file (kinds 1, 2, 3; 5 and 7 through ReadAppendedAlge):
    // NoName, Read or OpenFailed.
    int ReadAppended(const std::string& nameOverride = {});
    int ReadAppendedAlge(const std::string& nameOverride = {});
    // Hands one whole line to the parser of the source's kind; false for a kind without lines.
    bool ZpracujRadek(std::string_view line);

    // The competitor source: copies the results program's export (named in exportName) to
    // the local copy; true when the copy now holds it.
    bool KopirujZavodniky(std::string& exportName);

    // Puts the reading back to the start of the file; the chip memory goes with it.
    void ResetPosition();
    // The file name as a path of this system; empty when no name is set.
    std::filesystem::path Cesta() const;
    // The status slot of this source (0 = none) and the text shown when the file cannot be
    // opened.
    int StatusSlot() const;
    std::string OpenFailureText() const;
    // The local copy of a kind 3, 5 or 7 source ("" for other kinds).
    std::string ExtFileName() const;

private:
    int ReadFile(const std::string& nameOverride, bool alge);
    void ManualFolderRun();
    bool ReadManualFile(const std::filesystem::path& file, std::string& bytes);
    void SetStatus(const std::string& text);
    CteniRadku::TRadky Radky(const std::string& name);

    TVstupniNapojeni& napojeni_;
    TVstupniSoubory* skupina_;
    platform::StableFileCheck stable_;
    // Hand-made files that could be neither renamed nor deleted, as they looked then: they are
    // left alone until they change.
    struct Look {
        uintmax_t size = 0;
        std::filesystem::file_time_type mtime{};
        bool operator==(const Look&) const = default;
    };
    std::map<std::filesystem::path, Look> stuck_;
};

// The program's nine sources: eight that deliver punches, in the order the main form polls
// them, and the competitor source.
class TVstupniSoubory {
public:
    explicit TVstupniSoubory(TVstupniNapojeni& napojeni);

    static constexpr size_t Pocet = 8;
    TVstupniSoubor& operator[](size_t i) { return *soubory_[i]; } // 0-based: entry 1 is [0]
    TVstupniSoubor& Zavodnici() { return *zavodnici_; }

    void ReadSettings(platform::IniFile& ini);
    void WriteSettings(platform::IniFile& ini);

    // The 200 ms poll: every punch source but the own copy, in order.
    void PollPunches();
    // The read-interval poll: the competitors, the local copies of the timer files, a new grid.
    void PollCompetitors();
    // An export that was not taken at a poll because it was changing is looked at again now
    // and then; once it stood still, the competitors are polled.
    void HlidejZavodniky();

    void RefreshExtFileCopies();
    void ReplayLocalCopy();
    void RereadAfterCompetitorLoad();
    void Reconstruct();
    // The program's own split copy.
    std::filesystem::path LocalSplitCopy() const;

private:
    TVstupniNapojeni& napojeni_;
    std::array<std::unique_ptr<TVstupniSoubor>, Pocet> soubory_;
    std::unique_ptr<TVstupniSoubor> zavodnici_;
};
