#include "K_ColBtnLogic.h"
#include "KlavesniceLogic.h"
#include "SI_Typ.h"
#include "fVyberBTNLogic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace K_ColBtn;

namespace {

TEST(ColButtonLogic, ImagesIndexTakesTheFirstFiveNumbers) {
    const struct {
        const char* text;
        std::vector<int32_t> numbers;
    } cases[] = {
        {"2, 5;7", {2, 5, 7}}, {"1,2,3,4,5,6", {1, 2, 3, 4, 5}}, {"abc", {}}, {"", {}},
        {"12x", {12}},         {"99999999999999", {INT32_MAX}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseImagesIndex(c.text), c.numbers) << c.text;
    }
}

// The colour the plan leaves at one pixel.
TColor At(const PaintPlan& plan, int x, int y) {
    TColor c = 0;
    for (const Bar& b : plan.bars) {
        if (x >= b.r.left && x < b.r.right && y >= b.r.top && y < b.r.bottom) {
            c = b.colour;
        }
    }
    return c;
}

TEST(ColButtonLogic, BackgroundBorderAndTextPerState) {
    const struct {
        const char* name;
        TOptions options;
        bool enabled, down, focused, aktivni, pressedColours;
        TColor centre, edge;
        int textState;
    } cases[] = {
        {"idle", cbDottedBox, true, false, false, false, false, clWindow, clBtnHighlight, 0},
        {"active", cbDottedBox, true, false, false, true, false, clLime, clWindowFrame, 0},
        {"pressed", cbLikeButtonDown, true, true, true, true, true, PressedGreen, clWindowFrame, 2},
        {"lite idle", cbLiteButton, true, false, false, false, false, clWindow, clBtnHighlight, 0},
        {"view down", cbLikeButtonDown | cbViewLikePressDown, true, false, true, false, true,
         clLime, clWindowFrame, 2},
        {"view up", cbViewLikePressUp, true, true, false, false, false, clWindow, clBtnHighlight,
         0},
        {"disabled", cbDottedBox, false, false, false, false, false, clWindow, clBtnHighlight, 1},
    };
    for (const auto& c : cases) {
        ColourState st;
        st.Options = c.options;
        if (c.pressedColours) {
            st.PressStart();
        }
        PaintInput in;
        in.width = 100;
        in.height = 40;
        in.enabled = c.enabled;
        in.down = c.down;
        in.focused = c.focused;
        in.aktivni = c.aktivni;
        const PaintPlan plan = PlanPaint(in, st);
        EXPECT_EQ(At(plan, 50, 20), c.centre) << c.name;
        EXPECT_EQ(At(plan, 0, 20), c.edge) << c.name;
        EXPECT_EQ(plan.textState, c.textState) << c.name;
        EXPECT_EQ(plan.focusBox, c.focused && c.aktivni && (c.options & cbDottedBox)) << c.name;
    }
}

TEST(ColButtonLogic, ImagesSkipIndexesOutsideTheList) {
    ColourState st;
    PaintInput in;
    in.width = 200;
    in.height = 40;
    in.hasImages = true;
    in.imageWidth = 16;
    in.imageHeight = 16;
    in.imageCount = 3;
    in.indexes = {0, 7, 2};
    in.alignment = TAlignment::taLeftJustify;
    PaintPlan plan = PlanPaint(in, st);
    ASSERT_EQ(plan.images.size(), 2u);
    EXPECT_EQ(plan.images[0].index, 0);
    EXPECT_EQ(plan.images[1].index, 2);
    EXPECT_EQ(plan.images[0].x, 5);
    EXPECT_EQ(plan.images[1].x, 21);
    EXPECT_EQ(plan.images[0].y, 39 / 2 - 8);
    EXPECT_EQ(plan.textRect.left, 32); // the caption starts right of both images

    in.imagesLayout = TImagesLayout::imImageTop;
    in.alignment = TAlignment::taCenter;
    in.down = true;
    plan = PlanPaint(in, st);
    EXPECT_EQ(plan.images[0].x, 199 / 2 - 16 + 1);
    EXPECT_EQ(plan.images[0].y, 39 / 2 - 16 + 1);
}

fVyberBTN::TVyberModel Chooser(const std::string& subtitle, int raceKind = 0) {
    fVyberBTN::TVyberModel m;
    m.Inicializuj({true, 300, 16 + 37}, {!subtitle.empty(), 200, 56 + 37}, 20, raceKind, 1024);
    return m;
}

TEST(ChooserLogic, TilesFillRowsUpToTheScreenEdge) {
    fVyberBTN::TVyberModel m = Chooser("");
    // Empty subtitle: the first row starts 10 px below the title.
    for (int i = 1; i <= 10; ++i) {
        m.PridejPolozku(std::to_string(i), "", clWindow, i == 4);
    }
    EXPECT_EQ(m.Tile(1), (fVyberBTN::Box{10, 63, 100, 40}));
    EXPECT_EQ(m.Tile(8).left, 780); // right edge 880
    // The ninth would end at 990, past 1024 - 50.
    EXPECT_EQ(m.Tile(9), (fVyberBTN::Box{10, 113, 100, 40}));
    EXPECT_EQ(m.Tile(10).left, 120);
    EXPECT_EQ(m.Predvybrany(), 4);
    EXPECT_EQ(m.FormWidth(), 880 + 50);
    EXPECT_EQ(m.FormHeight(), 153 + 70);
    EXPECT_EQ(m.Items()[2].caption, "3"); // an empty caption shows the key

    // Rows the caller asks for, an extra gap, a second line and the wider tiles of race kind 2.
    fVyberBTN::TVyberModel r = Chooser("second", 2);
    r.PridejPolozku("H21A", "", clWindow, false);
    r.NovyRadek();
    r.Mezera(0);
    r.PridejPolozku("D21", "", clWindow, false);
    EXPECT_EQ(r.Tile(1), (fVyberBTN::Box{10, 103, 130, 40}));
    EXPECT_EQ(r.Tile(2), (fVyberBTN::Box{10, 163, 130, 40}));

    // A tile too wide for any row stays in its row rather than leaving an empty one.
    fVyberBTN::TVyberModel w = Chooser("");
    w.NastavVelikost(1000, 40);
    w.PridejPolozku("a", "", clWindow, false);
    EXPECT_EQ(w.Tile(1).top, 63);
}

TEST(ChooserLogic, AnyNumberOfItemsScrollsWhenTallerThanTheScreen) {
    fVyberBTN::TVyberModel m = Chooser("");
    for (int i = 1; i <= 250; ++i) {
        m.PridejPolozku("k" + std::to_string(i), "", clWindow, false);
    }
    EXPECT_EQ(m.Pocet(), 250);
    EXPECT_EQ(m.Klic(250), "k250");
    EXPECT_EQ(m.Klic(251), "");
    // 32 rows of 8 tiles.
    EXPECT_EQ(m.Tile(250).top, 63 + 31 * 50);
    fVyberBTN::Placement p = m.Place(1024, 768, 40);
    EXPECT_TRUE(p.scroll);
    EXPECT_EQ(p.height, 768);
    EXPECT_EQ(p.top, 0);
    EXPECT_EQ(p.width, 930 + 40);
    EXPECT_EQ(p.left, (1024 - 970) / 2);
    EXPECT_EQ(p.contentHeight, m.FormHeight());

    // A short list is centred and does not scroll.
    fVyberBTN::TVyberModel s = Chooser("");
    s.PridejPolozku("a", "", clWindow, false);
    p = s.Place(1024, 768, 40);
    EXPECT_FALSE(p.scroll);
    EXPECT_EQ(p.width, 350);
    EXPECT_EQ(p.left, (1024 - 350) / 2);
    EXPECT_EQ(p.top, (768 - s.FormHeight()) / 2);
}

TEST(ChooserLogic, ListModeResults) {
    fVyberBTN::TVyberModel m = Chooser("x");
    m.NastavRezim(fVyberBTN::RezimSeznam);
    EXPECT_EQ(m.FormWidth(), 705 + 50);
    EXPECT_EQ(m.FormHeight(), 233 + 50);
    const fVyberBTN::Placement p = m.Place(1024, 768, 40);
    EXPECT_FALSE(p.scroll);
    EXPECT_EQ(p.top, (768 - 283) / 3);

    std::string key = "old";
    EXPECT_FALSE(m.OkResult(-1, key)); // empty list, OK: Cancel
    EXPECT_EQ(key, "");
    for (int i = 1; i <= 300; ++i) {
        m.PridejPolozku(std::to_string(i), "caption", clWindow, false);
    }
    EXPECT_TRUE(m.OkResult(299, key));
    EXPECT_EQ(key, "300");
}

TEST(KeyboardLogic, KeyPositions) {
    const struct {
        char c;
        bool qwerty, letters;
        Klavesnice::KeyPos pos;
    } cases[] = {
        {'Q', true, true, {0, 0, 1}},  {'P', true, true, {0, 9, 1}},  {'A', true, true, {1, 0, 1}},
        {'L', true, true, {1, 8, 1}},  {'Z', true, true, {2, 0, 1}},  {'M', true, true, {2, 6, 1}},
        {'A', false, true, {0, 0, 1}}, {'I', false, true, {0, 8, 1}}, {'J', false, true, {1, 0, 1}},
        {'Z', false, true, {2, 7, 1}}, {'1', true, true, {0, 11, 1}}, {'6', true, true, {1, 13, 1}},
        {'7', true, true, {2, 11, 1}}, {'0', true, true, {3, 11, 3}}, {'1', true, false, {0, 1, 1}},
        {'9', true, false, {2, 3, 1}}, {'0', true, false, {3, 1, 1}}, {' ', true, true, {3, 2, 4}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Klavesnice::PoziceKlavesy(c.c, c.qwerty, c.letters), c.pos) << c.c;
    }
}

bool Overlap(const Klavesnice::Box& a, const Klavesnice::Box& b) {
    return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

TEST(KeyboardLogic, LayoutPlacesKeysWithoutOverlap) {
    // Digits only: the big phone pad under a centred OK.
    Klavesnice::Layout d = Klavesnice::RozmistiKlavesy(true, false, true, 100, 100);
    EXPECT_EQ(d.ok.left, 50);
    EXPECT_EQ(d.ok.top, 110);
    EXPECT_EQ(d.ok.width, 160);
    EXPECT_EQ(d.ok.height, 80);
    EXPECT_EQ(d.cancel.left, 220);
    EXPECT_EQ(d.base, 210);
    EXPECT_EQ(d.keys['5'].left, 180);
    EXPECT_EQ(d.keys['5'].top, 300);
    EXPECT_EQ(d.backspace.left, 180);
    EXPECT_EQ(d.backspace.width, 170);
    EXPECT_EQ(d.formWidth, 5 * 90 + 210);
    EXPECT_EQ(d.formHeight, 480 + 80 + 100);
    EXPECT_FALSE(d.keys['A'].visible);
    EXPECT_FALSE(d.capsToggle.visible);
    EXPECT_EQ(Klavesnice::RozmistiKlavesy(true, false, true, 100, 900).formWidth, 950);

    // Letters and digits: staggered letter rows, the pad to the right.
    Klavesnice::Layout l = Klavesnice::RozmistiKlavesy(true, true, true, 100, 100);
    EXPECT_EQ(l.base, 180);
    EXPECT_EQ(l.keys['Q'].left, 30);
    EXPECT_EQ(l.keys['A'].left, 55);
    EXPECT_EQ(l.keys['Z'].left, 80);
    EXPECT_EQ(l.keys['Z'].top, 180 + 120);
    EXPECT_EQ(l.keys['1'].left, 690);
    EXPECT_EQ(l.keys['0'].width, 170);
    EXPECT_EQ(l.keys[' '].left, 225);
    EXPECT_EQ(l.keys[' '].width, 230);
    EXPECT_EQ(l.formWidth, 14 * 60 + 180);

    for (bool digits : {true, false}) {
        for (bool letters : {true, false}) {
            for (bool qwerty : {true, false}) {
                const Klavesnice::Layout k =
                    Klavesnice::RozmistiKlavesy(digits, letters, qwerty, 100, 100);
                std::vector<Klavesnice::Box> boxes = {k.ok, k.cancel, k.backspace, k.layoutToggle,
                                                      k.capsToggle};
                for (const auto& [c, b] : k.keys) {
                    boxes.push_back(b);
                }
                for (size_t i = 0; i < boxes.size(); ++i) {
                    if (!boxes[i].visible) {
                        continue;
                    }
                    EXPECT_LE(boxes[i].Right(), k.formWidth);
                    for (size_t j = i + 1; j < boxes.size(); ++j) {
                        EXPECT_FALSE(boxes[j].visible && Overlap(boxes[i], boxes[j]))
                            << digits << letters << qwerty << " boxes " << i << ", " << j;
                    }
                }
            }
        }
    }
}

TEST(KeyboardLogic, TypingMaskingAndLimits) {
    Klavesnice::TKlavesniceModel m;
    m.Nastav("", 3, true, true, false);
    EXPECT_EQ(m.NastavRetezec(), "_");
    for (char c : {'4', '8', '3', '0'}) {
        m.Klavesa(c);
    }
    EXPECT_EQ(m.Text(), "483"); // the fourth is past the limit
    EXPECT_EQ(m.NastavRetezec(), "***_");
    for (int i = 0; i < 5; ++i) {
        m.Backspace();
    }
    EXPECT_EQ(m.Text(), "");

    m.Nastav("", 20, false, true, true);
    m.Klavesa('A');
    m.PrepniVelka();
    m.Klavesa('B');
    m.Klavesa(' ');
    EXPECT_TRUE(m.FyzickaKlavesa('a')); // taken as typed, capitals or not
    EXPECT_TRUE(m.FyzickaKlavesa('Z'));
    EXPECT_FALSE(m.FyzickaKlavesa('-'));
    EXPECT_EQ(m.NastavRetezec(), "Ab aZ_");

    SI_Typ::Language = 1;
    EXPECT_EQ(m.VelkaCaption(), "UPPER");
    EXPECT_EQ(m.CancelCaption(), "Cancel");
    SI_Typ::Language = 0;
    EXPECT_EQ(m.VelkaCaption(), "VELKÁ");
    m.PrepniRozlozeni();
    EXPECT_EQ(m.RozlozeniCaption(), "QWE..");
}

} // namespace
