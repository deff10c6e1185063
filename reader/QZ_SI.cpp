#include "QZ_SI.h"

#include "AboutBox.h"
#include "CisZav.h"
#include "Dialogs.h"
#include "FormPosQt.h"
#include "OrisConvert.h"
#include "PiktDraw.h"
#include "PiktPrint.h"
#include "PrintForms.h"
#include "QtMessages.h"
#include "SI_Backup.h"
#include "SI_FontForm.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "ZapKont.h"
#include "fDefTisk.h"
#include "fPikt.h"
#include "fSetPort.h"
#include "platform/Clock.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>

#include <algorithm>
#include <iostream>

using namespace SI_Typ;

namespace {

constexpr int Ports = 19;
constexpr int ContentWidth = TPortPanel::Left + TPortPanel::Width + 10;
// Height for the labels above the panels when no port is active.
constexpr int EmptyHeight = 130;

constexpr int ComMenuItems = 9;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

void QZ_SI::InitApplication() {
    QApplication::setApplicationName("cardvane");
    // Not the application display name: the window system would append it to every caption.
    TQtMessages::SetApplicationTitle("QZ - SI");
}

TfQZ_SI::TfQZ_SI(QWidget* parent) : QMainWindow(parent) {
    setObjectName("fQZ_SI");
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    content_ = new QWidget;
    scroll_->setWidget(content_);
    setCentralWidget(scroll_);
    content_->installEventFilter(this);

    auto label = [&] {
        auto* l = new QLabel(content_);
        l->setFixedHeight(l->fontMetrics().height() + 2);
        return l;
    };
    labelTime_ = label();
    labelZavod_ = label();
    labelNazevZavodu_ = label();
    infoPrint_ = label();
    labelInternet_ = label();
    labelDisplayR1_ = label();
    labelDisplayR2_ = label();
    QFont bold = labelNazevZavodu_->font();
    bold.setBold(true);
    labelNazevZavodu_->setFont(bold);
    // The display station shows fixed-width characters; so do its two lines here.
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    for (QLabel* l : {labelDisplayR1_, labelDisplayR2_}) {
        l->setFont(fixed);
        l->setFixedHeight(l->fontMetrics().height() + 2);
        l->setTextFormat(Qt::PlainText);
        l->setToolTip(Q(LangText("Text na displeji", "Text on the display station")));
    }

    warning_ = new QLabel;
    warning_->setStyleSheet("color: #b00000");
    warning_->setWordWrap(true);
    statusBar()->addWidget(warning_, 1);

    button1_ = new QPushButton("Button1", content_);
    button1_->setObjectName("Button1");
    button1_->hide(); // a development aid, never shown
    connect(button1_, &QPushButton::clicked, this,
            [this] { RunNested([this] { Button1Click(); }); });

    CreateMenu();
    FormCreate();
    CreateForms();

    // Started only now: the forms their handlers use exist.
    timer1_.setInterval(Timer1Ms);
    connect(&timer1_, &QTimer::timeout, this, [this] { RunNested([this] { Timer1Timer(); }); });
    timer1_.start();
    timerPrinter_.setInterval(TimerPrinterMs);
    connect(&timerPrinter_, &QTimer::timeout, this,
            [this] { RunNested([this] { TimerPrinterTimer(); }); });
    timerPrinter_.start();
    timerORIS_.setInterval(TimerORISMs);
    connect(&timerORIS_, &QTimer::timeout, this,
            [this] { RunNested([this] { TimerORISTimer(); }); });
    timerORIS_.start();
    // Runs as the window has it, with nothing to do.
    testSiMan_.setObjectName("TestSiMan");
    testSiMan_.setInterval(TestSiManMs);
    testSiMan_.start();
}

TfQZ_SI::~TfQZ_SI() {
    SI_Backup::ControlNumberDialog = nullptr;
    defTisk_.reset();
    ReleasePorts();
}

void TfQZ_SI::CreateMenu() {
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* menu, const QString& caption, const std::function<void()>& handler) {
        QAction* a = menu->addAction(caption);
        connect(a, &QAction::triggered, this, [this, handler] { RunNested(handler); });
        return a;
    };

    QMenu* nastaveni = bar->addMenu("&Nastavení");
    const QString hint = "Nastavení portů a čísla závodu";
    nastaveni->menuAction()->setStatusTip(hint);
    nastaveni->menuAction()->setToolTip(hint);
    item(nastaveni, "&Závod", [this] { Zvod1Click(); });
    for (int n = 1; n <= ComMenuItems; ++n) {
        comActions_[n] = item(nastaveni, QString("COM&%1").arg(n), [this, n] { COMClick(n); });
    }

    autodetekce_ = bar->addAction("&Autodetekce");
    connect(autodetekce_, &QAction::triggered, this,
            [this] { RunNested([this] { Autodetekce1Click(); }); });

    QMenu* tiskarna = bar->addMenu("&Tiskárna");
    for (int n = 0; n < printing::PocetTiskaren; ++n) {
        printerActions_[n] =
            item(tiskarna, QString("Tiskárna &%1").arg(n), [this, n] { SetTiskarna0Click(n); });
    }
    item(tiskarna, "&Fonty", [this] { NastavFontyClick(); });
    item(tiskarna, "&Zpracovávat soubory", [this] { Zpracovvatsoubory1Click(); });

    QAction* info = bar->addAction("&Informace o programu");
    connect(info, &QAction::triggered, this, [this] { Info1Click(); });

    // Never shown: the sheets' test form is a development aid.
    piktAction_ = bar->addAction("Pikt");
    piktAction_->setObjectName("Pikt1");
    piktAction_->setVisible(false);
    connect(piktAction_, &QAction::triggered, this, [this] { Pikt1Click(); });
}

void TfQZ_SI::CreateForms() {
    aboutBox_ = new TAboutBox(0, this);

    platform::IniFile& ini = *IniNastaveni;
    printBackend_ = printing::MakePrintBackend(ini, printers_);
    printStatus_ = std::make_unique<LabelPrintStatus>(infoPrint_);
    // Errors of the spooler and of the control-description sheets: standard error offscreen, a
    // box that does not stop printing on a screen.
    printMessages_ = std::make_unique<MessageBoxPrintMessages>(this);
    defTisk_ =
        std::make_unique<fDefTisk::TDefTisk>(ini, *printBackend_, *printStatus_, *printMessages_);
    defTisk_->SetTiskniPiktogramy([this](const std::filesystem::path& file, std::string& error) {
        return fPikt::TiskniPiktogramy(file, true, PiktPrinterHost(), error);
    });

    SI_Backup::ControlNumberDialog = [this] {
        RunNested([this] {
            TfZapKont dlg(1, this);
            dlg.exec();
        });
    };

    // Downloads run on a thread of their own while this loop turns: a server that hangs holds
    // up no port and no window. The pass itself stays one request at a time, in order.
    QZ_ORIS::ObsluhaParts oris;
    oris.downloader = std::make_unique<QZ_ORIS::BackgroundDownloader>(
        std::make_unique<QZ_ORIS::CurlDownloader>(), [](const std::function<bool()>& finished) {
            QEventLoop loop;
            QTimer look;
            look.setInterval(10);
            QObject::connect(&look, &QTimer::timeout, &loop, [&] {
                if (finished()) {
                    loop.quit();
                }
            });
            look.start();
            loop.exec();
        });
    obsluhaOris_ = std::make_unique<QZ_ORIS::TObsluhaOris>(static_cast<QZ_ORIS::StatusSink&>(*this),
                                                           std::move(oris));

    pikt_ = new TPikt(PiktPrinterHost(), this);
}

fPikt::PiktHost TfQZ_SI::PiktPrinterHost() {
    fPikt::PiktHost host;
    host.printPage = [this](const fPikt::PiktPageDraw& draw, std::string& error) {
        if (!defTisk_) {
            error = "closed";
            return false;
        }
        return defTisk_->PrintPage(draw, error);
    };
    host.showStatus = [this](const std::string& text) { printStatus_->ShowPrintStatus(text); };
    host.showError = [this](const std::string& text) { printMessages_->ShowError(text); };
    return host;
}

void TfQZ_SI::FormCreate() {
    IniNastaveni = std::make_unique<platform::IniFile>(Tools::IniFileName());
    platform::IniFile& ini = *IniNastaveni;
    QZ_SI::NactiNastaveni(ini);
    ShowWarning(QZ_SI::PrevezmiZavodPriStartu(ini));

    labelZavod_->setText(Q(QZ_SI::ZavodText()));
    labelNazevZavodu_->setText(Q(Tools::RaceNameText()));
    setWindowTitle(Q(QZ_SI::Titulek()));
    resize(ContentWidth, EmptyHeight);
    const bool placed = FormPosQt::Load(ini, "fQZ_SI", *this);

    SI_Port::StatusLine = [this](const std::string& text) { SetStatus(text, true); };
    CreatePorts();
    for (int n = 1; n < Ports; ++n) {
        SI_Port::Porty[n]->Detect();
    }

    SetDisplayLabels("", "");
    DisplayCas = Tools::Stamp();
    UpdateComMenu();
    portDisplay_ = TSIPort::Create(ComProDisplay, true, nullptr);
    display_.SetPort(portDisplay_.get());
    display_.SetProblemReport([this](const std::string& text) { ShowWarning(text); });
    display_.ZobrazDisplay();
    UpdatePrinterMenu(-1);
    labelInternet_->clear();

    FitContent();
    if (!placed) {
        // First start: tall enough for the panels found.
        resize(width(), content_->minimumHeight() + menuBar()->sizeHint().height() +
                            statusBar()->sizeHint().height());
    }
}

void TfQZ_SI::CreatePorts() {
    platform::IniFile& ini = *IniNastaveni;
    for (int n = 0; n < Ports; ++n) {
        panels_[n] = std::make_unique<TPortPanel>(n, content_);
        TPortPanel* panel = panels_[n].get();
        panel->onLayoutChanged = [this] { FitContent(); };
        FormPosQt::Load(ini, "fCOM" + std::to_string(n), *panel->InfoWindow());

        SI_Port::Porty[n] = TSIPort::Create(n, false, panel);
        TSIPort& port = *SI_Port::Porty[n];
        port.displayHook = QZ_SI::PortDisplayHook();
        port.LoadSettings(TSIPort::VariantReader);
        // The hooks look the port up by number: it is gone once the window has closed.
        panel->Indicator()->onShiftClick = [this, n] {
            RunNested([n] {
                if (TSIPort* p = SI_Port::Porty[n].get()) {
                    p->SetRychlost(p->Rychlost == 1 ? 0 : 1);
                    p->UpdateCaption();
                }
            });
        };
        connect(panel->ReadButton(), &QPushButton::clicked, this, [this, n] {
            RunNested([n] {
                if (TSIPort* p = SI_Port::Porty[n].get()) {
                    p->StartBackupRead();
                }
            });
        });
        // Writing the list asks for the control number in a modal dialog.
        connect(panel->WriteButton(), &QPushButton::clicked, this, [this, n] {
            RunNested([n] {
                if (TSIPort* p = SI_Port::Porty[n].get()) {
                    p->SaveBackupList();
                }
            });
        });
    }
}

void TfQZ_SI::FormClose() {
    closed_ = true;
    timer1_.stop();
    timerPrinter_.stop();
    timerORIS_.stop();
    SI_Backup::ControlNumberDialog = nullptr;
    aboutBox_->hide();
    pikt_->hide();
    // Both read the settings object, which goes below.
    defTisk_.reset();
    obsluhaOris_.reset();
    if (portDisplay_) {
        const auto [line1, line2] = QZ_SI::TextyMimoProvoz();
        portDisplay_->ShowOnDisplay(line1, line2);
    }
    if (IniNastaveni) {
        platform::IniFile& ini = *IniNastaveni;
        if (!QZ_SI::UlozPriZavreni(ini)) {
            // No dialog: a close by the system must not wait for someone to press OK.
            std::cerr << "cardvane: " << ini.FileName().string() << ": "
                      << LangText("nastavení nelze uložit: ", "settings cannot be stored: ")
                      << ini.LastError() << '\n';
        }
        for (int n = 0; n < Ports; ++n) {
            if (SI_Port::Porty[n]) {
                if (!SI_Port::Porty[n]->SaveSettings(TSIPort::VariantReader)) {
                    std::cerr << "cardvane: " << ini.FileName().string() << ": COM" << n << ": "
                              << LangText("nastavení nelze uložit: ", "settings cannot be stored: ")
                              << ini.LastError() << '\n';
                }
                FormPosQt::Save(ini, "fCOM" + std::to_string(n), *panels_[n]->InfoWindow());
                SI_Port::Porty[n].reset();
            }
        }
        FormPosQt::Save(ini, "fQZ_SI", *this);
    }
    ReleasePorts();
    IniNastaveni.reset();
}

void TfQZ_SI::ReleasePorts() {
    timer1_.stop();
    display_.SetPort(nullptr);
    portDisplay_.reset();
    // The ports talk to their panels: they go first.
    for (auto& port : SI_Port::Porty) {
        port.reset();
    }
    for (auto& panel : panels_) {
        panel.reset();
    }
    SI_Port::StatusLine = nullptr;
}

void TfQZ_SI::closeEvent(QCloseEvent* event) {
    if (obsluhaOris_) {
        // A download under way ends now, so that the close it holds up follows at once.
        obsluhaOris_->Zastav();
    }
    if (nested_.Defer(event)) {
        return;
    }
    if (!closed_) {
        FormClose();
    }
    event->accept();
}

bool TfQZ_SI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == content_ && event->type() == QEvent::Resize) {
        FormResize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfQZ_SI::FormResize() {
    const int w = content_->width();
    const int h = labelTime_->height();
    labelTime_->setGeometry(w - 60, 0, 60, h);
    labelZavod_->setGeometry(w - 165, 0, 100, h);
    labelNazevZavodu_->setGeometry(50, 0, std::max(0, w - 165 - 10 - 50), h);
    infoPrint_->setGeometry(50, 20, std::max(0, w - 50), h);
    labelInternet_->setGeometry(50, 20 + h, std::max(0, w - 50), h);
    labelDisplayR1_->setGeometry(50, 20 + 2 * h, 200, h);
    labelDisplayR2_->setGeometry(255, 20 + 2 * h, 200, h);
    infoPrint_->clear();
    labelInternet_->clear();
    labelDisplayR1_->clear();
    labelDisplayR2_->clear();
}

void TfQZ_SI::FitContent() {
    int bottom = EmptyHeight - 10;
    for (const auto& panel : panels_) {
        if (panel) {
            bottom = std::max(bottom, panel->Bottom());
        }
    }
    content_->setMinimumSize(ContentWidth, bottom + 10);
}

void TfQZ_SI::Timer1Timer() {
    for (int n = 1; n < Ports; ++n) {
        if (SI_Port::Porty[n]) {
            SI_Port::Porty[n]->Poll();
        }
    }
    labelTime_->setText(Q(platform::TimeText(platform::GetClock().Now())));
    display_.ZobrazDisplay();
    if (tickHook_) {
        tickHook_();
    }
}

void TfQZ_SI::TimerPrinterTimer() {
    if (defTisk_) {
        defTisk_->TimerPrinterTimer();
    }
}

void TfQZ_SI::TimerORISTimer() {
    if (!obsluhaOris_) {
        return;
    }
    // Off while a pass runs: a slow download must not start a second pass over the same
    // requests.
    timerORIS_.stop();
    obsluhaOris_->ProjdiPozadavkyOris();
    if (!closed_) {
        timerORIS_.start();
    }
}

void TfQZ_SI::Autodetekce1Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SI_Port::LayoutOff = true;
    for (int n = 1; n < Ports; ++n) {
        SetStatus(QZ_SI::TextDetekce(n), true);
        Tools::WaitMs(100);
        SI_Port::Porty[n]->Detect();
    }
    SI_Port::LayoutOff = false;
    for (int n = 1; n < Ports; ++n) {
        SI_Port::Porty[n]->UpdateCaption();
    }
    SI_Port::LayoutPorts();
    SetStatus("", false);
    QApplication::restoreOverrideCursor();
}

void TfQZ_SI::Zvod1Click() {
    TfCisZav dlg(this);
    if (dlg.exec() == QDialog::Accepted) {
        labelZavod_->setText(Q(QZ_SI::ZavodText()));
        labelNazevZavodu_->setText(Q(Tools::RaceNameText()));
        UpdateComMenu();
        SI_Port::LayoutPorts();
    }
    display_.ZobrazDisplay();
}

void TfQZ_SI::COMClick(int com) {
    TfSetCom dlg(com, this);
    dlg.exec();
}

void TfQZ_SI::SetTiskarna0Click(int n) {
    QtPrinterSetupDialog dialog(this);
    std::string error;
    if (!printing::SetTiskarna(*IniNastaveni, printers_, dialog, n, error) && !error.empty()) {
        Dialogs::Messages().Error(error);
    }
    UpdatePrinterMenu(n);
}

void TfQZ_SI::NastavFontyClick() {
    TfFont dlg(*IniNastaveni, this);
    dlg.exec();
}

void TfQZ_SI::Zpracovvatsoubory1Click() {
    if (!defTisk_) {
        return;
    }
    // The dialog's font check looks among the fonts Qt knows: the copy beside the program,
    // which the sheets print with, is loaded first.
    fPikt::EnsurePiktFont();
    DefTiskForm dlg(*defTisk_, *IniNastaveni, this);
    dlg.exec();
}

void TfQZ_SI::Info1Click() {
    aboutBox_->show();
    aboutBox_->raise();
}

void TfQZ_SI::Pikt1Click() {
    pikt_->show();
    pikt_->raise();
}

void TfQZ_SI::Button1Click() {
    if (!obsluhaOris_) {
        return;
    }
    QZ_ORIS::TPozadavekOris poz;
    poz.method = "getRegistration";
    poz.workFile = obsluhaOris_->WorkFile().string();
    poz.FN = (obsluhaOris_->WorkFile().parent_path() / "Registration.txt").string();
    const bool ok = QZ_ORIS::PrevedXmlOris(poz, QZ_ORIS::RezimPrevod);
    Zobraz(ok ? "Zpracováno : " + poz.FN : poz.errorText);
}

void TfQZ_SI::UpdateComMenu() {
    for (int n = 1; n <= ComMenuItems; ++n) {
        const TSIPort* port = SI_Port::Porty[n].get();
        comActions_[n]->setVisible(port != nullptr && port->DisableCOM == 0);
    }
}

void TfQZ_SI::UpdatePrinterMenu(int n) {
    const std::vector<std::string> names = printers_.Names();
    for (int i = 0; i < printing::PocetTiskaren; ++i) {
        if (n >= 0 && n != i) {
            continue;
        }
        // A '&' in a printer's name is part of the name, not an access key.
        QString suffix = Q(printing::PrinterMenuSuffix(*IniNastaveni, names, i));
        suffix.replace("&", "&&");
        printerActions_[i]->setText(QString("Tiskárna &%1").arg(i) + suffix);
    }
}

void TfQZ_SI::Zobraz(const std::string& text) {
    labelInternet_->setText(Q(text));
    // Conversions run inside the timer tick: the label is drawn now, not after them.
    labelInternet_->repaint();
}

void TfQZ_SI::SetStatus(const std::string& text, bool shownAtOnce) {
    infoPrint_->setText(Q(text));
    if (shownAtOnce) {
        // The work that follows blocks the event loop.
        infoPrint_->repaint();
    }
}

void TfQZ_SI::ShowWarning(const std::string& text) {
    warning_->setText(Q(text));
    warning_->setToolTip(Q(text));
}

void TfQZ_SI::BringToFront() {
    ++raised_;
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TfQZ_SI::SetDisplayLabelsVisible(bool visible) {
    labelDisplayR1_->setVisible(visible);
    labelDisplayR2_->setVisible(visible);
}

void TfQZ_SI::SetDisplayLabels(const std::string& line1, const std::string& line2) {
    labelDisplayR1_->setText(Q(line1));
    labelDisplayR2_->setText(Q(line2));
}

std::string TfQZ_SI::DisplayLabel1() const {
    return labelDisplayR1_->text().toStdString();
}

std::string TfQZ_SI::DisplayLabel2() const {
    return labelDisplayR2_->text().toStdString();
}

std::string TfQZ_SI::StateText() const {
    std::string s;
    auto add = [&s](const char* key, const QString& value) {
        s += std::string(key) + "=" + value.toStdString() + "\n";
    };
    add("title", windowTitle());
    add("time", labelTime_->text());
    add("zavod", labelZavod_->text());
    add("nazev", labelNazevZavodu_->text());
    add("infoprint", infoPrint_->text());
    add("internet", labelInternet_->text());
    add("display1", labelDisplayR1_->isHidden() ? QString() : labelDisplayR1_->text());
    add("display2", labelDisplayR2_->isHidden() ? QString() : labelDisplayR2_->text());
    add("warning", warning_->text());
    add("raised", QString::number(raised_));
    add("minimized", isMinimized() ? "1" : "0");
    for (int n = 1; n < Ports; ++n) {
        if (panels_[n] && panels_[n]->PanelVisible()) {
            s += panels_[n]->StateText();
        }
    }
    return s;
}

void TfQZ_SI::Zaznamenej(const std::string& line) {
    std::cerr << "cardvane: " << line << '\n';
}
