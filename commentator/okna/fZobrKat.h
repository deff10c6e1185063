#pragma once

#include "KategOkna.h"

#include <QDialog>

class QItemSelection;
class QListWidget;
class QPushButton;

// Which categories feed the main event grid; a modal dialog. Holds category names only.
class TfZobrKat : public QDialog {
    Q_OBJECT
public:
    TfZobrKat(Mezicasy::TZavod& zavod, KategOkna::TOknaKateg& okna, QWidget* parent = nullptr);

    QListWidget* ListBoxKateg() const { return list_; }
    QPushButton* btnOznacVse;
    QPushButton* btnNic;
    QPushButton* btnPlusEA;
    QPushButton* btnPlusB;
    QPushButton* btnPlusC;

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    std::vector<std::string> Nazvy() const;
    void Vse(bool vybrat);
    void PridejKatDlePoslPismene(char pismeno);
    // An item selected or deselected by the user, by mouse or keyboard alike.
    void ZmenaVyberu(const QItemSelection& vybrane, const QItemSelection& zrusene);

    Mezicasy::TZavod& zavod_;
    KategOkna::TOknaKateg& okna_;
    QListWidget* list_;
    bool plni_ = false; // the dialog sets the selection itself
};
