#pragma once

#include "FolderPicker.h"
#include "fSetPortLogic.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The port settings dialog (menus "COM1" .. "COM9"): mode, speed, read time-out, raw-data
// window and output folder of one port, applied and stored on OK. TSetComLogic decides; the
// form shows and forwards.
class TfSetCom : public QDialog {
public:
    // `com` is the dialog's tag: the COM number of the port in SI_Port::Porty. Without a picker
    // the system's folder dialog is used.
    explicit TfSetCom(int com, QWidget* parent = nullptr, IFolderPicker* picker = nullptr);
    ~TfSetCom() override;

    int Tag() const { return tag_; }
    // FormActivate: the controls from the port.
    void Fill();
    fSetPort::THodnoty Values() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void BitBtnOkClick();
    void ComboFunkceChange(int index);
    void ChooseFolder();

    int tag_;
    IFolderPicker* picker_;
    std::unique_ptr<fSetPort::TSetComLogic> logic_; // none when there is no such port
    std::string slozka_;

    QLabel* LabelComboFunkce_;
    QComboBox* ComboFunkce_;
    QLabel* LabelRychlost_;
    QComboBox* ComboRychlost_;
    QLabel* LabelMaxTime_;
    QLineEdit* MaxTime_;
    QCheckBox* CheckBoxCheckSum_;
    QCheckBox* CheckBoxInfoOkno_;
    QLabel* ExportPath_;
    QWidget* DirectoryListBox1_;
    QPushButton* BitBtnOk_;
    QPushButton* BitBtnStrorno_;
};
