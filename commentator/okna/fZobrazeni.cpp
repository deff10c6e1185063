#include "fZobrazeni.h"

#include "KomentHlavni.h"
#include "SI_Typ.h"
#include "fMezicasy.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace {
constexpr const char* kSekce = "fNastavZobrazeni";
// The layout puts the code boxes 50 pixels apart in rows 20 pixels apart, the last column at
// 380; the switches stand right of them.
constexpr int kSirkaKodu = 50;
constexpr int kVyskaKodu = 20;
constexpr int kLevaPrepinacu = 440;
} // namespace

TfNastavZobrazeni::TfNastavZobrazeni(platform::IniFile& ini, Koment::TNastaveni& nastaveni,
                                     const Mezicasy::TZavod& zavod,
                                     std::function<bool()> startZapnut, QWidget* parent)
    : QWidget(parent, Qt::Window), ini_(ini), n_(nastaveni), zavod_(zavod),
      startZapnut_(std::move(startZapnut)), ulozit_(new QTimer(this)) {
    resize(600, 360);
    Tools::FormPos pos = PoziceOkna(*this);
    Koment::LoadFormPos(ini_, kSekce, pos);
    NastavPoziciOkna(*this, pos);
    setWindowTitle(QString::fromStdString(VyberKateg::TitulekZobrazeni()));
    KomentHlavni::NactiZobrazeni(ini_, n_);
    int y = 10;
    for (const VyberKateg::TTextPrepinace& t : VyberKateg::kPrepinace) {
        auto* box = new QCheckBox(this);
        box->setChecked(VyberKateg::Hodnota(n_, t.Kdo));
        box->setText(QString::fromStdString(SI_Typ::LangText(t.Cesky, t.Anglicky)));
        // Right of the code boxes, which end at kSirkaKodu past their last column; as wide as
        // its caption, so a click anywhere on it is its own.
        box->adjustSize();
        box->move(kLevaPrepinacu, y);
        y += 26;
        box->setToolTip(
            QString::fromStdString(SI_Typ::LangText(t.NapovedaCesky, t.NapovedaAnglicky)));
        const VyberKateg::Prepinac kdo = t.Kdo;
        connect(box, &QCheckBox::clicked, this,
                [this, kdo](bool on) { VyberKateg::ZmenPrepinac(ini_, n_, kdo, on); });
        prepinace_[static_cast<size_t>(t.Kdo)] = box;
    }
    for (int kod = 31; kod <= 255; ++kod) {
        auto* box = new QCheckBox(QString::fromStdString(VyberKateg::TitulekKontroly(kod)), this);
        box->setProperty("tag", kod);
        // One cell of the layout: a box larger than that would lie over its neighbours and the
        // switches, and take their clicks.
        box->setGeometry(30, 30, kSirkaKodu, kVyskaKodu);
        box->hide();
        connect(box, &QCheckBox::clicked, this,
                [this, kod](bool on) { VyberKateg::ZmenKontrolu(ini_, n_, kod, on); });
        kontroly_[static_cast<size_t>(kod)] = box;
    }
    // Placement after a resize is stored once the resizing has stopped.
    ulozit_->setSingleShot(true);
    ulozit_->setInterval(500);
    connect(ulozit_, &QTimer::timeout, this, [this] { UlozPozici(); });
}

void TfNastavZobrazeni::PrekresliZobrazit() {
    Prepinac(VyberKateg::Prepinac::Start)->setVisible(startZapnut_ && startZapnut_());
    for (int kod = 31; kod <= 255; ++kod) {
        kontroly_[static_cast<size_t>(kod)]->hide();
    }
    int dole = 0;
    for (const VyberKateg::TMistoKontroly& m : VyberKateg::RozlozKontroly(zavod_.KontrolaPouzita)) {
        QCheckBox* box = kontroly_[static_cast<size_t>(m.Kod)];
        box->setChecked(n_.KontrolaZobrazit[static_cast<size_t>(m.Kod)]);
        box->move(m.X, m.Y);
        box->show();
        dole = std::max(dole, m.Y + kVyskaKodu);
    }
    // Every box and switch inside the window, however many codes are in use.
    int vpravo = 0;
    for (const QCheckBox* p : prepinace_) {
        vpravo = std::max(vpravo, p->geometry().right());
        dole = std::max(dole, p->geometry().bottom());
    }
    setMinimumSize(vpravo + 10, dole + 10);
}

void TfNastavZobrazeni::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        PrekresliZobrazit();
    }
}

void TfNastavZobrazeni::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    PrekresliZobrazit();
}

void TfNastavZobrazeni::closeEvent(QCloseEvent* e) {
    ulozit_->stop();
    UlozPozici();
    QWidget::closeEvent(e);
}

void TfNastavZobrazeni::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (isVisible()) {
        ulozit_->start();
    }
}

void TfNastavZobrazeni::UlozPozici() {
    Koment::SaveFormPos(ini_, kSekce, PoziceOkna(*this));
}
