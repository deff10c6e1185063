#include "PortPanel.h"

#include "SI_Typ.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

constexpr int IndicatorLeft = 15;
constexpr int IndicatorSize = 28;
// The info window keeps the newest lines only: a station left chattering for a day must not
// eat the memory.
constexpr int InfoMaxLines = 5000;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TIndicator::TIndicator(QWidget* parent) : QWidget(parent) {
    setFixedSize(IndicatorSize, IndicatorSize);
}

void TIndicator::SetColor(TRgb color) {
    if (!(color == color_)) {
        color_ = color;
        update();
    }
}

void TIndicator::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(color_.r, color_.g, color_.b));
    p.drawEllipse(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0));
}

void TIndicator::mousePressEvent(QMouseEvent* event) {
    if ((event->modifiers() & Qt::ShiftModifier) && onShiftClick) {
        onShiftClick();
    }
    QWidget::mousePressEvent(event);
}

TPortPanel::TPortPanel(int com, QWidget* form) : com_(com) {
    const int width = SI_Typ::ProgramKind == SI_Typ::KindCanteen ? 320 : Width;
    box_ = new QGroupBox(form);
    box_->setGeometry(Left, 45, width, Height);
    // The caption sits on the frame line, so the labels at their places lie inside the frame
    // (styles that put the caption above the frame would have the first label on the line).
    box_->setStyleSheet("QGroupBox { border: 1px solid palette(mid); border-radius: 3px;"
                        " margin-top: 7px; }"
                        "QGroupBox::title { subcontrol-origin: margin; left: 8px;"
                        " padding: 0 3px; }");
    box_->hide();

    indicator_ = new TIndicator(form);
    indicator_->move(IndicatorLeft, 65);
    indicator_->setToolTip(Q(
        SI_Typ::LangText("Shift + klik přepne rychlost portu", "Shift + click toggles the speed")));
    indicator_->hide();

    auto label = [&](int top, int left) {
        auto* l = new QLabel(box_);
        l->move(left, top);
        return l;
    };
    state_ = label(15, 10);
    error_ = label(30, 10);
    path_ = label(45, 10);
    card_ = label(20, 150);
    QFont bold = error_->font();
    bold.setBold(true);
    error_->setFont(bold);
    error_->setStyleSheet("color: #c00000");
    QFont cardFont = bold;
    cardFont.setPointSize(10);
    card_->setFont(cardFont);
    path_->setFixedWidth(width - 20);

    read_ = new QPushButton("čti", box_);
    read_->setGeometry(width - 80, 10, 70, 25);
    read_->setToolTip(Q(SI_Typ::LangText("Provede načtení obsahu dat z SI stanice",
                                         "Read backup data SI station")));
    read_->hide();
    write_ = new QPushButton("Zapiš", box_);
    write_->setGeometry(width - 80, 40, 70, 25);
    write_->setToolTip(Q(
        SI_Typ::LangText("Provede zápis načtených dat do textového souboru", "Create text file")));
    write_->hide();

    // A window of its own beside the main one; closing it only hides it.
    info_ = new QWidget(form, Qt::Window);
    info_->setAttribute(Qt::WA_QuitOnClose, false);
    info_->setWindowTitle(Q("COM" + std::to_string(com)));
    info_->resize(400, 300);
    memo_ = new QPlainTextEdit(info_);
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setMaximumBlockCount(InfoMaxLines);
    memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(info_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo_);
}

TPortPanel::~TPortPanel() {
    delete info_;
    delete indicator_;
    delete box_;
}

void TPortPanel::ShowState(const std::string& text, TRgb indicator) {
    state_->setText(Q(text));
    state_->adjustSize();
    indicator_->SetColor(indicator);
}

void TPortPanel::ShowCard(const std::string& text) {
    card_->setText(Q(text));
    card_->adjustSize();
}

void TPortPanel::ShowError(const std::string& text) {
    error_->setText(Q(text));
    error_->adjustSize();
}

void TPortPanel::InfoClear() {
    memo_->clear();
}

void TPortPanel::InfoAddLine(const std::string& line) {
    memo_->appendPlainText(Q(line));
}

void TPortPanel::InfoAppend(const std::string& text) {
    QTextCursor c(memo_->document());
    c.movePosition(QTextCursor::End);
    c.insertText(Q(text));
}

void TPortPanel::ShowCaption(const std::string& caption) {
    box_->setTitle(Q(caption));
}

void TPortPanel::ShowPath(const std::string& text) {
    const QString full = Q(text);
    path_->setToolTip(full);
    path_->setText(path_->fontMetrics().elidedText(full, Qt::ElideMiddle, path_->width()));
}

void TPortPanel::SetPanelVisible(bool visible) {
    box_->setVisible(visible);
    indicator_->setVisible(visible);
    if (onLayoutChanged) {
        onLayoutChanged();
    }
}

void TPortPanel::SetInfoVisible(bool visible) {
    info_->setVisible(visible);
}

void TPortPanel::SetReadButtonVisible(bool visible) {
    read_->setVisible(visible);
}

void TPortPanel::SetWriteButtonVisible(bool visible) {
    write_->setVisible(visible);
}

void TPortPanel::SetPanelTop(int top) {
    box_->move(box_->x(), top);
    indicator_->move(indicator_->x(), top + 20);
    if (onLayoutChanged) {
        onLayoutChanged();
    }
}

bool TPortPanel::PanelVisible() const {
    return !box_->isHidden();
}

int TPortPanel::Bottom() const {
    return PanelVisible() ? box_->geometry().bottom() + 1 : 0;
}

std::string TPortPanel::StateText() const {
    const std::string p = "COM" + std::to_string(com_) + ".";
    const TRgb c = indicator_->Color();
    return p + "visible=" + (PanelVisible() ? "1" : "0") + "\n" + p +
           "caption=" + box_->title().toStdString() + "\n" + p +
           "state=" + state_->text().toStdString() + "\n" + p +
           "card=" + card_->text().toStdString() + "\n" + p +
           "error=" + error_->text().toStdString() + "\n" + p +
           "path=" + path_->toolTip().toStdString() + "\n" + p +
           "indicator=" + std::to_string(c.r) + "," + std::to_string(c.g) + "," +
           std::to_string(c.b) + "\n" + p + "info=" + (info_->isVisible() ? "1" : "0") + "\n";
}
