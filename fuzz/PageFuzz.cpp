// Feeds arbitrary bytes to the page tokenizer and the CSS reader, as a page
// and as a style sheet, and checks what they give against the input: every
// link is non-empty and on a line the input has.

#include "model/CssReferences.h"
#include "model/PageParser.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void Fail(const char* what, unsigned line, unsigned lines) {
    std::fprintf(stderr, "%s on line %u of %u\n", what, line, lines);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // Every LF, CR LF and lone CR ends a line; CSS also takes a form feed.
    unsigned lines = 1;
    for (size_t i = 0; i < size; ++i)
        lines += text[i] == '\n' || text[i] == '\f' ||
                 (text[i] == '\r' && (i + 1 == size || text[i + 1] != '\n'));
    tw::ParsedPage page = tw::ParsePage(text);
    for (const tw::PageLink& link : page.Links)
        if (link.Value.empty() || link.Line < 1 || link.Line > lines)
            Fail("bad page link", link.Line, lines);
    for (const std::string& anchor : page.Anchors)
        if (anchor.empty())
            Fail("empty anchor", 0, lines);
    tw::FindCssReferences(text, 1, [lines](tw::CssReference&& ref) {
        if (ref.Line < 1 || ref.Line > lines)
            Fail("bad CSS reference", ref.Line, lines);
    });
    return 0;
}
