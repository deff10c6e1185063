#pragma once

#include "fNactiCipLogic.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The chip prompt: asks for an SI card and takes the first one a reader writes, with a
// progress bar running down the time.
class TNactiCip : public QDialog {
    Q_OBJECT
public:
    explicit TNactiCip(QWidget* parent = nullptr);

    void Nastav(const std::string& prompt, int sekundy);
    // Card number; 0 cancelled; -1 time-out.
    int32_t Vysledek() const { return model_.Vysledek(); }
    NactiCip::TNactiCipModel& Model() { return model_; }

    // The 100 ms tick (public for tests).
    void Tick();

    QLabel* LabelPrompt() const { return prompt_; }
    QProgressBar* Progress() const { return progress_; }
    QPushButton* BtnZpet() const { return zpet_; }
    QTimer* Timer() const { return timer_; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    NactiCip::TNactiCipModel model_;
    QLabel* prompt_;
    QProgressBar* progress_;
    QPushButton* zpet_;
    QTimer* timer_;
};

// Asks for a card: the quick look-up waits while the prompt is open (pozastavHledani), the
// result is logged as "NacetnyCip=<result>".
int32_t fnNactiCip(TNactiCip& forma, const std::string& prompt, int sekundy,
                   const std::function<void(bool)>& pozastavHledani);
