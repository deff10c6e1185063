#pragma once

#include "K_ColBtn.h"
#include "fVyberBTNLogic.h"

#include <QDialog>
#include <QPoint>
#include <QSize>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

// The kiosk's modal chooser: a title, an optional second line and large coloured tiles that
// are touched directly, or a drop-down list with OK and Cancel. Filled item by item, shown
// modally; the chosen key is in Vysledek. Lists taller than the screen scroll.
class TVyberBTN : public QDialog {
    Q_OBJECT
public:
    explicit TVyberBTN(QWidget* parent = nullptr);

    // Race kind DruhZav of the station's race file; 2 gives wider tiles. Read at Inicializuj.
    std::function<int()> DruhZav = [] { return 0; };

    // Texts are UTF-8; "\r" in a caption breaks the line.
    void Inicializuj(const std::string& title, const std::string& subtitle, int fontSize);
    void NastavRezim(int16_t mode); // 1 tiles, 2 drop-down list
    void NastavZacatek(int left, int top) { model_.NastavZacatek(left, top); }
    void NastavVelikost(int width, int height) { model_.NastavVelikost(width, height); }
    void NastavFont(int size) { model_.NastavFont(size); }
    void NovyRadek() { model_.NovyRadek(); }
    void Mezera(int n = 0) { model_.Mezera(n); }
    void PridejPolozku(const std::string& key, const std::string& caption,
                       K_ColBtn::TColor colour = K_ColBtn::clWindow, bool preselect = false);

    // The chosen key; empty when nothing was chosen.
    const std::string& Vysledek() const { return vysledek_; }
    const fVyberBTN::TVyberModel& Model() const { return model_; }

    // Shows the chooser with its top-left corner here instead of centred (a small choice
    // beside the button that asked for it). Inicializuj goes back to centring.
    void NastavPolohu(QPoint topLeft) { poloha_ = topLeft; }

    // The screen the chooser centres on and fits into; by default the primary screen's.
    void NastavObrazovku(QSize size) { screen_ = size; }

    // Controls, for the main form's tests and for tests of this form.
    TKColButton* Dlazdice(int n) const { return tiles_.at(size_t(n - 1)); }
    QComboBox* ComboBox1() const { return combo_; }
    QPushButton* BitBtnOK() const { return ok_; }
    QPushButton* BitBtnCancel() const { return cancel_; }
    QScrollArea* Plocha() const { return scroll_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QSize ScreenSize() const;
    void TileClick(int n);
    void OkClick();

    fVyberBTN::TVyberModel model_;
    std::string vysledek_;
    QSize screen_;
    std::optional<QPoint> poloha_;
    QScrollArea* scroll_;
    QWidget* content_;
    QLabel* infoLabel_;
    QLabel* infoLabel2_;
    QComboBox* combo_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::vector<TKColButton*> tiles_;
};
