#include "Parsers.h"

namespace bench {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

} // namespace

bool IsLinkAttribute(std::string_view tag, std::string_view attribute) {
    for (const LinkAttribute& kind : kLinkAttributes)
        if (tag == kind.Tag && attribute == kind.Attribute)
            return true;
    return false;
}

void AddSrcset(std::string_view tag, std::string_view value, std::vector<Link>& links) {
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && (IsSpace(value[i]) || value[i] == ','))
            ++i;
        size_t start = i;
        while (i < value.size() && !IsSpace(value[i]))
            ++i;
        std::string_view url = value.substr(start, i - start);
        if (!url.empty() && url.back() == ',') {
            // A URL that ends in commas has no descriptors.
            while (!url.empty() && url.back() == ',')
                url.remove_suffix(1);
        } else {
            // Descriptors up to a comma outside parentheses.
            bool inParens = false;
            for (; i < value.size(); ++i) {
                char c = value[i];
                if (c == '(')
                    inParens = true;
                else if (c == ')')
                    inParens = false;
                else if (c == ',' && !inParens)
                    break;
            }
        }
        if (!url.empty())
            links.push_back({std::string(tag), "srcset", std::string(url)});
    }
}

void AddLink(std::string_view tag, std::string_view attribute, std::string_view value,
             std::vector<Link>& links) {
    if (value.empty())
        return;
    if (attribute == "srcset")
        AddSrcset(tag, value, links);
    else
        links.push_back({std::string(tag), std::string(attribute), std::string(value)});
}

} // namespace bench
