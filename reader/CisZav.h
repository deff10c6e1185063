#pragma once

#include "CisZavLogic.h"
#include "FolderPicker.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The race settings dialog (menu "Závod"): race number, stage, zero time, display COM, the
// results program's folder and the ports enabled for SI. The decisions are TCisZavLogic's; the
// form shows its fields and forwards the user's actions.
class TfCisZav : public QDialog {
public:
    // Without a picker the system's folder dialog is used.
    explicit TfCisZav(QWidget* parent = nullptr, IFolderPicker* picker = nullptr);

    CisZav::TCisZavLogic& Logic() { return logic_; }
    // The fields from the logic; what FormActivate shows.
    void Fill();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    // What the user typed and ticked, into the logic.
    void Collect();
    void BitBtnOkClick();
    void CheckBoxRavlinClick(bool checked);
    void ChooseFolder();

    CisZav::TCisZavLogic logic_;
    IFolderPicker* picker_;

    QLineEdit* VstupCisZav_;
    QLineEdit* txtEtapa_;
    QLineEdit* txtStart00_;
    QLineEdit* txtComProDisplay_;
    std::array<QCheckBox*, CisZav::PocetPortu + 1> porty_{};
    QCheckBox* CheckBoxRavlin_;
    QWidget* slozka_;
    QLabel* txtCestaRavlin_;
    QPushButton* BitBtnOk_;
    QPushButton* BitBtnCancel_;
};
