#include "HttpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

void SendAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

} // namespace

HttpServer::HttpServer() {
    default_.status = 404;
    default_.contentType = "text/html";
    default_.body = "<html><body><h1>404 Not Found</h1></body></html>";

    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        throw std::runtime_error("socket");
    }
    const int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 16) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
        ::pipe2(wakeFds_, O_CLOEXEC) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

HttpServer::~HttpServer() {
    Stop();
}

void HttpServer::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    stopping_ = true;
    const char byte = 1;
    (void)!::write(wakeFds_[1], &byte, 1);
    thread_.join();
    ::close(listenFd_);
    ::close(wakeFds_[0]);
    ::close(wakeFds_[1]);
    for (const int fd : silent_) {
        ::close(fd);
    }
    silent_.clear();
}

std::string HttpServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void HttpServer::Set(const std::string& target, Response response) {
    std::lock_guard lock(mutex_);
    responses_[target] = std::move(response);
}

void HttpServer::SetDefault(Response response) {
    std::lock_guard lock(mutex_);
    default_ = std::move(response);
}

std::vector<std::string> HttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void HttpServer::Serve() {
    while (!stopping_) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                Handle(fd);
            }
        }
    }
}

void HttpServer::Handle(int fd) {
    Response early;
    {
        std::lock_guard lock(mutex_);
        early = default_;
    }
    if (early.beforeRequest) {
        SendAll(fd, "HTTP/1.1 " + std::to_string(early.status) + " " + Reason(early.status) +
                        "\r\nConnection: close\r\n\r\n" + early.body);
        ::shutdown(fd, SHUT_WR);
        // Until the client gives up: closing with its bytes unread would reset the connection
        // before it has read the answer.
        for (pollfd p{fd, POLLIN, 0}; ::poll(&p, 1, 2000) > 0;) {
            char buf[4096];
            if (::recv(fd, buf, sizeof buf, 0) <= 0) {
                break;
            }
        }
        ::close(fd);
        return;
    }
    // Read the request head; a client that sends nothing for 5 s is dropped.
    std::string head;
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) {
            ::close(fd);
            return;
        }
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) {
            ::close(fd);
            return;
        }
        head.append(buf, static_cast<size_t>(n));
    }
    // "GET <target> HTTP/1.1"
    const size_t sp1 = head.find(' ');
    const size_t sp2 = sp1 == std::string::npos ? sp1 : head.find(' ', sp1 + 1);
    const std::string target =
        sp2 == std::string::npos ? std::string() : head.substr(sp1 + 1, sp2 - sp1 - 1);

    Response r;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(target);
        const auto it = responses_.find(target);
        r = it != responses_.end() ? it->second : default_;
    }
    if (r.neverAnswer) {
        silent_.push_back(fd);
        return;
    }
    std::string reply = "HTTP/1.1 " + std::to_string(r.status) + " " + Reason(r.status) +
                        "\r\nContent-Type: " + r.contentType + "\r\nConnection: close\r\n";
    if (r.withLength) {
        reply += "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
    }
    if (!r.location.empty()) {
        reply += "Location: " + r.location + "\r\n";
    }
    reply += "\r\n";
    if (r.closeAfter < r.body.size()) {
        SendAll(fd, reply + r.body.substr(0, r.closeAfter));
        ::shutdown(fd, SHUT_WR);
        ::close(fd);
        return;
    }
    if (r.stallAfter < r.body.size()) {
        SendAll(fd, reply + r.body.substr(0, r.stallAfter));
        silent_.push_back(fd);
        return;
    }
    SendAll(fd, reply + r.body);
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}

} // namespace testsupport
