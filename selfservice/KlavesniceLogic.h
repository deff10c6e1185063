#pragma once

#include <cstdint>
#include <map>
#include <string>

// The on-screen keyboard's model: what is typed, how it is shown, and where every key goes.
namespace Klavesnice {

// A key's place in key units.
struct KeyPos {
    int row = 0;
    int col = 0;
    int width = 1;
    bool operator==(const KeyPos&) const = default;
};

// The place of a character key ('0'..'9', 'A'..'Z', ' '): letters by layout, digits as a phone
// pad beside the letters or alone.
KeyPos PoziceKlavesy(char c, bool qwerty, bool lettersShown);

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool visible = true;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

// Pixel places of every control and the fonts, from the keys shown.
struct Layout {
    int k = 0;        // key size
    int g = 0;        // gap
    int o = 0;        // left offset
    int keyFont = 0;  // key captions
    int textFont = 0; // typed text
    int okFont = 0;   // OK and Cancel
    int backFont = 0; // Backspace
    int base = 0;     // top of key row 0
    Box ok;
    Box cancel;
    Box backspace;
    Box layoutToggle;
    Box capsToggle;
    std::map<char, Box> keys; // '0'..'9', 'A'..'Z' and ' '
    int formWidth = 0;
    int formHeight = 0;
};

// textBottom: bottom edge of the typed-text line; promptWidth: width of the prompt line.
Layout RozmistiKlavesy(bool digits, bool letters, bool qwerty, int textBottom, int promptWidth);

class TKlavesniceModel {
public:
    // Sets the keyboard up for one entry; the layout and capitals keep their last state.
    void Nastav(const std::string& text, int maxLength, bool masked, bool digits, bool letters);

    // An on-screen key: lower-cased unless capitals are on. False when the text is full.
    bool Klavesa(char c);
    // A physical key: space, a digit or a letter, taken as typed. False when not taken.
    bool FyzickaKlavesa(char c);
    void Backspace();
    void PrepniVelka() { velka_ = !velka_; }
    void PrepniRozlozeni() { qwerty_ = !qwerty_; }

    // The typed text as shown: one '*' per character when masked, always followed by '_'.
    std::string NastavRetezec() const;

    const std::string& Text() const { return text_; }
    bool Cislice() const { return cislice_; }
    bool Pismena() const { return pismena_; }
    bool Maskovat() const { return maskovat_; }
    int MaxDelka() const { return maxDelka_; }
    bool Qwerty() const { return qwerty_; }
    bool Velka() const { return velka_; }

    // Captions of the toggles and of Cancel, in the current language.
    std::string VelkaCaption() const;
    std::string RozlozeniCaption() const;
    static std::string CancelCaption();

private:
    bool Append(char c);

    std::string text_;
    bool cislice_ = true;
    bool pismena_ = true;
    bool maskovat_ = false;
    int maxDelka_ = 20;
    bool qwerty_ = true;
    bool velka_ = true;
};

} // namespace Klavesnice
