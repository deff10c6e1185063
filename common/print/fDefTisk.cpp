#include "fDefTisk.h"

#include "SI_Typ.h"
#include "platform/Cp1250.h"
#include "platform/Paths.h"

#include <algorithm>
#include <sys/stat.h>

namespace fDefTisk {

namespace fs = std::filesystem;

namespace {

constexpr const char* MaskaPiktogramu = "Pikt*.dat";
constexpr const char* FontPiktogramu = "QZ-Davovazedi04";

// Lines end at CR LF, LF or a lone CR; a last line without an end counts too.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t from = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.push_back(bytes.substr(from, i - from));
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        from = i;
    }
    if (from < bytes.size()) {
        lines.push_back(bytes.substr(from));
    }
    return lines;
}

// Whole number for a dialog field; the class library's words when it is none.
bool FieldNumber(const std::string& text, int min, int max, int& value, PrintMessages& messages) {
    const std::string t(TrimBlank(text));
    if (ParseWholeNumber(t, value) && value >= min && value <= max) {
        return true;
    }
    messages.ShowError(SI_Typ::LangText("'" + t + "' není platné celé číslo",
                                        "'" + t + "' is not a valid integer value"));
    return false;
}

// What a file looks like now: a rewrite changes its size or modification time, a repair of its
// permissions its status-change time.
std::array<int64_t, 3> FileStamp(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        return {-1, -1, -1};
    }
    return {static_cast<int64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            static_cast<int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
}

PrintFiles& RealFiles() {
    static PrintFiles files;
    return files;
}

// While a file prints, the spooler's line and font calls go to its device.
class DeviceScope {
public:
    DeviceScope(printing::TextPrinter*& slot, printing::TextPrinter& device) : slot_(slot) {
        slot_ = &device;
    }
    ~DeviceScope() { slot_ = nullptr; }
    DeviceScope(const DeviceScope&) = delete;
    DeviceScope& operator=(const DeviceScope&) = delete;

private:
    printing::TextPrinter*& slot_;
};

} // namespace

Pravidla PravidlaKomentatora() {
    Pravidla p;
    p.vychozi.Tisknout = 0;
    p.vychozi.PridatFF = 0;
    p.tiskarnaZeSouboru = false;
    p.jenUzivatelskeFonty = true;
    p.vseZaBeh = false;
    p.piktogramy = false;
    p.tiskMaxZav = true;
    p.pevnaSlozka = true;
    return p;
}

Pravidla PravidlaProgramu() {
    return SI_Typ::ProgramKind == SI_Typ::KindCommentator ? PravidlaKomentatora() : Pravidla{};
}

bool PrintFiles::Read(const fs::path& file, std::string& bytes, std::string& error) {
    return platform::ReadWholeFile(file, bytes, &error);
}

bool PrintFiles::Remove(const fs::path& file, std::string& error) {
    std::error_code ec;
    fs::remove(file, ec); // a file someone else removed already is gone, which is the aim
    if (ec) {
        error = ec.message();
        return false;
    }
    return true;
}

void VytvorTiskovouSlozku() {
    const fs::path cwd = platform::CurrentDir();
    const std::string name = Tools::PrintSubdir();
    if (platform::FindNoCase(cwd, name.substr(0, name.size() - 1))) {
        return;
    }
    std::error_code ec;
    fs::create_directories(cwd / name, ec);
}

TDefTisk::TDefTisk(platform::IniFile& ini, printing::PrintBackend& backend, PrintStatus& status,
                   PrintMessages& messages, Pravidla pravidla)
    : nastaveni(pravidla.vychozi), ini_(ini), pravidla_(std::move(pravidla)), backend_(backend),
      status_(status), messages_(messages), files_(&RealFiles()), lastRun_(Tools::Stamp()),
      font_(SI_Font::VychoziFont()) {
    Nastaveni& n = nastaveni;
    n.Tisknout = static_cast<int16_t>(ini_.ReadInteger(Sekce, "Tisknout", n.Tisknout));
    n.TisknoutPikt = static_cast<int16_t>(ini_.ReadInteger(Sekce, "TisknoutPikt", n.TisknoutPikt));
    n.PridatFF = static_cast<int32_t>(ini_.ReadInteger(Sekce, "PridatFF", n.PridatFF));
    n.Cesta = ini_.ReadString(Sekce, "Cesta", n.Cesta);
    n.Maska = ini_.ReadString(Sekce, "Maska", n.Maska);
    n.Cyklus = static_cast<uint16_t>(ini_.ReadInteger(Sekce, "Cyklus", n.Cyklus));
    if (pravidla_.tiskMaxZav) {
        n.TiskMaxZav = static_cast<int32_t>(ini_.ReadInteger(Sekce, "TiskMaxZav", n.TiskMaxZav));
    }
}

std::string TDefTisk::SlozkaTisku() const {
    std::string folder;
    if (pravidla_.pevnaSlozka) {
        folder = Tools::PrintSubdir();
    } else if (SI_Typ::PodleRavlinOn()) {
        const std::string race(TrimBlank(Tools::RavlinRacePath()));
        folder = platform::ResolveNoCase(fs::path(race) / "Print").string();
    } else if (!nastaveni.Cesta.empty()) {
        folder = platform::FromWindowsPath(nastaveni.Cesta).string();
    }
    // No folder set: nothing is printed. Taken as the current folder it would print and
    // delete whatever text files lie there.
    return folder.empty() ? folder : platform::WithTrailingSlash(folder);
}

void TDefTisk::TimerPrinterTimer() {
    if (nastaveni.Tisknout == 1) {
        ZpracujTiskovouSlozku();
        status_.ShowPrintStatus(selhani_); // empty unless the last run failed
    }
}

std::vector<TDefTisk::Candidate> TDefTisk::Look(const fs::path& folder, std::string_view mask) {
    std::vector<Candidate> found;
    std::set<fs::path> seen;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (name.empty() || name.front() == '.' || !it->is_regular_file(typeEc)) {
            continue;
        }
        const bool pikt = pravidla_.piktogramy && nastaveni.TisknoutPikt == 1 &&
                          platform::MaskMatches(MaskaPiktogramu, name);
        if (!platform::MaskMatches(mask, name) && !pikt) {
            continue;
        }
        Candidate c;
        c.path = it->path();
        c.size = it->file_size(typeEc);
        // A file the results program is still writing changes between two looks.
        c.stable = stable_.IsStable(c.path);
        seen.insert(c.path);
        found.push_back(std::move(c));
    }
    for (const fs::path& p : looked_) {
        if (seen.count(p) == 0) {
            stable_.Forget(p);
            reported_.erase(p);
            undeleted_.erase(p);
            passedOver_.erase(p);
        }
    }
    looked_ = std::move(seen);
    std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        return platform::LessNoCase(a.path.filename().string(), b.path.filename().string());
    });
    return found;
}

void TDefTisk::ZpracujTiskovouSlozku() {
    if (busy_) {
        return;
    }
    Beh();
    // A box waits for OK and runs the window's timer meanwhile: it is shown once the run is
    // over, so the next run goes ahead while the operator reads it.
    while (!held_.empty()) {
        const std::string text = std::move(held_.front());
        held_.pop_front();
        messages_.ShowError(text);
    }
}

void TDefTisk::Beh() {
    if (nastaveni.Cyklus == 0) {
        return;
    }
    const std::string folder = SlozkaTisku();
    if (folder.empty()) {
        return;
    }
    // Every tick looks at the folder, so a file is known stable by the time a run comes.
    std::vector<Candidate> files = Look(folder, nastaveni.Maska);
    if (Tools::TimeDiffSec(lastRun_, Tools::Stamp()) < nastaveni.Cyklus) {
        return;
    }
    selhani_.clear();
    std::vector<Candidate> texts;
    std::vector<Candidate> pikts;
    for (Candidate& c : files) {
        const std::string name = c.path.filename().string();
        (platform::MaskMatches(nastaveni.Maska, name) ? texts : pikts).push_back(std::move(c));
    }

    for (const Candidate& c : texts) {
        lastRun_ = Tools::Stamp();
        if (PassedOver(c.path)) {
            continue;
        }
        if (!c.stable) {
            if (c.size == 0) {
                continue; // no ticket yet: it holds up no other
            }
            return; // later files wait too, so files print in their order
        }
        busy_ = true;
        std::string error;
        std::error_code ec;
        const fs::file_time_type written = fs::last_write_time(c.path, ec);
        const auto undeleted = undeleted_.find(c.path);
        // A file printed before whose deletion failed is only deleted now, not printed again.
        const bool printed = undeleted != undeleted_.end() && undeleted->second == written;
        if (!printed) {
            const Outcome outcome = PrintFile(c.path, c.size, error);
            if (outcome == Outcome::FileFailed) {
                // The file's own fault: the files behind it must not wait for it all day.
                Report(c.path, error, true);
                PassOver(c.path);
                busy_ = false;
                if (!pravidla_.vseZaBeh) {
                    return;
                }
                continue;
            }
            if (outcome == Outcome::PrinterFailed) {
                // Every file would fail the same way: all of them wait for the next run.
                Report(c.path, error, false);
                busy_ = false;
                return;
            }
        }
        reported_.erase(c.path);
        if (const auto taken = stable_.StableLook(c.path);
            taken && platform::LookAt(c.path) != taken) {
            // A new ticket under the name, or more of this one, since it was judged: it is
            // judged afresh and printed whole, never deleted unprinted.
            stable_.Forget(c.path);
            busy_ = false;
            return;
        }
        if (!files_->Remove(c.path, error)) {
            // Printing stops until the settings are stored again, or the file would print
            // again on every run.
            undeleted_[c.path] = written;
            nastaveni.Tisknout = 0;
            held_.push_back(SI_Typ::LangText("Nepodařilo se smazat " + c.path.string()));
            busy_ = false;
            return;
        }
        undeleted_.erase(c.path);
        stable_.Forget(c.path);
        looked_.erase(c.path);
        busy_ = false;
        if (!pravidla_.vseZaBeh) {
            return;
        }
    }

    lastRun_ = Tools::Stamp();
    if (!pravidla_.piktogramy || nastaveni.TisknoutPikt != 1 || !piktogramy_) {
        return;
    }
    for (const Candidate& c : pikts) {
        if (PassedOver(c.path)) {
            continue;
        }
        if (!c.stable) {
            return;
        }
        busy_ = true;
        std::string error;
        const fPikt::PiktResult result = piktogramy_(c.path, error);
        busy_ = false;
        switch (result) {
        case fPikt::PiktResult::Unreadable:
            Report(c.path, error, true);
            PassOver(c.path);
            continue; // one sheet file prints per run; this one did not
        case fPikt::PiktResult::Stuck:
            PassOver(c.path); // its message is shown; it would fail the same way every run
            return;
        case fPikt::PiktResult::PrintFailed:
            Report(c.path, error, false);
            return;
        default:
            return;
        }
    }
}

bool TDefTisk::PassedOver(const fs::path& file) {
    const auto it = passedOver_.find(file);
    if (it == passedOver_.end()) {
        return false;
    }
    if (it->second == FileStamp(file)) {
        return true;
    }
    // Changed since it failed: it is tried again, and a new failure is reported again.
    passedOver_.erase(it);
    reported_.erase(file);
    return false;
}

void TDefTisk::PassOver(const fs::path& file) {
    passedOver_[file] = FileStamp(file);
}

void TDefTisk::Report(const fs::path& file, const std::string& error, bool passedOver) {
    selhani_ =
        SI_Typ::LangText("Soubor se nepodařilo vytisknout: ", "The file could not be printed: ") +
        file.string() + " (" + error + ")";
    // Shown once per file and cause, however often the file is tried again; the status line
    // shows it after every run that failed.
    std::string& last = reported_[file];
    if (last == error) {
        return;
    }
    last = error;
    held_.push_back(selhani_ +
                    (passedOver ? SI_Typ::LangText("; soubor bude přeskakován, dokud se nezmění",
                                                   "; the file is passed over until it changes")
                                : std::string()));
}

PrinterTag TDefTisk::CtiTiskarnuSouboru(const fs::path& file) {
    std::string bytes;
    std::string error;
    if (!files_->Read(file, bytes, error)) {
        return {};
    }
    const std::vector<std::string_view> lines = SplitLines(bytes);
    return lines.empty() ? PrinterTag{} : FindPrinterTag(platform::Cp1250ToUtf8(lines[0]));
}

void TDefTisk::NastavTiskarnu(int n) {
    tiskarna_ = printing::ReadPrinterSetting(ini_, n);
}

bool TDefTisk::PrintPage(const std::function<void(QPainter& painter)>& draw, std::string& error) {
    printing::PrinterSetting portrait = tiskarna_;
    portrait.landscape = false;
    std::unique_ptr<printing::PrintJob> job = backend_.BeginJob(portrait, "Piktogramy", error);
    if (!job) {
        return false;
    }
    draw(job->Painter());
    return job->Finish(error);
}

void TDefTisk::ZobrazPostupTisku(const std::string& file, int64_t remaining) {
    status_.ShowPrintStatus(file + " (" + std::to_string(std::max<int64_t>(remaining, 0)) + " B)");
}

bool TDefTisk::TiskniSoubor(const fs::path& file, uintmax_t size, std::string& error) {
    return PrintFile(file, size, error) == Outcome::Printed;
}

TDefTisk::Outcome TDefTisk::PrintFile(const fs::path& file, uintmax_t size, std::string& error) {
    const std::string name = file.string();
    auto remaining = static_cast<int64_t>(size);
    ZobrazPostupTisku(name, remaining);
    std::string bytes;
    if (!files_->Read(file, bytes, error)) {
        return Outcome::FileFailed;
    }
    const std::vector<std::string_view> lines = SplitLines(bytes);
    PrinterTag tag;
    if (pravidla_.tiskarnaZeSouboru) {
        tag = lines.empty() ? PrinterTag{} : FindPrinterTag(platform::Cp1250ToUtf8(lines[0]));
        NastavTiskarnu(tag.printer);
    } else {
        tiskarna_ = tiskarnaBehu_;
    }

    std::unique_ptr<printing::PrintJob> job =
        backend_.BeginJob(tiskarna_, file.filename().string(), error);
    if (!job) {
        return Outcome::PrinterFailed;
    }
    printing::TextPrinter device(*job);
    const DeviceScope scope(device_, device);
    userFonts_ = SI_Font::LoadUserFonts(ini_);
    font_ = userFonts_[0];
    device.SetFont(font_);

    FormFeedFilter filter(nastaveni.PridatFF);
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.size() && device.Ok(); ++i) {
        remaining -= static_cast<int64_t>(lines[i].size()) + 2;
        ZobrazPostupTisku(name, remaining);
        std::string line = platform::Cp1250ToUtf8(lines[i]);
        if (i == 0 && tag.valid) {
            line.erase(0, tag.start);
            if (line.empty()) {
                continue;
            }
        }
        out.clear();
        filter.Line(std::move(line), out);
        for (const std::string& l : out) {
            TiskniRadek(l);
        }
    }
    out.clear();
    filter.End(out);
    for (const std::string& l : out) {
        TiskniRadek(l);
    }

    if (!device.Ok()) {
        job->Abort();
        error = SI_Typ::LangText("Tiskárna nezačala novou stránku",
                                 "The printer did not start a new page");
        return Outcome::PrinterFailed;
    }
    if (!device.Drawn()) {
        job->Abort(); // nothing to put on paper
        return Outcome::Printed;
    }
    return job->Finish(error) ? Outcome::Printed : Outcome::PrinterFailed;
}

void TDefTisk::TiskniRadek(std::string_view line) {
    if (device_ == nullptr) {
        return;
    }
    for (const LinePiece& piece : SplitFontTags(line)) {
        if (piece.tag) {
            NastavFontTisku(piece.text);
        } else {
            device_->Write(piece.text);
        }
    }
    device_->EndLine();
}

void TDefTisk::NastavFontTisku(std::string_view tagText) {
    const bool uzivatelsky =
        tagText.size() == 2 && tagText[0] == '=' && tagText[1] >= '0' && tagText[1] <= '9';
    if (pravidla_.jenUzivatelskeFonty && !uzivatelsky) {
        return;
    }
    fDefTisk::NastavFontTisku(tagText, font_, userFonts_);
    if (device_ != nullptr) {
        device_->SetFont(font_);
    }
}

void TDefTisk::NastavKlicFontu(std::string_view key, std::string_view value) {
    fDefTisk::NastavKlicFontu(key, value, font_);
    if (device_ != nullptr) {
        device_->SetFont(font_);
    }
}

DialogValues TDefTisk::FormActivate() const {
    DialogValues v;
    v.zpracovat = nastaveni.Tisknout == 1;
    v.piktogramy = nastaveni.TisknoutPikt == 1;
    v.pridatFF = nastaveni.PridatFF == 1 || nastaveni.PridatFF == -1 ? nastaveni.PridatFF : 0;
    v.slozkaTisku = SlozkaTisku();
    v.cesta = nastaveni.Cesta;
    v.maska = nastaveni.Maska;
    v.cyklus = std::to_string(nastaveni.Cyklus);
    v.tiskMaxZav = std::to_string(nastaveni.TiskMaxZav);
    v.showFolderChooser = !SI_Typ::PodleRavlinOn() && !pravidla_.pevnaSlozka;
    v.showPiktogramy = pravidla_.piktogramy;
    return v;
}

bool TDefTisk::Check_PiktogramyClick(bool ticked,
                                     const std::function<bool(const std::string&)>& fontInstalled) {
    if (ticked && !fontInstalled(FontPiktogramu)) {
        messages_.ShowError("Nemáte nainstalován font QZ-Davovazedi04. Piktogramy nelze tisknout");
        return false;
    }
    return ticked;
}

bool TDefTisk::BitBtnOkClick(const DialogValues& v) {
    const bool mitMaxZav = pravidla_.tiskMaxZav;
    // Every field is checked before anything is taken, so a wrong field stores nothing.
    int cyklus = 0;
    bool ok = FieldNumber(v.cyklus, 0, 65535, cyklus, messages_);
    int maxZav = nastaveni.TiskMaxZav;
    if (mitMaxZav) {
        ok = FieldNumber(v.tiskMaxZav, 0, INT32_MAX, maxZav, messages_) && ok;
    }
    if (!ok) {
        return false;
    }

    Nastaveni& n = nastaveni;
    if (pravidla_.pevnaSlozka) {
        n.Cesta = v.slozkaTisku;
    } else if (!SI_Typ::PodleRavlinOn()) {
        n.Cesta = v.cesta;
    }
    n.Maska = v.maska;
    n.Tisknout = v.zpracovat ? 1 : 0;
    n.TisknoutPikt = v.piktogramy ? 1 : 0;
    n.PridatFF = v.pridatFF == 1 || v.pridatFF == -1 ? v.pridatFF : 0;
    n.Cyklus = static_cast<uint16_t>(cyklus);
    n.TiskMaxZav = maxZav;

    bool written = ini_.WriteInteger(Sekce, "Tisknout", n.Tisknout);
    written = ini_.WriteInteger(Sekce, "TisknoutPikt", n.TisknoutPikt) && written;
    written = ini_.WriteInteger(Sekce, "PridatFF", n.PridatFF) && written;
    written = ini_.WriteInteger(Sekce, "Cyklus", n.Cyklus) && written;
    if (mitMaxZav) {
        written = ini_.WriteInteger(Sekce, "TiskMaxZav", n.TiskMaxZav) && written;
    }
    if (pravidla_.pevnaSlozka || !SI_Typ::PodleRavlinOn()) {
        written = ini_.WriteString(Sekce, "Cesta", n.Cesta) && written;
    }
    written = ini_.WriteString(Sekce, "Maska", n.Maska) && written;
    if (!written) {
        messages_.ShowError(SI_Typ::LangText("Nastavení se nepodařilo uložit: ",
                                             "The settings could not be stored: ") +
                            ini_.LastError());
    }
    return true;
}

} // namespace fDefTisk
