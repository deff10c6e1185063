#pragma once

#include "MainLogic.h"
#include "NestedClose.h"
#include "PortPanel.h"
#include "PrinterMenu.h"
#include "QZ_ORIS.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>

class LabelPrintStatus;
class QAction;
class QLabel;
class QPushButton;
class QScrollArea;
class TAboutBox;
class TPikt;

namespace fPikt {
struct PiktHost;
} // namespace fPikt

namespace fDefTisk {
class PrintMessages;
class TDefTisk;
} // namespace fDefTisk

namespace QZ_SI {
// The application as Cardvane sets it up at its start: its name, and its title "QZ - SI" that
// its message boxes show. Every window's caption is its own.
void InitApplication();
} // namespace QZ_SI

// Cardvane's main window: the race and clock labels, one panel per active SI port, the display
// station's two lines, the menus of the settings dialogs, printers, fonts and the print folder,
// and the timers: 200 ms polls the ports, 5 s runs the print-folder spooler, 1 s serves ORIS
// requests. Its creation opens the settings file, reads the race, creates and probes the ports,
// and only then makes the spooler, the ORIS service and the about box; its close stores the
// settings and frees everything.
class TfQZ_SI : public QMainWindow, private QZ_SI::IDisplayView, private QZ_ORIS::StatusSink {
public:
    static constexpr int Timer1Ms = 200;
    static constexpr int TimerPrinterMs = 5000;
    static constexpr int TimerORISMs = 1000;
    static constexpr int TestSiManMs = 5000;

    explicit TfQZ_SI(QWidget* parent = nullptr);
    ~TfQZ_SI() override;

    QLabel* InfoPrint() const { return infoPrint_; }
    QLabel* LabelInternet() const { return labelInternet_; }
    QAction* AutodetekceAction() const { return autodetekce_; }
    // "COM&1" .. "COM&9" by COM number.
    QAction* ComAction(int com) const { return comActions_.at(static_cast<size_t>(com)); }
    TPortPanel* Panel(int com) const { return panels_[com].get(); }
    // The test form of the control-description sheets, and the hidden item that shows it.
    TPikt* Pikt() const { return pikt_; }
    QAction* PiktAction() const { return piktAction_; }

    // A later start of the program asked for this window.
    void BringToFront();
    // Runs after every Timer1 tick.
    void SetTickHook(std::function<void()> hook) { tickHook_ = std::move(hook); }
    // What the window shows, one "key=value" line each (the test hook's state file).
    std::string StateText() const;

    void Timer1Timer();
    void TimerPrinterTimer();
    void TimerORISTimer();
    void Autodetekce1Click();
    void Zvod1Click();
    void COMClick(int com);
    void SetTiskarna0Click(int n);
    void NastavFontyClick();
    void Zpracovvatsoubory1Click();
    void Info1Click();
    void Pikt1Click();
    // A development aid behind a button that is never shown: converts the ORIS work file as a
    // getRegistration answer into Registration.txt beside it.
    void Button1Click();

    // COM1..COM9 shown exactly for the ports without DisableCOM.
    void UpdateComMenu();
    // The caption of printer item n, or of all six for -1.
    void UpdatePrinterMenu(int n);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void FormCreate();
    // The forms that follow the main window, in their order: TfSetCom, TAboutBox, TfCisZav,
    // TfFont, TDefTisk, TfZapKont, TPikt. The dialogs are made each time they open; what lives on
    // (the spooler, the about box, the control-number hook) is made here.
    void CreateForms();
    // Runs a handler that may spin a nested event loop (a modal dialog, a message box in the
    // middle of a print run). A close asked for meanwhile waits until the handler returns:
    // the close frees the ports, the settings and the spooler the handler is still using.
    void RunNested(const std::function<void()>& handler) { nested_.Run(handler); }
    void FormClose();
    void FormResize();
    void CreatePorts();
    void SetStatus(const std::string& text, bool shownAtOnce);
    void ShowWarning(const std::string& text);
    // How a control-description file reaches the printer: through the spooler's print job.
    fPikt::PiktHost PiktPrinterHost();
    void FitContent();
    void ReleasePorts();

    void SetDisplayLabelsVisible(bool visible) override;
    void SetDisplayLabels(const std::string& line1, const std::string& line2) override;
    std::string DisplayLabel1() const override;
    std::string DisplayLabel2() const override;

    // LabelInternet, for the ORIS service.
    void Zobraz(const std::string& text) override;
    void Zaznamenej(const std::string& line) override;

    QScrollArea* scroll_ = nullptr;
    QWidget* content_ = nullptr;
    QLabel* labelTime_ = nullptr;
    QLabel* labelZavod_ = nullptr;
    QLabel* labelNazevZavodu_ = nullptr;
    QLabel* infoPrint_ = nullptr;
    QLabel* labelInternet_ = nullptr;
    QLabel* labelDisplayR1_ = nullptr;
    QLabel* labelDisplayR2_ = nullptr;
    QLabel* warning_ = nullptr;
    QAction* autodetekce_ = nullptr;
    QAction* piktAction_ = nullptr;
    QPushButton* button1_ = nullptr;
    std::array<QAction*, 10> comActions_{}; // element 0 unused
    std::array<QAction*, printing::PocetTiskaren> printerActions_{};
    QTimer timer1_;
    QTimer timerPrinter_;
    QTimer timerORIS_;
    QTimer testSiMan_;

    std::array<std::unique_ptr<TPortPanel>, 19> panels_;
    std::unique_ptr<TSIPort> portDisplay_;
    QZ_SI::TDisplay display_{*this};
    std::function<void()> tickHook_;

    printing::SystemPrinterList printers_;
    std::unique_ptr<printing::PrintBackend> printBackend_;
    std::unique_ptr<LabelPrintStatus> printStatus_;
    std::unique_ptr<fDefTisk::PrintMessages> printMessages_;
    std::unique_ptr<fDefTisk::TDefTisk> defTisk_;
    std::unique_ptr<QZ_ORIS::TObsluhaOris> obsluhaOris_;
    TAboutBox* aboutBox_ = nullptr;
    TPikt* pikt_ = nullptr;

    bool closed_ = false;
    TNestedClose nested_{*this};
    int raised_ = 0;
};
