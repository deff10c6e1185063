#pragma once

#include "Dialogs.h"
#include "FolderPicker.h"
#include "MNastavLogic.h"
#include "platform/IniFile.h"

#include <QDialog>

#include <array>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// Asks the user for a file; tests answer in place of the system's dialog.
class IFilePicker {
public:
    virtual ~IFilePicker() = default;
    // filter as "description|patterns" with ';' between patterns.
    virtual std::optional<std::string> ChooseFile(QWidget* parent, const std::string& title,
                                                  const std::string& filter,
                                                  const std::string& start) = 0;
};

class QtFilePicker : public IFilePicker {
public:
    std::optional<std::string> ChooseFile(QWidget* parent, const std::string& title,
                                          const std::string& filter,
                                          const std::string& start) override;
    static QtFilePicker& Instance();
};

// The race and source settings dialog (menu item mnuZavod). The decisions are the logic's; the
// form shows its fields and forwards the presses.
class TfMNastav : public QDialog {
public:
    TfMNastav(platform::IniFile& ini, TVstupniSoubory& zdroje, Dialogs::IMessages& zpravy,
              MNastav::TNapojeni napojeni, IFolderPicker& slozky, IFilePicker& soubory,
              QWidget* parent = nullptr);

    MNastav::TMNastavLogic& Logic() { return logic_; }
    // FormActivate: fills the controls (every opening does).
    void Fill();
    // OK: the controls into the logic, checks, apply; closes when everything passed.
    void BitBtnOkClick();
    // A row's picker button.
    void Vyber(size_t radek);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void Read();
    void Show();

    platform::IniFile& ini_;
    MNastav::TMNastavLogic logic_;
    IFolderPicker& slozky_;
    IFilePicker& soubory_;
    QLineEdit* txtCisloZavodu_;
    QLineEdit* txtEtapa_;
    QLineEdit* txtStart00_;
    QLineEdit* MaxPoradi_;
    QLineEdit* txtMaxVHlavnimOkne_;
    QLineEdit* txtIntervalNacitani_;
    std::array<QLineEdit*, 4> txtCisloStartu_{};
    QCheckBox* CheckBoxBranka_;
    QLineEdit* txtCisloSberky_;
    QLineEdit* txtIntervalDivak_;
    QLineEdit* txtPocetRadDivak_;
    QLineEdit* txtPocetSloupcuDivak_;
    QCheckBox* CheckDesetiny_;
    QComboBox* ComboDruhZavodu_;
    std::array<QCheckBox*, MNastav::PocetRadku> check_{};
    std::array<QLineEdit*, MNastav::PocetRadku> edit_{};
    std::array<QPushButton*, MNastav::PocetRadku> button_{};
};
