#pragma once

// The behaviour of an SI readout station, apart from any I/O: bytes and the time go in, bytes
// to write come out. The executable pumps them between a pseudo-terminal and this class.

#include "Card.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sisim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

enum class Protocol { Extended, Legacy };

enum class FaultKind {
    BadCrc,  // next extended frame: wrong CRC
    BadSum,  // next legacy frame with a checksum: wrong checksum
    Split,   // next frame: written in two parts with a pause of value ms between them
    Lose,    // next frame: value bytes from its middle never sent
    Noise,   // next frame: stray bytes in front of it
    Silence, // next frame: only its first half is sent, then nothing until the card leaves
};

struct Fault {
    FaultKind kind;
    int value = 0;
};

std::string FaultName(FaultKind kind);

class Station {
public:
    using Log = std::function<void(const std::string&)>;

    static constexpr uint16_t kStationCode = 1;
    // The stray bytes the noise fault puts in front of a frame.
    static const std::vector<uint8_t>& NoiseBytes();

    explicit Station(Log log = {});

    // What the station is set to, and what the line actually runs at (0 = not known, taken
    // as matching). A station at another speed than the line hears only garbage.
    void SetSpeed(int baud) { speed_ = baud; }
    int Speed() const { return speed_; }
    void SetLineSpeed(int baud) { lineSpeed_ = baud; }
    void SetProtocol(Protocol protocol) { protocol_ = protocol; }
    Protocol GetProtocol() const { return protocol_; }
    // Pace output as the line would at the station's speed: 10 bit times a byte.
    void SetWirePacing(bool on) { pacing_ = on; }

    void Insert(Card card, TimePoint now);
    void Remove(TimePoint now);
    void AddFault(Fault fault) { faults_.push_back(fault); }

    void Receive(const uint8_t* bytes, size_t count, TimePoint now);
    // The bytes due by now, in order.
    std::vector<uint8_t> TakeOutput(TimePoint now);
    // When TakeOutput next has something; none when nothing is queued.
    std::optional<TimePoint> NextOutputTime() const;

    bool HasCard() const { return card_.has_value(); }
    // Whether the card now (or last) in the station was acknowledged by the reader.
    bool Acknowledged() const { return acknowledged_; }

private:
    struct Segment {
        TimePoint notBefore;
        std::chrono::nanoseconds gapBefore;
        std::vector<uint8_t> bytes;
    };
    struct OutFrame {
        std::string what;
        std::vector<uint8_t> bytes; // legacy frames before DLE stuffing
        bool extended = false;
        std::optional<size_t> sumAt; // legacy checksum position
    };

    bool LineSpeedMatches() const;
    std::chrono::nanoseconds ByteTime() const;
    void Say(const std::string& text) const;
    void Send(OutFrame frame, TimePoint now);
    std::optional<Fault> TakeFault(FaultKind kind);

    void ParseReceived(TimePoint now);
    void HandleExtended(uint8_t cmd, const std::vector<uint8_t>& data, TimePoint now);
    void HandleLegacy(uint8_t cmd, const std::vector<uint8_t>& data, TimePoint now);

    OutFrame ExtFrame(std::string what, uint8_t cmd, const std::vector<uint8_t>& data) const;
    OutFrame LegacyDataFrame(std::string what, uint8_t cmd, const std::vector<uint8_t>& body) const;
    std::vector<uint8_t> CardIdBytes() const;

    Log log_;
    int speed_ = 38400;
    int lineSpeed_ = 0;
    Protocol protocol_ = Protocol::Extended;
    bool pacing_ = false;

    std::optional<Card> card_;
    bool acknowledged_ = false;
    bool silenced_ = false;
    std::deque<Fault> faults_;

    std::vector<uint8_t> rx_;
    TimePoint lastRx_{};

    std::deque<Segment> out_;
    TimePoint lineFree_{};
};

} // namespace sisim
