#include "KategOkna.h"

#include "KomentTools.h"
#include "SI_Typ.h"
#include "platform/Cp1250.h"

#include <algorithm>
#include <cmath>
#include <optional>

using Koment::Nastaveni;
using Mezicasy::TKateg1;
using Mezicasy::TZavodnik;

namespace KategOkna {

namespace {

std::string Cas(double t) {
    return Koment::CasText(0, Nastaveni.Desetiny, 1, t);
}

std::string SekceOkna(const TKateg1& k, int w) {
    return k.Nazev + "/" + std::to_string(w);
}

// Cut by characters: Kateg.ini is Windows-1250, one byte a character.
std::string SekceMez(const TKateg1& k) {
    return platform::Utf8Left("MEZ_" + k.Nazev, 14);
}

std::string SekceBunky(int radek, int sloupec) {
    return "ResOkno_" + std::to_string(radek) + "_" + std::to_string(sloupec);
}

bool StejnyCas(double a, double b) {
    if (Nastaveni.Desetiny) {
        return std::fabs(a - b) < 0.0005;
    }
    return std::llround(a * 100) == std::llround(b * 100);
}

std::string Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return std::string(s);
}

} // namespace

std::vector<TRadek> NaplnOkno(const TKateg1& k, int w) {
    std::vector<const TZavodnik*> z;
    z.reserve(k.Zavodnici.size());
    for (const auto& p : k.Zavodnici) {
        if (w == 0 || p->Data.Mezicasy[static_cast<size_t>(w)] > 0.01) {
            z.push_back(p.get());
        }
    }
    const auto split = [w](const TZavodnik* p) { return p->Data.Mezicasy[static_cast<size_t>(w)]; };
    const auto soucet = [&](const TZavodnik* p) {
        return Koment::SoucetCasu(p->Data.CasPredchozi, split(p));
    };
    if (w == 0) {
        std::stable_sort(z.begin(), z.end(), [](const TZavodnik* a, const TZavodnik* b) {
            return a->Data.CasStartu < b->Data.CasStartu;
        });
    } else if (Nastaveni.DruhZavodu == 1 || Nastaveni.DruhZavodu == 2) {
        std::stable_sort(z.begin(), z.end(), [&](const TZavodnik* a, const TZavodnik* b) {
            if (a->Data.StavPredchozi != b->Data.StavPredchozi) {
                return a->Data.StavPredchozi < b->Data.StavPredchozi;
            }
            return soucet(a) < soucet(b);
        });
    } else {
        std::stable_sort(z.begin(), z.end(), [&](const TZavodnik* a, const TZavodnik* b) {
            return split(a) < split(b);
        });
    }

    std::vector<TRadek> radky(z.size());
    if (w == 0) {
        for (size_t i = 0; i < z.size(); ++i) {
            const auto& d = z[i]->Data;
            auto& b = radky[i].Bunky;
            b[0] = std::to_string(i + 1);
            b[1] = d.Jmeno;
            b[2] = d.StartCislo;
            b[3] = d.RegCislo;
            if (d.CasStartu != Mezicasy::kBezCasu) {
                b[6] = Cas(d.CasStartu);
            }
            if (d.CasStartuRazeny != Mezicasy::kBezCasu) {
                b[7] = Cas(d.CasStartuRazeny);
            }
            b[8] = std::to_string(d.Cip);
        }
        return radky;
    }

    const bool stafety = Nastaveni.DruhZavodu == 2;
    int pocet = 0;
    std::optional<std::pair<double, double>> vedouci; // cut split and total of the leader
    double predchozi = 0;
    for (size_t i = 0; i < z.size(); ++i) {
        const auto& d = z[i]->Data;
        auto& b = radky[i].Bunky;
        const double t = split(z[i]);
        const double celkem = soucet(z[i]);
        bool jeVedouci = false;
        if (d.Stav == 0) {
            ++pocet;
            if (!vedouci) {
                vedouci.emplace(
                    Koment::OrizniCas(t),
                    Koment::SoucetCasu(Koment::OrizniCas(t), Koment::OrizniCas(d.CasPredchozi)));
                jeVedouci = true;
            }
        }
        const double porovnat = stafety ? celkem : t;
        if (i == 0 || !StejnyCas(porovnat, predchozi)) {
            b[0] = (pocet < 10 ? " " : "") + std::to_string(pocet) + ".";
        }
        predchozi = porovnat;
        b[1] = d.Jmeno;
        b[2] = d.StartCislo;
        b[3] = d.RegCislo;
        b[4] = Cas(celkem);
        b[6] = Cas(t);
        if (jeVedouci) {
            // The leader's loss columns stay empty.
        } else if (d.Stav != 0 || d.StavPredchozi != 0) {
            b[5] = b[7] = Koment::ResultStatusText(d.Stav != 0 ? d.Stav : d.StavPredchozi);
        } else if (vedouci) {
            const double orez = Koment::OrizniCas(t);
            b[7] = Cas(Koment::RozdilCasu(orez, vedouci->first));
            b[5] = Cas(Koment::RozdilCasu(
                Koment::SoucetCasu(orez, Koment::OrizniCas(d.CasPredchozi)), vedouci->second));
        }
        b[8] = std::to_string(d.Cip);
        // The moment from the start actually taken: a start list without a time would put the
        // moment 100 minutes early.
        radky[i].Datum = Koment::CasNaDatum(Koment::SoucetCasu(d.CasStartuEfektivni(), t));
        b[9] = std::to_string(radky[i].Datum);
    }
    return radky;
}

std::array<int, kSloupcu> SirkySloupcu(int druhZavodu, bool maStartCisla, int gridWidth) {
    const double s = maStartCisla ? 0.08 : 0;
    std::array<double, 8> f{};
    switch (druhZavodu) {
    case 1:
        f = {0.06, 0.25, 0.08, 0.11, 0.13, 0.12, 0.13, 0.12};
        break;
    case 2:
        f = {0.07, 0.40, 0.08, 0.12, 0.17, 0.16, 0, 0};
        break;
    default:
        f = {0.07, 0.45 - s, s, 0.12, 0, 0, 0.17, 0.19};
        break;
    }
    const int W = gridWidth - 15;
    std::array<int, kSloupcu> sirky{};
    for (size_t i = 0; i < f.size(); ++i) {
        sirky[i] = std::max(0, static_cast<int>(std::lround(f[i] * W)));
    }
    return sirky;
}

uint32_t BarvaRadku(const TRadek& r, int64_t tedSekundy, bool barvy) {
    const auto& b = r.Bunky;
    const std::string s7 = Trim(b[7]);
    const std::string s5 = Trim(b[5]);
    if (s7 == "DISK" || s7 == "DISQ" || s7 == "VZDAL" || s5 == "DISK" || s5 == "DISQ" ||
        s5 == "DNF") {
        return kBarvaStavu;
    }
    if (barvy && r.Datum >= 0) {
        const int64_t s = tedSekundy - r.Datum;
        if (s >= 0 && s < 125) {
            return 0x000000FF + 512 * static_cast<uint32_t>(s);
        }
    }
    return kBarvaBila;
}

std::string Titulek(const TKateg1& k, int w) {
    return k.Nazev + "  " + Mezicasy::PopisMezicasu(k, -1, w).Text;
}

bool MaBledouciRadky(const std::vector<TRadek>& radky, int64_t tedSekundy) {
    for (const TRadek& r : radky) {
        if (r.Datum >= 0 && tedSekundy - r.Datum >= 0 && tedSekundy - r.Datum <= 126) {
            return true;
        }
    }
    return false;
}

int HorniRadek(int radek, int viditelnych) {
    return std::max(0, radek - viditelnych / 2);
}

// --- Windows -------------------------------------------------------------------------------

TOknaKateg::TOknaKateg(Mezicasy::TZavod& zavod) : zavod_(zavod) {}

void TOknaKateg::NastavObrazovku(int sirka, int vyska) {
    sirka_ = sirka;
    vyska_ = vyska;
}

void TOknaKateg::NastavMrizku(int radku, int sloupcu) {
    radku_ = radku;
    sloupcu_ = sloupcu;
}

TOknaKateg::TOkna& TOknaKateg::Okna(const TKateg1& k) {
    return okna_[k.Nazev];
}

IOkno* TOknaKateg::Zajisti(const TKateg1& k, int w) {
    TOkna& o = Okna(k);
    auto& okno = o.okno[static_cast<size_t>(w)];
    if (!okno && tovarna_) {
        okno = tovarna_->Vytvor(k, w);
        okno->NastavTitulek(Titulek(k, w));
        Tools::FormPos pos;
        pos.width = 400;
        pos.height = 300;
        if (ini_) {
            Koment::LoadFormPos(*ini_, SekceOkna(k, w), pos);
        }
        okno->NastavPozici(pos);
        o.naplneno[static_cast<size_t>(w)] = false;
    }
    return okno.get();
}

void TOknaKateg::Napln(TKateg1& k, int w) {
    TOkna& o = Okna(k);
    const auto i = static_cast<size_t>(w);
    o.radky[i] = NaplnOkno(k, w);
    o.naplneno[i] = true;
    k.OknoZmeneno[i] = false;
    if (IOkno* okno = o.okno[i].get()) {
        okno->NastavSloupce(Nastaveni.DruhZavodu, k.MaStartCisla);
        okno->Napln(o.radky[i]);
    }
}

void TOknaKateg::NactiKategIni(TKateg1& k) {
    if (ini_) {
        const std::string sekce = SekceMez(k);
        k.VHlavnimOkne = ini_->ReadBool(sekce, "-1", false);
        for (int w = 0; w < kOken; ++w) {
            k.OknoOtevreno[static_cast<size_t>(w)] =
                ini_->ReadBool(sekce, std::to_string(w), false) && k.MaMezicas(w);
        }
    }
    const auto it = okna_.find(k.Nazev);
    for (int w = 0; w < kOken; ++w) {
        const auto i = static_cast<size_t>(w);
        if (it != okna_.end() && it->second.okno[i]) {
            it->second.okno[i]->NastavTitulek(Titulek(k, w));
        }
        if (k.OknoOtevreno[i]) {
            k.OknoZmeneno[i] = true;
        }
    }
}

void TOknaKateg::UlozKategIni(const TKateg1& k) {
    if (!ini_) {
        return;
    }
    platform::IniFile::Batch davka(*ini_);
    const std::string sekce = SekceMez(k);
    ini_->WriteBool(sekce, "-1", k.VHlavnimOkne);
    const auto it = okna_.find(k.Nazev);
    for (int w = 0; w < kOken; ++w) {
        const auto i = static_cast<size_t>(w);
        ini_->WriteBool(sekce, std::to_string(w), k.OknoOtevreno[i]);
        if (k.OknoOtevreno[i] && it != okna_.end() && it->second.okno[i]) {
            Koment::SaveFormPos(*ini_, SekceOkna(k, w), it->second.okno[i]->Pozice());
        }
    }
}

void TOknaKateg::UlozVse() {
    if (!ini_) {
        return;
    }
    platform::IniFile::Batch davka(*ini_);
    for (const auto& k : zavod_.Kategorie) {
        UlozKategIni(*k);
    }
}

Tools::FormPos TOknaKateg::Bunka(int radek, int sloupec) {
    Tools::FormPos pos;
    pos.width = sloupcu_ < 1 ? 300 : sirka_ / sloupcu_;
    pos.height = radku_ < 1 ? 500 : vyska_ / radku_;
    pos.top = (radek - 1) * pos.height;
    pos.left = (sloupec - 1) * pos.width;
    if (ini_) {
        Koment::LoadFormPos(*ini_, SekceBunky(radek, sloupec), pos);
    }
    return pos;
}

void TOknaKateg::UmistiOkno(const TKateg1& k, int w, int radek, int sloupec) {
    if (w < 0 || w >= kOken) {
        return;
    }
    const Tools::FormPos pos = Bunka(radek, sloupec);
    if (IOkno* okno = Zajisti(k, w)) {
        okno->NastavPozici(pos);
    }
}

void TOknaKateg::UlozUmisteni(const TKateg1& k, int w, int radek, int sloupec) {
    if (w < 0 || w >= kOken || !ini_) {
        return;
    }
    if (IOkno* okno = Zajisti(k, w)) {
        Koment::SaveFormPos(*ini_, SekceBunky(radek, sloupec), okno->Pozice());
    }
}

void TOknaKateg::VyberVOkne(std::string_view kategorie, std::string_view klic, int w) {
    TKateg1* k = zavod_.NajdiKateg(kategorie);
    if (!k || w < 0 || w >= kOken) {
        return;
    }
    const auto i = static_cast<size_t>(w);
    if (!k->OknoOtevreno[i]) {
        k->OknoOtevreno[i] = true;
        UlozKategIni(*k);
    }
    IOkno* okno = Zajisti(*k, w);
    TOkna& o = Okna(*k);
    if (k->OknoZmeneno[i] || !o.naplneno[i]) {
        Napln(*k, w);
    }
    int radek = -1;
    if (!klic.empty()) {
        for (size_t r = 0; r < o.radky[i].size(); ++r) {
            if (o.radky[i][r].Bunky[8] == klic) {
                radek = static_cast<int>(r);
                break;
            }
        }
    }
    if (okno) {
        // The row first: a window shown before would be painted twice.
        okno->VyberRadek(radek);
        okno->Zobraz(true);
    }
}

void TOknaKateg::ObnovOkna() {
    // Windows of categories a reload dropped are hidden.
    for (auto& [nazev, o] : okna_) {
        if (zavod_.NajdiKateg(nazev)) {
            continue;
        }
        for (auto& okno : o.okno) {
            if (okno && okno->Zobrazeno()) {
                okno->Zobraz(false);
            }
        }
    }
    const platform::WallTime ted = platform::GetClock().Now();
    const int64_t tedSekundy = ted.hour * 3600 + ted.minute * 60 + ted.second;
    for (const auto& kp : zavod_.Kategorie) {
        TKateg1& k = *kp;
        auto it = okna_.find(k.Nazev);
        for (int w = 0; w < kOken; ++w) {
            const auto i = static_cast<size_t>(w);
            if (!k.OknoOtevreno[i]) {
                if (it != okna_.end() && it->second.okno[i] && it->second.okno[i]->Zobrazeno()) {
                    it->second.okno[i]->Zobraz(false);
                }
                continue;
            }
            IOkno* okno = Zajisti(k, w);
            it = okna_.find(k.Nazev);
            if (k.OknoZmeneno[i] || !it->second.naplneno[i]) {
                Napln(k, w);
            } else if (okno && Nastaveni.Barvy) {
                // Only windows with fading rows change colour; painting costs more than the rest
                // of the refresh.
                const bool bledne = MaBledouciRadky(it->second.radky[i], tedSekundy);
                if (bledne || it->second.bledne[i]) {
                    okno->Prekresli();
                }
                it->second.bledne[i] = bledne;
            }
            if (okno && !okno->Zobrazeno()) {
                okno->Zobraz(true);
            }
        }
    }
}

void TOknaKateg::ZavriOkno(std::string_view kategorie, int w) {
    if (w < 0 || w >= kOken) {
        return;
    }
    const auto i = static_cast<size_t>(w);
    const auto it = okna_.find(std::string(kategorie));
    if (it != okna_.end() && it->second.okno[i]) {
        it->second.okno[i]->Zobraz(false);
    }
    if (TKateg1* k = zavod_.NajdiKateg(kategorie)) {
        k->OknoOtevreno[i] = false;
        UlozKategIni(*k);
    }
}

const std::vector<TRadek>* TOknaKateg::Radky(std::string_view kategorie, int w) const {
    const auto it = okna_.find(std::string(kategorie));
    if (it == okna_.end() || w < 0 || w >= kOken || !it->second.naplneno[static_cast<size_t>(w)]) {
        return nullptr;
    }
    return &it->second.radky[static_cast<size_t>(w)];
}

IOkno* TOknaKateg::Okno(std::string_view kategorie, int w) const {
    const auto it = okna_.find(std::string(kategorie));
    if (it == okna_.end() || w < 0 || w >= kOken) {
        return nullptr;
    }
    return it->second.okno[static_cast<size_t>(w)].get();
}

// --- Rotation ------------------------------------------------------------------------------

void TDivak::TimerDivakTimer(Mezicasy::TZavod& zavod, TOknaKateg& okna, int radku, int sloupcu,
                             bool dialogOtevren) {
    if (dialogOtevren || zavod.Kategorie.empty()) {
        return;
    }
    // The loops stay inside the cell table whatever the settings say, so every window a step
    // showed is closed by the next one.
    radku = std::clamp(radku, 1, kRad);
    sloupcu = std::clamp(sloupcu, 1, kSloupcu);
    std::optional<platform::IniFile::Batch> davka;
    if (okna.KategIni()) {
        davka.emplace(*okna.KategIni());
    }
    for (int r = 1; r <= radku; ++r) {
        for (int c = 1; c <= sloupcu; ++c) {
            const std::string& nazev = DivakOkna[static_cast<size_t>(r)][static_cast<size_t>(c)];
            TKateg1* k = nazev.empty() ? nullptr : zavod.NajdiKateg(nazev);
            if (!k) {
                continue;
            }
            for (int i = 0; i <= k->IndexCile(); ++i) {
                if (k->OknoOtevreno[static_cast<size_t>(i)]) {
                    k->OknoOtevreno[static_cast<size_t>(i)] = false;
                    okna.UlozKategIni(*k);
                    okna.UlozUmisteni(*k, i, r, c);
                }
            }
        }
    }
    // A category shown last that a reload dropped: start again from the first.
    if (!DivakKategorie.empty() && !zavod.NajdiKateg(DivakKategorie)) {
        DivakKategorie.clear();
    }
    if (!Projdi(zavod, okna, radku, sloupcu)) {
        Projdi(zavod, okna, radku, sloupcu);
    }
}

bool TDivak::Projdi(Mezicasy::TZavod& zavod, TOknaKateg& okna, int radku, int sloupcu) {
    const std::string posledni = zavod.Kategorie.back()->Nazev;
    int r = 1;
    int c = 1;
    bool zobrazeno = false;
    for (;;) {
        const std::string dalsi = zavod.DalsiKateg(DivakKategorie);
        TKateg1* k = dalsi.empty() ? nullptr : zavod.NajdiKateg(dalsi);
        if (!k) {
            return true;
        }
        bool plno = false;
        if (k->VHlavnimOkne) {
            zobrazeno = true;
            int n = k->IndexCile();
            if (k->PocetSMezicasem(n) == 0) {
                n = 0;
            }
            okna.UmistiOkno(*k, n, r, c);
            okna.VyberVOkne(dalsi, "", n);
            DivakOkna[static_cast<size_t>(r)][static_cast<size_t>(c)] = dalsi;
            if (++c > sloupcu) {
                c = 1;
                plno = ++r > radku;
            }
        }
        DivakKategorie = dalsi;
        if (dalsi == posledni) {
            DivakKategorie.clear();
            return zobrazeno;
        }
        if (plno) {
            return zobrazeno;
        }
    }
}

} // namespace KategOkna
