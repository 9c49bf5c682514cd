#include "check/IgnorePatterns.h"

#include "support/Errors.h"

#include <algorithm>
#include <memory>
#include <re2/re2.h>

namespace tw {

std::string IgnorePatternError(const std::string& pattern) {
    RE2 regex(pattern, RE2::Quiet);
    if (regex.ok())
        return {};
    return "not a regular expression of RE2's syntax: \"" + pattern + "\" (" + regex.error() + ")";
}

std::function<bool(std::string_view)>
IgnoreLinksMatching(const std::vector<std::string>& patterns) {
    if (patterns.empty())
        return {};
    std::vector<std::shared_ptr<const RE2>> regexes;
    for (const std::string& pattern : patterns) {
        if (std::string error = IgnorePatternError(pattern); !error.empty())
            throw TError(error);
        regexes.push_back(std::make_shared<const RE2>(pattern, RE2::Quiet));
    }
    // Shared, as the check's function is copied; RE2 matches from several
    // threads at once.
    return [regexes = std::move(regexes)](std::string_view link) {
        return std::any_of(regexes.begin(), regexes.end(), [link](const auto& regex) {
            return RE2::PartialMatch(re2::StringPiece(link.data(), link.size()), *regex);
        });
    };
}

} // namespace tw
