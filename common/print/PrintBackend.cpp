#include "PrintBackend.h"

#include "SI_Typ.h"
#include "platform/Paths.h"

#include <cups/cups.h>

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace printing {

namespace fs = std::filesystem;

namespace {

std::string Sekce(int n) {
    return "Tiskarna" + std::to_string(n);
}

class QtPrintJob : public PrintJob {
public:
    QtPrintJob() : printer_(QPrinter::HighResolution) {}
    ~QtPrintJob() override { Abort(); }

    QPrinter& Printer() { return printer_; }
    // For a PDF job: the file written and the name it gets when the job ends.
    void SetPdfFiles(fs::path temp, fs::path final) {
        temp_ = std::move(temp);
        final_ = std::move(final);
    }

    // For a job of the print server: the file Qt draws to, handed to the server when the job
    // ends, and the record of the server's failures.
    void SetServerJob(fs::path drawn, platform::ServiceState& server) {
        temp_ = std::move(drawn);
        server_ = &server;
    }

    bool Begin() { return painter_.begin(&printer_); }

    QPainter& Painter() override { return painter_; }
    bool NewPage() override { return printer_.newPage(); }

    bool Finish(std::string& error) override {
        if (!painter_.isActive()) {
            error = SI_Typ::LangText("Tisková úloha už skončila", "The print job has ended");
            return false;
        }
        const bool ended = painter_.end() && printer_.printerState() != QPrinter::Error;
        if (!ended) {
            error = SI_Typ::LangText("Tisk se nepodařil", "Printing failed");
            Discard();
            return false;
        }
        if (server_ != nullptr) {
            const bool accepted = Submit(error);
            Discard();
            return accepted;
        }
        if (!temp_.empty()) {
            std::error_code ec;
            fs::rename(temp_, final_, ec);
            if (ec) {
                error = final_.string() + ": " + ec.message();
                Discard();
                return false;
            }
            temp_.clear();
        }
        return true;
    }

    void Abort() override {
        if (painter_.isActive()) {
            if (temp_.empty()) {
                printer_.abort();
            }
            painter_.end();
        }
        Discard();
    }

private:
    // Hands the drawn job to the print server with the options Qt itself would give it. Qt
    // does not say when the server refuses a job, so it only draws, and a job counts as
    // printed once the server has taken all of it.
    bool Submit(std::string& error) {
        const QPageLayout layout = printer_.pageLayout();
        const bool landscape = layout.orientation() == QPageLayout::Landscape;
        const QByteArray media = layout.pageSize().key().toLocal8Bit();
        const char* sides = "one-sided";
        switch (printer_.duplex()) {
        case QPrinter::DuplexAuto:
            sides = landscape ? "two-sided-short-edge" : "two-sided-long-edge";
            break;
        case QPrinter::DuplexLongSide:
            sides = "two-sided-long-edge";
            break;
        case QPrinter::DuplexShortSide:
            sides = "two-sided-short-edge";
            break;
        default:
            break;
        }
        cups_option_t* options = nullptr;
        int count = cupsAddOption("media", media.constData(), 0, &options);
        count = cupsAddOption("sides", sides, count, &options);
        if (landscape) {
            count = cupsAddOption("landscape", "", count, &options);
        }
        const int job =
            cupsPrintFile(printer_.printerName().toLocal8Bit().constData(), temp_.c_str(),
                          printer_.docName().toLocal8Bit().constData(), count, options);
        cupsFreeOptions(count, options);
        if (job <= 0) {
            server_->Failed(cupsLastErrorString());
            error = server_->Text();
            return false;
        }
        server_->Succeeded();
        return true;
    }

    void Discard() {
        if (!temp_.empty()) {
            std::error_code ec;
            fs::remove(temp_, ec);
            temp_.clear();
        }
    }

    QPrinter printer_;
    QPainter painter_;
    fs::path temp_;
    fs::path final_;
    platform::ServiceState* server_ = nullptr;
};

void SetOrientation(QPrinter& printer, bool landscape) {
    // A printer that refuses landscape prints portrait.
    if (!printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait)) {
        printer.setPageOrientation(QPageLayout::Portrait);
    }
}

// Number of a file named Tisk<digits>.pdf in any letter case; 0 for other names.
int PdfNumber(const std::string& name) {
    if (name.size() < 9 || name.size() > 17) {
        return 0;
    }
    std::string lower = name;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (lower.rfind("tisk", 0) != 0 || lower.substr(lower.size() - 4) != ".pdf") {
        return 0;
    }
    int n = 0;
    for (size_t i = 4; i + 4 < lower.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(lower[i])) == 0) {
            return 0;
        }
        n = n * 10 + (lower[i] - '0');
    }
    return n;
}

// The print server's reason when it does not answer; empty when it does (with or without
// printers).
std::string ServerFailure() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    cupsFreeDests(count, dests);
    return count == 0 && cupsLastError() >= IPP_STATUS_ERROR_INTERNAL ? cupsLastErrorString() : "";
}

} // namespace

PrinterSetting ReadPrinterSetting(platform::IniFile& ini, int n) {
    const std::string section = Sekce(n);
    PrinterSetting s;
    s.name = ini.ReadString(section, "PrinterName", "");
    s.index = static_cast<int>(ini.ReadInteger(section, "PrinterIndex", -1));
    s.landscape = ini.ReadInteger(section, "Orientation", 0) == 1;
    return s;
}

bool WritePrinterSetting(platform::IniFile& ini, int n, const PrinterSetting& setting) {
    const std::string section = Sekce(n);
    bool ok = ini.WriteInteger(section, "PrinterIndex", setting.index);
    ok = ini.WriteString(section, "PrinterName", setting.name) && ok;
    ok = ini.WriteInteger(section, "Orientation", setting.landscape ? 1 : 0) && ok;
    return ok;
}

int ChoosePrinter(const std::vector<std::string>& printers, const PrinterSetting& setting) {
    if (!setting.name.empty()) {
        for (size_t i = 0; i < printers.size(); ++i) {
            if (printers[i] == setting.name) {
                return static_cast<int>(i);
            }
        }
    }
    if (setting.index >= 0 && static_cast<size_t>(setting.index) < printers.size()) {
        return setting.index;
    }
    return -1;
}

std::vector<std::string> SystemPrinterList::Names() {
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        names.push_back(name.toStdString());
    }
    return names;
}

std::string SystemPrinterList::DefaultName() {
    return QPrinterInfo::defaultPrinterName().toStdString();
}

SystemPrintBackend::SystemPrintBackend(PrinterList& printers)
    : printers_(printers), server_(SI_Typ::LangText("Tiskový server", "Print server"), 10'000) {}

std::unique_ptr<PrintJob> SystemPrintBackend::BeginJob(const PrinterSetting& printer,
                                                       const std::string& title,
                                                       std::string& error) {
    auto job = std::make_unique<QtPrintJob>();
    QPrinter& p = job->Printer();
    const std::vector<std::string> names = printers_.Names();
    const int chosen = ChoosePrinter(names, printer);
    if (chosen >= 0) {
        p.setPrinterName(QString::fromStdString(names[chosen]));
    }
    if ((chosen < 0 && printers_.DefaultName().empty()) || !p.isValid()) {
        // No printer because the server did not answer: its own reason, as for a refused job.
        if (const std::string reason = ServerFailure(); !reason.empty()) {
            server_.Failed(reason);
            error = server_.Text();
            return nullptr;
        }
        error = SI_Typ::LangText("Není k dispozici žádná tiskárna", "No printer is available");
        return nullptr;
    }
    p.setDocName(QString::fromStdString(title));
    SetOrientation(p, printer.landscape);
    if (!server_.DueForTry()) {
        error = server_.Text();
        return nullptr;
    }
    // Qt draws the job into a file of ours (a name without ".pdf" keeps the printer's page),
    // which goes to the server when the job ends.
    std::string drawn = (QDir::tempPath() + "/tisk_XXXXXX").toStdString();
    const int fd = ::mkstemp(drawn.data());
    if (fd < 0) {
        error = drawn + ": " + std::strerror(errno);
        return nullptr;
    }
    ::close(fd);
    p.setOutputFileName(QString::fromStdString(drawn));
    job->SetServerJob(drawn, server_);
    if (!job->Begin()) {
        error = SI_Typ::LangText("Tiskárna ", "Printer ") + p.printerName().toStdString() +
                SI_Typ::LangText(" nepřijala úlohu", " refused the job");
        return nullptr;
    }
    return job;
}

std::unique_ptr<PrintJob> PdfPrintBackend::BeginJob(const PrinterSetting& printer,
                                                    const std::string& title, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    int last = 0;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        last = std::max(last, PdfNumber(it->path().filename().string()));
    }
    if (ec) {
        error = folder_.string() + ": " + ec.message();
        return nullptr;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Tisk%04d.pdf", last + 1);
    const fs::path final = folder_ / name;
    fs::path temp = final;
    temp += ".part";

    auto job = std::make_unique<QtPrintJob>();
    QPrinter& p = job->Printer();
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(temp.string()));
    p.setDocName(QString::fromStdString(title));
    p.setPageSize(QPageSize(QPageSize::A4));
    SetOrientation(p, printer.landscape);
    job->SetPdfFiles(temp, final);
    if (!job->Begin()) {
        error = temp.string() + SI_Typ::LangText(": nelze zapsat", ": cannot be written");
        return nullptr;
    }
    return job;
}

std::unique_ptr<PrintBackend> MakePrintBackend(platform::IniFile& ini, PrinterList& printers) {
    const std::string folder = ini.ReadString(SekceTisku, KlicSlozkaPdf, "");
    if (!folder.empty()) {
        return std::make_unique<PdfPrintBackend>(platform::FromWindowsPath(folder));
    }
    return std::make_unique<SystemPrintBackend>(printers);
}

} // namespace printing
