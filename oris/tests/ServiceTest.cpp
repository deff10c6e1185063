// The whole road of a request against a local ORIS stand-in: request file in, address asked,
// output file and answer file out, request gone.
#include "OrisFixtures.h"
#include "QZ_ORIS.h"
#include "SI_Typ.h"
#include "platform/Cp1250.h"
#include "testsupport/HttpServer.h"
#include "testsupport/TempDir.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orisfixtures;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testsupport::HttpServer;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace fs = std::filesystem;

namespace {

const std::string kApi = "/API/?format=xml&method=";

HttpServer::Response Reply(int status, std::string body,
                           std::string type = "text/xml; charset=utf-8") {
    HttpServer::Response r;
    r.status = status;
    r.body = std::move(body);
    r.contentType = std::move(type);
    return r;
}

HttpServer::Response Redirect(std::string to) {
    HttpServer::Response r = Reply(302, "", "text/html");
    r.location = std::move(to);
    return r;
}

HttpServer::Response Silent() {
    HttpServer::Response r;
    r.neverAnswer = true;
    return r;
}

class SwitchProbe : public QZ_ORIS::ConnectionProbe {
public:
    bool connected = true;
    bool JePripojeno() override { return connected; }
};

class RecordingSink : public QZ_ORIS::StatusSink {
public:
    std::vector<std::string> texts;
    std::vector<std::string> log;
    void Zobraz(const std::string& text) override { texts.push_back(text); }
    void Zaznamenej(const std::string& line) override { log.push_back(line); }
};

// Succeeds without writing anything, and notes how big the work file was when asked.
class SilentDownloader : public QZ_ORIS::Downloader {
public:
    std::vector<uintmax_t> sizesSeen;
    std::function<void()> during;
    bool StahniSoubor(const std::string&, const fs::path& file) override {
        if (during) {
            std::exchange(during, nullptr)();
        }
        std::error_code ec;
        sizesSeen.push_back(fs::exists(file, ec) ? fs::file_size(file, ec) : 999);
        return true;
    }
};

std::string Cp(const std::string& utf8) {
    return platform::Utf8ToCp1250(utf8);
}

std::vector<std::string> Lines(const std::string& cp1250) {
    const std::string text = platform::Cp1250ToUtf8(cp1250);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back("UNTERMINATED:" + text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class OrisService : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        fs::create_directories(dir.Path() / "Ravlin" / "Import");
        SI_Typ::CestaRavlin = (dir.Path() / "Ravlin").string();
        SI_Typ::RavlinInf.Import = "Import\\";
        SI_Typ::IniNastaveni = std::make_unique<platform::IniFile>("");
        SI_Typ::IniNastaveni->WriteString("ORIS", "Adresa", server.BaseUrl() + "/");
        clock.SetWall({2026, 6, 1, 10, 0, 0, 0});
        platform::SetClock(&clock);
        MakeService(std::make_unique<QZ_ORIS::CurlDownloader>(2000, 1500));
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        SI_Typ::ResetGlobals();
    }

    void MakeService(std::unique_ptr<QZ_ORIS::Downloader> downloader) {
        auto p = std::make_unique<SwitchProbe>();
        probe = p.get();
        QZ_ORIS::ObsluhaParts parts;
        parts.probe = std::move(p);
        parts.downloader = std::move(downloader);
        parts.clock = &clock;
        parts.workFile = dir.Path() / "Work.xml";
        service = std::make_unique<QZ_ORIS::TObsluhaOris>(sink, std::move(parts));
    }

    fs::path Import() const { return dir.Path() / "Ravlin" / "Import"; }

    // A pass over the requests, two seconds after the previous one (the wall clock stays, so
    // every answer carries the same time).
    void Pass(int64_t afterMs = platform::StableFileCheck::kQuietMs) {
        clock.Advance(afterMs);
        clock.SetWall({2026, 6, 1, 10, 0, 0, 0});
        service->ProjdiPozadavkyOris();
    }

    // Drops a request, lets it stay unchanged for one pass, serves it on the next; returns
    // the answer's lines.
    std::vector<std::string> Serve(const std::string& request,
                                   const std::string& name = "P001.ori") {
        std::error_code ec;
        fs::remove(Import() / (name.substr(0, name.size() - 4) + ".orr"), ec);
        WriteBytes(Import() / name, Cp(request));
        Pass();
        EXPECT_FALSE(fs::exists(Import() / (name.substr(0, name.size() - 4) + ".orr")))
            << "served before it was seen unchanged";
        Pass();
        EXPECT_FALSE(fs::exists(Import() / name)) << "request not deleted";
        return Lines(ReadBytes(Import() / (name.substr(0, name.size() - 4) + ".orr")));
    }

    std::string Output(const std::string& name = "out.txt") const {
        return ReadBytes(Import() / name);
    }

    TempDir dir;
    HttpServer server;
    platform::FakeClock clock;
    RecordingSink sink;
    SwitchProbe* probe = nullptr;
    std::unique_ptr<QZ_ORIS::TObsluhaOris> service;
};

std::string Header(const std::string& method) {
    return "#ORIS#01.06.2026#09:58:00#" + method + "#\r\n";
}

std::string Answer1(const std::string& method) {
    return "#ORIS#01.06.2026#10:00:00#" + method + "#";
}

// --- every method, the right road ---

TEST_F(OrisService, ClubListIsDownloadedAndConverted) {
    server.Set(kApi + "getCSOSClubList", Reply(200, kClubList));
    EXPECT_THAT(Serve(Header("getCSOSClubList") + "FN=out.txt\r\n"),
                ElementsAre(Answer1("getCSOSClubList"), "Result=OK", "Records=2"));
    EXPECT_THAT(server.Requests(), ElementsAre(kApi + "getCSOSClubList"));
    EXPECT_EQ(Output(), Cp(kClubListOut));
    EXPECT_EQ(sink.texts.back(), "Zpracováno : " + server.BaseUrl() + kApi + "getCSOSClubList");
    // Answers and outputs are renamed into place: nothing else is left in the folder.
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(Import())) {
        left.push_back(e.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_THAT(left, ElementsAre("P001.orr", "out.txt"));
}

TEST_F(OrisService, ClubIsFetchedOncePerAbbreviationAnyCaseOfTheKey) {
    server.Set(kApi + "getClub&id=ZDR", Reply(200, ClubDoc("1", "ZDR", true)));
    server.Set(kApi + "getClub&id=B%20R", Reply(200, ClubDoc("2", "B R", false)));
    const auto answer = Serve(Header("getclub") + "Zkratka=ZDR\r\nOther=1\r\nzkratka=B R\r\n"
                                                  "FN=out.txt\r\n");
    EXPECT_THAT(answer, ElementsAre(Answer1("getclub"), "Result=OK", "Records=2"));
    EXPECT_THAT(server.Requests(), ElementsAre(kApi + "getClub&id=ZDR", kApi + "getClub&id=B%20R"));
    // The second club has no Email: the field is empty, all 17 fields stay.
    EXPECT_EQ(Output(), Cp(ClubLine("1", "ZDR", true) + ClubLine("2", "B R", false)));
}

TEST_F(OrisService, ClubWithoutAbbreviationsGivesAnEmptyFile) {
    // An earlier request's data are removed, not imported again.
    WriteBytes(Import() / "out.txt", "stale;\r\n");
    EXPECT_THAT(Serve(Header("getClub") + "FN=out.txt\r\n"),
                ElementsAre(Answer1("getClub"), "Result=OK", "Records=0"));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(Output(), "");
}

TEST_F(OrisService, UserEntriesOfTwoUsersGoIntoOneFileWithTheQueryBeforeTheUser) {
    server.Set(kApi + "getUserEventEntries&datefrom=2026-01-01&userid=501",
               Reply(200, UserEntriesDoc("501")));
    server.Set(kApi + "getUserEventEntries&datefrom=2026-01-01&userid=502",
               Reply(200, UserEntriesDoc("502")));
    const auto answer = Serve(Header("getUserEventEntries") +
                              "Param=&datefrom=2026-01-01\r\nOrisID=501\r\nOrisID=502\r\n"
                              "FN=out.txt\r\nIDZAVOD=7001\r\n");
    EXPECT_THAT(answer, ElementsAre(Answer1("getUserEventEntries"), "Result=OK", "Records=2",
                                    "idZavod=7001"));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(Output(), Cp(UserEntriesLine("501") + UserEntriesLine("502")));
}

TEST_F(OrisService, EventResults) {
    server.Set(kApi + "getEventResults&classid=11&eventid=7001", Reply(200, kEventResults));
    EXPECT_THAT(Serve(Header("getEventResults") + "Param=&classid=11\r\nOrisID=7001\r\n"
                                                  "FN=out.txt\r\n"),
                ElementsAre(Answer1("getEventResults"), "Result=OK", "Records=2"));
    EXPECT_THAT(server.Requests(), ElementsAre(kApi + "getEventResults&classid=11&eventid=7001"));
    EXPECT_EQ(Output(), Cp(kEventResultsOut));
}

TEST_F(OrisService, EventListWithItsQueryEncoded) {
    const std::string url = kApi + "getEventList&all=1&datefrom=2026-06-01&name=%C5%BD%C4%8F%C3%"
                                   "A1r%20n%2Fa%26b&x=5%25";
    server.Set(url, Reply(200, kEventList));
    // '&' and '=' of the pairs and escapes already made stay; the rest of the values is
    // encoded as UTF-8 (Ravlin writes Windows-1250).
    EXPECT_THAT(Serve(Header("getEventList") +
                      "Param=&datefrom=2026-06-01&name=Žďár n/a%26b&x=5%\r\nFN=out.txt\r\n"),
                ElementsAre(Answer1("getEventList"), "Result=OK", "Records=1"));
    EXPECT_THAT(server.Requests(), ElementsAre(url));
    EXPECT_EQ(Output(), Cp(kEventListOut));
}

TEST_F(OrisService, Registration) {
    server.Set(kApi + "getRegistration&sport=1&year=2026", Reply(200, kRegistration));
    EXPECT_THAT(Serve(Header("getRegistration") + "Param=&sport=1&year=2026\r\nFN=out.txt\r\n"),
                ElementsAre(Answer1("getRegistration"), "Result=OK", "Records=2"));
    EXPECT_EQ(Output(), Cp(kRegistrationOut));
}

TEST_F(OrisService, EventDetailsAndClassesComeFromTheSameAddress) {
    server.Set(kApi + "getEvent&id=7001", Reply(200, kEvent));
    EXPECT_THAT(Serve(Header("getEvent") + "IDZAVOD=7001\r\nFN=event.txt\r\n"),
                ElementsAre(Answer1("getEvent"), "Result=OK", "Records=1", "idZavod=7001"));
    EXPECT_EQ(Output("event.txt"), Cp(kEventOut));

    EXPECT_THAT(Serve(Header("getEvent_KATEG") + "IDZAVOD=7001\r\nFN=kateg.txt\r\n", "P002.ori"),
                ElementsAre(Answer1("getEvent_KATEG"), "Result=OK", "Records=5", "idZavod=7001"));
    EXPECT_EQ(Output("kateg.txt"), Cp(kEventClassesOut));
    EXPECT_THAT(server.Requests(),
                ElementsAre(kApi + "getEvent&id=7001", kApi + "getEvent&id=7001"));
}

TEST_F(OrisService, EventEntriesServicesAndBalance) {
    server.Set(kApi + "getEventEntries&eventid=7001", Reply(200, kEventEntries));
    server.Set(kApi + "getEventServiceEntries&eventid=7001", Reply(200, kServiceEntries));
    server.Set(kApi + "getEventBalance&eventid=7001", Reply(200, kBalance));
    EXPECT_THAT(Serve(Header("getEventEntries") + "IDZAVOD=7001\r\nFN=e.txt\r\n", "P1.ori"),
                ElementsAre(Answer1("getEventEntries"), "Result=OK", "Records=2", "idZavod=7001"));
    EXPECT_THAT(
        Serve(Header("getEventServiceEntries") + "IDZAVOD=7001\r\nFN=s.txt\r\n", "P2.ori"),
        ElementsAre(Answer1("getEventServiceEntries"), "Result=OK", "Records=1", "idZavod=7001"));
    EXPECT_THAT(Serve(Header("getEventBalance") + "IDZAVOD=7001\r\nFN=b.txt\r\n", "P3.ori"),
                ElementsAre(Answer1("getEventBalance"), "Result=OK", "Records=2", "idZavod=7001"));
    EXPECT_EQ(Output("e.txt"), Cp(kEventEntriesOut));
    EXPECT_EQ(Output("s.txt"), Cp(kServiceEntriesOut));
    EXPECT_EQ(Output("b.txt"), Cp(kBalanceOut));
}

TEST_F(OrisService, RedirectsAreFollowedAndOutputMayLieInASubfolder) {
    fs::create_directories(Import() / "Data");
    server.Set(kApi + "getCSOSClubList", Redirect("/moved"));
    server.Set("/moved", Reply(200, kClubList));
    EXPECT_THAT(Serve(Header("getCSOSClubList") + "FN=data\\OUT.txt\r\n"),
                ElementsAre(Answer1("getCSOSClubList"), "Result=OK", "Records=2"));
    EXPECT_EQ(ReadBytes(Import() / "Data" / "OUT.txt"), Cp(kClubListOut));
}

TEST_F(OrisService, TestCardvaneOnlyTestsTheConnection) {
    EXPECT_THAT(Serve(Header("testcardvane") + "FN=/etc/passwd\r\n"),
                ElementsAre(Answer1("testcardvane"), "Result=OK", "Records=0"));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(sink.texts.back(), "testcardvane : 09:58:00 Test connection - OK");
}

// --- error roads ---

TEST_F(OrisService, NoConnection) {
    probe->connected = false;
    WriteBytes(Import() / "out.txt", "kept");
    EXPECT_THAT(Serve(Header("getEvent") + "IDZAVOD=7001\r\nFN=out.txt\r\n"),
                ElementsAre(Answer1("getEvent"), "Result=ERR",
                            "ErrorInfo=Nepodařilo se připojit k internetu. Zkontrolujte připojení.",
                            "idZavod=7001"));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_THAT(sink.texts, ::testing::Contains("getEvent : 09:58:00 Test connection - ERROR"));
    EXPECT_EQ(Output(), "kept");
}

TEST_F(OrisService, UnknownMethod) {
    // A negative event id gives no idZavod line either.
    EXPECT_THAT(Serve(Header("getSomething") + "FN=out.txt\r\nIDZAVOD=-4\r\n"),
                ElementsAre(Answer1("getSomething"), "Result=ERR",
                            "ErrorInfo=Nedefinovaný požadavek getSomething"));
    EXPECT_TRUE(server.Requests().empty());
}

// What a server sends that is not a good answer, row by row through one service: the answer
// for Ravlin keeps the text it always had, the label adds the reason and the log says each
// failure once and when the server answers again. A document is read in the encoding it
// declares; bytes that encoding lacks make a converter failure that says so.
TEST_F(OrisService, ServerFaultsAndEncodingsAsTheAnswerTheLabelAndTheLogSayThem) {
    MakeService(std::make_unique<QZ_ORIS::CurlDownloader>(2000, 5000, 1000, 4096));
    HttpServer gone;
    const std::string goneBase = gone.BaseUrl();
    gone.Stop();
    const std::string target = kApi + "getEvent&id=7001";
    const std::string event = "<Data><ID>7001</ID><Place>Hradec Králové</Place><Director>"
                              "<FirstName>Jan</FirstName><LastName>Řehoř</LastName></Director>"
                              "</Data>";
    const auto encoded = [&](const std::string& encoding) {
        return Cp("<?xml version=\"1.0\" encoding=\"" + encoding + "\"?><ORIS>" + event +
                  "</ORIS>");
    };
    HttpServer::Response cut = Reply(200, kEvent);
    cut.closeAfter = 40;
    HttpServer::Response tls = Reply(200, "plain");
    tls.beforeRequest = true;
    std::string lacking = encoded("windows-1250");
    const size_t lackingAt = lacking.find("Jan");
    lacking.insert(lackingAt, "\x81");
    const std::string convert = "Nepodařilo se zpracovat soubor detailů kalendáře závodů : bajt ";

    struct Row {
        std::string what;
        HttpServer::Response response;
        std::string base;   // empty: the server's own
        std::string reason; // of a failed download, in the label and the log; else the ErrorInfo
        bool logged;        // the reason is news (or the server is back)
    };
    const std::vector<Row> rows = {
        {"HTTP 500", Reply(500, "<ORIS/>"), "", "HTTP 500 Internal Server Error", true},
        {"the same again", Reply(500, "<ORIS/>"), "", "HTTP 500 Internal Server Error", false},
        {"HTTP 404", Reply(404, "<ORIS/>"), "", "HTTP 404 Not Found", true},
        {"silent", Silent(), "", "the server sent nothing for 1 s", true},
        {"cut off", cut, "", "transfer closed", true},
        {"too large", Reply(200, Doc("getEvent", std::string(5000, ' '))), "",
         "the answer is larger than 4096 bytes", true},
        {"no TLS", tls, "https", "OpenSSL", true},
        {"server gone", Reply(200, kEvent), goneBase, "Failed to connect", true},
        {"windows-1250", Reply(200, encoded("windows-1250")), "", "", true},
        {"iso-8859-2", Reply(200, encoded("ISO-8859-2")), "", "", false},
        {"UTF-8 declared, windows-1250 sent", Reply(200, encoded("UTF-8")), "",
         convert + "0xE1 na pozici " + std::to_string(encoded("UTF-8").find("\xE1")) +
             " není platný v kódování UTF-8",
         false},
        {"a byte windows-1250 lacks", Reply(200, lacking), "",
         convert + "0x81 na pozici " + std::to_string(lackingAt) +
             " není platný v kódování windows-1250",
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string base = row.base.empty() ? server.BaseUrl() : row.base;
        if (row.base == "https") {
            base = "https" + server.BaseUrl().substr(4);
            server.SetDefault(row.response);
        }
        SI_Typ::IniNastaveni->WriteString("ORIS", "Adresa", base);
        server.Set(target, row.response);
        WriteBytes(Import() / "out.txt", "earlier request;\r\n");
        const size_t logged = sink.log.size();
        const auto answer = Serve(Header("getEvent") + "IDZAVOD=7001\r\nFN=out.txt\r\n");
        server.SetDefault(Reply(404, "<html/>", "text/html"));
        const bool downloaded = row.reason.empty() || row.reason.rfind(convert, 0) == 0;
        if (!downloaded) {
            const std::string error = "Nepodařilo se stáhnout soubor : " + base + target;
            EXPECT_THAT(answer, ElementsAre(Answer1("getEvent"), "Result=ERR", "ErrorInfo=" + error,
                                            "idZavod=7001"));
            EXPECT_FALSE(fs::exists(Import() / "out.txt"));
            EXPECT_EQ(ReadBytes(dir / "Work.xml"), ""); // an error page is not a document
            EXPECT_THAT(sink.texts.back(),
                        ::testing::StartsWith(error + " (Server ORIS: " + row.reason));
        } else if (!row.reason.empty()) {
            EXPECT_THAT(answer,
                        ElementsAre(Answer1("getEvent"), "Result=OK", "ErrorInfo=" + row.reason,
                                    "Records=0", "idZavod=7001"));
            EXPECT_FALSE(fs::exists(Import() / "out.txt"));
        } else {
            EXPECT_THAT(answer,
                        ElementsAre(Answer1("getEvent"), "Result=OK", "Records=1", "idZavod=7001"));
            const std::string out = platform::Cp1250ToUtf8(Output());
            EXPECT_THAT(out, HasSubstr("\r\nPlace=Hradec Králové\r\n"));
            EXPECT_THAT(out, HasSubstr("\r\nDirector=Jan Řehoř\r\n"));
        }
        ASSERT_EQ(sink.log.size(), logged + (row.logged ? 1 : 0));
        if (row.logged) {
            EXPECT_THAT(sink.log.back(),
                        ::testing::StartsWith("Server ORIS: " +
                                              (downloaded ? "opět odpovídá" : row.reason)));
        }
    }
}

TEST_F(OrisService, StalledServerIsGivenUpLongBeforeTheTotalTimeOut) {
    MakeService(std::make_unique<QZ_ORIS::CurlDownloader>(2000, 60'000, 1000));
    HttpServer::Response stalling = Reply(200, kClubList);
    stalling.stallAfter = 40; // silent in the middle of the answer
    for (const HttpServer::Response& r : {stalling, Silent()}) {
        server.Set(kApi + "getCSOSClubList", r);
        const auto started = std::chrono::steady_clock::now();
        const auto answer = Serve(Header("getCSOSClubList") + "FN=out.txt\r\n");
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_THAT(answer, ElementsAre(Answer1("getCSOSClubList"), "Result=ERR",
                                        HasSubstr("ErrorInfo=Nepodařilo se stáhnout soubor")));
        EXPECT_LT(took, std::chrono::seconds(10));
        EXPECT_EQ(ReadBytes(dir / "Work.xml"), ""); // half a document is not kept
    }
}

TEST_F(OrisService, AnswerLargerThanAnyOrisDocumentIsAFailedDownload) {
    MakeService(std::make_unique<QZ_ORIS::CurlDownloader>(2000, 5000, 5000, 1000));
    const std::string big = Doc("getCSOSClubList", "<Data>" + std::string(2000, ' ') + "</Data>");
    for (const bool withLength : {true, false}) {
        HttpServer::Response r = Reply(200, big);
        r.withLength = withLength;
        server.Set(kApi + "getCSOSClubList", r);
        EXPECT_THAT(Serve(Header("getCSOSClubList") + "FN=out.txt\r\n"),
                    ElementsAre(Answer1("getCSOSClubList"), "Result=ERR",
                                HasSubstr("ErrorInfo=Nepodařilo se stáhnout soubor")))
            << withLength;
        EXPECT_EQ(ReadBytes(dir / "Work.xml"), "");
    }
    // Within the limit, with or without a length, the answer is taken.
    MakeService(std::make_unique<QZ_ORIS::CurlDownloader>(2000, 5000, 5000, big.size()));
    for (const bool withLength : {true, false}) {
        HttpServer::Response r = Reply(200, big);
        r.withLength = withLength;
        server.Set(kApi + "getCSOSClubList", r);
        EXPECT_THAT(Serve(Header("getCSOSClubList") + "FN=out.txt\r\n"),
                    ElementsAre(Answer1("getCSOSClubList"), "Result=OK", "Records=0"))
            << withLength;
    }
}

TEST_F(OrisService, HtmlInsteadOfXmlIsAConverterFailure) {
    WriteBytes(Import() / "out.txt", "earlier request;\r\n");
    server.Set(kApi + "getRegistration",
               Reply(200, "<!DOCTYPE html><html><body>Údržba<br></body></html>", "text/html"));
    EXPECT_THAT(Serve(Header("getRegistration") + "FN=out.txt\r\n"),
                ElementsAre(Answer1("getRegistration"), "Result=OK",
                            "ErrorInfo=Nepodařilo se zpracovat soubor registrace", "Records=0"));
    EXPECT_FALSE(fs::exists(Import() / "out.txt"));
}

TEST_F(OrisService, DocumentWithoutDataIsAConverterFailure) {
    server.Set(kApi + "getEvent&id=7", Reply(200, "<ORIS><Status>Chyba</Status></ORIS>"));
    EXPECT_THAT(Serve(Header("getEvent") + "IDZAVOD=7\r\nFN=out.txt\r\n"),
                ElementsAre(Answer1("getEvent"), "Result=OK",
                            "ErrorInfo=Nepodařilo se zpracovat soubor detailů kalendáře závodů",
                            "Records=0", "idZavod=7"));
    EXPECT_FALSE(fs::exists(Import() / "out.txt"));
}

TEST_F(OrisService, RefusedOutputNamesAreAnsweredWithoutDownloading) {
    const std::string longName(201, 'x');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/tmp/out.txt", "ErrorInfo=Výstupní soubor (FN) musí ležet ve složce požadavků : "
                         "/tmp/out.txt"},
        {"C:\\Ravlin\\out.txt", "ErrorInfo=Výstupní soubor (FN) musí ležet ve složce požadavků "
                                ": C:\\Ravlin\\out.txt"},
        {"..\\..\\out.txt", "ErrorInfo=Výstupní soubor (FN) musí ležet ve složce požadavků : "
                            "..\\..\\out.txt"},
        {"sub/../../out.txt", "ErrorInfo=Výstupní soubor (FN) musí ležet ve složce požadavků : "
                              "sub/../../out.txt"},
        {"", "ErrorInfo=Chybí název výstupního souboru (FN)"},
        {longName, "ErrorInfo=Název výstupního souboru (FN) je delší než 200 znaků"},
    };
    int n = 0;
    for (const auto& [fn, error] : cases) {
        const std::string name = "P" + std::to_string(++n) + ".ori";
        EXPECT_THAT(Serve(Header("getCSOSClubList") + "FN=" + fn + "\r\n", name),
                    ElementsAre(Answer1("getCSOSClubList"), "Result=ERR", error))
            << fn;
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(OrisService, ConverterFailureStopsFurtherDownloads) {
    server.Set(kApi + "getUserEventEntries&userid=501", Reply(200, UserEntriesDoc("501")));
    server.Set(kApi + "getUserEventEntries&userid=502",
               Reply(200, "<ORIS><Data><Entry><ID><b>x</b></ID></Entry></Data></ORIS>"));
    server.Set(kApi + "getUserEventEntries&userid=503", Reply(200, UserEntriesDoc("503")));
    EXPECT_THAT(Serve(Header("getUserEventEntries") + "OrisID=501\r\nOrisID=502\r\nOrisID=503\r\n"
                                                      "FN=out.txt\r\n"),
                ElementsAre(Answer1("getUserEventEntries"), "Result=OK",
                            "ErrorInfo=Nepodařilo se zpracovat soubor přihlášek oddílu",
                            "Records=1"));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(Output(), Cp(UserEntriesLine("501")));
}

TEST_F(OrisService, FailedSecondDownloadKeepsTheFirstConversion) {
    server.Set(kApi + "getClub&id=A", Reply(200, ClubDoc("1", "A", true)));
    server.Set(kApi + "getClub&id=C", Reply(200, ClubDoc("3", "C", true)));
    EXPECT_THAT(Serve(Header("getClub") + "Zkratka=A\r\nZkratka=B\r\nZkratka=C\r\nFN=out.txt\r\n"),
                ElementsAre(Answer1("getClub"), "Result=ERR",
                            "ErrorInfo=Nepodařilo se stáhnout soubor : " + server.BaseUrl() + kApi +
                                "getClub&id=B"));
    EXPECT_THAT(server.Requests(), ElementsAre(kApi + "getClub&id=A", kApi + "getClub&id=B"));
    EXPECT_EQ(Output(), Cp(ClubLine("1", "A", true)));
}

TEST_F(OrisService, WorkFileIsEmptiedBeforeEachDownload) {
    auto silent = std::make_unique<SilentDownloader>();
    SilentDownloader* downloader = silent.get();
    MakeService(std::move(silent));
    WriteBytes(dir / "Work.xml", kClubList); // the previous request's document
    EXPECT_THAT(Serve(Header("getCSOSClubList") + "FN=out.txt\r\n"),
                ElementsAre(Answer1("getCSOSClubList"), "Result=OK",
                            "ErrorInfo=Nepodařilo se zpracovat soubor oddílů ČSOS", "Records=0"));
    EXPECT_THAT(downloader->sizesSeen, ElementsAre(0u));
    EXPECT_FALSE(fs::exists(Import() / "out.txt"));
}

// --- the request folder and the pass ---

TEST_F(OrisService, BadRequestsStayUnansweredAndOthersAreServedInOrder) {
    WriteBytes(Import() / "P1.ori", "#oris#01.06.2026#09:58:00#TestCardvane#\r\n");
    WriteBytes(Import() / "p2.ORI", Header("TestCardvane"));
    WriteBytes(Import() / "P3.ori", Header("TestCardvane"));
    WriteBytes(Import() / "Q4.ori", Header("TestCardvane"));
    fs::create_directories(Import() / "P5.ori");
    Pass();
    Pass();
    Pass();
    EXPECT_TRUE(fs::exists(Import() / "P1.ori"));
    EXPECT_FALSE(fs::exists(Import() / "P1.orr"));
    EXPECT_TRUE(fs::exists(Import() / "p2.orr"));
    EXPECT_FALSE(fs::exists(Import() / "p2.ORI"));
    EXPECT_TRUE(fs::exists(Import() / "P3.orr"));
    EXPECT_TRUE(fs::exists(Import() / "Q4.ori"));
    EXPECT_FALSE(fs::exists(Import() / "Q4.orr"));
}

// A request is answered once it is whole: a writer pausing longer than a pass, mid-line or
// before the first byte, is waited for; a request written anew under the name while the one
// before is answered is answered in its turn, never deleted unanswered.
TEST_F(OrisService, RequestStillBeingWrittenIsWaitedForAndAnsweredWhole) {
    struct Row {
        const char* what;
        std::string first;
        int64_t pauseMs;
    };
    const std::string cut = "#ORIS#01.06.2026#09:58:00#TestCard";
    for (const Row& row : std::vector<Row>{{"cut mid-line, 0.5 s", "#ORIS#01.06", 500},
                                           {"cut in the method, 2.5 s", cut, 2500},
                                           {"cut in the method, 5 s", cut, 5000},
                                           {"empty, 3.5 s", "", 3500}}) {
        SCOPED_TRACE(row.what);
        WriteBytes(Import() / "P1.ori", row.first);
        Pass();
        Pass(row.pauseMs);
        EXPECT_FALSE(fs::exists(Import() / "P1.orr"));
        WriteBytes(Import() / "P1.ori", Header("TestCardvane"));
        Pass();
        Pass();
        EXPECT_FALSE(fs::exists(Import() / "P1.ori"));
        EXPECT_EQ(Lines(ReadBytes(Import() / "P1.orr")).at(1), "Result=OK");
        fs::remove(Import() / "P1.orr");
    }
    auto renaming = std::make_unique<SilentDownloader>();
    renaming->during = [&] {
        WriteBytes(Import() / "new.tmp", Header("TestCardvane"));
        fs::rename(Import() / "new.tmp", Import() / "P1.ori");
    };
    MakeService(std::move(renaming));
    SCOPED_TRACE("renamed over while answered");
    WriteBytes(Import() / "P1.ori", Header("getCSOSClubList") + "FN=out.txt\r\n");
    Pass();
    Pass();
    ASSERT_TRUE(fs::exists(Import() / "P1.ori"));
    Pass();
    Pass();
    EXPECT_FALSE(fs::exists(Import() / "P1.ori"));
    EXPECT_EQ(Lines(ReadBytes(Import() / "P1.orr")).at(0), Answer1("TestCardvane"));
}

TEST_F(OrisService, ImportWithoutSeparatorIsANamePrefixInRavlinsFolder) {
    SI_Typ::RavlinInf.Import = "Import";
    const fs::path ravlin = dir.Path() / "Ravlin";
    server.Set(kApi + "getCSOSClubList", Reply(200, kClubList));
    WriteBytes(ravlin / "ImportP7.ori", Header("getCSOSClubList") + "FN=out.txt\r\n");
    WriteBytes(Import() / "P8.ori", Header("TestCardvane"));
    Pass();
    Pass();
    EXPECT_TRUE(fs::exists(ravlin / "ImportP7.orr"));
    EXPECT_EQ(ReadBytes(ravlin / "Importout.txt"), Cp(kClubListOut));
    EXPECT_TRUE(fs::exists(Import() / "P8.ori"));
}

TEST_F(OrisService, AnswerTakesThePlaceOfAnEarlierOneWholeNeverRewritingIt) {
    // Ravlin may be reading the earlier answer: it must go on seeing that one, all of it.
    const std::string earlier = "#ORIS#31.05.2026#08:00:00#TestCardvane#\r\nResult=OK\r\n";
    WriteBytes(Import() / "P1.orr", earlier);
    const int reader = ::open((Import() / "P1.orr").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    WriteBytes(Import() / "P1.ori", Header("TestCardvane"));
    Pass();
    Pass();
    std::string seen(200, '\0');
    const ssize_t n = ::pread(reader, seen.data(), seen.size(), 0);
    ::close(reader);
    seen.resize(n > 0 ? static_cast<size_t>(n) : 0);
    EXPECT_EQ(seen, earlier);
    EXPECT_THAT(Lines(ReadBytes(Import() / "P1.orr")),
                ElementsAre(Answer1("TestCardvane"), "Result=OK", "Records=0"));
}

TEST_F(OrisService, RequestLargerThanAnyRequestIsNotTaken) {
    std::string request = Header("getClub") + "FN=out.txt\r\n";
    while (request.size() <= 1024 * 1024) {
        request += "Zkratka=ABC\r\n";
    }
    WriteBytes(Import() / "P1.ori", request);
    Pass();
    Pass();
    EXPECT_TRUE(fs::exists(Import() / "P1.ori"));
    EXPECT_FALSE(fs::exists(Import() / "P1.orr"));
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(OrisService, NoRavlinFolderNoPolling) {
    SI_Typ::CestaRavlin = "  ";
    WriteBytes(Import() / "P1.ori", Header("TestCardvane"));
    Pass();
    Pass();
    EXPECT_TRUE(fs::exists(Import() / "P1.ori"));
    EXPECT_TRUE(sink.texts.empty());
}

TEST(OrisAddress, SettingOrDefault) {
    SI_Typ::ResetGlobals();
    EXPECT_EQ(QZ_ORIS::AdresaOris(), "https://oris.orientacnisporty.cz");
    SI_Typ::IniNastaveni = std::make_unique<platform::IniFile>("");
    EXPECT_EQ(QZ_ORIS::AdresaOris(), "https://oris.orientacnisporty.cz");
    SI_Typ::IniNastaveni->WriteString("oris", "ADRESA", " http://localhost:8080// ");
    EXPECT_EQ(QZ_ORIS::AdresaOris(), "http://localhost:8080");
    SI_Typ::ResetGlobals();
}

} // namespace
