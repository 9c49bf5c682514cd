// The stand-in for the web that bench/external.sh checks against: an HTTP/1.1
// server on the loopback addresses 127.0.0.1 to 127.0.0.H (one host each,
// every address bound on its own), one thread on epoll. Every answer leaves
// after a set latency, kept by a timer, so a slow answer never holds up the
// others. What an URL answers follows from its path, so the script knows the
// findings to expect:
//
//   /x/N/ok      200                    /x/N/e404, e410, e500  that status
//   /x/N/m301    301 to /x/N/m301/to, a 200 ("moved permanently")
//   /x/N/d301    301 to /x/N/d301/to, a 404
//   /x/N/c302    302 to /x/N/c302/1, 302 to /x/N/c302/2, a 200
//   /x/N/loop    302 to /x/N/loop/b, 302 back to /x/N/loop
//   /x/N/h405    405 to HEAD, 200 to GET
//   /robots.txt  allows everything; anything else 404
//
// It counts the requests per URL and method, and the most requests in flight
// (read, not yet answered) per host, and answers GET /__stats with them as
// JSON, starting the counts afresh; SIGTERM writes them to --stats FILE too.
//
//   loopback_server --hosts H [--latency MS] [--port P] [--port-file FILE]
//                   [--stats FILE]

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <queue>
#include <string>
#include <string_view>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t stopping = 0;
void OnSignal(int) {
    stopping = 1;
}

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "loopback_server: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

struct Connection {
    int Fd = -1;
    int Host = 0; // 0 for 127.0.0.1
    std::uint64_t Serial = 0;
    std::string In, Out;
    bool Waiting = false;    // a request read, its answer not yet written
    bool CloseAfter = false; // the client asked for it
    bool Writing = false;    // EPOLLOUT is on
};

struct Due {
    Clock::time_point At;
    int Fd;
    std::uint64_t Serial;
    std::string Answer;
    bool operator>(const Due& o) const { return At > o.At; }
};

// Paths as JSON string contents: a peer may ask for any bytes.
std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char ch : text) {
        if (ch == '"' || ch == '\\' || ch < 0x20 || ch >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", ch);
            out += hex;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out;
}

struct Counts {
    std::uint64_t Head = 0, Get = 0;
};

class Server {
public:
    Server(int hosts, int latencyMs) : hosts_(hosts), latency_(latencyMs), inFlight_(hosts, 0) {
        connectionsOf_.assign(hosts, 0);
        epoll_ = epoll_create1(EPOLL_CLOEXEC);
        if (epoll_ < 0)
            Die("epoll_create1");
        ResetCounts();
    }

    // Binds every address on one port: Port, or a free one when 0.
    int Listen(int port) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            std::vector<int> fds;
            int chosen = port;
            bool ok = true;
            for (int h = 0; h < hosts_ && ok; ++h) {
                int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
                if (fd < 0)
                    Die("socket");
                int one = 1;
                setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
                sockaddr_in addr{};
                addr.sin_family = AF_INET;
                addr.sin_port = htons(static_cast<std::uint16_t>(chosen));
                addr.sin_addr.s_addr = htonl(0x7F000001u + static_cast<std::uint32_t>(h));
                if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
                    if (errno != EADDRINUSE || port != 0)
                        Die("bind 127.0.0." + std::to_string(h + 1));
                    close(fd);
                    ok = false;
                    break;
                }
                if (chosen == 0) {
                    socklen_t len = sizeof addr;
                    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
                    chosen = ntohs(addr.sin_port);
                }
                if (listen(fd, 4096) != 0)
                    Die("listen");
                fds.push_back(fd);
            }
            if (!ok) {
                for (int fd : fds)
                    close(fd);
                continue;
            }
            for (int h = 0; h < hosts_; ++h) {
                listenHost_[fds[h]] = h;
                Watch(fds[h], EPOLLIN, EPOLL_CTL_ADD);
            }
            port_ = chosen;
            return chosen;
        }
        errno = EADDRINUSE;
        Die("no port free on every address");
    }

    void Run() {
        std::vector<epoll_event> events(1024);
        while (stopping == 0) {
            int timeout = -1;
            if (!due_.empty()) {
                auto wait =
                    std::chrono::ceil<std::chrono::milliseconds>(due_.top().At - Clock::now());
                timeout = static_cast<int>(std::max<long long>(0, wait.count()));
            }
            int n = epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), timeout);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                Die("epoll_wait");
            }
            for (int i = 0; i < n; ++i) {
                int fd = events[i].data.fd;
                if (auto l = listenHost_.find(fd); l != listenHost_.end()) {
                    Accept(fd, l->second);
                    continue;
                }
                auto it = connections_.find(fd);
                if (it == connections_.end())
                    continue;
                if ((events[i].events & EPOLLOUT) != 0) {
                    if (!Flush(it->second))
                        continue;
                    Next(it->second);
                }
                if ((events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0)
                    Read(it->second);
            }
            SendDue();
        }
    }

    std::string Stats() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        std::string json =
            "{\"requests\": " + std::to_string(requests_) + ", \"head\": " + std::to_string(head_) +
            ", \"get\": " + std::to_string(get_) + ", \"other\": " + std::to_string(other_) +
            ", \"robots_txt\": " + std::to_string(robots_) +
            ", \"max_in_flight_per_host\": " + std::to_string(maxPerHost_) +
            ", \"max_in_flight\": " + std::to_string(maxInFlight_) +
            ", \"max_connections_per_host\": " + std::to_string(maxConnPerHost_) +
            ", \"connections\": " + std::to_string(accepted_) +
            ", \"late_ms_max\": " + std::to_string(lateMax_ / 1000.0) + ", \"late_ms_mean\": " +
            std::to_string(answered_ == 0 ? 0.0 : lateSum_ / 1000.0 / answered_) +
            ", \"cpu_s\": " + std::to_string(cpu - cpuAtReset_) + ", \"urls\": {";
        bool first = true;
        for (const auto& [url, c] : urls_) {
            json += (first ? "\n\"" : ",\n\"") + Escaped(url) + "\": [" + std::to_string(c.Head) +
                    ", " + std::to_string(c.Get) + "]";
            first = false;
        }
        json += "}}\n";
        cpuAtReset_ = cpu;
        return json;
    }

    void ResetCounts() {
        urls_.clear();
        requests_ = head_ = get_ = other_ = robots_ = accepted_ = answered_ = 0;
        lateSum_ = 0;
        lateMax_ = 0;
        maxInFlight_ = 0;
        maxPerHost_ = 0;
        // Connections kept open from before count as they stand.
        maxConnPerHost_ = 0;
        for (int c : connectionsOf_)
            maxConnPerHost_ = std::max(maxConnPerHost_, c);
    }

private:
    void Watch(int fd, std::uint32_t events, int op) {
        epoll_event ev{};
        ev.events = events;
        ev.data.fd = fd;
        if (epoll_ctl(epoll_, op, fd, &ev) != 0)
            Die("epoll_ctl");
    }

    void Accept(int listenFd, int host) {
        for (;;) {
            int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED)
                    return;
                if (errno == EMFILE || errno == ENFILE) {
                    std::fprintf(stderr, "loopback_server: out of file descriptors\n");
                    return;
                }
                Die("accept4");
            }
            int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            Connection& c = connections_[fd];
            c.Fd = fd;
            c.Host = host;
            c.Serial = ++serial_;
            Watch(fd, EPOLLIN, EPOLL_CTL_ADD);
            ++accepted_;
            maxConnPerHost_ = std::max(maxConnPerHost_, ++connectionsOf_[host]);
        }
    }

    void Close(Connection& c) {
        if (c.Waiting)
            --inFlight_[c.Host];
        --connectionsOf_[c.Host];
        epoll_ctl(epoll_, EPOLL_CTL_DEL, c.Fd, nullptr);
        close(c.Fd);
        connections_.erase(c.Fd);
    }

    void Read(Connection& c) {
        char buffer[16384];
        for (;;) {
            ssize_t n = read(c.Fd, buffer, sizeof buffer);
            if (n > 0) {
                c.In.append(buffer, static_cast<size_t>(n));
                if (c.In.size() > 65536) { // no request of ours is this long
                    Close(c);
                    return;
                }
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                break;
            Close(c); // the client went
            return;
        }
        Next(c);
    }

    // Starts on the next request read, unless one is being answered.
    void Next(Connection& c) {
        if (c.Waiting)
            return;
        size_t end = c.In.find("\r\n\r\n");
        if (end == std::string::npos)
            return;
        std::string head = c.In.substr(0, end + 2);
        c.In.erase(0, end + 4);
        std::string_view line(head.data(), head.find("\r\n"));
        size_t s1 = line.find(' ');
        size_t s2 = s1 == std::string_view::npos ? s1 : line.find(' ', s1 + 1);
        if (s2 == std::string_view::npos) {
            Close(c);
            return;
        }
        std::string method(line.substr(0, s1));
        std::string target(line.substr(s1 + 1, s2 - s1 - 1));
        std::string version(line.substr(s2 + 1));
        std::string lower = head;
        for (char& ch : lower)
            ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        c.CloseAfter =
            lower.find("\nconnection: close") != std::string::npos ||
            (version == "HTTP/1.0" && lower.find("\nconnection: keep-alive") == std::string::npos);
        if (target.find("://") != std::string::npos) // absolute form
            target = target.substr(target.find('/', target.find("://") + 3));
        std::string path = target.substr(0, target.find('?'));
        c.Waiting = true;
        int& flight = ++inFlight_[c.Host];
        if (path == "/__stats") {
            --flight;
            c.Waiting = false;
            std::string body = Stats();
            ResetCounts();
            c.Out += Head(200, "application/json", body.size(), {}) + body;
            Flush(c);
            return;
        }
        maxPerHost_ = std::max(maxPerHost_, flight);
        int total = 0;
        for (int f : inFlight_)
            total += f;
        maxInFlight_ = std::max(maxInFlight_, total);
        std::string answer = Answer(c.Host, method, path);
        due_.push({Clock::now() + latency_, c.Fd, c.Serial, std::move(answer)});
    }

    std::string Head(int status, const char* type, size_t length, const std::string& extra) {
        const char* reason = status == 200   ? "OK"
                             : status == 301 ? "Moved Permanently"
                             : status == 302 ? "Found"
                             : status == 404 ? "Not Found"
                             : status == 405 ? "Method Not Allowed"
                             : status == 410 ? "Gone"
                                             : "Internal Server Error";
        // "LinkChecker" lifts LinkChecker's own limit of ten requests a second
        // to a host: the documented way for a server that allows more.
        return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: " + type +
               "\r\nContent-Length: " + std::to_string(length) + "\r\nLinkChecker: yes\r\n" +
               extra + "\r\n";
    }

    std::string Answer(int host, const std::string& method, const std::string& path) {
        bool head = method == "HEAD";
        bool get = method == "GET";
        if (path == "/robots.txt") {
            ++robots_;
            std::string body = "User-agent: *\nDisallow:\n";
            return Head(200, "text/plain", body.size(), {}) + (head ? "" : body);
        }
        ++requests_;
        Counts& counts = urls_["127.0.0." + std::to_string(host + 1) + path];
        if (head) {
            ++head_;
            ++counts.Head;
        } else if (get) {
            ++get_;
            ++counts.Get;
        } else {
            ++other_;
        }
        std::string base =
            "http://127.0.0." + std::to_string(host + 1) + ":" + std::to_string(port_);
        int status = 404;
        std::string location;
        // /x/N/KIND[/STEP]
        std::string kind, step;
        if (path.starts_with("/x/")) {
            size_t a = path.find('/', 3);
            if (a != std::string::npos) {
                size_t b = path.find('/', a + 1);
                kind = path.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
                step = b == std::string::npos ? "" : path.substr(b + 1);
            }
        }
        std::string root = path.substr(0, path.size() - (step.empty() ? 0 : step.size() + 1));
        if (step.empty()) {
            if (kind == "ok")
                status = 200;
            else if (kind == "e404" || kind == "e410" || kind == "e500")
                status = std::atoi(kind.c_str() + 1);
            else if (kind == "m301" || kind == "d301")
                status = 301, location = root + "/to";
            else if (kind == "c302")
                status = 302, location = root + "/1";
            else if (kind == "loop")
                status = 302, location = root + "/b";
            else if (kind == "h405")
                status = head ? 405 : 200;
        } else if (kind == "m301" && step == "to") {
            status = 200;
        } else if (kind == "c302" && step == "1") {
            status = 302, location = root + "/2";
        } else if (kind == "c302" && step == "2") {
            status = 200;
        } else if (kind == "loop" && step == "b") {
            status = 302, location = root;
        }
        if (!head && !get)
            status = 405;
        std::string body = status == 200 ? "ok\n" : std::to_string(status) + "\n";
        std::string extra = location.empty() ? "" : "Location: " + base + location + "\r\n";
        return Head(status, "text/plain", body.size(), extra) + (head ? "" : body);
    }

    void SendDue() {
        Clock::time_point now = Clock::now();
        while (!due_.empty() && due_.top().At <= now) {
            Due d = due_.top();
            due_.pop();
            auto it = connections_.find(d.Fd);
            if (it == connections_.end() || it->second.Serial != d.Serial)
                continue; // the client left before its answer
            auto late = std::chrono::duration_cast<std::chrono::microseconds>(now - d.At).count();
            lateSum_ += static_cast<double>(late);
            lateMax_ = std::max<long long>(lateMax_, late);
            ++answered_;
            Connection& c = it->second;
            c.Out += d.Answer;
            c.Waiting = false;
            --inFlight_[c.Host];
            if (Flush(c))
                Next(c);
        }
    }

    // Writes what is pending; false when the connection is gone.
    bool Flush(Connection& c) {
        while (!c.Out.empty()) {
            ssize_t n = write(c.Fd, c.Out.data(), c.Out.size());
            if (n > 0) {
                c.Out.erase(0, static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN) {
                if (!c.Writing) {
                    c.Writing = true;
                    Watch(c.Fd, EPOLLIN | EPOLLOUT, EPOLL_CTL_MOD);
                }
                return true;
            }
            Close(c);
            return false;
        }
        if (c.Writing) {
            c.Writing = false;
            Watch(c.Fd, EPOLLIN, EPOLL_CTL_MOD);
        }
        if (c.CloseAfter && !c.Waiting) {
            Close(c);
            return false;
        }
        return true;
    }

    int hosts_;
    std::chrono::milliseconds latency_;
    int port_ = 0;
    int epoll_ = -1;
    std::uint64_t serial_ = 0;
    std::unordered_map<int, int> listenHost_;
    std::unordered_map<int, Connection> connections_;
    std::priority_queue<Due, std::vector<Due>, std::greater<>> due_;
    std::vector<int> inFlight_, connectionsOf_;
    std::map<std::string, Counts> urls_;
    std::uint64_t requests_ = 0, head_ = 0, get_ = 0, other_ = 0, robots_ = 0, accepted_ = 0,
                  answered_ = 0;
    double lateSum_ = 0, cpuAtReset_ = 0;
    long long lateMax_ = 0;
    int maxInFlight_ = 0, maxPerHost_ = 0, maxConnPerHost_ = 0;
};

void WriteText(const std::string& path, const std::string& text) {
    std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size() ||
        std::fclose(f) != 0 || std::rename(temp.c_str(), path.c_str()) != 0)
        Die(path);
}

[[noreturn]] void Usage() {
    std::fprintf(stderr, "usage: loopback_server --hosts H [--latency MS] [--port P] "
                         "[--port-file FILE] [--stats FILE]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv) {
    int hosts = 1, latency = 50, port = 0;
    std::string portFile, statsFile;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc)
            Usage();
        std::string value = argv[++i];
        if (arg == "--hosts")
            hosts = std::atoi(value.c_str());
        else if (arg == "--latency")
            latency = std::atoi(value.c_str());
        else if (arg == "--port")
            port = std::atoi(value.c_str());
        else if (arg == "--port-file")
            portFile = value;
        else if (arg == "--stats")
            statsFile = value;
        else
            Usage();
    }
    if (hosts < 1 || hosts > 254 || latency < 0 || port < 0 || port > 65535)
        Usage();
    // Peers open many connections at once.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    Server server(hosts, latency);
    int chosen = server.Listen(port);
    if (!portFile.empty())
        WriteText(portFile, std::to_string(chosen) + "\n");
    server.Run();
    if (!statsFile.empty())
        WriteText(statsFile, server.Stats());
    return 0;
}
