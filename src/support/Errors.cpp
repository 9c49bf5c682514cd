#include "support/Errors.h"

#include <cstring>

namespace tw {

std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args) {
    std::string result;
    result.reserve(pattern.size() + 64);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' &&
            next != args.end()) {
            result += *next++;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

std::string SystemReason(int error) {
    char buf[256];
    // The GNU strerror_r returns its text, which need not be in buf.
    return strerror_r(error, buf, sizeof buf);
}

std::string WithReason(const std::string& text, const std::string& reason) {
    return reason.empty() ? text : text + ": " + reason;
}

void ThrowCannotCreate(const std::string& path, const std::exception& cause) {
    if (const auto* create = dynamic_cast<const EFCreateError*>(&cause))
        throw *create;
    const std::string prefix = std::string(kStreamWriteError) + ": ";
    std::string what = cause.what();
    throw EFCreateError(WithReason(FormatText(kCannotCreateFile, {path}),
                                   what.starts_with(prefix) ? what.substr(prefix.size()) : ""));
}

} // namespace tw
