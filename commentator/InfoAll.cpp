#include "InfoAll.h"

#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Cp1250.h"

#include <charconv>
#include <cmath>

namespace InfoAll {

using Mezicasy::TZavodnik;

TRadek Hlavicka() {
    const auto t = [](const char* cz, const char* en) { return SI_Typ::LangText(cz, en); };
    return {t("kateg", "Category"),
            t("mezičas", "Split / Finish"),
            t("jméno", "Name"),
            t("st.č", "st.Nr."),
            t("oddíl", "Country"),
            t("pořadí", "Place"),
            t("Celk.čas", "Total time"),
            t("ztráta", "Difference"),
            t("pořadí", "Place"),
            t("čas", "Time"),
            t("ztráta", "Difference"),
            "SI",
            "M",
            ""};
}

std::string TextPoradi(int32_t p, int32_t c) {
    if (p == 999) {
        return {};
    }
    std::string s = (p < 10 ? "  " : "") + std::to_string(p);
    if (c >= p) {
        s += " / " + std::to_string(c);
    }
    return s;
}

std::string BarvaPoradi(int32_t place) {
    if (place >= 1 && place <= 6) {
        const uint32_t green = 255 - static_cast<uint32_t>(6 - place) * 30;
        return std::to_string(255u | (green << 8));
    }
    if (place == 999) {
        return std::to_string(uint32_t{255} << 8 | uint32_t{255} << 16);
    }
    return {};
}

std::array<int, kSloupcu> SirkySloupcu(int druh, int sirkaMrizky,
                                       const std::array<int, kSloupcu>& soucasne) {
    static constexpr double kPodily[3][11] = {
        {0.10, 0.15, 0.29, 0.06, 0.10, 0, 0, 0, 0.10, 0.10, 0.10},
        {0.06, 0.13, 0.22, 0.06, 0.08, 0.08, 0.07, 0.07, 0.08, 0.07, 0.07},
        {0.10, 0.15, 0.29, 0.06, 0.10, 0.10, 0.10, 0.10, 0, 0, 0},
    };
    std::array<int, kSloupcu> w = soucasne;
    const double sirka = sirkaMrizky - 15;
    if (druh >= 0 && druh <= 2) {
        for (size_t c = 0; c < 11; ++c) {
            w[c] = static_cast<int>(std::lround(sirka * kPodily[druh][c]));
        }
    }
    w[11] = w[12] = w[13] = 0;
    return w;
}

TRadek RadekUdalosti(const Mezicasy::TZavod& zavod, const TZavodnik& e, bool desetiny,
                     const Mezicasy::TPoradi* poradi) {
    const Mezicasy::TZavodnikData& d = e.Data;
    TRadek r;
    r[0] = d.Kategorie;
    r[1] = e.Popis;
    r[2] = d.Jmeno;
    r[3] = std::string(Tools::Trim(d.StartCislo));
    r[4] = d.RegCislo;
    r[11] = std::to_string(d.Cip);
    if (e.IndexMezicasu == 0) {
        // No start time at all shows nothing rather than the marker value.
        if (d.CasStartu != Mezicasy::kBezCasu) {
            r[9] = Koment::CasText(0, false, 0, d.CasStartu);
        }
        const bool zadny = d.CasStartu == Mezicasy::kBezCasu &&
                           d.CasStartuRazeny == Mezicasy::kBezCasu &&
                           d.CasStartuNahradni == Mezicasy::kBezCasu;
        const double efektivni = d.CasStartuEfektivni();
        if (!zadny && efektivni != d.CasStartu) {
            r[10] = "(" + Koment::CasText(0, desetiny, 3, efektivni) + ")";
        }
        r[12] = "0";
        return r;
    }
    const double split = d.Mezicasy[static_cast<size_t>(e.IndexMezicasu)];
    const Mezicasy::TPoradi p = poradi ? *poradi : zavod.PoradiZavodnika(e, e.IndexMezicasu);
    r[5] = TextPoradi(p.PoradiCelkem, p.PocetCelkem);
    r[6] = Koment::CasText(d.StavPredchozi, desetiny, 0, Koment::SoucetCasu(split, d.CasPredchozi));
    r[7] = p.ZtrataCelkem == 0 ? "" : Koment::CasText(0, desetiny, 0, p.ZtrataCelkem);
    r[8] = TextPoradi(p.Poradi, p.Pocet);
    r[9] = Koment::CasText(d.Stav, desetiny, 0, split);
    r[10] = p.Ztrata == 0 ? "" : Koment::CasText(0, desetiny, 0, p.Ztrata);
    r[12] = std::to_string(e.IndexMezicasu);
    r[13] = BarvaPoradi(p.PoradiCelkem);
    return r;
}

TInfoAll::TInfoAll() : hlavicka_(Hlavicka()), radky_(1) {}

void TInfoAll::Vloz(TRadek radek, int limit) {
    if (Prekreslit) {
        if (zmeny_ != nullptr) {
            zmeny_->PredVymazanim();
        }
        radky_.assign(1, TRadek{});
        Naplneno = false;
        Prekreslit = false;
        if (zmeny_ != nullptr) {
            zmeny_->PoVymazani();
        }
    }
    if (zmeny_ != nullptr) {
        zmeny_->PredVlozenim();
    }
    radky_.push_front(std::move(radek));
    if (zmeny_ != nullptr) {
        zmeny_->PoVlozeni();
    }
    // The grid holds the header and limit - 1 event rows.
    while (static_cast<int>(radky_.size()) > std::max(limit - 1, 1)) {
        const int last = static_cast<int>(radky_.size());
        if (zmeny_ != nullptr) {
            zmeny_->PredOdebranim(last);
        }
        radky_.pop_back();
        if (zmeny_ != nullptr) {
            zmeny_->PoOdebrani();
        }
    }
}

void TInfoAll::Vypln(Mezicasy::TZavod& zavod, const Koment::TNastaveni& n, Mezicasy::IZvuk* zvuk) {
    const int limit = std::max(n.MaxRadkuHlOkna, 0) + 1;
    while (const TZavodnik* e = zavod.Udalosti.Prvni()) {
        // Of a long backlog only the newest events reach the grid.
        Mezicasy::TPoradi p;
        const bool ukazat = [&] {
            if (zavod.Udalosti.size() > static_cast<size_t>(limit)) {
                return false;
            }
            if (e->IndexMezicasu == 0) {
                return n.Start;
            }
            if ((e->DruhPopisu == 3 && !n.Cil) || (e->DruhPopisu == 2 && !n.Mezicasy) ||
                (e->DruhPopisu != 2 && e->DruhPopisu != 3)) {
                return false;
            }
            p = zavod.PoradiZavodnika(*e, e->IndexMezicasu);
            if (p.Poradi > n.MaxPor && p.Poradi != 999) {
                return false;
            }
            if (!Prekreslit && Naplneno && p.Poradi <= 3 && zvuk != nullptr) {
                Mezicasy::Pipni(*zvuk);
            }
            return true;
        }();
        if (ukazat) {
            Vloz(RadekUdalosti(zavod, *e, n.Desetiny, e->IndexMezicasu == 0 ? nullptr : &p), limit);
        }
        zavod.Udalosti.OdeberPrvni();
    }
    Naplneno = true;
}

void TInfoAll::ZrusZaznam(int32_t cip, int32_t bod) {
    const std::string c = std::to_string(cip);
    const std::string b = std::to_string(bod);
    for (size_t i = 0; i < radky_.size(); ++i) {
        TRadek& r = radky_[i];
        if (r[11] == c && r[12] == b) {
            for (size_t col = 5; col <= 10; ++col) {
                r[col] = "XXXXXXX";
            }
            r[13].clear();
            if (zmeny_ != nullptr) {
                zmeny_->Zmeneno(static_cast<int>(i) + 1, static_cast<int>(i) + 1);
            }
        }
    }
}

std::optional<uint32_t> TInfoAll::Barva(int r, bool barvy) const {
    if (r <= 0 || r >= PocetRadku() || !barvy) {
        return std::nullopt;
    }
    const std::string_view t = Tools::Trim(Radek(r)[13]);
    uint32_t v = 0;
    const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || ptr != t.data() + t.size()) {
        return std::nullopt;
    }
    return v;
}

std::optional<TVyber> TInfoAll::Klik(int r, bool pravym, const Mezicasy::TZavod& zavod) const {
    if (r <= 0 || r >= PocetRadku()) {
        return std::nullopt;
    }
    const TRadek& radek = Radek(r);
    TVyber v;
    // Ten characters, as the category's name was cut: Czech letters take two bytes here.
    v.Kategorie = platform::Utf8Left(Tools::Trim(radek[0]), 10);
    v.Cip = std::string(Tools::Trim(radek[11]).substr(0, 10));
    if (!pravym) {
        const std::string_view t = Tools::Trim(radek[12]).substr(0, 2);
        int32_t bod = 0;
        const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), bod);
        if (t.empty() || ec != std::errc() || ptr != t.data() + t.size()) {
            return std::nullopt;
        }
        v.Bod = bod;
    }
    if (v.Kategorie.empty() || v.Cip.empty() || v.Bod < 0 ||
        zavod.NajdiKateg(v.Kategorie) == nullptr) {
        return std::nullopt;
    }
    return v;
}

} // namespace InfoAll
