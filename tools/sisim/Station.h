#pragma once

// The behaviour of an SI readout station, apart from any I/O: bytes and the time go in, bytes
// to write come out. The executable pumps them between a pseudo-terminal and this class.

#include "Card.h"
#include "Display.h"

#include <array>
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

// A station reads cards, keeps a backup memory and sends punches; a display only shows text.
enum class Role { Station, Display };

enum class FaultKind {
    BadCrc,  // next extended frame: wrong CRC
    BadSum,  // next legacy frame with a checksum: wrong checksum
    Split,   // next frame: written in two parts with a pause of value ms between them
    Lose,    // next frame: value bytes from its middle never sent
    Noise,   // next frame: stray bytes in front of it
    Silence, // next frame: only its first half is sent, then nothing until the card leaves
    Pull,    // the card leaves right after the station has answered its value-th read command
             // from now: the removal message follows in a write of its own, its second half
             // gap ms later (0: whole)
};

struct Fault {
    FaultKind kind;
    int value = 0;
    int gap = 0;
};

std::string FaultName(FaultKind kind);

// A punch kept in the station's backup memory.
struct BackupPunch {
    int card;
    int secondsOfDay;
};

// The backup memory is read in pages of up to 256 bytes numbered by one byte, 6 bytes a punch.
inline constexpr size_t kBackupRecordSize = 6;
inline constexpr size_t kBackupPageSize = 256;
inline constexpr size_t kBackupCapacity = 255 * kBackupPageSize / kBackupRecordSize;

// Empty when a backup record can hold the card number, else the reason.
std::string CheckBackupCard(int card);
// The series, number-high and number-low bytes of an autosend punch record; none when the
// number cannot be written so that it reads back the same.
std::optional<std::array<uint8_t, 3>> AutosendCardBytes(int card);
// "hh:mm:ss".
std::string TimeText(int secondsOfDay);

class Station {
public:
    using Log = std::function<void(const std::string&)>;

    // The station code until told otherwise.
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
    // A display runs at 9600 Bd, a station at 38400 Bd until set otherwise.
    void SetRole(Role role);
    Role GetRole() const { return role_; }
    // 1 to 255: the legacy replies and punch records hold it in one byte.
    void SetStationCode(int code) { code_ = code; }
    int StationCode() const { return code_; }
    // The extended-mode bit the station reports in its system value at 0x74.
    void SetExtendedMode(bool on) { extendedMode_ = on; }

    // The backup memory, oldest punch first.
    void AddPunch(BackupPunch punch);
    void SetBackup(const std::vector<BackupPunch>& punches);
    const std::vector<BackupPunch>& Backup() const { return backup_; }
    // Sends the punch record a station in autosend mode sends when a card punches it; a code of
    // 0 stands for the station's own.
    void AutoSend(int card, int secondsOfDay, int stationCode, TimePoint now);

    void Insert(Card card, TimePoint now);
    void Remove(TimePoint now) { TakeCardOut(now, std::nullopt); }
    void AddFault(Fault fault) { faults_.push_back(fault); }

    void Receive(const uint8_t* bytes, size_t count, TimePoint now);
    // The bytes due by now, in order.
    std::vector<uint8_t> TakeOutput(TimePoint now);
    // When TakeOutput next has something; none when nothing is queued.
    std::optional<TimePoint> NextOutputTime() const;

    bool HasCard() const { return card_.has_value(); }
    // Whether the card now (or last) in the station was acknowledged by the reader.
    bool Acknowledged() const { return acknowledged_; }
    const sisim::Display& GetDisplay() const { return display_; }

private:
    struct Segment {
        TimePoint notBefore;
        std::chrono::nanoseconds gapBefore;
        std::vector<uint8_t> bytes;
        // Never taken together with what comes before it: it arrives after the reader could
        // have read that.
        bool ownWrite = false;
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
    void Send(OutFrame frame, TimePoint now, std::optional<int> pullGap = std::nullopt);
    // A read command has been answered: a pull fault that is due takes the card out.
    void Answered(TimePoint now);
    // With pullGap the removal message goes out as the pull fault sends it.
    void TakeCardOut(TimePoint now, std::optional<int> pullGap);
    std::optional<Fault> TakeFault(FaultKind kind);

    void ParseReceived(TimePoint now);
    void HandleExtended(uint8_t cmd, const std::vector<uint8_t>& data, TimePoint now);
    void HandleLegacy(uint8_t cmd, const std::vector<uint8_t>& data, TimePoint now);
    void AnswerBackup(const std::vector<uint8_t>& request, TimePoint now);
    bool DisplayRefuses(const std::string& what) const;

    OutFrame ExtFrame(std::string what, uint8_t cmd, const std::vector<uint8_t>& data) const;
    OutFrame LegacyDataFrame(std::string what, uint8_t cmd, const std::vector<uint8_t>& body) const;
    std::vector<uint8_t> CardIdBytes() const;

    Log log_;
    Role role_ = Role::Station;
    sisim::Display display_;
    int code_ = kStationCode;
    bool extendedMode_ = true;
    std::vector<BackupPunch> backup_;
    int punchRecords_ = 0;
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
