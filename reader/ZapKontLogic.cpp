#include "ZapKontLogic.h"

#include "Dialogs.h"
#include "SI_Backup.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "Tools.h"

#include <algorithm>

namespace ZapKont {

bool PlatneCislo(std::string_view trimmed) {
    return !trimmed.empty() &&
           std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void TZapKontLogic::FormActivate() {
    CisloKontrolyChange("");
}

void TZapKontLogic::CisloKontrolyChange(std::string_view text) {
    const std::string_view cislo = Tools::Trim(text);
    cislo_ = PlatneCislo(cislo) ? std::string(cislo) : std::string();
    vystSoubor_.clear();
    if (!cislo_.empty()) {
        // The port's own Path, also while PodleRavlin is on; an empty one stands for the
        // current folder, as when the port reads its settings.
        const TSIPort* p = tag_ >= 0 && tag_ < static_cast<int>(SI_Port::Porty.size())
                               ? SI_Port::Porty[static_cast<size_t>(tag_)].get()
                               : nullptr;
        const std::string folder = p != nullptr && !p->Path.empty() ? p->Path : ".";
        vystSoubor_ = SI_Backup::ListFileName(folder, cislo_);
    }
    // No number, no file: closing the dialog then writes nothing (not a file "SI_.bck").
    SI_Typ::SouborKontroly = vystSoubor_;
}

bool TZapKontLogic::BitBtnOkClick() {
    if (cislo_.empty()) {
        Dialogs::Messages().Error("Musí být zadáno číslo kontroly");
        return false;
    }
    return true;
}

void TZapKontLogic::BitBtnCancelClick() {
    SI_Typ::SouborKontroly.clear();
}

} // namespace ZapKont
