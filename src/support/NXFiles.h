#pragma once

// File and path routines. Paths use the platform separator; folder paths
// produced here end in it.

#include "support/FileDescriptor.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
#else
inline constexpr char kPathDelim = '/';
#endif

// True for the characters that end the folder part of a path.
bool IsPathDelimiter(char c);

// Text up to and including the last separator (on Windows also ":").
std::string ExtractFilePath(std::string_view path);
// Text after the last separator (on Windows also ":").
std::string ExtractFileName(std::string_view path);
// Extension of the file name part, dot included; empty when it has no dot.
std::string ExtractFileExt(std::string_view path);

// An absolute path: relative paths are taken from the current folder, and
// "." and ".." steps are removed lexically (links are not resolved).
std::string ExpandFileName(std::string_view path);

// Folder of the running executable with a trailing separator, or empty when
// the platform does not report it.
std::string ModuleFolder();
// ModuleFolder, or the folder of the executable name the program was started
// with (see SetApplicationExeName) when that is empty.
std::string ProgramFolder();
// Records argv[0] for ProgramFolder's fallback.
void SetApplicationExeName(std::string_view exeName);

// The path that leads from the folder Base to the folder Site, both absolute
// and expanded: "" for the same folder, else ending in "/" ("public/",
// "../site/").
std::string RelativeFolder(std::string_view site, std::string_view base);

// Appends the separator unless Path is empty or already ends in one.
std::string AddTrailingBackslash(std::string_view path);

// What a path names, links followed. A path holding a NUL byte (a decoded
// "%00") names nothing a file system can hold.
enum class PathKind { Missing, File, Folder, Other };
struct PathStatus {
    PathKind Kind = PathKind::Missing;
    std::int64_t Modified = 0; // seconds since the epoch; 0 when Missing
};
PathStatus StatusOf(const std::string& path);

bool FileExists(const std::string& path);   // an existing regular file, links followed
bool FolderExists(const std::string& path); // an existing folder, links followed

void DeleteFileQuietly(const std::string& fileName);

// The whole file as bytes; raises EFOpenError "Cannot open file %s".
std::string LoadFileText(const std::string& fileName);
// A regular file read from its start, a part at a time, through one open.
// Raises as LoadFileText.
class FileReader {
public:
    explicit FileReader(const std::string& fileName);
    // The size the file had when it was opened.
    std::uint64_t Size() const { return size_; }
    // Appends what follows in the file to Out until Out holds MaxBytes or
    // the file ends.
    void ReadInto(std::string& out, size_t maxBytes);

private:
    std::string fileName_;
    UniqueFd fd_;
    std::uint64_t size_ = 0;
};

// Writes Text as the whole content of FileName. The old file is replaced only
// once the new content is completely on disk, so a failed write never loses
// it. Raises EFCreateError "Cannot create file %s" or EWriteError
// "Stream write error".
bool SaveFileText(std::string_view text, const std::string& fileName);

// Copies Source to Dest unless Dest exists; false when nothing was copied.
bool CopyFileNoReplace(const std::string& source, const std::string& dest);

bool HasInvalidFileNameChars(std::string_view name);

// True when "*" + the lower-cased extension + ";" occurs in the lower-cased
// mask list.
bool MatchesFileTypes(std::string_view fileName, std::string_view maskList);

// The canonical mask list of what a user typed: entries separated by ";",
// "," or white space, "ext" and ".ext" written "*.ext" ("*" and entries that
// start with "*" as given), in the order given, each followed by ";". Empty
// when the text holds no entry.
std::string CanonicalFileTypes(std::string_view text);

// MatchesFileTypes with the mask list made canonical and folded once, for
// tests of many files: a list read from a profile file matches every type
// it names, whatever its separators.
class FileTypeMatcher {
public:
    explicit FileTypeMatcher(std::string_view maskList);
    bool Matches(std::string_view fileName) const;

private:
    std::string folded_;
};

// The first MaxLen characters of Text, cut at its first NUL.
std::string LimitLength(std::string_view text, int maxLen);

} // namespace tw
