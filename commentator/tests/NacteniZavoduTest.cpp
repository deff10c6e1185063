#include "NacteniZavodu.h"
#include "KomentTools.h"
#include "Mezicasy.h"
#include "SI_Typ.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace Mezicasy;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

std::string Zaznam(const std::string& kat, int32_t cip, std::vector<uint8_t> kody) {
    TZavodnikData d;
    d.Kategorie = kat;
    d.Jmeno = "Runner " + std::to_string(cip);
    d.Cip = cip;
    d.StartCislo = std::to_string(cip);
    for (size_t i = 0; i < kody.size(); ++i) {
        d.Kontroly[i + 1] = kody[i];
    }
    uint8_t z[kVelikostZaznamu];
    ZabalZaznam(d, z);
    return std::string(reinterpret_cast<const char*>(z), sizeof z);
}

struct Nacteni : ::testing::Test {
    TempDir dir;
    TZavod zavod;
    bool drop = false;
    std::vector<std::string> zpravy;
    platform::FakeClock clock;
    NacteniZavodu::TStavExportu stav;
    fs::path exportFile, copy;

    void SetUp() override {
        SI_Typ::ResetGlobals();
        Koment::ResetNastaveni();
        SI_Typ::Zavod = 12;
        SI_Typ::Etapa = 1;
        SI_Typ::Language = 1;
        platform::SetClock(&clock);
        fs::create_directories(dir / "Ravlin");
        // The results program writes the name in its own letter case.
        exportFile = dir / "Ravlin/EXM00121.DAT";
        copy = NacteniZavodu::LocalCopy(dir / "Data");
    }
    void TearDown() override { platform::SetClock(nullptr); }
    // One poll, the quiet period after the one before.
    NacteniZavodu::TNacteni Nacti() {
        clock.Advance(platform::StableFileCheck::kQuietMs);
        zpravy.clear();
        return NacteniZavodu::NactiZavod(zavod, (dir / "ravlin").string(), copy, stav, drop,
                                         nullptr,
                                         [this](const std::string& z) { zpravy.push_back(z); });
    }
    // The file written at noon UTC (no local midnight near it) and the fake clock some
    // minutes later.
    void Za(const fs::path& file, int minutes) {
        using namespace std::chrono;
        fs::last_write_time(file, file_clock::from_sys(sys_seconds{sys_days{2026y / 6 / 1} + 12h}));
        platform::WallTime t = *NacteniZavodu::DatumSouboru(file);
        const int total = t.hour * 60 + t.minute + minutes;
        t.hour = total / 60 % 24;
        t.minute = total % 60;
        clock.SetWall(t);
    }
};

} // namespace

TEST(NacteniZavoduText, AgeOfTheData) {
    SI_Typ::Language = 1;
    const platform::WallTime data{2026, 6, 1, 10, 0, 0, 0};
    struct Case {
        bool copied;
        platform::WallTime now;
        std::string text;
    } cases[] = {
        {true, {2026, 6, 1, 10, 3, 0, 0}, ""},
        {true, {2026, 6, 1, 10, 4, 59, 999}, ""},
        {true, {2026, 6, 1, 10, 5, 0, 0}, " - source data are 5 minutes old"},
        {true, {2026, 6, 1, 10, 10, 0, 0}, " - source data are 10 minutes old"},
        {true, {2026, 6, 1, 11, 30, 0, 0}, " - source data are 90 minutes old"},
        {true, {2026, 6, 1, 13, 0, 0, 0}, " - source data from 1.6.2026 10:00:00"},
        {true, {2026, 6, 2, 10, 1, 0, 0}, " - source data from 1.6.2026 10:00:00"},
        {true, {2026, 6, 1, 9, 0, 0, 0}, ""}, // a clock behind the file's
        {false,
         {2026, 6, 1, 10, 0, 0, 0},
         " - no actual data, only local copy from 1.6.2026 10:00:00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NacteniZavodu::TextStari(c.copied, c.now, data), c.text);
    }
    SI_Typ::Language = 0;
    EXPECT_EQ(NacteniZavodu::TextStari(true, {2026, 6, 1, 10, 10, 0, 0}, data),
              " - vstupní data jsou 10 minut stará");
}

TEST_F(Nacteni, CategoriesNotAdjacentAndCourseMarksOfEachRun) {
    WriteBytes(exportFile, Zaznam("H21", 101, {31, 32, 1}) + Zaznam("D21", 201, {33, 1}) +
                               Zaznam("H21", 102, {34, 1}) + Zaznam("H21", 103, {35, 1}));
    Za(exportFile, 10);
    zavod.AddKateg("OLD");
    drop = true;
    EXPECT_FALSE(Nacti().Loaded); // the first poll only looks at the export
    const auto r = Nacti();
    ASSERT_TRUE(r.Loaded);
    EXPECT_FALSE(drop);
    ASSERT_EQ(zavod.Kategorie.size(), 2u);
    EXPECT_EQ(zavod.NajdiKateg("H21")->Zavodnici.size(), 3u);
    for (int kod = 31; kod <= 35; ++kod) {
        EXPECT_EQ(zavod.KontrolaPouzita[kod], kod != 35) << kod;
    }
    for (const auto& k : zavod.Kategorie) {
        EXPECT_TRUE(k->VHlavnimOkne);
        for (const bool zmeneno : k->OknoZmeneno) {
            EXPECT_TRUE(zmeneno);
        }
    }
    ASSERT_EQ(zpravy.size(), 1u);
    EXPECT_EQ(zpravy[0], "Reading 2 categories, 4 competitors - source data are 10 minutes old");
    EXPECT_EQ(ReadBytes(copy), ReadBytes(exportFile));
}

TEST_F(Nacteni, ExportMissingHalfWrittenOrPartialKeepsThePreviousCopy) {
    const std::string whole = Zaznam("H21", 101, {31, 1}) + Zaznam("D21", 201, {1});
    WriteBytes(exportFile, whole);
    Nacti();
    ASSERT_TRUE(Nacti().Loaded);
    const auto copyDate = *NacteniZavodu::DatumSouboru(copy);
    const std::string onlyCopy =
        "Reading 2 categories, 2 competitors - no actual data, only local copy from " +
        NacteniZavodu::DatumCasText(copyDate);

    // A record and a half: the export is being written; the previous copy serves.
    WriteBytes(exportFile, whole + whole.substr(0, 500));
    EXPECT_TRUE(Nacti().Loaded);
    EXPECT_EQ(zpravy, std::vector<std::string>{onlyCopy});
    EXPECT_EQ(ReadBytes(copy), whole);

    fs::remove(exportFile);
    EXPECT_TRUE(Nacti().Loaded);
    EXPECT_EQ(zpravy, (std::vector<std::string>{"Vstupní soubor nebyl nalezen", onlyCopy}));

    // A torn copy, or none: the race stays as it was.
    WriteBytes(copy, whole.substr(0, 400));
    EXPECT_FALSE(Nacti().Loaded);
    EXPECT_EQ(zpravy.back(), "Damaged copy of the source data: " + copy.string());
    fs::remove(copy);
    EXPECT_FALSE(Nacti().Loaded);
    EXPECT_EQ(zpravy, (std::vector<std::string>{"Vstupní soubor nebyl nalezen", "No source data"}));
    EXPECT_EQ(zavod.Kategorie.size(), 2u);
    EXPECT_NE(zavod.NajdiZavodnika(201, true), nullptr);
}

// The export is taken only once it stood still since the previous poll: caught while it is
// written or rewritten in place, the race stays as the local copy has it. An empty export is
// never taken.
TEST_F(Nacteni, ExportTakenOnlyOnceItStoodStill) {
    const std::string h21 = Zaznam("H21", 101, {1}) + Zaznam("H21", 102, {1});
    const std::string d21 = Zaznam("D21", 201, {1}) + Zaznam("D21", 202, {1});
    for (const auto& [name, now, inPlace, chipAfterNextPoll] :
         {std::tuple{"half written", d21.substr(0, 341), false, 201},
          {"emptied", std::string(), false, 101},
          {"rewritten in place", d21, true, 201}}) {
        SCOPED_TRACE(name);
        WriteBytes(exportFile, h21);
        Za(exportFile, 10);
        Nacti();
        ASSERT_TRUE(Nacti().Loaded);
        if (inPlace) {
            std::fstream(exportFile, std::ios::binary | std::ios::in | std::ios::out) << now;
        } else {
            WriteBytes(exportFile, now);
        }
        EXPECT_TRUE(Nacti().Loaded);
        EXPECT_EQ(ReadBytes(copy), h21);
        EXPECT_NE(zavod.NajdiZavodnika(102, true), nullptr);
        Nacti();
        EXPECT_NE(zavod.NajdiZavodnika(chipAfterNextPoll, true), nullptr);
    }
}
