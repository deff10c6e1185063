#include "fQZ_Mez.h"

#include "AboutBox.h"
#include "KomentPozice.h"
#include "KomentTools.h"
#include "PlochaHlavicka.h"
#include "RavlinParametry.h"
#include "SI_FontForm.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "fDefTabule.h"
#include "fDefTiskKom.h"
#include "fKateg.h"
#include "fMNastav.h"
#include "fMenuKateg.h"
#include "fMezicasy.h"
#include "fRavlin.h"
#include "fZobrKat.h"
#include "fZobrazeni.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QScreen>
#include <QTableView>

#include <filesystem>
#include <sstream>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The application's hints show 100 ms after the pointer stops, not after the style's 700.
class THintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) {
            return kHintMs;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    static constexpr int kHintMs = 100;
};

QColor ZBarvy(uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace

// --- The grid's model ------------------------------------------------------------------------

TInfoAllModel::TInfoAllModel(InfoAll::TInfoAll& data, QObject* parent)
    : QAbstractTableModel(parent), data_(data) {
    data_.Napoj(this);
}

int TInfoAllModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : data_.PocetRadku() - 1;
}

int TInfoAllModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : InfoAll::kSloupcu;
}

QVariant TInfoAllModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const int r = index.row() + 1;
    if (role == Qt::DisplayRole) {
        return Q(data_.Radek(r)[static_cast<size_t>(index.column())]);
    }
    if (role == Qt::BackgroundRole) {
        const auto barva = data_.Barva(r, Koment::Nastaveni.Barvy);
        return barva ? ZBarvy(*barva) : QColor(Qt::white);
    }
    return {};
}

QVariant TInfoAllModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < InfoAll::kSloupcu) {
        return Q(data_.Radek(0)[static_cast<size_t>(section)]);
    }
    return {};
}

void TInfoAllModel::PredVlozenim() {
    beginInsertRows({}, 0, 0);
}
void TInfoAllModel::PoVlozeni() {
    endInsertRows();
}
void TInfoAllModel::PredOdebranim(int radek) {
    beginRemoveRows({}, radek - 1, radek - 1);
}
void TInfoAllModel::PoOdebrani() {
    endRemoveRows();
}
void TInfoAllModel::PredVymazanim() {
    beginResetModel();
}
void TInfoAllModel::PoVymazani() {
    endResetModel();
}
void TInfoAllModel::Zmeneno(int prvni, int posledni) {
    emit dataChanged(index(prvni - 1, 0), index(posledni - 1, InfoAll::kSloupcu - 1));
}

// --- The form ----------------------------------------------------------------------------

TfQZ_Mez::TfQZ_Mez(TVolby volby, QWidget* parent) : QMainWindow(parent), volby_(std::move(volby)) {
    setObjectName("fQZ_Mez");
    auto* central = new QWidget(this);
    setCentralWidget(central);
    const auto label = [central](const char* name, bool red) {
        auto* l = new QLabel(central);
        l->setObjectName(name);
        // The status lines are 14 pixels apart and the race label has 100 pixels.
        QFont f = l->font();
        f.setPointSize(8);
        l->setFont(f);
        if (red) {
            l->setStyleSheet("color: red; font-weight: bold;");
        }
        return l;
    };
    MyInfo = label("MyInfo", true);
    MyInfo2 = label("MyInfo2", false);
    InfoPrint = label("InfoPrint", false);
    ErrorInfo = label("ErrorInfo", true);
    LabelTime = label("LabelTime", false);
    LabelZavod = label("LabelZavod", false);
    InfoVCili = label("InfoVCili", false);

    grid_ = new QTableView(central);
    grid_->setObjectName("InfoAll");
    // Light grey, row 0 of the grid.
    grid_->setHorizontalHeader(new TPlochaHlavicka(QColor(204, 204, 204), grid_));
    model_ = new TInfoAllModel(infoAll_, grid_);
    grid_->setModel(model_);
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->viewport()->installEventFilter(this);

    const struct {
        const char* name;
        int ms; // TimerNacitani's comes from the settings
        void (TfQZ_Mez::*handler)();
    } casovace[] = {
        {"Timer1", 200, &TfQZ_Mez::Timer1Timer},
        {"Timer_Kresli", 1000, &TfQZ_Mez::Timer_KresliTimer},
        {"TimerNacitani", 0, &TfQZ_Mez::TimerNacitaniTimer},
        {"TimerDivak", 4000, &TfQZ_Mez::TimerDivakTimer},
        {"TimerPrinter", 1000, &TfQZ_Mez::TimerPrinterTimer},
        {"TimerInfoRavlin", 20000, &TfQZ_Mez::TimerInfoRavlinTimer},
    };
    for (const auto& c : casovace) {
        auto* t = new QTimer(this);
        t->setObjectName(c.name);
        t->setInterval(c.ms);
        // A handler may run a modal loop (a message box): the close waits for it.
        connect(t, &QTimer::timeout, this,
                [this, h = c.handler] { nested_.Run([&] { (this->*h)(); }); });
        casovace_[c.name] = t;
    }

    about_ = new TAboutBox(1, this);
    oknaKateg_ = std::make_unique<KategOkna::TOknaKateg>(komentator_.Zavod());
    if (volby_.Okna == nullptr) {
        volby_.Okna = this;
    }
    komentator_.Napoj(this, this, oknaKateg_.get());
    FormCreate();
    if (volby_.SpustitCasovace) {
        for (auto& [name, t] : casovace_) {
            const bool off = (name == "TimerNacitani" &&
                              KomentHlavni::IntervalNacitaniMs(Koment::Nastaveni) == 0) ||
                             t->interval() == 0;
            if (!off) {
                t->start();
            }
        }
    }
}

TfQZ_Mez::~TfQZ_Mez() {
    FormClose();
}

QTimer& TfQZ_Mez::Casovac(const std::string& jmeno) {
    return *casovace_.at(jmeno);
}

QAction* TfQZ_Mez::Polozka(const std::string& jmeno) const {
    const auto it = polozky_.find(jmeno);
    return it == polozky_.end() ? nullptr : it->second;
}

void TfQZ_Mez::FormCreate() {
    std::error_code ec;
    std::filesystem::create_directories(SI_Typ::DataKomPath(), ec);
    SI_Typ::IniNastaveni =
        std::make_unique<platform::IniFile>(platform::CurrentDir() / "Hlasvel.ini");
    platform::IniFile& ini = *SI_Typ::IniNastaveni;
    if (QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay) != THintStyle::kHintMs) {
        QApplication::setStyle(new THintStyle);
    }

    KomentHlavni::NactiNastaveni(ini);
    // The switches decide what the first competitor load keeps, so they come before it.
    KomentHlavni::NactiZobrazeni(ini, Koment::Nastaveni);
    Koment::NactiInfoTab(ini, Koment::Nastaveni);
    VytvorDialogy();
    VytvorMenu();
    KomentHlavni::VytvorSlozkuZavodu();
    kategIni_ = std::make_unique<platform::IniFile>(Koment::KategIniFileName());
    oknaKateg_->NastavKategIni(kategIni_.get());

    const int nacitani = KomentHlavni::IntervalNacitaniMs(Koment::Nastaveni);
    if (nacitani > 0) {
        casovace_["TimerNacitani"]->setInterval(nacitani);
    }

    komentator_.ReadSettings(ini);
    Koment::Nastaveni.AlgeCilZapnut =
        komentator_.Zdroje()[5].Enabled || komentator_.Zdroje()[6].Enabled;

    // The category windows and their dialogs; the display settings window reads its switches
    // as it is made.
    tovarnaOken_ = std::make_unique<TTovarnaOken>(*oknaKateg_, &ini);
    oknaKateg_->NastavTovarnu(tovarnaOken_.get());
    fKateg_ = new TfKateg(komentator_.Zavod(), *oknaKateg_, this);
    fZobrKat_ = new TfZobrKat(komentator_.Zavod(), *oknaKateg_, this);
    fMenuKateg_ = new TfMenuKateg(this);
    fZobrazeni_ = new TfNastavZobrazeni(
        ini, Koment::Nastaveni, komentator_.Zavod(),
        [this] { return komentator_.Zdroje()[7].Enabled; }, this);

    ZmenaZavodu(false);
    setWindowTitle(Q(KomentHlavni::NazevProgramu()));
    resize(900, 600);
    FormPosQt::Load(ini, "fQZ_Mez", *this, Koment::PoziceOken);

    Tools::FontSpec font;
    Tools::LoadFont(ini, "FontHlavni", font);
    NastavFontMrizky(SI_Font::ToQFont(font));
    infoAll_.NastavHlavicku(InfoAll::Hlavicka());

    if (!NactiParametryRavlin()) {
        komentator_.ReloadCompetitors();
    }
    NastavIntervalDivak();
    FormResize();
    Obnov();
}

void TfQZ_Mez::VytvorMenu() {
    for (const KomentHlavni::TPolozka& p : KomentHlavni::Menu) {
        auto* a = new QAction(Q(KomentHlavni::Popisek(p)), this);
        a->setObjectName(p.jmeno);
        a->setCheckable(p.check);
        polozky_[p.jmeno] = a;
    }
    QMenu* nastaveni = menuBar()->addMenu(Polozka("mnuNastaveni")->text());
    nastaveni->setObjectName("mnuNastaveniMenu");
    Polozka("mnuNastaveni")->setMenu(nastaveni);
    for (const char* name :
         {"mnuRavlin", "mnuZavod", "mnuInfoTabule", "Kategorie1", "Zobrazovat", "mnuFontHlavni",
          "mnuFontKateg", "mnuCesky", "mnuEnglish", "mnuRekonstrukce"}) {
        nastaveni->addAction(Polozka(name));
    }
    menuBar()->addAction(Polozka("Zobrazit1"));
    menuBar()->addAction(Polozka("mnuNactidata"));
    QMenu* tiskarna = menuBar()->addMenu(Polozka("Tiskrna1")->text());
    tiskarna->setObjectName("Tiskrna1Menu");
    Polozka("Tiskrna1")->setMenu(tiskarna);
    for (const char* name : {"NastaveniTiskarny", "ZpracovavatFonty", "Zpracovvatsoubory"}) {
        tiskarna->addAction(Polozka(name));
    }
    menuBar()->addAction(Polozka("Info1"));

    Polozka("mnuCesky")->setChecked(SI_Typ::Language == 0);
    Polozka("mnuEnglish")->setChecked(SI_Typ::Language != 0);

    Napoj(Polozka("mnuRavlin"), [this] {
        Modalne(*ravlin_);
        // The link applies at once, whatever the dialog ended with.
        NactiParametryRavlin();
        Polozka("mnuRavlin")->setChecked(Koment::RavlinInfNacten());
    });
    Napoj(Polozka("mnuZavod"), [this] { Modalne(*mNastav_); });
    Napoj(Polozka("mnuInfoTabule"), [this] { Modalne(*tabule_); });
    Napoj(Polozka("NastaveniTiskarny"), [this] {
        QtPrinterSetupDialog dialog(this);
        tisk_->NastaveniTiskarny(dialog);
    });
    Napoj(Polozka("Zpracovvatsoubory"), [this] { Modalne(*defTisk_); });
    Napoj(Polozka("mnuFontHlavni"), [this] { VyberFont("FontHlavni", true); });
    Napoj(Polozka("mnuFontKateg"), [this] { VyberFont("FontKateg", false); });
    Napoj(Polozka("mnuCesky"), [this] { Jazyk(0); });
    Napoj(Polozka("mnuEnglish"), [this] { Jazyk(1); });
    Napoj(Polozka("mnuRekonstrukce"), [this] {
        komentator_.Reconstruct();
        infoAll_.Prekreslit = true;
        ZmenaZavodu(true);
        RozvrhniMrizku();
    });
    Napoj(Polozka("mnuNactidata"), [this] {
        infoAll_.Prekreslit = true;
        komentator_.PollCompetitors();
    });
    Napoj(Polozka("ZpracovavatFonty"), [this] {
        TfFont fonty(*SI_Typ::IniNastaveni, this, volby_.VyberFontu, Koment::PoziceOken);
        fonty.exec();
    });
    Napoj(Polozka("Kategorie1"), [this] { fKateg_->exec(); });
    Napoj(Polozka("Zobrazovat"), [this] { fZobrKat_->exec(); });
    // The display settings are not modal: shown and brought to the front.
    connect(Polozka("Zobrazit1"), &QAction::triggered, this, [this] {
        fZobrazeni_->show();
        fZobrazeni_->raise();
        fZobrazeni_->activateWindow();
    });
    connect(Polozka("Info1"), &QAction::triggered, this, [this] {
        about_->SetTag(1);
        about_->show();
    });
}

void TfQZ_Mez::Jazyk(int16_t language) {
    KomentHlavni::UlozJazyk(*SI_Typ::IniNastaveni, language);
    Polozka("mnuCesky")->setChecked(language == 0);
    Polozka("mnuEnglish")->setChecked(language != 0);
}

void TfQZ_Mez::VyberFont(const char* sekce, bool hlavni) {
    platform::IniFile& ini = *SI_Typ::IniNastaveni;
    Tools::FontSpec spec;
    Tools::LoadFont(ini, sekce, spec);
    const QFont initial = hlavni ? grid_->font() : SI_Font::ToQFont(spec);
    std::optional<QFont> font;
    if (volby_.VyberFontu) {
        font = volby_.VyberFontu(initial, this);
    } else {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, this);
        if (ok) {
            font = f;
        }
    }
    if (!font) {
        return;
    }
    SI_Font::FromQFont(*font, spec);
    Tools::SaveFont(ini, sekce, spec);
    if (hlavni) {
        NastavFontMrizky(*font);
    } else {
        tovarnaOken_->NastavPismo(*font);
    }
}

void TfQZ_Mez::NastavFontMrizky(const QFont& font) {
    grid_->setFont(font);
    grid_->horizontalHeader()->setFont(font);
    VyplnInfoAll(); // row heights follow the size at once
}

void TfQZ_Mez::ZmenaZavodu(bool reload) {
    kategIni_ = std::make_unique<platform::IniFile>(Koment::KategIniFileName());
    oknaKateg_->NastavKategIni(kategIni_.get());
    LabelZavod->setText(Q(KomentHlavni::TextZavodu()));
    LabelZavod->adjustSize();
    if (reload) {
        TimerNacitaniTimer();
    }
    setWindowTitle(Q(KomentHlavni::Titulek()));
}

void TfQZ_Mez::NastavIntervalDivak() {
    const int ms = KomentHlavni::IntervalDivakMs(Koment::Nastaveni);
    QTimer* t = casovace_["TimerDivak"];
    if (ms > 0) {
        t->setInterval(ms);
        if (volby_.SpustitCasovace) {
            t->start();
        }
    } else {
        t->stop();
        t->setInterval(0);
    }
}

bool TfQZ_Mez::NactiParametryRavlin() {
    RavlinParametry::TKontext k{
        *SI_Typ::IniNastaveni,
        komentator_.Zdroje(),
        [this](bool reload) { ZmenaZavodu(reload); },
        [this] {
            komentator_.Reconstruct();
            infoAll_.Prekreslit = true;
        },
        [this] { RozvrhniMrizku(); },
        [this](const std::string& text) { NastavZpravu(text); },
        [this] {
            if (volby_.SpustitCasovace) {
                QTimer::singleShot(1000, this, [this] {
                    if (!zavreno_) {
                        nested_.Run([this] { TimerInfoRavlinTimer(); });
                    }
                });
            }
        },
    };
    const bool changed = RavlinParametry::NactiParametryRavlin(k);
    if (Koment::RavlinInfNacten()) {
        Polozka("mnuRavlin")->setChecked(true);
    }
    return changed;
}

void TfQZ_Mez::Timer1Timer() {
    static bool bezi = false;
    Tools::TJednou j(bezi);
    if (!j) {
        return;
    }
    komentator_.PollSources200ms();
    LabelTime->setText(QTime::currentTime().toString("HH:mm:ss"));
    LabelTime->adjustSize();
    zprava_.Tik();
    Obnov();
}

void TfQZ_Mez::Timer_KresliTimer() {
    static bool bezi = false;
    Tools::TJednou j(bezi);
    if (!j) {
        return;
    }
    komentator_.ProcessPunches1s();
    VyplnInfoAll();
    oknaKateg_->ObnovOkna();
    Obnov();
}

void TfQZ_Mez::TimerNacitaniTimer() {
    static bool bezi = false;
    Tools::TJednou j(bezi);
    if (!j) {
        return;
    }
    komentator_.PollCompetitors();
    infoAll_.Prekreslit = true;
    Obnov();
}

void TfQZ_Mez::TimerDivakTimer() {
    // Never while a settings dialog is up.
    if (dialogOtevren_) {
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        oknaKateg_->NastavObrazovku(screen->geometry().width(), screen->geometry().height());
    }
    const Koment::TNastaveni& n = Koment::Nastaveni;
    oknaKateg_->NastavMrizku(n.PocetRadDivak, n.PocetSloupcuDivak);
    divak_.TimerDivakTimer(komentator_.Zavod(), *oknaKateg_, n.PocetRadDivak, n.PocetSloupcuDivak,
                           dialogOtevren_);
}

void TfQZ_Mez::VyberVOkne(const std::string& kategorie, const std::string& cip, int32_t bod) {
    oknaKateg_->VyberVOkne(kategorie, cip, bod);
}

void TfQZ_Mez::TimerPrinterTimer() {
    // One spooler run while printing is on; after the run InfoPrint shows why it failed, or is
    // empty.
    if (tisk_->Spooler().nastaveni.Tisknout == 1) {
        tisk_->Timer1s();
    } else {
        InfoPrint->clear();
    }
}

void TfQZ_Mez::VytvorDialogy() {
    platform::IniFile& ini = *SI_Typ::IniNastaveni;
    printStatus_ = std::make_unique<LabelPrintStatus>(InfoPrint);
    printMessages_ = std::make_unique<MessageBoxPrintMessages>(this);
    printing::PrinterList& printers =
        volby_.Tiskarny != nullptr ? *volby_.Tiskarny : systemPrinters_;
    tisk_ = std::make_unique<KomentTisk::TTisk>(ini, printers, *printStatus_, *printMessages_);
    IFolderPicker& slozky = volby_.Slozky != nullptr ? *volby_.Slozky : QtFolderPicker::Instance();
    IFilePicker& soubory = volby_.Soubory != nullptr ? *volby_.Soubory : QtFilePicker::Instance();
    MNastav::TNapojeni napojeni;
    napojeni.TimerNacitani = [this](int32_t ms) {
        QTimer* t = casovace_["TimerNacitani"];
        if (ms > 0) {
            t->setInterval(ms);
            if (volby_.SpustitCasovace) {
                t->start();
            }
        } else {
            t->stop();
        }
    };
    napojeni.NastavIntervalDivak = [this] { NastavIntervalDivak(); };
    napojeni.ZmenaZavodu = [this](bool reload) { ZmenaZavodu(reload); };
    napojeni.PrekresliMrizku = [this] { RozvrhniMrizku(); };
    mNastav_ = new TfMNastav(ini, komentator_.Zdroje(), Dialogs::Messages(), std::move(napojeni),
                             slozky, soubory, this);
    ravlin_ = new TfRavlin(ini, slozky, this);
    tabule_ = new TDefTabule(ini, Koment::Nastaveni, slozky, this);
    defTisk_ = new TfDefTiskKom(tisk_->Spooler(), ini, this);
}

void TfQZ_Mez::Napoj(QAction* polozka, std::function<void()> handler) {
    connect(polozka, &QAction::triggered, this,
            [this, handler = std::move(handler)] { nested_.Run(handler); });
}

int TfQZ_Mez::Modalne(QDialog& dialog) {
    dialogOtevren_ = true;
    const int result = dialog.exec();
    dialogOtevren_ = false;
    return result;
}

void TfQZ_Mez::TimerInfoRavlinTimer() {
    static bool bezi = false;
    Tools::TJednou j(bezi);
    if (!j) {
        return;
    }
    NactiParametryRavlin();
    Obnov();
}

void TfQZ_Mez::VyplnInfoAll() {
    const int size =
        grid_->font().pointSize() > 0 ? grid_->font().pointSize() : grid_->font().pixelSize();
    if (size != posledniVelikostFontu_) {
        grid_->verticalHeader()->setMinimumSectionSize(1);
        grid_->verticalHeader()->setDefaultSectionSize(2 * size);
        posledniVelikostFontu_ = size;
    }
    if (komentator_.TakePrekreslitInfoAll()) {
        infoAll_.Prekreslit = true;
    }
    infoAll_.Vypln(komentator_.Zavod(), Koment::Nastaveni, volby_.Zvuk);
}

void TfQZ_Mez::RozvrhniMrizku() {
    std::array<int, InfoAll::kSloupcu> now{};
    for (int c = 0; c < InfoAll::kSloupcu; ++c) {
        now[static_cast<size_t>(c)] = grid_->columnWidth(c);
    }
    const auto w = InfoAll::SirkySloupcu(Koment::Nastaveni.DruhZavodu, grid_->width(), now);
    for (int c = 0; c < InfoAll::kSloupcu; ++c) {
        const int width = w[static_cast<size_t>(c)];
        grid_->setColumnHidden(c, width == 0);
        if (width > 0) {
            grid_->setColumnWidth(c, width);
        }
    }
}

void TfQZ_Mez::ZpravaZpracovani(const std::string& text) {
    zpravaZpracovani_ = text;
}

void TfQZ_Mez::NastavZpravu(const std::string& text) {
    zprava_.Nastav(text);
    MyInfo->setText(Q(zprava_.Text()));
}

void TfQZ_Mez::ZrusZaznamInfoAll(int32_t cip, int32_t bod) {
    infoAll_.ZrusZaznam(cip, bod);
}

void TfQZ_Mez::Obnov() {
    MyInfo->setText(Q(zprava_.Text()));
    MyInfo2->setText(Q(zpravaZpracovani_));
    std::vector<std::string> chyby;
    for (size_t i = 1; i < komentator_.StavZdroju().size(); ++i) {
        if (!komentator_.StavZdroju()[i].empty()) {
            chyby.push_back(komentator_.StavZdroju()[i]);
        }
    }
    ErrorInfo->setText(Q(Koment::TextChyb(chyby)));
    InfoVCili->setText(
        Q(KomentHlavni::TextVCili(komentator_.Zavod().PocetVCili, komentator_.PocetZavodniku())));
    InfoVCili->adjustSize();
    InfoVCili->move(LabelZavod->x() - InfoVCili->width() - 4, 15);
    if (tickHook_) {
        tickHook_();
    }
}

void TfQZ_Mez::FormResize() {
    const int w = width();
    const int cw = centralWidget()->width();
    const int ch = centralWidget()->height();
    MyInfo->setGeometry(10, 0, std::max(w - 210, 0), 14);
    MyInfo2->setGeometry(10, 14, std::max(w - 210, 0), 14);
    InfoPrint->setGeometry(10, 28, std::max(w - 210, 0), 14);
    ErrorInfo->setGeometry(10, 42, std::max(w - 10, 0), 14);
    LabelTime->move(w - 100, 0);
    LabelZavod->move(w - 200, 0);
    InfoVCili->move(LabelZavod->x() - InfoVCili->width() - 4, 15);
    grid_->setGeometry(0, 60, cw, std::max(ch - 60, 0));
    RozvrhniMrizku();
}

void TfQZ_Mez::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TfQZ_Mez::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* me = static_cast<QMouseEvent*>(event);
        const QModelIndex index = grid_->indexAt(me->position().toPoint());
        if (index.isValid() && volby_.Okna != nullptr) {
            if (const auto v = infoAll_.Klik(index.row() + 1, me->button() == Qt::RightButton,
                                             komentator_.Zavod())) {
                volby_.Okna->VyberVOkne(v->Kategorie, v->Cip, v->Bod);
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfQZ_Mez::closeEvent(QCloseEvent* event) {
    if (nested_.Defer(event)) {
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TfQZ_Mez::FormClose() {
    if (zavreno_ || !SI_Typ::IniNastaveni) {
        return;
    }
    zavreno_ = true;
    for (auto& [name, t] : casovace_) {
        t->stop();
    }
    platform::IniFile& ini = *SI_Typ::IniNastaveni;
    KomentHlavni::UlozPriZavreni(ini);
    FormPosQt::Save(ini, "fQZ_Mez", *this, Koment::PoziceOken);
    // The display settings window stores its place as it closes; it holds Hlasvel.ini.
    if (fZobrazeni_->isVisible()) {
        fZobrazeni_->close();
    }
    delete fZobrazeni_;
    fZobrazeni_ = nullptr;
    oknaKateg_->UlozVse();
    // Refusing their close (their close only hides them) they would keep the program running.
    if (tovarnaOken_) {
        tovarnaOken_->ZavriVse();
    }
    oknaKateg_->NastavKategIni(nullptr);
    kategIni_.reset();
    SI_Typ::IniNastaveni.reset();
}

std::string TfQZ_Mez::StateText() const {
    std::ostringstream s;
    s << "Caption=" << windowTitle().toStdString() << "\n";
    s << "Race=" << SI_Typ::Zavod << "\nStage=" << SI_Typ::Etapa << "\n";
    s << "LabelZavod=" << LabelZavod->text().toStdString() << "\n";
    s << "MyInfo=" << MyInfo->text().toStdString() << "\n";
    s << "MyInfo2=" << MyInfo2->text().toStdString() << "\n";
    s << "ErrorInfo=" << ErrorInfo->text().toStdString() << "\n";
    s << "InfoPrint=" << InfoPrint->text().toStdString() << "\n";
    s << "InfoVCili=" << InfoVCili->text().toStdString() << "\n";
    s << "Competitors=" << komentator_.PocetZavodniku() << "\n";
    s << "Rows=" << infoAll_.PocetRadku() - 1 << "\n";
    int okna = 0;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        okna += qobject_cast<const TfMezicasy*>(w) != nullptr && w->isVisible();
    }
    s << "Windows=" << okna << "\n";
    // The modal window on top, by its name (a system dialog by its class).
    std::string dialog;
    if (const QWidget* m = QApplication::activeModalWidget()) {
        dialog = m->objectName().isEmpty() ? m->metaObject()->className()
                                           : m->objectName().toStdString();
    }
    s << "Dialog=" << dialog << "\n";
    for (int r = 1; r < infoAll_.PocetRadku() && r <= 10; ++r) {
        s << "Row" << r << "=";
        const InfoAll::TRadek& row = infoAll_.Radek(r);
        for (int c = 0; c <= 12; ++c) {
            s << (c > 0 ? "|" : "") << row[static_cast<size_t>(c)];
        }
        s << "\n";
    }
    return s.str();
}
