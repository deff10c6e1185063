#include "PultraLogic.h"

#include "PrihlaseniLogic.h"
#include "SISam_Proc.h"
#include "SI_Typ.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

using SI_Typ::LangText;
using namespace SISam_Typ;

namespace Pultra {

TPultraInf Inf;

namespace {

std::string F2(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

} // namespace

// ---- Pultra.ini ----

TNastaveni NactiNastaveni(platform::IniFile& ini) {
    TNastaveni n;
    auto i = [&ini](const char* sec, const char* key, int def) {
        return static_cast<int>(ini.ReadInteger(sec, key, def));
    };
    n.RavlinPath = ini.ReadString(Sekce, "RavlinPath", "");
    n.Com = i(Sekce, "COM", -1);
    n.Language = i(Sekce, "Language", 0);
    n.Btn0Vyska = i(Sekce, "btn0_heigth", 60);
    n.Btn0Sirka = i(Sekce, "btn0_width", 250);
    n.Btn0Font = i(Sekce, "btn0_FontSize", 24);
    n.Btn1Vyska = i(Sekce, "btn1_heigth", 40);
    n.Btn1Sirka = i(Sekce, "btn1_width", 340);
    n.Btn1Font = i(Sekce, "btn1_FontSize", 16);
    n.Logovat = i("Param", "Logovat", 0) == 1;
    n.Timeout = i("Param", "Timeout", 20);
    return n;
}

// ---- Pultra.inf ----

std::optional<double> CisloSCarkou(std::string_view text) {
    std::string t(text);
    t.erase(0, t.find_first_not_of(" \t"));
    t.erase(t.find_last_not_of(" \t") + 1);
    std::replace(t.begin(), t.end(), ',', '.');
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

TCteniInf::Vysledek TCteniInf::Nacti(const std::string& ravlinPath) {
    namespace fs = std::filesystem;
    info_.clear();
    zmena_.clear();
    chyba_.clear();
    novyZavod_ = false;
    if (ravlinPath.empty()) {
        return Vysledek::Nic;
    }
    const fs::path folder = platform::ResolveNoCase(platform::FromWindowsPath(ravlinPath));
    const std::optional<fs::path> file = platform::FindNoCase(folder, "Pultra.inf");
    if (!file) {
        chyba_ =
            LangText("Nenalezen soubor ", "File not found ") + (folder / "Pultra.inf").string();
        return Vysledek::Chyba;
    }
    if (!klid_.IsStable(*file)) {
        return Vysledek::Nic;
    }
    std::string bytes;
    std::string err;
    if (!platform::ReadWholeFile(*file, bytes, &err, 1 << 20)) {
        chyba_ = file->string() + ": " + err;
        return Vysledek::Chyba;
    }
    return Prevezmi(bytes, file->string(), folder.string());
}

TCteniInf::Vysledek TCteniInf::Prevezmi(std::string_view bytes, const std::string& soubor,
                                        const std::string& slozka) {
    platform::IniFile ini{std::filesystem::path{}};
    ini.SetContent(bytes);
    if (!ini.SectionExists("Pultra")) {
        chyba_ = soubor + LangText(": chybí sekce [Pultra], platí dosavadní hodnoty",
                                   ": no section [Pultra], the values in force stay");
        return Vysledek::Chyba;
    }
    const std::vector<std::string> klice = ini.ReadSection("Pultra");
    if (const std::string chybi = klice_.Missing(klice); !chybi.empty()) {
        chyba_ = soubor + LangText(": neúplný, chybí:", ": incomplete, missing:") + chybi +
                 LangText(", platí dosavadní hodnoty", ", the values in force stay");
        return Vysledek::Chyba;
    }
    const int64_t zavod = ini.ReadInteger("Pultra", "Zavod", 0);
    if (zavod <= 0 || zavod > 9999) {
        chyba_ = soubor + LangText(": Zavod není číslo závodu, platí dosavadní hodnoty",
                                   ": Zavod is no race number, the values in force stay");
        return Vysledek::Chyba;
    }
    novyZavod_ = nacteno_ && (zavod != zavod_ || slozka != slozka_);
    nacteno_ = true;
    klice_.Remember(klice);
    slozka_ = slozka;

    TPultraInf inf;
    inf.Rok = platform::Utf8Left(ini.ReadString("Pultra", "Rok", ""), 4);
    const int64_t etapa = ini.ReadInteger("Pultra", "Etapa", 0);
    const double start00 =
        CisloSCarkou(ini.ReadString("Pultra", "Start00", "0")).value_or(SI_Typ::Start00);
    const double prezentace =
        CisloSCarkou(ini.ReadString("Pultra", "PrezentaceDo", "0")).value_or(Param.PrezentaceDo);
    auto uroven = [&ini](const char* key) {
        return static_cast<int16_t>(std::clamp<int64_t>(ini.ReadInteger("Pultra", key, 0), 0, 2));
    };
    TUrovne u{};
    u[AkceZamenaCasu] = uroven("ZamenaCasu");
    u[AkceZmenaCasu] = uroven("ZmenaCasu");
    u[AkceZmenaCipu] = uroven("ZmenaCipu");
    u[AkceOdhlaseni] = uroven("Odhlaseni");
    u[AkceZmenaJmena] = uroven("ZmenaJmena");
    inf.DruhZav = static_cast<int>(ini.ReadInteger("Pultra", "DruhZav", 0));
    inf.SIAdmin = static_cast<int32_t>(ini.ReadInteger("Pultra", "SIAdmin", 0));
    inf.Nazev = ini.ReadString("Pultra", "Nazev", "");
    inf.Date = platform::Utf8Left(ini.ReadString("Pultra", "Date", ""), 10);
    inf.Time = platform::Utf8Left(ini.ReadString("Pultra", "Time", ""), 8);

    SI_Typ::Zavod = static_cast<uint16_t>(zavod);
    SI_Typ::Etapa = static_cast<uint16_t>(std::clamp<int64_t>(etapa, 0, 65535));
    SI_Typ::Start00 = start00;
    Param.PrezentaceDo = prezentace;
    Param.Uroven = u;
    const bool stejne = inf.Date == date_ && inf.Time == time_ && !novyZavod_;
    Inf = inf;
    if (stejne) {
        return Vysledek::BezeZmeny;
    }
    date_ = inf.Date;
    time_ = inf.Time;
    info_ = "ParamQZ=" + inf.Date + " " + inf.Time;
    if (start00 != start00_) {
        start00_ = start00;
        zmena_ += " Start00 " + F2(start00);
    }
    if (zavod != zavod_) {
        zavod_ = static_cast<int>(zavod);
        zmena_ += " Zavod " + std::to_string(zavod);
    }
    if (etapa != etapa_) {
        etapa_ = static_cast<int>(etapa);
        zmena_ += " Etapa " + std::to_string(etapa);
    }
    return Vysledek::Prevzato;
}

void NovyZavod() {
    const TParamPultra param = Param;
    SISam_Proc::ResetGlobals();
    Param = param;
}

// ---- Texts ----

std::string Popisek(int tag) {
    switch (tag) {
    case TagLogin:
        return PrihlaseniLogic::TextTlacitka();
    case TagPrezentace:
        return LangText("Prezentace", "Presentation");
    case TagStartovky:
        return LangText("Startovka", "Start lists ");
    case TagVysledky:
        return LangText("Výsledky", "Results");
    case TagStartODD:
        return LangText("Startovka klubu", "Clubs start lists");
    case TagAdmin:
        return "ADMIN";
    case TagQuit:
        return "QUIT";
    case TagZmenaCasu:
        return LangText("Změnit startovní čas", "Change start time");
    case TagZamenaCasu:
        return LangText("Prohodit start mezi členy klubu", "Change start time in club");
    case TagOdhlaseni:
        return LangText("Odhlásit závodníka ze závodu", "Delete runner from race");
    case TagZmenaJmena:
        return LangText("Změnit jméno", "Change name");
    case TagZmenaCipu:
        return LangText("Změnit nebo doplnit číslo čipu", "Change SI card");
    default:
        return {};
    }
}

std::string NapovedaOdhlaseni() {
    return LangText("Po provedení všech změn se\rnezapomeň odhlásit - LOGOUT",
                    "After completing all changes\rdo not forget LOGOUT");
}

std::string DetekceText(int port) {
    const std::string com = " COM " + std::to_string(port);
    return LangText(
        " detekuji ..." + com + " v případě \"zatuhnutí\" násilně ukončete program a spusťte znovu",
        " detecting ..." + com + " should the program \"freeze\", kill it and start it again");
}

std::string TitulekNactiCipu() {
    return LangText("Vlož svůj čip do SI jednotky", "Insert your SI card into SI reader");
}

std::string CasText() {
    return platform::TimeText(platform::GetClock().Now());
}

// ---- Button set and layout ----

std::bitset<32> SadaTlacitek() {
    std::bitset<32> s;
    s.set(TagStartovky).set(TagStartODD);
    if (SISam_Proc::PocetDobehlych > 0) {
        s.set(TagVysledky);
    }
    const bool zavreno = SISam_Proc::PrezentaceUzavrena();
    const std::pair<int, int> akce[] = {{AkceZmenaCasu, TagZmenaCasu},
                                        {AkceZamenaCasu, TagZamenaCasu},
                                        {AkceOdhlaseni, TagOdhlaseni},
                                        {AkceZmenaJmena, TagZmenaJmena},
                                        {AkceZmenaCipu, TagZmenaCipu}};
    bool nejaka = false;
    for (const auto& [a, tag] : akce) {
        const int u = SISam_Proc::UrovenAkce(a, "");
        if (zavreno ? u == 2 : u != 0) {
            s.set(static_cast<size_t>(tag));
            nejaka = true;
        }
    }
    if (nejaka) {
        s.set(TagLogin).set(TagPrezentace);
    }
    if (Prihlaseni.Uroven >= UrovenAdmin) {
        s.set(TagAdmin).set(TagQuit);
    }
    return s;
}

bool PrezentacePovolena() {
    return Prihlaseni.Uroven >= UrovenZavodnik;
}

TRozlozeni Rozloz(const TNastaveni& n, const std::bitset<32>& sada, int vybranyHlavni,
                  int vyskaLoginTextu, int vyskaNapovedy) {
    TRozlozeni r;
    const int prvni = vyskaLoginTextu + 60;
    int y = prvni;
    for (int tag : HlavniTagy) {
        if (sada.test(static_cast<size_t>(tag))) {
            r.tlacitka.push_back({tag, {30, y, n.Btn0Sirka, n.Btn0Vyska}});
            y += n.Btn0Vyska + 10;
        }
    }
    r.napovedaY = y;
    (void)vyskaNapovedy;
    int ys = prvni + n.Btn0Vyska + 10;
    for (int tag : PodTagy) {
        if (tag / 10 == vybranyHlavni && sada.test(static_cast<size_t>(tag))) {
            r.tlacitka.push_back({tag, {n.Btn0Sirka + 60, ys, n.Btn1Sirka, n.Btn1Vyska}});
            ys += n.Btn1Vyska + 10;
        }
    }
    return r;
}

// ---- Grid ----

std::vector<TSloupec> Sloupce(int rezim) {
    const std::string jmeno = LangText("Jméno", "Name");
    const std::string klub = LangText("Reg.č.", "Club");
    switch (rezim) {
    case RezimKlub:
        return {{"ID", 0, false},    {LangText("Kateg", "Category"), .12, false},
                {jmeno, .38, false}, {"Start", .12, true},
                {klub, .18, false},  {"SI", .18, false}};
    case RezimVysledky:
        return {{"ID", 0, false},
                {LangText("Poř.", "Nr."), .1, true},
                {jmeno, .42, false},
                {klub, .2, false},
                {LangText("Čas", "Time"), .25, true}};
    default:
        return {{"ID", 0, false}, {"Start", .2, true}, {jmeno, .57, false}, {klub, .2, false}};
    }
}

std::vector<int> SirkySloupcu(int rezim, int sirkaGridu) {
    std::vector<int> w;
    for (const TSloupec& s : Sloupce(rezim)) {
        w.push_back(static_cast<int>(std::lround(s.podil * (sirkaGridu - 15))));
    }
    return w;
}

std::string ResultStatusText(int status, int sirka, bool mala) {
    std::string t;
    switch (status) {
    case 1:
        t = LangText("DISK", "DISQ");
        break;
    case 2:
        t = LangText("VZDAL", "DNF");
        break;
    case 3:
        t = LangText("ABS", "DNS");
        break;
    case 7:
        t = LangText("LIMIT", "OVRT");
        break;
    default:
        t = "O.K.";
        break;
    }
    if (sirka > 0 && t.size() < static_cast<size_t>(sirka)) {
        t.insert(0, static_cast<size_t>(sirka) - t.size(), ' ');
    }
    if (mala) {
        std::transform(t.begin(), t.end(), t.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    return t;
}

std::string InfoKategorie(const std::string& kategorie) {
    const int i = SISam_Proc::NajdiKategorii(kategorie);
    if (i < 0) {
        return {};
    }
    const TKategorie& k = SeznamKategorii[static_cast<size_t>(i)];
    std::string t;
    if (k.Delka > 0) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f km", k.Delka);
        t = buf;
        if (k.Prevyseni != 0) {
            t += " / " + std::to_string(k.Prevyseni) + " m";
        }
    }
    if (k.Kontrol != 0) {
        t += (t.empty() ? "" : " / ") + std::to_string(k.Kontrol) + " k";
    }
    return t;
}

std::string Nadpis(int rezim, const std::string& klic) {
    switch (rezim) {
    case RezimKlub:
        return LangText("Startovka ", "Start list ") + klic;
    case RezimVysledky:
        return LangText("Výsledky ", "Results ") + klic + "  " + InfoKategorie(klic);
    default:
        return LangText("Startovka ", "Start list ") + klic + "  " + InfoKategorie(klic);
    }
}

TRazeniJmen::TRazeniJmen() : razeni_(std::make_shared<QCollator>(QLocale().collation())) {}

bool TRazeniJmen::operator()(const std::string& a, const std::string& b) const {
    return razeni_->compare(QString::fromStdString(a), QString::fromStdString(b)) < 0;
}

void SeznamProGrid(int rezim, const std::string& klic) {
    const std::string k = VelkaPismena(klic);
    SeznamInfoGrid.clear();
    for (int32_t i = 0; i < SISam_Proc::MaxID && i < MaxZavodniku; ++i) {
        const TZavodnik& z = SISam_Proc::Zavodnici[static_cast<size_t>(i)];
        if (z.ID <= 0) {
            continue;
        }
        bool ano = false;
        switch (rezim) {
        case RezimStartovka:
            ano = VelkaPismena(z.Kategorie) == k;
            break;
        case RezimKlub:
            ano = VelkaPismena(z.Oddil) == k;
            break;
        case RezimVysledky:
            ano = VelkaPismena(z.Kategorie) == k && z.Stav == StavDobehl &&
                  (z.Vysledek > 0 || z.Status != 0);
            break;
        default:
            break;
        }
        if (ano) {
            SeznamInfoGrid.push_back({z, false});
        }
    }
    const TRazeniJmen razeni;
    auto jmeno = [&razeni](const TZavodnik& a, const TZavodnik& b) {
        return razeni(a.Jmeno, b.Jmeno);
    };
    std::stable_sort(SeznamInfoGrid.begin(), SeznamInfoGrid.end(),
                     [&](const TPolozkaInfoGrid& pa, const TPolozkaInfoGrid& pb) {
                         const TZavodnik& a = pa.Zavodnik;
                         const TZavodnik& b = pb.Zavodnik;
                         switch (rezim) {
                         case RezimStartovka:
                             if (a.Start != b.Start) {
                                 return a.Start < b.Start;
                             }
                             return jmeno(a, b);
                         case RezimVysledky:
                             if (a.MS != b.MS) {
                                 return a.MS < b.MS;
                             }
                             if (a.Status != b.Status) {
                                 return a.Status < b.Status;
                             }
                             if (a.Vysledek != b.Vysledek) {
                                 return a.Vysledek < b.Vysledek;
                             }
                             return jmeno(a, b);
                         default:
                             return jmeno(a, b);
                         }
                     });
}

std::vector<std::vector<std::string>> Bunky(int rezim) {
    std::vector<std::vector<std::string>> rows;
    auto cas = [](double v) {
        std::string t = F2(v);
        return t.size() < 6 ? std::string(6 - t.size(), ' ') + t : t;
    };
    int misto = 0;
    const TZavodnik* predchozi = nullptr;
    for (size_t i = 0; i < SeznamInfoGrid.size(); ++i) {
        const TZavodnik& z = SeznamInfoGrid[i].Zavodnik;
        std::string id = std::to_string(z.ID);
        id.insert(0, id.size() < 6 ? 6 - id.size() : 0, ' ');
        const std::string klub = z.Oddil + z.RegC;
        switch (rezim) {
        case RezimKlub:
            rows.push_back({id, z.Kategorie, z.Jmeno, cas(z.Start), klub, std::to_string(z.SI)});
            break;
        case RezimVysledky: {
            // Equal results share a place: 1, 1, 3.
            const bool stejne = predchozi != nullptr && predchozi->MS == 0 && z.MS == 0 &&
                                predchozi->Status == 0 && z.Status == 0 &&
                                predchozi->Vysledek == z.Vysledek;
            if (!stejne) {
                misto = static_cast<int>(i) + 1;
            }
            predchozi = &z;
            std::string poradi = z.MS == 1 ? "MS" : std::to_string(misto);
            std::string cs = z.Vysledek > 0 ? cas(z.Vysledek) : std::string();
            if (z.Status != 0) {
                std::string slovo = ResultStatusText(z.Status, 0, false);
                cs = slovo + " " + cs;
                if (poradi != "MS") {
                    poradi.clear();
                }
            }
            rows.push_back({id, poradi, z.Jmeno, klub, cs});
            break;
        }
        default:
            rows.push_back({id, cas(z.Start), z.Jmeno, klub, z.Kategorie});
            break;
        }
    }
    return rows;
}

int RadekZavodnika(int32_t id) {
    int radek = 0;
    for (size_t i = 0; i < SeznamInfoGrid.size(); ++i) {
        if (SeznamInfoGrid[i].Zavodnik.ID == id) {
            radek = static_cast<int>(i) + 1;
        }
    }
    return radek;
}

int Stranka(int vyskaGridu, int vyskaRadku) {
    return vyskaRadku > 0 ? std::max(1, vyskaGridu / vyskaRadku - 1) : 1;
}

int StrankaNahoru(int horni, int stranka) {
    return std::max(1, horni - stranka);
}

int StrankaDolu(int horni, int stranka, int pocetRadku) {
    return std::max(1, std::min(horni + stranka, pocetRadku - stranka));
}

int Posledni(int pocetRadku, int stranka) {
    return std::max(1, pocetRadku - stranka);
}

int HorniProZvyrazneny(int radek) {
    return radek < 11 ? 1 : radek - 10;
}

int TTah::Pohyb(int y) {
    if (!ref_) {
        ref_ = y;
        rozdil_ = 0;
        return 0;
    }
    rozdil_ = y - *ref_;
    const int d = std::abs(rozdil_);
    if (d > 20 && d < 30) {
        ref_ = y;
        return rozdil_ > 0 ? -1 : 1;
    }
    if (d > 30) {
        ref_ = y;
    }
    return 0;
}

// ---- Choosers ----

std::vector<TPolozka> PolozkyKategorii(int rezim) {
    std::vector<TPolozka> out;
    std::string moje;
    if (const TZavodnik* z = SISam_Proc::Zavodnik(Prihlaseni.ID)) {
        moje = VelkaPismena(z->Kategorie);
    }
    const TKategorie* predchozi = nullptr;
    for (const TKategorie& k : SeznamKategorii) {
        if (rezim == RezimVysledky && k.Dobehlo < 1) {
            continue;
        }
        bool novy = false;
        if (predchozi != nullptr) {
            if (Inf.DruhZav == 2) {
                const size_t n = k.Nazev.empty() ? 0 : k.Nazev.size() - 1;
                novy = k.Nazev.substr(0, n) != predchozi->Nazev.substr(0, n);
            } else {
                novy = k.VahaKategorie() != predchozi->VahaKategorie();
            }
        }
        out.push_back({k.Nazev, novy, !moje.empty() && k.Nazev == moje});
        predchozi = &k;
    }
    return out;
}

std::vector<TPolozka> PolozkyOddilu() {
    std::vector<TPolozka> out;
    const std::string moje = Prihlaseni.ID > 0 ? SISam_Proc::KlubUzivatele() : std::string();
    for (const TOddil& o : SeznamOddilu) {
        if (!o.Kod.empty()) {
            out.push_back({o.Kod, false, !moje.empty() && VelkaPismena(moje) == o.Kod});
        }
    }
    return out;
}

// ---- Look-up ----

std::optional<TNahled> Nahled(int32_t cip) {
    const int32_t id = PrihlaseniLogic::NajdiZavodnikaPodleCipu(cip);
    const TZavodnik* z = SISam_Proc::Zavodnik(id);
    if (z == nullptr) {
        return std::nullopt;
    }
    return TNahled{id, z->Stav == StavDobehl ? RezimVysledky : RezimStartovka, z->Kategorie};
}

// ---- Ports ----

std::vector<int> PortyProCom(int com) {
    std::vector<int> out;
    for (int n = 0; n <= 18; ++n) {
        if (com < 0 || n == com) {
            out.push_back(n);
        }
    }
    return out;
}

std::string ComBezPortu(int com) {
    if (com > 18) {
        return "COM " + std::to_string(com) +
               LangText(": porty jsou jen COM 1 až 18, žádný port není otevřen",
                        ": ports are COM 1 to 18 only, no port is open");
    }
    return {};
}

} // namespace Pultra
