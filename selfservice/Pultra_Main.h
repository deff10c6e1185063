#pragma once

#include "K_ColBtn.h"
#include "PortPanel.h"
#include "Prezentace.h"
#include "PrihlaseniLogic.h"
#include "PultraLogic.h"
#include "Tools.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class TAdmin;
class TDialogyQt;
class TNactiCip;
class TVyberBTN;
class TfInfoForma;

// The kiosk's one full-screen, borderless window: race name and clock, the button set with
// the login text, logout hint and auto-logout bar, the information grid with its heading and
// scroll panel, the system line, the SI ports' panels and the timers. Decisions are in
// PultraLogic and PrihlaseniLogic; the registration desk's flows are Prezentace's, shown
// through the chooser, the keyboard and the information form; the chip prompt and the
// administrator form are this form's own.
class TPultra_Main : public QWidget {
public:
    static constexpr int TimerVstupniDataMs = 10'000;
    static constexpr int TimerParamRavlinMs = 20'000;
    static constexpr int ZobrazCasMs = 1'000;
    static constexpr int TimerPrectiPortyMs = 100;

    explicit TPultra_Main(QWidget* parent = nullptr);
    ~TPultra_Main() override;

    // The tile chooser, created after this form; the registration desk and its dialogs use it.
    void SetVyber(TVyberBTN* vyber);

    // ---- Handlers ----
    void LoginClick();
    void PrezentaceClick();
    void StartovkyClick();
    void VysledkyClick();
    void StartODDClick();
    void AdminClick();
    void QuitClick();
    void SubClick(int tag);
    void CasClick();
    void AltF10();
    void DetekceClick();
    void Jazyk(int language);

    // Logs in (card > 0; the SIAdmin card as administrator) or out, then shows the runner's
    // list and redraws.
    void Prihlas(int32_t cip);
    // The administrator changed the settings (Pultra.ini is already written): ports and the
    // results folder are set up again.
    void PoNastaveniAdmin();
    int ZobrazInfoFormu(const std::string& line1, const std::string& line2, bool no, int seconds);

    // Grid.
    void NastavGrid(int rezim);
    void ZobrazInfo(const std::string& klic);
    void ZobrazGrid(bool visible);
    std::string VyberKategorii(int rezim);
    std::string VyberOddil();
    void Posun(int kam); // 0 first, 1 page up, 2 page down, 3 last
    int HorniRadek() const;
    // Rows of one page.
    int StrankaGridu() const;
    void NastavHorni(int radek);

    // Timers, each guarded against a second run while one is still running (a modal form
    // opened inside one spins the event loop).
    void TimerVstupniDataTimer();
    void TimerParamRavlinTimer();
    void ZobrazCasTimer();
    void TimerPrectiPortyTimer();

    // A dialog is shown (true) or closed: the auto-logout countdown pauses while any is up.
    void Dialog(bool zobrazen) { odpocet_.Dialog(zobrazen); }
    // While the chip prompt or a desk flow runs, the quick look-up leaves the cards alone.
    void PozastavHledani(bool pozastavit);
    bool HledaniPozastaveno() const { return pozastaveniHledani_ > 0; }
    // The password on the keyboard, the countdown paused meanwhile: true when it is right.
    bool ZadejHeslo();

    void PrepocitejTlacitka();
    void PrekresliTexty();
    void ResetOdpoctu() { odpocet_.Reset(); }
    // The next close asks nothing (a closing signal).
    void ZavritBezHesla() { bezHesla_ = true; }

    // Runs after every timer tick and handler.
    void SetTickHook(std::function<void()> hook) { tickHook_ = std::move(hook); }
    // What the window shows, one "key=value" line each (the test hook's state file).
    std::string StateText() const;

    TKColButton* Tlacitko(int tag) const { return buttons_.at(tag); }
    QTableWidget* Grid() const { return grid_; }
    QLabel* SystemLine() const { return system_; }
    const Pultra::TNastaveni& Nastaveni() const { return nast_; }
    TfInfoForma& InfoForma() const { return *infoForma_; }
    TNactiCip& NactiCipForma() const { return *nactiCip_; }
    TAdmin& AdminForma() const { return *admin_; }
    Prezentace::TPrezentace& Desk() const { return *desk_; }
    const PrihlaseniLogic::TOdpocet& Odpocet() const { return odpocet_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void FormResize();
    void NactiParamRavlin();
    void ZpracujData();
    // The list shown is rebuilt once the competitor table changed since it was filled.
    void PoNacteni();
    void ObnovSeznam();
    void NovyZavodFormy();
    void NastavPorty();
    void UvolniPorty();
    void Detekce();
    void RozmistiPorty();
    void VyberHlavni(int tag);
    void UkazNahled(int32_t id, int rezim, const std::string& kategorie);
    void Obnov();
    void Hotovo();
    void Guarded(bool& busy, const std::function<void()>& fn);
    void NactiPopisky();
    bool ViditelneLogin() const;
    void UmistiLoginText();
    void NastavFontGridu(const Tools::FontSpec& font);

    Pultra::TNastaveni nast_;
    Pultra::TCteniInf inf_;
    PrihlaseniLogic::TOdpocet odpocet_;
    Pultra::TTah tah_;
    std::string portText_;
    std::string tahText_;

    QLabel* nazev_ = nullptr;
    QLabel* cas_ = nullptr;
    QLabel* loginText_ = nullptr;
    QLabel* napoveda_ = nullptr;
    QProgressBar* pruh_ = nullptr;
    QLabel* system_ = nullptr;
    QLabel* nadpis_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QWidget* posuv_ = nullptr;
    std::array<TKColButton*, 4> posuvTlacitka_{};
    QPushButton* btnSI_ = nullptr;
    TKColButton* vlajkaCZ_ = nullptr;
    TKColButton* vlajkaEN_ = nullptr;
    std::unique_ptr<K_ColBtn::TImageList> vlajky_;
    std::map<int, TKColButton*> buttons_;
    std::array<std::unique_ptr<TPortPanel>, 19> panels_;
    TVyberBTN* vyber_ = nullptr;
    std::unique_ptr<TfInfoForma> infoForma_;
    std::unique_ptr<TNactiCip> nactiCip_;
    std::unique_ptr<TAdmin> admin_;
    std::unique_ptr<TDialogyQt> dialogy_;
    std::unique_ptr<Prezentace::TPrezentace> desk_;
    int pozastaveniHledani_ = 0;

    int rezim_ = 0;
    std::string klic_;
    int zvyrazneny_ = 0;    // grid row of the logged-in or looked-up runner, 0 none
    int32_t nahledId_ = -1; // runner looked up by card for the view shown, -1 none
    uint64_t verzeDat_ = 0; // the table's version the list was filled from
    int vybranyHlavni_ = 0;
    int vybranyPod_ = 0;
    int velikostFontu_ = 0;

    QTimer timerVstupniData_;
    QTimer timerParamRavlin_;
    QTimer zobrazCas_;
    QTimer timerPrectiPorty_;
    bool busyData_ = false, busyParam_ = false, busyCas_ = false, busyPorty_ = false;
    bool infNacten_ = false;
    int prvniSekundy_ = 20;
    bool bezHesla_ = false;
    bool closed_ = false;
    std::function<void()> tickHook_;
};
