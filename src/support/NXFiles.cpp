#include "support/NXFiles.h"

#include "support/AtomicFile.h"
#include "support/Errors.h"
#include "support/FileDescriptor.h"
#include "support/NXStrings.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tw {

namespace {
std::string& ApplicationExeName() {
    static std::string name;
    return name;
}
} // namespace

bool IsPathDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == ':';
#else
    return c == kPathDelim;
#endif
}

static size_t LastDelimiter(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1]))
            return i - 1;
    return std::string_view::npos;
}

std::string ExtractFilePath(std::string_view path) {
    size_t pos = LastDelimiter(path);
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string ExtractFileName(std::string_view path) {
    size_t pos = LastDelimiter(path);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ExtractFileExt(std::string_view path) {
    std::string name = ExtractFileName(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ExpandFileName(std::string_view path) {
    std::string full;
    if (!path.empty() && path[0] == kPathDelim) {
        full = std::string(path);
    } else {
        std::vector<char> buf(4096);
        while (getcwd(buf.data(), buf.size()) == nullptr && errno == ERANGE)
            buf.resize(buf.size() * 2);
        full = std::string(buf.data());
        if (full.empty() || full.back() != kPathDelim)
            full += kPathDelim;
        full += path;
    }
    // Rebuild the path step by step, dropping "." and resolving "..".
    std::vector<std::string_view> steps;
    std::string_view rest(full);
    size_t start = 1;
    while (start <= rest.size()) {
        size_t end = rest.find(kPathDelim, start);
        if (end == std::string_view::npos)
            end = rest.size();
        std::string_view step = rest.substr(start, end - start);
        if (step == "..") {
            if (!steps.empty())
                steps.pop_back();
        } else if (!step.empty() && step != ".") {
            steps.push_back(step);
        }
        start = end + 1;
    }
    bool trailing = !full.empty() &&
                    (full.back() == kPathDelim || full.ends_with("/.") || full.ends_with("/.."));
    std::string result(1, kPathDelim);
    for (size_t i = 0; i < steps.size(); ++i) {
        result += steps[i];
        if (i + 1 < steps.size() || trailing)
            result += kPathDelim;
    }
    return result;
}

std::string ModuleFolder() {
    std::vector<char> buf(4096);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0)
        return {};
    std::string exe(buf.data(), static_cast<size_t>(n));
    TrimAtNull(exe);
    return AddTrailingBackslash(ExtractFilePath(exe));
}

std::string ProgramFolder() {
    std::string folder = ModuleFolder();
    if (!folder.empty())
        return folder;
    return AddTrailingBackslash(ExtractFilePath(ExpandFileName(ApplicationExeName())));
}

void SetApplicationExeName(std::string_view exeName) {
    ApplicationExeName() = exeName;
}

std::string AddTrailingBackslash(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != kPathDelim)
        result += kPathDelim;
    return result;
}

PathStatus StatusOf(const std::string& path) {
    PathStatus status;
    struct stat st {};
    if (path.empty() || path.find('\0') != std::string::npos || stat(path.c_str(), &st) != 0)
        return status;
    status.Kind = S_ISREG(st.st_mode)   ? PathKind::File
                  : S_ISDIR(st.st_mode) ? PathKind::Folder
                                        : PathKind::Other;
    status.Modified = static_cast<std::int64_t>(st.st_mtime);
    return status;
}

bool FileExists(const std::string& path) {
    return StatusOf(path).Kind == PathKind::File;
}

bool FolderExists(const std::string& path) {
    return StatusOf(path).Kind == PathKind::Folder;
}

void DeleteFileQuietly(const std::string& fileName) {
    (void)unlink(fileName.c_str());
}

std::string LoadFileText(const std::string& fileName) {
    FileReader reader(fileName);
    std::string content;
    reader.ReadInto(content, std::string::npos);
    return content;
}

FileReader::FileReader(const std::string& fileName) : fileName_(fileName) {
    struct stat st {};
    errno = 0;
    fd_ = OpenRegularFile(fileName, &st);
    if (!fd_.Valid())
        throw EFOpenError(WithReason(FormatText(kCannotOpenFile, {fileName}),
                                     errno != 0 ? SystemReason(errno) : kNotRegularFile));
    size_ = static_cast<std::uint64_t>(st.st_size);
}

void FileReader::ReadInto(std::string& out, size_t maxBytes) {
    if (size_ > out.size())
        out.reserve(std::min(static_cast<size_t>(size_), maxBytes));
    char buf[65536];
    while (out.size() < maxBytes) {
        ssize_t n = ReadSome(fd_.Get(), buf, std::min(sizeof buf, maxBytes - out.size()));
        if (n < 0)
            throw EFOpenError(
                WithReason(FormatText(kCannotOpenFile, {fileName_}), SystemReason(errno)));
        if (n == 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
}

bool SaveFileText(std::string_view text, const std::string& fileName) {
    AtomicFile file(fileName);
    file.Write(text.data(), text.size());
    file.Commit();
    return true;
}

bool CopyFileNoReplace(const std::string& source, const std::string& dest) {
    UniqueFd in = OpenRegularFile(source);
    if (!in.Valid())
        return false;
    // O_EXCL makes "never replace" hold even against a file that appears now.
    UniqueFd out(open(dest.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!out.Valid())
        return false;
    bool ok = true;
    char buf[65536];
    for (;;) {
        ssize_t n = ReadSome(in.Get(), buf, sizeof buf);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!WriteAll(out.Get(), buf, static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    ok = out.Close() && ok;
    if (!ok)
        unlink(dest.c_str());
    return ok;
}

bool HasInvalidFileNameChars(std::string_view name) {
    return name.find_first_of("\\/:*?\"<>|") != std::string_view::npos;
}

bool MatchesFileTypes(std::string_view fileName, std::string_view maskList) {
    std::string key = "*" + AsciiLowerCase(ExtractFileExt(fileName)) + ";";
    return AsciiLowerCase(maskList).find(key) != std::string::npos;
}

std::string CanonicalFileTypes(std::string_view text) {
    std::string out;
    size_t i = 0;
    auto separator = [](char c) {
        return c == ';' || c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n' ||
               c == '\v' || c == '\f';
    };
    while (i < text.size()) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !separator(text[end]))
            ++end;
        std::string_view entry = text.substr(i, end - i);
        if (entry.front() != '*')
            out += entry.front() == '.' ? "*" : "*.";
        out += entry;
        out += ';';
        i = end;
    }
    return out;
}

FileTypeMatcher::FileTypeMatcher(std::string_view maskList)
    : folded_(AsciiLowerCase(CanonicalFileTypes(maskList))) {}

bool FileTypeMatcher::Matches(std::string_view fileName) const {
    std::string key = "*" + AsciiLowerCase(ExtractFileExt(fileName)) + ";";
    return folded_.find(key) != std::string::npos;
}

std::string LimitLength(std::string_view text, int maxLen) {
    std::string result(text);
    if (maxLen < 0)
        maxLen = 0;
    if (result.size() > static_cast<size_t>(maxLen))
        result.resize(static_cast<size_t>(maxLen));
    TrimAtNull(result);
    return result;
}

std::string RelativeFolder(std::string_view site, std::string_view base) {
    auto steps = [](std::string_view path) {
        std::vector<std::string_view> list;
        size_t start = 0;
        while (start <= path.size()) {
            size_t end = std::min(path.find('/', start), path.size());
            if (end > start)
                list.push_back(path.substr(start, end - start));
            start = end + 1;
        }
        return list;
    };
    const auto to = steps(site), from = steps(base);
    size_t common = 0;
    while (common < to.size() && common < from.size() && to[common] == from[common])
        ++common;
    std::string path;
    for (size_t i = common; i < from.size(); ++i)
        path += "../";
    for (size_t i = common; i < to.size(); ++i)
        path += std::string(to[i]) + "/";
    return path;
}

} // namespace tw
