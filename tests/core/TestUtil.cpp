#include "core/TestUtil.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <linux/capability.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace twtest {

namespace {

// Reads (Set false) or sets the calling thread's capabilities.
bool Capabilities(bool set, __user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}

} // namespace

PermissionsHold::PermissionsHold() {
    __user_cap_data_struct data[2]{};
    saved_ = Capabilities(false, data) ? data[0].effective : 0;
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    changed_ = data[0].effective != saved_ && Capabilities(true, data);
}

PermissionsHold::~PermissionsHold() {
    __user_cap_data_struct data[2]{};
    if (changed_ && Capabilities(false, data)) {
        data[0].effective = saved_;
        Capabilities(true, data);
    }
}

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tw-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = std::string(buf.data()) + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    // Restore permissions a test may have taken away, so everything goes.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& relative, const std::string& content) const {
    fs::path p = fs::path(path_) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + p.string());
    return p.string();
}

std::string TempDir::MakeDir(const std::string& relative) const {
    fs::path p = fs::path(path_) / relative;
    fs::create_directories(p);
    std::string s = p.string();
    if (s.back() != '/')
        s += '/';
    return s;
}

SocketFile::SocketFile(const std::string& path) : fd_(socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (fd_ < 0 || path.size() >= sizeof addr.sun_path)
        return;
    std::copy(path.begin(), path.end(), addr.sun_path);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error("cannot bind a socket at " + path);
}

SocketFile::~SocketFile() {
    if (fd_ >= 0)
        close(fd_);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

std::string Utf16Page(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char bytes[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        out += bytes[bigEndian ? 1 : 0];
        out += bytes[bigEndian ? 0 : 1];
    }
    return out;
}

std::string CrLfLines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& l : lines)
        out += "\r\n" + l;
    return out;
}

} // namespace twtest
