#pragma once

#include "KomentTools.h"
#include "Mezicasy.h"
#include "VyberKateg.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QTimer;

// The display settings window: what reaches the main window's event grid. No OK: every click
// takes effect and is written to Hlasvel.ini at once. Made once at start-up, which is when the
// switches are read.
class TfNastavZobrazeni : public QWidget {
    Q_OBJECT
public:
    // `startZapnut` tells whether the start-timer source is on.
    TfNastavZobrazeni(platform::IniFile& ini, Koment::TNastaveni& nastaveni,
                      const Mezicasy::TZavod& zavod, std::function<bool()> startZapnut,
                      QWidget* parent = nullptr);

    QCheckBox* Prepinac(VyberKateg::Prepinac p) const { return prepinace_[static_cast<size_t>(p)]; }
    QCheckBox* CheckBoxKontrola(int kod) const { return kontroly_[static_cast<size_t>(kod)]; }
    void PrekresliZobrazit();

protected:
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void UlozPozici();

    platform::IniFile& ini_;
    Koment::TNastaveni& n_;
    const Mezicasy::TZavod& zavod_;
    std::function<bool()> startZapnut_;
    std::array<QCheckBox*, VyberKateg::kPrepinacu> prepinace_{};
    std::array<QCheckBox*, 256> kontroly_{};
    QTimer* ulozit_;
};
