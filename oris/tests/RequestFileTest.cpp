// Request files, the request folder, output names and answers.
#include "QZ_ORIS.h"
#include "SI_Typ.h"
#include "platform/Cp1250.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

using QZ_ORIS::TParamyOris;
using QZ_ORIS::TPozadavekOris;
using testsupport::TempDir;

namespace fs = std::filesystem;

namespace {

bool Parse(const std::string& utf8, TPozadavekOris& poz, TParamyOris& params) {
    return QZ_ORIS::ParsePozadavekOris(platform::Utf8ToCp1250(utf8), poz, params);
}

TEST(RequestFile, HeaderAndLinesAsRavlinWritesThem) {
    TPozadavekOris poz;
    TParamyOris params;
    const std::string longParam(250, 'q');
    ASSERT_TRUE(Parse("x#ORIS# 01.06.2026 #09:58:00#getUserEventEntries#\r\n"
                      "Param=&datefrom=2026-01-01&dateto= 2026-12-31 \r\n"
                      "\r\n"
                      "fn = výstup=2.txt\n"
                      "idzavod= 7001\r"
                      "OrisID=501\r\n"
                      "Zkratka=Žďárský oddíl orientačního běhu\r\n"
                      "=no key\r\n",
                      poz, params));
    EXPECT_EQ(poz.date, "01.06.2026");
    EXPECT_EQ(poz.time, "09:58:00");
    EXPECT_EQ(poz.method, "getUserEventEntries");
    // Param keeps every '=' and blank of its text; FN keeps what comes before a second '='.
    EXPECT_EQ(poz.Param, "&datefrom=2026-01-01&dateto= 2026-12-31 ");
    EXPECT_EQ(poz.FN, "výstup");
    EXPECT_EQ(poz.IDZAVOD, 7001);
    ASSERT_EQ(params.size(), 2u);
    EXPECT_EQ(params[0].name, "OrisID");
    EXPECT_EQ(params[0].value, "501");
    EXPECT_EQ(params[1].value, "Žďárský oddíl orient"); // 20 characters, not bytes

    ASSERT_TRUE(
        Parse("#ORIS#d#t#" + std::string(70, 'm') + "#\r\nParam=" + longParam, poz, params));
    EXPECT_EQ(poz.method, std::string(60, 'm'));
    EXPECT_EQ(poz.Param, std::string(200, 'q'));
    EXPECT_EQ(poz.IDZAVOD, 0);
    EXPECT_TRUE(params.empty()); // emptied by every parse
}

TEST(RequestFile, RefusedHeaders) {
    TPozadavekOris poz;
    TParamyOris params;
    EXPECT_FALSE(Parse("#oris#01.06.2026#09:58:00#TestCardvane#\r\n", poz, params));
    EXPECT_FALSE(Parse("ORIS#01.06.2026#09:58:00#TestCardvane#\r\n", poz, params));
    EXPECT_FALSE(Parse("", poz, params));
    EXPECT_FALSE(Parse("\r\n#ORIS#a#b#c#\r\n", poz, params));
    EXPECT_FALSE(QZ_ORIS::NactiPozadavekOris("/nonexistent/P1.ori", poz, params));
}

TEST(RequestFile, WholeNumbers) {
    EXPECT_EQ(QZ_ORIS::WholeNumber(" 12"), 12);
    EXPECT_EQ(QZ_ORIS::WholeNumber("+7"), 7);
    EXPECT_EQ(QZ_ORIS::WholeNumber("-3"), -3);
    for (const char* bad : {"", "12 ", "1.5", "1,5", "+-1", "0x10", "99999999999999999999", "-"}) {
        EXPECT_EQ(QZ_ORIS::WholeNumber(bad), 0) << bad;
    }
}

TEST(RequestFolder, BuiltFromRavlinsFolderAndImport) {
    SI_Typ::ResetGlobals();
    SI_Typ::RavlinInf.Import = "Import\\";
    EXPECT_EQ(QZ_ORIS::SlozkaPozadavkuOris(), "");
    SI_Typ::CestaRavlin = " \t ";
    EXPECT_EQ(QZ_ORIS::SlozkaPozadavkuOris(), "");
    SI_Typ::CestaRavlin = " /data/Ravlin ";
    EXPECT_EQ(QZ_ORIS::SlozkaPozadavkuOris(), "/data/Ravlin/Import/");
    SI_Typ::CestaRavlin = "/data/Ravlin/";
    SI_Typ::RavlinInf.Import = "Import";
    EXPECT_EQ(QZ_ORIS::SlozkaPozadavkuOris(), "/data/Ravlin/Import");
    SI_Typ::RavlinInf.Import = ""; // Ravlin.inf not read yet
    EXPECT_EQ(QZ_ORIS::SlozkaPozadavkuOris(), "/data/Ravlin/");
    SI_Typ::ResetGlobals();
}

TEST(OutputFile, OnlyNamesBelowTheRequestFolder) {
    TempDir dir;
    fs::create_directories(dir / "Import" / "Vystupy");
    const std::string prefix = (dir / "Import").string() + "/";
    fs::path out;
    std::string error;

    ASSERT_TRUE(QZ_ORIS::VystupniSoubor("vystupy\\kluby.txt", prefix, out, error));
    EXPECT_EQ(out, dir / "Import" / "Vystupy" / "kluby.txt"); // folder found in any case
    ASSERT_TRUE(QZ_ORIS::VystupniSoubor("./..x.txt", prefix, out, error));
    EXPECT_EQ(out.filename(), "..x.txt");
    ASSERT_TRUE(QZ_ORIS::VystupniSoubor(std::string(200, 'a'), prefix, out, error));

    for (const char* climbing :
         {"/etc/x", "\\\\server\\x", "c:x", "D:\\x", "..", "a/../../x", "a\\..\\b"}) {
        EXPECT_FALSE(QZ_ORIS::VystupniSoubor(climbing, prefix, out, error)) << climbing;
        EXPECT_EQ(error,
                  "Výstupní soubor (FN) musí ležet ve složce požadavků : " + std::string(climbing));
    }
    for (const char* folder : {"a/", ".", "a\\."}) {
        EXPECT_FALSE(QZ_ORIS::VystupniSoubor(folder, prefix, out, error)) << folder;
        EXPECT_EQ(error, "Neplatný název výstupního souboru (FN) : " + std::string(folder));
    }
    EXPECT_FALSE(QZ_ORIS::VystupniSoubor(std::string(201, 'a'), prefix, out, error));
    EXPECT_FALSE(QZ_ORIS::VystupniSoubor("", prefix, out, error));
}

TEST(Answer, NameChangesOnlyTheFinalExtension) {
    EXPECT_EQ(QZ_ORIS::JmenoOdpovedi("/r/p0001.ORI"), "/r/p0001.orr");
    EXPECT_EQ(QZ_ORIS::JmenoOdpovedi("/r/x.ori/P.ori.Ori"), "/r/x.ori/P.ori.orr");
    EXPECT_EQ(QZ_ORIS::JmenoOdpovedi("/r/P1.txt"), "/r/P1.txt.orr");
}

} // namespace
