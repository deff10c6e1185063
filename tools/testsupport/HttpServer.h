#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// A small HTTP server on 127.0.0.1 for tests of code that downloads: it serves canned
// responses by request target (path and query) and records every target asked for. It runs
// on its own thread from construction until Stop() or destruction.
class HttpServer {
public:
    struct Response {
        int status = 200;
        std::string body;
        std::string contentType = "text/xml; charset=utf-8";
        std::string location;     // sent as Location (for redirects) when not empty
        bool neverAnswer = false; // read the request, then keep silent until the server stops
        // Send the head and only this many bytes of the body, then keep silent until the
        // server stops (a server that stalls in the middle of an answer).
        size_t stallAfter = SIZE_MAX;
        // Send the head and only this many bytes of the body, then close the connection (a
        // server that goes away in the middle of an answer).
        size_t closeAfter = SIZE_MAX;
        // Without Content-Length the body ends when the connection closes.
        bool withLength = true;
        // Only for the default response: sent as soon as a client connects, before its
        // request (what a client that expects TLS takes for a broken handshake).
        bool beforeRequest = false;
    };

    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Stops serving and closes every connection; the port then refuses connections.
    void Stop();

    uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string BaseUrl() const;

    // The response for one request target, e.g. "/API/?format=xml&method=getClub&id=ABC".
    void Set(const std::string& target, Response response);
    // The response for targets without their own (at first: 404 with a small HTML page).
    void SetDefault(Response response);
    // Targets asked for, in order.
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Handle(int fd);

    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Response> responses_;
    Response default_;
    std::vector<std::string> requests_;
    std::vector<int> silent_; // connections held open without an answer
};

} // namespace testsupport
