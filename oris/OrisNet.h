#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// The two ways the ORIS bridge reaches the network: the connection test and the download of
// one address into a file. Both come in as interfaces so tests can stand in for them.
namespace QZ_ORIS {

class ConnectionProbe {
public:
    virtual ~ConnectionProbe() = default;
    virtual bool JePripojeno() = 0;
};

// Connected when a network interface other than loopback is up and has an address.
class InterfaceProbe : public ConnectionProbe {
public:
    bool JePripojeno() override;
};

class Downloader {
public:
    virtual ~Downloader() = default;
    // Fetches the address into the file (created or overwritten). True only for a complete
    // answer with a 2xx status.
    virtual bool StahniSoubor(const std::string& url, const std::filesystem::path& file) = 0;
};

// Blocking download through libcurl. Everything runs on the window's thread, so the time-outs
// bound how long a silent or slow server can hold chip readout up: the connection must stand
// within the connect time-out, the whole answer must come within the total time-out, and a
// server that sends nothing for the stall time-out (from the start or from its last bytes)
// is given up without waiting for the total. An answer larger than maxBytes is refused
// (nothing ORIS sends comes near it).
class CurlDownloader : public Downloader {
public:
    explicit CurlDownloader(long connectTimeoutMs = 10'000, long totalTimeoutMs = 60'000,
                            long stallTimeoutMs = 15'000,
                            uint64_t maxBytes = uint64_t{128} * 1024 * 1024);
    bool StahniSoubor(const std::string& url, const std::filesystem::path& file) override;
    // Why the last download failed (for the operator), empty after a success.
    const std::string& LastError() const { return lastError_; }

private:
    long connectTimeoutMs_;
    long totalTimeoutMs_;
    long stallTimeoutMs_;
    uint64_t maxBytes_;
    std::string lastError_;
};

} // namespace QZ_ORIS
