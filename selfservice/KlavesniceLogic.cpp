#include "KlavesniceLogic.h"

#include "SI_Typ.h"

#include <algorithm>
#include <string_view>

namespace Klavesnice {

namespace {

constexpr std::string_view QwertyRows[3] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};

bool IsLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

KeyPos PoziceKlavesy(char c, bool qwerty, bool lettersShown) {
    if (c == ' ') {
        return {3, 2, 4};
    }
    if (IsLetter(c)) {
        if (qwerty) {
            for (int row = 0; row < 3; ++row) {
                const size_t col = QwertyRows[row].find(c);
                if (col != std::string_view::npos) {
                    return {row, int(col), 1};
                }
            }
        }
        const int index = c - 'A';
        return {index / 9, index % 9, 1};
    }
    if (IsDigit(c)) {
        const int first = lettersShown ? 11 : 1;
        if (c == '0') {
            return {3, first, lettersShown ? 3 : 1};
        }
        const int index = c - '1';
        return {index / 3, first + index % 3, 1};
    }
    return {};
}

Layout RozmistiKlavesy(bool digits, bool letters, bool qwerty, int textBottom, int promptWidth) {
    Layout l;
    if (letters) {
        l.k = 50;
        l.g = 10;
        l.o = 30;
        l.keyFont = 24;
        l.textFont = 24;
        l.okFont = 24;
        l.backFont = 24;
    } else {
        l.k = 80;
        l.g = 10;
        l.o = 0;
        l.keyFont = 48;
        l.textFont = 48;
        l.okFont = 32;
        l.backFont = 28;
    }
    const int step = l.k + l.g;
    auto units = [&](int n) { return n == 1 ? l.k : n * l.k + (n - 1) * l.g; };

    if (letters) {
        l.ok = {l.o, textBottom + 10, 160, 50};
    } else {
        // Centred on the pad's middle column.
        l.ok = {1 * step + l.o - 40, textBottom + 10, 160, 80};
    }
    l.cancel = l.ok;
    l.cancel.left = l.ok.Right() + 10;
    l.base = l.ok.Bottom() + 20;

    auto place = [&](char c, bool visible) {
        const KeyPos p = PoziceKlavesy(c, qwerty, letters);
        // Letter rows are staggered like a typewriter's; the digit pad is not.
        const int stagger = letters && !IsDigit(c) ? p.row * l.k / 2 : 0;
        l.keys[c] = {p.col * step + l.o + stagger, p.row * step + l.base, units(p.width), l.k,
                     visible};
    };
    for (char c = '0'; c <= '9'; ++c) {
        place(c, digits);
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        place(c, letters);
    }
    place(' ', letters);

    const int row3 = 3 * step + l.base;
    const int toggle = l.k * 3 / 2;
    l.layoutToggle = {l.o, row3, toggle, l.k, letters};
    l.capsToggle = {l.o + toggle + l.g, row3, toggle, l.k, letters};
    if (letters) {
        // Column 7 alone would overlap the staggered space bar by a few pixels.
        const int left = std::max(7 * step + l.o, l.keys[' '].Right() + l.g);
        l.backspace = {left, row3, 2 * l.k, l.k};
    } else {
        l.backspace = {2 * step + l.o, row3, 2 * l.k + 10, l.k};
    }

    const int n = digits && letters ? 14 : (letters ? 10 : 5);
    l.formHeight = l.backspace.Bottom() + 100;
    l.formWidth = std::max(n * step + l.base, promptWidth + 50);
    return l;
}

void TKlavesniceModel::Nastav(const std::string& text, int maxLength, bool masked, bool digits,
                              bool letters) {
    text_ = text;
    maxDelka_ = maxLength;
    maskovat_ = masked;
    cislice_ = digits;
    pismena_ = letters;
}

bool TKlavesniceModel::Append(char c) {
    if (int(text_.size()) >= maxDelka_) {
        return false;
    }
    text_ += c;
    return true;
}

bool TKlavesniceModel::Klavesa(char c) {
    if (!velka_ && IsLetter(c)) {
        c = char(c - 'A' + 'a');
    }
    return Append(c);
}

bool TKlavesniceModel::FyzickaKlavesa(char c) {
    const bool letter = IsLetter(c) || (c >= 'a' && c <= 'z');
    if (c != ' ' && !IsDigit(c) && !letter) {
        return false;
    }
    return Append(c);
}

void TKlavesniceModel::Backspace() {
    if (!text_.empty()) {
        text_.pop_back();
    }
}

std::string TKlavesniceModel::NastavRetezec() const {
    return (maskovat_ ? std::string(text_.size(), '*') : text_) + "_";
}

std::string TKlavesniceModel::VelkaCaption() const {
    return velka_ ? SI_Typ::LangText("malá", "lower") : SI_Typ::LangText("VELKÁ", "UPPER");
}

std::string TKlavesniceModel::RozlozeniCaption() const {
    return qwerty_ ? "ABC.." : "QWE..";
}

std::string TKlavesniceModel::CancelCaption() {
    return SI_Typ::LangText("Zpět", "Cancel");
}

} // namespace Klavesnice
