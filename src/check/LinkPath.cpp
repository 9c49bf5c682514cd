#include "check/LinkPath.h"

#include "support/NXStrings.h"
#include "support/UrlText.h"

#include <algorithm>

namespace tw {

namespace {

// A scheme is a letter, then letters, digits, "+", "-" or ".", then ":",
// all before the first "/", "?" or "#".
bool HasScheme(std::string_view url) {
    if (url.empty() || !IsAsciiAlpha(url[0]))
        return false;
    for (size_t i = 1; i < url.size(); ++i) {
        char c = url[i];
        if (c == ':')
            return true;
        if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

} // namespace

LinkTarget ClassifyLink(std::string_view value) {
    // Leading and trailing C0 controls and spaces are dropped, tabs and line
    // breaks anywhere, as the URL parser does.
    size_t first = 0, last = value.size();
    while (first < last && static_cast<unsigned char>(value[first]) <= 0x20)
        ++first;
    while (last > first && static_cast<unsigned char>(value[last - 1]) <= 0x20)
        --last;
    std::string url;
    url.reserve(last - first);
    for (size_t i = first; i < last; ++i) {
        char c = value[i];
        if (c == '\t' || c == '\n' || c == '\r')
            continue;
        url += c == '\\' ? '/' : c;
    }
    if (HasScheme(url) || url.starts_with("//"))
        return {LinkKind::External, {}, std::nullopt};
    std::optional<std::string> fragment;
    if (size_t hash = url.find('#'); hash != std::string::npos) {
        fragment = PercentDecoded(std::string_view(url).substr(hash + 1));
        url.resize(hash);
    }
    if (size_t query = url.find('?'); query != std::string::npos)
        url.resize(query);
    if (url.empty())
        return {LinkKind::SamePage, {}, std::move(fragment)};
    return {LinkKind::Local, PercentDecoded(url), std::move(fragment)};
}

std::string JoinLexically(std::string_view folder, std::string_view relative, size_t floor) {
    std::string result(folder);
    if (result.empty() || result.back() != '/')
        result += '/';
    floor = std::clamp<size_t>(floor, 1, result.size());
    // Result ends in "/" while steps are added; the last one decides.
    bool namesFolder = true;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string_view::npos)
            end = relative.size();
        std::string_view step = relative.substr(start, end - start);
        if (step == "..") {
            if (result.size() > floor) {
                size_t cut = result.find_last_of('/', result.size() - 2);
                result.resize(std::max(cut + 1, floor));
            }
            namesFolder = true;
        } else if (step.empty() || step == ".") {
            namesFolder = true;
        } else {
            result.append(step);
            result += '/';
            namesFolder = false;
        }
        start = end + 1;
    }
    if (!namesFolder)
        result.pop_back();
    return result;
}

} // namespace tw
