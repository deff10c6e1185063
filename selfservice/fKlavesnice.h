#pragma once

#include "KlavesniceLogic.h"

#include <QDialog>

#include <map>
#include <string>

class QLabel;
class QPushButton;

// The kiosk's modal touch keyboard: digit pad, letter rows and space, masked on request,
// limited in length; physical keys type too. The form itself keeps the keyboard focus (the
// key buttons never take it), so physical keys always reach it.
class TKlavesnice : public QDialog {
    Q_OBJECT
public:
    explicit TKlavesnice(QWidget* parent = nullptr);

    // Sets the keyboard up for one entry (text is UTF-8) and lays the keys out.
    void Nastav(const std::string& text, const std::string& prompt, int maxLength, bool masked,
                bool digits, bool letters);
    const std::string& Text() const { return model_.Text(); }
    const Klavesnice::TKlavesniceModel& Model() const { return model_; }

    // Controls, for tests.
    QPushButton* Klavesa(char c) const { return keys_.at(c); }
    QPushButton* BtnOK() const { return ok_; }
    QPushButton* BtnCancel() const { return cancel_; }
    QPushButton* BtnBackspace() const { return backspace_; }
    QPushButton* BtnVelka() const { return caps_; }
    QPushButton* BtnRozlozeni() const { return layout_; }
    QLabel* LabelRetezec() const { return text_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QPushButton* NewButton(const QString& caption);
    void NastavRetezec();
    void RozmistiKlavesy();

    Klavesnice::TKlavesniceModel model_;
    QLabel* prompt_;
    QLabel* text_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* backspace_;
    QPushButton* caps_;
    QPushButton* layout_;
    std::map<char, QPushButton*> keys_;
};

namespace fKlavesnice {
// The keyboard form the program creates at start; ZobrazKlavesnici uses it.
extern TKlavesnice* Klavesnice;
} // namespace fKlavesnice

namespace SISam_Proc {
// Shows the keyboard modally for one entry. On OK returns true with the typed text in text;
// otherwise text stays as it was.
bool ZobrazKlavesnici(std::string& text, const std::string& prompt, int maxLength, bool masked,
                      bool digits, bool letters);
} // namespace SISam_Proc
