// End to end: what the real cardvane's timers serve besides the SI ports. The print folder of
// Ravlin's race is printed into PDF files (text with markup, then a control-description sheet)
// and ORIS requests in Ravlin's import folder are answered from a local HTTP server.

#include "CardvaneProgram.h"

#if defined(SISIM_PATH) && defined(CARDVANE_PATH)

#include "PiktTestRecords.h"
#include "SI_Port.h"
#include "platform/Cp1250.h"
#include "testsupport/HttpServer.h"
#include "testsupport/PrintTestSupport.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace cardvanetest;
using testsupport::HttpServer;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
using State = std::map<std::string, std::string>;

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Files the results program writes: Windows-1250, CR LF.
std::string Windows(const std::string& utf8Lines) {
    std::string text;
    std::istringstream in(utf8Lines);
    for (std::string line; std::getline(in, line);) {
        text += line + "\r\n";
    }
    return platform::Utf8ToCp1250(text);
}

// The ports from `from` on are off: only those the test gives a device are probed.
std::string NoComPorts(int from = 1) {
    std::string s = "[DisableCOM]\n";
    for (int n = from; n <= 9; ++n) {
        s += "COM" + std::to_string(n) + "=1\n";
    }
    return s;
}

// ---- a control-description file of one runner, as the results program writes it ----------

std::string OneRunnerSheet() {
    using namespace pikttest;
    return Runner(12, "Novák Jan", "H21", "A", 1234567, "10:30", "", "") +
           Course("Trať", Real5_2, 150) + RowRec(fPikt::KindStart, 1, {0, 0x4B, 0, 0, 0, '!'}) +
           RowRec(fPikt::KindControl, 31, {0x30, 0x53, 0, 0, 0, 0}) +
           RowRec(fPikt::KindControl, 47, {0, 0x48, 0, 0, 0, 0}) +
           RowRec(fPikt::KindFinish, '&', {'&', '&', '&', '&', '&', '#'}, "120 m");
}

class CardvaneServices : public ::testing::Test {
protected:
    void SetUp() override {
        program = Cardvane::CopyProgram(dir.Path());
        fs::create_directories(ravlin);
    }
    void TearDown() override {
        if (HasFailure() && fs::exists(dir / "cardvane.err")) {
            std::cerr << "---- cardvane.err\n" << ReadBytes(dir / "cardvane.err");
        }
    }
    void Settings(const std::string& more, int firstPortOff = 1) {
        WriteBytes(dir / "QZ_SI.ini",
                   Windows("[fQZ_SI]\nPodleRavlin=1\nCestaRavlin=" + ravlin.string() + "\n" + more +
                           NoComPorts(firstPortOff)));
    }

    // Cardvane with a network interface shown up, so that it asks for downloads on a machine
    // with the loopback only.
    static testsupport::ProgramLaunch NetworkUp() {
        // The sanitizers' runtime would object to a library loaded before it.
        const char* asan = std::getenv("ASAN_OPTIONS");
        testsupport::ProgramLaunch launch;
        launch.dropEnv = {"LD_PRELOAD=", "ASAN_OPTIONS="};
        launch.env = {
            std::string("LD_PRELOAD=") + NETUP_PATH,
            "ASAN_OPTIONS=" + (asan != nullptr ? std::string(asan) + ":" : std::string()) +
                "verify_asan_link_order=0"};
        return launch;
    }

    testsupport::TempDir dir;
    fs::path program;
    const fs::path ravlin = dir / "ravlin";
};

} // namespace

// The results program drops a listing with markup and a control-description file into its
// race's Print folder; both come out as PDF jobs, the listing first, and both files go.
TEST_F(CardvaneServices, PrintFolderOfTheRaceIsPrintedAndEmptied) {
    WriteBytes(ravlin / "Ravlin.inf",
               Windows("[Ravlin]\nRok=2024\nZavod=12\nEtapa=1\nStart00=10.00\n"));
    const fs::path print = ravlin / "Zav_2024" / "ZZ0012" / "Print";
    const fs::path pdf = dir / "pdf";
    fs::create_directories(print);
    fs::create_directories(pdf);
    Settings("[DefPrint]\nTisknout=1\nTisknoutPikt=1\nCyklus=1\nSlozkaPdf=" + pdf.string() + "\n");
    WriteBytes(print / "vysledky.txt",
               Windows("<PRINTER=1>Výsledky H21\n"
                       "1. Novák Jan <FONT=3>45:12<FONT=0> ZDR\n"
                       "<font name=\"Liberation Sans\" size=14 style=bold color=red>Konec\f"));
    WriteBytes(print / "Pikt0001.dat", OneRunnerSheet());

    Cardvane cv(program, dir.Path(), "cardvane");
    // The first run comes on the second 5 s tick: the first one finds the files still new.
    ASSERT_TRUE(Eventually(
        [&] { return !fs::exists(print / "vysledky.txt") && !fs::exists(print / "Pikt0001.dat"); },
        20))
        << cv.Errors();
    ASSERT_TRUE(Eventually([&] { return fs::exists(pdf / "Tisk0002.pdf"); }, 5)) << cv.Errors();

    const std::string text = printtest::PdfText(pdf / "Tisk0001.pdf");
    EXPECT_TRUE(Has(text, "Výsledky H21")) << text;
    EXPECT_TRUE(Has(text, "1. Novák Jan 45:12 ZDR")) << text;
    EXPECT_TRUE(Has(text, "Konec")) << text;
    EXPECT_FALSE(Has(text, "PRINTER")) << text;
    EXPECT_FALSE(Has(text, "<")) << text;
    // The trailing form feed is dropped (PridatFF -1): one page.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1) << text;
    const std::string xml = printtest::PdfXml(pdf / "Tisk0001.pdf");
    // The tag's font: pdftohtml names the family without the blank.
    EXPECT_TRUE(std::regex_search(
        xml, std::regex(R"(size="14" family="LiberationSans[^"]*" color="#ff0000")")))
        << xml;

    const std::string sheet = printtest::PdfText(pdf / "Tisk0002.pdf");
    EXPECT_TRUE(Has(sheet, "(12) Novák Jan")) << sheet;
    EXPECT_TRUE(Has(sheet, "Trať")) << sheet;
    EXPECT_TRUE(Has(sheet, "5.20 km")) << sheet;
    EXPECT_TRUE(Has(sheet, "47")) << sheet;
    EXPECT_TRUE(Has(sheet, "120 m")) << sheet;
    const std::string fonts = printtest::Run("pdffonts '" + (pdf / "Tisk0002.pdf").string() + "'");
    EXPECT_TRUE(Has(fonts, "QZ-Davovazedi04")) << fonts;
    EXPECT_FALSE(fs::exists(pdf / "Tisk0003.pdf"));
    // The status line is cleared after every run.
    EXPECT_TRUE(cv.StateWhen([](State& s) { return s["infoprint"].empty(); }));

    cv.Signal(SIGTERM);
    EXPECT_EQ(cv.WaitExit(), 0) << cv.Errors();
    EXPECT_FALSE(Has(cv.Errors(), "QZ-Davovazedi04")) << cv.Errors();
}

// A request in the import folder named by Ravlin.inf is downloaded from the address in the
// settings, converted and answered; a request dropped later is served too. Cardvane asks for
// no download while no network interface is up: it is shown one, so the test runs on a machine
// with the loopback only.
TEST_F(CardvaneServices, OrisRequestsAreServedFromTheAddressInTheSettings) {
    testsupport::HttpServer server;
    const std::string target = "/API/?format=xml&method=getCSOSClubList";
    testsupport::HttpServer::Response clubs;
    clubs.body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ORIS><Method>getCSOSClubList"
                 "</Method><Status>OK</Status><Data>\n"
                 "<Club id=\"Club_1\"><ID>1</ID><Abbr>ZDR</Abbr><Name>KOB Žďár</Name>"
                 "<Region>JM</Region></Club>\n"
                 "<Club id=\"Club_2\"><ID>2</ID><Abbr>BOR</Abbr><Name>OK Bor</Name>"
                 "<Region>P</Region></Club>\n</Data></ORIS>\n";
    server.Set(target, clubs);
    WriteBytes(ravlin / "Ravlin.inf",
               Windows("[Ravlin]\nRok=2024\nZavod=12\nEtapa=1\nStart00=10.00\nImport=Import\\\n"));
    const fs::path import = ravlin / "Import";
    fs::create_directories(import);
    Settings("[ORIS]\nAdresa=" + server.BaseUrl() + "/\n");
    WriteBytes(import / "P0001.ori",
               Windows("#ORIS#01.06.2026#09:58:00#getCSOSClubList#\nFN=Kluby.txt\n"));

    Cardvane cv(program, dir.Path(), "cardvane", NetworkUp());
    ASSERT_TRUE(Eventually([&] { return !fs::exists(import / "P0001.ori"); }, 15)) << cv.Errors();
    const std::string answer = ReadBytes(import / "P0001.orr");
    EXPECT_TRUE(answer.rfind("#ORIS#", 0) == 0 && Has(answer, "#getCSOSClubList#\r\n")) << answer;
    EXPECT_TRUE(Has(answer, "\r\nResult=OK\r\nRecords=2\r\n")) << answer;
    EXPECT_EQ(ReadBytes(import / "Kluby.txt"), Windows("1;KOB Žďár;ZDR;JM;\n2;OK Bor;BOR;P;\n"));
    EXPECT_EQ(server.Requests(), std::vector<std::string>{target});
    // The download buffer lies beside the program.
    EXPECT_TRUE(fs::exists(program.parent_path() / "Work.xml"));
    EXPECT_TRUE(cv.StateWhen([&](State& s) {
        return s["internet"] == "Zpracováno : " + server.BaseUrl() + target;
    })) << cv.State()["internet"];

    // The timer is back on after the pass.
    WriteBytes(import / "P0002.ori", Windows("#ORIS#01.06.2026#10:00:00#TestCardvane#\n"));
    ASSERT_TRUE(Eventually([&] { return !fs::exists(import / "P0002.ori"); }, 10)) << cv.Errors();
    const std::string test = ReadBytes(import / "P0002.orr");
    EXPECT_TRUE(Has(test, "#TestCardvane#\r\nResult=OK\r\nRecords=0\r\n")) << test;
    EXPECT_TRUE(cv.StateWhen([](State& s) {
        return s["internet"] == "TestCardvane : 10:00:00 Test connection - OK";
    })) << cv.State()["internet"];
    EXPECT_EQ(server.Requests().size(), 1u);

    cv.Signal(SIGTERM);
    EXPECT_EQ(cv.WaitExit(), 0) << cv.Errors();
}

// An ORIS server that hangs, silent from the start or in the middle of its answer, holds up no
// card: the station's cards are read while the download waits, and a closing signal then ends
// Cardvane at once with exit 0, leaving the request unanswered for the next start.
TEST_F(CardvaneServices, HangingOrisServerHoldsUpNeitherCardsNorTheClose) {
    const std::string target = "/API/?format=xml&method=getCSOSClubList";
    const fs::path import = ravlin / "Import";
    const fs::path chips = ravlin / "Zav_2024" / "ZZ0012" / "C1_0012.si1";
    fs::create_directories(import);
    fs::create_directories(chips.parent_path());
    WriteBytes(ravlin / "Ravlin.inf",
               Windows("[Ravlin]\nRok=2024\nZavod=12\nEtapa=1\nStart00=10.00\nImport=Import\\\n"));
    // Silent from the start, then silent in the middle of the answer.
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        HttpServer::Response hang;
        hang.body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ORIS><Data>";
        hang.neverAnswer = signal == SIGTERM;
        hang.stallAfter = 20;
        HttpServer server;
        server.Set(target, hang);
        Sisim sim(dir.Path(), "sim" + std::to_string(signal));
        Settings("[ORIS]\nAdresa=" + server.BaseUrl() + "\n[COM1]\nZarizeni=" + sim.Slave() +
                     "\nRezim=1\n",
                 2);
        fs::remove(chips);
        WriteBytes(import / "P0001.ori",
                   Windows("#ORIS#01.06.2026#09:58:00#getCSOSClubList#\nFN=Kluby.txt\n"));

        Cardvane cv(program, dir.Path(), "cardvane", NetworkUp());
        ASSERT_TRUE(Eventually([&] { return !server.Requests().empty(); })) << cv.Errors();
        sim.Send("insert si10 8123456");
        ASSERT_TRUE(Eventually([&] {
            std::error_code ec;
            return fs::file_size(chips, ec) == 4 * TCardBlockRec::Size;
        })) << cv.Errors();
        EXPECT_FALSE(fs::exists(import / "P0001.orr")) << "the download was over already";

        cv.Signal(signal);
        EXPECT_EQ(cv.WaitExit(5), 0) << cv.Errors();
        EXPECT_TRUE(fs::exists(import / "P0001.ori"));
        EXPECT_FALSE(fs::exists(import / "P0001.orr"));
    }
}

#endif
