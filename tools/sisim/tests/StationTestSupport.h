#pragma once

// Feeding a Station bytes and reading back its frames, for the station's tests.

#include "SiProtocol.h"
#include "Station.h"

#include <gtest/gtest.h>

#include <vector>

namespace stationtest {

using namespace sisim;
using namespace SiProtocol;
using Bytes = std::vector<uint8_t>;

inline const sisim::TimePoint t0 = TimePoint{} + std::chrono::hours(1);

inline Bytes Send(Station& s, const Bytes& in, TimePoint now = t0) {
    s.Receive(in.data(), in.size(), now);
    return s.TakeOutput(now);
}

inline Bytes Insert(Station& s, CardKind kind, int number, TimePoint now = t0) {
    s.Insert(MakeCard(kind, number), now);
    return s.TakeOutput(now);
}

// Splits a run of extended replies into frames, expecting each to be complete and valid.
inline std::vector<Bytes> ExtFrames(const Bytes& b) {
    std::vector<Bytes> frames;
    size_t at = 0;
    while (at < b.size()) {
        TSIFrameInfo info{};
        const ExtFrameResult r = ParseExtFrameBytes(b.data() + at, b.size() - at, info);
        EXPECT_EQ(r.status, ExtFrameStatus::Complete) << "frame at " << at;
        EXPECT_EQ(info.valid, 1) << "frame at " << at;
        EXPECT_EQ(info.stationCode, Station::kStationCode);
        if (r.status != ExtFrameStatus::Complete) {
            break;
        }
        frames.emplace_back(b.begin() + static_cast<long>(at),
                            b.begin() + static_cast<long>(at + r.consumed));
        at += r.consumed;
    }
    return frames;
}

inline Bytes Slice(const Bytes& b, size_t from, size_t n) {
    return {b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + n)};
}

inline Bytes Unstuff(const Bytes& raw) {
    Bytes out;
    bool escape = false;
    AppendWithDle(out, 4096, raw.data(), raw.size(), escape);
    return out;
}

// The control bytes that go on the wire unescaped: only the frames' STX and ETX may.
inline Bytes FramingBytes(const Bytes& raw) {
    Bytes out;
    bool escape = false;
    for (const uint8_t c : raw) {
        if (escape) {
            escape = false;
        } else if (c == DLE) {
            escape = true;
        } else if (c < 0x20) {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace stationtest
