#pragma once

#include "FolderPicker.h"
#include "RavlinLogic.h"
#include "platform/IniFile.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The results-program link dialog (menu item mnuRavlin). After it closes with OK the main form
// applies the link at once.
class TfRavlin : public QDialog {
public:
    TfRavlin(platform::IniFile& ini, IFolderPicker& slozky, QWidget* parent = nullptr);

    RavlinDialog::TRavlinLogic& Logic() { return logic_; }
    // FormActivate: captions, the controls from the link's settings, then the check.
    void Fill();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void Vyhodnoceni();

    platform::IniFile& ini_;
    IFolderPicker& slozky_;
    RavlinDialog::TRavlinLogic logic_;
    QCheckBox* CheckDleRavlin_;
    QPushButton* BitBtnOK_;
    QPushButton* BitBtnCancel_;
    QLabel* lblPathRavlin_;
    QLineEdit* PathRavlin_;
    QPushButton* btnVyberCestu_;
    QLabel* ErrorInfo_;
    std::array<QCheckBox*, RavlinDialog::PocetVoleb> chk_{};
};
