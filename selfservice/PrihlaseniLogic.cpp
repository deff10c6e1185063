// Login by SI card, the login texts and the auto-logout countdown.
#include "PrihlaseniLogic.h"

#include "SISam_Proc.h"
#include "SI_Typ.h"

namespace PrihlaseniLogic {

using namespace SISam_Typ;
using SI_Typ::LangText;

int32_t NajdiZavodnikaPodleCipu(int32_t card) {
    if (card <= 0) {
        return -1;
    }
    int32_t id = -1;
    for (int32_t i = 0; i < SISam_Proc::MaxID && i < MaxZavodniku; ++i) {
        const TZavodnik& z = SISam_Proc::Zavodnici[static_cast<size_t>(i)];
        if (z.ID > 0 && z.SI == card) {
            if (id > 0) {
                return -1; // a shared card identifies nobody
            }
            id = z.ID;
        }
    }
    return id;
}

bool Prihlas(int32_t card, int32_t siAdmin) {
    Prihlaseni = TPrihlaseni{};
    if (card <= 0) {
        return false;
    }
    Prihlaseni.SI = card;
    const int32_t id = NajdiZavodnikaPodleCipu(card);
    if (id > 0) {
        Prihlaseni.ID = id;
        Prihlaseni.Uroven = UrovenZavodnik;
    }
    if (siAdmin > 0 && card == siAdmin) {
        Prihlaseni.Uroven = UrovenAdmin;
        SISam_Proc::Protokol(SISam_Proc::LogPrihlaseni, "Log IN ADMIN");
    }
    if (id > 0) {
        SISam_Proc::Protokol(SISam_Proc::LogPrihlaseni, "Log IN");
    }
    return id > 0;
}

void Odhlas() {
    SISam_Proc::Protokol(SISam_Proc::LogPrihlaseni, "Log OUT");
    Prihlas(0, 0);
}

std::string TextPrihlaseni(int druhZav) {
    if (Prihlaseni.Uroven >= UrovenZavodnik) {
        std::string t = Prihlaseni.Uroven >= UrovenAdmin ? "(ADMIN) " : "";
        const TZavodnik* z = SISam_Proc::Zavodnik(Prihlaseni.ID);
        if (z == nullptr) {
            return t + LangText("SI čip není v závodě použit", "SI card is not used in this race");
        }
        return t + "LOGIN : SI=" + std::to_string(Prihlaseni.SI) + "\r" + z->Oddil + z->RegC + " " +
               z->Jmeno;
    }
    if (Prihlaseni.SI >= 1) {
        return LangText("SI čip není v závodě použit,\rnení možno provádět žádné změny.",
                        "SI card is not used in this race,\ryou can't do any changes");
    }
    if (druhZav == 2) {
        return {};
    }
    return LangText("Pokud chceš provádět změny,\rmusíš se přihlásit (LOGIN)",
                    "I you can do any change,\ryou must LOGIN");
}

std::string TextTlacitka() {
    return Prihlaseni.Uroven >= UrovenZavodnik ? "LOGOUT" : "LOGIN";
}

TZobrazeni TOdpocet::Tick(int sekunda) {
    TZobrazeni z;
    const bool licha = sekunda % 2 == 1;
    const bool prihlasen = Prihlaseni.Uroven >= UrovenZavodnik;
    z.textViditelny = Prihlaseni.Uroven > UrovenOdhlasen || licha;
    z.hintViditelny = prihlasen && licha;
    z.barViditelny = prihlasen;
    if (!Pozastaven() && bar_ > 0) {
        --bar_;
    }
    if (bar_ < 1 && Prihlaseni.Uroven > UrovenOdhlasen) {
        z.barViditelny = false;
        z.odhlasit = true;
    }
    z.bar = bar_;
    return z;
}

} // namespace PrihlaseniLogic
