#include "fVyberBTNLogic.h"

#include <algorithm>

namespace fVyberBTN {

void TVyberModel::Inicializuj(const Label& title, const Label& subtitle, int fontSize, int raceKind,
                              int screenWidth) {
    title_ = title;
    subtitle_ = subtitle;
    screenWidth_ = screenWidth;
    items_.clear();
    tiles_.clear();
    predvybrany_ = 0;
    maxPravo_ = std::max(title.visible ? title.width : 0, subtitle.visible ? subtitle.width : 0);
    formWidth_ = maxPravo_ + 50;
    maxDole_ = 0;
    mezera_ = 10;
    NastavZacatek(10, 10);
    formHeight_ = zacatekY_ + 70;
    NastavVelikost(raceKind == 2 ? 130 : 100, 40);
    velikostFontu_ = fontSize;
    NastavRezim(RezimDlazdice);
}

void TVyberModel::NastavRezim(int16_t mode) {
    rezim_ = mode;
    if (mode == RezimSeznam) {
        formHeight_ = BitBtnOK.Bottom() + 50;
        maxPravo_ = std::max(maxPravo_, ComboBox1.Right());
        formWidth_ = maxPravo_ + 50;
    }
}

void TVyberModel::NastavZacatek(int left, int top) {
    for (const Label* l : {&title_, &subtitle_}) {
        if (l->visible && top < l->bottom + 10) {
            top = l->bottom + 10;
        }
    }
    zacatekX_ = left;
    zacatekY_ = top;
    x_ = left;
    y_ = top;
}

void TVyberModel::NastavVelikost(int width, int height) {
    sirka_ = width;
    vyska_ = height;
}

void TVyberModel::NovyRadek() {
    x_ = zacatekX_;
    y_ += vyska_ + mezera_;
}

void TVyberModel::Mezera(int n) {
    y_ += n != 0 ? n : mezera_;
}

int TVyberModel::PridejPolozku(const std::string& key, const std::string& caption,
                               K_ColBtn::TColor colour, bool preselect) {
    // Any number of items: long lists scroll instead of losing their tail.
    items_.push_back({key, caption.empty() ? key : caption, colour});
    const int n = Pocet();
    if (rezim_ == RezimSeznam) {
        tiles_.push_back({});
        return n;
    }
    if (preselect) {
        predvybrany_ = n;
    }
    Box tile{x_, y_, sirka_, vyska_};
    if (tile.Right() > maxPravo_) {
        // A tile that already starts its row stays there: a new row would only leave a gap.
        if (tile.Right() > screenWidth_ - 50 && x_ > zacatekX_) {
            NovyRadek();
            tile = {x_, y_, sirka_, vyska_};
            maxPravo_ = std::max(maxPravo_, tile.Right());
        } else {
            maxPravo_ = tile.Right();
        }
    }
    maxDole_ = std::max(maxDole_, tile.Bottom());
    tiles_.push_back(tile);
    x_ += sirka_ + mezera_;
    formWidth_ = maxPravo_ + 50;
    formHeight_ = maxDole_ + 70;
    return n;
}

std::string TVyberModel::Klic(int n) const {
    if (n < 1 || n > Pocet()) {
        return {};
    }
    return items_[size_t(n - 1)].key;
}

bool TVyberModel::OkResult(int selectedIndex, std::string& key) const {
    if (selectedIndex < 0 || selectedIndex >= Pocet()) {
        key.clear();
        return false;
    }
    key = Klic(selectedIndex + 1);
    return true;
}

Placement TVyberModel::Place(int screenWidth, int screenHeight, int scrollBar) const {
    Placement p;
    p.contentWidth = formWidth_;
    p.contentHeight = formHeight_;
    p.width = formWidth_;
    p.height = formHeight_;
    if (rezim_ == RezimDlazdice && formHeight_ > screenHeight) {
        p.scroll = true;
        p.height = screenHeight;
        p.width = std::min(formWidth_ + scrollBar, screenWidth);
        p.contentWidth = p.width - scrollBar;
    }
    p.left = std::max(0, (screenWidth - p.width) / 2);
    const int free = screenHeight - p.height;
    p.top = std::max(0, rezim_ == RezimSeznam ? free / 3 : free / 2);
    return p;
}

} // namespace fVyberBTN
