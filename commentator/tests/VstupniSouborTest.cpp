#include "VstupniSoubor.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

struct Vlozeny {
    TMezicasRec rec;
    bool save;
};

// Sources wired to a recording race: every filed punch, emptied lists, grid rebuilds, loads
// and messages are counted.
struct Zdroje : ::testing::Test {
    TempDir dir;
    TVstupniNapojeni napojeni;
    std::vector<Vlozeny> vlozene;
    std::vector<std::string> zpravy;
    int vyprazdneno = 0, prekresleno = 0, nacteno = 0;
    std::unique_ptr<TVstupniSoubory> zdroje;
    platform::FakeClock clock;

    void SetUp() override {
        platform::SetClock(&clock);
        napojeni.VlozMezicas = [this](const TMezicasRec& r, bool save) {
            vlozene.push_back({r, save});
        };
        napojeni.VyprazdniMezicasy = [this] { ++vyprazdneno; };
        napojeni.PrekreslitInfoAll = [this] { ++prekresleno; };
        napojeni.NactiZavod = [this] { ++nacteno; };
        napojeni.NastavZpravu = [this](const std::string& z) { zpravy.push_back(z); };
        napojeni.RaceDataKomPath = [this] { return dir / "Data_Kom/Z0012"; };
        napojeni.StageText = [] { return std::string("1"); };
        fs::create_directories(dir / "Data_Kom/Z0012");
        zdroje = std::make_unique<TVstupniSoubory>(napojeni);
        Parsery::AlgeMemoCasy().Clear();
    }
    void TearDown() override { platform::SetClock(nullptr); }
    // A poll of the punch sources, the quiet period after the one before.
    void Poll() {
        clock.Advance(platform::StableFileCheck::kQuietMs);
        zdroje->PollPunches();
    }
    TVstupniSoubor& Zdroj(size_t i) { return (*zdroje)[i]; }
    void Enable(size_t i, const fs::path& name) {
        Zdroj(i).FileName = name.string();
        Zdroj(i).Enabled = true;
    }
    std::vector<std::string> Casy() {
        std::vector<std::string> c;
        for (const auto& v : vlozene) {
            c.push_back(v.rec.Cas);
        }
        vlozene.clear();
        return c;
    }
};

} // namespace

TEST_F(Zdroje, SettingsKeysOrderAndStatusSlots) {
    const std::vector<std::pair<int, int>> order = {{1, 1}, {2, 1}, {2, 2}, {2, 3},
                                                    {3, 4}, {5, 5}, {6, 6}, {7, 7}};
    const int slots[] = {0, 5, 6, 7, 4, 2, 1, 3};
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(Zdroj(i).Kind, order[i].first);
        EXPECT_EQ(Zdroj(i).Index, order[i].second);
        EXPECT_EQ(Zdroj(i).StatusSlot(), slots[i]);
        Zdroj(i).FileName = "name" + std::to_string(i);
        Zdroj(i).Enabled = true;
    }
    zdroje->Zavodnici().FileName = "C:\\Ravlin\\Zav";
    platform::IniFile ini((dir / "Hlasvel.ini").string());
    zdroje->WriteSettings(ini);
    const std::string text = ReadBytes(dir / "Hlasvel.ini");
    for (const char* key :
         {"FNameLocKopieMez1=name0", "CheckLocKopieMez1=1", "FNameMezicasy2=name2", "CheckRacom4=1",
          "FNameALGEST7=name7", "FNameZavodnici1=C:\\Ravlin\\Zav", "FNameALGEFP5=name5",
          "CheckALGEFR6=1"}) {
        EXPECT_NE(text.find(key), std::string::npos) << key;
    }
    // The own copy's keys are read with a word of ten characters.
    TVstupniSoubory again(napojeni);
    again.ReadSettings(ini);
    EXPECT_EQ(again[0].FileName, "");
    EXPECT_FALSE(again[0].Enabled);
    EXPECT_EQ(again[2].FileName, "name2");
    EXPECT_EQ(again.Zavodnici().FileName, "C:\\Ravlin\\Zav");
    ini.WriteString("Soubory", "FNameLocKopieMe1", "own");
    again.ReadSettings(ini);
    EXPECT_EQ(again[0].FileName, "own");
}

TEST_F(Zdroje, SplitFilesChipMemoryRewindAndOwnCopy) {
    const fs::path file = dir / "Mez1.txt";
    Enable(1, file);
    EXPECT_EQ(Zdroj(2).NactiData(), 0);
    EXPECT_EQ(napojeni.StavZdroju[6], "");
    EXPECT_EQ(Zdroj(1).NactiData(), 1);
    EXPECT_EQ(napojeni.StavZdroju[5], "DATA ORO1 " + file.string());

    WriteBytes(file, "555;10:00:01;1\r\n*157;10:00:02;1\r\n");
    zdroje->PollPunches();
    EXPECT_EQ(napojeni.StavZdroju[5], "");
    ASSERT_EQ(vlozene.size(), 2u);
    EXPECT_EQ(vlozene[1].rec.Cip, 555);
    EXPECT_TRUE(vlozene[1].save);
    vlozene.clear();
    // Rewritten shorter: read from the start, and no chip of the old content is lent.
    WriteBytes(file, "*158;10:00:03;1\r\n");
    zdroje->PollPunches();
    ASSERT_EQ(vlozene.size(), 1u);
    EXPECT_EQ(vlozene[0].rec.Cip, 0);
    vlozene.clear();

    // The own copy is read back with save off and lends no chips.
    WriteBytes(zdroje->LocalSplitCopy(), "555;10:00:01;1\r\n0;10:00:02;1\r\n");
    zdroje->ReplayLocalCopy();
    ASSERT_EQ(vlozene.size(), 2u);
    EXPECT_FALSE(vlozene[0].save);
    EXPECT_EQ(vlozene[1].rec.Cip, 0);
    vlozene.clear();

    // Loading the competitors re-reads the own copy from its start.
    zdroje->Zavodnici().Enabled = true;
    zdroje->PollCompetitors();
    EXPECT_EQ(nacteno, 1);
    EXPECT_EQ(vyprazdneno, 1);
    EXPECT_EQ(prekresleno, 1);
    EXPECT_EQ(vlozene.size(), 2u);
    vlozene.clear();

    // Reconstruction: the own copy goes, every source starts again.
    zdroje->Reconstruct();
    EXPECT_FALSE(fs::exists(zdroje->LocalSplitCopy()));
    EXPECT_EQ(vyprazdneno, 2);
    zdroje->PollPunches();
    EXPECT_EQ(Casy(), (std::vector<std::string>{"10:00:03"}));
}

TEST_F(Zdroje, TimerAndRadioSourcesReplayTheirLocalCopyOnce) {
    struct Case {
        size_t entry;
        std::string copy;
        std::string line;
        int slot;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {4, "Racom.txt", "  123456   31 10:15:07.3\r\n", 4, "DATA RACOM "},
        {5, "AlgeCil.txt", "*0157     10:15:07.3000\r\n", 2, "DATA ALGE "},
        {7, "AlgeStart.txt", "0001 K 1 10:15:07.300\r\n", 3, "DATA ALGE "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.copy);
        const fs::path file = dir / ("src" + std::to_string(c.entry));
        Enable(c.entry, file);
        // The copy is refreshed only from a source that has bytes.
        zdroje->RefreshExtFileCopies();
        const fs::path copy = dir / "Data_Kom/Z0012/ExtFile" / c.copy;
        EXPECT_FALSE(fs::exists(copy));
        WriteBytes(copy, c.line);

        Zdroj(c.entry).NactiData();
        EXPECT_EQ(napojeni.StavZdroju[static_cast<size_t>(c.slot)], c.failure + file.string());
        EXPECT_EQ(Casy().size(), 1u);
        Zdroj(c.entry).NactiData();
        EXPECT_TRUE(Casy().empty());

        // Back again: read from its start, and copied when its size differs from the copy's.
        WriteBytes(file, c.line + c.line);
        Zdroj(c.entry).NactiData();
        EXPECT_EQ(Casy().size(), 2u);
        zdroje->RefreshExtFileCopies();
        EXPECT_EQ(ReadBytes(copy), c.line + c.line);
        Zdroj(c.entry).Enabled = false;
    }
    // A timer file missing at one poll is read from its start when it is there again.
    const fs::path finish = dir / "src5";
    Zdroj(5).Enabled = true;
    fs::remove(finish);
    Zdroj(5).NactiData();
    WriteBytes(finish, "*0158     10:16:00.0000\r\n");
    Zdroj(5).NactiData();
    EXPECT_EQ(Casy(), (std::vector<std::string>{"10:16:00.000"}));
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir / "Data_Kom/Z0012/ExtFile")) {
        left.push_back(e.path().filename().string());
    }
    EXPECT_EQ(left.size(), 3u) << "no temporary file stays behind";
}

TEST_F(Zdroje, ManualFolderTakesStableFilesCopiesAndRenames) {
    const fs::path folder = dir / "alge.v1";
    fs::create_directories(folder / "KOPIE");
    Enable(6, dir / "ALGE.V1");
    const std::string line = "0001      10:20:00.000               157\r\n";
    const std::string last = "0002      10:21:00.000               158";
    WriteBytes(folder / "a.b.dat", line + last);

    Poll(); // seen once: its writer may not be done
    EXPECT_TRUE(vlozene.empty());
    Poll();
    EXPECT_EQ(Casy(), (std::vector<std::string>{"10:20:00.000", "10:21:00.000"}));
    EXPECT_TRUE(fs::exists(folder / "a.b.ok"));
    EXPECT_FALSE(fs::exists(folder / "a.b.dat"));
    EXPECT_EQ(ReadBytes(folder / "KOPIE/a.b.dat"), line + last);

    // Its ".ok" name is taken: with the copy safe the file is deleted.
    WriteBytes(folder / "a.b.dat", line);
    Poll();
    Poll();
    EXPECT_EQ(Casy().size(), 1u);
    EXPECT_FALSE(fs::exists(folder / "a.b.dat"));
    EXPECT_EQ(ReadBytes(folder / "a.b.ok"), line + last);

    // Without "kopie" a file that cannot be renamed stays, is reported once and is not read
    // again until it changes.
    fs::remove_all(folder / "KOPIE");
    WriteBytes(folder / "a.b.dat", line);
    for (int i = 0; i < 4; ++i) {
        Poll();
    }
    EXPECT_EQ(Casy().size(), 1u);
    EXPECT_TRUE(fs::exists(folder / "a.b.dat"));
    EXPECT_EQ(zpravy.size(), 1u);
    WriteBytes(folder / "a.b.dat", line + line);
    Poll();
    Poll();
    EXPECT_EQ(Casy().size(), 2u);
    EXPECT_EQ(zpravy.size(), 2u);

    // Without "kopie" a file is still renamed.
    WriteBytes(folder / "c.dat", line);
    Poll();
    Poll();
    EXPECT_TRUE(fs::exists(folder / "c.ok"));

    // Reconstruction reads the processed files once more, leaving them as they are.
    vlozene.clear();
    zdroje->Reconstruct();
    Poll();
    EXPECT_EQ(Casy().size(), 3u);
    Poll();
    EXPECT_TRUE(Casy().empty());
    EXPECT_TRUE(fs::exists(folder / "c.ok"));

    // A folder that is not there.
    Zdroj(6).FileName = (dir / "none").string();
    Poll();
    EXPECT_EQ(napojeni.StavZdroju[1], "DATA ALGE " + (dir / "none").string() + "\\");
}
