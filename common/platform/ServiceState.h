#pragma once

#include <cstdint>
#include <string>

namespace platform {

// What a program knows of one outside service it depends on (a station's device, the print
// server, the ORIS server): whether it is failing, why in the service's own words, and when to
// try it again. One instance per service; every program reports and recovers through it, so a
// failure is said once (not once per try) and a service that comes back is used again without
// a restart.
class ServiceState {
public:
    // retryMs: how long after a failure the next try is due.
    explicit ServiceState(std::string service, int64_t retryMs = 2000);

    // A try failed. True when the operator has not yet been told of this failure (the service
    // was fine before, or it now fails for another reason): show the message then, not at
    // every try.
    bool Failed(std::string reason);
    // A try succeeded. True when the service was failing until now (say it is back).
    bool Succeeded();

    bool Failing() const { return failing_; }
    // The service's own reason for the current failure; empty while it works.
    const std::string& Reason() const { return reason_; }
    // "<service>: <reason>", for a status line or a log.
    std::string Text() const;
    // True while working, or once the retry interval since the last failure has passed.
    bool DueForTry() const;
    const std::string& Service() const { return service_; }

private:
    std::string service_;
    int64_t retryMs_;
    bool failing_ = false;
    std::string reason_;
    int64_t failedAtMs_ = 0;
};

} // namespace platform
