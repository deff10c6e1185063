#include "fNactiCip.h"

#include "PultraLogic.h"
#include "SISam_Proc.h"
#include "SI_Typ.h"

#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TNactiCip::TNactiCip(QWidget* parent) : QDialog(parent) {
    setObjectName("NactiCip");
    QFont f = font();
    f.setPixelSize(28);
    f.setBold(true);
    setFont(f);
    prompt_ = new QLabel(this);
    prompt_->setObjectName("LabelPrompt");
    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar1");
    progress_->setTextVisible(false);
    zpet_ = new QPushButton(this);
    zpet_->setObjectName("BtnZpet");
    zpet_->setMinimumHeight(60);
    auto* l = new QVBoxLayout(this);
    l->addWidget(prompt_);
    l->addWidget(progress_);
    l->addWidget(zpet_);
    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &TNactiCip::Tick);
    connect(zpet_, &QPushButton::clicked, this, &TNactiCip::reject);
}

void TNactiCip::Nastav(const std::string& prompt, int sekundy) {
    model_.Nastav(prompt, sekundy);
    prompt_->setText(QString::fromStdString(prompt));
    progress_->setRange(0, std::max(model_.Maximum(), 1));
    progress_->setValue(0);
    setWindowTitle(QString::fromStdString(Pultra::TitulekNactiCipu()));
    zpet_->setText(QString::fromStdString(SI_Typ::LangText("zpět", "cancel")));
}

void TNactiCip::Tick() {
    if (model_.Tick()) {
        timer_->stop();
        accept();
        return;
    }
    progress_->setValue(std::min(model_.Pozice(), progress_->maximum()));
}

void TNactiCip::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    timer_->start();
}

void TNactiCip::done(int r) {
    timer_->stop();
    QDialog::done(r);
}

int32_t fnNactiCip(TNactiCip& forma, const std::string& prompt, int sekundy,
                   const std::function<void(bool)>& pozastavHledani) {
    if (pozastavHledani) {
        pozastavHledani(true);
    }
    forma.Nastav(prompt, sekundy);
    forma.exec();
    const int32_t cip = forma.Vysledek();
    SISam_Proc::Protokol(SISam_Proc::LogTrace, "NacetnyCip=" + std::to_string(cip));
    if (pozastavHledani) {
        pozastavHledani(false);
    }
    return cip;
}
