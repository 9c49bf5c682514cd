#pragma once

#include <string>
#include <string_view>

namespace twtest {

// A folder of its own under the system's temporary folder, removed with
// everything in it when the object goes. Path() ends in "/".
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + Relative.
    std::string operator/(const std::string& relative) const { return path_ + relative; }

    // Creates a file (and its folders) with the given content; returns its path.
    std::string Write(const std::string& relative, const std::string& content = "") const;
    // Creates a folder (and its parents); returns its path with a trailing "/".
    std::string MakeDir(const std::string& relative) const;

private:
    std::string path_;
};

std::string ReadAll(const std::string& path);

// A bound Unix socket at Path, closed with the object; it stays a plain
// missing file when Path is too long for a socket address.
class SocketFile {
public:
    explicit SocketFile(const std::string& path);
    ~SocketFile();
    SocketFile(const SocketFile&) = delete;
    SocketFile& operator=(const SocketFile&) = delete;

private:
    int fd_;
};
bool Exists(const std::string& path);

// While it lives, file permissions hold for this thread and those it starts,
// even as root: the overrides leave the effective capabilities meanwhile.
class PermissionsHold {
public:
    PermissionsHold();
    ~PermissionsHold();
    PermissionsHold(const PermissionsHold&) = delete;
    PermissionsHold& operator=(const PermissionsHold&) = delete;

private:
    unsigned saved_ = 0;
    bool changed_ = false;
};

// A page's text as UTF-16 bytes of either order, after a byte-order mark.
std::string Utf16Page(std::u16string_view text, bool bigEndian);

// Joins lines with CR LF, each prefixed with CR LF as the writer does.
std::string CrLfLines(std::initializer_list<std::string> lines);

} // namespace twtest
