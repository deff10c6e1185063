#include "platform/ServiceState.h"

#include "platform/Clock.h"

#include <utility>

namespace platform {

ServiceState::ServiceState(std::string service, int64_t retryMs)
    : service_(std::move(service)), retryMs_(retryMs) {}

bool ServiceState::Failed(std::string reason) {
    const bool news = !failing_ || reason != reason_;
    failing_ = true;
    reason_ = std::move(reason);
    failedAtMs_ = GetClock().MonotonicMs();
    return news;
}

bool ServiceState::Succeeded() {
    const bool wasFailing = failing_;
    failing_ = false;
    reason_.clear();
    return wasFailing;
}

std::string ServiceState::Text() const {
    return failing_ ? service_ + ": " + reason_ : service_;
}

bool ServiceState::DueForTry() const {
    return !failing_ || GetClock().MonotonicMs() - failedAtMs_ >= retryMs_;
}

} // namespace platform
