#include "platform/Clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace platform {

namespace {
Clock* g_clock = nullptr;
} // namespace

int64_t SystemClock::MonotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

WallTime SystemClock::Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&secs, &tm);
    WallTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.millisecond =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return t;
}

void SystemClock::Pause() {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
}

WallTime FakeClock::Now() {
    return wall_;
}

void FakeClock::Advance(int64_t ms) {
    mono_ += ms;
    // Keep the wall clock moving with the monotonic one, wrapping at midnight like a real day.
    int64_t dayMs =
        ((wall_.hour * 60LL + wall_.minute) * 60 + wall_.second) * 1000 + wall_.millisecond + ms;
    const int64_t fullDay = 24LL * 3600 * 1000;
    wall_.day += static_cast<int>(dayMs / fullDay);
    dayMs %= fullDay;
    wall_.hour = static_cast<int>(dayMs / 3'600'000);
    wall_.minute = static_cast<int>(dayMs / 60'000 % 60);
    wall_.second = static_cast<int>(dayMs / 1000 % 60);
    wall_.millisecond = static_cast<int>(dayMs % 1000);
}

void FakeClock::SetWall(const WallTime& t) {
    wall_ = t;
}

Clock& GetClock() {
    static SystemClock systemClock;
    return g_clock != nullptr ? *g_clock : systemClock;
}

void SetClock(Clock* clock) {
    g_clock = clock;
}

std::string TimeText(const WallTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return buf;
}

} // namespace platform
