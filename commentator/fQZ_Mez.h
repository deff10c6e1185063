#pragma once

#include "InfoAll.h"
#include "KategOkna.h"
#include "KomentHlavni.h"
#include "KomentNapojeni.h"
#include "KomentRozhrani.h"
#include "KomentTisk.h"
#include "NestedClose.h"
#include "PrintQt.h"
#include "platform/IniFile.h"

#include <QAbstractTableModel>
#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QTableView;
class IFilePicker;
class IFolderPicker;
class TAboutBox;
class TfKateg;
class TfMenuKateg;
class TfNastavZobrazeni;
class TfZobrKat;
class TTovarnaOken;
class TDefTabule;
class TfDefTiskKom;
class TfMNastav;
class TfRavlin;

// The event grid's rows for the table view: event rows only, the header row goes to the
// view's header.
class TInfoAllModel : public QAbstractTableModel, public InfoAll::IZmenyInfoAll {
public:
    explicit TInfoAllModel(InfoAll::TInfoAll& data, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    void PredVlozenim() override;
    void PoVlozeni() override;
    void PredOdebranim(int radek) override;
    void PoOdebrani() override;
    void PredVymazanim() override;
    void PoVymazani() override;
    void Zmeneno(int prvni, int posledni) override;

private:
    InfoAll::TInfoAll& data_;
};

// What the main window is given from outside.
struct TfQZ_MezVolby {
    // Asks for a font starting from the given one; empty: the system's font dialog.
    std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)> VyberFontu;
    Mezicasy::IZvuk* Zvuk = nullptr;      // empty: silence
    InfoAll::IVyberVOkne* Okna = nullptr; // empty: the form's own category windows
    bool SpustitCasovace = true;          // tests tick the handlers themselves
    // The settings dialogs' pickers; empty: the system's dialogs.
    IFolderPicker* Slozky = nullptr;
    IFilePicker* Soubory = nullptr;
    // Printers; empty: the system's (CUPS).
    printing::PrinterList* Tiskarny = nullptr;
};

// The commentator's main window: its settings, the input sources and the race, six timers, the
// status labels, the menus and the event grid.
class TfQZ_Mez : public QMainWindow,
                 public Mezicasy::IStavovyRadek,
                 public Mezicasy::IMrizkaUdalosti,
                 public InfoAll::IVyberVOkne {
public:
    using TVolby = TfQZ_MezVolby;

    explicit TfQZ_Mez(TVolby volby = TVolby(), QWidget* parent = nullptr);
    ~TfQZ_Mez() override;

    // Timer handlers (public so tests can tick them without waiting).
    void Timer1Timer();
    void Timer_KresliTimer();
    void TimerNacitaniTimer();
    void TimerDivakTimer();
    void TimerPrinterTimer();
    void TimerInfoRavlinTimer();

    void ZmenaZavodu(bool reload);
    void NastavIntervalDivak();
    bool NactiParametryRavlin();
    void VyplnInfoAll();
    void RozvrhniMrizku();

    // IStavovyRadek, IMrizkaUdalosti.
    void ZpravaZpracovani(const std::string& text) override;
    void NastavZpravu(const std::string& text) override;
    void ZrusZaznamInfoAll(int32_t cip, int32_t bod) override;
    // IVyberVOkne: a click in the grid opens the category window at the competitor's row.
    void VyberVOkne(const std::string& kategorie, const std::string& cip, int32_t bod) override;

    QAction* Polozka(const std::string& jmeno) const;
    QTableView* Mrizka() const { return grid_; }
    InfoAll::TInfoAll& InfoAllData() { return infoAll_; }
    Koment::TKomentator& Komentator() { return komentator_; }
    QTimer& Casovac(const std::string& jmeno);
    // What the window shows, one "key=value" per line (the program's state file).
    std::string StateText() const;
    void SetTickHook(std::function<void()> hook) { tickHook_ = std::move(hook); }
    bool DialogOtevren() const { return dialogOtevren_; }
    KategOkna::TOknaKateg& OknaKateg() { return *oknaKateg_; }
    KategOkna::TDivak& Divak() { return divak_; }
    TfNastavZobrazeni* NastavZobrazeni() const { return fZobrazeni_; }
    KomentTisk::TTisk& Tisk() { return *tisk_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void FormResize();
    void VytvorMenu();
    void Obnov();
    void VyberFont(const char* sekce, bool hlavni);
    void NastavFontMrizky(const QFont& font);
    void Jazyk(int16_t language);
    void VytvorDialogy();
    // Runs a modal settings dialog with DialogOtevren set.
    int Modalne(QDialog& dialog);
    // A menu item whose handler may run a modal loop (a dialog, a message box): the close waits
    // for it.
    void Napoj(QAction* polozka, std::function<void()> handler);

    TVolby volby_;
    std::unique_ptr<platform::IniFile> kategIni_;
    Koment::TKomentator komentator_;
    InfoAll::TInfoAll infoAll_;
    TInfoAllModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* MyInfo = nullptr;
    QLabel* MyInfo2 = nullptr;
    QLabel* InfoPrint = nullptr;
    QLabel* ErrorInfo = nullptr;
    QLabel* LabelTime = nullptr;
    QLabel* LabelZavod = nullptr;
    QLabel* InfoVCili = nullptr;
    std::map<std::string, QAction*> polozky_;
    std::map<std::string, QTimer*> casovace_;
    TAboutBox* about_ = nullptr;
    KomentHlavni::TCasovanaZprava zprava_;
    std::string zpravaZpracovani_;
    int posledniVelikostFontu_ = 0;
    bool dialogOtevren_ = false;
    bool zavreno_ = false;
    TNestedClose nested_{*this};
    // The category windows: the factory outlives them (they are freed first).
    std::unique_ptr<TTovarnaOken> tovarnaOken_;
    std::unique_ptr<KategOkna::TOknaKateg> oknaKateg_;
    KategOkna::TDivak divak_;
    TfKateg* fKateg_ = nullptr;
    TfZobrKat* fZobrKat_ = nullptr;
    TfMenuKateg* fMenuKateg_ = nullptr;
    TfNastavZobrazeni* fZobrazeni_ = nullptr;
    std::function<void()> tickHook_;
    printing::SystemPrinterList systemPrinters_;
    std::unique_ptr<LabelPrintStatus> printStatus_;
    std::unique_ptr<MessageBoxPrintMessages> printMessages_;
    std::unique_ptr<KomentTisk::TTisk> tisk_;
    TfMNastav* mNastav_ = nullptr;
    TfRavlin* ravlin_ = nullptr;
    TDefTabule* tabule_ = nullptr;
    TfDefTiskKom* defTisk_ = nullptr;
};
