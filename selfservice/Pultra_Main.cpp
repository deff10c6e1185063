#include "Pultra_Main.h"

#include "FormPosQt.h"
#include "SISam_Proc.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "fAdmin.h"
#include "fInfoForma.h"
#include "fKlavesnice.h"
#include "fNactiCip.h"
#include "fVyberBTN.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>
#include <filesystem>
#include <iostream>

using namespace Pultra;
using SI_Typ::LangText;
using SISam_Typ::Prihlaseni;

namespace {

constexpr int Porty = 19;
constexpr K_ColBtn::TColor BarvaZvyrazneni = 3407820; // red 204, green 255, blue 51

QString Q(const std::string& s) {
    QString t = QString::fromStdString(s);
    return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
}

// The flags of the two languages, drawn: no image files to lose.
QPixmap Vlajka(bool ceska) {
    QPixmap pm(48, 32);
    QPainter p(&pm);
    if (ceska) {
        p.fillRect(0, 0, 48, 16, Qt::white);
        p.fillRect(0, 16, 48, 16, QColor(215, 20, 26));
        const QPointF klin[] = {{0, 0}, {24, 16}, {0, 32}};
        p.setBrush(QColor(17, 69, 126));
        p.setPen(Qt::NoPen);
        p.drawPolygon(klin, 3);
    } else {
        p.fillRect(0, 0, 48, 32, QColor(1, 33, 105));
        p.setPen(QPen(Qt::white, 8));
        p.drawLine(0, 0, 48, 32);
        p.drawLine(48, 0, 0, 32);
        p.setPen(QPen(QColor(200, 16, 46), 3));
        p.drawLine(0, 0, 48, 32);
        p.drawLine(48, 0, 0, 32);
        p.fillRect(18, 0, 12, 32, Qt::white);
        p.fillRect(0, 10, 48, 12, Qt::white);
        p.fillRect(21, 0, 6, 32, QColor(200, 16, 46));
        p.fillRect(0, 13, 48, 6, QColor(200, 16, 46));
    }
    return pm;
}

} // namespace

TPultra_Main::TPultra_Main(QWidget* parent) : QWidget(parent) {
    setObjectName("Pultra_Main");
    setWindowTitle("Pultra");
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAutoFillBackground(true);

    auto label = [this](int pt, bool bold) {
        auto* l = new QLabel(this);
        QFont f = l->font();
        f.setPointSize(pt);
        f.setBold(bold);
        l->setFont(f);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    nazev_ = label(20, true);
    cas_ = label(20, true);
    cas_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cas_->installEventFilter(this);
    loginText_ = label(16, true);
    loginText_->setWordWrap(true);
    napoveda_ = label(14, true);
    napoveda_->setStyleSheet("color: #b00000");
    system_ = label(8, false);
    system_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    nadpis_ = label(16, true);
    pruh_ = new QProgressBar(this);
    pruh_->setRange(0, PrihlaseniLogic::TOdpocet::Max);
    pruh_->setTextVisible(false);

    const std::pair<int, void (TPultra_Main::*)()> hlavni[] = {
        {TagLogin, &TPultra_Main::LoginClick},
        {TagPrezentace, &TPultra_Main::PrezentaceClick},
        {TagStartovky, &TPultra_Main::StartovkyClick},
        {TagVysledky, &TPultra_Main::VysledkyClick},
        {TagStartODD, &TPultra_Main::StartODDClick},
        {TagAdmin, &TPultra_Main::AdminClick},
        {TagQuit, &TPultra_Main::QuitClick}};
    for (const auto& [tag, handler] : hlavni) {
        auto* b = new TKColButton(this);
        b->setObjectName(QString("btn%1").arg(tag));
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, h = handler] {
            (this->*h)();
            Hotovo();
        });
        buttons_[tag] = b;
    }
    for (int tag : PodTagy) {
        auto* b = new TKColButton(this);
        b->setObjectName(QString("btn%1").arg(tag));
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, tag] {
            SubClick(tag);
            Hotovo();
        });
        buttons_[tag] = b;
    }

    vlajky_ = std::make_unique<K_ColBtn::TImageList>(48, 32);
    vlajky_->Add(Vlajka(true));
    vlajky_->Add(Vlajka(false));
    for (int lang : {0, 1}) {
        auto* b = new TKColButton(this);
        b->SetImages(vlajky_.get());
        b->SetImagesIndex(std::to_string(lang));
        connect(b, &QPushButton::clicked, this, [this, lang] {
            Jazyk(lang);
            Hotovo();
        });
        // The focus highlight would look like a chosen language.
        b->setFocusPolicy(Qt::NoFocus);
        (lang == 0 ? vlajkaCZ_ : vlajkaEN_) = b;
    }

    grid_ = new QTableWidget(this);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setFocusPolicy(Qt::NoFocus);
    grid_->verticalHeader()->hide();
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setWordWrap(false);
    grid_->setTextElideMode(Qt::ElideRight);
    grid_->setStyleSheet("QTableWidget::item { padding-left: 5px; padding-right: 5px; }");
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->viewport()->installEventFilter(this);
    grid_->viewport()->setAttribute(Qt::WA_AcceptTouchEvents, false);

    posuv_ = new QWidget(this);
    const char* sipky[] = {"\u25B2\u25B2", "\u25B2", "\u25BC", "\u25BC\u25BC"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new TKColButton(posuv_);
        b->setText(sipky[i]);
        b->SetColor(K_ColBtn::clBtnFace);
        QFont f = b->font();
        f.setPointSize(16);
        b->setFont(f);
        connect(b, &QPushButton::clicked, this, [this, i] {
            Posun(i);
            Hotovo();
        });
        posuvTlacitka_[size_t(i)] = b;
    }

    btnSI_ = new QPushButton("SI", this);
    connect(btnSI_, &QPushButton::clicked, this, [this] {
        DetekceClick();
        Hotovo();
    });

    // Keys reach the form before the focused control: Alt+F10 works wherever the focus is.
    qApp->installEventFilter(this);

    FormCreate();
    infoForma_ = std::make_unique<TfInfoForma>(this);
    nactiCip_ = std::make_unique<TNactiCip>(this);
    admin_ = std::make_unique<TAdmin>(*SI_Typ::IniNastaveni, this);

    auto start = [this](QTimer& t, int ms, bool& busy, void (TPultra_Main::*fn)()) {
        t.setInterval(ms);
        connect(&t, &QTimer::timeout, this,
                [this, &busy, fn] { Guarded(busy, [this, fn] { (this->*fn)(); }); });
    };
    start(timerVstupniData_, TimerVstupniDataMs, busyData_, &TPultra_Main::TimerVstupniDataTimer);
    start(timerParamRavlin_, TimerParamRavlinMs, busyParam_, &TPultra_Main::TimerParamRavlinTimer);
    start(zobrazCas_, ZobrazCasMs, busyCas_, &TPultra_Main::ZobrazCasTimer);
    start(timerPrectiPorty_, TimerPrectiPortyMs, busyPorty_, &TPultra_Main::TimerPrectiPortyTimer);
    for (QTimer* t : {&timerVstupniData_, &timerParamRavlin_, &zobrazCas_, &timerPrectiPorty_}) {
        t->start();
    }
}

void TPultra_Main::SetVyber(TVyberBTN* vyber) {
    vyber_ = vyber;
    desk_.reset();
    dialogy_.reset();
    if (vyber_ == nullptr) {
        return;
    }
    dialogy_ = std::make_unique<TDialogyQt>(*vyber_, *infoForma_);
    Prezentace::TKontext k;
    k.dialogy = dialogy_.get();
    k.ResetOdpoctu = [this] { odpocet_.Reset(); };
    k.Dialog = [this](bool zobrazen) { Dialog(zobrazen); };
    k.Zaneprazdnen = [this](bool ano) { PozastavHledani(ano); };
    k.timeout = nast_.Timeout;
    desk_ = std::make_unique<Prezentace::TPrezentace>(std::move(k));
}

void TPultra_Main::PozastavHledani(bool pozastavit) {
    pozastaveniHledani_ = std::max(0, pozastaveniHledani_ + (pozastavit ? 1 : -1));
}

TPultra_Main::~TPultra_Main() {
    qApp->removeEventFilter(this);
    UvolniPorty();
}

void TPultra_Main::Guarded(bool& busy, const std::function<void()>& fn) {
    if (closed_) {
        return;
    }
    {
        const Tools::TJednou jednou(busy);
        if (!jednou) {
            return;
        }
        fn();
    }
    Hotovo();
}

void TPultra_Main::Hotovo() {
    if (tickHook_) {
        tickHook_();
    }
}

// ---------------------------------------------------------------------------------------------

void TPultra_Main::FormCreate() {
    std::error_code ec;
    std::filesystem::create_directories(SI_Typ::KioskDataPath(), ec);
    SI_Typ::IniNastaveni = std::make_unique<platform::IniFile>(Tools::IniFileName());
    platform::IniFile& ini = *SI_Typ::IniNastaveni;
    nast_ = NactiNastaveni(ini);
    SI_Typ::Language = static_cast<int16_t>(nast_.Language);
    SISam_Typ::Param.RavlinPath = nast_.RavlinPath;
    SISam_Typ::Param.Logovat = nast_.Logovat;

    Tools::FontSpec font;
    font.size = 16;
    Tools::LoadFont(ini, "FontInfoGrid", font);
    NastavFontGridu(font);
    FormPosQt::Load(ini, Sekce, *this);

    ZobrazGrid(false);
    PrihlaseniLogic::Prihlas(0, 0);
    NactiPopisky();
    NactiParamRavlin();
    ZpracujData();
    vybranyHlavni_ = 0;
    PrepocitejTlacitka();
    NastavPorty();
    Detekce();
}

void TPultra_Main::NastavFontGridu(const Tools::FontSpec& font) {
    QFont gf(QString::fromStdString(font.name), font.size);
    gf.setBold(font.bold);
    gf.setItalic(font.italic);
    grid_->setFont(gf);
    grid_->verticalHeader()->setDefaultSectionSize(font.size * 2);
    velikostFontu_ = font.size;
}

void TPultra_Main::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Activation: the language, then the whole screen from 0,0.
    NactiPopisky();
    if (const QScreen* s = screen()) {
        setGeometry(s->geometry());
    }
}

void TPultra_Main::closeEvent(QCloseEvent* event) {
    if (!closed_ && !bezHesla_ && Prihlaseni.Uroven < SISam_Typ::UrovenAdmin && !ZadejHeslo()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        FormClose();
    }
    event->accept();
}

void TPultra_Main::FormClose() {
    closed_ = true;
    for (QTimer* t : {&timerVstupniData_, &timerParamRavlin_, &zobrazCas_, &timerPrectiPorty_}) {
        t->stop();
    }
    if (SI_Typ::IniNastaveni) {
        FormPosQt::Save(*SI_Typ::IniNastaveni, Sekce, *this);
    }
    // The kiosk stores no port settings.
    UvolniPorty();
    SI_Typ::IniNastaveni.reset();
}

// ---------------------------------------------------------------------------------------------
// Race file, exchange files, ports

void TPultra_Main::NactiParamRavlin() {
    const TCteniInf::Vysledek v = inf_.Nacti(SISam_Typ::Param.RavlinPath);
    if (inf_.NovyZavod()) {
        NovyZavodFormy();
        ZpracujData();
    }
    if (v != TCteniInf::Vysledek::Nic) {
        infNacten_ = infNacten_ || inf_.Nacteno();
    }
    if (v == TCteniInf::Vysledek::Prevzato) {
        PrepocitejTlacitka();
    }
    PrekresliTexty();
}

void TPultra_Main::NovyZavodFormy() {
    // Nothing of the old race may reach the new one: tables, stamps and the login go.
    if (Prihlaseni.Uroven > SISam_Typ::UrovenOdhlasen) {
        SISam_Proc::Protokol(SISam_Proc::LogPrihlaseni, "Log OUT");
    }
    Pultra::NovyZavod();
    ZobrazGrid(false);
    rezim_ = 0;
    klic_.clear();
    nahledId_ = -1;
    vybranyHlavni_ = vybranyPod_ = 0;
    PrepocitejTlacitka();
}

void TPultra_Main::ZpracujData() {
    std::string chyba;
    const int32_t dobehlo = SISam_Proc::PocetDobehlych;
    SISam_Proc::ZpracujVstupniSoubory("*.csv", "", chyba);
    if (dobehlo != SISam_Proc::PocetDobehlych) {
        // The results button follows the data: the first finisher brings it.
        PrepocitejTlacitka();
    }
    PoNacteni();
    PrekresliTexty();
}

void TPultra_Main::PoNacteni() {
    if (verzeDat_ != SISam_Proc::VerzeDat) {
        ObnovSeznam();
    }
}

void TPultra_Main::ObnovSeznam() {
    verzeDat_ = SISam_Proc::VerzeDat;
    if (rezim_ == 0) {
        return;
    }
    // The same view on the new data: its highlighted runner and the rows scrolled to stay.
    const int horni = HorniRadek();
    ZobrazInfo(klic_);
    NastavHorni(horni);
}

void TPultra_Main::NastavPorty() {
    // Lines are exclusive: the old ports close before the new ones open.
    UvolniPorty();
    portText_ = ComBezPortu(nast_.Com);
    platform::IniFile& ini = *SI_Typ::IniNastaveni;
    for (int n : PortyProCom(nast_.Com)) {
        panels_[n] = std::make_unique<TPortPanel>(n, this);
        FormPosQt::Load(ini, "fCOM" + std::to_string(n), *panels_[n]->InfoWindow());
        SI_Port::Porty[n] = TSIPort::Create(n, false, panels_[n].get());
        SI_Port::Porty[n]->LoadSettings(TSIPort::VariantSelfService);
    }
    SI_Port::StatusLine = [this](const std::string& text) {
        system_->setText(Q(text));
        system_->repaint();
    };
}

void TPultra_Main::UvolniPorty() {
    for (auto& port : SI_Port::Porty) {
        port.reset();
    }
    for (auto& panel : panels_) {
        panel.reset();
    }
    SI_Port::StatusLine = nullptr;
}

void TPultra_Main::Detekce() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SI_Port::LayoutOff = true;
    for (int n = 1; n < Porty; ++n) {
        TSIPort* p = SI_Port::Porty[n].get();
        if (p == nullptr) {
            continue;
        }
        system_->setText(Q(Pultra::DetekceText(n)));
        system_->repaint();
        Tools::WaitMs(100);
        p->Detect();
    }
    SI_Port::LayoutOff = false;
    // A port the administrator named that gives no station says why.
    if (nast_.Com >= 1 && nast_.Com < Porty) {
        const TSIPort* p = SI_Port::Porty[nast_.Com].get();
        if (p != nullptr && !p->port) {
            portText_ = "COM " + std::to_string(nast_.Com) + ": " +
                        (p->openError.empty()
                             ? LangText("žádná SI jednotka neodpovídá", "no SI station answers")
                             : LangText("nelze otevřít ", "cannot be opened: ") + p->openError);
        } else {
            portText_.clear();
        }
    }
    RozmistiPorty();
    QApplication::restoreOverrideCursor();
    PrekresliTexty();
}

void TPultra_Main::RozmistiPorty() {
    int top = height() - 150;
    for (int n = 1; n < Porty; ++n) {
        TSIPort* p = SI_Port::Porty[n].get();
        if (p != nullptr && p->port && p->Rezim != 0) {
            p->panelTop = top;
            top -= 210;
        }
    }
    SI_Port::LayoutPorts();
}

void TPultra_Main::DetekceClick() {
    odpocet_.Reset();
    Detekce();
}

void TPultra_Main::PoNastaveniAdmin() {
    platform::IniFile& ini = *SI_Typ::IniNastaveni;
    nast_ = NactiNastaveni(ini);
    const bool jinaSlozka = nast_.RavlinPath != SISam_Typ::Param.RavlinPath;
    SISam_Typ::Param.RavlinPath = nast_.RavlinPath;
    SISam_Typ::Param.Logovat = nast_.Logovat;
    if (jinaSlozka) {
        // Another results folder: the old race's entries must never reach it, whatever its
        // Pultra.inf says (or while it has none).
        NovyZavodFormy();
    }
    if (desk_) {
        desk_->NastavTimeout(nast_.Timeout);
    }
    NastavPorty();
    Detekce();
    NactiParamRavlin();
    ZpracujData();
}

// ---------------------------------------------------------------------------------------------
// Timers

void TPultra_Main::TimerVstupniDataTimer() {
    ZpracujData();
    if (desk_) {
        desk_->ZpracujPozdniOdpovedi();
        PoNacteni();
    }
}

void TPultra_Main::TimerParamRavlinTimer() {
    NactiParamRavlin();
}

void TPultra_Main::ZobrazCasTimer() {
    cas_->setText(Q(CasText()));
    // In the first seconds a Pultra.inf or an export still being written at start is taken
    // as soon as it stands still, not only at the next 10 or 20 s.
    if (prvniSekundy_ > 0) {
        --prvniSekundy_;
        if (!infNacten_) {
            NactiParamRavlin();
        }
        if (!SISam_Proc::CasZavodniku) {
            ZpracujData();
        }
    }
    const PrihlaseniLogic::TZobrazeni z = odpocet_.Tick(platform::GetClock().Now().second);
    loginText_->setVisible(ViditelneLogin() && z.textViditelny);
    napoveda_->setVisible(z.hintViditelny);
    pruh_->setVisible(z.barViditelny);
    pruh_->setValue(z.bar);
    if (z.odhlasit) {
        LoginClick();
    }
}

void TPultra_Main::TimerPrectiPortyTimer() {
    for (int n = 1; n < Porty; ++n) {
        if (SI_Port::Porty[n]) {
            SI_Port::Porty[n]->Poll();
        }
    }
    if (HledaniPozastaveno()) {
        return;
    }
    const std::optional<int32_t> cip = SISam_Proc::PrectiCip();
    if (!cip) {
        return;
    }
    if (const std::optional<TNahled> n = Nahled(*cip)) {
        UkazNahled(n->id, n->rezim, n->kategorie);
    }
}

void TPultra_Main::UkazNahled(int32_t id, int rezim, const std::string& kategorie) {
    nahledId_ = id;
    vybranyHlavni_ = 0;
    NastavGrid(rezim);
    ZobrazInfo(kategorie);
    ZobrazGrid(true);
    if (zvyrazneny_ > 0) {
        NastavHorni(HorniProZvyrazneny(zvyrazneny_));
    }
    PrepocitejTlacitka();
}

// ---------------------------------------------------------------------------------------------
// Texts and buttons

void TPultra_Main::NactiPopisky() {
    for (auto& [tag, b] : buttons_) {
        b->setText(Q(Popisek(tag)));
    }
    napoveda_->setText(Q(NapovedaOdhlaseni()));
    if (rezim_ != 0) {
        NastavGrid(rezim_);
        ObnovSeznam();
    }
    PrekresliTexty();
}

void TPultra_Main::UmistiLoginText() {
    // Left of the scroll panel, wrapped when the screen is narrow.
    const int maxW = std::max(50, width() - width() * 6 / 11 - 30 - 80);
    const int w = std::min(loginText_->sizeHint().width(), maxW);
    loginText_->setGeometry(30, 50, w, loginText_->heightForWidth(w));
}

bool TPultra_Main::ViditelneLogin() const {
    return SISam_Typ::ViditelneTagy.test(TagLogin);
}

void TPultra_Main::PrekresliTexty() {
    nazev_->setText(Q(Inf.Nazev));
    loginText_->setText(Q(PrihlaseniLogic::TextPrihlaseni(Inf.DruhZav)));
    UmistiLoginText();
    buttons_[TagLogin]->setText(Q(PrihlaseniLogic::TextTlacitka()));
    std::string s;
    const std::string* casti[] = {&inf_.InfoText(), &inf_.ZmenaText(),    &inf_.ChybaText(),
                                  &portText_,       &SISam_Proc::StavDat, &tahText_};
    for (const std::string* t : casti) {
        if (!t->empty()) {
            s += (s.empty() ? "" : "\n") + *t;
        }
    }
    system_->setText(Q(s));
}

void TPultra_Main::PrepocitejTlacitka() {
    const std::bitset<32> sada = SadaTlacitek();
    SISam_Typ::ViditelneTagy = sada;
    loginText_->setVisible(sada.test(TagLogin));
    UmistiLoginText();
    const TRozlozeni r =
        Rozloz(nast_, sada, vybranyHlavni_, loginText_->height(), napoveda_->sizeHint().height());
    for (auto& [tag, b] : buttons_) {
        b->hide();
    }
    for (const auto& [tag, o] : r.tlacitka) {
        TKColButton* b = buttons_[tag];
        b->setGeometry(o.x, o.y, o.w, o.h);
        QFont f = b->font();
        f.setPointSize(tag < 10 ? nast_.Btn0Font : nast_.Btn1Font);
        f.setBold(true);
        // The captions were measured in Arial; a wider font is made smaller until they fit.
        const QString text = b->text();
        while (f.pointSize() > 8 &&
               QFontMetrics(f).boundingRect(QRect(), 0, text).width() > o.w - 10) {
            f.setPointSize(f.pointSize() - 1);
        }
        b->setFont(f);
        const bool vybrany = tag == vybranyHlavni_ || tag == vybranyPod_;
        const K_ColBtn::TColor c = vybrany ? K_ColBtn::clLime : K_ColBtn::clBtnFace;
        b->SetColor(c);
        b->SetColorOnFocus(c);
        b->show();
    }
    // The arrow keys walk the stacked buttons; Right enters the sub-buttons, Left leaves them.
    buttons_[TagPrezentace]->setEnabled(PrezentacePovolena());
    std::vector<TKColButton*> hlavni;
    std::vector<TKColButton*> pod;
    for (const auto& [tag, o] : r.tlacitka) {
        if (buttons_[tag]->isEnabled()) {
            (tag < 10 ? hlavni : pod).push_back(buttons_[tag]);
        }
    }
    for (std::vector<TKColButton*>* sloupec : {&hlavni, &pod}) {
        for (size_t i = 0; i < sloupec->size(); ++i) {
            K_ColBtn::TFocusControl& f = (*sloupec)[i]->FocusControl();
            f.Up = i > 0 ? (*sloupec)[i - 1] : nullptr;
            f.Down = i + 1 < sloupec->size() ? (*sloupec)[i + 1] : nullptr;
            f.Right = sloupec == &hlavni && !pod.empty() ? pod.front() : nullptr;
            f.Left = sloupec == &pod && vybranyHlavni_ > 0 ? buttons_[vybranyHlavni_] : nullptr;
        }
    }
    napoveda_->adjustSize();
    napoveda_->move(30, r.napovedaY);
    pruh_->setGeometry(30, r.napovedaY + napoveda_->height() + 10,
                       std::max(10, grid_->x() - 30 - 80), 20);
    const bool prihlasen = PrezentacePovolena();
    napoveda_->setVisible(prihlasen);
    pruh_->setVisible(prihlasen);
}

void TPultra_Main::VyberHlavni(int tag) {
    vybranyHlavni_ = tag;
    vybranyPod_ = 0;
    PrepocitejTlacitka();
}

void TPultra_Main::Jazyk(int language) {
    SI_Typ::Language = static_cast<int16_t>(language);
    nast_.Language = language;
    if (SI_Typ::IniNastaveni) {
        SI_Typ::IniNastaveni->WriteInteger(Sekce, "Language", language);
    }
    NactiPopisky();
    PrepocitejTlacitka();
}

// ---------------------------------------------------------------------------------------------
// Buttons

void TPultra_Main::LoginClick() {
    odpocet_.Reset();
    if (Prihlaseni.Uroven <= SISam_Typ::UrovenOdhlasen) {
        ZobrazGrid(false);
        VyberHlavni(TagLogin);
        const int32_t cip = fnNactiCip(
            *nactiCip_,
            LangText("Vlož do SI jednotky svůj čip", "Insert your SI card into SI reader"), 10,
            [this](bool pozastavit) { PozastavHledani(pozastavit); });
        vybranyHlavni_ = 0;
        if (closed_) {
            return;
        }
        Prihlas(cip);
    } else {
        napoveda_->hide();
        pruh_->hide();
        vybranyHlavni_ = 0;
        PrihlaseniLogic::Odhlas();
        Prihlas(0);
    }
}

void TPultra_Main::Prihlas(int32_t cip) {
    nahledId_ = -1;
    if (PrihlaseniLogic::Prihlas(cip, Inf.SIAdmin)) {
        if (const std::optional<TNahled> n = Nahled(Prihlaseni.SI)) {
            UkazNahled(n->id, n->rezim, n->kategorie);
        }
    }
    PrekresliTexty();
    PrepocitejTlacitka();
}

void TPultra_Main::PrezentaceClick() {
    odpocet_.Reset();
    ZobrazGrid(false);
    VyberHlavni(TagPrezentace);
    // An administrator who cancels the club choice does not enter the desk.
    if (desk_ && !desk_->Vstup()) {
        VyberHlavni(0);
    }
}

void TPultra_Main::SubClick(int tag) {
    odpocet_.Reset();
    vybranyPod_ = tag;
    PrepocitejTlacitka();
    ZobrazGrid(false);
    if (desk_) {
        // The own-or-other chooser appears beside the pressed button.
        const QRect g = buttons_[tag]->geometry();
        const QPoint vpravo = mapToGlobal(QPoint(g.right(), g.top()));
        switch (tag) {
        case TagZamenaCasu:
            desk_->ProhoditStart(vpravo.x(), vpravo.y());
            break;
        case TagZmenaCasu:
            desk_->ZmenitStart(vpravo.x(), vpravo.y());
            break;
        case TagOdhlaseni:
            desk_->Odhlasit();
            break;
        case TagZmenaCipu:
            desk_->ZmenitCip();
            break;
        default:
            break;
        }
    }
    if (closed_) {
        return;
    }
    vybranyPod_ = 0;
    // The refreshes and answers of the flow changed the table.
    ObnovSeznam();
    PrekresliTexty();
    PrepocitejTlacitka();
}

void TPultra_Main::StartovkyClick() {
    odpocet_.Reset();
    VyberHlavni(TagStartovky);
    ZobrazGrid(false);
    const std::string k = VyberKategorii(RezimStartovka);
    if (k.empty()) {
        VyberHlavni(0);
        return;
    }
    nahledId_ = -1;
    NastavGrid(RezimStartovka);
    ZobrazInfo(k);
    if (SISam_Typ::SeznamInfoGrid.empty()) {
        ZobrazInfoFormu(LangText("V kategorii " + k + " není ani jeden závodník",
                                 "There is no runner in " + k + " category"),
                        "", false, 2);
        return;
    }
    ZobrazGrid(true);
}

void TPultra_Main::VysledkyClick() {
    odpocet_.Reset();
    VyberHlavni(TagVysledky);
    ZobrazGrid(false);
    const std::string k = VyberKategorii(RezimVysledky);
    if (k.empty()) {
        VyberHlavni(0);
        return;
    }
    nahledId_ = -1;
    NastavGrid(RezimVysledky);
    ZobrazInfo(k);
    if (SISam_Typ::SeznamInfoGrid.empty()) {
        ZobrazInfoFormu(LangText("V kategorii " + k + " ještě nikdo nedoběhl",
                                 "No runner was not finished in category`" + k),
                        "", false, 2);
        return;
    }
    ZobrazGrid(true);
}

void TPultra_Main::StartODDClick() {
    odpocet_.Reset();
    VyberHlavni(TagStartODD);
    ZobrazGrid(false);
    const std::string k = VyberOddil();
    if (k.empty()) {
        VyberHlavni(0);
        return;
    }
    nahledId_ = -1;
    NastavGrid(RezimKlub);
    ZobrazInfo(k);
    ZobrazGrid(!SISam_Typ::SeznamInfoGrid.empty());
}

void TPultra_Main::AdminClick() {
    odpocet_.Reset();
    ZobrazFormuAdmin(
        *admin_, [this](bool zobrazen) { Dialog(zobrazen); },
        [this](const TAdmin& a) {
            if (a.NovyFont()) {
                NastavFontGridu(*a.NovyFont());
            }
            PoNastaveniAdmin();
        });
}

void TPultra_Main::QuitClick() {
    close();
}

bool TPultra_Main::ZadejHeslo() {
    std::string heslo;
    Dialog(true);
    const bool ok = SISam_Proc::ZobrazKlavesnici(heslo, LangText("Zadej heslo", "Enter password"),
                                                 10, true, true, false);
    Dialog(false);
    return ok && heslo == Heslo;
}

void TPultra_Main::CasClick() {
    if (Prihlaseni.Uroven >= SISam_Typ::UrovenAdmin) {
        return;
    }
    if (ZadejHeslo()) {
        Prihlaseni.Uroven = SISam_Typ::UrovenAdmin;
        odpocet_.Reset();
        PrekresliTexty();
        PrepocitejTlacitka();
    }
}

void TPultra_Main::AltF10() {
    if (Prihlaseni.Uroven < SISam_Typ::UrovenAdmin && !ZadejHeslo()) {
        return;
    }
    AdminClick();
}

int TPultra_Main::ZobrazInfoFormu(const std::string& line1, const std::string& line2, bool no,
                                  int seconds) {
    return desk_ ? desk_->ZobrazInfoFormu(line1, line2, no, seconds) : 0;
}

// ---------------------------------------------------------------------------------------------
// Grid

void TPultra_Main::NastavGrid(int rezim) {
    rezim_ = rezim;
    const std::vector<TSloupec> s = Sloupce(rezim);
    grid_->setColumnCount(static_cast<int>(s.size()));
    QStringList nadpisy;
    for (const TSloupec& c : s) {
        nadpisy << Q(c.nadpis);
    }
    grid_->setHorizontalHeaderLabels(nadpisy);
    const std::vector<int> w = SirkySloupcu(rezim, grid_->width());
    for (size_t i = 0; i < w.size(); ++i) {
        grid_->setColumnWidth(static_cast<int>(i), w[i]);
        grid_->setColumnHidden(static_cast<int>(i), w[i] == 0);
    }
}

void TPultra_Main::ZobrazInfo(const std::string& klic) {
    klic_ = klic;
    verzeDat_ = SISam_Proc::VerzeDat;
    nadpis_->setText(Q(Nadpis(rezim_, klic)));
    SeznamProGrid(rezim_, klic);
    const std::vector<std::vector<std::string>> rows = Bunky(rezim_);
    const std::vector<TSloupec> s = Sloupce(rezim_);
    const QFont gf = grid_->font();
    if (gf.pointSize() != velikostFontu_) {
        velikostFontu_ = gf.pointSize();
        grid_->verticalHeader()->setDefaultSectionSize(velikostFontu_ * 2);
    }
    grid_->clearContents();
    // An empty row always closes the list.
    grid_->setRowCount(static_cast<int>(rows.size()) + 1);
    zvyrazneny_ = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        const int32_t id = SISam_Typ::SeznamInfoGrid[r].Zavodnik.ID;
        if ((Prihlaseni.ID > 0 && id == Prihlaseni.ID) || id == nahledId_) {
            zvyrazneny_ = static_cast<int>(r) + 1;
        }
    }
    const QColor zvyr = K_ColBtn::ToQColor(BarvaZvyrazneni, palette());
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size() && c < s.size(); ++c) {
            auto* item = new QTableWidgetItem(Q(rows[r][c]));
            item->setTextAlignment((s[c].vpravo ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
            if (static_cast<int>(r) + 1 == zvyrazneny_) {
                item->setBackground(zvyr);
            }
            if (rezim_ == RezimKlub && c == 5 && rows[r][c] == "0") {
                item->setForeground(Qt::red);
            }
            grid_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    NastavHorni(1);
}

void TPultra_Main::ZobrazGrid(bool visible) {
    grid_->setVisible(visible);
    nadpis_->setVisible(visible);
    posuv_->setVisible(visible);
}

std::string TPultra_Main::VyberKategorii(int rezim) {
    if (vyber_ == nullptr) {
        return {};
    }
    vyber_->Inicializuj(LangText("Vyber kategorii", "Select a category"), "", 20);
    for (const TPolozka& p : PolozkyKategorii(rezim)) {
        if (p.novyRadek) {
            vyber_->NovyRadek();
            vyber_->Mezera(0);
        }
        vyber_->PridejPolozku(p.klic, p.klic, K_ColBtn::clWindow, p.predvybrana);
    }
    Dialog(true);
    const bool ok = vyber_->exec() == QDialog::Accepted;
    Dialog(false);
    // A closing signal may have closed the form meanwhile.
    return ok && !closed_ ? vyber_->Vysledek() : std::string();
}

std::string TPultra_Main::VyberOddil() {
    if (vyber_ == nullptr) {
        return {};
    }
    vyber_->Inicializuj(LangText("Vyber klub", "Select club"), "", 20);
    for (const TPolozka& p : PolozkyOddilu()) {
        vyber_->PridejPolozku(p.klic, p.klic, K_ColBtn::clWindow, p.predvybrana);
    }
    Dialog(true);
    const bool ok = vyber_->exec() == QDialog::Accepted;
    Dialog(false);
    // A closing signal may have closed the form meanwhile.
    return ok && !closed_ ? vyber_->Vysledek() : std::string();
}

int TPultra_Main::StrankaGridu() const {
    // The grid's client area holds the heading row and the rows below it.
    const int radek = grid_->horizontalHeader()->height();
    return Stranka(grid_->viewport()->height() + radek, radek);
}

int TPultra_Main::HorniRadek() const {
    return grid_->verticalScrollBar()->value() + 1;
}

void TPultra_Main::NastavHorni(int radek) {
    grid_->verticalScrollBar()->setValue(std::max(0, radek - 1));
}

void TPultra_Main::Posun(int kam) {
    odpocet_.Reset();
    const int pocet = grid_->rowCount() + 1; // with the heading row
    const int stranka = StrankaGridu();
    switch (kam) {
    case 0:
        NastavHorni(1);
        break;
    case 1:
        NastavHorni(StrankaNahoru(HorniRadek(), stranka));
        break;
    case 2:
        NastavHorni(StrankaDolu(HorniRadek(), stranka, pocet));
        break;
    default:
        NastavHorni(Posledni(pocet, stranka));
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Layout and events

void TPultra_Main::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TPultra_Main::FormResize() {
    const int w = width();
    const int h = height();
    nazev_->setGeometry(30, 5, std::max(10, w - 30 - 330), 40);
    cas_->setGeometry(w - 10 - 160, 5, 160, 40);
    vlajkaCZ_->setGeometry(w - 10 - 160 - 130, 5, 60, 40);
    vlajkaEN_->setGeometry(w - 10 - 160 - 65, 5, 60, 40);
    UmistiLoginText();
    const int gw = w * 6 / 11;
    const int gx = w - gw;
    const int top = nazev_->geometry().bottom() + 5;
    nadpis_->setGeometry(gx, top, gw, 34);
    grid_->setGeometry(gx, top + 34, gw, std::max(40, h - 30 - (top + 34)));
    grid_->horizontalHeader()->setFixedHeight(grid_->verticalHeader()->defaultSectionSize());
    posuv_->setGeometry(gx - 75, top + 34, 70, std::max(40, h - 30 - (top + 34)));
    const int bh = std::max(20, std::min(90, posuv_->height() / 4 - 10));
    for (int i = 0; i < 4; ++i) {
        posuvTlacitka_[size_t(i)]->setGeometry(0, i * (bh + 10), 70, bh);
    }
    system_->setGeometry(30, h - 60, std::max(10, gx - 30 - 80), 58);
    btnSI_->setGeometry(10, h - 101, 40, 20);
    if (rezim_ != 0) {
        NastavGrid(rezim_);
    }
    PrepocitejTlacitka();
    RozmistiPorty();
}

bool TPultra_Main::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !closed_) {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_F10 && (k->modifiers() & Qt::AltModifier) &&
            QApplication::activeModalWidget() == nullptr && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == this) {
            AltF10();
            Hotovo();
            return true;
        }
    }
    if (watched == cas_ && event->type() == QEvent::MouseButtonPress) {
        CasClick();
        Hotovo();
        return true;
    }
    if (watched == grid_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            tah_.Stisk(static_cast<QMouseEvent*>(event)->position().toPoint().y());
        } else if (event->type() == QEvent::MouseMove) {
            const QPoint pt = static_cast<QMouseEvent*>(event)->position().toPoint();
            const int krok = tah_.Pohyb(pt.y());
            tahText_ = std::to_string(pt.x()) + " " + std::to_string(pt.y()) + " " +
                       std::to_string(tah_.Rozdil()) + " ";
            if (krok != 0) {
                odpocet_.Reset();
                const int pocet = grid_->rowCount() + 1;
                NastavHorni(std::clamp(HorniRadek() + krok, 1, Posledni(pocet, StrankaGridu())));
            }
            PrekresliTexty();
            Hotovo();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::string TPultra_Main::StateText() const {
    std::string s;
    auto add = [&s](const std::string& key, const QString& value) {
        QString v = value;
        v.replace('\n', "\\n");
        s += key + "=" + v.toStdString() + "\n";
    };
    add("title", windowTitle());
    add("nazev", nazev_->text());
    add("cas", cas_->text());
    add("system", system_->text());
    add("login", loginText_->text());
    std::string tl;
    for (const auto& [tag, b] : buttons_) {
        if (!b->isHidden()) {
            tl += (tl.empty() ? "" : ",") + std::to_string(tag);
        }
    }
    add("tlacitka", QString::fromStdString(tl));
    add("vybrany", QString::number(vybranyHlavni_));
    add("uroven", QString::number(Prihlaseni.Uroven));
    add("grid", grid_->isHidden() ? "0" : "1");
    add("rezim", QString::number(rezim_));
    add("nadpis", nadpis_->text());
    add("radky", QString::number(SISam_Typ::SeznamInfoGrid.size()));
    add("zvyrazneny", QString::number(zvyrazneny_));
    add("horni", QString::number(HorniRadek()));
    if (zvyrazneny_ > 0) {
        QStringList cells;
        for (int c = 0; c < grid_->columnCount(); ++c) {
            const QTableWidgetItem* it = grid_->item(zvyrazneny_ - 1, c);
            cells << (it != nullptr ? it->text().trimmed() : QString());
        }
        add("zvyraznenyRadek", cells.join('|'));
    }
    add("zavod", QString::number(SI_Typ::Zavod));
    add("zavodniku", QString::number(SISam_Proc::MaxID));
    for (int n = 1; n < Porty; ++n) {
        if (panels_[n] && panels_[n]->PanelVisible()) {
            s += panels_[n]->StateText();
        }
    }
    return s;
}
