#pragma once

#include "PiktResult.h"
#include "PrintBackend.h"
#include "PrintMarkup.h"
#include "SI_Font.h"
#include "TextPrinter.h"
#include "Tools.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

class QPainter;

// The print-folder spooler: every few seconds it prints the text files the results program
// drops into the print folder, in name order, and deletes each once printed; when no text
// file is waiting it hands one control-description file (Pikt*.dat) on. The chip reader and
// the commentator share it; what sets their spoolers apart is in Pravidla.
namespace fDefTisk {

// The print markup, shared with the commentator's spooler.
using printing::AsciiUpper;
using printing::BarvaZadna;
using printing::FindPrinterTag;
using printing::FormFeedFilter;
using printing::LinePiece;
using printing::MaxDelkaTagu;
using printing::NastavFontTisku;
using printing::NastavKlicFontu;
using printing::ParseWholeNumber;
using printing::PrinterTag;
using printing::SplitFontTags;
using printing::TrimBlank;

// Section of the spooler's settings.
inline constexpr const char* Sekce = "DefPrint";

struct Nastaveni {
    int16_t Tisknout = 1;     // 1 = the spooler runs
    int16_t TisknoutPikt = 0; // 1 = print control-description files
    int32_t PridatFF = -1;    // form feed at the end of a file: 1 add, 0 leave, -1 remove
    std::string Cesta;        // print folder when neither Ravlin nor the commentator decides
    std::string Maska = "*.txt";
    uint16_t Cyklus = 10;    // least seconds between two runs; 0 = never
    int32_t TiskMaxZav = 50; // the commentator's runner limit per category
};

// What one program's spooler does differently.
struct Pravidla {
    Nastaveni vychozi;                // the settings' defaults
    bool tiskarnaZeSouboru = true;    // a "<PRINTER=n>" tag on a file's first line picks setting n
    bool jenUzivatelskeFonty = false; // of the font tags only "=0".."=9" change the font
    bool vseZaBeh = true;             // every waiting file in one run; else only the first
    bool piktogramy = true;           // control-description sheets
    bool tiskMaxZav = false;          // the runner limit is read and stored
    // The print folder is fixed (Tools::PrintSubdir) and "Cesta" is written from it.
    bool pevnaSlozka = false;
};

// The chip reader's rules; the commentator's when the program is the commentator.
Pravidla PravidlaProgramu();
// No printer tag (the printer chosen for the run), user-font tags only, one file per run, no
// sheets, the runner limit stored, printing off and form feeds left alone by default.
Pravidla PravidlaKomentatora();

// The main window's status label InfoPrint.
class PrintStatus {
public:
    virtual ~PrintStatus() = default;
    virtual void ShowPrintStatus(const std::string& text) = 0;
};

// Error boxes (OK button). Tests record them instead of blocking.
class PrintMessages {
public:
    virtual ~PrintMessages() = default;
    virtual void ShowError(const std::string& text) = 0;
};

// The file steps of the spooler. Tests put in failures that a real folder cannot produce
// when they run as root.
class PrintFiles {
public:
    virtual ~PrintFiles() = default;
    virtual bool Read(const std::filesystem::path& file, std::string& bytes, std::string& error);
    virtual bool Remove(const std::filesystem::path& file, std::string& error);
};

// Prints one control-description file (see TDefTisk::PrintPage) and deletes it once printed.
// A file that is unreadable or stuck is passed over until it changes; a failed job leaves every
// sheet file for the next run. `error` says why on Unreadable and PrintFailed.
using TiskniPiktogramyHook =
    std::function<fPikt::PiktResult(const std::filesystem::path& file, std::string& error)>;

// The folder "print/" in the current folder, created at start-up when missing.
void VytvorTiskovouSlozku();

// What the settings dialog shows and hands back.
struct DialogValues {
    bool zpracovat = false;  // check_Zpracovat
    bool piktogramy = false; // Check_Piktogramy
    int32_t pridatFF = -1;   // rbPridat 1, rbNic 0, rbOdstranit -1
    std::string slozkaTisku; // Edit_Cesta: the print folder in use
    std::string cesta;       // the folder chooser
    std::string maska;
    std::string cyklus;     // text of the cycle field
    std::string tiskMaxZav; // text of the runner-limit field
    bool showFolderChooser = false;
    bool showPiktogramy = false;
};

class TDefTisk {
public:
    // Reads the settings (the form's creation); the last run counts from now.
    TDefTisk(platform::IniFile& ini, printing::PrintBackend& backend, PrintStatus& status,
             PrintMessages& messages, Pravidla pravidla = PravidlaProgramu());

    Nastaveni nastaveni;

    // The main window's 5 s timer: one run while printing is on, then InfoPrint shows why the
    // last run failed, or is cleared.
    void TimerPrinterTimer();
    // One run: nothing while busy, with Cyklus 0, or before Cyklus seconds since the last run.
    void ZpracujTiskovouSlozku();

    // Prints one file; true when it was read whole and the job ended without error. The file
    // is read before the job starts and every failure aborts the job, so a file that fails
    // leaves nothing printed and prints once when tried again. `error` says why it failed.
    bool TiskniSoubor(const std::filesystem::path& file, uintmax_t size, std::string& error);
    // Printer tag of a file's first line; printer 0 from the start when none or unreadable.
    PrinterTag CtiTiskarnuSouboru(const std::filesystem::path& file);
    // Applies printer setting n; the control-description sheets print on it too.
    void NastavTiskarnu(int n);
    const printing::PrinterSetting& AktualniTiskarna() const { return tiskarna_; }
    // While a file prints: one line with its font tags.
    void TiskniRadek(std::string_view line);
    void NastavFontTisku(std::string_view tagText);
    void NastavKlicFontu(std::string_view key, std::string_view value);
    // One page as one print job, portrait, on the printer the last file chose: the job of a
    // control-description sheet. False, with the reason, when the job failed (no output).
    bool PrintPage(const std::function<void(QPainter& painter)>& draw, std::string& error);
    // InfoPrint := file + " (" + bytes still to print + " B)".
    void ZobrazPostupTisku(const std::string& file, int64_t remaining);

    // The print folder with a trailing '/'; empty when none is set.
    std::string SlozkaTisku() const;

    // The printer of files without a printer tag when the rules ignore tags (the printer
    // set-up of the commentator's menu; default printer, portrait until then).
    void NastavTiskarnuBehu(const printing::PrinterSetting& setting) { tiskarnaBehu_ = setting; }
    const Pravidla& PravidlaSpooleru() const { return pravidla_; }

    void SetTiskniPiktogramy(TiskniPiktogramyHook hook) { piktogramy_ = std::move(hook); }
    void SetFiles(PrintFiles& files) { files_ = &files; }
    printing::PrintBackend& Backend() { return backend_; }
    PrintStatus& Status() { return status_; }
    bool Busy() const { return busy_; }

    // The settings dialog: what it shows, the check of the pictogram box, and OK. OK checks
    // the fields first and stores nothing while one is wrong (false: the dialog stays open).
    DialogValues FormActivate() const;
    bool Check_PiktogramyClick(bool ticked,
                               const std::function<bool(const std::string&)>& fontInstalled);
    bool BitBtnOkClick(const DialogValues& values);

private:
    struct Candidate {
        std::filesystem::path path;
        uintmax_t size = 0;
        bool stable = false;
    };
    // Files of the folder matching a mask, in name order, each with whether it is stable.
    std::vector<Candidate> Look(const std::filesystem::path& folder, std::string_view mask);
    // One run; its messages are held until it is over.
    void Beh();
    // Shows a failure once per file and cause.
    void Report(const std::filesystem::path& file, const std::string& error, bool passedOver);
    enum class Outcome { Printed, FileFailed, PrinterFailed };
    Outcome PrintFile(const std::filesystem::path& file, uintmax_t size, std::string& error);
    // A file that failed for a reason of its own is passed over until it looks different.
    bool PassedOver(const std::filesystem::path& file);
    void PassOver(const std::filesystem::path& file);

    platform::IniFile& ini_;
    Pravidla pravidla_;
    printing::PrintBackend& backend_;
    PrintStatus& status_;
    PrintMessages& messages_;
    PrintFiles* files_;
    TiskniPiktogramyHook piktogramy_;

    bool busy_ = false;
    std::deque<std::string> held_; // messages of the run, shown when it is over
    std::string selhani_;          // the last run's failure, for the status line
    int64_t lastRun_;
    platform::StableFileCheck stable_;
    std::set<std::filesystem::path> looked_;
    std::map<std::filesystem::path, std::string> reported_; // last failure shown per file
    // Printed files that could not be deleted, with their modification time.
    std::map<std::filesystem::path, std::filesystem::file_time_type> undeleted_;
    std::map<std::filesystem::path, std::array<int64_t, 3>> passedOver_;

    printing::PrinterSetting tiskarna_;
    printing::PrinterSetting tiskarnaBehu_;
    printing::TextPrinter* device_ = nullptr; // while a file prints
    SI_Font::UserFonts userFonts_;
    Tools::FontSpec font_;
};

} // namespace fDefTisk
