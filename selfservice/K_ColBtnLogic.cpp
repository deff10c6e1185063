#include "K_ColBtnLogic.h"

#include <algorithm>

namespace K_ColBtn {

std::vector<int32_t> ParseImagesIndex(std::string_view text) {
    std::vector<int32_t> out;
    int64_t value = 0;
    bool inNumber = false;
    auto close = [&] {
        if (inNumber && out.size() < MaxImages) {
            out.push_back(int32_t(value));
        }
        inNumber = false;
        value = 0;
    };
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            // A run of digits longer than any image list saturates instead of overflowing.
            value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX);
            inNumber = true;
        } else {
            close();
        }
    }
    close();
    return out;
}

bool ColourState::UsesPressedColours() const {
    return (Options & cbLikeButtonDown) != 0 &&
           (Options & (cbViewLikePressDown | cbViewLikePressUp)) == 0;
}

void ColourState::PressStart() {
    if (UsesPressedColours()) {
        BarvaZvyrazneni = ColorOnFocusDown;
        FontColor = ColorTextOnFocusDown;
    }
}

void ColourState::PressEnd() {
    if (UsesPressedColours()) {
        BarvaZvyrazneni = ColorOnFocus;
        FontColor = clWindowText;
    }
}

namespace {

class Painter {
public:
    Painter(PaintPlan& plan, int w, int h) : plan_(plan), w_(w), h_(h) {}

    // One filled area, cut to the button; nothing when it lies outside.
    void Fill(Rect r, TColor c) {
        r.left = std::max(r.left, 0);
        r.top = std::max(r.top, 0);
        r.right = std::min(r.right, w_);
        r.bottom = std::min(r.bottom, h_);
        if (r.left < r.right && r.top < r.bottom) {
            plan_.bars.push_back({r, c});
        }
    }
    void Left(const Rect& r, int x, TColor c) { Fill({x, r.top, x + 1, r.bottom}, c); }
    void Top(const Rect& r, int y, TColor c) { Fill({r.left, y, r.right, y + 1}, c); }
    // An outline on the edge pixels of r.
    void Frame(const Rect& r, TColor c) {
        Top(r, r.top, c);
        Top(r, r.bottom - 1, c);
        Left(r, r.left, c);
        Left(r, r.right - 1, c);
    }

private:
    PaintPlan& plan_;
    int w_;
    int h_;
};

Rect Shrink(Rect r, int n) {
    return {r.left + n, r.top + n, r.right - n, r.bottom - n};
}

} // namespace

PaintPlan PlanPaint(const PaintInput& in, ColourState& st) {
    PaintPlan plan;
    Painter p(plan, in.width, in.height);
    const Rect client{0, 0, in.width, in.height};
    Rect r = client;

    bool down = in.down;
    if (st.Options & cbViewLikePressUp) {
        down = false;
    }
    if (st.Options & cbViewLikePressDown) {
        down = true;
    }
    if (st.FontColor == clWindowText) {
        st.BarvaZvyrazneni = st.ColorOnFocus;
    }
    plan.textState = !in.enabled ? 1 : (down ? 2 : 0);

    const bool lit = in.aktivni || in.focused;
    const bool lite = (st.Options & cbLiteButton) != 0;
    const TColor background = lit ? st.BarvaZvyrazneni : st.Color;
    p.Fill(r, background);

    if (lit) {
        if (lite) {
            p.Left(r, r.left, clBtnHighlight);
            p.Top(r, r.top, clBtnHighlight);
            p.Top(r, r.bottom - 1, clWindowFrame);
            p.Left(r, r.right - 1, clWindowFrame);
        } else {
            p.Frame(r, clWindowFrame);
        }
        r = Shrink(r, 1);
    }

    if (down) {
        if (lite) {
            const Rect around = Shrink(r, -1);
            p.Left(around, r.left - 1, clWindowFrame);
            p.Top(around, r.top - 1, clWindowFrame);
            p.Top(around, r.bottom, clBtnHighlight);
            p.Left(around, r.right, clBtnHighlight);
        } else {
            p.Fill(r, background);
            p.Frame(r, clBtnShadow);
        }
        r = Shrink(r, 1);
    } else if (lite) {
        if (!lit) {
            p.Left(r, r.left, clBtnHighlight);
            p.Top(r, r.top, clBtnHighlight);
            p.Top(r, r.bottom - 1, clBtnShadow);
            p.Left(r, r.right - 1, clBtnShadow);
        }
    } else {
        p.Left(r, r.left, clBtnHighlight);
        p.Top(r, r.top, clBtnHighlight);
        p.Top(r, r.bottom - 1, clWindowFrame);
        p.Left(r, r.right - 1, clWindowFrame);
        const Rect inner = Shrink(r, 1);
        p.Top(inner, r.bottom - 2, clBtnShadow);
        p.Left(inner, r.right - 2, clBtnShadow);
    }

    if (in.aktivni) {
        r = client;
    }

    // Images: only the entries inside the list count, for the width and for drawing.
    std::vector<int> valid;
    int w = 0;
    const bool images = in.hasImages && !in.indexes.empty();
    if (images) {
        for (int32_t n : in.indexes) {
            if (n >= 0 && n < in.imageCount) {
                valid.push_back(n);
                w += in.imageWidth;
            }
        }
        const int h = in.imageHeight;
        switch (in.imagesLayout) {
        case TImagesLayout::imImageLeft:
            r.left = w;
            break;
        case TImagesLayout::imImageTop:
            r.top += h + h / 3;
            break;
        case TImagesLayout::imImageBottom:
            r.top -= h + h / 3;
            break;
        }
    }

    if (down) {
        r = {r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
    }
    plan.textRect = r;
    plan.textColour = st.FontColor;

    if (images) {
        const Rect ir = Shrink(client, 1);
        const int hmax = in.imageHeight;
        int y = 0;
        switch (in.imagesLayout) {
        case TImagesLayout::imImageLeft:
            y = ir.bottom / 2 - hmax / 2;
            break;
        case TImagesLayout::imImageTop:
            y = ir.bottom / 2 - hmax;
            break;
        case TImagesLayout::imImageBottom:
            y = ir.bottom / 2;
            break;
        }
        int x = 0;
        switch (in.alignment) {
        case TAlignment::taLeftJustify:
            x = 5;
            break;
        case TAlignment::taRightJustify:
            x = ir.right - w - 5;
            break;
        case TAlignment::taCenter:
            x = in.imagesLayout == TImagesLayout::imImageLeft ? (ir.right - w - in.captionWidth) / 2
                                                              : ir.right / 2 - w / 2;
            break;
        }
        if (down) {
            ++x;
            ++y;
        }
        for (int n : valid) {
            plan.images.push_back({n, x, y});
            x += in.imageWidth;
        }
        plan.imagesGreyed = !in.enabled;
    }

    if ((st.Options & cbDottedBox) && in.aktivni && in.focused) {
        plan.focusBox = true;
        plan.focusRect = Shrink(client, 3);
    }
    return plan;
}

} // namespace K_ColBtn
