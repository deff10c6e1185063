#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the coloured kiosk button draws in each of its states, without any drawing library:
// colours, the image index list and the paint plan (filled one-pixel bars, the caption
// rectangle and the image positions) that the Qt view carries out.
namespace K_ColBtn {

// Colours as the kiosk's forms give them: 0x00BBGGRR for plain colours, system colours with
// the top byte 0xFF and the system colour number below (the view takes them from the palette).
using TColor = int32_t;

constexpr TColor SystemColor(int n) {
    return static_cast<TColor>(0xFF000000u | unsigned(n));
}
constexpr TColor RgbColor(int r, int g, int b) {
    return TColor(r | (g << 8) | (b << 16));
}

inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor clLime = RgbColor(0, 255, 0);
inline constexpr TColor clMaroon = RgbColor(128, 0, 0);
inline constexpr TColor clRed = RgbColor(255, 0, 0);
inline constexpr TColor clYellow = RgbColor(255, 255, 0);
inline constexpr TColor clAqua = RgbColor(0, 255, 255);
inline constexpr TColor clWhite = RgbColor(255, 255, 255);
inline constexpr TColor PressedGreen = 13434828; // red 204, green 255, blue 204

inline bool IsSystemColor(TColor c) {
    return (uint32_t(c) & 0xFF000000u) == 0xFF000000u;
}
inline int SystemColorNumber(TColor c) {
    return int(uint32_t(c) & 0xFFu);
}
inline int RedOf(TColor c) {
    return int(uint32_t(c) & 0xFFu);
}
inline int GreenOf(TColor c) {
    return int((uint32_t(c) >> 8) & 0xFFu);
}
inline int BlueOf(TColor c) {
    return int((uint32_t(c) >> 16) & 0xFFu);
}

// Option bits as stored in the options byte.
enum TOption : uint8_t {
    cbDottedBox = 1,
    cbLikeButtonDown = 2,
    cbLiteButton = 4,
    cbViewLikePressDown = 8,
    cbViewLikePressUp = 16,
};
using TOptions = uint8_t;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TImagesLayout { imImageLeft, imImageTop, imImageBottom };

inline constexpr const char* Version = "1.33";
inline constexpr int MaxImages = 5;

// The numbers of an image index text: runs of digits, any other character separates; only the
// first five numbers count ("2, 5;7" gives 2, 5, 7).
std::vector<int32_t> ParseImagesIndex(std::string_view text);

// The colours a button keeps and the pressed-colour handling of mouse and Enter/Space.
struct ColourState {
    TColor Color = clWindow;
    TColor ColorOnFocus = clLime;
    TColor ColorOnDisabled = clBtnFace;
    TColor ColorOnFocusDown = PressedGreen;
    TColor ColorTextOnFocusDown = clMaroon;
    TColor BarvaZvyrazneni = clLime; // highlight colour now in use
    TColor FontColor = clWindowText;
    TOptions Options = cbDottedBox;

    // The pressed colours apply only with cbLikeButtonDown and neither view option.
    bool UsesPressedColours() const;
    // Left mouse button, Enter or Space goes down / comes up.
    void PressStart();
    void PressEnd();
};

// Half-open rectangle in button pixels.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

// One filled area of the plan, drawn in order.
struct Bar {
    Rect r;
    TColor colour;
};

struct ImagePlace {
    int index; // into the image list
    int x;
    int y;
};

struct PaintInput {
    int width = 0;
    int height = 0;
    bool enabled = true;
    bool down = false;    // the native button is pressed
    bool focused = false; // it has the keyboard focus
    bool aktivni = false; // it is the active (default) button of its form
    TAlignment alignment = TAlignment::taCenter;
    TImagesLayout imagesLayout = TImagesLayout::imImageLeft;
    // Image list: none when imageCount is 0.
    bool hasImages = false;
    int imageWidth = 0;
    int imageHeight = 0;
    int imageCount = 0;
    std::vector<int32_t> indexes;
    int captionWidth = 0; // text width of the caption followed by two blanks
};

struct PaintPlan {
    std::vector<Bar> bars;
    Rect textRect;
    int textState = 0; // 0 normal, 1 disabled (embossed), 2 down
    TColor textColour = clWindowText;
    std::vector<ImagePlace> images;
    bool imagesGreyed = false;
    bool focusBox = false;
    Rect focusRect;
};

// The drawing of one paint notification. It also ends the pressed colours once the font
// colour is back to clWindowText, which is why it takes the colour state.
PaintPlan PlanPaint(const PaintInput& in, ColourState& st);

} // namespace K_ColBtn
