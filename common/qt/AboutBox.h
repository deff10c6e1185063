#pragma once

#include <QDialog>

class QLabel;

// The about box: program name and version, and the contact lines. The commentator shows the
// same box with a tag other than 0. Shown without being modal; OK hides it.
class TAboutBox : public QDialog {
public:
    explicit TAboutBox(int tag = 0, QWidget* parent = nullptr);

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

protected:
    // FormShow: the texts by the tag.
    void showEvent(QShowEvent* event) override;

private:
    int tag_;
    QLabel* ProductName_;
    QLabel* Version_;
    QLabel* DatumVerze_;
    QLabel* Autor_;
};
