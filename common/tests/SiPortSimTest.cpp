// End to end: the station simulator on a real pseudo-terminal, a port reading through TPort,
// and the chip data file compared byte for byte with the card images.

#ifdef SISIM_PATH

#include "RaceTestSupport.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "SiPortTestSupport.h"
#include "testsupport/SimProcess.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace sitest;
namespace fs = std::filesystem;
using sisim::CardKind;
using testsupport::Eventually;

namespace {

class SiPortSimTest : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        ASSERT_FALSE(sim.Slave().empty()) << sim.Output();
        sip.view = &view;
        sip.Path = dir.Path().string();
        sip.Rezim = 1;
        sip.MaxTime = 1;
    }
    void TearDown() override {
        sip.port.reset();
        sim.StopAndPrintLog(HasFailure()); // end of input ends the simulator
        RaceTest::TearDown();
    }
    void Send(const std::string& commands) { sim.Send(commands); }
    void OpenLine(int baud) {
        auto p = std::make_unique<TPort>();
        p->name = "COM3";
        p->device = sim.Slave();
        p->baudRate = baud;
        ASSERT_TRUE(p->Open()) << p->lastError;
        sip.port = std::move(p);
    }
    uintmax_t DataSize() const {
        std::error_code ec;
        const uintmax_t n = fs::file_size(dir / "C3_0012.si1", ec);
        return ec ? 0 : n;
    }
    // Inserts a card from its memory image and reads it; checks the records appended.
    void ReadCard(const std::string& kind, CardKind cardKind, int number, int type) {
        SCOPED_TRACE(kind + " " + std::to_string(number));
        const sisim::Card card = sisim::MakeCard(cardKind, number);
        const fs::path image = dir / (kind + ".img");
        testsupport::WriteBytes(image, std::string(card.memory.begin(), card.memory.end()));
        const uintmax_t before = DataSize();
        const uintmax_t after = before + ExpectedBlocks(type).size() * TCardBlockRec::Size;
        Send("insert " + kind + " " + std::to_string(number) + " " + image.string());
        ASSERT_TRUE(Eventually([&] {
            sip.Poll();
            return sip.state == 0 && DataSize() >= after;
        })) << "state "
            << sip.state << ", error " << view.error;
        Send("remove");
        EXPECT_EQ(view.error, "");
        EXPECT_EQ(DataSize(), after);
        ExpectCardRecords(testsupport::ReadBytes(dir / "C3_0012.si1"), before, card, type);
    }
    void ExpectFailure(const std::string& commands, const std::string& error) {
        view.error.clear();
        const uintmax_t before = DataSize();
        Send(commands);
        EXPECT_TRUE(Eventually([&] {
            sip.Poll();
            return sip.state == 0 && !view.error.empty();
        }));
        EXPECT_EQ(view.error, error);
        Send("remove");
        EXPECT_EQ(DataSize(), before);
    }

    testsupport::TempDir dir;
    testsupport::SimProcess sim{SISIM_PATH}; // started before each test, ended after it
    TSIPort sip{3};
    RecordingView view;
};

TEST_F(SiPortSimTest, ExtendedStationReadsEveryCardTypeAt38400) {
    OpenLine(38400);
    ReadCard("si5", CardKind::Si5, 412345, 105);
    ReadCard("si6", CardKind::Si6, 1234567, 106);
    ReadCard("si6star", CardKind::Si6Star, 2345678, 206);
    ReadCard("si8", CardKind::Si8, 2012345, 108);
    ReadCard("si9", CardKind::Si9, 1123456, 109);
    ReadCard("pcard", CardKind::PCard, 4123456, 181);
    ReadCard("si10", CardKind::Si10, 7123456, 110);
    ReadCard("siac", CardKind::Si10, 8123456, 110);
    ReadCard("si11", CardKind::Si10, 9123456, 110);
    EXPECT_EQ(DataSize(), (1 + 3 + 3 + 2 + 2 + 2 + 4 + 4 + 4) * TCardBlockRec::Size);

    sip.Rezim = 2;
    Send("insert siac 8123456");
    const fs::path numberFile = dir / "N3_0012.si1";
    ASSERT_TRUE(Eventually([&] {
        sip.Poll();
        return sip.state == 0 && fs::exists(numberFile);
    }));
    const std::string bytes = testsupport::ReadBytes(numberFile);
    ASSERT_EQ(bytes.size(), 63u);
    EXPECT_EQ(TCardNumberRec::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data())).cardNumber,
              8123456);
}

TEST_F(SiPortSimTest, LegacyStationReadsSi5AndSi6At4800) {
    Send("speed 4800\nproto legacy");
    OpenLine(4800);
    ReadCard("si5", CardKind::Si5, 312345, 5);
    ReadCard("si6", CardKind::Si6, 654321, 6);
    ExpectFailure("insert si5 12345\nfault badsum", "Chyba Check SUM");
}

TEST_F(SiPortSimTest, LineFaultsEndAsTheyShouldAndLeaveTheFileWhole) {
    OpenLine(38400);
    Send("fault split 300");
    ReadCard("si10", CardKind::Si10, 1234567, 110);
    Send("fault noise");
    ReadCard("si8", CardKind::Si8, 2012345, 108);
    ExpectFailure("fault badcrc\ninsert si9 1123456", "Ext -1");
    // The block reply stops half-way, or loses bytes on the way.
    ExpectFailure("insert si10 1234567\nfault silence", "Chyba při čtení");
    ExpectFailure("insert si6 1234567\nfault lose 20", "Chyba při čtení");
    ExpectFailure("insert si5 12345\nfault badcrc", "Chyba Check SUM");
    ReadCard("si5", CardKind::Si5, 12345, 105);
}

TEST_F(SiPortSimTest, CardPulledDuringReadoutEndsItAndTheNextCardIsRead) {
    OpenLine(38400);
    sip.MaxTime = 4;
    const sisim::Card next = sisim::MakeCard(CardKind::Si6Star, 2345678);
    const fs::path image = dir / "next.img";
    testsupport::WriteBytes(image, std::string(next.memory.begin(), next.memory.end()));
    // The first card leaves half-way through its first block; the next comes a second later.
    Send(
        "insert si10 1234567\nfault silence\nwait 500\nremove\nwait 1000\ninsert si6star 2345678 " +
        image.string());
    ASSERT_TRUE(Eventually([&] {
        sip.Poll();
        return view.error == "Čip vytažen během čtení";
    })) << view.error;
    EXPECT_EQ(sip.state, 0);
    EXPECT_EQ(DataSize(), 0u);
    ASSERT_TRUE(Eventually([&] {
        sip.Poll();
        return sip.state == 0 && DataSize() >= 3 * TCardBlockRec::Size;
    })) << "state "
        << sip.state << ", error " << view.error;
    EXPECT_TRUE(sim.WaitForLog("card 2345678 acknowledged"));
    EXPECT_EQ(DataSize(), 3 * TCardBlockRec::Size);
    ExpectCardRecords(testsupport::ReadBytes(dir / "C3_0012.si1"), 0, next, 206);
}

} // namespace

#endif
