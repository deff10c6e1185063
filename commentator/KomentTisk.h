#pragma once

// The commentator's printing: the print-folder spooler with the commentator's rules on the
// print backend of Hlasvel.ini (PDF files when DefPrint/SlozkaPdf names a folder), and the
// printer the user chose for this run. The main form owns one and calls
//
//   print timer (1 s, while Spooler().nastaveni.Tisknout is 1)   Timer1s()
//   printer set-up menu item                                      NastaveniTiskarny()
//   "Zpracovávat soubory"                                        fDefTiskKom's dialog

#include "PrintBackend.h"
#include "PrinterMenu.h"
#include "fDefTisk.h"
#include "platform/IniFile.h"

#include <memory>

namespace KomentTisk {

class TTisk {
public:
    TTisk(platform::IniFile& ini, printing::PrinterList& printers, fDefTisk::PrintStatus& status,
          fDefTisk::PrintMessages& messages);

    fDefTisk::TDefTisk& Spooler() { return *spooler_; }
    printing::PrintBackend& Backend() { return *backend_; }
    // One spooler run; InfoPrint then shows why it failed, or is emptied.
    void Timer1s() { spooler_->TimerPrinterTimer(); }
    // Printer set-up: the printer and orientation for the rest of this run (not stored);
    // false when cancelled.
    bool NastaveniTiskarny(printing::PrinterSetupDialog& dialog);

private:
    printing::PrinterList& printers_;
    std::unique_ptr<printing::PrintBackend> backend_;
    std::unique_ptr<fDefTisk::TDefTisk> spooler_;
    printing::PrinterSetting zvolena_;
};

} // namespace KomentTisk
