#include "Mezicasy.h"

#include "KomentTools.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <tuple>

namespace Mezicasy {

using Koment::Nastaveni;

namespace {

// A relay category's name ends in its leg, 1..4; 0 for any other name.
int UsekKategorie(const TKateg1& k) {
    const char c = k.Nazev.empty() ? '\0' : k.Nazev.back();
    return c >= '1' && c <= '4' ? c - '0' : 0;
}

std::string Velka(std::string_view utf8) {
    std::string cp = platform::Utf8ToCp1250(utf8);
    for (char& c : cp) {
        c = static_cast<char>(platform::Cp1250Upper(static_cast<unsigned char>(c)));
    }
    return platform::Cp1250ToUtf8(cp);
}

std::string NazevKategorie(std::string_view name) {
    return platform::Utf8Left(Velka(name), 10);
}

// The bib as the look-up compares it: right-aligned in 5, cut to 5, trimmed.
std::string KlicCisla(int32_t bib) {
    const std::string s = Tools::PadLeft(std::to_string(bib), 5, ' ').substr(0, 5);
    return std::string(Tools::Trim(s));
}

std::string KlicCislaUseku(int32_t bib, int32_t leg) {
    const std::string s = std::string(Tools::Trim(std::to_string(bib))) + "/" +
                          std::string(Tools::Trim(std::to_string(leg)));
    return std::string(Tools::Trim(s.substr(0, 5)));
}

bool JeKod(int32_t kod) {
    return kod >= 1 && kod <= 255;
}

std::string CasDne() {
    return platform::TimeText(platform::GetClock().Now());
}

// Copies are plain ASCII: a byte from outside that is not becomes '?'.
std::string Ascii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\r' || c == '\n') {
            c = '?';
        }
    }
    return out;
}

} // namespace

// --- Categories -----------------------------------------------------------------------------

TKateg1::TKateg1(std::string_view name) : Nazev(NazevKategorie(name)) {
    OknoZmeneno.fill(true);
}

TZavodnik* TKateg1::NajdiCip(int32_t cip) const {
    const auto it = podleCipu_.find(cip);
    return it == podleCipu_.end() ? nullptr : it->second;
}

TZavodnik* TKateg1::NajdiStartCislo(int32_t bib) const {
    if (bib == 0) {
        return nullptr;
    }
    const auto it = podleStartCisla_.find(KlicCisla(bib));
    return it == podleStartCisla_.end() ? nullptr : it->second;
}

TZavodnik* TKateg1::NajdiStartCisloUsek(int32_t bib, int32_t leg) const {
    const auto it = podleStartCisla_.find(KlicCislaUseku(bib, leg));
    return it == podleStartCisla_.end() ? nullptr : it->second;
}

int TKateg1::IndexCile() const {
    if (!Zavodnici.empty()) {
        for (int i = 1; i <= kBodu; ++i) {
            if (Zavodnici.front()->Data.Kontroly[i] == 1) {
                return i;
            }
        }
    }
    return 1;
}

int TKateg1::PocetSMezicasem(int point) const {
    if (point < 1 || point > kBodu) {
        return 0;
    }
    int n = 0;
    for (const auto& z : Zavodnici) {
        if (z->Data.Mezicasy[point] > 0.001) {
            ++n;
        }
    }
    return n;
}

bool TKateg1::MaMezicas(int point) const {
    if (Zavodnici.empty() || point < 0 || point > kBodu) {
        return false;
    }
    if (point == 0) {
        return Nastaveni.Start;
    }
    return Zavodnici.front()->Data.Kontroly[point] != 0;
}

TPopis PopisMezicasu(const TKateg1& k, int32_t code, int w) {
    const bool cz = SI_Typ::Language != 1;
    if (code >= 0 && k.Nazev == "???") {
        return {"K " + std::to_string(code), 0};
    }
    if (w == 0) {
        return {"Start", 1};
    }
    if (w < 0 || w > kBodu || k.Zavodnici.empty()) {
        return {};
    }
    const TZavodnikData& first = k.Zavodnici.front()->Data;
    const int c = first.Kontroly[w];
    const std::string prefix = std::to_string(w) + (cz ? ". mez/" : ". split/ ");
    if (c == 0) {
        return {};
    }
    if (c > 30) {
        if (c == Nastaveni.CisloSberky) {
            return {prefix + SI_Typ::LangText("sběrka", "last control"), 2};
        }
        return {prefix + std::to_string(first.PoradiKontrol[w]) + (cz ? ".k/" : ".c/") +
                    std::to_string(c),
                2};
    }
    return {prefix + SI_Typ::LangText("cíl", "finish"), 3};
}

const TPopis& TKateg1::Popis(int32_t code, int w) const {
    // The caption of a point changes only with the first competitor's course, the language
    // and the last-control code; every event asks for it.
    const TZavodnik* first = Zavodnici.empty() ? nullptr : Zavodnici.front().get();
    const bool neznamy = code >= 0 && Nazev == "???";
    TPopisKlic key{SI_Typ::Language,   Koment::Nastaveni.CisloSberky, first, 0, 0,
                   neznamy ? code : -1};
    if (first != nullptr && w >= 1 && w <= kBodu) {
        key.kod = first->Data.Kontroly[w];
        key.poradi = first->Data.PoradiKontrol[w];
    }
    const size_t i = w >= 0 && w <= kBodu ? static_cast<size_t>(w) : 0;
    if (!(popisKlic_[i] == key) || w < 0 || w > kBodu) {
        popis_[i] = PopisMezicasu(*this, code, w);
        popis_[i].Text = platform::Utf8Left(popis_[i].Text, 35);
        popisKlic_[i] = key;
    }
    return popis_[i];
}

// --- The race ---------------------------------------------------------------------------------

void TZavod::Napoj(IStavovyRadek* stav, IMrizkaUdalosti* mrizka) {
    stav_ = stav;
    mrizka_ = mrizka;
}

TKateg1& TZavod::AddKateg(std::string_view name) {
    auto k = std::make_shared<TKateg1>(name);
    k->poradi_ = Kategorie.size();
    podleNazvu_.emplace(k->Nazev, k->poradi_);
    Kategorie.push_back(k);
    return *k;
}

TKateg1* TZavod::NajdiKateg(std::string_view name) const {
    const auto it = podleNazvu_.find(Velka(name));
    return it == podleNazvu_.end() ? nullptr : Kategorie[it->second].get();
}

std::string TZavod::DalsiKateg(std::string_view name) const {
    if (Kategorie.empty()) {
        return {};
    }
    if (!name.empty()) {
        const std::string wanted = NazevKategorie(name);
        for (size_t i = 0; i < Kategorie.size(); ++i) {
            if (Kategorie[i]->Nazev == wanted) {
                return Kategorie[(i + 1) % Kategorie.size()]->Nazev;
            }
        }
    }
    return Kategorie.front()->Nazev;
}

TZavodnik* TZavod::AddZavodnik(TKateg1& k, TZavodnikData data) {
    if (data.Cip == 0) {
        return nullptr;
    }
    auto z = std::make_unique<TZavodnik>();
    z->Data = std::move(data);
    z->Kategorie = &k;
    for (int i = 1; i <= kBodu; ++i) {
        uint8_t& kod = z->Data.Kontroly[i];
        if (kod >= 1 && kod <= 30) {
            kod = 1;
            if ((z->Data.Mezicasy[i] > 0 || z->Data.Stav > 0) && k.Nazev != "???") {
                ++PocetVCili;
            }
        }
    }
    const std::string bib(Tools::Trim(z->Data.StartCislo));
    if (!bib.empty()) {
        k.MaStartCisla = true;
    }
    TZavodnik* raw = z.get();
    k.podleCipu_.emplace(raw->Data.Cip, raw);
    k.podleStartCisla_.emplace(bib, raw);
    // The race-wide maps hold the first competitor in category order.
    auto prefer = [&](TZavodnik*& slot) {
        if (slot == nullptr || slot->Kategorie->poradi_ > k.poradi_) {
            slot = raw;
        }
    };
    prefer(podleCipu_[raw->Data.Cip]);
    if (!bib.empty()) {
        prefer(podleStartCisla_[bib]);
    }
    k.Zavodnici.push_back(std::move(z));
    return raw;
}

TZavodnik* TZavod::NajdiZavodnika(int32_t key, bool byChip) const {
    if (byChip) {
        const auto it = podleCipu_.find(key);
        return it == podleCipu_.end() ? nullptr : it->second;
    }
    if (key == 0) {
        return nullptr;
    }
    const auto it = podleStartCisla_.find(KlicCisla(key));
    return it == podleStartCisla_.end() ? nullptr : it->second;
}

TZavodnik* TZavod::NajdiStafetu(int32_t bib, int32_t leg, double time) const {
    std::array<TZavodnik*, 5> slot{};
    for (const auto& k : Kategorie) {
        const int n = UsekKategorie(*k);
        if (n == 0) {
            continue;
        }
        if ((leg < 1 || leg > 4 || leg == n) && slot[n] == nullptr) {
            slot[n] = k->NajdiStartCisloUsek(bib, n);
        }
    }
    int32_t maxUsek = 0;
    for (int n = 1; n <= 4; ++n) {
        if (slot[n] != nullptr) {
            maxUsek = std::max(maxUsek, slot[n]->Kategorie->PocetUseku);
        }
    }
    if (leg == 255) {
        leg = maxUsek >= 1 && maxUsek <= 4 ? maxUsek : 0;
    }
    if (maxUsek <= 0) {
        return nullptr;
    }
    const int64_t punch = Koment::MsZCasu(time);
    for (int n = 4; n >= 1; --n) {
        const TZavodnik* z = slot[n];
        if (z == nullptr) {
            continue;
        }
        const double start = z->Data.CasStartu;
        // Ten seconds after the start, added as minutes.seconds.
        if ((start > 0 || n == 1 || (leg >= 1 && leg <= 4)) &&
            Koment::MsZCasu(start) + 10000 < punch) {
            return slot[n];
        }
    }
    return nullptr;
}

void TZavod::Vycisti(bool kategorie) {
    for (const auto& k : Kategorie) {
        k->Zavodnici.clear();
        k->podleCipu_.clear();
        k->podleStartCisla_.clear();
    }
    podleCipu_.clear();
    podleStartCisla_.clear();
    if (kategorie) {
        Kategorie.clear();
        podleNazvu_.clear();
    }
}

void TZavod::SpocitejUseky() {
    std::vector<std::string> names;
    names.reserve(Kategorie.size());
    for (const auto& k : Kategorie) {
        names.push_back(platform::Utf8ToCp1250(k->Nazev));
    }
    for (size_t a = 0; a < names.size(); ++a) {
        const std::string& na = names[a];
        int32_t useky = 0;
        if (!na.empty()) {
            const size_t n = na.size();
            for (const std::string& nb : names) {
                if (nb.size() >= n && nb.compare(0, n - 1, na, 0, n - 1) == 0) {
                    const char c = nb[n - 1];
                    if (c >= '0' && c <= '9') {
                        useky = std::max(useky, int32_t{c - '0'});
                    }
                }
            }
        }
        Kategorie[a]->PocetUseku = useky;
    }
}

TZavodnik* TZavod::PridejNeznamyCip(int32_t cip, int32_t kod) {
    TZavodnikData d;
    d.Kategorie = "???";
    d.Jmeno = platform::Utf8Left(
        SI_Typ::LangText("neznámý čip ", "unknown SI card ") + std::to_string(cip), 30);
    d.Cip = cip;
    d.RegCislo = "XXX";
    d.CasStartu = 0;
    d.CasStartuRazeny = 0;
    d.CasStartuNahradni = 0;
    d.Kontroly[1] = JeKod(kod) ? static_cast<uint8_t>(kod) : 0;
    d.PoradiKontrol[1] = 1;
    TKateg1* k = NajdiKateg("???");
    if (k == nullptr) {
        k = &AddKateg("???");
    }
    return AddZavodnik(*k, d);
}

// --- Master list -----------------------------------------------------------------------------

namespace {

// Layout of the key bytes: memcmp of two keys gives the list order. Numbers are big-endian
// with the sign bit flipped; a time text is padded with zero bytes and followed by its length,
// which orders it exactly as the text itself.
constexpr size_t kStart = 0;
constexpr size_t kKodStart = 1;
constexpr size_t kCasStart = 5;
constexpr size_t kBezCipu = 16;
constexpr size_t kId = 17;
constexpr size_t kStav = 25;
constexpr size_t kCas = 29;
static_assert(kCas + 11 == sizeof(TSeznamMezicasu::TKlic));

void PutInt(uint8_t* p, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v) ^ 0x80000000u;
    p[0] = static_cast<uint8_t>(u >> 24);
    p[1] = static_cast<uint8_t>(u >> 16);
    p[2] = static_cast<uint8_t>(u >> 8);
    p[3] = static_cast<uint8_t>(u);
}

// Hours, minutes, seconds and fraction digits of "hh:mm:ss,ffff".
void PutCas(uint8_t* p, const std::string& c) {
    static constexpr std::pair<size_t, size_t> kParts[] = {{0, 2}, {3, 2}, {6, 2}, {9, 4}};
    uint8_t len = 0;
    for (auto [from, n] : kParts) {
        for (size_t i = from; i < from + n && i < c.size(); ++i) {
            p[len++] = static_cast<uint8_t>(c[i]);
        }
    }
    p[10] = len;
}

int Porovnej(const TSeznamMezicasu::TKlic& a, const TSeznamMezicasu::TKlic& b, size_t from,
             size_t to) {
    const int c = std::memcmp(a.data() + from, b.data() + from, to - from);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int Porovnej(const TSeznamMezicasu::TKlic& a, const TSeznamMezicasu::TKlic& b, bool withTime) {
    if (withTime) {
        return Porovnej(a, b, 0, a.size());
    }
    // Without the times: the start part without its time, then the rest without the time.
    const int c = Porovnej(a, b, kStart, kCasStart);
    return c != 0 ? c : Porovnej(a, b, kBezCipu, kCas);
}

} // namespace

TSeznamMezicasu::TKlic TSeznamMezicasu::Klic(const TMezicasRec& rec) {
    TKlic k{};
    if (rec.Druh == 4 || rec.Druh == 5) {
        k[kStart] = 1;
        PutInt(&k[kKodStart], rec.Kod);
        PutCas(&k[kCasStart], rec.Cas);
    }
    k[kBezCipu] = rec.Cip != 0 ? 0 : 1;
    PutInt(&k[kId], rec.Cip != 0 ? rec.Cip : rec.StartCislo);
    PutInt(&k[kId + 4], rec.Kod);
    PutInt(&k[kStav], rec.Stav);
    PutCas(&k[kCas], rec.Cas);
    return k;
}

int PorovnejMezicasy(const TMezicasRec& a, const TMezicasRec& b, bool withTime) {
    return Porovnej(TSeznamMezicasu::Klic(a), TSeznamMezicasu::Klic(b), withTime);
}

size_t TSeznamMezicasu::Hash::operator()(const TKlic& k) const {
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < k.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, k.data() + i, 8);
        h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    return static_cast<size_t>(h);
}

TSeznamMezicasu::TKlic TSeznamMezicasu::BezCasu(TKlic k) {
    std::fill(k.begin() + kCasStart, k.begin() + kBezCipu, uint8_t{0});
    std::fill(k.begin() + kCas, k.end(), uint8_t{0});
    return k;
}

size_t TSeznamMezicasu::Hledej(const TKlic& k, size_t h) const {
    const size_t mask = sloty_.size() - 1;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
        const uint32_t slot = sloty_[i];
        if (slot == 0 || polozky_[slot - 1].first == k) {
            return i;
        }
    }
}

void TSeznamMezicasu::Zvetsi() {
    Prehasuj(std::max<size_t>(64, sloty_.size() * 2));
}

void TSeznamMezicasu::Rezervuj(size_t n) {
    // A hint only: beyond a few million punches the list grows as it fills.
    n = std::min<size_t>(n, size_t{1} << 22);
    polozky_.reserve(n);
    if (sloty_.size() < 2 * n) {
        Prehasuj(std::bit_ceil(2 * n));
    }
}

void TSeznamMezicasu::Prehasuj(size_t velikost) {
    std::vector<uint32_t> sloty(velikost, 0);
    const size_t mask = sloty.size() - 1;
    for (size_t n = 0; n < polozky_.size(); ++n) {
        size_t i = Hash{}(polozky_[n].first) & mask;
        while (sloty[i] != 0) {
            i = (i + 1) & mask;
        }
        sloty[i] = static_cast<uint32_t>(n + 1);
    }
    sloty_ = std::move(sloty);
}

const TMezicasRec* TSeznamMezicasu::Najdi(const TMezicasRec& rec, bool withTime) const {
    const TKlic k = Klic(rec);
    if (withTime) {
        if (sloty_.empty()) {
            return nullptr;
        }
        const uint32_t slot = sloty_[Hledej(k, Hash{}(k))];
        return slot == 0 ? nullptr : &polozky_[slot - 1].second;
    }
    // Without the time: the first in list order of the entries that differ only in time.
    // Processing asks this only of deletions, which are indexed; others are scanned.
    if (rec.Stav < 0) {
        const auto it = smazani_.find(BezCasu(k));
        return it == smazani_.end() ? nullptr : &polozky_[it->second].second;
    }
    const std::pair<TKlic, TMezicasRec>* first = nullptr;
    const TKlic prefix = BezCasu(k);
    for (const auto& entry : polozky_) {
        if (BezCasu(entry.first) == prefix &&
            (first == nullptr || Porovnej(entry.first, first->first, true) < 0)) {
            first = &entry;
        }
    }
    return first == nullptr ? nullptr : &first->second;
}

int TSeznamMezicasu::Vloz(const TMezicasRec& rec, bool save, const TSavePunch& savePunch,
                          bool* tabule) {
    if (tabule != nullptr) {
        *tabule = false;
    }
    auto copies = [&]() {
        const TUlozeni u = savePunch(rec);
        if (tabule != nullptr) {
            *tabule = u.tabule;
        }
        return u.ok;
    };
    const TKlic k = Klic(rec);
    if ((polozky_.size() + 1) * 2 > sloty_.size()) {
        Zvetsi();
    }
    const size_t h = Hash{}(k);
    const size_t at = Hledej(k, h);
    if (sloty_[at] == 0) {
        const size_t n = polozky_.size();
        polozky_.emplace_back(k, rec);
        sloty_[at] = static_cast<uint32_t>(n + 1);
        if (rec.Stav < 0) {
            auto [first, fresh] = smazani_.try_emplace(BezCasu(k), n);
            if (!fresh && Porovnej(k, polozky_[first->second].first, true) < 0) {
                first->second = n;
            }
        }
        if (!save) {
            return 2;
        }
        // A refused punch stays listed, so its repeats are dropped, but is not processed.
        return copies() ? 2 : 0;
    }
    TMezicasRec& e = polozky_[sloty_[at] - 1].second;
    bool changed = e.Stav < rec.Stav || (e.Stav == rec.Stav && rec.Cas > e.Cas);
    if (rec.Druh == 2 || rec.Druh == 3) {
        TMezicasRec c = rec;
        c.Stav = -1;
        if (rec.Stav < 0) {
            changed = changed || Najdi(c, true) != nullptr;
        } else {
            // A deletion came for this chip and code: a repeat counts again.
            changed = changed || Najdi(c, false) != nullptr || Najdi(c, true) != nullptr;
        }
    }
    if (!changed) {
        return 0;
    }
    if (rec.Stav >= 0) {
        e.Stav = rec.Stav;
        e.Cas = rec.Cas;
    }
    if (!save) {
        return 1;
    }
    return copies() ? 1 : 0;
}

std::vector<TMezicasRec> TSeznamMezicasu::Vse() const {
    std::vector<const std::pair<TKlic, TMezicasRec>*> all;
    all.reserve(polozky_.size());
    for (const auto& entry : polozky_) {
        all.push_back(&entry);
    }
    std::sort(all.begin(), all.end(), [](const auto* a, const auto* b) {
        return std::memcmp(a->first.data(), b->first.data(), a->first.size()) < 0;
    });
    std::vector<TMezicasRec> out;
    out.reserve(all.size());
    for (const auto* entry : all) {
        out.push_back(entry->second);
    }
    return out;
}

void TSeznamMezicasu::Vycisti() {
    polozky_.clear();
    std::fill(sloty_.begin(), sloty_.end(), 0);
    smazani_.clear();
}

// --- Event queue -----------------------------------------------------------------------------

uint64_t TFrontaUdalosti::Klic(int32_t cip, int32_t bod) {
    return static_cast<uint64_t>(static_cast<uint32_t>(cip)) << 8 |
           static_cast<uint64_t>(static_cast<uint8_t>(bod));
}

// The index keeps the latest sequence number of each chip and point; an entry whose event
// has left the queue is stale and simply overwritten later, so taking events out never
// touches the index.
// Multiplicative hashing: the high bits of the product pick the slot of a power-of-two table.
size_t TFrontaUdalosti::Pozice(uint64_t key, size_t size) {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - std::countr_zero(size)));
}

uint64_t* TFrontaUdalosti::Index(uint64_t key, bool add) {
    if (add && (plnych_ + 1) * 2 > index_.size()) {
        std::vector<std::pair<uint64_t, uint64_t>> bigger(std::max<size_t>(64, index_.size() * 2),
                                                          {kPrazdny, kPrazdny});
        const size_t mask = bigger.size() - 1;
        for (const auto& entry : index_) {
            if (entry.first != kPrazdny) {
                size_t i = Pozice(entry.first, bigger.size());
                while (bigger[i].first != kPrazdny) {
                    i = (i + 1) & mask;
                }
                bigger[i] = entry;
            }
        }
        index_ = std::move(bigger);
    }
    if (index_.empty()) {
        return nullptr;
    }
    const size_t mask = index_.size() - 1;
    for (size_t i = Pozice(key, index_.size());; i = (i + 1) & mask) {
        if (index_[i].first == key) {
            return &index_[i].second;
        }
        if (index_[i].first == kPrazdny) {
            if (!add) {
                return nullptr;
            }
            index_[i] = {key, kPrazdny}; // no event yet
            ++plnych_;
            return &index_[i].second;
        }
    }
}

std::optional<TZavodnik>* TFrontaUdalosti::Misto(int32_t cip, int32_t bod) {
    const uint64_t* seq = Index(Klic(cip, bod), false);
    if (seq == nullptr || *seq < base_ + head_ || *seq >= base_ + pocet_) {
        return nullptr;
    }
    std::optional<TZavodnik>& slot = Polozka(*seq - base_);
    return slot ? &slot : nullptr;
}

void TFrontaUdalosti::UvolniCelo() {
    if (head_ == pocet_) {
        // Drained: every block is free again (the grid drains the queue every second).
        base_ += pocet_;
        head_ = pocet_ = 0;
        return;
    }
    // A queue never drained to the end: the blocks its front has passed go to the back.
    const size_t prazdnych = head_ / kBlok;
    if (prazdnych > 0) {
        std::rotate(bloky_.begin(), bloky_.begin() + static_cast<ptrdiff_t>(prazdnych),
                    bloky_.end());
        base_ += prazdnych * kBlok;
        head_ -= prazdnych * kBlok;
        pocet_ -= prazdnych * kBlok;
    }
}

TZavodnik& TFrontaUdalosti::Pridej(int32_t cip, int32_t bod) {
    uint64_t& seq = *Index(Klic(cip, bod), true);
    // The older event of this chip and point leaves the queue.
    if (seq >= base_ + head_ && seq < base_ + pocet_) {
        std::optional<TZavodnik>& older = Polozka(seq - base_);
        if (older) {
            older.reset();
            --live_;
        }
    }
    if (pocet_ == bloky_.size() * kBlok) {
        UvolniCelo();
    }
    if (pocet_ == bloky_.size() * kBlok) {
        // Each entry is written when it is used: nothing is cleared ahead.
        bloky_.push_back(std::make_unique_for_overwrite<TBlok>());
    }
    seq = base_ + pocet_;
    ++live_;
    return Polozka(pocet_++).emplace();
}

const TZavodnik* TFrontaUdalosti::Najdi(int32_t cip, int32_t bod) const {
    auto* slot = const_cast<TFrontaUdalosti*>(this)->Misto(cip, bod);
    return slot == nullptr ? nullptr : &**slot;
}

bool TFrontaUdalosti::Odeber(int32_t cip, int32_t bod) {
    auto* slot = Misto(cip, bod);
    if (slot == nullptr) {
        return false;
    }
    slot->reset();
    --live_;
    return true;
}

const TZavodnik* TFrontaUdalosti::Prvni() {
    while (head_ < pocet_ && !Polozka(head_)) {
        ++head_;
    }
    if (head_ == pocet_) {
        UvolniCelo();
        return nullptr;
    }
    return &*Polozka(head_);
}

void TFrontaUdalosti::OdeberPrvni() {
    if (Prvni() != nullptr) {
        Polozka(head_++).reset();
        --live_;
    }
}

std::optional<TZavodnik> TFrontaUdalosti::VezmiPrvni() {
    std::optional<TZavodnik> z;
    if (Prvni() != nullptr) {
        z = std::move(Polozka(head_));
        OdeberPrvni();
    }
    return z;
}

void TFrontaUdalosti::clear() {
    for (size_t i = head_; i < pocet_; ++i) {
        Polozka(i).reset();
    }
    base_ += pocet_;
    head_ = pocet_ = 0;
    std::fill(index_.begin(), index_.end(), std::pair{kPrazdny, kPrazdny});
    plnych_ = 0;
    live_ = 0;
}

// --- Processing ------------------------------------------------------------------------------

void TZavod::Zprava(const std::string& text) {
    zprava_.text = text;
    zprava_.z = nullptr;
}

void TZavod::UkazZpravu() {
    // Only the last message of a pass stays on the status line; it is built once.
    if (zprava_.z != nullptr) {
        zprava_.text =
            CasDne() + " " + std::to_string(zprava_.z->Data.Cip) + " " + zprava_.z->Data.Jmeno;
        zprava_.z = nullptr;
    }
    if (!zprava_.text.empty() && stav_ != nullptr) {
        stav_->ZpravaZpracovani(zprava_.text);
    }
    zprava_.text.clear();
}

int TZavod::VlozMezicas(const TMezicasRec& rec, bool save) {
    if (rec.Cas.size() > TMezicasRec::MaxCas) {
        TMezicasRec r = rec;
        r.Cas.resize(TMezicasRec::MaxCas);
        return VlozMezicas(r, save);
    }
    if (const int32_t usek = UsekCasomiry(rec); usek != 0) {
        TMezicasRec r = rec;
        r.Usek = usek;
        return VlozMezicas(r, save);
    }
    bool tabule = false;
    const int result = SeznamMezicasu.Vloz(
        rec, save, [this](const TMezicasRec& m) { return SavePunch(m); }, &tabule);
    if (result == 1 || result == 2) {
        if (tabule && rec.Stav >= 0) {
            Tabule.insert(TSeznamMezicasu::Klic(rec));
        }
        Nezpracovane.push_back(TNezprac{rec, save});
    }
    return result;
}

int32_t TZavod::UsekCasomiry(const TMezicasRec& rec) const {
    // A timer's relay finish by bib alone goes to the runner of the highest leg started. The
    // copy line has no field for the timer, so the leg found now is written into it: read
    // back, the punch comes to the same runner.
    if (rec.Druh != 3 || rec.Usek != 0 || rec.Cip != 0 || rec.StartCislo == 0 || rec.Kod != 29 ||
        Nastaveni.DruhZavodu != 2 || !Nastaveni.AlgeCilZapnut) {
        return 0;
    }
    const auto t = Koment::CasZRetezce(rec.Cas);
    const TZavodnik* z = t ? NajdiStafetu(rec.StartCislo, 255, *t) : nullptr;
    if (z == nullptr || z->Kategorie == nullptr) {
        return 0;
    }
    return UsekKategorie(*z->Kategorie);
}

namespace {

// The number right-aligned in a field of the width (a longer number is not cut).
void PridejCislo(std::string& out, int64_t v, size_t width) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    const size_t n = static_cast<size_t>(r.ptr - buf);
    if (n < width) {
        out.append(width - n, ' ');
    }
    out.append(buf, n);
}

} // namespace

std::string RadekMezicasu(const TMezicasRec& rec, bool withStatus) {
    // Built in place: every punch read from a source writes this line to the copies.
    std::string line;
    line.reserve(48);
    if (rec.Druh == 4) {
        line = "K         ";
    } else if (rec.Druh == 5) {
        line = "SREI2";
        PridejCislo(line, rec.StartCislo, 5);
    } else if (rec.Cip != 0 || rec.StartCislo == 0) {
        PridejCislo(line, rec.Cip, 10);
    } else if (rec.Usek != 0) {
        line = "*U";
        line += std::to_string(rec.Usek).substr(0, 1);
        PridejCislo(line, rec.StartCislo, 7);
    } else {
        line = "*";
        PridejCislo(line, rec.StartCislo, 9);
    }
    line += " ; ";
    line += Tools::Trim(rec.Cas);
    line += " ;";
    PridejCislo(line, rec.Kod, 4);
    if (withStatus) {
        line += " ; ";
        PridejCislo(line, rec.Stav, 0);
    }
    for (char& c : line) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\r' || c == '\n') {
            c = '?';
        }
    }
    return line;
}

std::string TZavod::RadekRaw(const TMezicasRec& rec) const {
    int32_t cip = rec.Cip;
    if (cip == 0 && rec.StartCislo >= 1) {
        const TZavodnik* z = nullptr;
        if (Nastaveni.DruhZavodu == 2) {
            const auto t = Koment::CasZRetezce(rec.Cas);
            const int32_t leg = rec.Usek != 0 ? rec.Usek : (rec.Druh == 3 ? 255 : 0);
            if (t) {
                z = NajdiStafetu(rec.StartCislo, leg, *t);
            }
        } else {
            z = NajdiZavodnika(rec.StartCislo, false);
        }
        if (z != nullptr) {
            cip = z->Data.Cip;
        }
    }
    if (cip == 0) {
        return {};
    }
    const std::string& c = rec.Cas;
    return Ascii(Tools::PadLeft(std::to_string(cip), 8, ' ') + ":   2/" + c.substr(0, 8) + "." +
                 (c.size() > 9 ? c.substr(9, 4) : std::string()));
}

TSeznamMezicasu::TUlozeni TZavod::SavePunch(const TMezicasRec& rec) {
    TSeznamMezicasu::TUlozeni u;
    const bool startKod = Koment::JeStartovniRazeni(rec.Kod, -1);
    const bool startovni = Koment::JeStartovniRazeni(rec.Kod, rec.Druh);
    // Finish times come only from the ALGE timer when it is on.
    if (Nastaveni.AlgeCilZapnut && (rec.Druh == 1 || rec.Druh == 2) && rec.Kod >= 1 &&
        rec.Kod <= 30 && !startovni) {
        u.ok = false;
        return u;
    }
    const std::string dir = SlozkaKopii.empty() ? SI_Typ::RaceDataKomPath() : SlozkaKopii;
    const std::string stage = Tools::StageText();
    const std::string line = RadekMezicasu(rec, true);
    if (!Nastaveni.StartovniBranky || !(startKod && rec.Druh == 5) || rec.Stav == 4) {
        Vystup.Pridej(dir + "MezE" + stage + ".dat", line);
    }
    if ((rec.Kod >= 1 && rec.Kod <= 30) || rec.Kod == 9001) {
        std::string kind;
        if (rec.Druh == 4 || rec.Druh == 5) {
            kind = "Start_E";
        } else if (startKod) {
            if (Nastaveni.StartovniBranky && rec.Stav < 3) {
                u.ok = false; // an SI start punch waits for its gate impulse
                return u;
            }
            kind = "Start_E";
        } else {
            kind = "Cil_E";
            Vystup.Pridej(dir + "rawsplits" + Tools::RaceNumberText() + ".txt", RadekRaw(rec));
        }
        Vystup.Pridej(dir + kind + stage + ".dat", line);
        Vystup.Pridej(dir + kind + stage + ".all", line);
    }
    u.tabule = rec.Kod >= 1 && !startovni;
    return u;
}

void TZavod::ZpracujMezicas() {
    if (Zpracovava) {
        return;
    }
    Zpracovava = true;
    struct Konec {
        bool& flag;
        ~Konec() { flag = false; }
    } konec{Zpracovava};
    while (!Nezpracovane.empty()) {
        TNezprac p = std::move(Nezpracovane.front());
        Nezpracovane.pop_front();
        Zpracuj(p);
    }
    UkazZpravu();
    ZapisVystup();
    infoTab_.platny = false;
}

void TZavod::Zpracuj(TNezprac& p) {
    TMezicasRec& r = p.Rec;
    const auto t = Koment::CasZRetezce(r.Cas);
    // Without a time only the commands can be applied.
    if (!t && r.Kod <= 9990) {
        Zprava(CasDne() + " " + std::to_string(r.Cip) + " " +
               SI_Typ::LangText("nečitelný čas ", "unreadable time ") + "\"" + Ascii(r.Cas) +
               "\" / " + std::to_string(r.Kod));
        return;
    }

    // 1. A gate impulse takes the chip of the SI start punch within 20 seconds.
    if (Nastaveni.StartovniBranky && r.Cip == 0 && r.StartCislo == 0 &&
        Koment::JeStartovniRazeni(r.Kod, -1) && r.Kod >= 1 && r.Kod <= 28) {
        const TStartBranka& b = StartBranky[static_cast<size_t>(r.Kod)];
        const int64_t d = Koment::MsZCasu(*t) - Koment::MsZCasu(b.Cas);
        if (b.Cip != 0 && d > -20000 && d < 20000) {
            r.Cip = b.Cip;
            r.Stav = 4;
            r.Druh = 5;
            // Replayed punches were copied when they first came.
            if (p.Uloz) {
                (void)SavePunch(r);
            }
        }
    }

    // 2. and 3. Who punched.
    TZavodnik* z = nullptr;
    if (r.Cip != 0 || r.StartCislo == 0) {
        z = NajdiZavodnika(r.Cip, true);
    } else if (Nastaveni.DruhZavodu == 2 && Nastaveni.AlgeCilZapnut && r.Kod == 29) {
        // Read back from the own copy without a leg, it is a timer finish whose team was not
        // known when it came (a finish from any other source is refused with the timer on): it
        // goes where the timer's finish goes live.
        const int32_t leg = r.Usek != 0 ? r.Usek : (r.Druh == 3 || !p.Uloz ? 255 : 0);
        z = NajdiStafetu(r.StartCislo, leg, *t);
    } else {
        z = NajdiZavodnika(r.StartCislo, false);
    }
    if (z == nullptr && Nastaveni.NeznameCipy && r.Cip > 0) {
        PridejNeznamyCip(r.Cip, r.Kod);
        z = NajdiZavodnika(r.Cip, true);
    }
    if (z == nullptr) {
        Zprava(CasDne() + " " + std::to_string(r.Cip) + " ??? " + std::to_string(r.Kod) + " / " +
               (t ? Koment::CasText(0, true, 1, *t) : Ascii(r.Cas)));
        return;
    }
    TZavodnikData& d = z->Data;

    // 5. An unknown chip's course grows with every new code.
    if (z->Kategorie->Nazev == "???" && JeKod(r.Kod)) {
        int highest = 0;
        bool known = false;
        for (int i = 1; i <= kBodu; ++i) {
            if (d.Kontroly[i] != 0) {
                highest = i;
            }
            known = known || d.Kontroly[i] == r.Kod;
        }
        if (!known && highest < kBodu) {
            d.Kontroly[highest + 1] = static_cast<uint8_t>(r.Kod);
        }
    }

    // 6. Disqualify and take back.
    if (r.Kod > 9990) {
        int f = 0;
        for (int i = 1; i <= kBodu && f == 0; ++i) {
            if (d.Kontroly[i] == 1) {
                f = i;
            }
        }
        if (r.Kod == 9999) {
            d.Stav = 1;
            if (f > 0) {
                PridejUdalost(*z, 9999, f, 0);
            }
        } else if (r.Kod == 9998 && d.Stav == 1) {
            d.Stav = 0;
            if (f > 0) {
                PridejUdalost(*z, 9998, f, 0);
            }
        }
        return;
    }

    // 7. Start punches.
    if (Koment::JeStartovniRazeni(r.Kod, r.Druh)) {
        if (!Nastaveni.StartovniBranky) {
            return;
        }
        if (r.Stav == 4) {
            d.CasStartuRazeny = *t;
            PridejUdalost(*z, 9997, 0, 0);
        } else if (r.Cip > 0 && r.Kod >= 1 && r.Kod <= 28) {
            StartBranky[static_cast<size_t>(r.Kod)] = {*t, r.Cip};
        }
        return;
    }

    // 8. Splits.
    if (!JeKod(r.Kod)) {
        return;
    }
    const bool desetiny = Nastaveni.Desetiny;
    const bool realna = z->Kategorie->Nazev != "???";
    const int64_t rozdil = Koment::MsZCasu(*t) - Koment::MsZCasu(d.CasStartuEfektivni());
    const int64_t novy = rozdil / (desetiny ? 100 : 1000) * (desetiny ? 100 : 1000);
    int bod = 0;
    for (int i = 1; i <= kBodu; ++i) {
        const bool match = d.Kontroly[i] == r.Kod || (r.Kod <= 30 && d.Kontroly[i] == 1);
        if (!match) {
            continue;
        }
        const bool cil = d.Kontroly[i] == 1;
        if (r.Stav == -1) {
            // Only a stored split can be deleted (else the finish count would drop for none).
            if (d.Mezicasy[i] != 0 && Koment::OrizniMs(d.Mezicasy[i], desetiny) == novy) {
                d.Mezicasy[i] = 0;
                if (cil && realna) {
                    --PocetVCili;
                }
                PridejUdalost(*z, r.Kod, i, Koment::CasZMs(novy));
            }
            return;
        }
        if (d.Mezicasy[i] == 0) {
            d.Mezicasy[i] = Koment::CasZMs(rozdil);
            PridejUdalost(*z, r.Kod, i, 0);
            if (cil && realna) {
                ++PocetVCili;
            }
            bod = i;
            break;
        }
        if (r.Kod > 30) {
            const int64_t vzdalenost = rozdil - Koment::MsZCasu(d.Mezicasy[i]);
            bool later = false;
            for (int j = i + 1; j <= kBodu; ++j) {
                later = later || d.Kontroly[j] == d.Kontroly[i];
            }
            // Ten seconds or more from the stored pass: a later pass of the same control.
            if ((vzdalenost >= 10000 || vzdalenost <= -10000) && later) {
                continue;
            }
        }
        d.Mezicasy[i] = Koment::CasZMs(novy);
        PridejUdalost(*z, r.Kod, i, 0);
        bod = i;
        break;
    }
    if (bod == 0) {
        return;
    }
    zprava_.z = z;

    // 9. The info-board line of this punch, if it is still owed.
    if ((r.Kod > 30 || d.Kontroly[bod] == 1) && !Tabule.empty() &&
        Tabule.erase(TSeznamMezicasu::Klic(r)) > 0 && Nastaveni.VytvaretInfoTab) {
        ZapisInfoTab(RadekInfoTab(*z, bod));
    }
}

void TZavod::PridejUdalost(TZavodnik& z, int32_t code, int point, double time) {
    TKateg1* k = z.Kategorie;
    if (k == nullptr || point < 0 || point > kBodu) {
        return;
    }
    k->OknoZmeneno[static_cast<size_t>(point)] = true;
    if (!Nastaveni.AllKateg && !k->VHlavnimOkne) {
        return;
    }
    // A deleted split takes its event back.
    if (point > 0 && z.Data.Mezicasy[point] == 0 && time != 0) {
        if (mrizka_ != nullptr) {
            mrizka_->ZrusZaznamInfoAll(z.Data.Cip, point);
        }
        const TZavodnik* e = Udalosti.Najdi(z.Data.Cip, point);
        if (e != nullptr && Koment::OrizniMs(e->Data.Mezicasy[point], Nastaveni.Desetiny) ==
                                Koment::MsZCasu(time)) {
            (void)Udalosti.Odeber(z.Data.Cip, point);
        }
        return;
    }
    if (point >= 1) {
        const int kod = z.Data.Kontroly[point];
        if (kod >= 31 && !Nastaveni.KontrolaZobrazit[static_cast<size_t>(kod)]) {
            return;
        }
    }
    const TPopis& popis = k->Popis(code, point);
    TZavodnik& copy = Udalosti.Pridej(z.Data.Cip, point);
    copy.Data = z.Data;
    copy.Popis = popis.Text;
    copy.IndexMezicasu = point;
    copy.DruhPopisu = popis.Druh;
    copy.Kategorie = k;
    const size_t at = k->poradi_;
    if (at < Kategorie.size() && Kategorie[at].get() == k) {
        copy.DrziKategorii = Kategorie[at];
    }
}

TPoradi TZavod::PoradiZavodnika(const TZavodnik& z, int point) const {
    TPoradi r;
    if (z.Data.Stav != 0 || z.Data.StavPredchozi != 0) {
        r.Poradi = 999;
        r.PoradiCelkem = 999;
        return r;
    }
    if (point < 1 || point > kBodu || z.Kategorie == nullptr) {
        return r;
    }
    const bool des = Nastaveni.Desetiny;
    const double zs = z.Data.Mezicasy[point];
    // Division by constants: the info board ranks every split as it comes, against the whole
    // category.
    auto cut = [des](int64_t ms) { return des ? ms / 100 * 100 : ms / 1000 * 1000; };
    const int64_t zMs = z.MsMezicasu(point);
    const int64_t zCut = cut(zMs);
    // Outside stage races there is no previous time: its conversion is skipped for every
    // runner compared (the info board ranks each split as it comes).
    auto predchozi = [](double t) { return t == 0 ? int64_t{0} : Koment::MsZCasu(t); };
    const int64_t zTot = cut(zMs + predchozi(z.Data.CasPredchozi));
    // Minima start at the largest value (no split reaches it); the loop is kept free of
    // unpredictable branches: the info board ranks every split against the whole category.
    constexpr int64_t kZadny = INT64_MAX;
    int64_t bestCut = kZadny;
    int64_t bestTot = kZadny;
    int64_t secondCut = kZadny;
    bool tie = false;
    const auto& vsichni = z.Kategorie->Zavodnici;
    // The runners' split times in milliseconds, kept while a split stays the same (a zero
    // entry holds for a zero split).
    auto& msBodu = z.Kategorie->msBodu_[static_cast<size_t>(point)];
    if (msBodu.size() != vsichni.size()) {
        msBodu.assign(vsichni.size(), {0.0, 0});
    }
    for (size_t n = 0; n < vsichni.size(); ++n) {
        // The runners lie apart in memory: their splits are asked for well ahead.
        if (n + 16 < vsichni.size()) {
            vsichni[n + 16]->Predvol(point);
        }
        const TZavodnik* yp = vsichni[n].get();
        const TZavodnikData& y = yp->Data;
        if (y.Mezicasy[point] < 0.001) {
            continue;
        }
        auto& ms = msBodu[n];
        if (ms.first != y.Mezicasy[point]) {
            ms = {y.Mezicasy[point], Koment::MsZCasu(y.Mezicasy[point])};
        }
        const int64_t yMs = ms.second;
        if (y.Stav == 0) {
            ++r.Pocet;
            const int64_t yCut = cut(yMs);
            const bool lt = yCut < zCut;
            r.Poradi += lt ? 1 : 0;
            bestCut = lt && yCut < bestCut ? yCut : bestCut;
            tie = tie || (yCut == zCut && y.Cip != z.Data.Cip);
            secondCut = yCut > zCut && yCut < secondCut ? yCut : secondCut;
        }
        if (y.StavPredchozi == 0) {
            ++r.PocetCelkem;
            const int64_t yTot = cut(yMs + predchozi(y.CasPredchozi));
            const bool lt = yTot < zTot;
            r.PoradiCelkem += lt ? 1 : 0;
            bestTot = lt && yTot < bestTot ? yTot : bestTot;
        }
    }
    const bool best = bestCut != kZadny;
    const bool bestT = bestTot != kZadny;
    const bool second = secondCut != kZadny;
    if (best) {
        r.Ztrata = Koment::CasZMs(zCut - bestCut);
    }
    if (bestT) {
        r.ZtrataCelkem = Koment::CasZMs(zTot - bestTot);
    }
    // The leader's lead over the runner-up, shown negative; none without a runner-up or on a
    // tie.
    if (r.Poradi == 1 && zs >= 0.001 && !tie && second) {
        r.Ztrata = Koment::CasZMs(zCut - secondCut);
    }
    return r;
}

std::string TZavod::RadekInfoTab(const TZavodnik& z, int point) const {
    if (point < 1 || point > kBodu) {
        return {};
    }
    const bool des = Nastaveni.Desetiny;
    const int64_t ms = Koment::OrizniMs(z.Data.Mezicasy[point], des);
    const int64_t a = ms < 0 ? -ms : ms;
    const int64_t sec = a / 1000;
    auto two = [](int64_t v) { return Tools::PadLeft(std::to_string(v), 2, '0'); };
    std::string cas = ms < 0 ? "-" : "";
    if (des) {
        cas += two(sec / 60) + ":" + two(sec % 60) + "," + std::to_string(a % 1000 / 100) + "0";
    } else {
        cas += "0" + std::to_string(sec / 3600) + ":" + two(sec / 60 % 60) + ":" + two(sec % 60);
    }
    const TPoradi p = PoradiZavodnika(z, point);
    std::string loss = Koment::CasText(0, des, 1, p.Ztrata);
    std::replace(loss.begin(), loss.end(), '.', ':');
    return cas + ";" + std::string(Tools::Trim(z.Data.StartCislo)) + ";" +
           std::to_string(p.Poradi) + ";" + z.Data.Kategorie + ";" + z.Data.RegCislo + ";" +
           z.Data.Jmeno + ";" + loss + ";" + std::to_string(z.Data.Kontroly[point]) + ";";
}

void TZavod::ZapisInfoTab(const std::string& line) {
    if (!Nastaveni.VytvaretInfoTab || line.empty()) {
        return;
    }
    // The name is looked up in the file system (any letter case): once a pass, not per line.
    const std::string klic = Nastaveni.CestaInfoTab + '\n' + Nastaveni.SouborInfoTab;
    if (!infoTab_.platny || infoTab_.klic != klic) {
        infoTab_ = {true, klic, Koment::InfoTabFileName(Nastaveni)};
    }
    Vystup.Pridej(infoTab_.soubor, platform::Utf8ToCp1250(line));
}

void TZavod::ZapisVystup() {
    std::vector<std::string> mended;
    for (const std::string& error : Vystup.Zapis(&mended)) {
        if (stav_ != nullptr) {
            stav_->NastavZpravu(
                SI_Typ::LangText("Nelze zapsat do souboru ", "Cannot write to file ") + error);
        }
    }
    for (const std::string& text : mended) {
        if (stav_ != nullptr) {
            stav_->NastavZpravu(SI_Typ::LangText("Opraven konec souboru ", "File end mended ") +
                                text);
        }
    }
}

void Pipni(IZvuk& zvuk) {
    if (Nastaveni.Zvuky) {
        zvuk.Pipni();
    }
}

} // namespace Mezicasy
