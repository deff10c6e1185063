#include "fSetPortLogic.h"

#include "Dialogs.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Cp1250.h"

#include <charconv>
#include <string_view>
#include <system_error>

using namespace SI_Typ;

namespace fSetPort {

namespace {

constexpr int PathMaxChars = 255;
// The modes the dialog offers: 0..3. PC Auto (9) is set by no dialog.
constexpr int PocetFunkci = 4;

bool CeleCislo(std::string_view text, int& value) {
    std::string_view t = Tools::Trim(text);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
        if (!t.empty() && t.front() == '-') {
            return false;
        }
    }
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return !t.empty() && ec == std::errc() && end == t.data() + t.size();
}

} // namespace

std::string MaxTimeHint(int mode) {
    if (mode == 3) {
        return LangText("Maximální možná doba pro čtení kontroly (doporučeno : 15)",
                        "Max. time for reading SI station backup (recomended : 15)");
    }
    return LangText("Maximální možná doba pro načtení čipu (doporučeno : 4)",
                    "Max. time for reading SI card (recomended : 4)");
}

TZobrazeni TSetComLogic::FormActivate() {
    const TSIPort& p = port_;
    TZobrazeni z;
    z.caption = LangText("Nastavení portu COM", "Setting port COM") + std::to_string(p.comNumber);
    for (int mode = 0; mode < PocetFunkci; ++mode) {
        z.funkce.push_back(PortModeText(mode));
    }
    z.funkceIndex = p.Rezim < PocetFunkci ? p.Rezim : -1;
    z.rychlosti = {"4800 - BSM 4-6", "38400 - BSM 7-8 (USB)"};
    // Any value but 1 runs the line at 4800 Bd.
    z.rychlostIndex = p.Rychlost == 1 ? 1 : 0;
    z.maxTimeHint = MaxTimeHint(p.Rezim);
    z.maxTime = std::to_string(p.MaxTime);
    z.infoOkno = p.InfoOkno;
    z.checkSum = p.CheckSum;
    // While PodleRavlin is on the files go to the results program's race folder whatever the
    // port's Path says: show that folder and leave Path alone.
    slozkaViditelna_ = !PodleRavlinOn();
    z.slozkaViditelna = slozkaViditelna_;
    z.slozka = p.Path;
    z.exportPath = slozkaViditelna_ ? p.Path : p.OutputDir();
    return z;
}

void TSetComLogic::BitBtnOkClick(const THodnoty& h) {
    TSIPort& p = port_;
    if (slozkaViditelna_) {
        p.Path = platform::Utf8Left(h.slozka, PathMaxChars);
    }
    if (h.rychlost == 0 || h.rychlost == 1) {
        p.SetRychlost(h.rychlost);
    }
    // No item chosen (a port in a mode the list does not offer) keeps the mode.
    if (h.funkce >= 0 && h.funkce < PocetFunkci) {
        p.SetMode(h.funkce);
    }
    if (int seconds = 0; CeleCislo(h.maxTime, seconds)) {
        p.SetMaxTime(seconds);
    }
    p.CheckSum = h.checkSum;
    p.SetInfoOkno(h.infoOkno);
    if (!p.SaveSettings(TSIPort::VariantReader) && SI_Typ::IniNastaveni) {
        Dialogs::Messages().Error(
            LangText("Nastavení se nepodařilo uložit: ", "The settings could not be stored: ") +
            SI_Typ::IniNastaveni->LastError());
    }
}

} // namespace fSetPort
