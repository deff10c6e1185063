#include "PrintBackend.h"

#include "SI_Typ.h"
#include "platform/Paths.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cctype>
#include <cstdio>

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
        error = SI_Typ::LangText("Není k dispozici žádná tiskárna", "No printer is available");
        return nullptr;
    }
    p.setDocName(QString::fromStdString(title));
    SetOrientation(p, printer.landscape);
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
