#pragma once

#include "FolderPicker.h"
#include "KomentTools.h"
#include "platform/IniFile.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

// The info-board export settings (section "InfoTabule"): the switch, the folder and the file
// name. OK stores them in the given settings and Hlasvel.ini.
class TDefTabule : public QDialog {
public:
    TDefTabule(platform::IniFile& ini, Koment::TNastaveni& nastaveni, IFolderPicker& slozky,
               QWidget* parent = nullptr);

    // FormActivate: the controls from the settings.
    void Fill();
    void BitBtnOkClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    platform::IniFile& ini_;
    Koment::TNastaveni& nastaveni_;
    IFolderPicker& slozky_;
    QCheckBox* check_;
    QLineEdit* soubor_;
    QLineEdit* slozka_;
};
