#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Calendar time of day as the programs show and record it.
struct WallTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Time comes in through this interface so tests can drive it. Intervals and time-outs use the
// monotonic count only: midnight and clock changes must not break them.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a clock that never goes back.
    virtual int64_t MonotonicMs() = 0;
    virtual WallTime Now() = 0;
    // Gives the processor away for a moment inside a busy wait.
    virtual void Pause() = 0;
};

class SystemClock : public Clock {
public:
    int64_t MonotonicMs() override;
    WallTime Now() override;
    void Pause() override;
};

// A clock that moves only when told to; Pause advances it by one millisecond so that busy
// waits end in tests.
class FakeClock : public Clock {
public:
    int64_t MonotonicMs() override { return mono_; }
    WallTime Now() override;
    void Pause() override { Advance(1); }

    void Advance(int64_t ms);
    void SetWall(const WallTime& t);

private:
    int64_t mono_ = 1'000'000;
    WallTime wall_{2026, 6, 1, 10, 0, 0, 0};
};

// The clock the programs use; the system clock unless a test has put in its own.
Clock& GetClock();
// Puts in a clock (nullptr puts back the system clock). The caller keeps ownership.
void SetClock(Clock* clock);

// "hh:mm:ss" of a wall time.
std::string TimeText(const WallTime& t);

} // namespace platform
