#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// What a page says of itself for search engines, from its head (and, for
// pictures, its whole body), as written in the page.
struct PageFacts {
    bool NoIndex = false;                 // robots or googlebot meta with noindex or none
    std::optional<std::string> Canonical; // href of link rel=canonical
    std::vector<std::pair<std::string, std::string>> Alternates; // hreflang, href
    std::vector<std::string> Images; // img src and srcset URLs, in order
};

// The facts of a page's HTML, read as the tokenizer reads it.
PageFacts ReadPageFacts(std::string_view html);

} // namespace tw
