#pragma once

#include "SISam_Proc.h"
#include "SISam_Typ.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The self-service registration desk: swap start times within the club, move to a vacant start
// slot, withdraw, change the SI card. Every change is a request to Ravlin and is applied only
// from Ravlin's answer. The flows talk to the user through IDialogy, which the kiosk's forms
// implement and tests script; the main form is reached only through the hooks of TKontext.
namespace Prezentace {

using SISam_Typ::TZavodnik;

// "hh:mm:ss" clock time of a start (minutes.seconds) after a zero time (hh.mm); hours are not
// wrapped at 24. Every part comes from whole hundredths, so 12.29 gives :29.
std::string SumMinSecText(double start, double start00);
// Minutes.seconds text: width 5 with two decimals; with tenths width 8 with three, the tenths
// after a ','; " DISK" appended on request.
std::string TimeValueText(double value, bool desetiny = false, bool disk = false);
// Whole minutes of a start.
int32_t CeleMinuty(double start);
// "012 = 10:12:30" for a start of 12.30 at 10.00.
std::string StartText(double start, double start00);

// The answer time-out in seconds as used: Pultra.ini may say anything, the wait lasts 10..40.
int PlatnyTimeout(int zIni);

// The pending request's answer as the wait form sees it; an answer that does not carry the
// change asked for ends the wait with an undefined result.
enum Odpoved : int {
    OdpovedZadna = 0,
    OdpovedPrijata = 1,
    OdpovedZamitnuta = 2,
    OdpovedBezZmeny = 4
};
// Results of a request and of the information form.
enum Vysledek : int {
    VysledekNic = 0,
    VysledekOK = 1,
    VysledekNe = 2,
    VysledekTimeout = 3,
    VysledekBezZmeny = 4
};

// What the wait form asks of the request it waits for.
class ICekani {
public:
    virtual ~ICekani() = default;
    // Every 500 ms while the form is up: looks for the answer.
    virtual void Dotaz() = 0;
    // The answer flag, read every 200 ms.
    virtual int Odpoved() const = 0;
};

// A choice on the tile chooser.
struct TVolba {
    struct Polozka {
        std::string klic;
        std::string popis;
        bool novyRadek = false; // starts a new row of tiles
        bool predvybrany = false;
    };
    std::string titulek;
    std::string podtitulek;
    int font = 20;
    int sirka = 0; // tile size; 0 = the chooser's own
    int vyska = 0;
    int16_t rezim = 1; // 1 tiles, 2 drop-down list
    // Top-left corner of the chooser; none = centred.
    std::optional<std::pair<int, int>> poloha;
    std::vector<Polozka> polozky;
};

// The dialogs of the desk. Texts are UTF-8 and may hold "\r\n" line breaks.
class IDialogy {
public:
    virtual ~IDialogy() = default;
    // The chosen key; empty when cancelled.
    virtual std::string Vyber(const TVolba& volba) = 0;
    // The on-screen keyboard; true with the typed text on OK.
    virtual bool Klavesnice(std::string& text, const std::string& prompt, int maxDelka,
                            bool maskovat, bool cislice, bool pismena) = 0;
    // The information form: a message with OK (sekundy 0), a question with OK and NO (ne), or a
    // timed message or wait (sekundy > 0) that closes by itself; while waiting for a request
    // cekani is given. Returns VysledekOK, VysledekNe or VysledekTimeout (or the answer flag).
    virtual int InfoForma(const std::string& radek1, const std::string& radek2, bool ne,
                          int sekundy, ICekani* cekani) = 0;
};

// What the desk needs of the main form.
struct TKontext {
    IDialogy* dialogy = nullptr;
    // Every press, scroll and request resets the auto-logout countdown.
    std::function<void()> ResetOdpoctu;
    // True while a dialog is shown: the countdown pauses.
    std::function<void(bool)> Dialog;
    // True while a flow runs: the quick look-up waits.
    std::function<void(bool)> Zaneprazdnen;
    // Timeout of Pultra.ini (kept within 10..40 when used).
    int timeout = 20;
};

// One row of a flow's own list, with the chooser's mark.
struct TRadek {
    TZavodnik zavodnik;
    bool vyber = false;
};
// Runners of a category by start, then name (vacant slots included), or of a club by name.
std::vector<TRadek> RadkyKategorie(std::string_view kategorie);
std::vector<TRadek> RadkyOddilu(std::string_view oddil);
// The vacant slots of the category start list a runner may move to, in list order.
std::vector<TZavodnik> VolneStarty(const std::vector<TRadek>& seznam, const TZavodnik& r);

class TPrezentace : private ICekani {
public:
    explicit TPrezentace(TKontext kontext) : k_(std::move(kontext)) {}
    // The administrator changed Pultra.ini's Timeout.
    void NastavTimeout(int timeout) { k_.timeout = timeout; }

    // Entering the desk: the administrator chooses the club he acts for; false when he
    // cancelled (the desk is not entered).
    bool Vstup();

    // The four changes; x, y is where the pressed button stands (the own-or-other chooser
    // appears beside it).
    void ProhoditStart(int x = 0, int y = 0);
    void ZmenitStart(int x = 0, int y = 0);
    void Odhlasit();
    void ZmenitCip();

    // READ request (data#filter#value) and wait: 1 answer, 2 refused, 3 time-out.
    int ZpracujDotaz(const std::string& text, const std::string& data, const std::string& hodnota,
                     const std::string& filter);
    // WRITE request and wait; line 1 = runner A, line 2 = runner B. Same results, or
    // VysledekBezZmeny when the answer does not carry every runner line the request changes.
    int ZpracujPozadavek(const std::string& text, const std::string& typ, const TZavodnik& b,
                         const TZavodnik& a);
    // A member of the club for the action (1 swap, 2 change start, 3 SI card, 4 withdraw):
    // his ID, 0 when none or cancelled.
    int32_t VyberZavodnikaOddilu(const std::string& klub, const std::string& titulek, int akce);
    // Own entry ("1") or another member ("2"); empty when cancelled.
    std::string Vyber2(const std::string& titulek, const std::string& volba1,
                       const std::string& volba2, int x, int y, int akce);

    // The answer polling, every 500 ms while a request waits.
    void TimerWaitForInfoTimer();
    // Answers to requests that timed out after Ravlin took them: applied and logged when they
    // come. The main form calls this with its exchange polling (looks for one per call; does
    // nothing while a request waits).
    void ZpracujPozdniOdpovedi();

    // The information form with the countdown reset and paused around it.
    int ZobrazInfoFormu(const std::string& radek1, const std::string& radek2, bool ne, int sekundy,
                        ICekani* cekani = nullptr);

    const std::string& Guid() const { return guid_; }
    const std::string& Chyba() const { return chyba_; }
    int OdpovedFlag() const { return odpoved_; }

private:
    class Beh;
    friend class Beh;

    void Dotaz() override { TimerWaitForInfoTimer(); }
    int Odpoved() const override { return odpoved_; }

    int Cekej(const std::string& text);
    bool ObnovKlub(const std::string& klub);
    bool ObnovKategorii(const std::string& text, const std::string& kategorie);
    // The runner of an action: own entry or a chosen club member; 0 = none.
    int32_t VyberZavodnika(int akce, const std::string& titulek, const std::string& volba1,
                           const std::string& volba2, int x, int y);
    std::string Vyber(const TVolba& volba);
    // The user who started the flow is still logged in.
    bool StaleTyz() const;
    void Reset() const;
    // Withdraws the pending request while Ravlin has not taken it; true when it did.
    bool Stahni();
    void Zpozdeny(const std::string& popis);
    // The wait ended early (result r): an untaken request is withdrawn (true).
    bool Preruseno(int r);
    void CasVyprsel();

    struct TPozdni {
        std::string guid;
        std::string popis;
        SISam_Proc::TOcekavani ocekavani;
    };

    TKontext k_;
    std::string guid_;
    SISam_Proc::TOcekavani ocekavani_; // what the pending request's answer must carry
    std::string chyba_;
    int odpoved_ = OdpovedZadna;
    SISam_Typ::TPrihlaseni uzivatel_;
    bool beh_ = false;
    bool cekam_ = false; // a request's wait form is up
    std::deque<TPozdni> pozdni_;
};

} // namespace Prezentace
