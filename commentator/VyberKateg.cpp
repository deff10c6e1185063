#include "VyberKateg.h"

#include "KomentTools.h"
#include "SI_Typ.h"

#include <algorithm>
#include <optional>

using Mezicasy::TKateg1;

namespace VyberKateg {

std::vector<std::string> SerazeneNazvy(const Mezicasy::TZavod& zavod) {
    std::vector<std::string> nazvy;
    nazvy.reserve(zavod.Kategorie.size());
    for (const auto& k : zavod.Kategorie) {
        nazvy.push_back(k->Nazev);
    }
    std::sort(nazvy.begin(), nazvy.end());
    return nazvy;
}

bool Boxy(const Mezicasy::TZavod& zavod, std::string_view nazev, std::array<TBox, 10>& boxy) {
    const TKateg1* k = zavod.NajdiKateg(nazev);
    if (!k) {
        return false;
    }
    for (int n = 1; n <= 10; ++n) {
        TBox& b = boxy[static_cast<size_t>(n - 1)];
        b.Viditelny = k->MaMezicas(n);
        b.Titulek = Mezicasy::PopisMezicasu(*k, -1, n).Text;
        b.Zaskrtnut = k->OknoOtevreno[static_cast<size_t>(n)];
    }
    return true;
}

void ZmenZobrazeni(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna, std::string_view nazev,
                   int n, bool zaskrtnut) {
    TKateg1* k = zavod.NajdiKateg(nazev);
    if (!k || n < 1 || n > 10) {
        return;
    }
    k->OknoOtevreno[static_cast<size_t>(n)] = zaskrtnut;
    okna.UlozKategIni(*k);
}

bool NastavHlavni(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna, std::string_view nazev,
                  bool vybran) {
    TKateg1* k = zavod.NajdiKateg(nazev);
    if (!k) {
        return false;
    }
    k->VHlavnimOkne = vybran;
    okna.UlozKategIni(*k);
    return true;
}

size_t NastavVse(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna,
                 const std::vector<std::string>& nazvy, bool vybran) {
    std::optional<platform::IniFile::Batch> davka;
    if (okna.KategIni()) {
        davka.emplace(*okna.KategIni());
    }
    size_t n = 0;
    for (const std::string& nazev : nazvy) {
        if (!NastavHlavni(zavod, okna, nazev, vybran)) {
            break;
        }
        ++n;
    }
    return n;
}

std::vector<size_t> PridejKatDlePoslPismene(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna,
                                            const std::vector<std::string>& nazvy, char pismeno) {
    std::optional<platform::IniFile::Batch> davka;
    if (okna.KategIni()) {
        davka.emplace(*okna.KategIni());
    }
    std::vector<size_t> vybrat;
    for (size_t i = 0; i < nazvy.size(); ++i) {
        TKateg1* k = zavod.NajdiKateg(nazvy[i]);
        if (!k) {
            break;
        }
        if (k->VHlavnimOkne) {
            continue;
        }
        // The name is upper case and at most 10 characters already; blanks at its end do not
        // count.
        const std::string_view jmeno = Tools::Trim(k->Nazev);
        if (!jmeno.empty() && jmeno.back() == pismeno) {
            k->VHlavnimOkne = true;
            vybrat.push_back(i);
            okna.UlozKategIni(*k);
        }
    }
    return vybrat;
}

// --- Display settings ---------------------------------------------------------------------------

const std::array<TTextPrepinace, kPrepinacu> kPrepinace = {{
    {Prepinac::Zvuky, "Zvuky", "Zvuky", "Sounds", "Zvukové upozornění pro první 3 závodníky",
     "Sound warning for competitors from 1 to 3 place"},
    {Prepinac::Barvy, "Barvy", "Barvy", "Colors", "Zvýraznit barevně prvních 6 závodníků",
     "Competitors from 1 to 6 place will be collored"},
    {Prepinac::AllKateg, "AllKateg", "Všechny kategorie", "All categories",
     "Pokud je zaškrtnuto, zobrazí se v hlavním okně všechny kategorie bez ohledu na "
     "definovaný výběr",
     "If check, in main windou will be all categories"},
    {Prepinac::Start, "Start", "Start", "Start",
     "Zaškrtni, pokud chceš v hlavním okně zobrazovat startující závodníky",
     "Check if you can see in main window starting competition"},
    {Prepinac::Cil, "Cil", "Cíl", "Finish",
     "Zaškrtni, pokud chceš v hlavním okně zobrazovat závodníky probíhající cílem",
     "Check if you can see in main window finishing competition"},
    {Prepinac::Mezicasy, "Mezicasy", "Mezičasy", "Split times",
     "Zaškrtni, pokud chceš v hlavním okně zobrazovat mezičasy",
     "Check if you can see in main window all split times"},
    {Prepinac::NeznameCipy, "NeznameCipy", "Neznámé čipy", "Unknown SI cards",
     "Zaškrtni, pokud chceš v hlavním okně zobrazovat i neznámé čipy",
     "Check if you can see in main window Uuknown SI cards"},
}};

std::string TitulekZobrazeni() {
    return SI_Typ::LangText("Zobrazovat v hlavním okně", "Parameters for main window");
}

bool& Hodnota(Koment::TNastaveni& n, Prepinac p) {
    switch (p) {
    case Prepinac::Zvuky:
        return n.Zvuky;
    case Prepinac::Barvy:
        return n.Barvy;
    case Prepinac::AllKateg:
        return n.AllKateg;
    case Prepinac::Start:
        return n.Start;
    case Prepinac::Cil:
        return n.Cil;
    case Prepinac::Mezicasy:
        return n.Mezicasy;
    case Prepinac::NeznameCipy:
        break;
    }
    return n.NeznameCipy;
}

void ZmenPrepinac(platform::IniFile& ini, Koment::TNastaveni& n, Prepinac p, bool hodnota) {
    Hodnota(n, p) = hodnota;
    ini.WriteBool("Nastaveni", kPrepinace[static_cast<size_t>(p)].Klic, hodnota);
}

void ZmenKontrolu(platform::IniFile& ini, Koment::TNastaveni& n, int kod, bool hodnota) {
    if (kod < 31 || kod > 255) {
        return;
    }
    n.KontrolaZobrazit[static_cast<size_t>(kod)] = hodnota;
    ini.WriteBool("ZobrazitKontroly", "K" + std::to_string(kod), hodnota);
}

std::vector<TMistoKontroly> RozlozKontroly(const std::array<bool, 256>& pouzita) {
    std::vector<TMistoKontroly> mista;
    int x = 30;
    int y = 30;
    for (int kod = 31; kod <= 255; ++kod) {
        if (!pouzita[static_cast<size_t>(kod)]) {
            continue;
        }
        mista.push_back({kod, x, y});
        x += 50;
        if (x > 400) {
            x = 15;
            y += 20;
        }
    }
    return mista;
}

std::string TitulekKontroly(int kod) {
    std::string t = std::to_string(kod);
    return std::string(t.size() < 3 ? 3 - t.size() : 0, ' ') + t;
}

} // namespace VyberKateg
