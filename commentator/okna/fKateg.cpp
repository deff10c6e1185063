#include "fKateg.h"

#include "SI_Typ.h"
#include "VyberKateg.h"

#include <QCheckBox>
#include <QEvent>
#include <QListWidget>

TfKateg::TfKateg(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna, QWidget* parent)
    : QDialog(parent), zavod_(zavod), okna_(okna), list_(new QListWidget(this)) {
    setObjectName("fKateg");
    list_->setSortingEnabled(true);
    list_->setGeometry(5, 5, 150, 290);
    for (int n = 1; n <= 10; ++n) {
        auto* box = new QCheckBox(this);
        box->setProperty("tag", n);
        box->setGeometry(165, 5 + (n - 1) * 28, 260, 24);
        connect(box, &QCheckBox::clicked, this, [this, n](bool on) { ZmenZobrazeni(n, on); });
        boxy_[static_cast<size_t>(n - 1)] = box;
    }
    connect(list_, &QListWidget::itemClicked, this, [this] { ListBoxKategClick(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this] { ListBoxKategClick(); });
    resize(430, 300);
}

void TfKateg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    const QSignalBlocker blocker(list_);
    list_->clear();
    for (const std::string& n : VyberKateg::SerazeneNazvy(zavod_)) {
        list_->addItem(QString::fromStdString(n));
    }
    for (QCheckBox* b : boxy_) {
        b->hide();
    }
}

void TfKateg::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        setWindowTitle(QString::fromStdString(SI_Typ::LangText(
            "Nastavení zobrazovaných dat", "Check what window will be on desktop")));
    }
}

void TfKateg::ListBoxKategClick() {
    const QListWidgetItem* item = list_->currentItem();
    const std::string nazev = item ? item->text().toStdString() : std::string();
    setWindowTitle(QString::fromStdString(
        SI_Typ::LangText("Nastavení zobrazovaných dat ", "Settings for category ") + nazev));
    std::array<VyberKateg::TBox, 10> boxy;
    if (!item || !VyberKateg::Boxy(zavod_, nazev, boxy)) {
        return;
    }
    for (size_t i = 0; i < boxy.size(); ++i) {
        boxy_[i]->setVisible(boxy[i].Viditelny);
        boxy_[i]->setText(QString::fromStdString(boxy[i].Titulek));
        boxy_[i]->setChecked(boxy[i].Zaskrtnut); // no click: no flag changes
    }
}

void TfKateg::ZmenZobrazeni(int n, bool zaskrtnut) {
    if (const QListWidgetItem* item = list_->currentItem()) {
        VyberKateg::ZmenZobrazeni(zavod_, okna_, item->text().toStdString(), n, zaskrtnut);
    }
}
