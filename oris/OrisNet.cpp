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
#include <thread>

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
    std::string statusLine; // of the last response, "HTTP/1.1 500 Internal Server Error"
};

// Keeps the status line of the last response (after redirects, the final one's).
size_t KeepStatusLine(char* data, size_t size, size_t count, void* userData) {
    auto* sink = static_cast<Sink*>(userData);
    const std::string_view line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        sink->statusLine = line.substr(0, line.find_first_of("\r\n"));
    }
    return size * count;
}

// "HTTP 500 Internal Server Error": the status and the server's own words for it, if any.
std::string HttpReason(long status, const std::string& statusLine) {
    std::string text = "HTTP " + std::to_string(status);
    const size_t code = statusLine.find(' ');
    const size_t words = code == std::string::npos ? code : statusLine.find(' ', code + 1);
    if (words != std::string::npos && words + 1 < statusLine.size()) {
        text += statusLine.substr(words);
    }
    return text;
}

std::string Seconds(long ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g s", static_cast<double>(ms) / 1000.0);
    return buf;
}

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
      stallTimeoutMs_(stallTimeoutMs), maxBytes_(maxBytes) {
    // Here, on the thread that makes it: libcurl's set-up is not safe beside other threads.
    InitCurlOnce();
}

void CurlDownloader::Zastav() {
    stop_ = true;
    std::lock_guard lock(activeMutex_);
    if (active_ != nullptr) {
        curl_multi_wakeup(static_cast<CURLM*>(active_));
    }
}

bool CurlDownloader::StahniSoubor(const std::string& url, const std::filesystem::path& file) {
    lastError_.clear();
    if (stop_) {
        lastError_ = "download stopped";
        return false;
    }
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
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, KeepStatusLine);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &sink);
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

    // Driven here rather than by curl_easy_perform, so that Zastav can wake it at once.
    CURLM* multi = curl_multi_init();
    CURLcode code = CURLE_FAILED_INIT;
    bool stopped = false;
    if (multi != nullptr && curl_multi_add_handle(multi, curl) == CURLM_OK) {
        {
            std::lock_guard lock(activeMutex_);
            active_ = multi;
        }
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                break;
            }
            if (running == 0) {
                int left = 0;
                while (const CURLMsg* msg = curl_multi_info_read(multi, &left)) {
                    if (msg->msg == CURLMSG_DONE) {
                        code = msg->data.result;
                    }
                }
                break;
            }
            if (stop_) {
                stopped = true;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        }
        {
            std::lock_guard lock(activeMutex_);
            active_ = nullptr;
        }
        curl_multi_remove_handle(multi, curl);
    }
    if (multi != nullptr) {
        curl_multi_cleanup(multi);
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    const bool written = std::fclose(out) == 0;

    if (stopped) {
        lastError_ = "download stopped";
    } else if (code != CURLE_OK) {
        lastError_ = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
        if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
            lastError_ = "the answer is larger than " + std::to_string(maxBytes_) + " bytes";
        } else if (sink.stalled) {
            lastError_ = "the server sent nothing for " + Seconds(stallTimeoutMs_);
        }
    } else if (status < 200 || status > 299) {
        lastError_ = HttpReason(status, sink.statusLine);
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

BackgroundDownloader::BackgroundDownloader(std::unique_ptr<Downloader> inner, Wait wait)
    : inner_(std::move(inner)), wait_(std::move(wait)) {}

bool BackgroundDownloader::StahniSoubor(const std::string& url, const std::filesystem::path& file) {
    std::atomic<bool> finished{false};
    bool ok = false;
    std::thread worker([&] {
        ok = inner_->StahniSoubor(url, file);
        finished = true;
    });
    wait_([&finished] { return finished.load(); });
    worker.join();
    return ok;
}

} // namespace QZ_ORIS
