#pragma once

// The --ignore-url patterns: links the check leaves alone.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Empty when Pattern is a regular expression in RE2's syntax, else what is
// wrong with it. RE2 matches in time linear in the link, whatever the
// pattern: back-references and look-around, which cannot, are refused.
std::string IgnorePatternError(const std::string& pattern);

// For LinkCheckLimits::IgnoreLink: true for a link, as written, in which one
// of the patterns finds a match anywhere. Empty without patterns. Raises
// TError for a pattern that IgnorePatternError refuses.
std::function<bool(std::string_view)> IgnoreLinksMatching(const std::vector<std::string>& patterns);

} // namespace tw
