#pragma once

#include "FolderPicker.h"
#include "SI_FontForm.h"
#include "Tools.h"
#include "fAdminLogic.h"
#include "platform/IniFile.h"

#include <QDialog>
#include <QSize>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The administrator's settings: SI reader port, Ravlin's folder (checked as it is typed), the
// answer time-out, the debug log and the grid font, stored into Pultra.ini on OK.
class TAdmin : public QDialog {
    Q_OBJECT
public:
    // Without a picker or chooser the system's folder and font dialogs are used.
    explicit TAdmin(platform::IniFile& ini, QWidget* parent = nullptr,
                    IFolderPicker* picker = nullptr, TfFont::FontChooser chooser = {});

    // Fills the form from Pultra.ini (done when it is shown).
    void Aktivuj();
    // Checks the folder: the error label's text.
    void Vyhodnoceni();
    // The screen named in the information label; by default the primary screen's.
    void NastavObrazovku(QSize size) { screen_ = size; }

    bool Potvrzeno() const { return potvrzeno_; }
    // The grid font when it was changed and confirmed.
    const std::optional<Tools::FontSpec>& NovyFont() const { return font_; }

    QComboBox* ComboPort() const { return port_; }
    QLineEdit* EditCesta() const { return cesta_; }
    QPushButton* BtnCesta() const { return btnCesta_; }
    QLabel* LabelChyba() const { return chyba_; }
    QSpinBox* UpDownTimeout() const { return timeout_; }
    QLabel* LabelTimeout() const { return timeoutHodnota_; }
    QCheckBox* CheckLog() const { return log_; }
    QPushButton* BtnFont() const { return btnFont_; }
    QLabel* LabelInfo() const { return info_; }
    QPushButton* BtnOK() const { return ok_; }
    QPushButton* BtnZpet() const { return zpet_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Ok();
    void VyberCestu();
    void VyberFont();

    platform::IniFile& ini_;
    IFolderPicker* picker_;
    TfFont::FontChooser chooser_;
    QSize screen_;
    bool potvrzeno_ = false;
    std::optional<Tools::FontSpec> font_;
    std::optional<Tools::FontSpec> zmeneny_;
    QComboBox* port_;
    QLineEdit* cesta_;
    QPushButton* btnCesta_;
    QLabel* chyba_;
    QSpinBox* timeout_;
    QLabel* timeoutHodnota_;
    QCheckBox* log_;
    QPushButton* btnFont_;
    QLabel* info_;
    QPushButton* ok_;
    QPushButton* zpet_;
};

// Shows the administrator form with the auto-logout paused (dialog); once confirmed the main
// form sets its ports up again (nastavPorty, which also takes the new grid font).
bool ZobrazFormuAdmin(TAdmin& forma, const std::function<void(bool)>& dialog,
                      const std::function<void(const TAdmin&)>& nastavPorty);
