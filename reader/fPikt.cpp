#include "fPikt.h"

#include "PiktDraw.h"
#include "SI_Typ.h"
#include "platform/Paths.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

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
    bool first = true;
    host.printPage = [this, &first](const fPikt::PiktPageDraw& draw, std::string&) {
        DrawOnForm(draw, first);
        first = false;
        return true;
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

void TPikt::DrawOnForm(const fPikt::PiktPageDraw& draw, bool firstPage) {
    if (firstPage) {
        // One canvas for the whole file: the sheets pack on the printer's page, measured in
        // the printer's pixels, while a sheet on screen keeps its screen size (a cell of 25
        // pixels). A sheet that starts another page starts again at the top left, over what
        // the pages before drew, as the form has no pages of its own.
        const QSize printerPage =
            QPageSize(QPageSize::A4).sizePixels(fPikt::PiktFonts::SheetDpi(true));
        page_ = QImage(printerPage, QImage::Format_RGB32);
        const int dotsPerMeter = qRound(fPikt::PiktFonts::SheetDpi(false) / 0.0254);
        page_.setDotsPerMeterX(dotsPerMeter);
        page_.setDotsPerMeterY(dotsPerMeter);
        page_.fill(Qt::white);
    }
    QPainter painter(&page_);
    draw(painter);
    painter.end();
    canvas_->setPixmap(QPixmap::fromImage(page_));
}
