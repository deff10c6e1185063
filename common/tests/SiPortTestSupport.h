#pragma once

// Test doubles for the SI port: a serial line in memory, a view that records what it is told,
// and the simulator's station logic answering on that line.

#include "SI_Port.h"
#include "SiProtocol.h"
#include "Station.h"
#include "Tools.h"
#include "platform/Clock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace sitest {

using Bytes = std::vector<uint8_t>;

class FakeLine : public ISerialLine {
public:
    bool IsOpen() const override { return true; }
    int Write(const uint8_t* bytes, int n) override {
        written.emplace_back(bytes, bytes + n);
        if (onWrite) {
            onWrite(written.back());
        }
        return n;
    }
    int Read(uint8_t* buffer, int n) override {
        maxAsked = std::max(maxAsked, n);
        const int k = std::min(n, static_cast<int>(in.size()));
        std::copy_n(in.begin(), k, buffer);
        in.erase(in.begin(), in.begin() + k);
        if (afterRead) {
            afterRead();
        }
        return k;
    }
    int InQueue() override {
        if (in.empty() && whenEmpty) {
            whenEmpty();
        }
        return static_cast<int>(in.size());
    }
    int OutQueue() override { return 0; }

    void Feed(const Bytes& b) { in.insert(in.end(), b.begin(), b.end()); }
    int Acks() const {
        return static_cast<int>(std::count(written.begin(), written.end(), Bytes{6}));
    }

    std::deque<uint8_t> in;
    std::vector<Bytes> written;
    std::function<void(const Bytes&)> onWrite;
    std::function<void()> afterRead;
    std::function<void()> whenEmpty;
    int maxAsked = 0;
};

class RecordingView : public ISIPortView {
public:
    void ShowState(const std::string& text, TRgb indicator) override {
        colour = indicator;
        states.push_back(text);
    }
    void ShowCard(const std::string& text) override { card = text; }
    void ShowError(const std::string& text) override { error = text; }
    void InfoClear() override { info.clear(); }
    void InfoAddLine(const std::string& line) override { info.push_back(line); }
    void InfoAppend(const std::string& text) override {
        if (info.empty()) {
            info.emplace_back();
        }
        info.back() += text;
    }
    bool InfoHas(const std::string& text) const {
        return std::any_of(info.begin(), info.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }

    TRgb colour;
    std::vector<std::string> states;
    std::string card;
    std::string error;
    std::vector<std::string> info;
};

inline Bytes ExtFrame(uint8_t cmd, const Bytes& data) {
    Bytes t = {SiProtocol::STX, cmd, static_cast<uint8_t>(data.size())};
    t.insert(t.end(), data.begin(), data.end());
    return SiProtocol::CompleteExtFrame(t);
}

// The simulated station on the fake line: what the port writes reaches it at once, and what it
// sends is put on the line as soon as it is due on the fake clock.
class StationOnLine {
public:
    StationOnLine(FakeLine& line, platform::FakeClock& clock) : line_(line), clock_(clock) {
        line_.onWrite = [this](const Bytes& b) {
            station.Receive(b.data(), b.size(), Now());
            Pump();
        };
    }
    sisim::TimePoint Now() const {
        return sisim::TimePoint(std::chrono::milliseconds(clock_.MonotonicMs()));
    }
    void Pump() {
        Bytes out = station.TakeOutput(Now());
        for (Bytes more; joinWrites && !(more = station.TakeOutput(Now())).empty();) {
            out.insert(out.end(), more.begin(), more.end());
        }
        if (tamper && !out.empty()) {
            tamper(out);
        }
        line_.Feed(out);
    }
    void Insert(const sisim::Card& card) {
        station.Insert(card, Now());
        Pump();
    }
    // Bytes the station sends arrive while the port reads, one write of the station at a
    // time: after each read, and when the port finds the line empty. (The ticks then must
    // not pump.)
    void ArriveWhileReading() {
        line_.afterRead = [this] { Pump(); };
        line_.whenEmpty = [this] { Pump(); };
    }

    sisim::Station station;
    std::function<void(Bytes&)> tamper;
    // Everything due arrives in one read, also what the station sends in writes of its own.
    bool joinWrites = false;

private:
    FakeLine& line_;
    platform::FakeClock& clock_;
};

// The 12 bytes the punch files hold for one punch, written out by hand.
inline Bytes FileRecord(int station, int card, uint8_t recordNo, int secs, uint8_t sub = 0) {
    const auto c = static_cast<uint32_t>(card);
    return {static_cast<uint8_t>(station),
            0,
            0,
            0,
            static_cast<uint8_t>(c),
            static_cast<uint8_t>(c >> 8),
            static_cast<uint8_t>(c >> 16),
            static_cast<uint8_t>(c >> 24),
            recordNo,
            static_cast<uint8_t>(secs >> 8),
            static_cast<uint8_t>(secs & 0xFF),
            sub};
}

// The card blocks a card's records hold, in order: an SI6 answers with its blocks 0, 6 and 7,
// an SI6* with all eight, of which the port keeps those; an SI10 is asked for 0, 4, 5 and 6.
inline std::vector<int> ExpectedBlocks(int type) {
    switch (type) {
    case 5:
    case 105:
        return {0};
    case 6:
    case 106:
    case 206:
        return {0, 6, 7};
    case 110:
        return {0, 4, 5, 6};
    default:
        return {0, 1};
    }
}

// Checks the records of one card of the given type at offset in a chip data file, field by
// field; the read time only for its form, as it comes from the clock.
inline void ExpectCardRecords(const std::string& file, size_t offset, const sisim::Card& card,
                              int type) {
    const std::vector<int> blocks = ExpectedBlocks(type);
    ASSERT_GE(file.size(), offset + blocks.size() * TCardBlockRec::Size);
    for (size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i + 1));
        const auto* raw =
            reinterpret_cast<const uint8_t*>(file.data()) + offset + i * TCardBlockRec::Size;
        const TCardBlockRec got = TCardBlockRec::FromBytes(raw);
        EXPECT_THAT(got.readTime, ::testing::MatchesRegex("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]"));
        TCardBlockRec expected;
        expected.stationCode = 1;
        expected.readTime = got.readTime;
        expected.cardNumber = Tools::PadLeft(std::to_string(card.number), 8, ' ');
        expected.format = static_cast<uint16_t>(type % 100);
        expected.blockIndex = static_cast<uint16_t>(i + 1);
        const Bytes data = card.Block(blocks[i]);
        std::copy(data.begin(), data.end(), expected.data.begin());
        const auto bytes = expected.ToBytes();
        EXPECT_EQ(Bytes(raw, raw + TCardBlockRec::Size), Bytes(bytes.begin(), bytes.end()));
    }
}

} // namespace sitest
