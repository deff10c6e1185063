#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
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
    // Why the last download failed, in the words of the server or of the transfer (HTTP
    // status, time-out, TLS, size limit); empty after a success.
    virtual std::string LastError() const { return {}; }
    // Ends a download under way at once and refuses every later one (the program is closing).
    // May be called from any thread.
    virtual void Zastav() {}
};

// Download through libcurl. The connection must stand within the connect time-out, the whole
// answer must come within the total time-out, and a server that sends nothing for the stall
// time-out (from the start or from its last bytes) is given up without waiting for the total.
// An answer larger than maxBytes is refused (nothing ORIS sends comes near it).
class CurlDownloader : public Downloader {
public:
    explicit CurlDownloader(long connectTimeoutMs = 10'000, long totalTimeoutMs = 60'000,
                            long stallTimeoutMs = 15'000,
                            uint64_t maxBytes = uint64_t{128} * 1024 * 1024);
    bool StahniSoubor(const std::string& url, const std::filesystem::path& file) override;
    std::string LastError() const override { return lastError_; }
    void Zastav() override;

private:
    long connectTimeoutMs_;
    long totalTimeoutMs_;
    long stallTimeoutMs_;
    uint64_t maxBytes_;
    std::string lastError_;
    std::atomic<bool> stop_{false};
    std::mutex activeMutex_;
    void* active_ = nullptr; // the transfer under way, woken by Zastav
};

// Runs another downloader's downloads on a thread of their own, one at a time, so that the
// calling thread is never held by a server: while one runs, `wait` is called on the calling
// thread with a test of whether it has finished, and returns once it has (Cardvane turns its
// event loop meanwhile, so every port keeps reading and the window keeps working).
class BackgroundDownloader : public Downloader {
public:
    using Wait = std::function<void(const std::function<bool()>& finished)>;
    BackgroundDownloader(std::unique_ptr<Downloader> inner, Wait wait);
    bool StahniSoubor(const std::string& url, const std::filesystem::path& file) override;
    std::string LastError() const override { return inner_->LastError(); }
    void Zastav() override { inner_->Zastav(); }

private:
    std::unique_ptr<Downloader> inner_;
    Wait wait_;
};

} // namespace QZ_ORIS
