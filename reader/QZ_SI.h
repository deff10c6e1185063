#pragma once

#include "MainLogic.h"
#include "PortPanel.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QScrollArea;

// Cardvane's main window: the race and clock labels, one panel per active SI port, the display
// station's two lines, and the 200 ms timer that polls the ports. Its creation opens the
// settings file, reads the race, creates and probes the ports; its close stores them.
//
// Pieces that plug in later add their own timer (a QTimer on this window whose handler writes
// to InfoPrint() or LabelInternet()) and their menu (menuBar()->insertMenu(AutodetekceAction(),
// menu) keeps the order "&Nastavení", "&Autodetekce", "&Tiskárna", "&Informace o programu").
class TfQZ_SI : public QMainWindow, private QZ_SI::IDisplayView {
public:
    static constexpr int Timer1Ms = 200;

    explicit TfQZ_SI(QWidget* parent = nullptr);
    ~TfQZ_SI() override;

    QLabel* InfoPrint() const { return infoPrint_; }
    QLabel* LabelInternet() const { return labelInternet_; }
    QAction* AutodetekceAction() const { return autodetekce_; }
    TPortPanel* Panel(int com) const { return panels_[com].get(); }

    // A later start of the program asked for this window.
    void BringToFront();
    // Runs after every Timer1 tick.
    void SetTickHook(std::function<void()> hook) { tickHook_ = std::move(hook); }
    // What the window shows, one "key=value" line each (the test hook's state file).
    std::string StateText() const;

    void Timer1Timer();
    void Autodetekce1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void FormResize();
    void CreatePorts();
    void SetStatus(const std::string& text, bool shownAtOnce);
    void ShowWarning(const std::string& text);
    void FitContent();
    void ReleasePorts();

    void SetDisplayLabelsVisible(bool visible) override;
    void SetDisplayLabels(const std::string& line1, const std::string& line2) override;
    std::string DisplayLabel1() const override;
    std::string DisplayLabel2() const override;

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
    QTimer timer1_;

    std::array<std::unique_ptr<TPortPanel>, 19> panels_;
    std::unique_ptr<TSIPort> portDisplay_;
    QZ_SI::TDisplay display_{*this};
    std::function<void()> tickHook_;
    bool closed_ = false;
    int raised_ = 0;
};
