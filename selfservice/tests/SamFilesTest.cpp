// Exports, answers and requests in the SAM folder.
#include "KioskTestSupport.h"
#include "PultraLogic.h"
#include "fAdminLogic.h"

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace SISam_Proc;
using SISam_Typ::SeznamKategorii;
using SISam_Typ::SeznamOddilu;

namespace {

class SamFiles : public kiosktest::KioskTest {};

const SISam_Typ::TKategorie& Kat(const char* nazev) {
    const int i = NajdiKategorii(nazev);
    EXPECT_GE(i, 0) << nazev;
    return SeznamKategorii.at(static_cast<size_t>(std::max(i, 0)));
}

TEST_F(SamFiles, ExportsLoadCountAndKeepCategories) {
    Put("Kateg.csv", {"#SAM#WRITE#KATEG#ALL##RAVLIN#08:00:00##", "H21;1;5.1;120;14;0;0;0;0;0;",
                      "D35;0;3;60;9;0;0;0;0;0;"});
    // The first export loads even with an empty stamp.
    Put("Zavodnik.csv",
        {"#SAM#WRITE#ZAVODNIK#ALL##RAVLIN###", "1;H21;ČERNÝ Jiří;11;abc;1;10.00;50.00;1;0;0;;",
         "2;H21;;0;;;12.00;0;2;0;0;;", "3;d21;NOVÁK Jan;13;ABC;3;11.30;0;0;0;0;;",
         "3000;H21;X;1;X;1;1;0;0;0;0;;", "5;H21;DVOŘÁK Petr;15;žďa;5;9.00;0;0;0;0;;"});
    EXPECT_EQ(Poll("*.csv"), VysledekNic);
    EXPECT_EQ(MaxID, 5);
    EXPECT_EQ(PocetZavodniku, 4);
    EXPECT_EQ(PocetDobehlych, 1);
    EXPECT_DOUBLE_EQ(PosledniStart, 11.30); // the vacant slot's 12.00 does not count
    EXPECT_EQ(Kat("H21").Pocet, 3);
    EXPECT_EQ(Kat("H21").Vakanty, 1);
    EXPECT_EQ(Kat("H21").Dobehlo, 1);
    EXPECT_EQ(Kat("D21").Pocet, 1);
    EXPECT_EQ(Kat("D35").Kontrol, 9);
    ASSERT_EQ(SeznamOddilu.size(), 2u); // abc and ABC are one club
    EXPECT_EQ(SeznamOddilu[0].Kod, "ABC");
    EXPECT_EQ(SeznamOddilu[1].Kod, "ŽĎA");
    EXPECT_EQ(StavDat, "Data Zav : Read 12:34:56 data z ");
    EXPECT_TRUE(fs::exists(sam / "Zavodnik.csv")); // Ravlin's, not ours to delete

    // The same stamp again: nothing changes.
    Zavodnici[0].Jmeno = "marker";
    Poll("Zavodnik.csv");
    EXPECT_EQ(Zavodnici[0].Jmeno, "marker");
    EXPECT_EQ(StavDat, "Data Zav : Read 12:34:56 data z  beze změny ");

    // A club's answer overwrites its slots only; counts stay.
    Put("Zavodnik.csv",
        {"#SAM#READ#ZAVODNIK#ODDIL#ABC#RAVLIN#08:10:00##",
         "3;D21;NOVÁK Jan;99;ABC;3;11.30;0;0;0;0;;", "2100;D21;X;1;ABC;3;1;0;0;0;0;;"});
    Poll("*.csv");
    EXPECT_EQ(Zavodnici[2].SI, 99);
    EXPECT_EQ(Zavodnici[0].Jmeno, "marker");
    EXPECT_EQ(Kat("H21").Pocet, 3);

    // A new full export replaces the table, keeps Kateg.csv's categories, rebuilds the clubs.
    Put("Zavodnik.csv",
        {"#SAM#WRITE#ZAVODNIK#ALL##RAVLIN#08:20:00##", "4;H21;NOVÝ Ota;14;QQ;4;20.00;0;0;0;0;;"});
    Poll("*.csv");
    EXPECT_EQ(Zavodnici[0].ID, 0);
    EXPECT_EQ(MaxID, 4);
    EXPECT_EQ(Kat("H21").Pocet, 1);
    EXPECT_EQ(Kat("H21").Zmena, 1);
    EXPECT_EQ(Kat("D35").Pocet, 0);
    ASSERT_EQ(SeznamOddilu.size(), 1u);
    EXPECT_DOUBLE_EQ(PosledniStart, 20.0);
}

TEST_F(SamFiles, CategoryMaximaBelongToTheFileRead) {
    using SISam_Typ::MaxUrovenKategorie;
    Put("Kateg.csv", {"#SAM#WRITE#KATEG#ALL##RAVLIN#08:00:00##", "H21;1;5;1;1;3;0;1;0;0;"});
    Poll("*.csv");
    EXPECT_EQ(MaxUrovenKategorie[SISam_Typ::AkceZmenaCasu], 3);
    Poll("*.csv"); // unchanged file: the maxima stay
    EXPECT_EQ(MaxUrovenKategorie[SISam_Typ::AkceZmenaCasu], 3);
    EXPECT_EQ(UrovenAkce(SISam_Typ::AkceZmenaCasu, ""), 2);
    Put("Kateg.csv", {"#SAM#WRITE#KATEG#ALL##RAVLIN#08:05:00##", "H21;1;5;1;1;0;0;1;0;0;"});
    Poll("*.csv");
    EXPECT_EQ(MaxUrovenKategorie[SISam_Typ::AkceZmenaCasu], 0);
}

TEST_F(SamFiles, AnswersMatchTheirGuidAndAreDeletedByTheirComputer) {
    const std::string guid = "{0A1B2C3D-0000-4000-8000-00000000ABCD}";
    Zavodnici[14].ID = 15;
    Put("P1.odp",
        {"#SAM#WRITE#ChangeTime###KIOSK1#12:00:00#{OTHER}#", "15;H;OLD;1;A;1;1;0;0;0;0;;"});
    Put("P2.odp",
        {"#SAM#WRITE#changetime###KIOSK2#12:00:00#{0a1b2c3d-0000-4000-8000-00000000abcd}#",
         "15;H21;NOVÝ;7;ABC;1;3.00;0;0;0;0;;"});
    // Without a GUID no change answer is applied, and none is deleted.
    EXPECT_EQ(Poll("*.odp"), VysledekNic);
    EXPECT_EQ(Zavodnici[14].Jmeno, "");
    EXPECT_TRUE(fs::exists(sam / "P1.odp"));

    EXPECT_EQ(Poll("*.odp", guid), VysledekOK);
    EXPECT_EQ(Zavodnici[14].Jmeno, "NOVÝ");
    EXPECT_FALSE(fs::exists(sam / "P1.odp")); // another request's answer to this computer
    EXPECT_TRUE(fs::exists(sam / "P2.odp"));  // addressed to another computer

    const std::pair<std::vector<std::string>, std::string> odmitnute[] = {
        {{"#SAM#WRITE#Vakant##ERR#KIOSK1#12:00:00#" + guid + "#", "ERR=Start je obsazený"},
         "Start je obsazený"},
        {{"#SAM#WRITE#Vakant##ERR#KIOSK1#12:00:00#" + guid + "#"}, ""},
    };
    for (const auto& [radky, text] : odmitnute) {
        fs::remove(sam / "P2.odp");
        Put("P3.odp", radky);
        EXPECT_EQ(Poll("*.odp", guid), VysledekZamitnuto);
        EXPECT_EQ(chyba, text);
        EXPECT_FALSE(fs::exists(sam / "P3.odp"));
    }

    // With no name of its own the kiosk deletes nothing.
    pocitac.jmeno.clear();
    Put("P4.odp", {"#SAM#WRITE#Vakant####12:00:00#{OTHER}#"});
    Poll("*.odp", guid);
    EXPECT_TRUE(fs::exists(sam / "P4.odp"));
}

// A change answer counts only with every runner line asked for, and is applied whole or not at
// all.
TEST_F(SamFiles, AChangeAnswerWithoutTheLinesAskedForChangesNothing) {
    const std::string r15 = "15;H21;NOVÁK Jan;7;ABC;1;3.00;0;0;0;0;;";
    const std::string r16 = "16;H21;SUK Petr;8;ABC;2;1.00;0;0;0;0;;";
    const std::string r17 = "17;H21;JINÝ;9;XYZ;1;5.00;0;0;0;0;;";
    const struct {
        std::vector<std::string> telo;
        int vysledek;
    } pripady[] = {
        {{r15}, VysledekBezZmeny},
        {{r15, "16;H21;SUK Petr;8;ABC;2;2.00;0;0;0;0;;"}, VysledekBezZmeny},
        {{r16, r17, r15}, VysledekOK},
    };
    for (const auto& p : pripady) {
        Zavodnici = {};
        std::vector<std::string> radky = {"#SAM#WRITE#ChangeTime###KIOSK1#12:00:00#{G}#"};
        radky.insert(radky.end(), p.telo.begin(), p.telo.end());
        Put("P1.odp", radky);
        // Runner 15 moves to 3.00 and runner 16 to 1.00.
        const TOcekavani ocekavani = {{15, 3.0, {}, {}}, {16, 1.0, {}, {}}};
        EXPECT_EQ(ZpracujVstupniSoubory("*.odp", "{G}", chyba, ocekavani), VysledekNic);
        clock.Advance(platform::StableFileCheck::kQuietMs);
        EXPECT_EQ(ZpracujVstupniSoubory("*.odp", "{G}", chyba, ocekavani), p.vysledek);
        EXPECT_EQ(Zavodnici[14].Jmeno, p.vysledek == VysledekOK ? "NOVÁK Jan" : "") << p.vysledek;
    }
}

TEST_F(SamFiles, PollLogsEveryStep) {
    SISam_Typ::Param.Logovat = true;
    // Ravlin's folder as Windows writes it, in another letter case than on disk.
    fs::rename(tmp.Path() / "Z0007", tmp.Path() / "z0007");
    fs::rename(tmp.Path() / "z0007" / "SAM", tmp.Path() / "z0007" / "sam");
    SISam_Typ::Param.RavlinPath = " " + tmp.Path().string() + "\\ ";
    std::replace(SISam_Typ::Param.RavlinPath.begin(), SISam_Typ::Param.RavlinPath.end(), '/', '\\');
    sam = tmp.Path() / "z0007" / "sam";
    const std::string dir = sam.string() + "/";
    Put("a.ODP", {"#SAM#WRITE#Vakant####12:00:00#{X}#"});
    Put("b.odp", {"#SAM#WRITE#Vakant##ERR#KIOSK1#12:00:00#{G}#", "ERR=ne"});
    Put("c.odp", {"#XY#"});
    Put("d.odp", {"#SAM#WRITE#Vakant###KIOSK1#12:00:00#{X}#"});
    EXPECT_EQ(Poll("*.odp", "{G}"), VysledekZamitnuto);
    EXPECT_EQ(Poll("*.odp", "{H}"), VysledekNic);
    std::vector<std::string> texty;
    std::istringstream log(platform::Cp1250ToUtf8(testsupport::ReadBytes("Ladeni.txt")));
    for (std::string line; std::getline(log, line);) {
        texty.push_back(line.substr(line.find(";;") + 2, line.size() - line.find(";;") - 3));
    }
    EXPECT_EQ(texty, (std::vector<std::string>{
                         "Zpracuj vstupni soubory 0 " + dir + "*.odp", // the first look
                         "Zpracuj vstupni soubory 0 " + dir + "*.odp",
                         dir + "a.ODP",
                         "ZpracujHlavicku=true",
                         "Guid <> {G} {X}",
                         dir + "b.odp",
                         "ZpracujHlavicku=true",
                         "Guid OK={G}",
                         "Smazat 2 " + dir + "b.odp",
                         "Smazano 2 " + dir + "b.odp",
                         "EXIT {G}",
                         "Zpracuj vstupni soubory 0 " + dir + "*.odp",
                         dir + "a.ODP",
                         "ZpracujHlavicku=true",
                         "Guid <> {H} {X}",
                         dir + "c.odp",
                         "RadekToHlavickaSouboru > #XY#",
                         "ZpracujHlavicku=false",
                         dir + "d.odp",
                         "ZpracujHlavicku=true",
                         "Guid <> {H} {X}",
                         "Smazat " + dir + "d.odp",
                         "Smazano " + dir + "d.odp",
                     }));
}

TEST_F(SamFiles, FilesStillWrittenOrUnreadableWait) {
    const std::string guid = "{G}";
    const auto fresh = Put("P1.odp",
                           {"#SAM#READ#ZAVODNIK#ODDIL#ABC#KIOSK1#12:00:00#{G}#",
                            "7;H21;NOVÁK Jan;13;ABC;3;11.30;0;0;0;0;;"},
                           false);
    EXPECT_EQ(Poll("*.odp", guid), VysledekNic); // first sight of a fresh file
    clock.Advance(platform::StableFileCheck::kQuietMs);
    EXPECT_EQ(Poll("*.odp", guid), VysledekOK); // unchanged since
    EXPECT_EQ(Zavodnici[6].Jmeno, "NOVÁK Jan");
    EXPECT_FALSE(fs::exists(fresh));

    // A file the reader cannot take (here: far too large) stays, and is no refusal.
    const auto big = Put("P2.odp", {"#SAM#WRITE#ChangeTime###KIOSK1#12:00:00#{G}#"});
    ASSERT_EQ(::truncate(big.c_str(), 17 << 20), 0);
    written = true;
    EXPECT_EQ(Poll("*.odp", guid), VysledekNic);
    EXPECT_EQ(Poll("*.odp", guid), VysledekNic);
    EXPECT_TRUE(fs::exists(big));
    const std::string protokol = testsupport::ReadBytes("Protokol.txt"); // once, not per poll
    EXPECT_EQ(protokol.find("Nelze"), protokol.rfind("Nelze"));
    EXPECT_NE(protokol.find("Nelze"), std::string::npos);
}

// Ravlin writing in pieces, through one open file: an export rewritten in place that pauses
// with half its runners is read again once whole although its stamp stays; an answer cut
// inside its GUID is waited for, not deleted as another request's answer.
TEST_F(SamFiles, FilesWrittenInPiecesAreTakenWhole) {
    const std::string guid = "{AC7CCC99-596E-4761-A1B2-C3D4E5F60718}";
    const std::string r1 = "1;H21;NOVÁK Jan;111;ABC;1201;10.00;0;0;0;0;;\r\n";
    const std::string r2 = "2;H21;SUK Petr;112;ABC;1202;10.02;0;0;0;0;;\r\n";
    struct Row {
        const char* what;
        const char* name;
        std::string before, first, rest;
        int64_t pauseMs;
        std::string guid;
    };
    const std::vector<Row> rows = {
        {"export rewritten in place, 7 s pause", "Zavodnik.csv",
         "#SAM#WRITE#ZAVODNIK#ALL##RAVLIN#08:00:00##\r\n" + r1,
         "#SAM#WRITE#ZAVODNIK#ALL##RAVLIN#09:00:00##\r\n" + r1, r2, 7000, ""},
        {"answer cut in its GUID, 3 s pause", "P1.odp", "",
         "#SAM#READ#ZAVODNIK#ODDIL#ABC#KIOSK1#12:00:00#" + guid.substr(0, 20),
         guid.substr(20) + "#\r\n" + r2, 3000, guid},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string mask = row.guid.empty() ? "*.csv" : "*.odp";
        const auto file = sam / row.name;
        if (!row.before.empty()) {
            testsupport::WriteBytes(file, platform::Utf8ToCp1250(row.before));
            written = true;
            Poll(mask, row.guid);
            ASSERT_EQ(MaxID, 1);
        }
        const std::string first = platform::Utf8ToCp1250(row.first);
        const std::string rest = platform::Utf8ToCp1250(row.rest);
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, first.data(), first.size(), 0), ssize_t(first.size()));
        Poll(mask, row.guid);
        clock.Advance(row.pauseMs);
        Poll(mask, row.guid);
        ASSERT_EQ(::pwrite(fd, rest.data(), rest.size(), off_t(first.size())),
                  ssize_t(rest.size()));
        ::close(fd);
        Poll(mask, row.guid);
        clock.Advance(platform::StableFileCheck::kQuietMs);
        EXPECT_EQ(Poll(mask, row.guid), row.guid.empty() ? VysledekNic : VysledekOK);
        EXPECT_EQ(Zavodnici[1].Jmeno, "SUK Petr");
        Zavodnici[1] = {};
    }
}

TEST_F(SamFiles, RequestNamesAndBytes) {
    EXPECT_EQ(JmenoPozadavku(0, 0, 0, 0), "0000000");
    EXPECT_EQ(JmenoPozadavku(23, 59, 59, 999), "03WHFWF");
    EXPECT_EQ(JmenoZHostname("kiosk-east.example.org"), "kiosk-east");
    EXPECT_EQ(JmenoZHostname("a-very-long-host-name"), "a-very-long-hos");
    SetPocitac(nullptr); // the system's
    const std::string g = Pocitac().NovyGuid();
    EXPECT_TRUE(std::regex_match(g, std::regex(R"(\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\})")))
        << g;
    EXPECT_NE(Pocitac().NovyGuid(), g);
    EXPECT_LE(Pocitac().JmenoPocitace().size(), 15u);
    SetPocitac(&pocitac);

    pocitac.guidy = {"{A}", "{B}", "{C}"};
    EXPECT_EQ(ZapisPozadavek({"READ", "ZAVODNIK", "ODDIL", "ABC", "", ""}), "{A}");
    const std::string jmeno = "P" + JmenoPozadavku(12, 34, 56, 78) + ".poz";
    EXPECT_EQ(testsupport::ReadBytes(sam / jmeno),
              "#SAM#READ#ZAVODNIK#ODDIL#ABC#KIOSK1#12:34:56#{A}#\r\n");
    // The same millisecond on a second kiosk: the name taken moves on, nothing is replaced.
    EXPECT_EQ(ZapisPozadavek({"ChangeTime", "", "", "", "15;H21;ŽÁK JAN;1;ABC;1;12.30;",
                              "16;H21;X;2;ABC;2;14.00;"}),
              "{B}");
    const std::string dalsi = "P" + JmenoPozadavku(12, 34, 56, 79) + ".poz";
    EXPECT_EQ(testsupport::ReadBytes(sam / dalsi),
              "#SAM#WRITE#ChangeTime###KIOSK1#12:34:56#{B}#\r\n15;H21;\x8E\xC1K JAN;1;ABC;1;12.30;"
              "\r\n16;H21;X;2;ABC;2;14.00;\r\n");
    EXPECT_EQ(ZapisPozadavek({"Vakant", "", "", "", "15;H21;X;1;A;1;1.00;", "ignored"}), "{C}");
    // No GUID, no request: an answer could never be matched to it.
    std::string proc;
    EXPECT_EQ(ZapisPozadavek({"READ", "ZAVODNIK", "KATEG", "H21", "", ""}, &proc), "");
    EXPECT_FALSE(proc.empty());
    EXPECT_EQ(messages.errors, std::vector<std::string>{"Požadavek nelze zapsat: " + proc});
    size_t soubory = 0;
    for (const auto& e : fs::directory_iterator(sam)) {
        soubory += e.path().extension() == ".poz" ? 1 : 0;
        EXPECT_NE(e.path().filename().string().front(), '.'); // no temporary left behind
    }
    EXPECT_EQ(soubory, 3u);
}

// What the kiosk shows outside its screen captions, in Czech and in English.
TEST_F(SamFiles, EveryTextShownInBothLanguages) {
    const std::string velky = (sam / "Zavodnik.csv").string();
    const struct {
        const char* nazev;
        std::function<std::string()> text;
        std::string cesky, anglicky;
    } texty[] = {
        {"export too large",
         [this] {
             const auto f = Put("Zavodnik.csv", {"#SAM#WRITE#ZAVODNIK#ALL##RAVLIN#08:00:00##"});
             EXPECT_EQ(::truncate(f.c_str(), 17 << 20), 0);
             written = true;
             Poll("*.csv");
             Poll("*.csv");
             return StavDat;
         },
         "Export odmítnut 12:34:56 : " + velky + ": větší než 16777216 bajtů",
         "Export refused 12:34:56 : " + velky + ": larger than 16777216 bytes"},
        {"export unchanged",
         [this] {
             Put("Zavodnik.csv", {"#SAM#WRITE#ZAVODNIK#ALL##RAVLIN#08:00:00##"});
             for (int i = 0; i < 2; ++i) {
                 Poll("*.csv");
             }
             return StavDat;
         },
         "Data Zav : Read 12:34:56 data z 08:00:00 beze změny ",
         "Data Zav : Read 12:34:56 data of 08:00:00 unchanged "},
        {"request without GUID",
         [this] {
             ZapisPozadavek({"READ", "ZAVODNIK", "KATEG", "H21", "", ""});
             return messages.errors.back();
         },
         "Požadavek nelze zapsat: nelze vytvořit GUID",
         "Request cannot be written: cannot create a GUID"},
        {"unknown request",
         [this] {
             pocitac.guidy = {"{A}"};
             ZapisPozadavek({"Rename", "", "", "", "1;H21;X;1;A;1;1.00;", ""});
             return messages.errors.back();
         },
         "Požadavek nelze zapsat: neznámý typ požadavku Rename",
         "Request cannot be written: unknown request type Rename"},
        {"detection", [] { return Pultra::DetekceText(3); },
         " detekuji ... COM 3 v případě \"zatuhnutí\" násilně ukončete program a spusťte znovu",
         " detecting ... COM 3 should the program \"freeze\", kill it and start it again"},
        {"chip prompt", [] { return Pultra::TitulekNactiCipu(); }, "Vlož svůj čip do SI jednotky",
         "Insert your SI card into SI reader"},
        {"no race file",
         [this] {
             Pultra::TCteniInf cteni;
             cteni.Nacti(tmp.Path().string());
             return cteni.ChybaText();
         },
         "Nenalezen soubor " + (tmp.Path() / "Pultra.inf").string(),
         "File not found " + (tmp.Path() / "Pultra.inf").string()},
        {"no folder", [] { return Admin::Vyhodnoceni(" "); }, "Cesta není zadána",
         "No folder given"},
        {"folder missing", [this] { return Admin::Vyhodnoceni((tmp / "nic").string()); },
         "Cesta neexistuje", "The folder does not exist"},
        {"folder without race file", [this] { return Admin::Vyhodnoceni(tmp.Path().string()); },
         "V zadaném adresáři neexistuje soubor Pultra.inf", "The folder holds no Pultra.inf"},
        {"screen", [] { return Admin::InfoObrazovky(1280, 1024); }, "Obrazovka 1280 x 1024",
         "Screen 1280 x 1024"},
    };
    for (const auto& t : texty) {
        for (int16_t jazyk : {0, 1}) {
            SCOPED_TRACE(std::string(t.nazev) + " " + std::to_string(jazyk));
            TearDown();
            fs::remove_all(sam);
            SetUp();
            SI_Typ::Language = jazyk;
            EXPECT_EQ(t.text(), jazyk == 0 ? t.cesky : t.anglicky);
        }
    }
}

} // namespace
