// libxml2's HTML parser through its SAX callbacks: no tree is built, start
// tags hand over their attributes, and text arrives in pieces. It follows
// HTML 4 rules, not HTML5's, which shows on some pages (see --cases).

#include "Parsers.h"

#include <climits>
#include <cstdarg>
#include <cstring>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <strings.h>

namespace bench {

namespace {

struct SaxState {
    PageResult* page = nullptr;
    bool inTitle = false;
    std::string title;
};

const char* Text(const xmlChar* s) {
    return reinterpret_cast<const char*>(s);
}

void StartElement(void* context, const xmlChar* nameBytes, const xmlChar** attributes) {
    auto& state = *static_cast<SaxState*>(static_cast<htmlParserCtxtPtr>(context)->_private);
    PageResult& page = *state.page;
    std::string_view name = Text(nameBytes);
    if (name == "title" && !page.Title && !state.inTitle) {
        state.inTitle = true;
        state.title.clear();
    }
    if (!attributes)
        return;
    if (name == "input") {
        bool image = false;
        for (const xmlChar** a = attributes; a[0]; a += 2)
            if (std::strcmp(Text(a[0]), "type") == 0 && a[1] &&
                strcasecmp(Text(a[1]), "image") == 0)
                image = true;
        if (!image)
            return;
    }
    for (const xmlChar** a = attributes; a[0]; a += 2) {
        if (!a[1] || !a[1][0])
            continue;
        std::string_view attribute = Text(a[0]);
        std::string_view value = Text(a[1]);
        if (attribute == "id")
            page.Anchors.emplace_back(value);
        else if (name == "a" && attribute == "name")
            page.Anchors.emplace_back(value);
        else if (name == "base" && attribute == "href" && !page.Base)
            page.Base = std::string(value);
        else if (IsLinkAttribute(name, attribute))
            AddLink(name, attribute, value, page.Links);
    }
}

void EndElement(void* context, const xmlChar* name) {
    auto& state = *static_cast<SaxState*>(static_cast<htmlParserCtxtPtr>(context)->_private);
    if (state.inTitle && std::strcmp(Text(name), "title") == 0) {
        state.inTitle = false;
        state.page->Title = state.title;
    }
}

void Characters(void* context, const xmlChar* text, int length) {
    auto& state = *static_cast<SaxState*>(static_cast<htmlParserCtxtPtr>(context)->_private);
    if (state.inTitle)
        state.title.append(Text(text), static_cast<size_t>(length));
}

void Silent(void*, const char*, ...) {}

xmlSAXHandler MakeHandler() {
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.startElement = StartElement;
    sax.endElement = EndElement;
    sax.characters = Characters;
    // Script and style text: never a title, and never a link here.
    sax.cdataBlock = nullptr;
    sax.ignorableWhitespace = Characters;
    return sax;
}

} // namespace

PageResult Libxml2Parse(std::string_view html) {
    static const bool initialized = [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, Silent);
        return true;
    }();
    (void)initialized;
    static xmlSAXHandler sax = MakeHandler();

    PageResult page;
    if (html.size() > INT_MAX)
        return page;
    SaxState state;
    state.page = &page;
    htmlParserCtxtPtr context =
        htmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
    if (!context)
        return page;
    context->_private = &state;
    htmlCtxtUseOptions(context, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    htmlParseChunk(context, html.data(), static_cast<int>(html.size()), 1);
    // An unclosed title ends with the page.
    if (state.inTitle)
        page.Title = state.title;
    htmlFreeParserCtxt(context);
    page.Parsed = true;
    return page;
}

} // namespace bench
