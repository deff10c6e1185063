// Who may do what at the registration desk, and the kiosk's logs.
#include "SISam_Proc.h"

#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <cmath>
#include <cstdio>

namespace SISam_Proc {

using namespace SISam_Typ;

void ResetFiles(); // SISam_Files.cpp

int UrovenAkce(int akce, std::string_view kategorie) {
    if (akce < 1 || akce >= AkceZmenaJmena) {
        return 0; // the name change has no flow, so it is never offered
    }
    const int globalni = Param.Uroven[akce];
    if (kategorie.empty()) {
        const int n = MaxUrovenKategorie[akce];
        return n > 0 ? std::max(n - 1, globalni) : globalni;
    }
    const int i = NajdiKategorii(kategorie);
    if (i < 0) {
        return globalni;
    }
    const int n = SeznamKategorii[static_cast<size_t>(i)].Uroven[akce];
    return n == 0 ? globalni : n - 1;
}

bool PovolenaAkce(int akce, std::string_view kategorie) {
    const int uroven = UrovenAkce(akce, kategorie);
    return uroven == 2 || (uroven == 1 && !PrezentaceUzavrena());
}

bool PrezentaceUzavrena() {
    if (Param.PrezentaceDo == 0) {
        return false;
    }
    // Whole minutes on both sides: 18.30 held as 18.2999... still closes at 18:30:00.
    const double hodiny = std::floor(Param.PrezentaceDo);
    const long zaviraMinut =
        std::lround(hodiny * 60 + std::round((Param.PrezentaceDo - hodiny) * 100));
    const platform::WallTime ted = platform::GetClock().Now();
    return ted.hour * 60L + ted.minute >= zaviraMinut;
}

std::string KlubUzivatele() {
    // The club the administrator chose on entering the desk is the one he acts for, also when
    // he logged in with a runner's card.
    if (Prihlaseni.Uroven >= UrovenAdmin && !Prihlaseni.KlubAdmina.empty()) {
        return Prihlaseni.KlubAdmina;
    }
    if (Prihlaseni.ID >= 1 && Prihlaseni.ID <= MaxZavodniku &&
        Zavodnici[static_cast<size_t>(Prihlaseni.ID - 1)].ID == Prihlaseni.ID) {
        return Zavodnici[static_cast<size_t>(Prihlaseni.ID - 1)].Oddil;
    }
    return {};
}

std::string RadekProtokolu(std::string_view text) {
    const platform::WallTime t = platform::GetClock().Now();
    char cas[32];
    std::snprintf(cas, sizeof cas, "%02d:%02d:%02d.%03d", t.hour % 100, t.minute % 100,
                  t.second % 100, t.millisecond % 1000);
    std::string jmeno;
    if (Prihlaseni.ID >= 1 && Prihlaseni.ID <= MaxZavodniku) {
        jmeno = Zavodnici[static_cast<size_t>(Prihlaseni.ID - 1)].Jmeno;
    }
    return std::string(cas) + ";" + std::to_string(Prihlaseni.SI) + ";" +
           std::to_string(Prihlaseni.ID) + ";" + jmeno + ";" + std::string(text);
}

void Protokol(int uroven, std::string_view text) {
    if (uroven <= 1 && !Param.Logovat) {
        return;
    }
    const std::string radek = platform::Utf8ToCp1250(RadekProtokolu(text)) + "\r\n";
    // A log that cannot be written must not stop the kiosk.
    if (uroven > 1) {
        (void)platform::AppendWhole("Protokol.txt", radek, nullptr,
                                    platform::AppendTail::Lines("\r\n"));
    }
    if (Param.Logovat) {
        (void)platform::AppendWhole("Ladeni.txt", radek, nullptr,
                                    platform::AppendTail::Lines("\r\n"));
    }
}

void ResetGlobals() {
    SISam_Typ::ResetGlobals();
    std::fill(Zavodnici.begin(), Zavodnici.end(), TZavodnik{});
    MaxID = 0;
    PocetZavodniku = 0;
    PocetDobehlych = 0;
    PosledniStart = 0;
    ++VerzeDat;
    ResetFiles();
}

} // namespace SISam_Proc
