#pragma once

#include "KategOkna.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QTableView;

namespace platform {
class IniFile;
}

// The rows of one category window; colours are worked out when painted, so fading rows need
// only a repaint.
class TMezicasyModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    void Nastav(const std::vector<KategOkna::TRadek>& radky);
    void Prekresli();

private:
    std::vector<KategOkna::TRadek> radky_;
};

// One category window: the category's label above its grid; closing only hides it.
class TfMezicasy : public QWidget, public KategOkna::IOkno {
    Q_OBJECT
public:
    using Zavreni = std::function<void(const std::string& kategorie, int w)>;
    TfMezicasy(std::string kategorie, int w, const QFont& font, Zavreni zavreni);

    void Zobraz(bool zobrazit) override;
    bool Zobrazeno() const override { return isVisible(); }
    void NastavTitulek(const std::string& text) override;
    void NastavSloupce(int druhZavodu, bool maStartCisla) override;
    void Napln(const std::vector<KategOkna::TRadek>& radky) override;
    void Prekresli() override;
    Tools::FormPos Pozice() const override;
    void NastavPozici(const Tools::FormPos& pos) override;
    void VyberRadek(int radek) override;
    void NastavPismo(const QFont& font);
    // The program ends: the window closes for good, its open flag kept for the next start.
    void ZavriNadobro();

    QTableView* Mrizka() const { return grid_; }
    TMezicasyModel* Model() const { return model_; }
    QLabel* Stitek() const { return label_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void PrizpusobOkno();

    std::string kategorie_;
    int w_;
    Zavreni zavreni_;
    QLabel* label_;
    QTableView* grid_;
    TMezicasyModel* model_;
    int druh_ = 0;
    bool maStartCisla_ = false;
    bool nadobro_ = false;
};

// Makes the category windows with the shared grid font (section "FontKateg" of Hlasvel.ini,
// read when the first window is made) and routes their close to the logic.
class TTovarnaOken : public KategOkna::ITovarnaOken {
public:
    // `hlasvelIni` may be null (the default font).
    TTovarnaOken(KategOkna::TOknaKateg& okna, platform::IniFile* hlasvelIni);
    std::unique_ptr<KategOkna::IOkno> Vytvor(const Mezicasy::TKateg1& k, int w) override;
    void NastavPismo(const QFont& font);
    const QFont& Pismo();
    // Every window made closes for good (the program ends).
    void ZavriVse();

private:
    KategOkna::TOknaKateg& okna_;
    platform::IniFile* ini_;
    bool nacteno_ = false;
    QFont font_;
    std::vector<QPointer<TfMezicasy>> vytvorena_;
};

// Window placement as the settings file keeps it, and back.
Tools::FormPos PoziceOkna(const QWidget& w);
void NastavPoziciOkna(QWidget& w, const Tools::FormPos& pos);
