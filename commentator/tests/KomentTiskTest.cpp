// The commentator's print spooler end to end: files in its print folder, printed by the PDF
// backend and read back as text.
#include "KomentTisk.h"
#include "SI_Typ.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "testsupport/PrintTestSupport.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace fs = std::filesystem;

namespace {

// Point size of the piece of text as pdftohtml saw it; 0 when it is not there.
int SizeOf(const std::string& xml, const std::string& text) {
    std::map<std::string, int> sizes;
    static const std::regex spec(R"re(<fontspec id="(\d+)" size="(\d+)")re");
    for (std::sregex_iterator it(xml.begin(), xml.end(), spec), end; it != end; ++it) {
        sizes[(*it)[1]] = std::stoi((*it)[2]);
    }
    const std::regex piece("font=\"(\\d+)\">" + text + "</text>");
    std::smatch m;
    return std::regex_search(xml, m, piece) ? sizes[m[1]] : 0;
}

class KomentTisk_ : public ::testing::Test {
protected:
    void SetUp() override {
        printtest::EnsureQtApp();
        SI_Typ::ResetGlobals();
        platform::SetClock(&clock);
        cwd = fs::current_path();
        fs::current_path(td.Path());
        fs::create_directories("print");
        ini.WriteInteger("DefPrint", "Tisknout", 1);
        ini.WriteInteger("Font3", "Size", 30);
    }
    void TearDown() override {
        fs::current_path(cwd);
        platform::SetClock(nullptr);
        SI_Typ::ResetGlobals();
    }
    void Drop(const std::string& name, const std::string& utf8) {
        testsupport::WriteBytes(td / "print" / name, platform::Utf8ToCp1250(utf8));
    }
    fDefTisk::TDefTisk& Make() {
        spooler = std::make_unique<fDefTisk::TDefTisk>(ini, backend, status, messages,
                                                       fDefTisk::PravidlaKomentatora());
        spooler->SetFiles(files);
        return *spooler;
    }
    // The main form's 1 s timer for one cycle: the first tick sees the files, the last prints.
    void Cycle() {
        spooler->TimerPrinterTimer();
        clock.Advance(10'000);
        spooler->TimerPrinterTimer();
    }
    fs::path Pdf(int n) const { return td / "pdf" / ("Tisk000" + std::to_string(n) + ".pdf"); }
    std::vector<std::string> Pages(int n) const {
        std::vector<std::string> pages;
        const std::string text = printtest::PdfText(Pdf(n));
        size_t from = 0;
        for (size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', from)) {
            std::string page = text.substr(from, ff - from);
            page.erase(std::remove(page.begin(), page.end(), '\n'), page.end());
            pages.push_back(page);
            from = ff + 1;
        }
        return pages;
    }

    testsupport::TempDir td;
    fs::path cwd;
    platform::IniFile ini{""};
    platform::FakeClock clock;
    printing::PdfPrintBackend backend{td / "pdf"};
    printtest::Status status;
    printtest::Messages messages;
    printtest::FailingFiles files;
    std::unique_ptr<fDefTisk::TDefTisk> spooler;
};

} // namespace

TEST_F(KomentTisk_, FormFeedsAtTheEndAsSet) {
    struct Case {
        int pridatFF;
        std::string text;
        std::vector<std::string> pages;
    };
    const std::vector<Case> cases = {
        {-1, "A\f\r\n\r\n\r\n", {"A"}}, {-1, "A\f\r\nB\r\n", {"A", "B"}}, {1, "A\f\r\n", {"A"}},
        {1, "A\r\nB", {"AB"}},          {0, "A\fB\r\n", {"A", "B"}},
    };
    int pdf = 0;
    for (const Case& c : cases) {
        ini.WriteInteger("DefPrint", "PridatFF", c.pridatFF);
        Make();
        Drop("a.txt", c.text);
        Cycle();
        ASSERT_TRUE(fs::exists(Pdf(++pdf))) << c.text;
        EXPECT_EQ(Pages(pdf), c.pages) << c.text;
    }
}

TEST_F(KomentTisk_, OnlyUserFontTagsChangeTheFontAndNoPrinterTagIsRead) {
    const std::string longText(300, 'x');
    Drop("a.txt", "<PRINTER=2>head\r\n"
                  "a<font=3>big<FONT=0>small\r\n"
                  "<FONT =3>same<FONT SIZE=40>plain<FONT=3 open\r\n"
                  "<FONT=0>" +
                      longText + "END\r\n");
    Make();
    Cycle();
    const std::string xml = printtest::PdfXml(Pdf(1));
    const std::string text = printtest::PdfText(Pdf(1));
    EXPECT_NE(text.find("<PRINTER=2>head"), std::string::npos);
    EXPECT_EQ(SizeOf(xml, "big"), 30);
    EXPECT_LT(SizeOf(xml, "small"), 30);
    EXPECT_NE(text.find("sameplain<FONT=3 open"), std::string::npos);
    EXPECT_LT(SizeOf(xml, "sameplain&lt;FONT=3 open"), 30);
    std::string flat = text;
    flat.erase(std::remove(flat.begin(), flat.end(), '\n'), flat.end());
    EXPECT_NE(flat.find(longText + "END"), std::string::npos);
    EXPECT_EQ(status.shown.back(), "");
    EXPECT_TRUE(std::any_of(status.shown.begin(), status.shown.end(),
                            [](const std::string& s) { return s.rfind("print/a.txt (", 0) == 0; }));
}

TEST_F(KomentTisk_, OneFilePerRunStableReadableAndDeletableOnly) {
    Drop("b.txt", "Second\r\n");
    Drop("a.txt", "First\r\n");
    Make();
    Cycle();
    EXPECT_FALSE(fs::exists(td / "print" / "a.txt"));
    EXPECT_TRUE(fs::exists(td / "print" / "b.txt"));
    EXPECT_FALSE(fs::exists(Pdf(2)));
    clock.Advance(10'000);
    spooler->TimerPrinterTimer();
    EXPECT_NE(printtest::PdfText(Pdf(2)).find("Second"), std::string::npos);

    // A file still growing waits; an unreadable one stays and the next goes on.
    Drop("c.txt", "Growing");
    spooler->TimerPrinterTimer();
    Drop("c.txt", "Growing more\r\n");
    clock.Advance(10'000);
    spooler->TimerPrinterTimer();
    EXPECT_FALSE(fs::exists(Pdf(3)));
    files.failRead = "c.txt";
    Drop("d.txt", "Next\r\n");
    Cycle();
    EXPECT_TRUE(fs::exists(td / "print" / "c.txt"));
    EXPECT_FALSE(fs::exists(Pdf(3)));
    ASSERT_EQ(messages.shown.size(), 1U);
    clock.Advance(10'000);
    spooler->TimerPrinterTimer();
    EXPECT_NE(printtest::PdfText(Pdf(3)).find("Next"), std::string::npos);

    // A printed file that cannot be deleted turns printing off, with one message.
    files.failRead.clear();
    fs::remove(td / "print" / "c.txt");
    files.failRemove = "e.txt";
    Drop("e.txt", "Kept\r\n");
    Cycle();
    clock.Advance(10'000);
    spooler->TimerPrinterTimer();
    EXPECT_EQ(spooler->nastaveni.Tisknout, 0);
    EXPECT_EQ(ini.ReadInteger("DefPrint", "Tisknout", 0), 1);
    EXPECT_EQ(messages.shown.back(), "Nepodařilo se smazat print/e.txt");
    EXPECT_EQ(messages.shown.size(), 2U);
}

TEST_F(KomentTisk_, SettingsDefaultsAndTheDialog) {
    platform::IniFile empty{""};
    fDefTisk::TDefTisk d(empty, backend, status, messages, fDefTisk::PravidlaKomentatora());
    EXPECT_EQ(d.nastaveni.Tisknout, 0);
    EXPECT_EQ(d.nastaveni.PridatFF, 0);
    EXPECT_EQ(d.nastaveni.Cyklus, 10);
    EXPECT_EQ(d.nastaveni.Maska, "*.txt");
    EXPECT_EQ(d.nastaveni.TiskMaxZav, 50);

    empty.WriteInteger("DefPrint", "TisknoutPikt", 1);
    fDefTisk::TDefTisk k(empty, backend, status, messages, fDefTisk::PravidlaKomentatora());
    fDefTisk::DialogValues v = k.FormActivate();
    EXPECT_EQ(v.slozkaTisku, "print/");
    EXPECT_FALSE(v.showFolderChooser || v.showPiktogramy);
    v.zpracovat = true;
    v.cyklus = "x";
    v.tiskMaxZav = "y";
    EXPECT_FALSE(k.BitBtnOkClick(v));
    EXPECT_EQ(messages.shown.size(), 2U); // both numbers checked, nothing stored
    EXPECT_FALSE(empty.ValueExists("DefPrint", "Tisknout"));
    v.cyklus = "5";
    v.tiskMaxZav = "40";
    ASSERT_TRUE(k.BitBtnOkClick(v));
    EXPECT_EQ(empty.ReadSection("DefPrint"),
              (std::vector<std::string>{"TisknoutPikt", "Tisknout", "PridatFF", "Cyklus",
                                        "TiskMaxZav", "Cesta", "Maska"}));
    EXPECT_EQ(empty.ReadInteger("DefPrint", "TisknoutPikt", 0), 1);
    EXPECT_EQ(empty.ReadString("DefPrint", "Cesta", ""), "print/");
}
