#include "core/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace twtest {

namespace {

SSL_CTX* SelfSignedContext() {
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509_sign(cert, key, EVP_sha256());
    SSL_CTX_use_certificate(ctx, cert);
    SSL_CTX_use_PrivateKey(ctx, key);
    X509_free(cert);
    EVP_PKEY_free(key);
    return ctx;
}

} // namespace

LoopbackServer::LoopbackServer(const std::string& address, bool tls)
    : address_(address), tls_(tls) {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    socklen_t len = sizeof addr;
    if (bind(listen_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(listen_, 64) != 0 ||
        getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("cannot listen on " + address);
    port_ = ntohs(addr.sin_port);
    if (tls)
        ssl_ = SelfSignedContext();
    acceptor_ = std::thread([this] {
        // Ends when the destructor shuts the listening socket down.
        for (int fd; (fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
            std::lock_guard lock(mutex_);
            connections_.push_back(fd);
            threads_.emplace_back([this, fd] { tls_ ? Handshake(fd) : Serve(fd); });
        }
    });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        shutdown(listen_, SHUT_RDWR);
        for (int fd : connections_)
            shutdown(fd, SHUT_RDWR);
    }
    changed_.notify_all();
    acceptor_.join();
    for (std::thread& t : threads_)
        t.join();
    for (int fd : connections_)
        close(fd);
    close(listen_);
    SSL_CTX_free(static_cast<SSL_CTX*>(ssl_));
}

void LoopbackServer::Route(const std::string& path, Answer answer) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(answer);
}

std::string LoopbackServer::Url(const std::string& path) const {
    return std::string(tls_ ? "https" : "http") + "://" + address_ + ":" + std::to_string(port_) +
           path;
}

int LoopbackServer::Requests(const std::string& path, const std::string& method) {
    std::lock_guard lock(mutex_);
    return counts_[method + " " + path];
}

void LoopbackServer::ResetCounts() {
    std::lock_guard lock(mutex_);
    counts_.clear();
    served_.clear();
    maxInFlight_ = 0;
}

void LoopbackServer::Handshake(int fd) {
    SSL* ssl = SSL_new(static_cast<SSL_CTX*>(ssl_));
    SSL_set_fd(ssl, fd);
    SSL_accept(ssl); // the client is to refuse the certificate
    SSL_free(ssl);
}

void LoopbackServer::Serve(int fd) {
    std::string buffer;
    char chunk[4096];
    for (;;) {
        size_t end = buffer.find("\r\n\r\n");
        if (end == std::string::npos) {
            ssize_t n = read(fd, chunk, sizeof chunk);
            if (n <= 0)
                return;
            buffer.append(chunk, static_cast<size_t>(n));
            continue;
        }
        std::string line = buffer.substr(0, buffer.find("\r\n"));
        buffer.erase(0, end + 4);
        size_t space = line.find(' ');
        std::string method = line.substr(0, space);
        std::string path = line.substr(space + 1, line.find(' ', space + 1) - space - 1);
        if (!Respond(fd, method, path))
            return;
    }
}

bool LoopbackServer::Respond(int fd, const std::string& method, const std::string& path) {
    int now = ++inFlight_;
    for (int seen = maxInFlight_; now > seen && !maxInFlight_.compare_exchange_weak(seen, now);) {
    }
    Answer answer;
    {
        std::unique_lock lock(mutex_);
        counts_[method + " " + path]++;
        counts_[" " + path]++;
        auto it = routes_.find(path);
        answer = it == routes_.end() ? Answer{.Status = 404} : it->second;
        size_t turn = served_[path]++;
        if (turn > 0 && !answer.Then.empty())
            answer = answer.Then[std::min(turn, answer.Then.size()) - 1];
        if (answer.Hold > 0) {
            // Released together, a batch at a time.
            auto& [held, batch] = held_;
            if (++held >= answer.Hold) {
                held = 0;
                ++batch;
                changed_.notify_all();
            } else {
                changed_.wait(lock, [&, mine = batch] { return batch != mine || stopping_; });
            }
        }
    }
    if (answer.Hang) {
        if (OnHang)
            OnHang();
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopping_; });
        --inFlight_;
        return false;
    }
    if (answer.Reset) {
        linger off{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
        std::lock_guard lock(mutex_);
        std::erase(connections_, fd);
        close(fd);
        --inFlight_;
        return false;
    }
    int status = method == "HEAD" && answer.HeadStatus != 0 ? answer.HeadStatus : answer.Status;
    std::string body = status == 204 || status == 304 ? "" : "<p>answer</p>\n";
    std::string text = "HTTP/1.1 " + std::to_string(status) + " X\r\n" + answer.Headers +
                       "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                       (method == "HEAD" ? "" : body);
    --inFlight_;
    return write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

} // namespace twtest
