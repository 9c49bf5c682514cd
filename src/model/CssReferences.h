#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tw {

// A URL that CSS refers to: a url(), a string of an image-set(), or what
// an @import names. Value has the CSS escapes resolved.
struct CssReference {
    std::string Value;
    unsigned Line = 0;
    bool Import = false;
    // Where the URL stands in the text: a string with its quotes, or an
    // unquoted url()'s contents.
    size_t Begin = 0, End = 0;
};

// Finds the references of CSS text as the CSS tokenizer reads it: comments
// and the insides of other strings hold none, "url(" must begin a token of
// its own, quoted and unquoted url() alike; @namespace names no file.
// FirstLine is the line Text begins on, counted on from there.
void FindCssReferences(std::string_view text, unsigned firstLine,
                       const std::function<void(CssReference&&)>& found);

} // namespace tw
