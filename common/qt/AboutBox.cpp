#include "AboutBox.h"

#include "AboutTexts.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAboutBox::TAboutBox(int tag, QWidget* parent) : QDialog(parent), tag_(tag) {
    setObjectName("AboutBox");
    setWindowTitle("Info");

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* ProgramIcon = new QLabel(panel);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) {
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    }
    ProgramIcon->setPixmap(icon.pixmap(48, 48));
    ProductName_ = new QLabel(panel);
    ProductName_->setObjectName("ProductName");
    QFont bold = ProductName_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    ProductName_->setFont(bold);
    Version_ = new QLabel(panel);
    Version_->setObjectName("Version");
    DatumVerze_ = new QLabel(panel);
    DatumVerze_->setObjectName("DatumVerze");
    auto* LabelAutor = new QLabel("Autor :", panel);
    Autor_ = new QLabel(panel);
    Autor_->setObjectName("Autor");

    auto* texty = new QGridLayout(panel);
    texty->addWidget(ProgramIcon, 0, 0, 3, 1, Qt::AlignTop);
    texty->addWidget(ProductName_, 0, 1, 1, 2);
    texty->addWidget(Version_, 1, 1, 1, 2);
    texty->addWidget(DatumVerze_, 2, 1, 1, 2);
    texty->addWidget(LabelAutor, 3, 1, Qt::AlignTop);
    texty->addWidget(Autor_, 3, 2);
    texty->setColumnStretch(2, 1);
    texty->setRowMinimumHeight(3, 40);

    auto* OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    auto* tlacitka = new QHBoxLayout;
    tlacitka->addStretch();
    tlacitka->addWidget(OKButton);
    tlacitka->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(tlacitka);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKButton, &QPushButton::clicked, this, &QWidget::hide);
}

void TAboutBox::showEvent(QShowEvent* event) {
    const fAbout::TAboutTexts t = fAbout::AboutTexts(tag_);
    ProductName_->setText(QString::fromStdString(t.productName));
    Version_->setText(QString::fromStdString(t.version));
    DatumVerze_->setText(QString::fromStdString(t.datumVerze));
    Autor_->setText(QString::fromStdString(t.autor));
    // Fit the texts just set (the commentator's are longer).
    layout()->activate();
    QDialog::showEvent(event);
}
