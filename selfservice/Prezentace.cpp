// The registration desk's flows: each change is asked of Ravlin and applied from its answer.
#include "Prezentace.h"

#include "PultraLogic.h"

#include "SISam_Proc.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace Prezentace {

using namespace SISam_Typ;
using SI_Typ::LangText;
using SISam_Proc::Zavodnik;
namespace fs = std::filesystem;

namespace {

// Late answers are looked for this many requests back; older ones no longer come.
constexpr size_t kPozdnichNejvyse = 20;

int64_t Setiny(double v) {
    return std::llround(v * 100);
}

std::string Dve(int64_t v) {
    return Tools::PadLeft(std::to_string(v), 2, '0');
}

std::string Klub(const TZavodnik& z) {
    return z.Oddil + z.RegC;
}

bool StejnyText(std::string_view a, std::string_view b) {
    return VelkaPismena(a) == VelkaPismena(b);
}

bool Dobehl(const TZavodnik& z) {
    return z.Vysledek > 0 || z.Stav == StavDobehl;
}

// A runner whose own entry may take part in the action now.
bool MuzeMenit(const TZavodnik& z, int akce) {
    if ((akce == AkceZamenaCasu || akce == AkceZmenaCasu) &&
        SISam_Proc::ZmenaKategorie(z.Kategorie) == 0) {
        return false;
    }
    return !Dobehl(z) && SISam_Proc::PovolenaAkce(akce, z.Kategorie);
}

// The runner lines an accepted answer carries: a moved runner with the start of the slot or
// partner (a swapped partner, who is no vacant slot, with the runner's start), a runner with his
// new card, a withdrawn runner as a vacant slot.
SISam_Proc::TOcekavani Ocekavani(const std::string& typ, const TZavodnik& b, const TZavodnik& a) {
    SISam_Proc::TOcekavani o;
    if (typ == "ChangeTime") {
        o.push_back({a.ID, b.Start, {}, {}});
        if (b.Stav != StavVakant) {
            o.push_back({b.ID, a.Start, {}, {}});
        }
    } else if (typ == "ChangeSIcard") {
        o.push_back({a.ID, {}, b.SI, {}});
    } else if (typ == "Vakant") {
        o.push_back({a.ID, {}, {}, StavVakant});
    }
    return o;
}

size_t Znaku(std::string_view utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

std::string SumMinSecText(double start, double start00) {
    const int64_t nula = Setiny(start00);
    const int64_t s = Setiny(start);
    int64_t minuty = s / 100 + nula % 100;
    const int64_t hodiny = nula / 100 + minuty / 60;
    minuty %= 60;
    return Dve(hodiny) + ":" + Dve(minuty) + ":" + Dve(s % 100);
}

std::string TimeValueText(double value, bool desetiny, bool disk) {
    char buf[64];
    std::string s;
    if (desetiny) {
        std::snprintf(buf, sizeof buf, "%8.3f", value);
        s = buf;
        if (s.size() >= 7) {
            s.insert(7, ",");
        }
    } else {
        std::snprintf(buf, sizeof buf, "%5.2f", std::trunc((value + 0.0001) * 100) / 100);
        s = buf;
    }
    return disk ? s + " DISK" : s;
}

int32_t CeleMinuty(double start) {
    return static_cast<int32_t>(Setiny(start) / 100);
}

std::string StartText(double start, double start00) {
    return Tools::PadLeft(std::to_string(CeleMinuty(start)), 3, '0') + " = " +
           SumMinSecText(start, start00);
}

int PlatnyTimeout(int zIni) {
    return std::clamp(zIni, 10, 40);
}

std::vector<TRadek> RadkyKategorie(std::string_view kategorie) {
    std::vector<TRadek> out;
    for (int32_t i = 0; i < SISam_Proc::MaxID; ++i) {
        const TZavodnik& z = SISam_Proc::Zavodnici[static_cast<size_t>(i)];
        if (z.ID > 0 && StejnyText(z.Kategorie, kategorie)) {
            out.push_back({z, false});
        }
    }
    const Pultra::TRazeniJmen razeni;
    std::stable_sort(out.begin(), out.end(), [&razeni](const TRadek& a, const TRadek& b) {
        const int64_t sa = Setiny(a.zavodnik.Start);
        const int64_t sb = Setiny(b.zavodnik.Start);
        return sa != sb ? sa < sb : razeni(a.zavodnik.Jmeno, b.zavodnik.Jmeno);
    });
    return out;
}

std::vector<TRadek> RadkyOddilu(std::string_view oddil) {
    std::vector<TRadek> out;
    for (int32_t i = 0; i < SISam_Proc::MaxID; ++i) {
        const TZavodnik& z = SISam_Proc::Zavodnici[static_cast<size_t>(i)];
        if (z.ID > 0 && !oddil.empty() && StejnyText(z.Oddil, oddil)) {
            out.push_back({z, false});
        }
    }
    const Pultra::TRazeniJmen razeni;
    std::stable_sort(out.begin(), out.end(), [&razeni](const TRadek& a, const TRadek& b) {
        return razeni(a.zavodnik.Jmeno, b.zavodnik.Jmeno);
    });
    return out;
}

std::vector<TZavodnik> VolneStarty(const std::vector<TRadek>& seznam, const TZavodnik& r) {
    // A neighbour is a club mate unless it is the moving runner himself.
    const auto klubovy = [&r](const TZavodnik& z) {
        return z.ID != r.ID && StejnyText(z.Oddil, r.Oddil);
    };
    std::vector<TZavodnik> out;
    for (size_t i = 0; i < seznam.size(); ++i) {
        const TZavodnik& z = seznam[i].zavodnik;
        if (z.Stav != StavVakant || (i > 0 && klubovy(seznam[i - 1].zavodnik)) ||
            (i + 1 < seznam.size() && klubovy(seznam[i + 1].zavodnik))) {
            continue;
        }
        if (!out.empty() && SISam_Proc::PosledniStart > 0 &&
            Setiny(z.Start) > Setiny(SISam_Proc::PosledniStart)) {
            continue;
        }
        out.push_back(z);
    }
    return out;
}

// ---- Requests and the wait ----

void TPrezentace::Reset() const {
    if (k_.ResetOdpoctu) {
        k_.ResetOdpoctu();
    }
}

int TPrezentace::ZobrazInfoFormu(const std::string& radek1, const std::string& radek2, bool ne,
                                 int sekundy, ICekani* cekani) {
    Reset();
    if (k_.Dialog) {
        k_.Dialog(true);
    }
    odpoved_ = OdpovedZadna;
    const int r = k_.dialogy->InfoForma(radek1, radek2, ne, sekundy, cekani);
    if (k_.Dialog) {
        k_.Dialog(false);
    }
    return r;
}

std::string TPrezentace::Vyber(const TVolba& volba) {
    Reset();
    if (k_.Dialog) {
        k_.Dialog(true);
    }
    std::string r = k_.dialogy->Vyber(volba);
    if (k_.Dialog) {
        k_.Dialog(false);
    }
    return r;
}

void TPrezentace::TimerWaitForInfoTimer() {
    Reset();
    if (odpoved_ != OdpovedZadna) {
        return; // answered; the refusal text stays until the wait form has closed
    }
    chyba_.clear();
    const int r = SISam_Proc::ZpracujVstupniSoubory("*.odp", guid_, chyba_, ocekavani_);
    if (r == SISam_Proc::VysledekOK) {
        odpoved_ = OdpovedPrijata;
    } else if (r == SISam_Proc::VysledekZamitnuto) {
        odpoved_ = OdpovedZamitnuta;
    } else if (r == SISam_Proc::VysledekBezZmeny) {
        odpoved_ = OdpovedBezZmeny;
    }
}

int TPrezentace::Cekej(const std::string& text) {
    SISam_Proc::OcekavaneOdpovedi.insert(VelkaPismena(guid_));
    cekam_ = true;
    const int r = ZobrazInfoFormu(
        LangText("... navazuji spojení s prezentací ...", "... connecting event office ..."), text,
        false, PlatnyTimeout(k_.timeout), this);
    cekam_ = false;
    if (r != VysledekTimeout) {
        SISam_Proc::OcekavaneOdpovedi.erase(VelkaPismena(guid_));
    }
    return r;
}

bool TPrezentace::Stahni() {
    const fs::path slozka = SISam_Proc::SlozkaSAM();
    for (const fs::path& soubor : platform::ListByMask(slozka.empty() ? "." : slozka, "P*.poz")) {
        SISam_Proc::THlavicka h;
        std::error_code ec;
        if (SISam_Proc::ZpracujHlavicku(soubor, h) && StejnyText(h.Guid, guid_) &&
            fs::remove(soubor, ec)) {
            SISam_Proc::Protokol(SISam_Proc::LogTimeout,
                                 "Pozadavek nevyzvednut, smazan " + soubor.string());
            SISam_Proc::OcekavaneOdpovedi.erase(VelkaPismena(guid_));
            return true;
        }
    }
    return false;
}

void TPrezentace::Zpozdeny(const std::string& popis) {
    // A request Ravlin has not taken yet is withdrawn, so no change is made that the user was
    // told failed. One already taken may still be answered: that answer is applied later.
    if (Stahni()) {
        return;
    }
    pozdni_.push_back({guid_, popis, ocekavani_});
    while (pozdni_.size() > kPozdnichNejvyse) {
        SISam_Proc::OcekavaneOdpovedi.erase(VelkaPismena(pozdni_.front().guid));
        pozdni_.pop_front();
    }
}

void TPrezentace::ZpracujPozdniOdpovedi() {
    // One answer looked for per call: a file counts as complete only when it looked the same
    // at the previous look, so the looks must lie a poll apart.
    if (pozdni_.empty() || cekam_) {
        return;
    }
    TPozdni p = pozdni_.front();
    pozdni_.pop_front();
    std::string chyba;
    const int r = SISam_Proc::ZpracujVstupniSoubory("*.odp", p.guid, chyba, p.ocekavani);
    if (r == SISam_Proc::VysledekNic) {
        pozdni_.push_back(std::move(p));
        return;
    }
    if (r == SISam_Proc::VysledekOK) {
        SISam_Proc::Protokol(SISam_Proc::LogZmena,
                             "Pozdni odpoved - O.K. : " + p.popis + " " + p.guid);
    } else if (r == SISam_Proc::VysledekBezZmeny) {
        SISam_Proc::Protokol(SISam_Proc::LogChyba,
                             "Pozdni odpoved - nedefinovaný výsledek : " + p.popis + " " + p.guid);
    } else {
        SISam_Proc::Protokol(SISam_Proc::LogTimeout, "Pozdni odpoved - Zamítnuto : " + p.popis +
                                                         " " + p.guid + " " + chyba);
    }
    SISam_Proc::OcekavaneOdpovedi.erase(VelkaPismena(p.guid));
}

bool TPrezentace::Preruseno(int r) {
    // Only the program's end closes the wait without its answer or time-out: a request nobody
    // has taken is withdrawn with it; one taken ends undefined.
    return r == VysledekNic && !guid_.empty() && Stahni();
}

bool TPrezentace::StaleTyz() const {
    const TPrihlaseni& p = Prihlaseni;
    return !beh_ || (p.SI == uzivatel_.SI && p.ID == uzivatel_.ID && p.Uroven == uzivatel_.Uroven &&
                     p.Uroven >= UrovenZavodnik);
}

void TPrezentace::CasVyprsel() {
    ZobrazInfoFormu(
        LangText("... nepodařilo se kontaktovat prezentaci ...",
                 "... now is not possible to connect event office ..."),
        LangText("... zkuste to prosím za chvíli znovu ...", "... please try it again later "),
        false, 5);
}

int TPrezentace::ZpracujDotaz(const std::string& text, const std::string& data,
                              const std::string& hodnota, const std::string& filter) {
    const std::string popis = "Data=" + data + ", Filter=" + filter + ", Hodnota=" + hodnota;
    if (!StaleTyz()) {
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Uzivatel odhlasen, neodeslano : " + popis);
        return VysledekNic;
    }
    Reset();
    ocekavani_.clear();
    guid_ = SISam_Proc::ZapisPozadavek({"READ", data, filter, hodnota, "", ""});
    int r = VysledekNic;
    if (!guid_.empty()) {
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Pozadavek " + popis);
        r = Cekej(text);
    }
    if (r == VysledekOK) {
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Pozadavek vyřízen - O.K.");
    } else if (r == VysledekTimeout) {
        SISam_Proc::Protokol(SISam_Proc::LogTimeout, "Pozadavek TimeOut : " + popis);
        Zpozdeny("READ " + popis);
        CasVyprsel();
    } else if (!Preruseno(r)) {
        SISam_Proc::Protokol(SISam_Proc::LogChyba, "Pozadavek " + popis);
        SISam_Proc::Protokol(SISam_Proc::LogChyba, "Pozadavek - nedefinovaný výsledek");
    }
    return r;
}

int TPrezentace::ZpracujPozadavek(const std::string& text, const std::string& typ,
                                  const TZavodnik& b, const TZavodnik& a) {
    const std::string z1 = SISam_Proc::RadekPozadavku(a);
    const std::string z2 = typ == "Vakant" ? std::string() : SISam_Proc::RadekPozadavku(b);
    std::string popis = "TypPozadavku=" + typ + ", Z1=" + z1;
    if (typ == "ChangeTime") {
        popis += ", Z2=" + z2;
    }
    if (!StaleTyz()) {
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Uzivatel odhlasen, neodeslano : " + popis);
        return VysledekNic;
    }
    Reset();
    ocekavani_ = Ocekavani(typ, b, a);
    guid_ = SISam_Proc::ZapisPozadavek({typ, "", "", "", z1, z2});
    int r = VysledekNic;
    if (!guid_.empty()) {
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Zapis Pozadavek " + guid_);
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Pozadavek Akce=" + typ + " " + z1 + " " + z2);
        r = Cekej(text);
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Result " + std::to_string(r));
    }
    if (r == VysledekOK) {
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Pozadavek vyřízen - O.K.");
    } else if (r == VysledekNe) {
        SISam_Proc::Protokol(SISam_Proc::LogTrace, "Pozadavek vyřízen - Zamítnuto");
    } else if (r == VysledekTimeout) {
        SISam_Proc::Protokol(SISam_Proc::LogTimeout, "Pozadavek TimeOut : " + popis);
        Zpozdeny(popis);
        CasVyprsel();
    } else if (!Preruseno(r)) {
        SISam_Proc::Protokol(SISam_Proc::LogChyba, "Pozadavek " + popis);
        SISam_Proc::Protokol(SISam_Proc::LogChyba, "Pozadavek - nedefinovaný výsledek");
    }
    return r;
}

bool TPrezentace::ObnovKlub(const std::string& klub) {
    return ZpracujDotaz(LangText("... hledám závodníky klubu " + klub + " ...",
                                 "... searching runners from club " + klub + " ..."),
                        "ZAVODNIK", klub, "ODDIL") == VysledekOK;
}

bool TPrezentace::ObnovKategorii(const std::string& text, const std::string& kategorie) {
    return ZpracujDotaz(text, "ZAVODNIK", kategorie, "KATEG") == VysledekOK;
}

// ---- Choosers ----

int32_t TPrezentace::VyberZavodnikaOddilu(const std::string& klub, const std::string& titulek,
                                          int akce) {
    std::vector<TRadek> seznam = RadkyOddilu(klub);
    int pocet = 0;
    for (TRadek& r : seznam) {
        r.vyber = MuzeMenit(r.zavodnik, akce);
        pocet += r.vyber ? 1 : 0;
    }
    if (pocet == 0) {
        std::string cz;
        std::string en;
        if (akce == AkceZmenaCipu) {
            cz = "kterému je možno změnit SI čip";
            en = "who can change SI card";
        } else if (akce == AkceOdhlaseni) {
            cz = "kterého je možno odhlásit";
            en = "who can be deleted";
        } else {
            cz = "kterému je možno změnit čas";
            en = "who can change time";
        }
        ZobrazInfoFormu(LangText("V klubu " + klub + " nebyl nalezen ani jeden závodník, " + cz,
                                 "In club " + klub + " was not found any runner " + en),
                        LangText("... zkuste to prosím přímo na prezentaci ...",
                                 "... please, try it in event office ..."),
                        false, 5);
        return 0;
    }
    TVolba v;
    v.titulek = !titulek.empty() ? titulek
                                 : LangText("Vyber závodníka tvého oddílu",
                                            "Select a competitor from your team");
    v.sirka = 600;
    v.vyska = 40;
    v.rezim = pocet < 13 ? 1 : 2;
    for (const TRadek& r : seznam) {
        if (!r.vyber) {
            continue;
        }
        const TZavodnik& z = r.zavodnik;
        std::string popis = z.Jmeno + " (" + z.Kategorie + ")";
        popis += akce <= AkceZmenaCasu ? " start = " + std::to_string(CeleMinuty(z.Start))
                                       : " SI = " + std::to_string(z.SI);
        v.polozky.push_back({std::to_string(z.ID), popis, !v.polozky.empty(), false});
    }
    const std::string klic = Vyber(v);
    int32_t id = 0;
    std::from_chars(klic.data(), klic.data() + klic.size(), id);
    return id;
}

std::string TPrezentace::Vyber2(const std::string& titulek, const std::string& volba1,
                                const std::string& volba2, int x, int y, int akce) {
    const TZavodnik* ja = Zavodnik(Prihlaseni.ID);
    // An administrator acting for another club than his own has no own entry there.
    if (ja == nullptr || !MuzeMenit(*ja, akce) ||
        !StejnyText(ja->Oddil, SISam_Proc::KlubUzivatele())) {
        return "2";
    }
    TVolba v;
    v.titulek = titulek;
    v.vyska = 60;
    v.sirka = static_cast<int>(18 * std::max(Znaku(volba1), Znaku(volba2)));
    v.poloha = std::make_pair(x + 50, y);
    v.polozky = {{"1", volba1, false, false}, {"2", volba2, true, false}};
    return Vyber(v);
}

int32_t TPrezentace::VyberZavodnika(int akce, const std::string& titulek, const std::string& volba1,
                                    const std::string& volba2, int x, int y) {
    const std::string v = Vyber2(titulek, volba1, volba2, x, y, akce);
    if (v == "1") {
        return Prihlaseni.ID;
    }
    if (v != "2") {
        return 0;
    }
    const std::string klub = SISam_Proc::KlubUzivatele();
    return ObnovKlub(klub) ? VyberZavodnikaOddilu(klub, "", akce) : 0;
}

bool TPrezentace::Vstup() {
    Reset();
    if (Prihlaseni.Uroven < UrovenAdmin) {
        return Prihlaseni.Uroven >= UrovenZavodnik;
    }
    TVolba v;
    v.titulek = LangText("Vyber klub", "Select club");
    for (const Pultra::TPolozka& p : Pultra::PolozkyOddilu()) {
        v.polozky.push_back({p.klic, p.klic, false, p.predvybrana});
    }
    const std::string klub = Vyber(v);
    if (klub.empty()) {
        return false;
    }
    Prihlaseni.KlubAdmina = klub;
    return true;
}

// ---- The flows ----

// One flow: the quick look-up waits, and the user it started for is remembered so that
// nothing is sent once he is logged out.
class TPrezentace::Beh {
public:
    explicit Beh(TPrezentace& p) : p_(p) {
        p_.Reset();
        p_.uzivatel_ = Prihlaseni;
        p_.beh_ = true;
        if (p_.k_.Zaneprazdnen) {
            p_.k_.Zaneprazdnen(true);
        }
    }
    ~Beh() {
        p_.beh_ = false;
        if (p_.k_.Zaneprazdnen) {
            p_.k_.Zaneprazdnen(false);
        }
    }
    Beh(const Beh&) = delete;
    Beh& operator=(const Beh&) = delete;

private:
    TPrezentace& p_;
};

void TPrezentace::ProhoditStart(int x, int y) {
    Beh beh(*this);
    const int32_t a = VyberZavodnika(
        AkceZamenaCasu, LangText("Prohodit start mezi členy klubu", "Change start time in club"),
        LangText("Prohodit sebe s jiným členem klubu", "Swap me with another runner of my team"),
        LangText("Prohodit jiné dva členy klubu", "Swap another runners of my team"), x, y);
    if (Zavodnik(a) == nullptr) {
        return;
    }
    const std::string klub = Zavodnik(a)->Oddil;
    const std::string kat = Zavodnik(a)->Kategorie;
    if (!ObnovKategorii(
            LangText("... hledám další závodníky klubu " + klub + " v kategorii " + kat + " ...",
                     "... searching another runners from team " + klub + " in category " + kat +
                         " ..."),
            kat) ||
        Zavodnik(a) == nullptr) {
        return;
    }
    const TZavodnik A = *Zavodnik(a);
    TVolba v;
    v.titulek =
        A.Kategorie + " " + Klub(A) + " " + A.Jmeno + " - start = " + TimeValueText(A.Start);
    v.podtitulek = LangText("Vyber závodníka, se kterým se má prohodit",
                            "Choose runner with which will be swapped");
    v.sirka = 700;
    v.vyska = 40;
    for (const TRadek& r : RadkyKategorie(A.Kategorie)) {
        const TZavodnik& z = r.zavodnik;
        if (z.ID != A.ID && StejnyText(z.Oddil, A.Oddil)) {
            v.polozky.push_back(
                {std::to_string(z.ID),
                 Klub(z) + " " + z.Jmeno + " " + " - start = " + TimeValueText(z.Start),
                 !v.polozky.empty(), false});
        }
    }
    if (v.polozky.empty()) {
        ZobrazInfoFormu(LangText("... V kategorii " + A.Kategorie +
                                     " již žádný další závodník z klubu " + A.Oddil +
                                     " nestartuje ...",
                                 "... In category " + A.Kategorie +
                                     " there are no more runners from team " + A.Oddil + " ..."),
                        "", false, 0);
        return;
    }
    const std::string klic = Vyber(v);
    int32_t b = 0;
    std::from_chars(klic.data(), klic.data() + klic.size(), b);
    if (Zavodnik(b) == nullptr) {
        return;
    }
    const TZavodnik B = *Zavodnik(b);
    const int r = ZpracujPozadavek(
        LangText("... čekám na vyřízení požadavku ...", "... waiting for answer ..."), "ChangeTime",
        B, A);
    if (r == VysledekOK) {
        const TZavodnik A2 = Zavodnik(a) ? *Zavodnik(a) : A;
        const TZavodnik B2 = Zavodnik(b) ? *Zavodnik(b) : B;
        SISam_Proc::Protokol(SISam_Proc::LogZmena,
                             "Prohození časů;ID=" + std::to_string(A.ID) + ";Jmeno=" + A.Jmeno +
                                 ";" + TimeValueText(A.Start) + " --> " + TimeValueText(A2.Start) +
                                 ";ID=" + std::to_string(B.ID) + ";Jmeno=" + B.Jmeno + ";" +
                                 TimeValueText(B.Start) + " --> " + TimeValueText(B2.Start));
        ZobrazInfoFormu(LangText("Startovní časy byly úspěšně prohozeny",
                                 "Start times was swapped successfully"),
                        StartText(A2.Start, SI_Typ::Start00) + " : " + A2.Jmeno + "\r\n" +
                            StartText(B2.Start, SI_Typ::Start00) + " : " + B2.Jmeno,
                        false, 0);
    } else if (r == VysledekNe) {
        ZobrazInfoFormu(LangText("Startovní časy nebylo možno prohodit !!",
                                 "Sorry ... start time was NOT changed !!"),
                        chyba_, false, 0);
    }
}

void TPrezentace::ZmenitStart(int x, int y) {
    Beh beh(*this);
    const int32_t id = VyberZavodnika(
        AkceZmenaCasu, LangText("Změnit startovní čas", "Change start time"),
        LangText("Změnit můj startovní čas", "Change my start time"),
        LangText("Změnit čas jiného člena klubu", "Change time for another member of my team"), x,
        y);
    if (Zavodnik(id) == nullptr ||
        !ObnovKategorii(
            LangText("... hledám volné startovní časy ...", "... searching free start times ..."),
            Zavodnik(id)->Kategorie) ||
        Zavodnik(id) == nullptr) {
        return;
    }
    const TZavodnik R = *Zavodnik(id);
    const std::vector<TZavodnik> volne = VolneStarty(RadkyKategorie(R.Kategorie), R);
    if (volne.empty()) {
        ZobrazInfoFormu(
            LangText("... Pro závodníka " + R.Jmeno + " se nepodařilo najít jiný startovní čas ...",
                     "... There is no free start time for " + R.Jmeno + " ..."),
            LangText("... můžete to později zkusit znovu, třeba se někdo odhlásí ...",
                     "... maybe later ... "),
            false, 0);
        return;
    }
    TVolba v;
    v.titulek =
        R.Kategorie + " " + Klub(R) + " " + R.Jmeno + " - start = " + TimeValueText(R.Start);
    v.podtitulek = LangText("Vyber nový startovní čas pro závodníka",
                            "Select a new start time for this runner");
    v.sirka = 230;
    v.vyska = 40;
    for (size_t i = 0; i < volne.size(); ++i) {
        v.polozky.push_back({std::to_string(volne[i].ID),
                             StartText(volne[i].Start, SI_Typ::Start00), i > 0 && i % 3 == 0,
                             false});
    }
    const std::string klic = Vyber(v);
    int32_t slot = 0;
    std::from_chars(klic.data(), klic.data() + klic.size(), slot);
    if (Zavodnik(slot) == nullptr) {
        return;
    }
    const TZavodnik V = *Zavodnik(slot);
    const int r = ZpracujPozadavek(
        LangText("... čekám na vyřízení požadavku ...", "... waiting for answer ..."), "ChangeTime",
        V, R);
    if (r == VysledekOK) {
        const double novy = Zavodnik(id) ? Zavodnik(id)->Start : R.Start;
        SISam_Proc::Protokol(SISam_Proc::LogZmena,
                             "Změna startu;ID=" + std::to_string(R.ID) + ";Jmeno=" + R.Jmeno + ";" +
                                 TimeValueText(R.Start) + " --> " + TimeValueText(novy));
        const std::string cas = StartText(novy, SI_Typ::Start00);
        ZobrazInfoFormu(
            LangText("Startovní čas byl úspěšně změněn", "Start time was changed successfully"),
            LangText(" ... nový startovní čas závodníka " + R.Jmeno + " je " + cas,
                     " ... new start time for runner " + R.Jmeno + " is " + cas),
            false, 0);
    } else if (r == VysledekNe) {
        ZobrazInfoFormu(LangText("Startovní čas nebylo možno změnit !!",
                                 "Sorry ... start time was NOT changed !!"),
                        chyba_, false, 0);
    }
}

void TPrezentace::Odhlasit() {
    Beh beh(*this);
    const std::string klub = SISam_Proc::KlubUzivatele();
    if (!ObnovKlub(klub)) {
        return;
    }
    const TZavodnik* z = Zavodnik(VyberZavodnikaOddilu(klub, "", AkceOdhlaseni));
    if (z == nullptr) {
        return;
    }
    const TZavodnik R = *z;
    const std::string popis = R.Kategorie + " " + R.Jmeno + " " + Klub(R) +
                              ", start = " + TimeValueText(R.Start) +
                              ", SI = " + std::to_string(R.SI);
    if (ZobrazInfoFormu(LangText("Opravdu ODHLÁSIT závodníka ? \r\n" + popis,
                                 "Really delete entry for runner ? \r\n" + popis),
                        "", true, 0) != VysledekOK) {
        return;
    }
    const int r = ZpracujPozadavek(
        LangText("... čekám na vyřízení požadavku ...", "... waiting for answer ..."), "Vakant", R,
        R);
    if (r == VysledekOK) {
        SISam_Proc::Protokol(SISam_Proc::LogZmena, "Odhlášení;ID=" + std::to_string(R.ID) +
                                                       ";Jmeno=" + R.Jmeno + ";" + popis);
        ZobrazInfoFormu(
            LangText("Závodník " + R.Jmeno + " byl odhlášen", "Runner " + R.Jmeno + " was deleted"),
            "", false, 0);
    } else if (r == VysledekNe) {
        ZobrazInfoFormu(LangText(R.Jmeno + " - závodník nelze odhlásit !!",
                                 "Sorry ... can't delete runner " + R.Jmeno + " !!"),
                        chyba_, false, 0);
    }
}

void TPrezentace::ZmenitCip() {
    Beh beh(*this);
    const std::string klub = SISam_Proc::KlubUzivatele();
    if (!ObnovKlub(klub)) {
        return;
    }
    const TZavodnik* z = Zavodnik(VyberZavodnikaOddilu(klub, "", AkceZmenaCipu));
    if (z == nullptr) {
        return;
    }
    const TZavodnik R = *z;
    std::string text;
    Reset();
    if (k_.Dialog) {
        k_.Dialog(true);
    }
    const bool ok = k_.dialogy->Klavesnice(
        text,
        LangText("Zadej nový čip pro : " + R.Jmeno, "Enter new number of SI card for " + R.Jmeno),
        8, false, true, false);
    if (k_.Dialog) {
        k_.Dialog(false);
    }
    const std::string_view cislo = Tools::Trim(text);
    int32_t novy = 0;
    const auto [konec, ec] = std::from_chars(cislo.data(), cislo.data() + cislo.size(), novy);
    if (!ok || cislo.empty() || ec != std::errc() || konec != cislo.data() + cislo.size() ||
        novy < 0) {
        return;
    }
    if (novy == R.SI) {
        ZobrazInfoFormu(
            LangText("Bylo zadáno stejné číslo čipu", "Was entered the same number of SI card"),
            LangText(" ... žádná změna pro závodníka " + R.Jmeno + " nebyla provedena.",
                     " ... no changes was made for runner " + R.Jmeno),
            false, 5);
        return;
    }
    if (novy > 0) {
        std::string jini;
        for (int32_t i = 0; i < SISam_Proc::MaxID; ++i) {
            const TZavodnik& o = SISam_Proc::Zavodnici[static_cast<size_t>(i)];
            if (o.ID > 0 && o.ID != R.ID && o.SI == novy) {
                jini += (jini.empty() ? "" : "\r\n") + o.Jmeno + " " + Klub(o) + " " + o.Kategorie +
                        " start=" + std::to_string(CeleMinuty(o.Start));
            }
        }
        const std::string c = std::to_string(novy);
        if (!jini.empty() &&
            ZobrazInfoFormu(LangText("Opravdu závodník " + R.Jmeno + " poběží s čipem " + c +
                                         " ?\r\nS tímto čipem již běží závodník :",
                                     "Really racer " + R.Jmeno + " will run with SI card " + c +
                                         " ?\r\nWith this SI card is already running racer :"),
                            jini, true, 0) != VysledekOK) {
            return;
        }
    }
    TZavodnik N = R;
    N.SI = novy;
    const int r = ZpracujPozadavek(
        LangText("... čekám na vyřízení požadavku ...", "... waiting for answer ..."),
        "ChangeSIcard", N, R);
    if (r == VysledekOK) {
        const std::string ted = std::to_string(Zavodnik(R.ID) ? Zavodnik(R.ID)->SI : novy);
        SISam_Proc::Protokol(SISam_Proc::LogZmena, "Změna čipu ;ID=" + std::to_string(R.ID) +
                                                       ";Jmeno=" + R.Jmeno + ";" +
                                                       std::to_string(R.SI) + " --> " + ted);
        ZobrazInfoFormu(LangText("SI čip byl úspěšně změněn", "SI card was changed successfully"),
                        LangText(" ... nové číslo čipu pro závodníka " + R.Jmeno + " je " + ted,
                                 " ... new SI card for runner " + R.Jmeno + " is " + ted),
                        false, 0);
    } else if (r == VysledekNe) {
        ZobrazInfoFormu(
            LangText("Číslo čipu nebylo možno změnit !!", "Sorry ... SI card was NOT changed !!"),
            chyba_, false, 0);
    }
}

} // namespace Prezentace
