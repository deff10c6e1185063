// The pictogram font as the build makes it, sheets drawn with QPainter (into an image and into
// a PDF read back with poppler), and the job that prints one Pikt*.dat file: what it prints,
// when it starts no job, and what becomes of the file.

#include "PiktPrint.h"
#include "PiktDraw.h"
#include "PiktSheets.h"
#include "PiktTestRecords.h"
#include "fPikt.h"
#include "platform/Cp1250.h"
#include "platform/Paths.h"
#include "testsupport/PrintTestSupport.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>

#include <algorithm>
#include <set>

using namespace fPikt;
using namespace pikttest;
namespace fs = std::filesystem;

namespace {

// Start shown; controls 31 to 33; the finish 120 m away.
std::string OneRunner(uint16_t number = 12) {
    return Runner(number, "Novák Jan", "H21", "A", 1234567, "10:30", "12", "") +
           Course("Trať", Real5_2, 150) + RowRec(KindStart, 1, {0, 0x4B, 0, 0, 0, '!'}) +
           RowRec(KindControl, 31, {0x30, 0x53, 0, 0, 0xC1, 0xB0}, "0.5/3") +
           RowRec(KindControl, 32, {0, 0x48, 0, 0, 0, 0}) +
           RowRec(KindControl, 33, {0, 0x01, 0, 0, 0, 0}) +
           RowRec(KindFinish, '&', {'&', '&', '&', '&', '&', '#'}, "120 m");
}

// Where that runner's sheet puts things, in pixels of a 300-dpi page (cell 80, header 240).
constexpr int ColumnLeft[9] = {0, 80, 170, 250, 330, 410, 490, 570, 650};
constexpr int RowLine[8] = {0, 320, 400, 480, 560, 640, 720, 800};
constexpr bool RowLineThick[8] = {true, true, true, false, false, false, true, true};
int ControlTop(int r) {
    return 400 + r * 80;
}

int Dark(const QImage& img, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, img.height()); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, img.width()); ++x) {
            n += qGray(img.pixel(x, y)) < 128;
        }
    }
    return n;
}

// Dark pixels inside a cell, away from its borders.
int InCell(const QImage& img, int column, int top) {
    return Dark(img, ColumnLeft[column - 1] + 8, top + 8, ColumnLeft[column] - 8, top + 72);
}

// The grid and the pictograms of OneRunner(), drawn at the page's top left.
void ExpectSheetPixels(const QImage& img) {
    // Row lines across column C, thick ones where the sheet has them.
    int thin = 0, thick = 0;
    for (int i = 0; i < 8; ++i) {
        const int n = Dark(img, 200, RowLine[i] - 6, 201, RowLine[i] + 7);
        EXPECT_GE(n, 1) << "row line " << i;
        (RowLineThick[i] ? thick : thin) = n;
    }
    EXPECT_GT(thick, thin);
    // Control 1: pictograms in C, D, G, H; E and F (beyond its small texts) empty.
    const int top = ControlTop(1);
    EXPECT_GT(InCell(img, 3, top), 200);
    EXPECT_GT(InCell(img, 4, top), 1000); // a filled boulder
    EXPECT_EQ(InCell(img, 5, top), 0);
    EXPECT_GT(InCell(img, 7, top), 200);
    EXPECT_GT(InCell(img, 8, top), 600); // the first-aid cross
    // A code the table leaves free still shows (its box).
    EXPECT_GT(InCell(img, 4, ControlTop(3)), 200);
    // The start triangle in column B of the start row.
    EXPECT_GT(InCell(img, 2, 400), 200);
    // The finish: last control circle in A, pieces of line, the finish in H.
    EXPECT_GT(InCell(img, 1, 720), 100);
    EXPECT_GT(InCell(img, 8, 720), 200);
}

class PiktDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        printtest::EnsureQtApp();
        ASSERT_TRUE(EnsurePiktFont(platform::ProgramDir()))
            << "build the target pictofont: " << (platform::ProgramDir() / PiktFontFile);
    }
};

// ---- the font -----------------------------------------------------------------------------

TEST_F(PiktDrawTest, FontHasAGlyphForEveryCodeAtBothCodePoints) {
    QRawFont font(QString::fromStdString((platform::ProgramDir() / PiktFontFile).string()), 80);
    ASSERT_TRUE(font.isValid());
    EXPECT_EQ(font.familyName(), PiktFontFamily);
    std::set<quint32> glyphs;
    for (int c = 1; c <= 255; ++c) {
        const auto pua = font.glyphIndexesForString(QString(QChar(0xF000 + c)));
        const auto latin = font.glyphIndexesForString(QString(QChar(c)));
        ASSERT_EQ(pua.size(), 1);
        ASSERT_EQ(latin.size(), 1);
        EXPECT_NE(pua[0], 0u) << "code " << c;
        EXPECT_EQ(pua[0], latin[0]) << "code " << c;
        EXPECT_FALSE(font.pathForGlyph(pua[0]).isEmpty()) << "code " << c;
        glyphs.insert(pua[0]);
    }
    EXPECT_EQ(glyphs.size(), 255u);
    // Found by its family name once loaded.
    EXPECT_EQ(QFontInfo(PiktFonts(true).Font(FontPictogram)).family(), PiktFontFamily);
}

// ---- drawing ------------------------------------------------------------------------------

QImage White(int w, int h, int dpi) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
    img.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
    return img;
}

TEST_F(PiktDrawTest, SheetDrawsItsGridAndPictogramsInTheirCells) {
    TSeznamPopisu list(true);
    list.ReadRecords(OneRunner());
    ASSERT_EQ(list.Sheets().size(), 1u);
    QImage img = White(700, 900, 300);
    {
        QPainter p(&img);
        DrawSheet(p, list.Sheets()[0], PiktFonts(true));
    }
    ExpectSheetPixels(img);
}

// ---- the job ------------------------------------------------------------------------------

struct Host {
    std::vector<std::string> status, errors;
    std::vector<QImage> pages;
    bool fail = false;
    std::function<void()> duringJob; // runs inside each job
    PiktHost Make() {
        PiktHost h;
        h.printPage = [this](const PiktPageDraw& draw, std::string& error) {
            if (fail) {
                error = "printer offline";
                return false;
            }
            if (duringJob) {
                duringJob();
            }
            QImage page = White(827, 1169, 100); // A4 at 100 dpi
            {
                QPainter p(&page);
                draw(p);
            }
            pages.push_back(page);
            return true;
        };
        h.showStatus = [this](const std::string& s) { status.push_back(s); };
        h.showError = [this](const std::string& s) { errors.push_back(s); };
        h.fontFolder = platform::ProgramDir();
        return h;
    }
};

class PiktJobTest : public PiktDrawTest {
protected:
    testsupport::TempDir dir;
    fs::path file = dir / "Pikt0001.dat";
    Host host;
    std::string error;

    PiktResult Print() { return TiskniPiktogramy(file, true, host.Make(), error); }
};

TEST_F(PiktJobTest, PrintsEveryPageThenDeletesTheFile) {
    // Runner sheets of 3 controls are 240 + 7 * 80 high: A4 holds three columns of four.
    std::string bytes;
    for (int i = 1; i <= 13; ++i) {
        bytes += OneRunner(static_cast<uint16_t>(i));
    }
    testsupport::WriteBytes(file, bytes);
    EXPECT_EQ(Print(), PiktResult::Printed);
    EXPECT_EQ(host.status, std::vector<std::string>{"Piktogramy : " + file.string()});
    EXPECT_TRUE(host.errors.empty());
    ASSERT_EQ(host.pages.size(), 2u); // one job a page
    EXPECT_GT(Dark(host.pages[1], 0, 0, 827, 1169), 0);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(PiktJobTest, FileIsReadWholeBeforeTheJobStarts) {
    testsupport::WriteBytes(file, OneRunner());
    // What the file turns into while the job runs no longer matters.
    host.duringJob = [&] { testsupport::WriteBytes(file, "torn"); };
    EXPECT_EQ(Print(), PiktResult::Printed);
    ASSERT_EQ(host.pages.size(), 1u);
    EXPECT_GT(Dark(host.pages[0], 0, 0, 827, 1169), 1000);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(PiktJobTest, FailedJobLeavesTheFileForTheNextRun) {
    testsupport::WriteBytes(file, OneRunner());
    host.fail = true;
    EXPECT_EQ(Print(), PiktResult::PrintFailed);
    EXPECT_EQ(error, "printer offline");
    EXPECT_TRUE(fs::exists(file));
    host.fail = false;
    EXPECT_EQ(Print(), PiktResult::Printed);
    EXPECT_EQ(host.pages.size(), 1u);
}

TEST_F(PiktJobTest, NothingToDrawStartsNoJobAndDeletesTheFile) {
    for (const std::string& bytes :
         {std::string(), RowRec(KindControl, 31, {}) + OneRunner(), RowRec(3, 0, {})}) {
        testsupport::WriteBytes(file, bytes);
        EXPECT_EQ(Print(), PiktResult::NothingToDraw);
        EXPECT_FALSE(fs::exists(file));
    }
    EXPECT_TRUE(host.pages.empty());
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(PiktJobTest, FileOfPartRecordsIsSetAsideWithAMessage) {
    testsupport::WriteBytes(file, OneRunner() + "xyz");
    EXPECT_EQ(Print(), PiktResult::SetAside);
    EXPECT_TRUE(host.pages.empty());
    EXPECT_FALSE(fs::exists(file));
    fs::path aside = file;
    aside += ".bad";
    EXPECT_EQ(testsupport::ReadBytes(aside), OneRunner() + "xyz"); // kept for a look
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_NE(host.errors[0].find(aside.string()), std::string::npos);

    // When it cannot even be set aside, the caller is told to stop taking such files.
    fs::remove(aside);
    fs::create_directories(aside / "x");
    testsupport::WriteBytes(file, "abc");
    EXPECT_EQ(Print(), PiktResult::Stuck);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(host.errors.size(), 2u);
}

TEST_F(PiktJobTest, FileThatCannotBeDeletedIsReported) {
    // A non-empty folder in the file's place cannot be removed, even by root.
    auto block = [&] {
        fs::remove(file);
        fs::create_directories(file / "x");
    };
    testsupport::WriteBytes(file, OneRunner());
    host.duringJob = block;
    EXPECT_EQ(Print(), PiktResult::Stuck);
    EXPECT_EQ(host.pages.size(), 1u);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "Nepodařilo se smazat " + file.string());

    // One that is already gone when the job ends is no failure.
    fs::remove_all(file);
    testsupport::WriteBytes(file, OneRunner());
    host.duringJob = [&] { fs::remove(file); };
    EXPECT_EQ(Print(), PiktResult::Printed);
    EXPECT_EQ(host.errors.size(), 1u);
}

TEST_F(PiktJobTest, UnreadableFileStays) {
    fs::create_directories(file);
    EXPECT_EQ(Print(), PiktResult::Unreadable);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(host.pages.empty());
    EXPECT_TRUE(fs::exists(file));
}

// ---- through a PDF, read back with poppler ------------------------------------------------

struct Word {
    double x0, y0, x1, y1;
};

// pdftotext -bbox: the words of the page in reading order, with their boxes in points.
std::vector<std::pair<std::string, Word>> PdfWords(const fs::path& pdf) {
    const std::string html = printtest::Run("pdftotext -q -bbox '" + pdf.string() + "' -");
    std::vector<std::pair<std::string, Word>> words;
    static const QRegularExpression re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    auto it = re.globalMatch(QString::fromStdString(html));
    while (it.hasNext()) {
        const auto m = it.next();
        words.emplace_back(m.captured(5).toStdString(),
                           Word{m.captured(1).toDouble(), m.captured(2).toDouble(),
                                m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

TEST_F(PiktJobTest, PdfPlacesTextsInTheirCellsAndEmbedsThePictograms) {
    const fs::path pdf = dir / "sheet.pdf";
    PiktHost h = host.Make();
    h.printPage = [&](const PiktPageDraw& draw, std::string&) {
        QPdfWriter writer(QString::fromStdString(pdf.string()));
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p(&writer);
        draw(p);
        return p.end();
    };
    testsupport::WriteBytes(file, OneRunner());
    ASSERT_EQ(TiskniPiktogramy(file, true, h, error), PiktResult::Printed);

    // Sheet pixels are 1/300 inch: 0.24 point. A text from its first to its last word is
    // centred on x and lies within the row.
    const auto words = PdfWords(pdf);
    auto find = [&](const std::string& text, auto from) {
        return std::find_if(from, words.end(), [&](const auto& w) { return w.first == text; });
    };
    auto centred = [&](const std::string& first, const std::string& last, int x, int top) {
        const auto a = find(first, words.begin());
        const auto b = a == words.end() ? a : find(last, a);
        ASSERT_NE(a, words.end()) << first;
        ASSERT_NE(b, words.end()) << last;
        EXPECT_NEAR((a->second.x0 + b->second.x1) / 2, x * 0.24, 1.5) << first;
        EXPECT_GE(a->second.y0, top * 0.24) << first;
        EXPECT_LE(a->second.y1, (top + 80) * 0.24) << first;
    };
    auto column = [](int c) { return (ColumnLeft[c - 1] + ColumnLeft[c]) / 2; };
    centred("Trať", "Trať", column(2), 320);       // course name in B
    centred("5.20", "km", column(5), 320);         // length in E
    centred("150", "m", ColumnLeft[7], 320);       // climb on line 7
    centred("31", "31", column(2), ControlTop(1)); // control codes in B
    centred("33", "33", column(2), ControlTop(3));
    centred("2", "2", column(1), ControlTop(2)); // row number in A
    centred("120", "m", ColumnLeft[4], 720);     // distance on line 4
    // A divided column F text: its upper part at the cell's top left.
    ASSERT_NE(find("0.5", words.begin()), words.end());
    const Word small = find("0.5", words.begin())->second;
    EXPECT_NEAR(small.x0, (ColumnLeft[5] + 1) * 0.24, 1.0);
    EXPECT_GE(small.y0, ControlTop(1) * 0.24);
    EXPECT_LE(small.y1, (ControlTop(1) + 40) * 0.24);
    EXPECT_NE(find("1234567", words.begin()), words.end());

    const std::string fonts = printtest::Run("pdffonts '" + pdf.string() + "'");
    EXPECT_NE(fonts.find("QZ-Davovazedi04"), std::string::npos) << fonts;

    const fs::path png = dir / "sheet";
    printtest::Run("pdftoppm -r 300 -png -singlefile '" + pdf.string() + "' '" + png.string() +
                   "'");
    QImage img(QString::fromStdString(png.string() + ".png"));
    ASSERT_FALSE(img.isNull());
    ExpectSheetPixels(img);
}

// ---- the test form ------------------------------------------------------------------------

// "Formulář" draws c:\work\pikt.dat on the form: the sheets keep their screen size and pack
// on the printer's page, measured in the printer's pixels, and a file of two such pages draws
// both on the one canvas, the second from the top left over the first.
TEST_F(PiktJobTest, TestFormDrawsEveryPageOnOneCanvasOfThePrintersPage) {
    std::string bytes;
    for (uint16_t i = 1; i <= 150; ++i) {
        bytes += OneRunner(i);
    }
    fs::create_directories(dir / "Work");
    testsupport::WriteBytes(dir / "Work" / "pikt.dat", bytes);
    const QSize printerPage = QPageSize(QPageSize::A4).sizePixels(300);
    TSeznamPopisu screen(false);
    screen.ReadRecords(bytes);
    screen.Sort();
    const std::vector<PiktPage> pages = screen.Pack(printerPage.width(), printerPage.height());
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(pages[1].front().X(), 0);
    const TPiktogram& lastOfFirst = pages[0].back();
    ASSERT_GT(lastOfFirst.X(), 2000);

    TPikt form(host.Make(), nullptr);
    platform::SetDriveRoot('C', dir.Path());
    form.findChild<QPushButton*>("Formular")->click();
    platform::SetDriveRoot('C', {});
    EXPECT_TRUE(host.pages.empty()) << "drawn on the form, not printed";
    const QImage& canvas = form.Page();
    ASSERT_EQ(canvas.size(), printerPage);
    // The first page's last sheet, far right and low, is still there under the second page.
    EXPECT_GT(Dark(canvas, lastOfFirst.X(), lastOfFirst.Y(), lastOfFirst.X() + lastOfFirst.Width(),
                   lastOfFirst.Y() + lastOfFirst.Height()),
              1000);
    EXPECT_EQ(Dark(canvas, printerPage.width() - 60, 0, printerPage.width(), printerPage.height()),
              0);
}

} // namespace
