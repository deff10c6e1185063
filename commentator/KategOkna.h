#pragma once

#include "KomentRozhrani.h"
#include "Mezicasy.h"
#include "Tools.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The category windows without their widgets: the rows a window shows, its column widths and
// colours, the window flags and positions in Kateg.ini, and the refresh the main form runs
// once a second after the punches are processed. Each category has sixteen windows: 0 the start
// list, w = 1..15 the results at timed point w. A window's widget is made the first time it is
// shown.
namespace KategOkna {

constexpr int kOken = Mezicasy::kBodu + 1;
constexpr int kSloupcu = 10;

// Colours as 0x00BBGGRR values.
constexpr uint32_t kBarvaHlavicky = 0x0033FFCC;
constexpr uint32_t kBarvaBila = 0x00FFFFFF;
constexpr uint32_t kBarvaStavu = 0x00FFFF00;

struct TRadek {
    std::array<std::string, kSloupcu> Bunky;
    int64_t Datum = -1; // column 9 as a number: seconds from midnight of the split moment
};

// The rows of window w, sorted and placed (uses Koment::Nastaveni: Desetiny, DruhZavodu).
std::vector<TRadek> NaplnOkno(const Mezicasy::TKateg1& k, int w);
// Column widths of a grid `gridWidth` pixels wide, by race kind; hidden columns get 0.
std::array<int, kSloupcu> SirkySloupcu(int druhZavodu, bool maStartCisla, int gridWidth);
// Background of a row: with `barvy` a fresh split fades from red to yellow over 125 s; status
// rows stand out in any case.
uint32_t BarvaRadku(const TRadek& r, int64_t tedSekundy, bool barvy);
// Caption of a window: the category name, two blanks and the point's caption.
std::string Titulek(const Mezicasy::TKateg1& k, int w);
// Whether any row is still fading at `tedSekundy` (or turned white in the last second).
bool MaBledouciRadky(const std::vector<TRadek>& radky, int64_t tedSekundy);
// First row shown when `radek` is to sit in the middle of `viditelnych` rows.
int HorniRadek(int radek, int viditelnych);

// One window's widget. The logic says what it shows; the widget keeps its own geometry.
class IOkno {
public:
    virtual ~IOkno() = default;
    virtual void Zobraz(bool zobrazit) = 0;
    virtual bool Zobrazeno() const = 0;
    virtual void NastavTitulek(const std::string& text) = 0;
    // Column widths follow the race kind and whether the category has start numbers.
    virtual void NastavSloupce(int druhZavodu, bool maStartCisla) = 0;
    // The rows, or a repaint of their colours (fresh rows fade with time).
    virtual void Napln(const std::vector<TRadek>& radky) = 0;
    virtual void Prekresli() = 0;
    virtual Tools::FormPos Pozice() const = 0;
    virtual void NastavPozici(const Tools::FormPos& pos) = 0;
    // Selects the row (-1 none) and scrolls it to the middle; brings the window to the front.
    virtual void VyberRadek(int radek) = 0;
};

class ITovarnaOken {
public:
    virtual ~ITovarnaOken() = default;
    virtual std::unique_ptr<IOkno> Vytvor(const Mezicasy::TKateg1& k, int w) = 0;
};

// The windows of every category, their flags in Kateg.ini and their refresh.
class TOknaKateg : public Mezicasy::IKategIni {
public:
    explicit TOknaKateg(Mezicasy::TZavod& zavod);

    // Widgets come from the factory (none: the windows exist only as rows, for tests).
    void NastavTovarnu(ITovarnaOken* tovarna) { tovarna_ = tovarna; }
    // Kateg.ini of the race; none = nothing stored.
    void NastavKategIni(platform::IniFile* ini) { ini_ = ini; }
    platform::IniFile* KategIni() const { return ini_; }
    void NastavObrazovku(int sirka, int vyska);
    // The rotation layout as stored (PocetRadDivak, PocetSloupcuDivak).
    void NastavMrizku(int radku, int sloupcu);

    void NactiKategIni(Mezicasy::TKateg1& k) override;
    void UlozKategIni(const Mezicasy::TKateg1& k);
    // Every category, one file replacement (program end).
    void UlozVse();
    // Window w into the rotation's cell (row, column), and its bounds back into that cell.
    void UmistiOkno(const Mezicasy::TKateg1& k, int w, int radek, int sloupec);
    void UlozUmisteni(const Mezicasy::TKateg1& k, int w, int radek, int sloupec);
    // Opens window w of the category when closed, selects the row of the chip `klic` (column 8)
    // and shows the window. An empty key selects nothing.
    void VyberVOkne(std::string_view kategorie, std::string_view klic, int w);
    // The once-a-second refresh after punch processing: windows follow their open flags,
    // changed ones are refilled, fading rows repainted.
    void ObnovOkna();
    // The widget's close: the window is hidden and its flag cleared.
    void ZavriOkno(std::string_view kategorie, int w);

    // What a window shows; null when it was never filled.
    const std::vector<TRadek>* Radky(std::string_view kategorie, int w) const;
    IOkno* Okno(std::string_view kategorie, int w) const;

private:
    struct TOkna {
        std::array<std::unique_ptr<IOkno>, kOken> okno;
        std::array<std::vector<TRadek>, kOken> radky;
        std::array<bool, kOken> naplneno{};
        std::array<bool, kOken> bledne{}; // rows were fading at the last refresh
    };
    TOkna& Okna(const Mezicasy::TKateg1& k);
    IOkno* Zajisti(const Mezicasy::TKateg1& k, int w);
    void Napln(Mezicasy::TKateg1& k, int w);
    Tools::FormPos Bunka(int radek, int sloupec);

    Mezicasy::TZavod& zavod_;
    ITovarnaOken* tovarna_ = nullptr;
    platform::IniFile* ini_ = nullptr;
    int sirka_ = 1920;
    int vyska_ = 1080;
    int radku_ = 1;
    int sloupcu_ = 4;
    std::unordered_map<std::string, TOkna> okna_; // by category name: windows outlive a reload
};

// The rotation of the category windows for the spectators' screen.
class TDivak {
public:
    static constexpr int kRad = 10;
    static constexpr int kSloupcu = 5;
    // The categories shown in each cell by the previous step, [1..10][1..5].
    std::array<std::array<std::string, kSloupcu + 1>, kRad + 1> DivakOkna;
    std::string DivakKategorie; // shown last; the next step goes on after it

    // One step: closes the windows of the previous step, shows the next marked categories'
    // finish results (their start list while nobody has finished). Nothing while a dialog is
    // open.
    void TimerDivakTimer(Mezicasy::TZavod& zavod, TOknaKateg& okna, int radku, int sloupcu,
                         bool dialogOtevren);

private:
    bool Projdi(Mezicasy::TZavod& zavod, TOknaKateg& okna, int radku, int sloupcu);
};

} // namespace KategOkna
