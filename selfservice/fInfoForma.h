#pragma once

#include "Prezentace.h"
#include "fInfoFormaLogic.h"

#include <QDialog>
#include <QSize>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The information form: a message with OK, a question with OK and NO, or a wait with a
// progress bar that closes on the pending request's answer or after its time. Its timers run
// until it closes, whether it has the focus or not (a wait has no button to close it).
class TfInfoForma : public QDialog {
    Q_OBJECT
public:
    explicit TfInfoForma(QWidget* parent = nullptr);

    // Lines may hold "\r\n" or "\r" breaks. cekani: the request a wait polls (every 500 ms).
    void Nastav(const std::string& radek1, const std::string& radek2, bool ne, int sekundy,
                Prezentace::ICekani* cekani = nullptr);
    int Vysledek() const { return model_.Vysledek(); }
    const InfoForma::TInfoFormaModel& Model() const { return model_; }
    // The screen the form sizes itself to; by default the primary screen's.
    void NastavObrazovku(QSize size) { screen_ = size; }

    // The timers' work (public for tests).
    void Tick200();
    void Tick500();

    QLabel* LabelRadek1() const { return radek1_; }
    QLabel* LabelRadek2() const { return radek2_; }
    QPushButton* BtnOK() const { return ok_; }
    QPushButton* BtnNe() const { return ne_; }
    QProgressBar* Progress() const { return progress_; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;
    // Escape and the window's close: a wait ends only by its answer or its time.
    void reject() override;

private:
    void Rozmisti();

    InfoForma::TInfoFormaModel model_;
    Prezentace::ICekani* cekani_ = nullptr;
    QSize screen_;
    QLabel* radek1_;
    QLabel* radek2_;
    QProgressBar* progress_;
    QPushButton* ok_;
    QPushButton* ne_;
    QTimer* timer200_;
    QTimer* timer500_;
};

// The kiosk's dialogs for the registration desk: the tile chooser, the on-screen keyboard and
// the information form.
class TVyberBTN;
class TDialogyQt : public Prezentace::IDialogy {
public:
    TDialogyQt(TVyberBTN& vyber, TfInfoForma& info) : vyber_(vyber), info_(info) {}
    std::string Vyber(const Prezentace::TVolba& volba) override;
    bool Klavesnice(std::string& text, const std::string& prompt, int maxDelka, bool maskovat,
                    bool cislice, bool pismena) override;
    int InfoForma(const std::string& radek1, const std::string& radek2, bool ne, int sekundy,
                  Prezentace::ICekani* cekani) override;

private:
    TVyberBTN& vyber_;
    TfInfoForma& info_;
};
