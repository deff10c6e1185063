#pragma once

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

// Blocking download through libcurl. Everything runs on the window's thread, so both time-outs
// bound how long a silent or slow server can hold chip readout up.
class CurlDownloader : public Downloader {
public:
    explicit CurlDownloader(long connectTimeoutMs = 10'000, long totalTimeoutMs = 60'000);
    bool StahniSoubor(const std::string& url, const std::filesystem::path& file) override;
    // Why the last download failed (for the operator), empty after a success.
    const std::string& LastError() const { return lastError_; }

private:
    long connectTimeoutMs_;
    long totalTimeoutMs_;
    std::string lastError_;
};

} // namespace QZ_ORIS
