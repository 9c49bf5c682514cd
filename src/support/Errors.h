#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace tw {

// Base of every error the program raises; the message is shown to the user
// as it stands, so it is always complete text.
class TError : public std::runtime_error {
public:
    explicit TError(const std::string& message) : std::runtime_error(message) {}
};

// A file could not be opened for reading.
class EFOpenError : public TError {
    using TError::TError;
};

// A file could not be created or truncated for writing.
class EFCreateError : public TError {
    using TError::TError;
};

// Writing to an open file failed part way.
class EWriteError : public TError {
    using TError::TError;
};

// Replaces each "%s" of Pattern, left to right, by the next argument.
// Missing arguments leave the remaining "%s" as they are.
std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args);

// What the system says of an errno value ("Permission denied").
std::string SystemReason(int error);
// An error's text followed by its reason, so the user learns why a file
// could not be written or read: "Cannot create file x: Permission denied".
std::string WithReason(const std::string& text, const std::string& reason);
// A failed write of a file told as the failed creation of that file, with
// the system's reason kept: "Cannot create file x: No space left on device".
// A creation error passes unchanged.
[[noreturn]] void ThrowCannotCreate(const std::string& path, const std::exception& cause);
// The reason for a path that names something other than a regular file.
inline constexpr const char* kNotRegularFile = "Not a regular file";

inline constexpr const char* kCannotOpenFile = "Cannot open file %s";
inline constexpr const char* kCannotCreateFile = "Cannot create file %s";
inline constexpr const char* kStreamWriteError = "Stream write error";

} // namespace tw
