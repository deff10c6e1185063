#pragma once

#include "FolderPicker.h"
#include "PrintQt.h"
#include "PrinterMenu.h"
#include "fDefTisk.h"
#include "platform/IniFile.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// The Qt side of Cardvane's printing: the print-folder settings dialog.

// Settings of the print-folder spooler (menu "Zpracovávat soubory"); the decisions are the
// spooler's, the form only shows and forwards.
class DefTiskForm : public QDialog {
public:
    DefTiskForm(fDefTisk::TDefTisk& spooler, platform::IniFile& ini, QWidget* parent = nullptr,
                IFolderPicker* picker = nullptr);

    // FormActivate: fills the controls from the spooler's settings.
    void Fill();
    // The values the controls hold.
    fDefTisk::DialogValues Values() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void BitBtnOkClick();
    void Check_PiktogramyClick(bool ticked);

    fDefTisk::TDefTisk& spooler_;
    platform::IniFile& ini_;
    IFolderPicker* picker_;
    fDefTisk::DialogValues shown_;
    QCheckBox* check_Zpracovat_;
    QCheckBox* Check_Piktogramy_;
    QRadioButton* rbNic_;
    QRadioButton* rbPridat_;
    QRadioButton* rbOdstranit_;
    QLabel* Label2_;
    QLabel* Edit_Cesta_;
    QWidget* folderRow_;
    QLineEdit* DirectoryListBox1_;
    QLabel* Label1_;
    QLineEdit* edit_Maska_;
    QLabel* Label3_;
    QLineEdit* CyklusTisku_;
    QLabel* LabelTiskMaxZav_;
    QLineEdit* TiskMaxZav_;
    QPushButton* BitBtnOk_;
    QPushButton* BitBtnStorno_;
};
