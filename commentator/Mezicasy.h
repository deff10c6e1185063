#pragma once

#include "DavkovyZapis.h"
#include "KomentRozhrani.h"
#include "KomentTools.h"
#include "TMezicasRec.h"
#include "ZavodnikZaznam.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

// The race the commentator keeps in memory: categories, competitors with their courses and
// splits, the master list of every punch received, the queue of punches to process and the
// queue of events for the main grid; and the processing that turns punches into splits,
// places, events, split copies and info-board lines.
namespace Mezicasy {

class TKateg1;

struct TPopis {
    std::string Text;
    int32_t Druh = 0;
};

// A competitor, or a copy of one made for the event grid.
struct TZavodnik {
    TZavodnikData Data;
    std::string Popis;         // event copies: caption of the point, at most 35 characters
    int32_t IndexMezicasu = 0; // point 0..15 the copy stands for (0 = start)
    int32_t DruhPopisu = 0;    // 0 unknown chip, 1 start, 2 control, 3 finish
    TKateg1* Kategorie = nullptr;
    // Event copies keep their category alive: a reload may drop it while they wait.
    std::shared_ptr<TKateg1> DrziKategorii;

    // Koment::MsZCasu of the split at point i, kept while the split stays the same.
    int64_t MsMezicasu(int i) const {
        auto& c = ms_[static_cast<size_t>(i)];
        const double t = Data.Mezicasy[static_cast<size_t>(i)];
        if (c.first != t) {
            c = {t, Koment::MsZCasu(t)};
        }
        return c.second;
    }

    // Asks the memory for what MsMezicasu(i) reads (loops over a category ask ahead).
    void Predvol(int i) const {
        __builtin_prefetch(&Data.Mezicasy[static_cast<size_t>(i)]);
        __builtin_prefetch(&ms_[static_cast<size_t>(i)]);
        __builtin_prefetch(&Data.Stav);
    }

private:
    mutable std::array<std::pair<double, int64_t>, kBodu + 1> ms_{};
};

// One category. Its windows belong to the views; here only their flags.
class TKateg1 {
public:
    explicit TKateg1(std::string_view name);

    std::string Nazev; // upper case, at most 10 characters
    std::vector<std::unique_ptr<TZavodnik>> Zavodnici;
    int32_t PocetUseku = 0;
    bool MaStartCisla = false;
    bool VHlavnimOkne = false;
    std::array<bool, kBodu + 1> OknoOtevreno{};
    std::array<bool, kBodu + 1> OknoZmeneno{};

    TZavodnik* NajdiCip(int32_t cip) const;
    TZavodnik* NajdiStartCislo(int32_t bib) const;
    // StartCislo equal to the bib, a slash and the leg.
    TZavodnik* NajdiStartCisloUsek(int32_t bib, int32_t leg) const;
    int IndexCile() const;
    int PocetSMezicasem(int point) const;
    bool MaMezicas(int point) const;
    // PopisMezicasu cut to the 35 characters of an event caption, kept while it holds.
    const TPopis& Popis(int32_t code, int w) const;

private:
    friend class TZavod;
    size_t poradi_ = 0;                                 // position in the race's category list
    std::unordered_map<int32_t, TZavodnik*> podleCipu_; // first of each chip
    std::unordered_map<std::string, TZavodnik*> podleStartCisla_; // first of each bib text
    struct TPopisKlic {
        int16_t language = -1;
        int32_t sberka = 0;
        const TZavodnik* first = nullptr;
        uint8_t kod = 0;
        uint8_t poradi = 0;
        int32_t neznamy = -1;
        bool operator==(const TPopisKlic&) const = default;
    };
    mutable std::array<TPopisKlic, kBodu + 1> popisKlic_{};
    mutable std::array<TPopis, kBodu + 1> popis_{};
};

// The order of the master list: start kinds last, then chip or bib, code, status, time.
int PorovnejMezicasy(const TMezicasRec& a, const TMezicasRec& b, bool withTime);

// The master list of every punch received, in PorovnejMezicasy order, without exact repeats.
class TSeznamMezicasu {
public:
    // What the split copies say about a punch: false = not to be processed; `tabule` = the
    // punch is to get an info-board line.
    struct TUlozeni {
        bool ok = true;
        bool tabule = false;
    };
    using TSavePunch = std::function<TUlozeni(const TMezicasRec&)>;

    // 0 dropped (a repeat, or refused by the copies), 1 an entry changed, 2 new. With `save`
    // the copies are written through savePunch, and `tabule` tells whether the punch is to get
    // an info-board line.
    int Vloz(const TMezicasRec& rec, bool save, const TSavePunch& savePunch,
             bool* tabule = nullptr);
    const TMezicasRec* Najdi(const TMezicasRec& rec, bool withTime) const;
    size_t Pocet() const { return polozky_.size(); }
    void Vycisti();
    // The entries in list order.
    std::vector<TMezicasRec> Vse() const;

    // The order as bytes: start kind, start code and time, chip or bib, code, status, time.
    using TKlic = std::array<uint8_t, 40>;
    static TKlic Klic(const TMezicasRec& rec);
    // Keys hashed for tables of punches.
    struct Hash {
        size_t operator()(const TKlic& k) const;
    };

private:
    // The list order is the order of the keys; look-ups go by an open hash table over the
    // entries in arrival order: every reload files every punch again, and a search tree or a
    // node per punch costs more than reading the copy.
    static TKlic BezCasu(TKlic k);
    // The slot of the key: its entry, or the empty slot where it goes.
    size_t Hledej(const TKlic& k, size_t h) const;
    void Zvetsi();
    std::vector<std::pair<TKlic, TMezicasRec>> polozky_;
    std::vector<uint32_t> sloty_; // entry index + 1, 0 = empty; a power of two, at most half full
    // Deletions by their key without the times -> the one first in list order.
    std::unordered_map<TKlic, size_t, Hash> smazani_;
};

// A punch waiting to be processed.
struct TNezprac {
    TMezicasRec Rec;
    bool Uloz = false; // came from a source whose punches are copied
};

// Events for the main grid, oldest first. At most one per chip and point: a newer one
// replaces the older.
class TFrontaUdalosti {
public:
    // Appends an empty event for the chip and point (an older one of them leaves the queue)
    // for the caller to fill.
    TZavodnik& Pridej(int32_t cip, int32_t bod);
    const TZavodnik* Najdi(int32_t cip, int32_t bod) const;
    bool Odeber(int32_t cip, int32_t bod);
    // The oldest event, or none when the queue is empty; OdeberPrvni takes it out.
    const TZavodnik* Prvni();
    void OdeberPrvni();
    // The oldest event, taken out of the queue; nothing when empty.
    std::optional<TZavodnik> VezmiPrvni();
    size_t size() const { return live_; }
    bool empty() const { return live_ == 0; }
    void clear();

private:
    static uint64_t Klic(int32_t cip, int32_t bod);
    std::optional<TZavodnik>* Misto(int32_t cip, int32_t bod);
    // Events by value (a replay makes tens of thousands); taken-out entries stay empty until
    // the front passes them, and the passed front is cut off now and then.
    std::vector<std::optional<TZavodnik>> items_;
    size_t head_ = 0;   // first entry not yet taken from the front
    uint64_t base_ = 0; // sequence number of items_[0]
    // Chip and point -> latest sequence number: an open table, as entries are never taken out.
    uint64_t* Index(uint64_t key, bool add);
    static size_t Pozice(uint64_t key, size_t size);
    std::vector<std::pair<uint64_t, uint64_t>> index_; // key kPrazdny = free

    size_t plnych_ = 0;
    static constexpr uint64_t kPrazdny = ~uint64_t{0};
    size_t live_ = 0;
};

struct TStartBranka {
    double Cas = 0;
    int32_t Cip = 0;
};

struct TPoradi {
    int32_t Poradi = 1;
    int32_t Pocet = 0;
    double Ztrata = 0;
    int32_t PoradiCelkem = 1;
    int32_t PocetCelkem = 0;
    double ZtrataCelkem = 0;
};

// Caption of point w of a category (code -1 for a window caption).
TPopis PopisMezicasu(const TKateg1& k, int32_t code, int w);

// The text line of a punch in the split copies.
std::string RadekMezicasu(const TMezicasRec& rec, bool withStatus);

class TZavod {
public:
    TZavod() = default;
    TZavod(const TZavod&) = delete;
    TZavod& operator=(const TZavod&) = delete;

    void Napoj(IStavovyRadek* stav, IMrizkaUdalosti* mrizka);

    // --- Categories and competitors ------------------------------------------------------
    std::vector<std::shared_ptr<TKateg1>> Kategorie;
    TKateg1& AddKateg(std::string_view name);
    TKateg1* NajdiKateg(std::string_view name) const;
    std::string DalsiKateg(std::string_view name) const;
    // Nothing is added for chip 0. Finish codes 1..30 become 1.
    TZavodnik* AddZavodnik(TKateg1& k, TZavodnikData data);
    // The first in category order.
    TZavodnik* NajdiZavodnika(int32_t key, bool byChip) const;
    TZavodnik* NajdiStafetu(int32_t bib, int32_t leg, double time) const;
    void Vycisti(bool kategorie);
    void SpocitejUseky();
    TZavodnik* PridejNeznamyCip(int32_t cip, int32_t kod);

    // --- Punches ---------------------------------------------------------------------------
    TSeznamMezicasu SeznamMezicasu;
    std::deque<TNezprac> Nezpracovane;
    // Punches whose info-board line is still to be written: written once, when their split
    // is processed, however late (a reload may first teach the race their chip).
    std::unordered_set<TSeznamMezicasu::TKlic, TSeznamMezicasu::Hash> Tabule;
    TFrontaUdalosti Udalosti;
    std::array<TStartBranka, 29> StartBranky{}; // by start code 1..28
    int32_t PocetVCili = 0;
    bool Zpracovava = false;
    std::array<bool, 256> KontrolaPouzita{};
    TDavkovyZapis Vystup;
    // Folder of the split copies; empty = the race's data folder (tests put in their own).
    std::string SlozkaKopii;

    // Files a new or changed punch in the master list and queues it; with `save` its copies
    // are written (false for punches read back from the own copy).
    int VlozMezicas(const TMezicasRec& rec, bool save);
    TSeznamMezicasu::TUlozeni SavePunch(const TMezicasRec& rec);
    // Processes the queue, then writes what was gathered for the files.
    void ZpracujMezicas();
    void PridejUdalost(TZavodnik& z, int32_t code, int point, double time);
    TPoradi PoradiZavodnika(const TZavodnik& z, int point) const;
    std::string RadekInfoTab(const TZavodnik& z, int point) const;
    void ZapisInfoTab(const std::string& line);
    // Writes the gathered lines; a failure is shown, its lines kept for the next call.
    void ZapisVystup();

private:
    void Zprava(const std::string& text);
    void UkazZpravu();
    void Zpracuj(TNezprac& p);
    std::string RadekRaw(const TMezicasRec& rec) const;
    int32_t UsekCasomiry(const TMezicasRec& rec) const;

    struct {
        std::string text;
        const TZavodnik* z = nullptr; // a split was stored for this competitor
    } zprava_;
    struct {
        bool platny = false;
        std::string klic;   // the settings it was found for
        std::string soubor; // the info-board file
    } infoTab_;
    IStavovyRadek* stav_ = nullptr;
    IMrizkaUdalosti* mrizka_ = nullptr;
    std::unordered_map<int32_t, TZavodnik*> podleCipu_;
    std::unordered_map<std::string, TZavodnik*> podleStartCisla_;
    std::unordered_map<std::string, size_t> podleNazvu_;
};

void Pipni(IZvuk& zvuk);

} // namespace Mezicasy
