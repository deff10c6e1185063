#pragma once

#include "platform/IniFile.h"
#include "platform/ServiceState.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class QPainter;

// Where print jobs go: the system printer (CUPS) or numbered PDF files in a folder. The
// spooler and the control-description sheets draw on a job's painter and do not care which.
namespace printing {

// Printer setting "Tiskarna" + n (n = 0..5 from the printer menu).
struct PrinterSetting {
    // Chosen by name first: CUPS does not keep its printers in a stable order, so a stored
    // index alone may point at another printer after one is added or removed.
    std::string name;       // key PrinterName
    int index = -1;         // key PrinterIndex; -1 = the system's default printer
    bool landscape = false; // key Orientation, 1 = landscape
};

// Section "Tiskarna" + n; a section that does not exist gives the defaults.
PrinterSetting ReadPrinterSetting(platform::IniFile& ini, int n);
bool WritePrinterSetting(platform::IniFile& ini, int n, const PrinterSetting& setting);

// Index in `printers` of the printer a setting names: by name when that printer exists, else
// by the stored index when it is valid; -1 = the default printer.
int ChoosePrinter(const std::vector<std::string>& printers, const PrinterSetting& setting);

class PrinterList {
public:
    virtual ~PrinterList() = default;
    virtual std::vector<std::string> Names() = 0;
    // Empty when there is none.
    virtual std::string DefaultName() = 0;
};

// The printers the system knows (CUPS).
class SystemPrinterList : public PrinterList {
public:
    std::vector<std::string> Names() override;
    std::string DefaultName() override;
};

// One print job. Painting goes to the current page, whose size in device pixels is the
// painter's device's width() and height(). A job that is neither finished nor aborted is
// aborted when it goes away.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual QPainter& Painter() = 0;
    virtual bool NewPage() = 0;
    // Ends the job; true when its output was written or handed to the printer.
    virtual bool Finish(std::string& error) = 0;
    // Ends the job leaving no output.
    virtual void Abort() = 0;
};

class PrintBackend {
public:
    virtual ~PrintBackend() = default;
    // nullptr with the reason in `error` when the job cannot start.
    virtual std::unique_ptr<PrintJob> BeginJob(const PrinterSetting& printer,
                                               const std::string& title, std::string& error) = 0;
};

// A job counts as printed once the print server has taken all of it; a server that refused
// one is tried again after an interval, and until then a job fails at once with its reason.
class SystemPrintBackend : public PrintBackend {
public:
    explicit SystemPrintBackend(PrinterList& printers);
    std::unique_ptr<PrintJob> BeginJob(const PrinterSetting& printer, const std::string& title,
                                       std::string& error) override;
    const platform::ServiceState& Server() const { return server_; }

private:
    PrinterList& printers_;
    platform::ServiceState server_;
};

// Each job becomes the next numbered file Tisk0001.pdf, Tisk0002.pdf ... in a folder (A4,
// orientation from the setting; the printer's name and index do not matter). The file is
// written under a temporary name and renamed when the job ends, so a reader of the folder
// never sees half a file.
class PdfPrintBackend : public PrintBackend {
public:
    explicit PdfPrintBackend(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::unique_ptr<PrintJob> BeginJob(const PrinterSetting& printer, const std::string& title,
                                       std::string& error) override;
    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

// Section and key of the PDF folder; when the key holds a folder, jobs go there as PDF files
// instead of to the system printer.
inline constexpr const char* SekceTisku = "DefPrint";
inline constexpr const char* KlicSlozkaPdf = "SlozkaPdf";

std::unique_ptr<PrintBackend> MakePrintBackend(platform::IniFile& ini, PrinterList& printers);

} // namespace printing
