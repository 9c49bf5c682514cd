#pragma once

// A small HTTP/1.1 server on a loopback address for the external check's
// tests: answers from a table, counts what it is asked, and never sleeps.

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace twtest {

struct Answer {
    int Status = 200;
    std::string Headers = {};      // extra header lines, each ending in "\r\n"
    int HeadStatus = 0;            // the status for HEAD when it differs
    bool Reset = false;            // the connection is reset instead
    bool Hang = false;             // no answer until the server goes
    int Hold = 0;                  // answered once this many such requests wait
    std::vector<Answer> Then = {}; // the answers to the following requests
};

// The *_proxy variables go: the tests talk to the loopback server itself.
inline void ClearProxies() {
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
}

class LoopbackServer {
public:
    // Listens on Address (127.0.0.x) at a free port; with Tls, it only
    // completes TLS handshakes with a self-signed certificate made now.
    explicit LoopbackServer(const std::string& address = "127.0.0.1", bool tls = false);
    ~LoopbackServer();

    void Route(const std::string& path, Answer answer);
    std::string Url(const std::string& path) const;
    // Requests for Path by method ("HEAD", "GET"); all of them when empty.
    int Requests(const std::string& path, const std::string& method = {});
    int MaxInFlight() const { return maxInFlight_.load(); }
    void ResetCounts();
    // Called on the server's thread when a request for a hanging path arrives.
    std::function<void()> OnHang;

private:
    void Serve(int fd);
    void Handshake(int fd);
    bool Respond(int fd, const std::string& method, const std::string& path);

    std::string address_;
    int port_ = 0;
    int listen_ = -1;
    bool tls_ = false;
    void* ssl_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, Answer> routes_;
    std::map<std::string, size_t> served_; // answers given per path
    std::map<std::string, int> counts_;    // by "METHOD /path", and " /path" for all
    std::pair<int, int> held_;             // held requests waiting, batches released
    std::atomic<int> inFlight_{0}, maxInFlight_{0};
    bool stopping_ = false;
    std::vector<int> connections_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

} // namespace twtest
