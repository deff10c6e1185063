#pragma once

#include "PiktResult.h"

#include <filesystem>
#include <functional>
#include <string>

class QPainter;

// Printing one control-description file (Pikt*.dat) that the spooler hands on.
namespace fPikt {

// Draws one page; the painter is on the page, its device gives the page size and resolution.
using PiktPageDraw = std::function<void(QPainter& painter)>;

// What the spooler gives a sheet job.
struct PiktHost {
    // Prints one page as one print job: begins a job (portrait), calls `draw` once with a
    // painter on its page, ends the job. False, with the reason in `error`, when the job could
    // not begin or end; such a job leaves no output.
    std::function<bool(const PiktPageDraw& draw, std::string& error)> printPage;
    // The main window's label InfoPrint.
    std::function<void(const std::string& text)> showStatus;
    // An error box with an OK button.
    std::function<void(const std::string& text)> showError;
    // Where the program keeps its copy of the pictogram font.
    std::filesystem::path fontFolder;
};

// Reads the file whole before any job starts, builds and packs the sheets, prints each page
// as its own job and deletes the file once every page printed. `error` tells why on
// Unreadable and PrintFailed; the other outcomes show their own message.
PiktResult TiskniPiktogramy(const std::filesystem::path& file, bool toPrinter, const PiktHost& host,
                            std::string& error);

} // namespace fPikt
