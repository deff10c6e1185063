// The spooler end to end: files in a real print folder, printed by the PDF backend and read
// back with poppler.
#include "SI_Typ.h"
#include "fDefTisk.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "testsupport/PrintTestSupport.h"
#include "testsupport/TempDir.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <map>
#include <regex>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace {

// A file the way pdftohtml saw it: pieces of text with their fonts and places.
struct PdfPiece {
    std::string text;
    int top = 0;
    int left = 0;
    int size = 0;
    std::string family;
    std::string color;
    bool bold = false;
    bool italic = false;
};

struct PdfPage {
    int width = 0;
    int height = 0;
    std::vector<PdfPiece> pieces;
};

std::vector<PdfPage> ReadPdf(const fs::path& pdf) {
    const std::string xml = printtest::PdfXml(pdf);
    static const std::regex page(R"re(<page number="\d+"[^>]*height="(\d+)" width="(\d+)")re");
    static const std::regex spec(
        R"re(<fontspec id="(\d+)" size="(\d+)" family="([^"]*)" color="([^"]*)")re");
    static const std::regex text(
        R"re(<text top="(\d+)" left="(\d+)"[^>]*font="(\d+)">(.*)</text>)re");
    std::map<std::string, PdfPiece> fonts;
    std::vector<PdfPage> pages;
    std::smatch m;
    size_t start = 0;
    while (start < xml.size()) {
        size_t end = xml.find('\n', start);
        end = end == std::string::npos ? xml.size() : end;
        const std::string line = xml.substr(start, end - start);
        start = end + 1;
        if (std::regex_search(line, m, page)) {
            pages.push_back({std::stoi(m[2]), std::stoi(m[1]), {}});
        } else if (std::regex_search(line, m, spec)) {
            PdfPiece& f = fonts[m[1]];
            f.size = std::stoi(m[2]);
            f.family = m[3];
            f.color = m[4];
        } else if (std::regex_search(line, m, text) && !pages.empty()) {
            PdfPiece p = fonts[m[3]];
            p.top = std::stoi(m[1]);
            p.left = std::stoi(m[2]);
            std::string inner = m[4];
            p.bold = inner.find("<b>") != std::string::npos;
            p.italic = inner.find("<i>") != std::string::npos;
            inner = std::regex_replace(inner, std::regex("</?[bi]>"), "");
            for (const auto& [from, to] : {std::pair{"&lt;", "<"},
                                           {"&gt;", ">"},
                                           {"&quot;", "\""},
                                           {"&#34;", "\""},
                                           {"&amp;", "&"}}) {
                inner = std::regex_replace(inner, std::regex(from), to);
            }
            p.text = inner;
            pages.back().pieces.push_back(p);
        }
    }
    return pages;
}

const PdfPiece* Find(const std::vector<PdfPage>& pages, const std::string& text) {
    for (const PdfPage& page : pages) {
        for (const PdfPiece& p : page.pieces) {
            if (p.text == text) {
                return &p;
            }
        }
    }
    return nullptr;
}

// Pages as pdftotext sees them (it ends every page with a form feed).
std::vector<std::string> PageTexts(const fs::path& pdf) {
    std::vector<std::string> pages;
    std::string text = printtest::PdfText(pdf);
    size_t from = 0;
    for (size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', from)) {
        pages.push_back(text.substr(from, ff - from));
        from = ff + 1;
    }
    return pages;
}

class Spooler : public ::testing::Test {
protected:
    void SetUp() override {
        printtest::EnsureQtApp();
        SI_Typ::ResetGlobals();
        platform::SetClock(&clock);
        fs::create_directories(PrintDir());
        ini.WriteString("DefPrint", "Cesta", PrintDir().string());
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        SI_Typ::ResetGlobals();
    }

    fs::path PrintDir() const { return td / "print"; }
    fs::path Pdf(int n) const { return td / "pdf" / ("Tisk000" + std::to_string(n) + ".pdf"); }
    void Drop(const std::string& name, const std::string& utf8) {
        testsupport::WriteBytes(PrintDir() / name, platform::Utf8ToCp1250(utf8));
    }
    fDefTisk::TDefTisk& Make() {
        spooler = std::make_unique<fDefTisk::TDefTisk>(ini, backend, status, messages);
        spooler->SetFiles(files);
        return *spooler;
    }
    // The 5 s timer for one cycle: the first tick sees the files, the next prints them.
    void Cycle() {
        spooler->TimerPrinterTimer();
        clock.Advance(10'000);
        spooler->TimerPrinterTimer();
    }
    size_t PdfCount() const {
        std::error_code ec;
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(td / "pdf", ec), fs::directory_iterator()));
    }

    testsupport::TempDir td;
    platform::IniFile ini{""};
    platform::FakeClock clock;
    printing::PdfPrintBackend backend{td / "pdf"};
    printtest::Status status;
    printtest::Messages messages;
    printtest::FailingFiles files;
    std::unique_ptr<fDefTisk::TDefTisk> spooler;
};

} // namespace

TEST_F(Spooler, PrintsInNameOrderDeletesAndThenOneSheetFilePerRun) {
    ini.WriteInteger("DefPrint", "TisknoutPikt", 1);
    Drop("b.txt", "Second\r\n");
    Drop("A.TXT", "First\r\n");
    Drop("c.log", "Other\r\n");
    Drop("Pikt1.dat", "x");
    Drop("Pikt2.dat", "x");
    Make();
    std::vector<std::pair<std::string, size_t>> sheets; // file, PDFs at the time
    std::string stuck;
    spooler->SetTiskniPiktogramy([&](const fs::path& file, std::string&) {
        sheets.emplace_back(file.filename().string(), PdfCount());
        if (file.filename() == stuck || !fs::remove(file)) {
            return fPikt::PiktResult::Stuck;
        }
        return fPikt::PiktResult::Printed;
    });

    spooler->TimerPrinterTimer();
    EXPECT_EQ(PdfCount(), 0U); // seen once only, and the cycle has not passed
    clock.Advance(10'000);
    spooler->TimerPrinterTimer();

    ASSERT_EQ(PdfCount(), 2U);
    EXPECT_NE(printtest::PdfText(Pdf(1)).find("First"), std::string::npos);
    EXPECT_NE(printtest::PdfText(Pdf(2)).find("Second"), std::string::npos);
    EXPECT_FALSE(fs::exists(PrintDir() / "A.TXT"));
    EXPECT_FALSE(fs::exists(PrintDir() / "b.txt"));
    EXPECT_TRUE(fs::exists(PrintDir() / "c.log"));
    EXPECT_EQ(sheets, (std::vector<std::pair<std::string, size_t>>{{"Pikt1.dat", 2}}));
    clock.Advance(10'000);
    spooler->TimerPrinterTimer();
    EXPECT_EQ(sheets.size(), 2U);
    EXPECT_EQ(sheets.back().first, "Pikt2.dat");
    // A sheet file that cannot be taken away is passed over; the one behind it prints next.
    Drop("Pikt3.dat", "x");
    Drop("Pikt4.dat", "x");
    stuck = "Pikt3.dat";
    Cycle();
    Cycle();
    Cycle();
    EXPECT_EQ(sheets.size(), 4U);
    EXPECT_EQ(sheets.back().first, "Pikt4.dat");
    EXPECT_EQ(spooler->nastaveni.TisknoutPikt, 1);

    // Progress went to InfoPrint, which the timer clears after the run.
    const std::string file = (PrintDir() / "A.TXT").string();
    EXPECT_NE(std::find(status.shown.begin(), status.shown.end(), file + " (7 B)"),
              status.shown.end());
    EXPECT_NE(std::find(status.shown.begin(), status.shown.end(), file + " (0 B)"),
              status.shown.end());
    EXPECT_EQ(status.shown.back(), "");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Spooler, PageBreaksTabsAndWrapping) {
    Drop("a.txt", "Příliš žluťoučký\r\nx\ty\r\nend of one\f\r\nPage two\f\r\n\r\n\r\n");
    Make();
    Cycle();
    std::vector<std::string> pages = PageTexts(Pdf(1));
    ASSERT_EQ(pages.size(), 2U); // the final form feed and blank lines are dropped
    EXPECT_NE(pages[0].find("Příliš žluťoučký"), std::string::npos);
    EXPECT_NE(pages[0].find("end of one"), std::string::npos);
    EXPECT_NE(pages[1].find("Page two"), std::string::npos);
    // A tab goes to eight average widths of the 10 pt base font (6 pt a character).
    const std::vector<PdfPage> pdf = ReadPdf(Pdf(1));
    ASSERT_TRUE(Find(pdf, "x") && Find(pdf, "y"));
    EXPECT_NEAR(Find(pdf, "y")->left - Find(pdf, "x")->left, 48, 2);

    // Files kept as they are: a trailing form feed still makes no empty last page, while two
    // in a row keep the empty page between them.
    spooler->nastaveni.PridatFF = 0;
    Drop("b.txt", "one\f\r\n\f\r\ntwo\f\r\n\r\n");
    Drop("c.txt", "");
    Drop("d.txt", "\r\n\f\r\n");
    Cycle();
    pages = PageTexts(Pdf(2));
    ASSERT_EQ(pages.size(), 3U);
    EXPECT_NE(pages[0].find("one"), std::string::npos);
    EXPECT_EQ(pages[1].find_first_not_of("\n "), std::string::npos);
    EXPECT_NE(pages[2].find("two"), std::string::npos);
    // Files with nothing to print are done without paper; an empty file waits for its content
    // and holds up no other.
    EXPECT_EQ(PdfCount(), 2U);
    EXPECT_TRUE(fs::exists(PrintDir() / "c.txt"));
    EXPECT_FALSE(fs::exists(PrintDir() / "d.txt"));

    // A long line wraps at the right edge; lines that do not fit go on to new pages.
    std::string many = std::string(300, 'w') + "\r\n";
    for (int i = 0; i < 200; ++i) {
        many += "line " + std::to_string(i) + "\r\n";
    }
    Drop("e.txt", many);
    Cycle();
    pages = PageTexts(Pdf(3));
    ASSERT_EQ(pages.size(), 3U);
    const std::string first = pages[0].substr(0, pages[0].find('\n'));
    EXPECT_LT(first.size(), 300U);
    EXPECT_EQ(std::count(pages[0].begin(), pages[0].end(), 'w'), 300);
    EXPECT_NE(pages[2].find("line 199"), std::string::npos);
}

TEST_F(Spooler, FontTagsSwitchFamilySizeStyleAndColour) {
    ini.WriteString("Font3", "Name", "Liberation Serif");
    ini.WriteInteger("Font3", "Size", 14);
    ini.WriteString("Font3", "Style", "fsBold,");
    Drop("a.txt", "Split <FONT=3>12:34<FONT=0> end\r\n"
                  "<font name=\"Liberation Sans\" size=20 style=italic color=red>Red\r\n"
                  "Still<FONT COLOR=NAVY STYLE=bold>Navy\r\n");
    Drop("b.txt", "Next\r\n");
    Make();
    Cycle();
    const std::vector<PdfPage> pdf = ReadPdf(Pdf(1));
    const PdfPiece* split = Find(pdf, "Split ");
    const PdfPiece* time = Find(pdf, "12:34");
    const PdfPiece* end = Find(pdf, " end");
    const PdfPiece* red = Find(pdf, "Red");
    const PdfPiece* still = Find(pdf, "Still");
    const PdfPiece* navy = Find(pdf, "Navy");
    ASSERT_TRUE(split && time && end && red && still && navy);
    // Font 0 was never stored: Courier, which the system serves as Liberation Mono.
    EXPECT_EQ(split->family, "LiberationMono");
    EXPECT_EQ(split->size, 10);
    EXPECT_EQ(time->family, "LiberationSerif");
    EXPECT_EQ(time->size, 14);
    EXPECT_TRUE(time->bold);
    EXPECT_EQ(end->family, "LiberationMono");
    EXPECT_FALSE(end->bold);
    EXPECT_EQ(red->family, "LiberationSans");
    EXPECT_EQ(red->size, 20);
    EXPECT_TRUE(red->italic);
    EXPECT_EQ(red->color, "#ff0000");
    // A line is as high as its tallest text: the 14 pt time, not the 10 pt base font.
    EXPECT_NEAR(red->top - split->top, 16, 1);
    // A tag changes what follows and keeps the rest of the font.
    EXPECT_EQ(still->color, "#ff0000");
    EXPECT_EQ(navy->color, "#000080");
    EXPECT_EQ(navy->size, 20);
    EXPECT_TRUE(navy->bold);
    EXPECT_FALSE(navy->italic);
    // The next file starts again with font 0.
    const std::vector<PdfPage> next = ReadPdf(Pdf(2));
    ASSERT_TRUE(Find(next, "Next"));
    EXPECT_EQ(Find(next, "Next")->family, "LiberationMono");
    EXPECT_EQ(Find(next, "Next")->color, "#000000");
}

TEST_F(Spooler, PrinterTagPicksTheSettingAndIsNotPrinted) {
    ini.WriteInteger("Tiskarna2", "Orientation", 1);
    Drop("a.txt", "junk<PRINTER=2>Hello\r\nWorld\r\n");
    Drop("b.txt", "<printer=1>\r\nWorld\r\n");
    Drop("c.txt", "<PRINTER=x>World\r\n");
    Make();
    Cycle();
    const std::vector<PdfPage> a = ReadPdf(Pdf(1));
    const std::vector<PdfPage> b = ReadPdf(Pdf(2));
    const std::vector<PdfPage> c = ReadPdf(Pdf(3));
    ASSERT_TRUE(a.size() == 1 && b.size() == 1 && c.size() == 1);
    EXPECT_GT(a[0].width, a[0].height);
    EXPECT_LT(b[0].width, b[0].height);
    ASSERT_TRUE(Find(a, "Hello") && Find(b, "World"));
    EXPECT_EQ(a[0].pieces.size(), 2U);
    // A first line of only the tag does not print at all, not even as a blank line.
    EXPECT_EQ(Find(b, "World")->top, Find(a, "Hello")->top);
    EXPECT_TRUE(Find(c, "<PRINTER=x>World"));
    EXPECT_EQ(spooler->AktualniTiskarna().landscape, false);
}

TEST_F(Spooler, SheetPagesPrintPortraitOnThePrinterTheLastFileChose) {
    ini.WriteInteger("Tiskarna2", "Orientation", 1);
    Make();
    spooler->NastavTiskarnu(2);
    std::string error;
    ASSERT_TRUE(spooler->PrintPage(
        [](QPainter& p) { p.drawText(QPoint(100, 500), QStringLiteral("Sheet")); }, error));
    const std::vector<PdfPage> pdf = ReadPdf(Pdf(1));
    ASSERT_EQ(pdf.size(), 1U);
    EXPECT_LT(pdf[0].width, pdf[0].height);
    EXPECT_TRUE(Find(pdf, "Sheet"));
    EXPECT_TRUE(spooler->AktualniTiskarna().landscape); // the setting itself stays
}

TEST_F(Spooler, UnreadableFileIsReportedOnceAndPassedOverUntilItChanges) {
    files.failRead = "a.txt";
    Drop("a.txt", "A\r\n");
    Drop("b.txt", "B\r\n");
    Drop("c.txt", "C\r\n");
    Make();
    Cycle();
    Cycle();
    ASSERT_EQ(PdfCount(), 2U); // the files behind it print, in name order
    EXPECT_NE(printtest::PdfText(Pdf(1)).find("B"), std::string::npos);
    EXPECT_NE(printtest::PdfText(Pdf(2)).find("C"), std::string::npos);
    EXPECT_TRUE(fs::exists(PrintDir() / "a.txt"));
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_NE(messages.shown[0].find((PrintDir() / "a.txt").string()), std::string::npos);
    EXPECT_NE(messages.shown[0].find("Permission denied"), std::string::npos);

    files.failRead.clear();
    Cycle();
    EXPECT_EQ(PdfCount(), 2U); // unchanged, so still passed over
    Drop("a.txt", "A again\r\n");
    Cycle();
    EXPECT_EQ(PdfCount(), 3U);
    EXPECT_FALSE(fs::exists(PrintDir() / "a.txt"));
    EXPECT_EQ(messages.shown.size(), 1U);
}

TEST_F(Spooler, UndeletableFileSwitchesPrintingOffWithOneMessage) {
    files.failRemove = "a.txt";
    Drop("a.txt", "A\r\n");
    Drop("b.txt", "B\r\n");
    Make();
    Cycle();
    Cycle();
    Cycle();
    EXPECT_EQ(PdfCount(), 1U); // printed once, never again
    EXPECT_EQ(spooler->nastaveni.Tisknout, 0);
    EXPECT_EQ(messages.shown,
              std::vector<std::string>{"Nepodařilo se smazat " + (PrintDir() / "a.txt").string()});
    EXPECT_TRUE(fs::exists(PrintDir() / "b.txt"));
    EXPECT_EQ(ini.ReadInteger("DefPrint", "Tisknout", 1), 1); // off for this run only

    // Switched on again with the file still there: it is deleted, not printed a second time.
    spooler->nastaveni.Tisknout = 1;
    Cycle();
    EXPECT_EQ(PdfCount(), 1U);
    EXPECT_EQ(messages.shown.size(), 2U);
    spooler->nastaveni.Tisknout = 1;
    files.failRemove.clear();
    Cycle();
    EXPECT_FALSE(fs::exists(PrintDir() / "a.txt"));
    EXPECT_FALSE(fs::exists(PrintDir() / "b.txt"));
    EXPECT_EQ(PdfCount(), 2U);
    EXPECT_EQ(printtest::PdfText(Pdf(2)).find("A"), std::string::npos);
}

TEST_F(Spooler, PrinterThatCannotStartAJobLeavesTheFile) {
    testsupport::WriteBytes(td / "pdf", "not a folder");
    Drop("a.txt", "A\r\n");
    Drop("b.txt", "B\r\n");
    Make();
    Cycle();
    Cycle();
    EXPECT_TRUE(fs::exists(PrintDir() / "a.txt"));
    EXPECT_TRUE(fs::exists(PrintDir() / "b.txt"));
    EXPECT_EQ(messages.shown.size(), 1U);

    fs::remove(td / "pdf");
    Cycle();
    EXPECT_FALSE(fs::exists(PrintDir() / "a.txt"));
    EXPECT_FALSE(fs::exists(PrintDir() / "b.txt"));
    EXPECT_TRUE(fs::exists(Pdf(1)));
    // No half-written file is left beside them.
    EXPECT_EQ(PdfCount(), 2U);
}

// A message box runs the window's timer while it waits for OK: the folder repaired meanwhile,
// that file and a later one print before OK, and the failure shows one box.
TEST_F(Spooler, NextRunGoesAheadWhileAMessageIsUp) {
    struct Box : fDefTisk::PrintMessages {
        std::function<void()> whileUp;
        std::vector<std::string> shown;
        size_t printedBeforeOk = 0;
        void ShowError(const std::string& text) override {
            shown.push_back(text);
            if (auto up = std::exchange(whileUp, nullptr)) {
                up();
            }
        }
    } box;
    testsupport::WriteBytes(td / "pdf", "not a folder");
    Drop("a.txt", "A\r\n");
    spooler = std::make_unique<fDefTisk::TDefTisk>(ini, backend, status, box);
    box.whileUp = [&] {
        fs::remove(td / "pdf");
        Drop("b.txt", "B\r\n");
        Cycle();
        Cycle();
        box.printedBeforeOk = PdfCount();
    };
    Cycle();
    EXPECT_EQ(box.printedBeforeOk, 2U);
    EXPECT_EQ(box.shown.size(), 1U);
    EXPECT_FALSE(fs::exists(PrintDir() / "a.txt"));
    EXPECT_FALSE(fs::exists(PrintDir() / "b.txt"));
}

// A ticket whose writer pauses longer than a look, or that is empty at first, prints once and
// whole; a ticket written anew under the name while the one before prints prints too.
TEST_F(Spooler, TicketInPiecesOrRenamedOverPrintsOnceWhole) {
    ini.WriteInteger("DefPrint", "Cyklus", 1);
    Make();
    const auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i) {
            spooler->TimerPrinterTimer();
            clock.Advance(500);
        }
    };
    struct Row {
        const char* what;
        std::string first;
        int pauseTicks;
        bool renamedOver;
    };
    size_t pdfs = 0;
    for (const Row& row : std::vector<Row>{{"pause 1.5 s", "one\r\n", 3, false},
                                           {"empty, 3.5 s", "", 7, false},
                                           {"renamed over while printing", "one\r\n", 0, true}}) {
        SCOPED_TRACE(row.what);
        Drop("a.txt", row.first);
        // The writer keeps the file open: what it writes after a deletion is lost.
        const int fd = ::open((PrintDir() / "a.txt").c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ticks(row.pauseTicks);
        if (row.renamedOver) {
            files.afterRead = [&] {
                Drop("new.tmp", "one\r\ntwo\r\n");
                fs::rename(PrintDir() / "new.tmp", PrintDir() / "a.txt");
            };
        } else {
            const std::string whole = "one\r\ntwo\r\n";
            ASSERT_EQ(::pwrite(fd, whole.data(), whole.size(), 0), ssize_t(whole.size()));
        }
        ::close(fd);
        ticks(20);
        EXPECT_FALSE(fs::exists(PrintDir() / "a.txt"));
        pdfs += row.renamedOver ? 2 : 1;
        ASSERT_EQ(PdfCount(), pdfs);
        EXPECT_NE(printtest::PdfText(Pdf(static_cast<int>(pdfs))).find("two"), std::string::npos);
    }
}

TEST_F(Spooler, WaitsForTheCycleAndForFilesToStopChanging) {
    ini.WriteInteger("DefPrint", "Cyklus", 30);
    Make();
    Drop("a.txt", "part one\r\n");
    spooler->TimerPrinterTimer();
    testsupport::WriteBytes(PrintDir() / "a.txt", "part one\r\npart two\r\n");
    clock.Advance(10'000);
    spooler->TimerPrinterTimer(); // 10 s: before the cycle
    clock.Advance(20'000);
    testsupport::WriteBytes(PrintDir() / "a.txt", "part one\r\npart two\r\npart three\r\n");
    spooler->TimerPrinterTimer(); // 30 s: still being written
    EXPECT_EQ(PdfCount(), 0U);
    clock.Advance(5'000);
    spooler->TimerPrinterTimer(); // stable now, but the last run was 5 s ago
    EXPECT_EQ(PdfCount(), 0U);
    clock.Advance(25'000);
    spooler->TimerPrinterTimer();
    ASSERT_EQ(PdfCount(), 1U);
    EXPECT_NE(printtest::PdfText(Pdf(1)).find("part three"), std::string::npos);

    // Cycle 0: never.
    spooler->nastaveni.Cyklus = 0;
    Drop("b.txt", "B\r\n");
    for (int i = 0; i < 5; ++i) {
        Cycle();
    }
    EXPECT_TRUE(fs::exists(PrintDir() / "b.txt"));
}

// A file without line ends (or with endless runs of "<FONT") still prints in moments: while a
// file prints the window answers nothing and the ports are not polled. The limit is far above
// what the printing needs and far below what wrapping would take if every line measured or
// copied the whole rest of its text.
TEST_F(Spooler, VeryLongLinesPrintWithoutStallingTheWindow) {
    std::string tags;
    for (int i = 0; i < 40'000; ++i) {
        tags += "<FONT";
    }
    Drop("a.txt", std::string(200'000, 'w') + "\r\n" + tags + "\r\n");
    Make();
    spooler->TimerPrinterTimer();
    clock.Advance(10'000);
    const auto start = std::chrono::steady_clock::now();
    spooler->TimerPrinterTimer();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(PdfCount(), 1U);
    EXPECT_LT(took.count(), 10.0);
    // Wrapped, not cut: every character is on paper.
    const std::string text = printtest::PdfText(Pdf(1));
    EXPECT_EQ(std::count(text.begin(), text.end(), 'w'), 200'000);
    size_t fonts = 0;
    for (size_t at = text.find("<FONT"); at != std::string::npos; at = text.find("<FONT", at + 1)) {
        ++fonts;
    }
    EXPECT_GT(fonts, 35'000U); // pdftotext may split one at a line's end
}

// The cycle counts on the monotonic clock: the wall clock passing midnight, or being put back,
// does not hold printing up.
TEST_F(Spooler, CycleCountsAcrossMidnight) {
    clock.SetWall({2026, 6, 1, 23, 59, 55, 0});
    Make();
    Drop("a.txt", "A\r\n");
    spooler->TimerPrinterTimer();
    clock.Advance(10'000);
    clock.SetWall({2026, 6, 2, 0, 0, 5, 0});
    spooler->TimerPrinterTimer();
    EXPECT_EQ(PdfCount(), 1U);

    Drop("b.txt", "B\r\n");
    spooler->TimerPrinterTimer();
    clock.Advance(10'000);
    clock.SetWall({2026, 6, 1, 23, 0, 15, 0}); // put back an hour
    spooler->TimerPrinterTimer();
    EXPECT_EQ(PdfCount(), 2U);
}

// A control-description file the results program is still writing is not handed on.
TEST_F(Spooler, SheetFileStillBeingWrittenWaitsUntilItStopsChanging) {
    ini.WriteInteger("DefPrint", "TisknoutPikt", 1);
    Make();
    std::vector<std::string> sheets;
    spooler->SetTiskniPiktogramy([&](const fs::path& file, std::string&) {
        sheets.push_back(testsupport::ReadBytes(file));
        fs::remove(file);
        return fPikt::PiktResult::Printed;
    });
    Drop("Pikt1.dat", "ab");
    spooler->TimerPrinterTimer();
    clock.Advance(10'000);
    Drop("Pikt1.dat", "abcd");
    spooler->TimerPrinterTimer(); // the cycle has passed, but the file has grown
    EXPECT_TRUE(sheets.empty());
    clock.Advance(10'000);
    spooler->TimerPrinterTimer();
    EXPECT_EQ(sheets, std::vector<std::string>{"abcd"});
}
