#pragma once

#include "KategOkna.h"

#include <QWidget>

class QListWidget;
class QPushButton;

// Which categories feed the main event grid. Holds category names only.
class TfZobrKat : public QWidget {
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

    Mezicasy::TZavod& zavod_;
    KategOkna::TOknaKateg& okna_;
    QListWidget* list_;
};
