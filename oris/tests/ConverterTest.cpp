// Converters on documents that are not the plain case: empty or missing containers, failures
// part-way, texts that would break a record, fee arithmetic, the modes of gathered files.
#include "OrisConvert.h"
#include "OrisFixtures.h"
#include "platform/Cp1250.h"
#include "testsupport/TempDir.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using orisfixtures::Doc;
using QZ_ORIS::PrevedXmlOris;
using QZ_ORIS::TPozadavekOris;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace fs = std::filesystem;

namespace {

class Converter : public ::testing::Test {
protected:
    TPozadavekOris Request(const std::string& method, const std::string& xml) {
        WriteBytes(dir / "Work.xml", xml);
        TPozadavekOris poz;
        poz.method = method;
        poz.workFile = (dir / "Work.xml").string();
        poz.FN = (dir / "out.txt").string();
        poz.result = "OK";
        return poz;
    }
    std::string Output() { return platform::Cp1250ToUtf8(ReadBytes(dir / "out.txt")); }

    TempDir dir;
};

TEST_F(Converter, EmptyContainersGiveAnEmptyFile) {
    for (const auto& [method, data] :
         std::vector<std::pair<std::string, std::string>>{{"getRegistration", "<Data/>"},
                                                          {"getEventBalance", "<Data></Data>"},
                                                          {"getEvent_KATEG", "<Data/>"}}) {
        TPozadavekOris poz = Request(method, Doc(method, data));
        EXPECT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod)) << method;
        EXPECT_TRUE(fs::exists(dir / "out.txt")) << method;
        EXPECT_EQ(Output(), "") << method;
        EXPECT_EQ(poz.records, 0) << method;
        EXPECT_EQ(poz.errorText, "") << method;
        fs::remove(dir / "out.txt");
    }
}

TEST_F(Converter, FailurePartWayKeepsTheWholeLinesBefore) {
    TPozadavekOris poz = Request("getRegistration", Doc("getRegistration", R"(<Data>
<Person><RegNo>A1</RegNo><FirstName>Jan</FirstName></Person>
<Person><RegNo>A2</RegNo><FirstName><Given>Jan</Given></FirstName></Person>
<Person><RegNo>A3</RegNo></Person>
</Data>)"));
    EXPECT_FALSE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    EXPECT_EQ(poz.errorText, "Nepodařilo se zpracovat soubor registrace");
    EXPECT_EQ(poz.records, 1);
    EXPECT_EQ(Output(), "A1;;;Jan;;;;;;;;\r\n");
}

TEST_F(Converter, BrokenDocumentsLeaveNoOutput) {
    for (const std::string& xml :
         {std::string("<html><body>Služba nedostupná</body></html>"), std::string("<ORIS><Data>"),
          std::string(), Doc("getEventList", "<Status>Error</Status>")}) {
        TPozadavekOris poz = Request("getEventList", xml);
        EXPECT_FALSE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod)) << xml;
        EXPECT_EQ(poz.errorText, "Nepodařilo se zpracovat soubor kalendáře závodů");
        EXPECT_FALSE(fs::exists(dir / "out.txt")) << xml;
    }
    TPozadavekOris poz = Request("getNothing", Doc("getNothing", "<Data/>"));
    EXPECT_FALSE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
}

TEST_F(Converter, NoTextCanShiftTheFieldsOfARecord) {
    TPozadavekOris poz = Request("getEventList", Doc("getEventList", R"(<Data>
<Event><ID>1</ID><Name>Noční;běh&#13;&#10;Brno</Name><Place><![CDATA[Les; u
cesty]]></Place></Event>
</Data>)"));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    EXPECT_EQ(Output(), "1;Noční běh  Brno;;;;;;;;;Les  u cesty;\r\n");

    fs::remove(dir / "out.txt"); // this one appends
    poz = Request("getUserEventEntries",
                  Doc("getUserEventEntries", "<Data><Entry><Note>a;b\nc</Note></Entry></Data>"));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    EXPECT_EQ(Output(), ";;;;;;;;;;;ab c;;;;\r\n"); // the note loses its ';' altogether

    poz = Request("getEvent", Doc("getEvent", "<Data><Name>a;b\r\nc</Name><SW><FirstName>X;"
                                              "</FirstName></SW></Data>"));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    const std::string out = Output();
    // key=value lines keep a ';': only the line end becomes a blank.
    EXPECT_NE(out.find("\r\nName=a;b c\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\r\nSW=X; \r\n"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 32);
}

TEST_F(Converter, TextsOutsideWindows1250BecomeQuestionMarks) {
    TPozadavekOris poz = Request(
        "getCSOSClubList",
        Doc("getCSOSClubList", "<Data><Club><ID>1</ID><Name>Ørsted Žďár</Name></Club></Data>"));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    EXPECT_EQ(ReadBytes(dir / "out.txt"), platform::Utf8ToCp1250("1;?rsted Žďár;;;\r\n"));
}

TEST_F(Converter, ClassFeesRoundHalvesToEvenAndDecimalCommaIsNoNumber) {
    TPozadavekOris poz = Request("getEvent_KATEG", Doc("getEvent_KATEG", R"(<Data>
<EntryKoef2>50,0</EntryKoef2><EntryKoef3> 50 </EntryKoef3>
<Classes>
 <Class><ID>1</ID><Name>A</Name><Fee>15</Fee><Legs>1</Legs></Class>
 <Class><ID>2</ID><Name>B</Name><Fee>25</Fee><ManualFee>2</ManualFee><NoExtraFee>0</NoExtraFee></Class>
 <Class><ID>3</ID><Name>C</Name><Fee>-10</Fee></Class>
</Classes></Data>)"));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    EXPECT_EQ(Output(), "1;A;15;15;22;1;\r\n"
                        "2;B;25;25;38;0;\r\n"
                        "3;C;-10;-10;-15;0;\r\n");
    EXPECT_EQ(poz.records, 3);
}

TEST_F(Converter, GatheredFilesByMode) {
    WriteBytes(dir / "out.txt", "old;\r\n");
    TPozadavekOris poz =
        Request("getEventResults", Doc("getEventResults", "<Data><R><ID>1</ID></R></Data>"));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimZacatek));
    EXPECT_EQ(Output(), "");
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    WriteBytes(dir / "Work.xml", "not xml");
    EXPECT_FALSE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    EXPECT_EQ(poz.errorText, "Nepodařilo se zpracovat soubor výsledků oddílu");
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimKonec));
    EXPECT_EQ(Output(), "1;;;;;;;;\r\n1;;;;;;;;\r\n");
    EXPECT_EQ(poz.records, 2);
    // Mode 0 starts afresh: the earlier failure's text goes.
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimZacatek));
    EXPECT_EQ(poz.errorText, "");
}

// While it lives, no file of the process may grow beyond the given size (as on a full disk).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit tight = old_;
        tight.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(Converter, GatheredFileNeverKeepsPartOfALine) {
    TPozadavekOris poz =
        Request("getEventResults", Doc("getEventResults", "<Data><R><ID>1</ID></R></Data>"));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimZacatek));
    ASSERT_TRUE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    const std::string first = "1;;;;;;;;\r\n";
    ASSERT_EQ(Output(), first);

    const std::string name(100, 'N');
    WriteBytes(dir / "Work.xml",
               Doc("getEventResults", "<Data><R><Name>" + name + "</Name></R><R><Name>" + name +
                                          "</Name></R></Data>"));
    {
        // Room for one and a half of the new lines.
        FileSizeLimit limit(first.size() + 160);
        EXPECT_FALSE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    }
    EXPECT_EQ(poz.errorText, "Nepodařilo se zpracovat soubor výsledků oddílu");
    EXPECT_EQ(poz.records, 1);
    EXPECT_EQ(Output(), first);
}

TEST_F(Converter, OutputThatCannotBeWrittenIsAFailureWithNoRecords) {
    TPozadavekOris poz = Request("getEventBalance", Doc("getEventBalance", R"(<Data><Clubs>
<Club><ClubID>1</ClubID></Club></Clubs></Data>)"));
    poz.FN = (dir / "missing" / "out.txt").string();
    EXPECT_FALSE(PrevedXmlOris(poz, QZ_ORIS::RezimPrevod));
    EXPECT_EQ(poz.errorText, "Nepodařilo se zpracovat soubor plateb");
    EXPECT_EQ(poz.records, 0);

    poz = Request("getClub", Doc("getClub", "<Data><ID>1</ID></Data>"));
    poz.FN = (dir / "missing" / "out.txt").string();
    EXPECT_FALSE(PrevedXmlOris(poz, QZ_ORIS::RezimZacatek));
    EXPECT_EQ(poz.errorText, "Nepodařilo se zpracovat soubor oddílů ČSOS");
}

} // namespace
