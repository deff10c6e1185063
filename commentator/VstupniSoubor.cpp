#include "VstupniSoubor.h"

#include "NacteniZavodu.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Paths.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {

// The middle part of the settings keys, by kind.
std::string_view KeyWord(int32_t kind) {
    switch (kind) {
    case 1:
        return "LocKopieMez";
    case 2:
        return "Mezicasy";
    case 3:
        return "Racom";
    case 4:
        return "Zavodnici";
    case 5:
        return "ALGEFP";
    case 6:
        return "ALGEFR";
    case 7:
        return "ALGEST";
    default:
        return "";
    }
}

constexpr std::string_view Section = "Soubory";
constexpr std::string_view AlgeText = "DATA ALGE ";
// A hand-made timer file is a few lines; anything far larger is not one.
constexpr size_t MaxManualFile = 16 * 1024 * 1024;

fs::path ExtFileFolder(const TVstupniNapojeni& napojeni) {
    return (napojeni.RaceDataKomPath ? napojeni.RaceDataKomPath() : fs::path()) / "ExtFile";
}

} // namespace

TVstupniSoubor::TVstupniSoubor(int32_t kind, int32_t index, TVstupniNapojeni& napojeni,
                               TVstupniSoubory* skupina)
    : Kind(kind), Index(index), napojeni_(napojeni), skupina_(skupina) {}

void TVstupniSoubor::ReadSettings(platform::IniFile& ini) {
    // The key word is read through a field of 10 characters: the own copy's keys are read as
    // "...LocKopieMe1" though they are written with the whole word. Files set before keep
    // working with this.
    const std::string word(KeyWord(Kind).substr(0, 10));
    const std::string index = std::to_string(Index);
    FileName = ini.ReadString(Section, "FName" + word + index, "");
    Enabled = ini.ReadBool(Section, "Check" + word + index, false);
}

void TVstupniSoubor::WriteSettings(platform::IniFile& ini) const {
    const std::string word(KeyWord(Kind));
    const std::string index = std::to_string(Index);
    ini.WriteString(Section, "FName" + word + index, FileName);
    ini.WriteBool(Section, "Check" + word + index, Enabled);
}

int TVstupniSoubor::StatusSlot() const {
    switch (Kind) {
    case 2:
        return Index >= 1 && Index <= 3 ? 4 + Index : 0;
    case 3:
        return 4;
    case 5:
        return 2;
    case 6:
        return 1;
    case 7:
        return 3;
    default:
        return 0;
    }
}

std::string TVstupniSoubor::OpenFailureText() const {
    switch (Kind) {
    case 2:
        return "DATA ORO" + std::to_string(Index) + " ";
    case 3:
        return "DATA RACOM ";
    case 5:
    case 6:
    case 7:
        return std::string(AlgeText);
    default:
        return "";
    }
}

std::string TVstupniSoubor::ExtFileName() const {
    switch (Kind) {
    case 3:
        return "Racom.txt";
    case 5:
        return "AlgeCil.txt";
    case 7:
        return "AlgeStart.txt";
    default:
        return "";
    }
}

fs::path TVstupniSoubor::Cesta() const {
    const std::string_view name = Tools::Trim(FileName);
    return name.empty() ? fs::path() : platform::FromWindowsPath(name);
}

void TVstupniSoubor::SetStatus(const std::string& text) {
    const int slot = StatusSlot();
    if (slot > 0) {
        napojeni_.StavZdroju[static_cast<size_t>(slot)] = text;
    }
}

bool TVstupniSoubor::KopirujZavodniky(std::string& exportName) {
    exportName = NacteniZavodu::ExportName(FileName);
    const fs::path folder = napojeni_.RaceDataKomPath ? napojeni_.RaceDataKomPath() : fs::path();
    return NacteniZavodu::KopirujZavodniky(FileName, NacteniZavodu::LocalCopy(folder), Export,
                                           napojeni_.NastavZpravu);
}

void TVstupniSoubor::ResetPosition() {
    Cteni = CteniRadku::TStavCteni{};
    LastChip.fill(0);
}

CteniRadku::TRadky TVstupniSoubor::Radky(const std::string& name) {
    CteniRadku::TRadky out;
    out.Line = [this](std::string_view line) { ZpracujRadek(line); };
    out.LongLine = [this, name](int64_t at) {
        if (napojeni_.NastavZpravu) {
            napojeni_.NastavZpravu(
                SI_Typ::LangText("Vynechán příliš dlouhý řádek: ", "Over-long line skipped: ") +
                name + SI_Typ::LangText(", bajt ", ", byte ") + std::to_string(at));
        }
    };
    // A file that got shorter is read from its start; chips remembered from the old content
    // belong to nobody now.
    out.Rewind = [this] { LastChip.fill(0); };
    return out;
}

bool TVstupniSoubor::ZpracujRadek(std::string_view line) {
    TMezicasRec rec;
    bool accepted = false;
    switch (Kind) {
    case 1:
        accepted = Parsery::ParseSplitLine(line, rec, nullptr);
        break;
    case 2:
        accepted = Parsery::ParseSplitLine(line, rec, &LastChip);
        break;
    case 3:
        accepted = Parsery::ParseRacomLine(line, rec);
        break;
    case 5:
        accepted =
            Parsery::ParseAlgeFinishLine(line, rec, Parsery::AlgeMemoCasy(), napojeni_.Parser);
        break;
    case 6:
        accepted = Parsery::ParseAlgeManualLine(line, rec);
        break;
    case 7:
        accepted = Parsery::ParseAlgeStartLine(line, rec);
        break;
    default:
        return false;
    }
    if (accepted && napojeni_.VlozMezicas) {
        napojeni_.VlozMezicas(rec, Kind != 1);
    }
    return true;
}

int TVstupniSoubor::ReadFile(const std::string& nameOverride, bool alge) {
    const std::string name(Tools::Trim(nameOverride.empty() ? FileName : nameOverride));
    SetStatus("");
    if (name.empty()) {
        return NoName;
    }
    const auto result =
        CteniRadku::ReadAppended(platform::FromWindowsPath(name), Cteni, Radky(name));
    if (result == CteniRadku::Vysledek::Read) {
        return Read;
    }
    if (alge && result == CteniRadku::Vysledek::NotFound) {
        ResetPosition(); // a new file of the same name is read from its start
    }
    SetStatus((alge ? std::string(AlgeText) : OpenFailureText()) + name);
    return OpenFailed;
}

int TVstupniSoubor::ReadAppended(const std::string& nameOverride) {
    return ReadFile(nameOverride, false);
}

int TVstupniSoubor::ReadAppendedAlge(const std::string& nameOverride) {
    return ReadFile(nameOverride, true);
}

int TVstupniSoubor::NactiData() {
    if (!Enabled) {
        SetStatus("");
        return 0;
    }
    switch (Kind) {
    case 1:
    case 2:
        ReadAppended();
        break;
    case 3:
    case 5:
    case 7: {
        const bool alge = Kind != 3;
        if (ReadFile({}, alge) == OpenFailed && ReplayPending) {
            // The source is out of reach at start-up: take in what the last copy of it held,
            // once; the source itself is then read from its start when it is back.
            const int slot = StatusSlot();
            const std::string failure = napojeni_.StavZdroju[static_cast<size_t>(slot)];
            ResetPosition();
            ReadFile((ExtFileFolder(napojeni_) / ExtFileName()).string(), alge);
            ReplayPending = false;
            ResetPosition();
            napojeni_.StavZdroju[static_cast<size_t>(slot)] = failure;
        }
        break;
    }
    case 6:
        ManualFolderRun();
        break;
    case 4:
        if (napojeni_.NactiZavod) {
            napojeni_.NactiZavod();
        }
        if (skupina_ != nullptr) {
            skupina_->RereadAfterCompetitorLoad();
        }
        break;
    default:
        break;
    }
    return 1;
}

bool TVstupniSoubor::ReadManualFile(const fs::path& file, std::string& bytes) {
    if (!platform::ReadWholeFile(file, bytes, nullptr, MaxManualFile)) {
        return false;
    }
    // The whole file counts, its last line too when the timer operator left it unterminated.
    CteniRadku::TStavCteni whole;
    const CteniRadku::TRadky out = Radky(file.string());
    CteniRadku::CutLines(bytes, true, true, whole, out, 0);
    return true;
}

void TVstupniSoubor::ManualFolderRun() {
    std::string shown(Tools::Trim(FileName));
    if (shown.empty()) {
        return;
    }
    if (shown.back() != '\\' && shown.back() != '/') {
        shown += '\\';
    }
    SetStatus("");
    const fs::path folder = platform::FromWindowsPath(shown);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        SetStatus(std::string(AlgeText) + shown);
        return;
    }
    std::string bytes;
    if (RereadProcessed) {
        // The own copy was deleted: the hand-made times already processed come back from their
        // ".ok" files, which stay as they are.
        RereadProcessed = false;
        for (const fs::path& done : platform::ListByMask(folder, "*.ok")) {
            ReadManualFile(done, bytes);
        }
    }
    for (const fs::path& file : platform::ListByMask(folder, "*.dat")) {
        const auto look = [&file] {
            std::error_code e;
            Look l{fs::file_size(file, e), {}};
            l.mtime = fs::last_write_time(file, e);
            return l;
        };
        if (const auto it = stuck_.find(file); it != stuck_.end()) {
            if (it->second == look()) {
                continue;
            }
            stuck_.erase(it);
        }
        // The operator's editor may still be writing it.
        if (!stable_.IsStable(file)) {
            continue;
        }
        stable_.Forget(file);
        if (!ReadManualFile(file, bytes)) {
            stuck_[file] = look();
            SetStatus(std::string(AlgeText) + file.string());
            continue;
        }
        bool copied = false;
        if (const auto kopie = platform::FindNoCase(folder, "kopie");
            kopie && fs::is_directory(*kopie, ec)) {
            copied = platform::WriteFileAtomic(*kopie / file.filename(), bytes, nullptr);
        }
        fs::path done = file;
        done.replace_extension(".ok");
        if (platform::RenameNoReplace(file, done)) {
            continue;
        }
        // Deleted only when its copy is safe in "kopie".
        if (copied && fs::remove(file, ec)) {
            continue;
        }
        stuck_[file] = look();
        if (napojeni_.NastavZpravu) {
            napojeni_.NastavZpravu(SI_Typ::LangText("Soubor nelze přejmenovat ani smazat: ",
                                                    "File can be neither renamed nor deleted: ") +
                                   file.string());
        }
    }
}

TVstupniSoubory::TVstupniSoubory(TVstupniNapojeni& napojeni) : napojeni_(napojeni) {
    const std::array<std::pair<int32_t, int32_t>, Pocet> order = {
        {{1, 1}, {2, 1}, {2, 2}, {2, 3}, {3, 4}, {5, 5}, {6, 6}, {7, 7}}};
    for (size_t i = 0; i < Pocet; ++i) {
        soubory_[i] =
            std::make_unique<TVstupniSoubor>(order[i].first, order[i].second, napojeni, this);
    }
    zavodnici_ = std::make_unique<TVstupniSoubor>(4, 1, napojeni, this);
}

void TVstupniSoubory::ReadSettings(platform::IniFile& ini) {
    for (auto& s : soubory_) {
        s->ReadSettings(ini);
    }
    zavodnici_->ReadSettings(ini);
}

void TVstupniSoubory::WriteSettings(platform::IniFile& ini) {
    for (auto& s : soubory_) {
        s->WriteSettings(ini);
    }
    zavodnici_->WriteSettings(ini);
}

void TVstupniSoubory::PollPunches() {
    for (size_t i = 1; i < Pocet; ++i) {
        soubory_[i]->NactiData();
    }
}

void TVstupniSoubory::PollCompetitors() {
    zavodnici_->NactiData();
    RefreshExtFileCopies();
    if (napojeni_.PrekreslitInfoAll) {
        napojeni_.PrekreslitInfoAll();
    }
}

void TVstupniSoubory::HlidejZavodniky() {
    if (zavodnici_->Enabled &&
        NacteniZavodu::ExportStoji(zavodnici_->FileName, zavodnici_->Export)) {
        PollCompetitors();
    }
}

fs::path TVstupniSoubory::LocalSplitCopy() const {
    const std::string stage = napojeni_.StageText ? napojeni_.StageText() : std::string();
    const fs::path folder = napojeni_.RaceDataKomPath ? napojeni_.RaceDataKomPath() : fs::path();
    return folder / ("MezE" + stage + ".dat");
}

void TVstupniSoubory::RefreshExtFileCopies() {
    for (auto& s : soubory_) {
        const std::string ext = s->ExtFileName();
        const fs::path source = s->Cesta();
        if (!s->Enabled || ext.empty() || source.empty()) {
            continue;
        }
        std::error_code ec;
        const fs::path folder = ExtFileFolder(napojeni_);
        fs::create_directories(folder, ec);
        const uintmax_t size = fs::file_size(source, ec);
        if (ec || size == 0) {
            continue;
        }
        const fs::path copy = folder / ext;
        const uintmax_t copySize = fs::file_size(copy, ec);
        if (!ec && copySize == size) {
            continue;
        }
        // Written under a temporary name and renamed: a copy is whole or the previous one.
        std::string bytes;
        if (platform::ReadWholeFile(source, bytes, nullptr)) {
            platform::WriteFileAtomic(copy, bytes, nullptr);
        }
    }
}

void TVstupniSoubory::ReplayLocalCopy() {
    TVstupniSoubor& own = *soubory_[0];
    own.Enabled = true;
    own.FileName = LocalSplitCopy().string();
    own.NactiData();
}

void TVstupniSoubory::RereadAfterCompetitorLoad() {
    if (napojeni_.VyprazdniMezicasy) {
        napojeni_.VyprazdniMezicasy();
    }
    soubory_[0]->ResetPosition();
    ReplayLocalCopy();
}

void TVstupniSoubory::Reconstruct() {
    std::error_code ec;
    fs::remove(LocalSplitCopy(), ec);
    for (auto& s : soubory_) {
        s->ResetPosition();
        // A timer or radio file out of reach gives back what its local copy held, as at
        // start-up: else its punches would be gone from the rebuilt copy.
        s->ReplayPending = true;
        if (s->Kind == 6) {
            s->RereadProcessed = true;
        }
    }
    if (napojeni_.VyprazdniMezicasy) {
        napojeni_.VyprazdniMezicasy();
    }
    if (napojeni_.PrekreslitInfoAll) {
        napojeni_.PrekreslitInfoAll();
    }
}
