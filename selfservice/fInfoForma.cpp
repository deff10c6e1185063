#include "fInfoForma.h"

#include "SI_Typ.h"
#include "fKlavesnice.h"
#include "fVyberBTN.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int kLevy = 20;
constexpr int kHorni = 20;

QString Radky(const std::string& s) {
    QString t = QString::fromStdString(s);
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

} // namespace

TfInfoForma::TfInfoForma(QWidget* parent) : QDialog(parent) {
    setObjectName("fInfoForma");
    setWindowTitle("info");
    QFont f = font();
    f.setPixelSize(24);
    f.setBold(true);
    setFont(f);
    radek1_ = new QLabel(this);
    radek1_->setObjectName("LabelRadek1");
    radek2_ = new QLabel(this);
    radek2_->setObjectName("LabelRadek2");
    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar1");
    progress_->setTextVisible(false);
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("BtnOK");
    ne_ = new QPushButton(this);
    ne_->setObjectName("BtnNe");
    timer200_ = new QTimer(this);
    timer200_->setInterval(200);
    timer500_ = new QTimer(this);
    timer500_->setInterval(500);
    connect(timer200_, &QTimer::timeout, this, &TfInfoForma::Tick200);
    connect(timer500_, &QTimer::timeout, this, &TfInfoForma::Tick500);
    connect(ok_, &QPushButton::clicked, this, [this] {
        model_.Ok();
        accept();
    });
    connect(ne_, &QPushButton::clicked, this, [this] {
        model_.Ne();
        reject();
    });
}

void TfInfoForma::Nastav(const std::string& radek1, const std::string& radek2, bool ne, int sekundy,
                         Prezentace::ICekani* cekani) {
    model_.Nastav(radek1, radek2, ne, sekundy);
    cekani_ = model_.Cekani() ? cekani : nullptr;
    radek1_->setText(Radky(radek1));
    radek2_->setText(Radky(radek2));
    ne_->setText(QString::fromStdString(SI_Typ::LangText("NE", "NO")));
    Rozmisti();
}

void TfInfoForma::Rozmisti() {
    const QSize obrazovka = screen_.isValid() ? screen_
                            : QGuiApplication::primaryScreen()
                                ? QGuiApplication::primaryScreen()->size()
                                : QSize(1024, 768);
    radek1_->adjustSize();
    radek2_->adjustSize();
    radek1_->move(kLevy, kHorni);
    radek2_->move(kLevy, radek1_->geometry().bottom() + 1 + 10);
    const int w =
        InfoForma::SirkaFormy(radek1_->width(), radek2_->width(), kLevy, obrazovka.width());
    int h = 0;
    progress_->setGeometry(kLevy, radek2_->geometry().bottom() + 1 + 10, w - 2 * kLevy, 30);
    if (model_.Cekani()) {
        ok_->hide();
        ne_->hide();
        progress_->setRange(0, model_.Maximum());
        progress_->setValue(0);
        progress_->show();
        h = progress_->geometry().bottom() + 1 + 80;
    } else {
        progress_->hide();
        const int top = radek2_->geometry().bottom() + 1 + 30;
        if (model_.NeViditelne()) {
            ok_->setGeometry(w / 4 - 25, top, w / 4, 50);
            ne_->setGeometry(ok_->geometry().right() + 1 + 50, top, w / 4, 50);
            ne_->show();
        } else {
            ok_->setGeometry((w - w / 3) / 2, top, w / 3, 50);
            ne_->hide();
        }
        ok_->show();
        h = ok_->geometry().bottom() + 1 + 80;
    }
    radek2_->setVisible(model_.Radek2Viditelny());
    setFixedSize(w, h);
    move((obrazovka.width() - w) / 2, (obrazovka.height() - h) / 2);
}

void TfInfoForma::Tick200() {
    const int odpoved = cekani_ != nullptr ? cekani_->Odpoved() : 0;
    if (model_.Tick(odpoved)) {
        timer200_->stop();
        timer500_->stop();
        if (model_.Vysledek() == 1) {
            accept();
        } else {
            reject();
        }
        return;
    }
    progress_->setValue(model_.Pozice());
    radek2_->setVisible(model_.Radek2Viditelny());
}

void TfInfoForma::Tick500() {
    if (cekani_ != nullptr) {
        cekani_->Dotaz();
    }
}

void TfInfoForma::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (model_.Cekani()) {
        timer200_->start();
        if (cekani_ != nullptr) {
            timer500_->start();
        }
    }
}

void TfInfoForma::reject() {
    if (model_.Cekani() && model_.Vysledek() == 0) {
        return;
    }
    QDialog::reject();
}

void TfInfoForma::done(int r) {
    timer200_->stop();
    timer500_->stop();
    QDialog::done(r);
}

std::string TDialogyQt::Vyber(const Prezentace::TVolba& v) {
    vyber_.Inicializuj(v.titulek, v.podtitulek, v.font);
    if (v.rezim != 1) {
        vyber_.NastavRezim(v.rezim);
    }
    if (v.sirka > 0 && v.vyska > 0) {
        vyber_.NastavVelikost(v.sirka, v.vyska);
    }
    if (v.poloha) {
        vyber_.NastavPolohu(QPoint(v.poloha->first, v.poloha->second));
    }
    for (const auto& p : v.polozky) {
        if (p.novyRadek) {
            vyber_.NovyRadek();
        }
        vyber_.PridejPolozku(p.klic, p.popis, K_ColBtn::clWindow, p.predvybrany);
    }
    return vyber_.exec() == QDialog::Accepted ? vyber_.Vysledek() : std::string();
}

bool TDialogyQt::Klavesnice(std::string& text, const std::string& prompt, int maxDelka,
                            bool maskovat, bool cislice, bool pismena) {
    return SISam_Proc::ZobrazKlavesnici(text, prompt, maxDelka, maskovat, cislice, pismena);
}

int TDialogyQt::InfoForma(const std::string& radek1, const std::string& radek2, bool ne,
                          int sekundy, Prezentace::ICekani* cekani) {
    info_.Nastav(radek1, radek2, ne, sekundy, cekani);
    info_.exec();
    return info_.Vysledek();
}
