#include "fZobrKat.h"

#include "SI_Typ.h"
#include "VyberKateg.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>

TfZobrKat::TfZobrKat(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna, QWidget* parent)
    : QDialog(parent), zavod_(zavod), okna_(okna), list_(new QListWidget(this)) {
    setObjectName("fZobrKat");
    const auto tlacitko = [this](const char* text, int x) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setGeometry(x, 5, 45, 25);
        return b;
    };
    btnOznacVse = tlacitko("vše", 5);
    btnNic = tlacitko("nic", 52);
    btnPlusEA = tlacitko("+ EA", 99);
    btnPlusB = tlacitko("+ B", 146);
    btnPlusC = tlacitko("+ C", 193);
    list_->setSortingEnabled(true);
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    list_->move(5, 35);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfZobrKat::ZmenaVyberu);
    connect(btnOznacVse, &QPushButton::clicked, this, [this] { Vse(true); });
    connect(btnNic, &QPushButton::clicked, this, [this] { Vse(false); });
    connect(btnPlusEA, &QPushButton::clicked, this, [this] {
        PridejKatDlePoslPismene('E');
        PridejKatDlePoslPismene('A');
    });
    connect(btnPlusB, &QPushButton::clicked, this, [this] { PridejKatDlePoslPismene('B'); });
    connect(btnPlusC, &QPushButton::clicked, this, [this] { PridejKatDlePoslPismene('C'); });
    resize(245, 400);
}

std::vector<std::string> TfZobrKat::Nazvy() const {
    std::vector<std::string> nazvy;
    for (int i = 0; i < list_->count(); ++i) {
        nazvy.push_back(list_->item(i)->text().toStdString());
    }
    return nazvy;
}

void TfZobrKat::ZmenaVyberu(const QItemSelection& vybrane, const QItemSelection& zrusene) {
    if (plni_) {
        return;
    }
    for (const QItemSelection* s : {&vybrane, &zrusene}) {
        for (const QModelIndex& i : s->indexes()) {
            const QListWidgetItem* item = list_->item(i.row());
            VyberKateg::NastavHlavni(zavod_, okna_, item->text().toStdString(), item->isSelected());
        }
    }
}

void TfZobrKat::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    const QScopedValueRollback<bool> plni(plni_, true);
    list_->clear();
    for (const std::string& n : VyberKateg::SerazeneNazvy(zavod_)) {
        list_->addItem(QString::fromStdString(n));
    }
    for (int i = 0; i < list_->count(); ++i) {
        const Mezicasy::TKateg1* k = zavod_.NajdiKateg(list_->item(i)->text().toStdString());
        list_->item(i)->setSelected(k && k->VHlavnimOkne);
    }
}

void TfZobrKat::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        setWindowTitle(QString::fromStdString(
            SI_Typ::LangText("Zobrazovat v hlavním okně", "Categories in main window")));
        btnOznacVse->setText(QString::fromStdString(SI_Typ::LangText("vše", "all")));
    }
}

void TfZobrKat::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    list_->resize(width() - 10, std::max(0, height() - list_->y()));
}

void TfZobrKat::Vse(bool vybrat) {
    const size_t n = VyberKateg::NastavVse(zavod_, okna_, Nazvy(), vybrat);
    const QScopedValueRollback<bool> plni(plni_, true);
    for (size_t i = 0; i < n; ++i) {
        list_->item(static_cast<int>(i))->setSelected(vybrat);
    }
}

void TfZobrKat::PridejKatDlePoslPismene(char pismeno) {
    const QScopedValueRollback<bool> plni(plni_, true);
    for (size_t i : VyberKateg::PridejKatDlePoslPismene(zavod_, okna_, Nazvy(), pismeno)) {
        list_->item(static_cast<int>(i))->setSelected(true);
    }
}
