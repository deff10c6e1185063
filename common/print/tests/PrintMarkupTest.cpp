#include "PrintMarkup.h"
#include "fDefTisk.h"

#include <gtest/gtest.h>

using fDefTisk::FindPrinterTag;
using fDefTisk::FormFeedFilter;
using fDefTisk::LinePiece;
using fDefTisk::SplitFontTags;

namespace {

std::string Pieces(std::string_view line) {
    std::string s;
    for (const LinePiece& p : SplitFontTags(line)) {
        s += p.tag ? "{" + p.text + "}" : "[" + p.text + "]";
    }
    return s;
}

std::vector<std::string> Filter(int mode, const std::vector<std::string>& lines) {
    FormFeedFilter f(mode);
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        f.Line(l, out);
    }
    f.End(out);
    return out;
}

SI_Font::UserFonts Fonts() {
    SI_Font::UserFonts fonts;
    for (int i = 0; i < SI_Font::PocetFontu; ++i) {
        fonts[i] = SI_Font::VychoziFont();
        fonts[i].size = 10 + i;
    }
    return fonts;
}

Tools::FontSpec Apply(std::string_view tag, Tools::FontSpec font = SI_Font::VychoziFont()) {
    fDefTisk::NastavFontTisku(tag, font, Fonts());
    return font;
}

} // namespace

TEST(PrinterTag, NumberAndStartOrNoTagAtAll) {
    const auto t = FindPrinterTag("<PRINTER=2>Word");
    EXPECT_TRUE(t.valid);
    EXPECT_EQ(t.printer, 2);
    EXPECT_EQ(std::string("<PRINTER=2>Word").substr(t.start), "Word");
    // Any letter case; the text before the tag goes with it.
    const auto lower = FindPrinterTag("xx<printer=5>");
    EXPECT_EQ(lower.printer, 5);
    EXPECT_EQ(lower.start, 13U);
    EXPECT_EQ(FindPrinterTag("<PRINTER=-1>").printer, -1);
    for (const char* bad : {"<PRINTER=2.5>x", "<PRINTER= 2>x", "<PRINTER=>x", "<PRINTER=2 x",
                            "<PRINTER=99999999999>", "plain"}) {
        const auto none = FindPrinterTag(bad);
        EXPECT_FALSE(none.valid) << bad;
        EXPECT_EQ(none.printer, 0) << bad;
        EXPECT_EQ(none.start, 0U) << bad;
    }
}

TEST(FontTags, LineSplitsIntoTextAndTags) {
    EXPECT_EQ(Pieces("Split <FONT=3>12:34<FONT=0> end"), "[Split ]{=3}[12:34]{=0}[ end]");
    EXPECT_EQ(Pieces("<font name=x>a"), "{ name=x}[a]");
    // No '>' after "<FONT": the tag prints as text, and a later tag still works.
    EXPECT_EQ(Pieces("a <FONT=3 b"), "[a <FONT=3 b]");
    // The tag runs to the first ">", whatever stands before it.
    EXPECT_EQ(Pieces("<FONT<FONT=1>x"), "{<FONT=1}[x]");
    EXPECT_EQ(Pieces(""), "");
    // The '>' must lie within 255 characters of the '<' ...
    const std::string far = "<FONT" + std::string(250, ' ') + ">";
    EXPECT_EQ(Pieces(far), "[" + far + "]");
    const std::string near = "<FONT" + std::string(249, ' ') + ">";
    EXPECT_EQ(Pieces(near), "{" + std::string(249, ' ') + "}");
    // ... but the text after a tag is never cut.
    const std::string longText(600, 'x');
    EXPECT_EQ(Pieces("<FONT=1>" + longText + "<FONT=2>é"), "{=1}[" + longText + "]{=2}[é]");
}

TEST(FontTags, UserFontsAndPairs) {
    EXPECT_EQ(Apply("=3").size, 13);
    // "=3 " is no user-font tag: one pair with an empty key, which changes nothing.
    EXPECT_EQ(Apply("=3 ").size, 10);
    EXPECT_EQ(Apply(" =3").size, 10);

    const auto all = Apply(" name=\"Liberation Serif\" size=12 style=bold,italic color=red");
    EXPECT_EQ(all.name, "Liberation Serif");
    EXPECT_EQ(all.size, 12);
    EXPECT_TRUE(all.bold);
    EXPECT_TRUE(all.italic);
    EXPECT_FALSE(all.underline);
    EXPECT_EQ(all.color, 0x0000FF);

    // A quoted size counts when another pair follows, not as the last pair.
    EXPECT_EQ(Apply(" SIZE=\"14\" NAME=Arial").size, 14);
    EXPECT_EQ(Apply(" NAME=Arial SIZE=\"14\"").size, 10);
    EXPECT_EQ(Apply(" NAME=\"Arial\"").name, "Arial");
    // A blank before '=' makes a key nothing matches; an empty value is no value.
    EXPECT_EQ(Apply(" SIZE =14").size, 10);
    EXPECT_EQ(Apply(" SIZE=").size, 10);
    // Sizes that are no whole number or that no page holds are ignored.
    EXPECT_EQ(Apply(" SIZE=12.5").size, 10);
    EXPECT_EQ(Apply(" SIZE=0").size, 10);
    EXPECT_EQ(Apply(" SIZE=100000").size, 10);

    Tools::FontSpec styled = SI_Font::VychoziFont();
    styled.bold = true;
    styled = Apply(" STYLE=underline+strikeout", styled);
    EXPECT_FALSE(styled.bold);
    EXPECT_TRUE(styled.underline);
    EXPECT_TRUE(styled.strikeOut);

    EXPECT_EQ(Apply(" COLOR=Navy").color, 0x800000);
    EXPECT_EQ(Apply(" COLOR=white").color, fDefTisk::BarvaZadna);
    EXPECT_EQ(Apply(" COLOR=NONE").color, fDefTisk::BarvaZadna);
    Tools::FontSpec green = Apply(" COLOR=lime");
    EXPECT_EQ(Apply(" COLOR=pink", green).color, 0x00FF00);
    EXPECT_EQ(Apply(" WEIGHT=900 NAME=Keep").name, "Keep");
}

TEST(PridatFF, FormFeedRulesAtTheEndOfAFile) {
    // -1: a final form feed and the blank lines after it are dropped ...
    EXPECT_EQ(Filter(-1, {"a", "b\f", "", "  "}), (std::vector<std::string>{"a", "b"}));
    // ... one in the middle prints after the blank lines that followed it.
    EXPECT_EQ(Filter(-1, {"a\f", "", "b"}), (std::vector<std::string>{"a", "", "\f", "b"}));
    // A line of only a form feed right after one counts as a blank line.
    EXPECT_EQ(Filter(-1, {"a\f", "\f", "b"}), (std::vector<std::string>{"a", "", "\f", "b"}));
    EXPECT_EQ(Filter(-1, {"\f", "a"}), (std::vector<std::string>{"", "\f", "a"}));
    // 1: one is added only when the last line has none.
    EXPECT_EQ(Filter(1, {"a\f"}), (std::vector<std::string>{"a\f"}));
    EXPECT_EQ(Filter(1, {"a\f", "b"}), (std::vector<std::string>{"a\f", "b", "\f"}));
    // 0 and values the dialog never stores leave the file as it is.
    EXPECT_EQ(Filter(0, {"a\f", ""}), (std::vector<std::string>{"a\f", ""}));
    EXPECT_EQ(Filter(7, {"a\f", ""}), (std::vector<std::string>{"a\f", ""}));
}
