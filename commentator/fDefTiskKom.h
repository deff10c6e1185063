#pragma once

#include "fDefTisk.h"
#include "platform/IniFile.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The settings of the commentator's print spooler (menu item "Zpracovávat soubory"); the
// decisions are the spooler's, the form shows and forwards.
class TfDefTiskKom : public QDialog {
public:
    TfDefTiskKom(fDefTisk::TDefTisk& spooler, platform::IniFile& ini, QWidget* parent = nullptr);

    // FormActivate.
    void Fill();
    fDefTisk::DialogValues Values() const;
    void BitBtnOkClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    fDefTisk::TDefTisk& spooler_;
    platform::IniFile& ini_;
    fDefTisk::DialogValues shown_;
    QLabel* Label1_;
    QLabel* Edit_Cesta_;
    QLineEdit* Edit_Maska_;
    QCheckBox* check_Zpracovat_;
    QLabel* Label3_;
    QLineEdit* CyklusTisku_;
    QRadioButton* rbPridat_;
    QRadioButton* rbOdstranit_;
    QRadioButton* rbNic_;
    QLineEdit* TiskMaxZav_;
};
