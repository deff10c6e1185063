#include "fVyberBTN.h"

#include "SI_Typ.h"

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// Wide enough to be dragged with a finger.
constexpr int ScrollBarWidth = 40;

QString Text(const std::string& s) {
    QString t = QString::fromStdString(s);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
    return t;
}

QFont BoldPixels(int px) {
    QFont f;
    f.setPixelSize(px);
    f.setBold(true);
    return f;
}

void Place(QWidget* w, const fVyberBTN::Box& b) {
    w->setGeometry(b.left, b.top, b.width, b.height > 0 ? b.height : w->sizeHint().height());
}

} // namespace

TVyberBTN::TVyberBTN(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { width: %1px; }").arg(ScrollBarWidth));
    content_ = new QWidget;
    scroll_->setWidget(content_);
    scroll_->setWidgetResizable(false);

    infoLabel_ = new QLabel(content_);
    infoLabel_->setFont(BoldPixels(32));
    infoLabel_->move(8, 16);
    infoLabel2_ = new QLabel(content_);
    infoLabel2_->setFont(BoldPixels(32));
    infoLabel2_->move(8, 56);
    combo_ = new QComboBox(content_);
    combo_->setFont(BoldPixels(32));
    Place(combo_, fVyberBTN::ComboBox1);
    combo_->hide();
    ok_ = new QPushButton(QStringLiteral("OK"), content_);
    Place(ok_, fVyberBTN::BitBtnOK);
    cancel_ = new QPushButton(QStringLiteral("Zrušit"), content_);
    Place(cancel_, fVyberBTN::BitBtnCancel);
    ok_->setFont(BoldPixels(24));
    cancel_->setFont(BoldPixels(24));
    ok_->hide();
    cancel_->hide();
    connect(ok_, &QPushButton::clicked, this, &TVyberBTN::OkClick);
    connect(cancel_, &QPushButton::clicked, this, &TVyberBTN::reject);
}

QSize TVyberBTN::ScreenSize() const {
    if (screen_.isValid()) {
        return screen_;
    }
    const QScreen* s = QGuiApplication::primaryScreen();
    return s != nullptr ? s->geometry().size() : QSize(1024, 768);
}

void TVyberBTN::Inicializuj(const std::string& title, const std::string& subtitle, int fontSize) {
    setWindowTitle(Text(title));
    auto label = [](QLabel* l, const std::string& text) {
        l->setText(Text(text));
        l->adjustSize();
        l->setVisible(!text.empty());
        return fVyberBTN::Label{!text.empty(), l->width(), l->y() + l->height()};
    };
    const fVyberBTN::Label t = label(infoLabel_, title);
    const fVyberBTN::Label s = label(infoLabel2_, subtitle);
    vysledek_.clear();
    poloha_.reset();
    model_.Inicializuj(t, s, fontSize, DruhZav ? DruhZav() : 0, ScreenSize().width());
    combo_->clear();
    for (TKColButton* tile : tiles_) {
        tile->hide();
    }
    NastavRezim(fVyberBTN::RezimDlazdice);
}

void TVyberBTN::NastavRezim(int16_t mode) {
    model_.NastavRezim(mode);
    const bool list = mode == fVyberBTN::RezimSeznam;
    combo_->setVisible(list);
    ok_->setVisible(list);
    cancel_->setVisible(list);
    if (list) {
        ok_->setText(QStringLiteral("OK"));
        cancel_->setText(QString::fromStdString(SI_Typ::LangText("Zrušit", "Cancel")));
    }
}

void TVyberBTN::PridejPolozku(const std::string& key, const std::string& caption,
                              K_ColBtn::TColor colour, bool preselect) {
    const int n = model_.PridejPolozku(key, caption, colour, preselect);
    const fVyberBTN::Item& item = model_.Items().back();
    if (model_.Rezim() == fVyberBTN::RezimSeznam) {
        combo_->addItem(Text(item.caption));
        return;
    }
    while (int(tiles_.size()) < n) {
        auto* tile = new TKColButton(content_);
        const int number = int(tiles_.size()) + 1;
        connect(tile, &QPushButton::clicked, this, [this, number] { TileClick(number); });
        // A tile becomes the dialog's default button only by its own focus: the default look is
        // the chosen look.
        tile->setAutoDefault(false);
        tile->installEventFilter(this);
        tiles_.push_back(tile);
    }
    TKColButton* tile = tiles_[size_t(n - 1)];
    tile->SetColor(colour);
    Place(tile, model_.Tile(n));
    tile->setText(Text(item.caption));
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(model_.VelikostFontu() > 0 ? model_.VelikostFontu() : 10);
    f.setBold(true);
    tile->setFont(f);
    tile->show();
}

void TVyberBTN::showEvent(QShowEvent* e) {
    const QSize screen = ScreenSize();
    const fVyberBTN::Placement p = model_.Place(screen.width(), screen.height(), ScrollBarWidth);
    content_->setFixedSize(p.contentWidth, p.contentHeight);
    setFixedSize(p.width, p.height);
    scroll_->setGeometry(0, 0, p.width, p.height);
    move(poloha_ ? *poloha_ : QPoint(p.left, p.top));
    if (combo_->count() > 0) {
        combo_->setCurrentIndex(0);
    }
    QDialog::showEvent(e);
    if (model_.Rezim() == fVyberBTN::RezimDlazdice && model_.Predvybrany() > 0) {
        TKColButton* tile = Dlazdice(model_.Predvybrany());
        tile->setFocus(Qt::OtherFocusReason);
        scroll_->ensureWidgetVisible(tile, 0, 10);
    } else if (model_.Rezim() == fVyberBTN::RezimDlazdice) {
        // Nothing preselected: no tile is lit, not even the one chosen the last time.
        scroll_->setFocus(Qt::OtherFocusReason);
    }
}

bool TVyberBTN::eventFilter(QObject* watched, QEvent* e) {
    // A tile reached by the keyboard scrolls into view.
    if (e->type() == QEvent::FocusIn) {
        if (auto* w = qobject_cast<QWidget*>(watched)) {
            scroll_->ensureWidgetVisible(w, 0, 10);
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TVyberBTN::TileClick(int n) {
    vysledek_ = model_.Klic(n);
    accept();
}

void TVyberBTN::OkClick() {
    std::string key;
    if (model_.OkResult(combo_->currentIndex(), key)) {
        vysledek_ = key;
        accept();
    } else {
        reject();
    }
}

void TVyberBTN::reject() {
    vysledek_.clear();
    QDialog::reject();
}
