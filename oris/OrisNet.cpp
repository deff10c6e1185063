#include "OrisNet.h"

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

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

CurlDownloader::CurlDownloader(long connectTimeoutMs, long totalTimeoutMs)
    : connectTimeoutMs_(connectTimeoutMs), totalTimeoutMs_(totalTimeoutMs) {}

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
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs_);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, totalTimeoutMs_);
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
