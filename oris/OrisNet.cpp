#include "OrisNet.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <curl/curl.h>
#include <ifaddrs.h>
#include <mutex>
#include <net/if.h>
#include <sys/socket.h>

namespace QZ_ORIS {

bool InterfaceProbe::JePripojeno() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return false;
    }
    bool up = false;
    for (const ifaddrs* a = list; a != nullptr && !up; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || (a->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const int family = a->ifa_addr->sa_family;
        up = (family == AF_INET || family == AF_INET6) && (a->ifa_flags & IFF_UP) != 0 &&
             (a->ifa_flags & IFF_RUNNING) != 0;
    }
    ::freeifaddrs(list);
    return up;
}

namespace {

// Where the answer goes, how much of it may come, and when the server last sent some of it.
struct Sink {
    std::FILE* file = nullptr;
    uint64_t written = 0;
    uint64_t maxBytes = 0;
    bool tooLarge = false;
    std::chrono::milliseconds stallTimeout{0};
    std::chrono::steady_clock::time_point lastData;
    curl_off_t lastReceived = 0;
    bool stalled = false;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* userData) {
    auto* sink = static_cast<Sink*>(userData);
    const size_t bytes = size * count;
    if (bytes > sink->maxBytes - sink->written) {
        sink->tooLarge = true;
        return 0; // the transfer stops with a write error
    }
    const size_t done = std::fwrite(data, 1, bytes, sink->file);
    sink->written += done;
    return done;
}

// Called by libcurl at least once a second: a server that has sent nothing for the stall
// time-out (since the start, or since its last bytes) is given up.
int WatchStall(void* userData, curl_off_t /*dlTotal*/, curl_off_t dlNow, curl_off_t /*ulTotal*/,
               curl_off_t /*ulNow*/) {
    auto* sink = static_cast<Sink*>(userData);
    const auto now = std::chrono::steady_clock::now();
    if (dlNow != sink->lastReceived) {
        sink->lastReceived = dlNow;
        sink->lastData = now;
        return 0;
    }
    if (now - sink->lastData >= sink->stallTimeout) {
        sink->stalled = true;
        return 1; // aborts the transfer
    }
    return 0;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

CurlDownloader::CurlDownloader(long connectTimeoutMs, long totalTimeoutMs, long stallTimeoutMs,
                               uint64_t maxBytes)
    : connectTimeoutMs_(connectTimeoutMs), totalTimeoutMs_(totalTimeoutMs),
      stallTimeoutMs_(stallTimeoutMs), maxBytes_(maxBytes) {}

bool CurlDownloader::StahniSoubor(const std::string& url, const std::filesystem::path& file) {
    InitCurlOnce();
    lastError_.clear();
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) {
        lastError_ = file.string() + ": cannot be written";
        return false;
    }
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        std::fclose(out);
        lastError_ = "libcurl could not start";
        return false;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    Sink sink;
    sink.file = out;
    sink.maxBytes = maxBytes_;
    sink.stallTimeout = std::chrono::milliseconds(stallTimeoutMs_);
    sink.lastData = std::chrono::steady_clock::now();
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, WatchStall);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &sink);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs_);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, totalTimeoutMs_);
    // An announced length over the limit is refused before anything is read.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(std::min<uint64_t>(maxBytes_, INT64_MAX)));
    // No signals: the time-outs must work without SIGALRM in a program with other threads.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Cardvane");

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    const bool written = std::fclose(out) == 0;

    if (code != CURLE_OK) {
        lastError_ = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
        if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
            lastError_ += " (the answer is larger than " + std::to_string(maxBytes_) + " bytes)";
        } else if (sink.stalled) {
            lastError_ = "the server sent nothing for " + std::to_string(stallTimeoutMs_) + " ms";
        }
    } else if (status < 200 || status > 299) {
        lastError_ = "HTTP " + std::to_string(status);
    } else if (!written) {
        lastError_ = file.string() + ": cannot be written";
    }
    if (!lastError_.empty()) {
        // An error page or half a document must not be taken for the answer.
        std::error_code ec;
        std::filesystem::resize_file(file, 0, ec);
        return false;
    }
    return true;
}

} // namespace QZ_ORIS
