#include "KomentNapojeni.h"
#include "KomentTools.h"
#include "SI_Typ.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace Mezicasy;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

struct Zavodnik {
    std::string kat;
    int32_t cip;
    std::string bib;
    std::vector<uint8_t> kody;
    double start = 0;
};

std::string Export(const std::vector<Zavodnik>& zavodnici) {
    std::string bytes;
    for (const Zavodnik& z : zavodnici) {
        TZavodnikData d;
        d.Kategorie = z.kat;
        d.Cip = z.cip;
        d.StartCislo = z.bib;
        d.CasStartu = z.start;
        for (size_t i = 0; i < z.kody.size(); ++i) {
            d.Kontroly[i + 1] = z.kody[i];
        }
        uint8_t r[kVelikostZaznamu];
        ZabalZaznam(d, r);
        bytes.append(reinterpret_cast<const char*>(r), sizeof r);
    }
    return bytes;
}

// The commentator as the main form drives it, on files in a temporary folder.
struct Komentator : ::testing::Test, IStavovyRadek {
    TempDir dir;
    platform::FakeClock clock;
    std::vector<std::string> zpravy;
    std::unique_ptr<Koment::TKomentator> k;
    fs::path data;

    void ZpravaZpracovani(const std::string&) override {}
    void NastavZpravu(const std::string& text) override { zpravy.push_back(text); }

    void SetUp() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        SI_Typ::Zavod = 12;
        SI_Typ::Etapa = 1;
        platform::SetClock(&clock);
        Parsery::AlgeMemoCasy().Clear();
        data = dir / "Data_Kom/Z0012";
        fs::create_directories(data / "ExtFile");
        fs::create_directories(dir / "Ravlin/Koment");
        Koment::Nastaveni.VytvaretInfoTab = true;
        Koment::Nastaveni.CestaInfoTab = dir.Path().string();
        Start();
    }
    // An empty folder for the next case.
    void Znovu() {
        k.reset();
        fs::remove_all(dir.Path());
        fs::create_directories(dir.Path());
        SetUp();
    }
    // The program started (again) on the same folders.
    void Start() {
        k = std::make_unique<Koment::TKomentator>();
        k->Napoj(this, nullptr, nullptr);
        k->NastavSlozku(data.string());
        // The results program's names in its own letter case.
        k->Zdroje().Zavodnici().FileName = (dir / "RAVLIN").string();
        k->Zdroje().Zavodnici().Enabled = true;
    }
    void TearDown() override { platform::SetClock(nullptr); }
    // The start-up load: the export is taken at the poll after the one that first saw it.
    void Nacti() {
        k->ReloadCompetitors();
        clock.Advance(platform::StableFileCheck::kQuietMs);
        k->ReloadCompetitors();
    }
    void Enable(size_t i, const fs::path& file) {
        k->Zdroje()[i].FileName = file.string();
        k->Zdroje()[i].Enabled = true;
    }
    std::map<int32_t, std::vector<int64_t>> Splits() {
        std::map<int32_t, std::vector<int64_t>> out;
        for (const auto& kat : k->Zavod().Kategorie) {
            for (const auto& z : kat->Zavodnici) {
                auto& v = out[z->Data.Cip];
                for (int i = 1; i <= kBodu; ++i) {
                    v.push_back(Koment::MsZCasu(z->Data.Mezicasy[i]));
                }
            }
        }
        return out;
    }
    std::vector<int64_t> Ms(std::vector<int64_t> v) {
        v.resize(kBodu, 0);
        return v;
    }
    // The export is looked at again once it stood still for two seconds: it is loaded.
    void PoDvouSekundach() {
        clock.Advance(2000);
        k->PollSources200ms();
        k->ProcessPunches1s();
    }
    std::vector<std::string> InfoTab() {
        std::istringstream in(ReadBytes(dir / "InfoTab.txt"));
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) {
            out.push_back(line.substr(0, line.find(';', 9) + 1));
        }
        return out;
    }
};

} // namespace

// Competitors, a ';' split file, the timer's finish file, a radio file and the timer's start
// file out of reach: the
// splits reach the race, the copies are written once, and a reload or a reconstruction gives
// the same splits without a line more.
TEST_F(Komentator, SourcesReloadAndReconstructAgainstTheRace) {
    WriteBytes(dir / "Ravlin/Exm00121.DAT", Export({{"H21", 101, "1", {31, 32, 1}},
                                                    {"H21", 102, "2", {31, 32, 1}},
                                                    {"D21", 201, "3", {33, 1}}}));
    WriteBytes(dir / "Ravlin/Koment/Mez1.csv", "101;10:05:00,00;31;0\r\n"
                                               "102;10:06:00,00;31;0\r\n"
                                               "101;10:09:00,00;32;0\r\n"
                                               "201;10:07:00,00;33;0\r\n");
    WriteBytes(dir / "Ravlin/Alge.txt", "*   1     10:20:00.1200\r\n");
    WriteBytes(data / "ExtFile/Racom.txt", "     102   32 10:10:00.0\r\n");
    WriteBytes(data / "ExtFile/AlgeStart.txt", "      C1  10:01:00.000\r\n");
    Enable(1, dir / "RAVLIN/KOMENT/mez1.csv");
    Enable(4, dir / "Ravlin/Racom.txt"); // not there
    Enable(5, dir / "Ravlin/Alge.txt");
    Enable(7, dir / "Ravlin/AlgeStart.txt"); // not there either

    Nacti();
    EXPECT_EQ(k->PocetZavodniku(), 3);
    EXPECT_TRUE(ReadBytes(data / "ZavE1.dat") == ReadBytes(dir / "Ravlin/Exm00121.DAT"));
    k->PollSources200ms();
    k->ProcessPunches1s();
    const auto splits = Splits();
    EXPECT_EQ(splits.at(101), Ms({5 * 60000, 9 * 60000, 20 * 60000 + 120}));
    EXPECT_EQ(splits.at(102), Ms({6 * 60000, 10 * 60000}));
    EXPECT_EQ(splits.at(201), Ms({7 * 60000}));
    EXPECT_EQ(k->StavZdroju()[4], "DATA RACOM " + (dir / "Ravlin/Racom.txt").string());
    const std::string mez = ReadBytes(data / "MezE1.dat");
    EXPECT_EQ(std::count(mez.begin(), mez.end(), '\n'), 7);
    EXPECT_NE(mez.find("K          ; 10:01:00.000 ;   1"), std::string::npos);
    const std::string info = ReadBytes(dir / "InfoTab.txt");
    EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 6); // every split

    // The radio file's copy was replayed once; the sources have nothing new.
    k->PollSources200ms();
    k->ProcessPunches1s();
    EXPECT_EQ(ReadBytes(data / "MezE1.dat"), mez);

    // The read-interval poll: reload, replay of the own copy, the timer file's local copy.
    k->PollCompetitors();
    k->ProcessPunches1s();
    EXPECT_TRUE(k->TakePrekreslitInfoAll());
    EXPECT_FALSE(k->TakePrekreslitInfoAll());
    EXPECT_EQ(Splits(), splits);
    EXPECT_EQ(ReadBytes(data / "MezE1.dat"), mez);
    EXPECT_EQ(ReadBytes(dir / "InfoTab.txt"), info);
    EXPECT_EQ(ReadBytes(data / "ExtFile/AlgeCil.txt"), ReadBytes(dir / "Ravlin/Alge.txt"));

    // Reconstruction rebuilds the own copy from every source, the radio file's copy included.
    k->Reconstruct();
    EXPECT_FALSE(fs::exists(data / "MezE1.dat"));
    k->PollSources200ms();
    k->ProcessPunches1s();
    EXPECT_EQ(ReadBytes(data / "MezE1.dat"), mez);
    k->ReloadCompetitors();
    k->ProcessPunches1s();
    EXPECT_EQ(Splits(), splits);
    EXPECT_EQ(ReadBytes(data / "MezE1.dat"), mez);
}

// A copy whose last line a crash cut, or left ending in NUL bytes, gets the next split on a line
// of its own: the copy reads back every split, and the board gets whole lines.
TEST_F(Komentator, CopiesCutByACrashTakeTheNextLineWhole) {
    const auto run = [&] {
        WriteBytes(dir / "Ravlin/Exm00121.DAT", Export({{"H21", 101, "1", {31, 1}}}));
        WriteBytes(dir / "Ravlin/Koment/Mez1.csv", "101;10:05:00,00;31;0\r\n");
        Enable(1, dir / "Ravlin/Koment/Mez1.csv");
        Nacti();
        k->PollSources200ms();
        k->ProcessPunches1s();
    };
    run();
    const std::string mez = ReadBytes(data / "MezE1.dat");
    const std::string info = ReadBytes(dir / "InfoTab.txt");
    for (const std::string& tail : {std::string("    700005 ; 10:10:0"), std::string(64, '\0')}) {
        SCOPED_TRACE(tail.size());
        Znovu();
        const std::string mended = tail[0] == ' ' ? tail + "\r\n" : "";
        WriteBytes(data / "MezE1.dat", tail);
        WriteBytes(dir / "InfoTab.txt", "x\r\n" + tail);
        run();
        EXPECT_EQ(ReadBytes(data / "MezE1.dat"), mended + mez);
        EXPECT_EQ(ReadBytes(dir / "InfoTab.txt"), "x\r\n" + mended + info);
        k->PollCompetitors();
        k->ProcessPunches1s();
        EXPECT_EQ(Splits().at(101), Ms({5 * 60000}));
        EXPECT_FALSE(zpravy.empty());
    }
}

// The timer's finish on channel 255 in a relay takes its leg from the race.
TEST_F(Komentator, RelayFinishLegFromTheRace) {
    Koment::Nastaveni.DruhZavodu = 2;
    Koment::Nastaveni.AlgeCilZapnut = true;
    WriteBytes(dir / "Ravlin/exm00121.dat",
               Export({{"H1", 51, "5/1", {1}}, {"H2", 52, "5/2", {1}}, {"H3", 53, "5/3", {1}}}));
    std::string line =
        "\x10R" + std::string(10, ' ') + "    5" + std::string(9, ' ') + "2550" + "1030001200\r\n";
    WriteBytes(dir / "Ravlin/Alge.txt", line);
    Enable(5, dir / "Ravlin/Alge.txt");
    Nacti();
    k->PollSources200ms();
    k->ProcessPunches1s();
    EXPECT_NE(ReadBytes(data / "MezE1.dat").find("*U3"), std::string::npos);
    EXPECT_EQ(Splits().at(53), Ms({30 * 60000 + 120}));
}

// A timer finish by bib alone (first protocol) goes to the highest leg of its team, also when
// the team became known after the punch (a late entry, an export not yet taken at the start),
// and keeps it after a reload and a restart, though later legs have no start time.
TEST_F(Komentator, RelayTimerFinishKeepsItsLeg) {
    const std::vector<Zavodnik> team = {
        {"H1", 51, "5/1", {1}}, {"H2", 52, "5/2", {1}, -100}, {"H3", 53, "5/3", {1}, -100}};
    const std::vector<Zavodnik> other = {{"H1", 61, "6/1", {1}}};
    for (const auto& [name, atPunch, polls] : {std::tuple{"team known", &team, 2},
                                               {"late entry", &other, 2},
                                               {"first start", &team, 1}}) {
        SCOPED_TRACE(name);
        Znovu();
        Koment::Nastaveni.DruhZavodu = 2;
        Koment::Nastaveni.AlgeCilZapnut = true;
        WriteBytes(dir / "Ravlin/exm00121.dat", Export(*atPunch));
        WriteBytes(dir / "Ravlin/Alge.txt", "*   5     10:30:00.1200\r\n");
        for (int restart = 0; restart < 2; ++restart) {
            Enable(5, dir / "Ravlin/Alge.txt");
            for (int i = 0; i < polls; ++i) {
                k->ReloadCompetitors();
            }
            k->PollSources200ms();
            k->ProcessPunches1s();
            WriteBytes(dir / "Ravlin/exm00121.dat", Export(team));
            k->PollCompetitors();
            PoDvouSekundach();
            EXPECT_EQ(Splits().at(51), Ms({}));
            EXPECT_EQ(Splits().at(53), Ms({30 * 60000 + 120}));
            Start();
        }
        EXPECT_EQ(InfoTab(), std::vector<std::string>{"00:30:00;5/3;"});
    }
}

// A new export is looked at again every two seconds until it stood still, then loaded: the
// race does not wait for the read interval, and is not loaded twice.
TEST_F(Komentator, NewExportIsLoadedOnceItStoodStill) {
    const fs::path exm = dir / "Ravlin/exm00121.dat";
    WriteBytes(exm, Export({{"H21", 101, "1", {1}}}));
    k->ReloadCompetitors();
    for (const auto& [ms, pocet] : {std::pair{1999, 0}, {1, 0}, {2000, 2}, {2000, 2}}) {
        if (ms == 1) { // still written when looked at again
            WriteBytes(exm, Export({{"H21", 101, "1", {1}}, {"H21", 102, "2", {1}}}));
        }
        clock.Advance(ms);
        k->PollSources200ms();
        EXPECT_EQ(k->PocetZavodniku(), pocet) << ms;
    }
    EXPECT_EQ(std::count_if(zpravy.begin(), zpravy.end(),
                            [](const std::string& z) { return z.starts_with("Načteno"); }),
              1);
}

// A punch of a chip the export did not know yet gets its info-board line when a reload has
// learnt the chip and the own copy is read back; a further reload writes no line again.
TEST_F(Komentator, InfoBoardLineOnceTheChipIsKnown) {
    const fs::path exm = dir / "Ravlin/exm00121.dat";
    WriteBytes(exm, Export({{"H21", 101, "1", {31, 1}}}));
    WriteBytes(dir / "Ravlin/Koment/Mez1.csv", "202;10:05:00,00;31;0\r\n101;10:06:00,00;31;0\r\n");
    Enable(1, dir / "Ravlin/Koment/Mez1.csv");
    Nacti();
    k->PollSources200ms();
    k->ProcessPunches1s();
    WriteBytes(exm, Export({{"H21", 101, "1", {31, 1}}, {"H21", 202, "2", {31, 1}}}));
    for (int i = 0; i < 3; ++i) {
        k->PollCompetitors();
        k->ProcessPunches1s();
        clock.Advance(1000);
    }
    ASSERT_NE(k->Zavod().NajdiZavodnika(202, true), nullptr);
    EXPECT_DOUBLE_EQ(k->Zavod().NajdiZavodnika(202, true)->Data.Mezicasy[1], 5.0);
    const std::string info = ReadBytes(dir / "InfoTab.txt");
    EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 2);
    EXPECT_NE(info.find("00:05:00;2;1;H21;"), std::string::npos) << info;
}

// After a start and after a change of stage, punches wait until the race they came for is
// loaded, from the export or the local copy, and are then processed once.
TEST_F(Komentator, PunchesWaitForTheirRace) {
    struct Case {
        const char* name;
        bool stageChange; // else the first start, the export not yet taken
        bool neznameCipy;
        std::vector<std::string> info;
    } cases[] = {
        {"stage changed through the link", true, false, {"00:10:00;1;"}},
        {"first start, race running", false, true, {"00:05:00;1;", "00:06:00;2;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Znovu();
        Koment::Nastaveni.NeznameCipy = c.neznameCipy;
        const fs::path mez = dir / "Ravlin/Koment/Mez1.csv";
        Enable(1, mez);
        if (c.stageChange) {
            WriteBytes(dir / "Ravlin/exm00121.dat", Export({{"H21", 101, "1", {31, 1}}}));
            Nacti();
            // What the link does on a new stage; the main form then polls the competitors.
            SI_Typ::Etapa = 2;
            k->Zdroje().Zavodnici().DropCategories = true;
            WriteBytes(dir / "Ravlin/exm00122.dat", Export({{"H21", 101, "1", {31, 1}, 30.00}}));
            WriteBytes(mez, "101;10:40:00,00;31;0\r\n");
            k->PollCompetitors();
        } else {
            WriteBytes(dir / "Ravlin/exm00121.dat",
                       Export({{"H21", 101, "1", {31, 1}}, {"H21", 102, "2", {31, 1}}}));
            WriteBytes(mez, "101;10:05:00,00;31;0\r\n102;10:06:00,00;31;0\r\n");
            k->ReloadCompetitors();
        }
        k->PollSources200ms();
        k->ProcessPunches1s();
        PoDvouSekundach();
        k->PollCompetitors();
        k->ProcessPunches1s();
        EXPECT_EQ(InfoTab(), c.info);
    }
}
