#pragma once

#include "K_ColBtnLogic.h"

#include <cstdint>
#include <string>
#include <vector>

// The tile chooser's model: the items, where each tile goes, how large the form is and where it
// sits on the screen, and which key a tile, the list or OK gives. The Qt form measures its
// labels and the screen and shows what this model decides.
namespace fVyberBTN {

enum : int16_t { RezimDlazdice = 1, RezimSeznam = 2 };

struct Item {
    std::string key;
    std::string caption;
    K_ColBtn::TColor colour = K_ColBtn::clWindow;
};

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool operator==(const Box&) const = default;
};

// A label of the form: visible when its text is not empty.
struct Label {
    bool visible = false;
    int width = 0;
    int bottom = 0;
};

// Fixed places of the list-mode controls.
inline constexpr Box ComboBox1{8, 104, 697, 0};
inline constexpr Box BitBtnOK{272, 160, 129, 73};
inline constexpr Box BitBtnCancel{72, 160, 129, 73};

// Where the form goes on a screen: centred; when it is taller than the screen it takes the
// screen's height and its content scrolls.
struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool scroll = false;
    int contentWidth = 0;
    int contentHeight = 0;
};

class TVyberModel {
public:
    // Starts a new choice. raceKind is DruhZav of the station's race file (2: wider tiles);
    // screenWidth limits the rows.
    void Inicializuj(const Label& title, const Label& subtitle, int fontSize, int raceKind,
                     int screenWidth);
    void NastavRezim(int16_t mode);
    void NastavZacatek(int left, int top);
    void NastavVelikost(int width, int height);
    void NastavFont(int size) { velikostFontu_ = size; }
    void NovyRadek();
    void Mezera(int n);
    // Adds one item; an empty caption shows the key. Returns its number (1-based).
    int PridejPolozku(const std::string& key, const std::string& caption, K_ColBtn::TColor colour,
                      bool preselect);

    int16_t Rezim() const { return rezim_; }
    int Pocet() const { return int(items_.size()); }
    const std::vector<Item>& Items() const { return items_; }
    // Tile n (1-based) of mode 1.
    const Box& Tile(int n) const { return tiles_[size_t(n - 1)]; }
    int Predvybrany() const { return predvybrany_; }
    int VelikostFontu() const { return velikostFontu_; }
    int SirkaDlazdice() const { return sirka_; }
    int VyskaDlazdice() const { return vyska_; }
    int FormWidth() const { return formWidth_; }
    int FormHeight() const { return formHeight_; }

    // The key of tile n or of list entry n (1-based); empty outside the items.
    std::string Klic(int n) const;
    // OK in list mode with the list's selected index (-1 = none): the key, or false (Cancel).
    bool OkResult(int selectedIndex, std::string& key) const;

    // The form on a screen of the given size; scrollBar is the width a vertical scroll bar
    // takes when the content must scroll.
    Placement Place(int screenWidth, int screenHeight, int scrollBar) const;

private:
    Label title_;
    Label subtitle_;
    int screenWidth_ = 1024;
    int velikostFontu_ = 0;
    int predvybrany_ = 0;
    int zacatekX_ = 0;
    int zacatekY_ = 0;
    int sirka_ = 100;
    int vyska_ = 40;
    int mezera_ = 10;
    int x_ = 0;
    int y_ = 0;
    int maxPravo_ = 0;
    int maxDole_ = 0;
    int16_t rezim_ = RezimDlazdice;
    std::vector<Item> items_;
    std::vector<Box> tiles_;
    int formWidth_ = 0;
    int formHeight_ = 0;
};

} // namespace fVyberBTN
