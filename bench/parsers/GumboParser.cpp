// The check's first page parser, kept here to measure against: gumbo builds
// the page's whole tree into a bump arena, and a walk of the tree takes out
// the links, anchors, base and title. The link attributes are the shared
// table's, so that its results compare with the other parsers'.

#include "Parsers.h"

#include <csetjmp>
#include <cstdlib>
#include <gumbo.h>
#include <strings.h>

namespace bench {

namespace {

// Gumbo cannot fail an allocation, so past the ceiling the allocator jumps
// out of the parse (gumbo is C: no destructors are skipped). Freeing the
// arena whole also spares gumbo's recursive destructor, which a deeply
// nested page would run out of stack in.
class ParserArena {
public:
    ParserArena() = default;
    ~ParserArena() {
        while (chunks_) {
            Chunk* next = chunks_->next;
            std::free(chunks_);
            chunks_ = next;
        }
    }
    ParserArena(const ParserArena&) = delete;
    ParserArena& operator=(const ParserArena&) = delete;

    static void* Allocate(void* self, size_t size) {
        return static_cast<ParserArena*>(self)->Take(size);
    }
    static void Deallocate(void*, void*) {}

    std::jmp_buf escape;

private:
    struct alignas(16) Chunk {
        Chunk* next;
    };
    static constexpr size_t kAlign = 16;
    static constexpr size_t kFirstChunk = size_t{64} * 1024;
    static constexpr size_t kLargestChunk = size_t{8} * 1024 * 1024;
    static constexpr size_t kMaxMemory = size_t{512} << 20;

    void* Take(size_t size) {
        size = size == 0 ? kAlign : (size + kAlign - 1) & ~(kAlign - 1);
        if (size > static_cast<size_t>(end_ - cursor_))
            Grow(size);
        void* p = cursor_;
        cursor_ += size;
        return p;
    }

    void Grow(size_t size) {
        size_t want = size > nextChunk_ ? size : nextChunk_;
        if (want > kMaxMemory || used_ > kMaxMemory - want)
            std::longjmp(escape, 1);
        auto* chunk = static_cast<Chunk*>(std::malloc(sizeof(Chunk) + want));
        if (!chunk)
            std::longjmp(escape, 1);
        chunk->next = chunks_;
        chunks_ = chunk;
        used_ += want;
        cursor_ = reinterpret_cast<char*>(chunk + 1);
        end_ = cursor_ + want;
        if (nextChunk_ < kLargestChunk)
            nextChunk_ *= 2;
    }

    Chunk* chunks_ = nullptr;
    char* cursor_ = nullptr;
    char* end_ = nullptr;
    size_t used_ = 0;
    size_t nextChunk_ = kFirstChunk;
};

// Apart, so that nothing with a destructor lives between setjmp and a jump.
GumboOutput* RunParser(ParserArena& arena, const GumboOptions& options, std::string_view html) {
    if (setjmp(arena.escape) != 0)
        return nullptr;
    return gumbo_parse_with_options(&options, html.data(), html.size());
}

const GumboAttribute* NonEmptyAttribute(const GumboElement& element, const char* name) {
    const GumboAttribute* attr = gumbo_get_attribute(&element.attributes, name);
    return attr && attr->value && attr->value[0] ? attr : nullptr;
}

std::string TextOf(const GumboElement& element) {
    std::string text;
    for (unsigned i = 0; i < element.children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(element.children.data[i]);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
            child->type == GUMBO_NODE_CDATA)
            text += child->v.text.text;
    }
    return text;
}

void CollectLinks(const GumboElement& element, PageResult& page) {
    const char* tag = gumbo_normalized_tagname(element.tag);
    if (element.tag == GUMBO_TAG_INPUT) {
        const GumboAttribute* type = gumbo_get_attribute(&element.attributes, "type");
        if (!type || strcasecmp(type->value, "image") != 0)
            return;
    }
    for (const LinkAttribute& kind : kLinkAttributes) {
        if (std::string_view(kind.Tag) != tag)
            continue;
        if (const GumboAttribute* attr = NonEmptyAttribute(element, kind.Attribute))
            AddLink(kind.Tag, kind.Attribute, attr->value, page.Links);
    }
}

void Collect(const GumboNode* document, PageResult& page) {
    // Iterative: the tree of a broken page can be as deep as it is long.
    std::vector<const GumboNode*> stack{document};
    while (!stack.empty()) {
        const GumboNode* node = stack.back();
        stack.pop_back();
        const GumboVector* children = nullptr;
        if (node->type == GUMBO_NODE_DOCUMENT) {
            children = &node->v.document.children;
        } else if (node->type == GUMBO_NODE_ELEMENT) {
            const GumboElement& element = node->v.element;
            children = &element.children;
            if (const GumboAttribute* id = NonEmptyAttribute(element, "id"))
                page.Anchors.emplace_back(id->value);
            if (element.tag_namespace == GUMBO_NAMESPACE_HTML) {
                if (element.tag == GUMBO_TAG_A)
                    if (const GumboAttribute* name = NonEmptyAttribute(element, "name"))
                        page.Anchors.emplace_back(name->value);
                if (element.tag == GUMBO_TAG_TITLE && !page.Title) {
                    page.Title = TextOf(element);
                } else if (element.tag == GUMBO_TAG_BASE && !page.Base) {
                    if (const GumboAttribute* href = NonEmptyAttribute(element, "href"))
                        page.Base = href->value;
                }
                CollectLinks(element, page);
            }
        }
        // Template elements are nodes of their own type, whose contents are
        // never shown as they stand: no links of the page.
        if (!children)
            continue;
        for (unsigned i = children->length; i > 0; --i)
            stack.push_back(static_cast<const GumboNode*>(children->data[i - 1]));
    }
}

} // namespace

PageResult GumboParse(std::string_view html) {
    PageResult page;
    ParserArena arena;
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &ParserArena::Allocate;
    options.deallocator = &ParserArena::Deallocate;
    options.userdata = &arena;
    options.max_errors = 0;
    GumboOutput* output = RunParser(arena, options, html);
    if (!output)
        return page;
    Collect(output->document, page);
    page.Parsed = true;
    return page;
}

} // namespace bench
