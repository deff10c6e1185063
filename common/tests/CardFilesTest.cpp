// The chip data and card-number files: record bytes, names and folders, appending a card in one
// piece, and finding the card-number file whatever the case of its extension.

#include "RaceTestSupport.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Clock.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

using Bytes = std::vector<uint8_t>;
using sitest::RaceTest;
namespace fs = std::filesystem;

namespace {

Bytes FileBytes(const fs::path& p) {
    const std::string s = testsupport::ReadBytes(p);
    return Bytes(s.begin(), s.end());
}

TEST(CardRecords, BlockRecordIsLaidOutByteForByte) {
    TCardBlockRec r;
    r.stationCode = -2;
    r.readTime = "10:23:45";
    r.cardNumber = "  123456";
    r.format = 81;
    r.blockIndex = 2;
    for (size_t i = 0; i < r.data.size(); ++i) {
        r.data[i] = static_cast<uint8_t>(255 - i);
    }
    const auto b = r.ToBytes();
    ASSERT_EQ(b.size(), 154u);
    Bytes expected = {0xFE, 0xFF, 8,   '1', '0', ':', '2', '3', ':', '4', '5', 8,
                      ' ',  ' ',  '1', '2', '3', '4', '5', '6', 81,  0,   2,   0};
    expected.insert(expected.end(), r.data.begin(), r.data.end());
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(Bytes(b.begin(), b.end()), expected);

    const TCardBlockRec back = TCardBlockRec::FromBytes(b.data());
    EXPECT_EQ(back.stationCode, -2);
    EXPECT_EQ(back.readTime, "10:23:45");
    EXPECT_EQ(back.cardNumber, "  123456");
    EXPECT_EQ(back.format, 81);
    EXPECT_EQ(back.blockIndex, 2);
    EXPECT_EQ(back.data, r.data);

    // A cleared slot is all zeros.
    const auto empty = TCardBlockRec{}.ToBytes();
    EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](uint8_t v) { return v == 0; }));
}

class CardFilesTest : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        platform::SetClock(&clock);
        port.Path = dir.Path().string();
        port.Rezim = 1;
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        RaceTest::TearDown();
    }
    // Puts a card of the type into the record slots, as a readout leaves them.
    void PrepareCard(int type, int number, uint8_t fill) {
        port.cardType = static_cast<uint32_t>(type);
        port.frameInfo.cardNumber = number;
        for (int i = 0; i < TSIPort::RecordCount(type); ++i) {
            TCardBlockRec& r = port.cardRecords[i];
            r = TCardBlockRec{};
            r.stationCode = 1;
            r.readTime = "10:00:00";
            r.cardNumber = Tools::PadLeft(std::to_string(number), 8, ' ');
            r.format = static_cast<uint16_t>(type - 100);
            r.blockIndex = static_cast<uint16_t>(i + 1);
            r.data.fill(static_cast<uint8_t>(fill + i));
        }
    }
    Bytes CardBytes(int type) {
        Bytes b;
        for (int i = 0; i < TSIPort::RecordCount(type); ++i) {
            const auto r = port.cardRecords[i].ToBytes();
            b.insert(b.end(), r.begin(), r.end());
        }
        return b;
    }

    platform::FakeClock clock;
    testsupport::TempDir dir;
    TSIPort port{3};
};

TEST_F(CardFilesTest, FileNamesFollowModeComAndRace) {
    const std::string d = dir.Path().string() + "/";
    EXPECT_EQ(port.OutputDir(), d);
    EXPECT_EQ(port.OutputFileName(1), d + "C3_0012.si1");
    EXPECT_EQ(port.OutputFileName(2), d + "N3_0012.si1");

    TSIPort com10(10);
    com10.Path = "  " + d + "  ";
    EXPECT_EQ(com10.OutputFileName(1), d + "CA_0012.si1");
    TSIPort com12(12);
    com12.Path = dir.Path().string();
    EXPECT_EQ(com12.OutputFileName(2), d + "NC_0012.si1");

    SI_Typ::Zavod = 12345;
    SI_Typ::Etapa = 3;
    EXPECT_EQ(port.OutputFileName(1), d + "C3_12345.si3");

    EXPECT_EQ(SI_Port::ComChar(1), '1');
    EXPECT_EQ(SI_Port::ComChar(9), '9');
    EXPECT_EQ(SI_Port::ComChar(10), 'A');
    EXPECT_EQ(SI_Port::ComChar(18), 'I');
}

TEST_F(CardFilesTest, ChipDataFileGrowsByOneRunOfRecordsPerCard) {
    PrepareCard(105, 12345, 0x10);
    const Bytes first = CardBytes(105);
    ASSERT_TRUE(port.WriteCardData());
    EXPECT_EQ(FileBytes(dir / "C3_0012.si1"), first);

    PrepareCard(110, 1234567, 0x20);
    const Bytes second = CardBytes(110);
    ASSERT_TRUE(port.WriteCardData());
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(FileBytes(dir / "C3_0012.si1"), both);
    EXPECT_EQ(both.size(), 5 * TCardBlockRec::Size);
    // Created as any new file: read-write for the owner, readable for all, less the umask.
    const mode_t umask = ::umask(0);
    ::umask(umask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(dir / "C3_0012.si1").permissions() & fs::perms::all),
              0644 & ~umask);
}

// A record torn by a power cut is cut off first: it would shift every later card.
TEST_F(CardFilesTest, CardIsAppendedToTheFileWhateverItsCaseAfterItsLastWholeRecord) {
    for (const size_t torn : {size_t{0}, size_t{50}}) {
        SCOPED_TRACE(torn);
        const std::string whole(TCardBlockRec::Size, 'x');
        testsupport::WriteBytes(dir / "c3_0012.SI1", whole + std::string(torn, 'y'));
        PrepareCard(108, 2012345, 0x30);
        ASSERT_TRUE(port.WriteCardData());
        EXPECT_FALSE(fs::exists(dir / "C3_0012.si1"));
        const Bytes card = CardBytes(108);
        Bytes expected(whole.begin(), whole.end());
        expected.insert(expected.end(), card.begin(), card.end());
        EXPECT_EQ(FileBytes(dir / "c3_0012.SI1"), expected);
    }
}

TEST_F(CardFilesTest, FailedWriteLeavesNoPartOfTheCard) {
    PrepareCard(105, 12345, 0x10);
    ASSERT_TRUE(port.WriteCardData());
    const Bytes before = FileBytes(dir / "C3_0012.si1");

    // A file size limit lets the first records through and stops the rest.
    PrepareCard(110, 1234567, 0x20);
    const Bytes card = CardBytes(110);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = before.size() + 200;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = port.WriteCardData();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(FileBytes(dir / "C3_0012.si1"), before);
    EXPECT_TRUE(port.errorShown);

    ASSERT_TRUE(port.WriteCardData());
    Bytes expected = before;
    expected.insert(expected.end(), card.begin(), card.end());
    EXPECT_EQ(FileBytes(dir / "C3_0012.si1"), expected);
}

TEST_F(CardFilesTest, WithPodleRavlinBothFilesGoToTheRaceFolder) {
    SI_Typ::PodleRavlin = 1;
    SI_Typ::CestaRavlin = dir.Path().string();
    SI_Typ::RavlinInf.Rok = "2026";
    const fs::path race = dir / "Zav_2026" / "ZZ0012";
    fs::create_directories(race);
    port.Path = (dir / "elsewhere").string();
    EXPECT_EQ(port.OutputDir(), race.string() + "/");

    PrepareCard(105, 12345, 0x10);
    ASSERT_TRUE(port.WriteCardData());
    port.Rezim = 2;
    ASSERT_TRUE(port.WriteCardData());
    EXPECT_EQ(fs::file_size(race / "C3_0012.si1"), TCardBlockRec::Size);
    EXPECT_EQ(fs::file_size(race / "N3_0012.si1"), TCardNumberRec::Size);
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
}

TEST_F(CardFilesTest, CardNumberFileIsFoundWithTheExtensionInAnyCase) {
    port.Rezim = 2;
    PrepareCard(110, 8123456, 0);
    ASSERT_TRUE(port.WriteCardData());
    const auto found = SI_Port::FindCardNumberFile(dir.Path(), 3);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, dir / "N3_0012.si1");
    EXPECT_EQ(TCardNumberRec::FromBytes(
                  reinterpret_cast<const uint8_t*>(testsupport::ReadBytes(*found).data()))
                  .cardNumber,
              8123456);
    EXPECT_FALSE(SI_Port::FindCardNumberFile(dir.Path(), 4).has_value());

    testsupport::WriteBytes(dir / "NA_0012.SI1", std::string(63, '\0'));
    EXPECT_EQ(SI_Port::FindCardNumberFile(dir.Path(), 10), dir / "NA_0012.SI1");
}

} // namespace
