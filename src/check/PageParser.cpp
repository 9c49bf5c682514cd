#include "check/PageParser.h"

#include <chrono>
#include <csetjmp>
#include <cstdlib>
#include <gumbo.h>

namespace tw {

namespace {

// The parser's allocator: a bump arena with a ceiling and a deadline. Gumbo
// has neither limit of its own and no way to fail an allocation, so when
// either is reached the allocator jumps back out of the parse (gumbo is C:
// no destructors are skipped) and the arena frees everything in one go.
// The same wholesale release also spares us gumbo's recursive tree
// destructor, which a deeply nested page would run out of stack in.
class ParserArena {
public:
    ParserArena(const ParseLimits& limits) : maxMemory_(limits.MaxMemory), clock_(limits.Clock) {
        if (limits.MaxSeconds > 0) {
            hasDeadline_ = true;
            deadline_ = Now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                    std::chrono::duration<double>(limits.MaxSeconds));
        }
    }
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
    // Memory comes back only with the whole arena.
    static void Deallocate(void*, void*) {}

    std::jmp_buf escape;

private:
    struct alignas(16) Chunk {
        Chunk* next;
    };
    static constexpr size_t kAlign = 16;
    static constexpr size_t kFirstChunk = size_t{64} * 1024;
    static constexpr size_t kLargestChunk = size_t{8} * 1024 * 1024;
    // The clock is read every so many allocations: cheap, and frequent
    // enough, since every element the parser slows down on allocates.
    static constexpr unsigned kClockInterval = 64;

    void* Take(size_t size) {
        size = size == 0 ? kAlign : (size + kAlign - 1) & ~(kAlign - 1);
        if (hasDeadline_ && ++calls_ % kClockInterval == 0 && Now() > deadline_)
            std::longjmp(escape, 1);
        if (size > static_cast<size_t>(end_ - cursor_))
            Grow(size);
        void* p = cursor_;
        cursor_ += size;
        return p;
    }

    std::chrono::steady_clock::time_point Now() const {
        return clock_ ? clock_() : std::chrono::steady_clock::now();
    }

    void Grow(size_t size) {
        size_t want = size > nextChunk_ ? size : nextChunk_;
        if (want > maxMemory_ || used_ > maxMemory_ - want)
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

    size_t maxMemory_;
    const std::function<std::chrono::steady_clock::time_point()>& clock_;
    bool hasDeadline_ = false;
    std::chrono::steady_clock::time_point deadline_{};
    unsigned calls_ = 0;
    Chunk* chunks_ = nullptr;
    char* cursor_ = nullptr;
    char* end_ = nullptr;
    size_t used_ = 0;
    size_t nextChunk_ = kFirstChunk;
};

// Kept apart so that nothing with a destructor lives between setjmp and a jump.
GumboOutput* RunParser(ParserArena& arena, const GumboOptions& options, std::string_view html) {
    if (setjmp(arena.escape) != 0)
        return nullptr;
    return gumbo_parse_with_options(&options, html.data(), html.size());
}

const GumboAttribute* NonEmptyAttribute(const GumboElement& element, const char* name) {
    const GumboAttribute* attr = gumbo_get_attribute(&element.attributes, name);
    return attr && attr->value && attr->value[0] ? attr : nullptr;
}

struct LinkAttribute {
    GumboTag tag;
    const char* tagName;
    const char* attribute;
};

constexpr LinkAttribute kLinkAttributes[] = {
    {GUMBO_TAG_A, "a", "href"},          {GUMBO_TAG_AREA, "area", "href"},
    {GUMBO_TAG_LINK, "link", "href"},    {GUMBO_TAG_IMG, "img", "src"},
    {GUMBO_TAG_SCRIPT, "script", "src"}, {GUMBO_TAG_FRAME, "frame", "src"},
    {GUMBO_TAG_IFRAME, "iframe", "src"},
};

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

void Collect(const GumboNode* document, ParsedPage& page) {
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
                for (const LinkAttribute& kind : kLinkAttributes) {
                    if (kind.tag != element.tag)
                        continue;
                    if (const GumboAttribute* attr = NonEmptyAttribute(element, kind.attribute)) {
                        unsigned line = attr->value_start.line ? attr->value_start.line
                                                               : element.start_pos.line;
                        page.Links.push_back({attr->value, kind.tagName, kind.attribute, line});
                    }
                    break;
                }
            }
        }
        // Template contents are never shown as they stand: not links of the page.
        if (!children)
            continue;
        for (unsigned i = children->length; i > 0; --i)
            stack.push_back(static_cast<const GumboNode*>(children->data[i - 1]));
    }
}

} // namespace

ParsedPage ParsePage(std::string_view html, const ParseLimits& limits) {
    ParsedPage page;
    ParserArena arena(limits);
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &ParserArena::Allocate;
    options.deallocator = &ParserArena::Deallocate;
    options.userdata = &arena;
    // The error list is of no use here and would grow with every fault of a broken page.
    options.max_errors = 0;
    GumboOutput* output = RunParser(arena, options, html);
    if (!output)
        return page;
    Collect(output->document, page);
    page.Parsed = true;
    return page;
}

} // namespace tw
