#pragma once

// What the control-number dialog decides, apart from the window: the backup list file named
// after the control number, left in SI_Typ::SouborKontroly for the port that writes the list.
// An empty SouborKontroly after the dialog means that nothing is written.

#include <string>
#include <string_view>

namespace ZapKont {

// A control number is digits only: it becomes part of a file name.
bool PlatneCislo(std::string_view trimmed);

class TZapKontLogic {
public:
    // `tag`: the COM number whose Path names the folder of the file.
    explicit TZapKontLogic(int tag) : tag_(tag) {}

    // Starts with no number and so with no file.
    void FormActivate();
    // Every edit: the file name for the number typed so far (none without a valid number).
    void CisloKontrolyChange(std::string_view text);
    // False, with the error box, while there is no number: the dialog stays open.
    bool BitBtnOkClick();
    // Nothing will be written.
    void BitBtnCancelClick();

    // VystSoubor: the file name shown.
    const std::string& VystSoubor() const { return vystSoubor_; }

private:
    int tag_;
    std::string cislo_;
    std::string vystSoubor_;
};

} // namespace ZapKont
