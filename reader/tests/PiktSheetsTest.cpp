// Control-description records and sheets: decoding the 82-byte records and the 48-bit real,
// building sheets in the three modes (with the 35-control case), the grid, what stands in
// the cells, and packing sheets on pages.

#include "PiktSheets.h"
#include "PiktTestRecords.h"
#include "platform/Cp1250.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

using namespace fPikt;
using namespace pikttest;

namespace {

// A plain list (mode 0) begins with a kind 0 record.
std::string Plain() {
    return Header4("");
}

std::string Start() {
    return RowRec(KindStart, 1, {0, 5, 0, 0, 0, '!'});
}
std::string Control(uint8_t code, std::array<uint8_t, 6> c = {0, 0x53, 0, 0, 0, 0},
                    const std::string& f = "") {
    return RowRec(KindControl, code, c, f);
}
std::string Finish(const std::string& distance = "120 m") {
    return RowRec(KindFinish, '&', {'&', '&', '&', '&', '&', '#'}, distance);
}
std::string Controls(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        s += Control(static_cast<uint8_t>(31 + i));
    }
    return s;
}

std::vector<TPiktogram> Read(const std::string& bytes, bool printer = true) {
    TSeznamPopisu list(printer);
    list.ReadRecords(bytes);
    return list.Sheets();
}

// Text measures that make positions easy to work out: 10 pixels a character, lines 20 high,
// pictograms one cell square.
class FakeMetrics : public PiktMetrics {
public:
    int TextWidth(int font, const std::string& s) const override {
        return font == FontPictogram ? 80 : 10 * static_cast<int>(platform::Utf8Length(s));
    }
    int TextHeight(int font) const override { return font == FontPictogram ? 80 : 20; }
};

const PiktText* Find(const PiktDrawing& d, const std::string& text) {
    for (const auto& t : d.texts) {
        if (t.text == text) {
            return &t;
        }
    }
    return nullptr;
}

const PiktText* FindCode(const PiktDrawing& d, uint8_t code, int nth = 0) {
    for (const auto& t : d.texts) {
        if (t.code == code && nth-- == 0) {
            return &t;
        }
    }
    return nullptr;
}

// ---- records ------------------------------------------------------------------------------

TEST(PiktRecords, FieldsStandAtTheirOffsets) {
    const std::string bytes =
        Runner(12, "Novák Jan", "H21", "A", 1234567, "10:30", "12", "volný start");
    const TPiktRec r = TPiktRec::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data()));
    EXPECT_EQ(r.Kind(), KindRunner);
    EXPECT_EQ(r.Number(), 12);
    EXPECT_EQ(r.Name(), "Novák Jan"); // Windows-1250 in the file
    EXPECT_EQ(r.FirstText(), "H21");
    EXPECT_EQ(r.SecondText(), "A");
    EXPECT_EQ(r.SiCard(), 1234567);
    EXPECT_EQ(r.StartText1(), "10:30");
    EXPECT_EQ(r.StartText2(), "12");
    EXPECT_EQ(r.StartText3(), "volný start");

    const std::string neg = Runner(1, "", "", "", -5, "", "", "");
    EXPECT_EQ(TPiktRec::FromBytes(reinterpret_cast<const uint8_t*>(neg.data())).SiCard(), -5);

    const std::string course = Course("Trať A", Real5_2, 150);
    const TPiktRec c = TPiktRec::FromBytes(reinterpret_cast<const uint8_t*>(course.data()));
    EXPECT_EQ(c.CourseName(), "Trať A");
    EXPECT_NEAR(c.Length(), 5.2, 1e-11);
    EXPECT_EQ(c.Climb(), 150);

    const std::string row = RowRec(KindControl, 45, {1, 2, 3, 4, 5, 6}, "0.5/3");
    const TPiktRow w = TPiktRec::FromBytes(reinterpret_cast<const uint8_t*>(row.data())).Row();
    EXPECT_EQ(w.Typ(), RowControl);
    EXPECT_EQ(w.Byte(2), 45);
    for (int k = 3; k <= 8; ++k) {
        EXPECT_EQ(w.Byte(k), k - 2);
    }
    EXPECT_EQ(w.Text(), "0.5/3");
}

TEST(PiktRecords, ShortStringLengthBeyondItsFieldIsCut) {
    Rec r{};
    r[0] = KindCourse;
    r[1] = 200; // a course name field holds at most 10 characters
    std::fill(r.begin() + 2, r.end(), 'x');
    const TPiktRec c = TPiktRec::FromBytes(r.data());
    EXPECT_EQ(c.CourseName(), std::string(10, 'x'));
}

TEST(PiktRecords, Real48) {
    const uint8_t zero[6] = {0,    0xFF, 0xFF,
                             0xFF, 0xFF, 0xFF}; // exponent 0 is zero, whatever follows
    const uint8_t one[6] = {0x81, 0, 0, 0, 0, 0};
    const uint8_t minus2_5[6] = {0x82, 0, 0, 0, 0, 0xA0}; // sign in the top bit of byte 5
    const uint8_t small[6] = {0x7E, 0, 0, 0, 0, 0};       // 0.125
    EXPECT_EQ(Real48ToDouble(zero), 0.0);
    EXPECT_EQ(Real48ToDouble(one), 1.0);
    EXPECT_EQ(Real48ToDouble(minus2_5), -2.5);
    EXPECT_EQ(Real48ToDouble(small), 0.125);
    EXPECT_NEAR(Real48ToDouble(Real5_2.data()), 5.2, 1e-11);
}

// ---- sheets from records ------------------------------------------------------------------

TEST(PiktSheets, PlainListOf40ControlsGivesSheetsOf35And5) {
    const auto sheets = Read(Plain() + Start() + Controls(40) + Finish());
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].Mode(), 0);
    EXPECT_EQ(sheets[0].Data().n, 35);
    EXPECT_EQ(sheets[1].Data().n, 5);
    EXPECT_TRUE(sheets[0].StartShown());
    EXPECT_FALSE(sheets[1].StartShown()); // the start row does not carry over
    EXPECT_FALSE(sheets[0].HasFinishRow());
    EXPECT_TRUE(sheets[1].HasFinishRow());
    EXPECT_EQ(sheets[1].Data().rows[1].Byte(2), 31 + 35);
    EXPECT_EQ(sheets[1].Data().rows[6].Text(), "120 m");
}

TEST(PiktSheets, CourseOfExactly35ControlsKeepsItsFinish) {
    auto sheets = Read(Plain() + Controls(35) + Finish());
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].Data().n, 35);
    EXPECT_TRUE(sheets[0].HasFinishRow());

    sheets = Read(Plain() + Start() + Controls(70) + Finish());
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_FALSE(sheets[0].HasFinishRow());
    EXPECT_EQ(sheets[1].Data().n, 35);
    EXPECT_TRUE(sheets[1].HasFinishRow());

    // A start after a full sheet belongs to the next sheet, not over the full one's start.
    sheets = Read(Plain() + Controls(35) + Start() + Controls(2) + Finish());
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_FALSE(sheets[0].StartShown());
    EXPECT_TRUE(sheets[1].StartShown());
    EXPECT_EQ(sheets[1].Data().n, 2);
}

TEST(PiktSheets, RunnersEachGetTheirOwnHeader) {
    const std::string file = Runner(12, "Novák Jan", "H21", "A", 0, "10:30", " 12 ", "") +
                             Header4("Pozor") + Course("A", Real5_2, 150) + Start() + Controls(3) +
                             Finish() +
                             Runner(7, "Svobodová", "D35", "B123", 1234567, "", "12", "volný") +
                             Course("B", Real5_2, 90) + Controls(10) + Finish();
    const auto sheets = Read(file);
    ASSERT_EQ(sheets.size(), 2u);
    const auto& a = sheets[0].Data();
    EXPECT_EQ(a.header[0], "(12) Novák Jan");
    EXPECT_EQ(a.header[1], "H21 A\t    SI : nahlásit !!!");
    EXPECT_EQ(a.header[2], "Start : 10:30 = 12");
    EXPECT_EQ(a.header[3], "Pozor");
    EXPECT_EQ(a.courseName, "A");
    EXPECT_EQ(a.n, 3);
    EXPECT_TRUE(sheets[0].StartShown());

    const auto& b = sheets[1].Data();
    // Texts cut to 8, then with the SI label cut to 17 characters.
    EXPECT_EQ(b.header[1], "D35 B123\t    SI :1234567");
    EXPECT_EQ(b.header[2], "Start : volný"); // start text 1 empty, start text 3 given
    EXPECT_EQ(b.header[3], "");              // a new runner clears line 4
    EXPECT_EQ(b.n, 10);
    EXPECT_FALSE(sheets[1].StartShown()); // a runner clears the start row
}

TEST(PiktSheets, RunnerSheetHoldsAtMost35Controls) {
    const auto sheets = Read(Runner(1, "X", "", "", 1, "", "", "") + Course("A", Real5_2, 0) +
                             Controls(37) + Finish());
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].Data().n, 35);
    EXPECT_TRUE(sheets[0].HasFinishRow());
    EXPECT_EQ(sheets[0].Data().rows[35].Byte(2), 31 + 34);
}

TEST(PiktSheets, FilesWithNothingToDraw) {
    EXPECT_TRUE(Read("").empty());
    EXPECT_EQ(Read(Plain() + Controls(3) + Finish()).size(), 1u); // no start needed
    // First record kind 11 is taken as the list's mode: nothing is drawn from it.
    TSeznamPopisu list(true);
    list.ReadRecords(RowRec(KindControl, 1, {}, "", RowControl) + Controls(2));
    EXPECT_EQ(list.Mode(), KindControl);
    EXPECT_TRUE(list.Sheets().empty());
    // A plain list with only a start and a finish has no control to close a sheet with.
    EXPECT_TRUE(Read(Plain() + Start() + Finish()).empty());
}

// ---- grid and cells -----------------------------------------------------------------------

TEST(PiktGrid, RunnerSheetLinesThickEveryThirdControl) {
    // Printer geometry: cell 80, column B 10 wider; header 3 cells in mode 1.
    auto sheet = Read(Runner(1, "X", "", "", 1, "", "", "") + Course("A", Real5_2, 0) + Start() +
                      Controls(6) + Finish())[0];
    EXPECT_EQ(sheet.Width(), 650);
    EXPECT_EQ(sheet.Height(), 240 + (6 + 4) * 80);
    const auto d = sheet.Layout(FakeMetrics());
    std::vector<PiktLine> rows, columns;
    for (const auto& l : d.lines) {
        (l.y0 == l.y1 ? rows : columns).push_back(l);
    }
    ASSERT_EQ(rows.size(), 11u); // header, course, start, 6 controls, finish
    EXPECT_EQ(rows[0].y0, 0);
    EXPECT_EQ(rows[1].y0, 320);
    EXPECT_EQ(rows[10].y0, 240 + 10 * 80);
    const bool thick[11] = {1, 1, 1, 0, 0, 0, 1, 0, 0, 1, 1};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(rows[i].thick, thick[i]) << "row line " << i;
        EXPECT_EQ(rows[i].x0, 0);
        EXPECT_EQ(rows[i].x1, 650);
    }
    // Header undivided, course row divided by lines 3 and 6 only, finish row merged.
    ASSERT_EQ(columns.size(), 9u);
    const int bottom = 240 + 10 * 80;
    for (int k = 0; k <= 8; ++k) {
        const auto& l = columns[k];
        const int top = k == 0 || k == 8 ? 0 : k == 3 || k == 6 ? 320 : 400;
        EXPECT_EQ(l.y0, top) << "line " << k;
        EXPECT_EQ(l.y1, k == 0 || k == 8 ? bottom : bottom - 80) << "line " << k;
        EXPECT_EQ(l.thick, k == 0 || k == 3 || k == 6 || k == 8) << "line " << k;
    }

    // Without a start the thick lines still fall under every third control.
    sheet = Read(Runner(1, "X", "", "", 1, "", "", "") + Course("A", Real5_2, 0) + Controls(6) +
                 Finish())[0];
    rows.clear();
    for (const auto& l : sheet.Layout(FakeMetrics()).lines) {
        if (l.y0 == l.y1) {
            rows.push_back(l);
        }
    }
    ASSERT_EQ(rows.size(), 10u);
    const bool thick2[10] = {1, 1, 1, 0, 0, 1, 0, 0, 1, 1};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(rows[i].thick, thick2[i]) << "row line " << i;
    }
}

TEST(PiktGrid, PlainListHasNoColumnAAndAMergedFinishRow) {
    const auto sheet = Read(Plain() + Controls(4) + Finish())[0];
    const auto d = sheet.Layout(FakeMetrics());
    std::vector<PiktLine> rows, columns;
    for (const auto& l : d.lines) {
        (l.y0 == l.y1 ? rows : columns).push_back(l);
    }
    ASSERT_EQ(rows.size(), 6u); // 4 controls and the finish, no start
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].x0, 80);
        EXPECT_EQ(rows[i].thick, i == 0 || i == 5);
    }
    ASSERT_EQ(columns.size(), 8u);
    for (int k = 1; k <= 8; ++k) {
        const auto& l = columns[k - 1];
        EXPECT_EQ(l.x0, sheet.LineX(k));
        EXPECT_EQ(l.y1, k >= 2 && k <= 7 ? 400 - 80 : 400) << "line " << k;
        EXPECT_EQ(l.thick, k == 1 || k == 3 || k == 6 || k == 8) << "line " << k;
    }
    // Control 1 stands in the first row (no start shown): its code in column B.
    const PiktText* code = Find(d, "31");
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->x, 125 - 10);
    EXPECT_EQ(code->y, 30);
    EXPECT_EQ(Find(d, "1"), nullptr); // no row numbers in a plain list
}

TEST(PiktCells, RunnerSheetTextsAndPictogramsInTheirCells) {
    auto sheet = Read(Runner(12, "Novák", "H21", "", 5, "10:30", "1", "") + Header4("Pozor") +
                      Course("Trať", Real5_2, 150) + Start() +
                      Control(45, {0x30, 0x53, 0xA0, 0, 0xC1, 0xB0}, "0.5/3") +
                      Control(46, {0, 0x48, 0, 0, 0, 0}, "2 x") +
                      Control(47, {0, 0x48, 0, 0, 0, 0}, "15 20") + Finish())[0];
    sheet.SetOrigin(1000, 2000);
    const auto d = sheet.Layout(FakeMetrics());
    auto at = [&](const PiktText* t, int x, int y) {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->x, x);
        EXPECT_EQ(t->y, y);
    };
    // Header lines, each 13/10 of a line lower, line 4 18/10.
    at(Find(d, "(12) Novák"), 1003, 2003);
    EXPECT_EQ(Find(d, "(12) Novák")->font, FontTitle);
    at(Find(d, "H21 \t    SI : 5"), 1003, 2029);
    at(Find(d, "Start : 10:30 = 1"), 1003, 2055);
    at(Find(d, "Pozor"), 1003, 2091);
    // Course row (position 1, top 2000 + 240 + 80): name in B, length in E, climb on line 7.
    at(Find(d, "Trať"), 1125 - 20, 2350);
    at(Find(d, "5.20 km"), 1370 - 35, 2350);
    at(Find(d, "150 m"), 1570 - 25, 2350);
    EXPECT_EQ(Find(d, "5.20 km")->font, FontCourse);
    // Start (position 2): its pictogram in column B, the rest of its row in C to G.
    at(FindCode(d, '!'), 1125 - 40, 2400);
    at(FindCode(d, 5), 1290 - 40, 2400);
    // Control 1 (position 3): number in A, code in B, pictograms in C, D, E, G, H.
    at(Find(d, "1"), 1040 - 5, 2480 + 30);
    at(Find(d, "45"), 1125 - 10, 2480 + 30);
    EXPECT_EQ(Find(d, "45")->font, FontCode);
    at(FindCode(d, 0x30), 1210 - 40, 2480);
    at(FindCode(d, 0x53), 1290 - 40, 2480);
    at(FindCode(d, 0xA0), 1370 - 40, 2480);
    at(FindCode(d, 0xC1), 1530 - 40, 2480);
    at(FindCode(d, 0xB0), 1610 - 40, 2480);
    EXPECT_EQ(FindCode(d, 0x30)->text, "\xEF\x80\xB0"); // U+F030
    // Column F: "0.5/3" as two small numbers and a diagonal.
    at(Find(d, "0.5"), 1411, 2481);
    at(Find(d, "3"), 1410 + 80 - 10 - 8, 2480 + 80 - 20);
    EXPECT_EQ(Find(d, "3")->font, FontSmall);
    const bool diagonal = std::any_of(d.lines.begin(), d.lines.end(), [](const PiktLine& l) {
        return l.x0 == 1410 && l.y0 == 2560 && l.x1 == 1490 && l.y1 == 2480 && !l.thick;
    });
    EXPECT_TRUE(diagonal);
    // "2 x" is short: centred; "15 20" is split at the blank, without a diagonal.
    at(Find(d, "2 x"), 1450 - 15, 2560 + 30);
    EXPECT_EQ(Find(d, "2 x")->font, FontColumnF);
    at(Find(d, "15"), 1411, 2641);
    at(Find(d, "20"), 1410 + 80 - 20 - 8, 2640 + 60);
    EXPECT_EQ(std::count_if(d.lines.begin(), d.lines.end(),
                            [](const PiktLine& l) { return l.x0 != l.x1 && l.y0 != l.y1; }),
              1);
}

TEST(PiktCells, FinishLinePiecesSitOnTheGridLines) {
    auto finish = [](uint8_t first, uint8_t last) {
        return RowRec(KindFinish, first, {'$', '$', '$', '$', last, '#'}, "250 m");
    };
    const std::string runner = Runner(1, "X", "", "", 1, "", "", "") + Course("A", Real5_2, 0);
    auto sheet = Read(runner + Controls(1) + finish('&', '$'))[0];
    auto d = sheet.Layout(FakeMetrics());
    const int top = 240 + 3 * 80; // position 3: no start, one control
    // The last control's circle in column A, the finish in H, the distance on line 4.
    EXPECT_EQ(FindCode(d, '"')->x, 0);
    EXPECT_EQ(FindCode(d, '"')->y, top);
    EXPECT_EQ(FindCode(d, '#')->x, 570);
    EXPECT_EQ(Find(d, "250 m")->x, 330 - 25);
    // Byte 2 '&' moves a quarter cell right; 3 and 4 on lines 2 and 3; 5 to 7 one cell further.
    EXPECT_EQ(FindCode(d, '&')->x, 80 + 20 - 40);
    const int centres[] = {170, 250, 410, 490};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(FindCode(d, '$', i)->x, centres[i] - 40) << i;
    }
    EXPECT_EQ(FindCode(d, '$', 4)->x, 570 - 40);

    // ')' first: itself a quarter, the next piece an eighth to the right; '(' last: the two
    // last pieces an eighth and a quarter to the left.
    sheet = Read(runner + Controls(1) + finish(')', '('))[0];
    d = sheet.Layout(FakeMetrics());
    EXPECT_EQ(FindCode(d, ')')->x, 100 - 40);
    EXPECT_EQ(FindCode(d, '$', 0)->x, 180 - 40);
    EXPECT_EQ(FindCode(d, '$', 3)->x, 480 - 40);
    EXPECT_EQ(FindCode(d, '(')->x, 550 - 40);

    // A finish row without a distance text draws nothing.
    sheet = Read(runner + Controls(1) + RowRec(KindFinish, '&', {'$', '$', 0, 0, 0, '#'}))[0];
    d = sheet.Layout(FakeMetrics());
    EXPECT_EQ(FindCode(d, '#'), nullptr);
    EXPECT_EQ(FindCode(d, '"'), nullptr);
}

// ---- packing ------------------------------------------------------------------------------

std::string RunnerWith(int controls, uint16_t number) {
    return Runner(number, "R", "", "", 1, "", "", "") + Course("A", Real5_2, 0) +
           Controls(controls) + Finish();
}

TEST(PiktPacking, SheetsFillColumnsThenPages) {
    // Runner sheets are 650 wide and 240 + (n + 3) * 80 high; pages 1400 x 2000, so a page
    // holds two columns 690 apart.
    TSeznamPopisu list(true);
    list.ReadRecords(RunnerWith(15, 1) + RunnerWith(2, 2) + RunnerWith(2, 3) + RunnerWith(30, 4));
    auto pages = list.Pack(1400, 2000);
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(pages[0].size(), 3u);
    auto is = [](const TPiktogram& s, const char* header, int x, int y) {
        EXPECT_EQ(s.Data().header[0], header);
        EXPECT_EQ(s.X(), x);
        EXPECT_EQ(s.Y(), y);
    };
    is(pages[0][0], "(1) R", 0, 0);
    is(pages[0][1], "(2) R", 690, 0); // no room under the first: next column
    is(pages[0][2], "(3) R", 690, 640 + 40);
    ASSERT_EQ(pages[1].size(), 1u);
    is(pages[1][0], "(4) R", 0, 0); // taller than a page: at the top of the next one

    // The first sheet that fits is taken, in list order, before a taller one.
    list.ReadRecords(RunnerWith(30, 4) + RunnerWith(2, 2));
    pages = list.Pack(1400, 2000);
    ASSERT_EQ(pages.size(), 2u);
    is(pages[0][0], "(2) R", 0, 0);
    is(pages[1][0], "(4) R", 0, 0);

    // A sheet too tall for any page does not leave an empty page before it.
    list.ReadRecords(RunnerWith(30, 4));
    pages = list.Pack(1400, 2000);
    ASSERT_EQ(pages.size(), 1u);
    is(pages[0][0], "(4) R", 0, 0);

    // A page narrower than a sheet: one sheet a page, none empty.
    list.ReadRecords(RunnerWith(2, 1) + RunnerWith(2, 2));
    pages = list.Pack(600, 2000);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].size(), 1u);
    EXPECT_EQ(pages[1].size(), 1u);
}

TEST(PiktPacking, RunnerSheetsTallestFirstPlainListInFileOrder) {
    TSeznamPopisu list(true);
    list.ReadRecords(RunnerWith(2, 1) + RunnerWith(9, 2) + RunnerWith(2, 3) + RunnerWith(5, 4));
    list.Sort();
    std::vector<std::string> order;
    for (const auto& s : list.Sheets()) {
        order.push_back(s.Data().header[0]);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"(2) R", "(4) R", "(1) R", "(3) R"}));

    list.ReadRecords(Plain() + Controls(36) + Finish()); // plain list: 35 then 1, kept so
    list.Sort();
    ASSERT_EQ(list.Sheets().size(), 2u);
    EXPECT_EQ(list.Sheets()[0].Data().n, 35);
}

} // namespace
