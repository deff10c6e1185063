#include "PrinterMenu.h"

#include "SI_Typ.h"

namespace printing {

std::string PrinterMenuSuffix(platform::IniFile& ini, const std::vector<std::string>& printers,
                              int n) {
    const int chosen = ChoosePrinter(printers, ReadPrinterSetting(ini, n));
    return chosen < 0 ? std::string() : " = " + printers[chosen];
}

std::string PrinterMenuCaption(platform::IniFile& ini, const std::vector<std::string>& printers,
                               int n) {
    return "Tiskárna &" + std::to_string(n) + PrinterMenuSuffix(ini, printers, n);
}

std::vector<std::string> PrinterMenuCaptions(platform::IniFile& ini, PrinterList& printers) {
    const std::vector<std::string> names = printers.Names();
    std::vector<std::string> captions;
    captions.reserve(PocetTiskaren);
    for (int n = 0; n < PocetTiskaren; ++n) {
        captions.push_back(PrinterMenuCaption(ini, names, n));
    }
    return captions;
}

bool SetTiskarna(platform::IniFile& ini, PrinterList& printers, PrinterSetupDialog& dialog, int n,
                 std::string& error) {
    error.clear();
    const std::vector<std::string> names = printers.Names();
    const PrinterSetting current = ReadPrinterSetting(ini, n);
    const int chosen = ChoosePrinter(names, current);
    PrinterChoice choice{chosen >= 0 ? names[chosen] : printers.DefaultName(), current.landscape};
    if (!dialog.Run(choice, names)) {
        return false;
    }
    PrinterSetting setting;
    setting.name = choice.printer;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == choice.printer) {
            setting.index = static_cast<int>(i);
            break;
        }
    }
    setting.landscape = choice.landscape;
    if (!WritePrinterSetting(ini, n, setting)) {
        error = SI_Typ::LangText("Nastavení tiskárny se nepodařilo uložit: ",
                                 "The printer setting could not be stored: ") +
                ini.LastError();
        return false;
    }
    return true;
}

} // namespace printing
