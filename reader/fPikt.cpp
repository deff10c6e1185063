#include "fPikt.h"

#include "SI_Typ.h"
#include "platform/Paths.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
constexpr int ScreenDpi = 96;
} // namespace

TPikt::TPikt(fPikt::PiktHost printer, QWidget* parent)
    : QWidget(parent, Qt::Window), printer_(std::move(printer)) {
    setObjectName("Pikt");
    setWindowTitle("Pikt");
    auto* formular = new QPushButton("Formulář", this);
    formular->setObjectName("Formular");
    auto* tiskarna = new QPushButton("Tiskárna", this);
    tiskarna->setObjectName("Tiskarna");
    connect(formular, &QPushButton::clicked, this, [this] { FormularClick(); });
    connect(tiskarna, &QPushButton::clicked, this, [this] { TiskarnaClick(); });

    canvas_ = new QLabel;
    canvas_->setObjectName("Canvas");
    canvas_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(canvas_);
    scroll->setWidgetResizable(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(formular);
    buttons->addWidget(tiskarna);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(scroll, 1);
    resize(640, 480);
}

void TPikt::FormularClick() {
    fPikt::PiktHost host = printer_;
    host.printPage = [this](const fPikt::PiktPageDraw& draw, std::string&) {
        return DrawOnForm(draw);
    };
    Tiskni("c:\\work\\pikt.dat", false, host);
}

void TPikt::TiskarnaClick() {
    Tiskni("c:\\work\\print\\pikto.dat", true, printer_);
}

void TPikt::Tiskni(const char* windowsPath, bool toPrinter, const fPikt::PiktHost& host) {
    const std::filesystem::path file = platform::FromWindowsPath(windowsPath);
    std::string error;
    const fPikt::PiktResult result = fPikt::TiskniPiktogramy(file, toPrinter, host, error);
    if (result == fPikt::PiktResult::Unreadable || result == fPikt::PiktResult::PrintFailed) {
        host.showError(SI_Typ::LangText("Soubor se nepodařilo vytisknout: ",
                                        "The file could not be printed: ") +
                       file.string() + " (" + error + ")");
    }
}

bool TPikt::DrawOnForm(const fPikt::PiktPageDraw& draw) {
    // Sheets pack on a printer's page also on screen; a later page is drawn over the one
    // before, as on one canvas.
    const QSize size = QPageSize(QPageSize::A4).sizePixels(ScreenDpi);
    page_ = QImage(size, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(ScreenDpi / 0.0254);
    page_.setDotsPerMeterX(dotsPerMeter);
    page_.setDotsPerMeterY(dotsPerMeter);
    page_.fill(Qt::white);
    QPainter painter(&page_);
    draw(painter);
    painter.end();
    canvas_->setPixmap(QPixmap::fromImage(page_));
    return true;
}
