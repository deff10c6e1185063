#pragma once

#include "ZapKontLogic.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The control-number dialog: asks for the number of the control whose backup was read and
// leaves the list file's name in SI_Typ::SouborKontroly (empty: write nothing).
class TfZapKont : public QDialog {
public:
    // `tag`: the COM number whose Path names the folder (the backup list passes 1).
    explicit TfZapKont(int tag, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BitBtnOkClick();
    void BitBtnCancelClick();

    ZapKont::TZapKontLogic logic_;
    QLineEdit* CisloKontroly_;
    QLabel* VystSoubor_;
    QPushButton* BitBtnOk_;
    QPushButton* BitBtnCancel_;
};
