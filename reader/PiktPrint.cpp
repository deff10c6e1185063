#include "PiktPrint.h"

#include "PiktDraw.h"
#include "PiktSheets.h"
#include "SI_Typ.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <QPainter>

#include <system_error>

namespace fPikt {

namespace {

// Deletes the file (one already gone is fine); on failure shows the spooler's message for a
// file it cannot delete.
bool Delete(const std::filesystem::path& file, const PiktHost& host) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    if (!ec) {
        return true;
    }
    host.showError("Nepodařilo se smazat " + file.string());
    return false;
}

} // namespace

PiktResult TiskniPiktogramy(const std::filesystem::path& file, bool toPrinter, const PiktHost& host,
                            std::string& error) {
    host.showStatus("Piktogramy : " + file.string());

    std::string bytes;
    if (!platform::ReadWholeFile(file, bytes, &error)) {
        return PiktResult::Unreadable;
    }
    if (bytes.size() % TPiktRec::Size != 0) {
        // A torn or foreign file: left in place it would be refused in every run and block
        // every file after it.
        const std::string size = std::to_string(bytes.size());
        auto aside = file;
        aside += ".bad";
        std::error_code ec;
        std::filesystem::rename(file, aside, ec);
        if (ec) {
            host.showError(SI_Typ::LangText(
                "Soubor piktogramů " + file.string() + " nemá celé záznamy (" + size +
                    " B) a nepodařilo se jej odložit: " + ec.message(),
                "The control description file " + file.string() + " does not hold whole records (" +
                    size + " B) and could not be set aside: " + ec.message()));
            return PiktResult::Stuck;
        }
        host.showError(SI_Typ::LangText(
            "Soubor piktogramů " + file.string() + " nemá celé záznamy (" + size +
                " B), byl odložen jako " + aside.string(),
            "The control description file " + file.string() + " does not hold whole records (" +
                size + " B); it was set aside as " + aside.string()));
        return PiktResult::SetAside;
    }

    TSeznamPopisu list(toPrinter);
    list.ReadRecords(bytes);
    if (list.Sheets().empty()) {
        return Delete(file, host) ? PiktResult::NothingToDraw : PiktResult::Stuck;
    }
    const auto folder = host.fontFolder.empty() ? platform::ProgramDir() : host.fontFolder;
    if (!EnsurePiktFont(folder) && toPrinter) {
        host.showError("Nemáte nainstalován font QZ-Davovazedi04. Piktogramy nelze tisknout");
    }
    list.Sort();

    const PiktFonts fonts(toPrinter);
    std::vector<PiktPage> pages; // packed once the first page tells the page size
    size_t index = 0;
    const PiktPageDraw draw = [&](QPainter& painter) {
        painter.save();
        const QSize pageSize = SetSheetScale(painter, *painter.device(), toPrinter);
        if (pages.empty()) {
            pages = list.Pack(pageSize.width(), pageSize.height());
        }
        DrawPage(painter, pages[index], fonts);
        painter.restore();
    };
    do {
        if (!host.printPage(draw, error)) {
            return PiktResult::PrintFailed;
        }
        if (pages.empty()) {
            error = "the page was not drawn";
            return PiktResult::PrintFailed;
        }
    } while (++index < pages.size());
    return Delete(file, host) ? PiktResult::Printed : PiktResult::Stuck;
}

} // namespace fPikt
