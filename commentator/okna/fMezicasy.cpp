#include "fMezicasy.h"

#include "KomentTools.h"
#include "PlochaHlavicka.h"
#include "SI_FontForm.h"
#include "platform/Clock.h"

#include <QCloseEvent>
#include <QColor>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>

namespace {

QColor Barva(uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

int64_t TedSekundy() {
    const platform::WallTime t = platform::GetClock().Now();
    return t.hour * 3600 + t.minute * 60 + t.second;
}

// Owner drawing of a cell: its background, the text at 2,2. Plain drawing keeps a full window's
// paint cheap (a rotation shows ten windows at once).
class TKresliBunku : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
        const bool vybrany = o.state & QStyle::State_Selected;
        p->fillRect(o.rect, vybrany ? o.palette.brush(QPalette::Highlight)
                                    : i.data(Qt::BackgroundRole).value<QColor>());
        p->setPen(vybrany ? o.palette.color(QPalette::HighlightedText) : QColor(Qt::black));
        p->drawText(o.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    i.data(Qt::DisplayRole).toString());
    }
};

} // namespace

int TMezicasyModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(radky_.size());
}

int TMezicasyModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : KategOkna::kSloupcu;
}

QVariant TMezicasyModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto& r = radky_[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(r.Bunky[static_cast<size_t>(index.column())]);
    }
    if (role == Qt::BackgroundRole) {
        return Barva(KategOkna::BarvaRadku(r, TedSekundy(), Koment::Nastaveni.Barvy));
    }
    if (role == Qt::ForegroundRole) {
        return QColor(Qt::black);
    }
    return {};
}

QVariant TMezicasyModel::headerData(int, Qt::Orientation, int role) const {
    if (role == Qt::BackgroundRole) {
        return Barva(KategOkna::kBarvaHlavicky);
    }
    return {};
}

void TMezicasyModel::Nastav(const std::vector<KategOkna::TRadek>& radky) {
    beginResetModel();
    radky_ = radky;
    endResetModel();
}

void TMezicasyModel::Prekresli() {
    // The rows whose colour may have changed since the last second: the fading ones.
    const int64_t ted = TedSekundy();
    int prvni = -1;
    int posledni = -1;
    for (size_t i = 0; i < radky_.size(); ++i) {
        const int64_t s = ted - radky_[i].Datum;
        if (radky_[i].Datum >= 0 && s >= 0 && s <= 126) {
            posledni = static_cast<int>(i);
            if (prvni < 0) {
                prvni = posledni;
            }
        }
    }
    if (prvni >= 0) {
        emit dataChanged(index(prvni, 0), index(posledni, KategOkna::kSloupcu - 1),
                         {Qt::BackgroundRole});
    }
}

// --- The window ------------------------------------------------------------------------------

TfMezicasy::TfMezicasy(std::string kategorie, int w, const QFont& font, Zavreni zavreni)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      kategorie_(std::move(kategorie)), w_(w), zavreni_(std::move(zavreni)),
      label_(new QLabel(QString::fromStdString(kategorie_), this)), grid_(new QTableView(this)),
      model_(new TMezicasyModel(this)) {
    QFont labelFont("Arial", 14);
    labelFont.setBold(true);
    label_->setFont(labelFont);
    label_->move(3, 3);
    label_->adjustSize();
    // The header's colour comes from the model.
    grid_->setHorizontalHeader(new TPlochaHlavicka(QColor(Qt::white), grid_));
    grid_->setModel(model_);
    grid_->setItemDelegate(new TKresliBunku(grid_));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Narrow tiles give columns of a few pixels; the style's minimum would push them wider than
    // the grid.
    grid_->horizontalHeader()->setMinimumSectionSize(1);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setProperty("tag", w);
    setObjectName(QString::fromStdString("fMezicasy_" + kategorie_ + "_" + std::to_string(w)));
    // Open category windows do not keep the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(400, 300);
    NastavPismo(font);
}

void TfMezicasy::NastavPismo(const QFont& font) {
    if (grid_->font() != font) {
        grid_->setFont(font);
    }
    const int vyska = 2 * std::max(1, font.pointSize() > 0 ? font.pointSize() : font.pixelSize());
    if (grid_->verticalHeader()->defaultSectionSize() != vyska) {
        grid_->verticalHeader()->setMinimumSectionSize(1);
        grid_->verticalHeader()->setDefaultSectionSize(vyska);
    }
}

void TfMezicasy::Zobraz(bool zobrazit) {
    setVisible(zobrazit);
}

void TfMezicasy::NastavTitulek(const std::string& text) {
    setWindowTitle(QString::fromStdString(text));
}

void TfMezicasy::NastavSloupce(int druhZavodu, bool maStartCisla) {
    if (druh_ != druhZavodu || maStartCisla_ != maStartCisla) {
        druh_ = druhZavodu;
        maStartCisla_ = maStartCisla;
        PrizpusobOkno();
    }
}

void TfMezicasy::Napln(const std::vector<KategOkna::TRadek>& radky) {
    model_->Nastav(radky);
}

void TfMezicasy::Prekresli() {
    model_->Prekresli();
}

Tools::FormPos TfMezicasy::Pozice() const {
    return PoziceOkna(*this);
}

void TfMezicasy::NastavPozici(const Tools::FormPos& pos) {
    NastavPoziciOkna(*this, pos);
}

void TfMezicasy::VyberRadek(int radek) {
    if (radek < 0) {
        grid_->clearSelection();
        grid_->verticalScrollBar()->setValue(0);
    } else {
        grid_->selectRow(radek);
        const int vyska = std::max(1, grid_->verticalHeader()->defaultSectionSize());
        const int viditelnych = grid_->viewport()->height() / vyska;
        grid_->verticalScrollBar()->setValue(KategOkna::HorniRadek(radek, viditelnych));
    }
    // To the front without taking the keyboard: the rotation does this every few seconds while
    // the commentator types in the main window.
    show();
    raise();
}

void TfMezicasy::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    PrizpusobOkno();
}

void TfMezicasy::PrizpusobOkno() {
    label_->move(std::max(0, (width() - label_->width()) / 2), 3);
    grid_->setGeometry(0, 30, width(), std::max(0, height() - 30));
    const auto sirky = KategOkna::SirkySloupcu(druh_, maStartCisla_, grid_->width());
    for (int c = 0; c < KategOkna::kSloupcu; ++c) {
        const int s = sirky[static_cast<size_t>(c)];
        grid_->setColumnHidden(c, s == 0);
        if (s > 0) {
            grid_->setColumnWidth(c, s);
        }
    }
}

void TfMezicasy::ZavriNadobro() {
    nadobro_ = true;
    close();
}

void TfMezicasy::closeEvent(QCloseEvent* e) {
    if (nadobro_) {
        QWidget::closeEvent(e);
        return;
    }
    e->ignore();
    hide();
    if (zavreni_) {
        zavreni_(kategorie_, w_);
    }
}

// --- Factory ---------------------------------------------------------------------------------

TTovarnaOken::TTovarnaOken(KategOkna::TOknaKateg& okna, platform::IniFile* hlasvelIni)
    : okna_(okna), ini_(hlasvelIni) {}

const QFont& TTovarnaOken::Pismo() {
    if (!nacteno_) {
        nacteno_ = true;
        Tools::FontSpec spec;
        spec.size = 12;
        spec.bold = true;
        if (ini_) {
            Tools::LoadFont(*ini_, "FontKateg", spec);
        }
        font_ = SI_Font::ToQFont(spec);
    }
    return font_;
}

void TTovarnaOken::NastavPismo(const QFont& font) {
    nacteno_ = true;
    font_ = font;
    for (const auto& w : vytvorena_) {
        if (w) {
            w->NastavPismo(font_);
        }
    }
}

void TTovarnaOken::ZavriVse() {
    for (const auto& w : vytvorena_) {
        if (w) {
            w->ZavriNadobro();
        }
    }
}

std::unique_ptr<KategOkna::IOkno> TTovarnaOken::Vytvor(const Mezicasy::TKateg1& k, int w) {
    auto okno = std::make_unique<TfMezicasy>(
        k.Nazev, w, Pismo(),
        [this](const std::string& kategorie, int cislo) { okna_.ZavriOkno(kategorie, cislo); });
    vytvorena_.push_back(okno.get());
    return okno;
}

Tools::FormPos PoziceOkna(const QWidget& w) {
    Tools::FormPos pos;
    if (w.windowState() & Qt::WindowMinimized) {
        pos.state = Tools::WindowState::Minimized;
    } else if (w.windowState() & Qt::WindowMaximized) {
        pos.state = Tools::WindowState::Maximized;
    }
    pos.top = w.y();
    pos.left = w.x();
    pos.width = w.width();
    pos.height = w.height();
    return pos;
}

void NastavPoziciOkna(QWidget& w, const Tools::FormPos& pos) {
    if (pos.width > 0 && pos.height > 0) {
        w.resize(pos.width, pos.height);
    }
    w.move(pos.left, pos.top);
    if (pos.state == Tools::WindowState::Maximized) {
        w.setWindowState(w.windowState() | Qt::WindowMaximized);
    }
}
