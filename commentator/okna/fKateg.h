#pragma once

#include "KategOkna.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QListWidget;

// Which split windows (1..10) of a category are open; a modal dialog. Holds category names only:
// a reload may replace the categories while it is open.
class TfKateg : public QDialog {
    Q_OBJECT
public:
    TfKateg(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna, QWidget* parent = nullptr);

    QListWidget* ListBoxKateg() const { return list_; }
    QCheckBox* CheckBox(int n) const { return boxy_[static_cast<size_t>(n - 1)]; }
    void ListBoxKategClick();

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void ZmenZobrazeni(int n, bool zaskrtnut);

    Mezicasy::TZavod& zavod_;
    KategOkna::TOknaKateg& okna_;
    QListWidget* list_;
    std::array<QCheckBox*, 10> boxy_{};
};
