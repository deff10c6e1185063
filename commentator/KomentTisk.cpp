#include "KomentTisk.h"

namespace KomentTisk {

TTisk::TTisk(platform::IniFile& ini, printing::PrinterList& printers, fDefTisk::PrintStatus& status,
             fDefTisk::PrintMessages& messages)
    : printers_(printers), backend_(printing::MakePrintBackend(ini, printers)),
      spooler_(std::make_unique<fDefTisk::TDefTisk>(ini, *backend_, status, messages,
                                                    fDefTisk::PravidlaKomentatora())) {}

bool TTisk::NastaveniTiskarny(printing::PrinterSetupDialog& dialog) {
    const std::vector<std::string> names = printers_.Names();
    const int chosen = printing::ChoosePrinter(names, zvolena_);
    printing::PrinterChoice choice{chosen >= 0 ? names[chosen] : printers_.DefaultName(),
                                   zvolena_.landscape};
    if (!dialog.Run(choice, names)) {
        return false;
    }
    zvolena_ = {};
    zvolena_.name = choice.printer;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == choice.printer) {
            zvolena_.index = static_cast<int>(i);
        }
    }
    zvolena_.landscape = choice.landscape;
    spooler_->NastavTiskarnuBehu(zvolena_);
    return true;
}

} // namespace KomentTisk
