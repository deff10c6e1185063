// The readout state machine against the simulated station on a line in memory: every card
// type, the faults of lines and stations, the time-outs and the visible state.

#include "RaceTestSupport.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "SiPortTestSupport.h"
#include "Tools.h"
#include "testsupport/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace sitest;
using sisim::CardKind;
using sisim::MakeCard;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

class SiPortTest : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        SI_Typ::ProgramKind = SI_Typ::KindSelfService; // card label without the readout time
        platform::SetClock(&clock);
        auto l = std::make_unique<FakeLine>();
        line = l.get();
        sip.port = std::move(l);
        sip.view = &view;
        sip.Path = dir.Path().string();
        sip.Rezim = 1;
        sip.MaxTime = 4;
        sip.displayHook = [this](const std::string& a, const std::string& b, const std::string& c,
                                 const std::string& d) {
            display = {a, b, c, d};
        };
        sim = std::make_unique<StationOnLine>(*line, clock);
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        RaceTest::TearDown();
    }

    void Tick() {
        clock.Advance(200);
        sim->Pump();
        sip.Poll();
    }
    // Ticks until the port waits for a card with nothing left to read.
    void RunUntilWaiting() {
        for (int i = 0; i < 40; ++i) {
            Tick();
            if (sip.state == 0 && line->in.empty() && sip.carryCount == 0 &&
                !sim->station.NextOutputTime()) {
                return;
            }
        }
    }
    fs::path DataFile() const { return dir / "C3_0012.si1"; }
    fs::path NumberFile() const { return dir / "N3_0012.si1"; }
    std::string DataFileBytes() const { return testsupport::ReadBytes(DataFile()); }

    void ExpectFailedReadout(const std::string& error) {
        EXPECT_EQ(sip.state, 0);
        EXPECT_EQ(view.error, error);
        EXPECT_EQ(view.colour, (TRgb{255, 0, 0}));
        EXPECT_THAT(display, ElementsAre("vytahni cip", "a zkus to znovu", "pull UP !!",
                                         "... and try again"));
        EXPECT_FALSE(fs::exists(DataFile()));
        EXPECT_EQ(line->Acks(), 0);
    }

    platform::FakeClock clock;
    testsupport::TempDir dir;
    TSIPort sip{3};
    FakeLine* line = nullptr;
    RecordingView view;
    std::vector<std::string> display;
    std::unique_ptr<StationOnLine> sim;
};

// ---- every card type --------------------------------------------------------------------

struct CardCase {
    CardKind kind;
    int number;
    bool legacy;
    int type; // the code the port reads it as
    const char* typeText;
};

std::vector<Bytes> ExpectedRequests(int type) {
    using namespace SiProtocol;
    switch (type) {
    case 5:
        return {FrameLegacyReadSi5()};
    case 6:
        return {FrameLegacyReadSi6()};
    case 105:
        return {FrameReadSi5()};
    case 106:
    case 206:
        return {FrameReadSi6()};
    case 110: // punches 65 to 96 are in block 6
        return {FrameReadSi8Block0(), FrameReadSi8Block4(), FrameReadSi8Block5(),
                FrameReadSi8Block(6)};
    default:
        return {FrameReadSi8Block0(), FrameReadSi8Block1()};
    }
}

class EveryCardType : public SiPortTest, public ::testing::WithParamInterface<CardCase> {};

TEST_P(EveryCardType, Mode1AppendsTheCardsBlocksAsExactRecords) {
    const CardCase& c = GetParam();
    const sisim::Card card = MakeCard(c.kind, c.number);
    if (c.legacy) {
        sim->station.SetProtocol(sisim::Protocol::Legacy);
    }
    sim->Insert(card);
    RunUntilWaiting();

    ASSERT_EQ(sip.state, 0);
    EXPECT_EQ(view.error, "");
    EXPECT_EQ(view.colour, (TRgb{0, 255, 0}));
    EXPECT_EQ(sip.cardType, static_cast<uint32_t>(c.type));
    EXPECT_EQ(line->Acks(), 1);
    std::vector<Bytes> requests = line->written;
    std::erase(requests, Bytes{6});
    EXPECT_EQ(requests, ExpectedRequests(c.type));
    EXPECT_EQ(view.card, std::string("SI (") + c.typeText + ") = " + std::to_string(c.number));
    EXPECT_THAT(display, ElementsAre("OK", "OK", "OK", "OK"));
    EXPECT_FALSE(fs::exists(NumberFile()));

    const std::string file = DataFileBytes();
    EXPECT_EQ(file.size(), ExpectedBlocks(c.type).size() * TCardBlockRec::Size);
    ExpectCardRecords(file, 0, card, c.type);
    EXPECT_EQ(file.substr(2, 9), std::string("\x08") + "10:00:00");
}

INSTANTIATE_TEST_SUITE_P(
    Cards, EveryCardType,
    ::testing::Values(CardCase{CardKind::Si5, 312345, true, 5, "5"},
                      CardCase{CardKind::Si6, 654321, true, 6, "6"},
                      CardCase{CardKind::Si5, 12345, false, 105, "5"},
                      CardCase{CardKind::Si5, 412345, false, 105, "5"},
                      CardCase{CardKind::Si6, 1234567, false, 106, "6"},
                      // Known as SI6* from its first block, then from its number.
                      CardCase{CardKind::Si6Star, 2345678, false, 206, "6*"},
                      CardCase{CardKind::Si6Star, 0xFF0010, false, 206, "6*"},
                      CardCase{CardKind::Si8, 2012345, false, 108, "8"},
                      CardCase{CardKind::Si9, 1123456, false, 109, "9"},
                      CardCase{CardKind::PCard, 4123456, false, 181, "pCard"},
                      CardCase{CardKind::Si10, 7123456, false, 110, "10"},
                      CardCase{CardKind::Si10, 8123456, false, 110, "SIAC"},
                      CardCase{CardKind::Si10, 9123456, false, 110, "11"}),
    [](const ::testing::TestParamInfo<CardCase>& info) {
        return "Type" + std::to_string(info.param.type) + "_" + std::to_string(info.param.number);
    });

TEST_F(SiPortTest, ReaderShowsEachStateAndTheReadoutSeconds) {
    SI_Typ::ProgramKind = SI_Typ::KindReader;
    sim->Insert(MakeCard(CardKind::Si5, 12345));
    Tick();
    EXPECT_THAT(view.states, ElementsAre("Read FI", "Send GetCardData", "Reading data", "Data OK",
                                         "Send ACK", "Writting data", "Waiting"));
    EXPECT_EQ(view.card, "SI (5) = 12345  / 0.000 s");
    sim->Insert(MakeCard(CardKind::Si10, 1234567)); // four requests, one a tick
    RunUntilWaiting();
    EXPECT_EQ(view.card, "SI (10) = 1234567  / 0.600 s");
}

TEST_F(SiPortTest, DisabledPortOrModeZeroTouchesNothing) {
    sim->Insert(MakeCard(CardKind::Si5, 12345));
    sip.DisableCOM = 1;
    Tick();
    sip.DisableCOM = 0;
    sip.Rezim = 0;
    Tick();
    EXPECT_EQ(line->in.size(), 12u);
    EXPECT_TRUE(line->written.empty());
}

// ---- mode 2: numbers only ---------------------------------------------------------------

TEST_F(SiPortTest, Mode2WritesTheNumberRecordWithOneAckInOneTick) {
    sip.Rezim = 2;
    sim->Insert(MakeCard(CardKind::Si10, 8123456));
    Tick();
    EXPECT_EQ(sip.state, 0);
    EXPECT_EQ(line->written, std::vector<Bytes>{Bytes{6}});
    Bytes expected(63, 0);
    expected[0] = 0x40; // 8123456 = 0x7BF440
    expected[1] = 0xF4;
    expected[2] = 0x7B;
    const std::string file = testsupport::ReadBytes(NumberFile());
    EXPECT_EQ(Bytes(file.begin(), file.end()), expected);
    EXPECT_FALSE(fs::exists(DataFile()));
    EXPECT_EQ(view.card, "SI (SIAC) = 8123456");

    sim->Insert(MakeCard(CardKind::Si8, 2012345)); // the next card replaces the number
    RunUntilWaiting();
    const std::string next = testsupport::ReadBytes(NumberFile());
    ASSERT_EQ(next.size(), 63u);
    EXPECT_EQ(TCardNumberRec::FromBytes(reinterpret_cast<const uint8_t*>(next.data())).cardNumber,
              2012345);
}

TEST_F(SiPortTest, Mode2ReadsLegacyCardsToLearnTheirNumber) {
    sip.Rezim = 2;
    sim->station.SetProtocol(sisim::Protocol::Legacy);
    for (const auto& [kind, number] : {std::pair{CardKind::Si5, 312345}, {CardKind::Si6, 654321}}) {
        SCOPED_TRACE(number);
        line->written.clear();
        sim->Insert(MakeCard(kind, number));
        RunUntilWaiting();
        EXPECT_EQ(line->Acks(), 1);
        EXPECT_EQ(line->written.size(), 2u) << "one read request and the acknowledgement";
        const std::string file = testsupport::ReadBytes(NumberFile());
        ASSERT_EQ(file.size(), 63u);
        EXPECT_EQ(
            TCardNumberRec::FromBytes(reinterpret_cast<const uint8_t*>(file.data())).cardNumber,
            number);
        EXPECT_FALSE(fs::exists(DataFile()));
    }
}

// ---- time-outs and the data file --------------------------------------------------------

TEST_F(SiPortTest, ReadoutTimesOutAfterMoreThanMaxTimeEvenAcrossMidnight) {
    clock.SetWall({2026, 6, 1, 23, 59, 58, 0});
    sim->Insert(MakeCard(CardKind::Si10, 1234567));
    sim->station.AddFault({sisim::FaultKind::Silence, 0});
    sip.Poll(); // detected, block 0 requested, half of it came
    ASSERT_EQ(sip.state, 30);

    clock.Advance(4000);
    sip.Poll();
    EXPECT_EQ(sip.state, 30) << "exactly MaxTime is not yet a time-out";
    clock.Advance(1000);
    sip.Poll();
    ExpectFailedReadout("Chyba při čtení");
}

TEST_F(SiPortTest, TimeOutBoundsTheWholeReadoutNotEachRequest) {
    sim->Insert(MakeCard(CardKind::Si10, 1234567));
    for (int i = 0; i < 4; ++i) { // every block reply takes 1.5 s
        sim->station.AddFault({sisim::FaultKind::Split, 1500});
    }
    RunUntilWaiting();
    ExpectFailedReadout("Chyba při čtení");
}

TEST_F(SiPortTest, UnwritableFileKeepsTheCardInState70WithoutTimeOut) {
    sip.Path = (dir / "later").string();
    sim->Insert(MakeCard(CardKind::Si5, 12345));
    for (int i = 0; i < 50; ++i) { // 10 s, well over MaxTime
        Tick();
    }
    EXPECT_EQ(sip.state, 70);
    EXPECT_EQ(view.states.back(), "Writting data");
    EXPECT_THAT(view.error, ::testing::StartsWith("Nelze zapsat soubor " + sip.OutputFileName(1)));

    fs::create_directory(dir / "later");
    Tick();
    EXPECT_EQ(sip.state, 0);
    EXPECT_EQ(view.error, "");
    EXPECT_EQ(view.colour, (TRgb{0, 255, 0}));
    EXPECT_EQ(fs::file_size(dir / "later" / "C3_0012.si1"), TCardBlockRec::Size);
    EXPECT_EQ(line->Acks(), 1);
}

// ---- bad messages -----------------------------------------------------------------------

TEST_F(SiPortTest, BadRepliesEndTheReadoutWithTheirText) {
    using F = sisim::FaultKind;
    // Spoils a reply on its way: the CRC of the SI10's block 6, or a reply's command byte.
    auto block6Crc = [](Bytes& b) {
        if (b[1] == 0xEF && b[5] == 6) {
            b[134] ^= 1;
        }
    };
    auto thirdSi6Crc = [](Bytes& b) {
        if (b[1] == 0xE1) {
            b[2 * 137 + 134] ^= 1;
        }
    };
    // A data byte of the second legacy SI6 block frame (blank card memory there).
    auto secondLegacyBlock = [](Bytes& b) {
        const Bytes start = {0x02, 0x61};
        const auto second = std::search(b.begin() + 1, b.end(), start.begin(), start.end());
        if (second != b.end() && second[60] == 0xEE) {
            second[60] ^= 1;
        }
    };
    auto header = [](Bytes& b) {
        if (b[1] == 0xB1 || b[1] == 0xEF) {
            b[1] ^= 2;
        }
    };
    struct Case {
        CardKind kind;
        bool legacy;
        std::optional<F> fault;
        std::function<void(Bytes&)> tamper;
        const char* error;
    };
    const std::vector<Case> cases = {
        {CardKind::Si5, false, F::BadCrc, {}, "Chyba Check SUM"},
        {CardKind::Si6Star, false, F::BadCrc, {}, "Chyba Check SUM"},
        {CardKind::Si6, false, {}, thirdSi6Crc, "Chyba Check SUM"},
        {CardKind::Si10, false, {}, block6Crc, "Chyba Check SUM"},
        {CardKind::Si5, false, {}, header, "Chybná načtená data ?"},
        {CardKind::Si8, false, {}, header, "Chybná načtená data ?"},
        {CardKind::Si5, true, F::BadSum, {}, "Chyba Check SUM"},
        {CardKind::Si6, true, F::BadSum, {}, "Chyba Check SUM"},
        {CardKind::Si6, true, {}, secondLegacyBlock, "Chyba Check SUM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(sisim::CardKindName(c.kind) + " " + c.error);
        sim->station.SetProtocol(c.legacy ? sisim::Protocol::Legacy : sisim::Protocol::Extended);
        sim->Insert(MakeCard(c.kind, 12345));
        if (c.fault) {
            sim->station.AddFault({*c.fault, 0});
        }
        sim->tamper = c.tamper;
        view.states.clear();
        RunUntilWaiting();
        ExpectFailedReadout(c.error);
        EXPECT_THAT(view.states, ::testing::Contains("Data error"));
    }
}

TEST_F(SiPortTest, BadCardInsertedMessagesShowExt1) {
    Bytes badCrc = ExtFrame(0xE8, {0x00, 0x01, 0x0F, 0x12, 0xD6, 0x87});
    badCrc[badCrc.size() - 3] ^= 1;
    const std::vector<Bytes> frames = {
        badCrc, ExtFrame(0xE8, {0x00, 0x01, 0x0F, 0x12}),     // too short for a card number
        ExtFrame(0xE8, {0x00, 0x01, 0x03, 0x12, 0x34, 0x56}), // no such card series
    };
    for (const Bytes& frame : frames) {
        view.error.clear();
        view.info.clear();
        line->Feed(frame);
        Tick();
        EXPECT_EQ(sip.state, 0);
        EXPECT_EQ(view.error, "Ext -1");
        EXPECT_TRUE(view.InfoHas("ReadFI ERR -1"));
        EXPECT_TRUE(line->written.empty());
    }
}

// ---- a card pulled as its reply comes in -----------------------------------------------

TEST_F(SiPortTest, CardPulledJustBeforeTheFlushCostsNotTheNextRunnersCard) {
    struct Case {
        CardKind pulled;
        int type;      // what the port reads it as
        int answers;   // read commands the station answers before the card leaves
        int gap;       // ms between the halves of the removal message (0: whole)
        bool spoiled;  // the removal message is lost on the line
        bool together; // the removal comes in the same read as the last reply
        int requests;  // read commands the port writes for the pulled card
        bool whole;    // all its data came before it left: it is read
        CardKind next;
        int nextType;
    };
    using K = CardKind;
    const std::vector<Case> cases = {
        {K::Si5, 105, 1, 0, false, false, 1, true, K::Si8, 108},
        {K::Si8, 108, 1, 0, false, false, 1, false, K::Si8, 108},
        {K::PCard, 181, 1, 300, false, false, 2, false, K::Si6, 106},
        {K::Si10, 110, 2, 300, false, false, 3, false, K::Si5, 105},
        {K::Si10, 110, 4, 0, false, false, 4, true, K::Si10, 110},
        // With no removal message the next card's own message shows that the pulled one left.
        {K::Si10, 110, 1, 0, true, false, 2, false, K::Si8, 108},
        {K::Si5, 105, 1, 0, false, true, 1, true, K::Si8, 108},
        {K::Si6, 106, 1, 0, false, true, 1, true, K::Si5, 105},
        {K::Si6Star, 206, 1, 0, false, true, 1, true, K::Si8, 108},
        {K::Si8, 108, 2, 0, false, true, 2, true, K::Si10, 110},
        {K::Si10, 110, 1, 0, false, true, 1, false, K::Si8, 108},
        {K::Si10, 110, 4, 0, false, true, 4, true, K::Si8, 108},
    };
    sim->ArriveWhileReading();
    // The port polls every 200 ms; the ticks must not pump here.
    auto run = [&](int ms) {
        for (int t = 0; t < ms; t += 200) {
            clock.Advance(200);
            sip.Poll();
        }
    };
    int number = 1000000;
    for (const Case& c : cases) {
        SCOPED_TRACE(sisim::CardKindName(c.pulled) + " pulled after " + std::to_string(c.answers) +
                     " answers, gap " + std::to_string(c.gap) + (c.spoiled ? ", spoiled" : "") +
                     (c.together ? ", with the reply" : ""));
        sim->joinWrites = c.together;
        const std::string before = fs::exists(DataFile()) ? DataFileBytes() : std::string();
        line->written.clear();
        bool spoil = c.spoiled; // the pulled card's removal message only
        sim->tamper = [&](Bytes& b) {
            if (spoil && b.size() == 12 && b[1] == SiProtocol::CmdCardRemoved) {
                b[10] ^= 1;
                spoil = false;
            }
        };
        const sisim::Card pulled = MakeCard(c.pulled, ++number);
        const sisim::Card next = MakeCard(c.next, ++number);
        sim->station.AddFault({sisim::FaultKind::Pull, c.answers, c.gap});
        sim->Insert(pulled);
        // The next runner comes 1.6 s later and holds his card in for 1.8 s.
        run(1600);
        EXPECT_EQ(static_cast<int>(line->written.size()) - line->Acks(), c.requests);
        if (!c.spoiled) {
            EXPECT_EQ(sip.state, 0) << "the removal ends the readout at once";
            EXPECT_EQ(view.error, c.whole ? "" : "Čip vytažen během čtení");
        }
        sim->Insert(next);
        run(1800);
        EXPECT_TRUE(sim->station.Acknowledged());
        sim->station.Remove(sim->Now());
        run(400);
        EXPECT_EQ(sip.state, 0);
        EXPECT_EQ(view.error, "");

        const std::string file = DataFileBytes();
        const size_t pulledSize = c.whole ? ExpectedBlocks(c.type).size() * TCardBlockRec::Size : 0;
        EXPECT_EQ(file.size(), before.size() + pulledSize +
                                   ExpectedBlocks(c.nextType).size() * TCardBlockRec::Size);
        if (c.whole) {
            ExpectCardRecords(file, before.size(), pulled, c.type);
        }
        ExpectCardRecords(file, before.size() + pulledSize, next, c.nextType);
    }
    sim->tamper = {};
}

// ---- messages in pieces -----------------------------------------------------------------

TEST_F(SiPortTest, MessagesSplitOrAfterNoiseAreWaitedForAndFound) {
    sim->station.AddFault({sisim::FaultKind::Split, 300});
    sim->Insert(MakeCard(CardKind::Si10, 1234567));
    Tick();
    EXPECT_EQ(sip.state, 0) << "half a message: wait for the rest";
    RunUntilWaiting();
    EXPECT_EQ(line->Acks(), 1);

    sim->station.Remove(sim->Now());
    sim->station.AddFault({sisim::FaultKind::Noise, 0});
    sim->Insert(MakeCard(CardKind::Si8, 2012345));
    RunUntilWaiting();
    EXPECT_EQ(line->Acks(), 2);

    // Legacy messages byte by byte, after a stray STX.
    sim->station.SetProtocol(sisim::Protocol::Legacy);
    for (CardKind kind : {CardKind::Si5, CardKind::Si6}) {
        sim->Insert(MakeCard(kind, 54321));
        const Bytes frame(line->in.begin(), line->in.end());
        line->in = {0x02, 0x7F};
        for (size_t i = 0; i < frame.size() && sip.state == 0; ++i) {
            line->Feed({frame[i]});
            Tick();
        }
        RunUntilWaiting();
    }
    EXPECT_EQ(line->Acks(), 4);
    EXPECT_EQ(view.error, "");
    EXPECT_EQ(fs::file_size(DataFile()), (4 + 2 + 1 + 3) * TCardBlockRec::Size);
}

TEST_F(SiPortTest, NoiseOrABadFrameWhileWaitingCostsNotTheNextCard) {
    Bytes badRemoval = ExtFrame(0xE7, {0x00, 0x01, 0x0F, 0x12, 0xD6, 0x87});
    badRemoval[badRemoval.size() - 3] ^= 1;
    struct Case {
        const char* what;
        Bytes before;
        bool sameRead; // else the card's message comes between the read and the flush
    };
    const std::vector<Case> cases = {
        {"bad-CRC removal", badRemoval, false},
        {"02 E7 05", {0x02, 0xE7, 0x05}, true},
        {"FF 02 F3", {0xFF, 0x02, 0xF3}, true},
        {"02 FF", {0x02, 0xFF}, true},
        {"valid removal", ExtFrame(0xE7, {0x00, 0x01, 0x0F, 0x12, 0xD6, 0x87}), true},
    };
    int acks = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        line->Feed(c.before);
        const sisim::Card card = MakeCard(CardKind::Si8, 2012345);
        if (c.sameRead) {
            sim->Insert(card);
        } else {
            line->afterRead = [&] {
                line->afterRead = {};
                sim->Insert(card);
            };
        }
        RunUntilWaiting();
        EXPECT_EQ(line->Acks(), ++acks);
        EXPECT_EQ(view.error, "");
        sim->station.Remove(sim->Now());
        RunUntilWaiting();
    }
    EXPECT_EQ(fs::file_size(DataFile()), 5 * 2 * TCardBlockRec::Size);
}

TEST_F(SiPortTest, IncompleteMessageIsDroppedAfterTheTimeOut) {
    line->Feed({0x02, 0xE8, 0x09}); // promises 15 bytes, never sends them
    for (int i = 0; i < 25; ++i) {  // 5 s
        Tick();
    }
    EXPECT_TRUE(view.InfoHas("Incomplete message dropped"));
    sim->Insert(MakeCard(CardKind::Si10, 1234567));
    RunUntilWaiting();
    EXPECT_EQ(view.error, "");
    EXPECT_EQ(line->Acks(), 1);
}

TEST_F(SiPortTest, SecondMessageOfOneReadIsExaminedOnTheNextPoll) {
    line->Feed(ExtFrame(0xE7, {0x00, 0x01, 0x02, 0x1E, 0xB4, 0x00})); // card removed
    sim->Insert(MakeCard(CardKind::Si8, 2012345));
    sip.Poll();
    EXPECT_EQ(sip.state, 0);
    EXPECT_EQ(sip.carryCount, 12);
    RunUntilWaiting();
    EXPECT_EQ(line->Acks(), 1);
}

// ---- buffers ----------------------------------------------------------------------------

TEST_F(SiPortTest, AFloodOfBytesNeverOverrunsABuffer) {
    // A long tail after a whole message fills the carry-over; the next read takes only what
    // fits and the rest waits in the driver, so the card behind it is still found.
    line->Feed(ExtFrame(0xE7, {0x00, 0x01, 0, 0, 0, 0}));
    line->Feed(Bytes(3000, 0x55));
    sim->Insert(MakeCard(CardKind::Si5, 12345));
    for (int i = 0; i < 10 && line->Acks() == 0; ++i) {
        Tick();
        ASSERT_LE(sip.carryCount, 2000);
    }
    EXPECT_EQ(line->Acks(), 1);

    line->Feed(Bytes(4500, 0xFF));
    line->Feed({0x02, 0xE8, 0x09});
    line->Feed(Bytes(2500, 0x02)); // every one a possible start
    for (int i = 0; i < 20; ++i) {
        Tick();
        ASSERT_LE(sip.carryCount, 2000);
    }
    EXPECT_LE(line->maxAsked, 2000);

    // Receive buffer: what does not fit is dropped and said so.
    line->in.clear();
    sip.rxLen = 1990;
    line->Feed(Bytes(100, 0x55));
    sip.ReadData(false);
    EXPECT_EQ(sip.rxLen, 2000);
    EXPECT_TRUE(view.InfoHas("Lost 90 bytes"));
    bool escape = false;
    const Bytes punch(30, 0x41);
    sip.AppendRx(punch.data(), punch.size(), escape);
    EXPECT_EQ(sip.rxLen, 2000);

    sip.carryCount = 1995;
    Bytes two = ExtFrame(0xE7, {0x00, 0x01, 0, 0, 0, 0});
    two.insert(two.end(), 20, 0x33);
    SiProtocol::TSIFrameInfo info{};
    EXPECT_TRUE(sip.ParseExtFrame(two.data(), two.size(), info));
    EXPECT_EQ(sip.carryCount, 2000);
    EXPECT_TRUE(view.InfoHas("Lost 15 bytes"));
}

TEST_F(SiPortTest, ReadDataDropsDleEscapesAlsoAcrossReads) {
    line->Feed({0x10, 0x10, 0x10, 0x03});
    sip.ReadData(true);
    EXPECT_EQ(Bytes(sip.rx.begin(), sip.rx.begin() + sip.rxLen), (Bytes{0x10, 0x03}));

    sip.Flush(false);
    line->Feed({0x10});
    sip.ReadData(true);
    line->Feed({0x10});
    sip.ReadData(true);
    EXPECT_EQ(Bytes(sip.rx.begin(), sip.rx.begin() + sip.rxLen), (Bytes{0x10}));
}

} // namespace
