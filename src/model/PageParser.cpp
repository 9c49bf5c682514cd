#include "model/PageParser.h"

#include "model/CssReferences.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <unordered_map>

namespace tw {

using namespace std::string_view_literals;

namespace {

struct Entity {
    const char* Name;
    const char* Value;
};

// Sorted by name, byte by byte.
constexpr Entity kEntities[] = {
#include "model/HtmlEntities.inc"
};

constexpr size_t kLongestEntityName = 32;

const Entity* FindEntity(std::string_view name) {
    const Entity* it =
        std::lower_bound(std::begin(kEntities), std::end(kEntities), name,
                         [](const Entity& e, std::string_view n) { return e.Name < n; });
    return it != std::end(kEntities) && it->Name == name ? it : nullptr;
}

bool IsHex(char c) {
    return IsAsciiDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

size_t DecodeNumericReference(std::string_view text, std::string& out) {
    size_t i = 1;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex)
        ++i;
    const size_t digits = i;
    std::uint32_t cp = 0;
    for (; i < text.size() && (hex ? IsHex(text[i]) : IsAsciiDigit(text[i])); ++i) {
        const char c = text[i];
        const std::uint32_t d = IsAsciiDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        // Anything past the last code point stays past it.
        cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 10) + d;
    }
    if (i == digits)
        return 0;
    if (i < text.size() && text[i] == ';')
        ++i;
    // References to 80-9F mean the Windows-1252 characters pages meant.
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        out += kReplacementCharacter;
    else if (cp >= 0x80 && cp <= 0x9F)
        AppendUtf8(out, Cp1252Character(static_cast<unsigned char>(cp)));
    else
        AppendUtf8(out, cp);
    return i;
}

} // namespace

size_t DecodeCharacterReference(std::string_view text, bool inAttribute, std::string& out) {
    if (text.empty())
        return 0;
    if (text[0] == '#')
        return DecodeNumericReference(text, out);
    size_t run = 0;
    while (run < text.size() && run < kLongestEntityName && IsAsciiAlnum(text[run]))
        ++run;
    if (run == 0)
        return 0;
    char name[kLongestEntityName + 2];
    std::memcpy(name, text.data(), run);
    if (run < text.size() && text[run] == ';') {
        name[run] = ';';
        if (const Entity* e = FindEntity(std::string_view(name, run + 1))) {
            out += e->Value;
            return run + 1;
        }
    }
    // The longest name that begins the text: only the old names without ";"
    // can be shorter than the run.
    for (size_t length = run; length >= 2; --length) {
        const Entity* e = FindEntity(std::string_view(name, length));
        if (!e)
            continue;
        if (inAttribute && length < text.size() &&
            (IsAsciiAlnum(text[length]) || text[length] == '='))
            return 0;
        out += e->Value;
        return length;
    }
    return 0;
}

namespace {

// Text with character references resolved and NULs replaced, as the
// tokenizer gives attribute values and RCDATA.
void DecodeText(std::string_view raw, bool inAttribute, std::string& out) {
    out.clear();
    size_t i = 0;
    while (i < raw.size()) {
        size_t special = i;
        while (special < raw.size() && raw[special] != '&' && raw[special] != '\0')
            ++special;
        if (special == raw.size()) {
            out.append(raw.substr(i));
            return;
        }
        out.append(raw.substr(i, special - i));
        i = special + 1;
        if (raw[special] == '\0')
            out += kReplacementCharacter;
        else if (size_t used = DecodeCharacterReference(raw.substr(i), inAttribute, out))
            i += used;
        else
            out += '&';
    }
}

// ASCII whitespace-separated tokens of Value, one of them Token, case ignored.
bool HasToken(std::string_view value, std::string_view token) {
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && IsHtmlSpace(value[i]))
            ++i;
        size_t end = i;
        while (end < value.size() && !IsHtmlSpace(value[end]))
            ++end;
        if (end > i && SameTextIgnoringCase(value.substr(i, end - i), token))
            return true;
        i = end;
    }
    return false;
}

// Start tags that end foreign content when they appear in it.
bool BreaksOutOfForeignContent(std::string_view tag) {
    static constexpr std::string_view kTags[] = {
        "b",      "big",  "blockquote", "body",  "br",   "center", "code",    "dd",   "div",
        "dl",     "dt",   "em",         "embed", "h1",   "h2",     "h3",      "h4",   "h5",
        "h6",     "head", "hr",         "i",     "img",  "li",     "listing", "menu", "meta",
        "nobr",   "ol",   "p",          "pre",   "ruby", "s",      "small",   "span", "strong",
        "strike", "sub",  "sup",        "table", "tt",   "u",      "ul",      "var",
    };
    return std::find(std::begin(kTags), std::end(kTags), tag) != std::end(kTags);
}

class Tokenizer {
public:
    Tokenizer(std::string_view html, const Charset* charset, PageMarkupObserver* observer)
        : html_(html), charset_(charset), observer_(observer),
          hasCr_(html.find('\r') != std::string_view::npos) {}

    ParsedPage Run() {
        while (pos_ < html_.size()) {
            const void* lt = std::memchr(html_.data() + pos_, '<', html_.size() - pos_);
            if (!lt)
                break;
            pos_ = static_cast<size_t>(static_cast<const char*>(lt) - html_.data());
            if (!Markup())
                ++pos_; // a "<" that begins nothing is text
        }
        return std::move(page_);
    }

private:
    struct Attribute {
        std::string Name;
        std::string Value;
        size_t ValueStart = 0;
        // The value as written, its quotes included; equal without a value.
        size_t RawBegin = 0, RawEnd = 0;
    };

    struct ForeignElement {
        std::string Name;
        bool Svg = false;
        // Its contents are HTML again: svg's foreignObject, desc and title,
        // MathML's text elements.
        bool IntegrationPoint = false;
    };

    bool At(size_t i, std::string_view word) const {
        return html_.compare(i, word.size(), word) == 0;
    }
    bool AtIgnoringCase(size_t i, std::string_view lowerWord) const {
        return i + lowerWord.size() <= html_.size() &&
               SameTextIgnoringCase(html_.substr(i, lowerWord.size()), lowerWord);
    }
    size_t Find(char c, size_t from) const {
        size_t at = html_.find(c, from);
        return at == std::string_view::npos ? html_.size() : at;
    }

    // The line of Offset. Asked mostly in ascending order, so counted on
    // from the last answer.
    unsigned LineAt(size_t offset) {
        if (offset >= lineOffset_)
            line_ += Newlines(lineOffset_, offset);
        else
            line_ -= Newlines(offset, lineOffset_);
        lineOffset_ = offset;
        return line_;
    }
    // LFs, and CRs that no LF follows, in [From, To). Most pages hold no
    // CR, and for them a count of LFs, which vectorises, is enough.
    unsigned Newlines(size_t from, size_t to) const {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(html_.data());
        size_t n = 0;
        for (size_t i = from; i < to; ++i)
            n += p[i] == '\n';
        if (hasCr_)
            for (size_t i = from; i < to; ++i)
                n += p[i] == '\r' && (i + 1 == html_.size() || p[i + 1] != '\n');
        return static_cast<unsigned>(n);
    }

    bool InForeignContent() const { return !foreign_.empty() && !foreign_.back().IntegrationPoint; }

    // At a "<": reads what it begins. False when it begins nothing.
    bool Markup() {
        tagStart_ = pos_;
        const size_t i = pos_ + 1;
        if (i >= html_.size())
            return false;
        const char c = html_[i];
        if (c == '!') {
            if (At(i, "!--")) {
                SkipComment(i + 3);
                if (observer_)
                    observer_->Comment(tagStart_, pos_);
            } else if (InForeignContent() && At(i, "![CDATA["))
                pos_ = SkipPast(i + 8, "]]>");
            else
                pos_ = std::min(Find('>', i), html_.size() - 1) + 1; // doctype or bogus comment
            return true;
        }
        if (c == '?') {
            pos_ = std::min(Find('>', i), html_.size() - 1) + 1;
            return true;
        }
        if (c == '/') {
            if (i + 1 >= html_.size())
                return false;
            if (IsAsciiAlpha(html_[i + 1]))
                ReadTag(i + 1, true);
            else
                pos_ = std::min(Find('>', i), html_.size() - 1) + 1; // "</>" or a bogus comment
            return true;
        }
        if (IsAsciiAlpha(c)) {
            ReadTag(i, false);
            return true;
        }
        return false;
    }

    size_t SkipPast(size_t from, std::string_view end) const {
        size_t at = html_.find(end, from);
        return at == std::string_view::npos ? html_.size() : at + end.size();
    }

    // From just after "<!--"; "<!-->" and "<!--->" are whole comments, and
    // "--!>" ends one as "-->" does.
    void SkipComment(size_t start) {
        if (start < html_.size() && html_[start] == '>') {
            pos_ = start + 1;
            return;
        }
        if (At(start, "->")) {
            pos_ = start + 2;
            return;
        }
        for (size_t from = start;;) {
            size_t dashes = html_.find("--", from);
            if (dashes == std::string_view::npos) {
                pos_ = html_.size();
                return;
            }
            if (At(dashes + 2, ">")) {
                pos_ = dashes + 3;
                return;
            }
            if (At(dashes + 2, "!>")) {
                pos_ = dashes + 4;
                return;
            }
            from = dashes + 1;
        }
    }

    // Reads a tag from its name on. A tag cut off by the end of the text is
    // no tag.
    void ReadTag(size_t i, bool isEnd) {
        const size_t n = html_.size();
        tag_.clear();
        while (i < n && !IsHtmlSpace(html_[i]) && html_[i] != '/' && html_[i] != '>') {
            if (html_[i] == '\0')
                tag_ += kReplacementCharacter;
            else
                tag_ += AsciiLower(html_[i]);
            ++i;
        }
        attributeCount_ = 0;
        // Freed, not cleared: a tag of few attributes must not pay for the
        // table of the largest one.
        if (!nameSlots_.empty())
            nameSlots_ = {};
        selfClosing_ = false;
        for (;;) {
            while (i < n && IsHtmlSpace(html_[i]))
                ++i;
            if (i >= n) {
                pos_ = n;
                return;
            }
            if (html_[i] == '>') {
                ++i;
                break;
            }
            if (html_[i] == '/') {
                ++i;
                if (i < n && html_[i] == '>') {
                    selfClosing_ = true;
                    ++i;
                    break;
                }
                continue;
            }
            i = ReadAttribute(i);
            if (i >= n) {
                pos_ = n;
                return;
            }
        }
        pos_ = i;
        if (observer_)
            Observe(isEnd);
        if (isEnd)
            EndTag();
        else
            StartTag();
    }

    void Observe(bool isEnd) {
        if (isEnd) {
            if (foreign_.empty())
                observer_->EndTag(tag_, tagStart_);
            return;
        }
        observed_.clear();
        for (size_t k = 0; k < attributeCount_; ++k) {
            const Attribute& a = attributes_[k];
            observed_.push_back({a.Name, a.Value, a.RawBegin, a.RawEnd});
        }
        observer_->StartTag(tag_, observed_);
    }

    // Reads one attribute from its name's first character (which may be an
    // "=") on; returns where the next one may begin, the length of the text
    // when the tag is cut off.
    size_t ReadAttribute(size_t i) {
        const size_t n = html_.size();
        if (attributeCount_ == attributes_.size())
            attributes_.emplace_back();
        Attribute& a = attributes_[attributeCount_];
        a.Name.clear();
        a.Value.clear();
        a.ValueStart = i;
        a.RawBegin = a.RawEnd = i;
        a.Name += AsciiLower(html_[i++]);
        while (i < n && !IsHtmlSpace(html_[i]) && html_[i] != '/' && html_[i] != '>' &&
               html_[i] != '=')
            a.Name += AsciiLower(html_[i++]);
        size_t afterName = i;
        while (afterName < n && IsHtmlSpace(html_[afterName]))
            ++afterName;
        if (afterName < n && html_[afterName] == '=') {
            i = afterName + 1;
            while (i < n && IsHtmlSpace(html_[i]))
                ++i;
            if (i >= n)
                return n;
            const char quote = html_[i];
            if (quote == '"' || quote == '\'') {
                size_t end = html_.find(quote, i + 1);
                if (end == std::string_view::npos)
                    return n;
                a.ValueStart = i + 1;
                a.RawBegin = i;
                a.RawEnd = end + 1;
                DecodeText(html_.substr(i + 1, end - i - 1), true, a.Value);
                i = end + 1;
            } else if (quote != '>') {
                size_t end = i;
                while (end < n && !IsHtmlSpace(html_[end]) && html_[end] != '>')
                    ++end;
                if (end >= n)
                    return n;
                a.ValueStart = i;
                a.RawBegin = i;
                a.RawEnd = end;
                DecodeText(html_.substr(i, end - i), true, a.Value);
                i = end;
            }
        }
        // The first of attributes with the same name counts.
        if (SeenBefore(a.Name))
            return i;
        ++attributeCount_;
        return i;
    }

    // Whether a kept attribute of the tag has Name; if not, Name is kept
    // as the next one. A few attributes are compared one by one; past them
    // a table of the kept names (open addressing, by index) keeps a tag of
    // a million attributes linear and cheap.
    bool SeenBefore(const std::string& name) {
        constexpr size_t kCompared = 16;
        if (attributeCount_ < kCompared) {
            for (size_t k = 0; k < attributeCount_; ++k)
                if (attributes_[k].Name == name)
                    return true;
            return false;
        }
        if (nameSlots_.empty()) {
            nameHashes_.clear();
            for (size_t k = 0; k < attributeCount_; ++k)
                nameHashes_.push_back(std::hash<std::string>{}(attributes_[k].Name));
            RebuildNameSlots(4 * kCompared);
        }
        const size_t hash = std::hash<std::string>{}(name);
        const size_t mask = nameSlots_.size() - 1;
        size_t slot = hash & mask;
        for (; nameSlots_[slot] != 0; slot = (slot + 1) & mask) {
            const size_t k = nameSlots_[slot] - 1;
            if (nameHashes_[k] == hash && attributes_[k].Name == name)
                return true;
        }
        nameHashes_.push_back(hash);
        if (2 * (attributeCount_ + 1) > nameSlots_.size())
            RebuildNameSlots(2 * nameSlots_.size());
        else
            nameSlots_[slot] = static_cast<std::uint32_t>(attributeCount_ + 1);
        return false;
    }

    // Slots for the names of nameHashes_, Size a power of two.
    void RebuildNameSlots(size_t size) {
        nameSlots_.assign(size, 0);
        const size_t mask = size - 1;
        for (size_t k = 0; k < nameHashes_.size(); ++k) {
            size_t slot = nameHashes_[k] & mask;
            while (nameSlots_[slot] != 0)
                slot = (slot + 1) & mask;
            nameSlots_[slot] = static_cast<std::uint32_t>(k + 1);
        }
    }

    const Attribute* Attr(std::string_view name) const {
        for (size_t k = 0; k < attributeCount_; ++k)
            if (attributes_[k].Name == name)
                return &attributes_[k];
        return nullptr;
    }
    const Attribute* NonEmpty(std::string_view name) const {
        const Attribute* a = Attr(name);
        return a && !a->Value.empty() ? a : nullptr;
    }

    void StartTag() {
        if (!foreign_.empty()) {
            const bool breaksOut =
                BreaksOutOfForeignContent(tag_) ||
                (tag_ == "font"sv && (Attr("color") || Attr("face") || Attr("size")));
            if (breaksOut && InForeignContent()) {
                PopForeign(0);
            } else if (InForeignContent() || tag_ == "svg"sv || tag_ == "math"sv) {
                ForeignStartTag();
                return;
            }
        } else if (tag_ == "svg"sv || tag_ == "math"sv) {
            ForeignStartTag();
            return;
        }
        HtmlStartTag();
    }

    void ForeignStartTag() {
        const bool svg =
            tag_ == "svg"sv || (tag_ != "math"sv && !foreign_.empty() && foreign_.back().Svg);
        if (templateDepth_ == 0)
            if (const Attribute* id = NonEmpty("id"))
                AddAnchor(id->Value);
        if (selfClosing_)
            return;
        bool integration = false;
        if (svg) {
            integration = tag_ == "foreignobject"sv || tag_ == "desc"sv || tag_ == "title"sv;
        } else if (tag_ == "annotation-xml"sv) {
            const Attribute* encoding = Attr("encoding");
            integration =
                encoding && (SameTextIgnoringCase(encoding->Value, "text/html") ||
                             SameTextIgnoringCase(encoding->Value, "application/xhtml+xml"));
        } else {
            integration = tag_ == "mi"sv || tag_ == "mo"sv || tag_ == "mn"sv || tag_ == "ms"sv ||
                          tag_ == "mtext"sv;
        }
        foreign_.push_back({tag_, svg, integration});
        ++foreignNames_[tag_];
    }

    bool ForeignOpen(const std::string& name) const {
        auto it = foreignNames_.find(name);
        return it != foreignNames_.end() && it->second > 0;
    }
    // Closes the foreign elements from the Depth'th on.
    void PopForeign(size_t depth) {
        while (foreign_.size() > depth) {
            --foreignNames_[foreign_.back().Name];
            foreign_.pop_back();
        }
    }

    void EndTag() {
        if (!foreign_.empty()) {
            // Only a name on the stack is looked for: then the elements
            // passed are closed, so each is passed once.
            if (ForeignOpen(tag_)) {
                for (size_t k = foreign_.size(); k > 0; --k) {
                    if (foreign_[k - 1].Name == tag_) {
                        PopForeign(k - 1);
                        return;
                    }
                }
            }
            // An HTML element inside an integration point ends; any other
            // end tag closes the HTML element around the foreign content.
            if (!foreign_.back().IntegrationPoint)
                PopForeign(0);
            return;
        }
        if (tag_ == "template"sv && templateDepth_ > 0)
            --templateDepth_;
        else if (tag_ == "head"sv)
            headEnded_ = true;
    }

    void HtmlStartTag() {
        if (tag_ == "body"sv)
            headEnded_ = true;
        // Template contents are never shown as they stand: not links of the page.
        if (templateDepth_ == 0)
            Collect();
        if (tag_ == "template"sv)
            ++templateDepth_;
        else if (tag_ == "script"sv)
            SkipScript();
        else if (tag_ == "style"sv)
            StyleElement();
        else if (tag_ == "title"sv || tag_ == "textarea"sv)
            TextElement();
        else if (tag_ == "xmp"sv || tag_ == "iframe"sv || tag_ == "noembed"sv ||
                 tag_ == "noframes"sv)
            pos_ = RawTextEnd(pos_);
        else if (tag_ == "plaintext"sv)
            pos_ = html_.size();
    }

    void AddLink(const Attribute* a, const char* attribute) {
        if (a)
            page_.Links.push_back({a->Value, tag_, attribute, LineAt(a->ValueStart)});
    }

    void AddAnchor(const std::string& value) {
        page_.Anchors.push_back(value);
        page_.AnchorLines.push_back(LineAt(tagStart_));
    }

    // An img, area or input type=image without an alt attribute; alt=""
    // marks a picture that says nothing, rightly.
    void CheckAlt(const char* tag, const Attribute* url) {
        if (Attr("alt") || page_.MissingAlt.size() >= kMaxPageElements)
            return;
        page_.MissingAlt.push_back({tag, url ? url->Value : std::string(), LineAt(tagStart_)});
    }

    void Collect() {
        const Attribute* id = NonEmpty("id");
        if (id)
            AddAnchor(id->Value);
        const std::string& t = tag_;
        if (t == "a"sv) {
            AddLink(NonEmpty("href"), "href");
            // <a id=x name=x> names one element, as the standard allows.
            if (const Attribute* name = NonEmpty("name"); name && !(id && id->Value == name->Value))
                AddAnchor(name->Value);
        } else if (t == "img"sv || t == "image"sv) {
            // The tree builder takes an "image" for an "img".
            tag_ = "img";
            AddLink(NonEmpty("src"), "src");
            SourceSet(NonEmpty("srcset"));
            CheckAlt("img", NonEmpty("src"));
        } else if (t == "h1"sv) {
            page_.HasH1 = true;
        } else if (t == "link"sv) {
            AddLink(NonEmpty("href"), "href");
            if (const Attribute* rel = Attr("rel"); rel && NonEmpty("href")) {
                page_.Links.back().StyleSheet = HasToken(rel->Value, "stylesheet");
                if (InHead())
                    HeadLink(rel->Value, page_.Links.back().Value);
            }
        } else if (t == "area"sv) {
            AddLink(NonEmpty("href"), "href");
            CheckAlt("area", NonEmpty("href"));
        } else if (t == "script"sv || t == "iframe"sv || t == "frame"sv || t == "embed"sv ||
                   t == "track"sv || t == "audio"sv) {
            AddLink(NonEmpty("src"), "src");
        } else if (t == "source"sv) {
            AddLink(NonEmpty("src"), "src");
            SourceSet(NonEmpty("srcset"));
        } else if (t == "video"sv) {
            AddLink(NonEmpty("src"), "src");
            AddLink(NonEmpty("poster"), "poster");
        } else if (t == "object"sv) {
            AddLink(NonEmpty("data"), "data");
        } else if (t == "input"sv) {
            if (const Attribute* type = Attr("type");
                type && SameTextIgnoringCase(type->Value, "image")) {
                AddLink(NonEmpty("src"), "src");
                CheckAlt("input", NonEmpty("src"));
            }
        } else if (t == "meta"sv) {
            if (const Attribute* equiv = Attr("http-equiv");
                equiv && SameTextIgnoringCase(equiv->Value, "refresh"))
                Refresh(NonEmpty("content"));
            if (const Attribute* name = Attr("name")) {
                if (InHead())
                    RobotsMeta(name->Value, Attr("content"));
                if (!page_.Description && SameTextIgnoringCase(name->Value, "description"))
                    if (const Attribute* content = Attr("content"))
                        page_.Description = content->Value;
            }
        } else if (t == "base"sv) {
            if (const Attribute* href = NonEmpty("href"); href && !page_.Base)
                page_.Base = href->Value;
        } else if (t == "html"sv) {
            // A later html tag only adds attributes the first lacks.
            if (const Attribute* lang = Attr("lang"); lang && !page_.Lang)
                page_.Lang = lang->Value;
            if (page_.HtmlLine == 0)
                page_.HtmlLine = LineAt(tagStart_);
        }
        if (const Attribute* style = NonEmpty("style"))
            Css(style->Value, LineAt(style->ValueStart), LinkSource::StyleAttribute, "style");
    }

    bool InHead() const { return !headEnded_ && tagStart_ < kHeadBytes; }

    void HeadLink(std::string_view rel, const std::string& href) {
        if (HasToken(rel, "canonical") && !page_.Canonical)
            page_.Canonical = href;
        if (const Attribute* lang = NonEmpty("hreflang"); lang && HasToken(rel, "alternate"))
            page_.Alternates.emplace_back(lang->Value, href);
    }

    // Robots rules for every crawler, or for Google's, which most sites
    // that name one name: comma-separated, any letter case.
    void RobotsMeta(std::string_view name, const Attribute* content) {
        if (!content ||
            !(SameTextIgnoringCase(name, "robots") || SameTextIgnoringCase(name, "googlebot")))
            return;
        std::string_view rules = content->Value;
        while (!rules.empty()) {
            size_t comma = rules.find(',');
            std::string_view rule = rules.substr(0, comma);
            while (!rule.empty() && IsHtmlSpace(rule.front()))
                rule.remove_prefix(1);
            while (!rule.empty() && IsHtmlSpace(rule.back()))
                rule.remove_suffix(1);
            if (SameTextIgnoringCase(rule, "noindex") || SameTextIgnoringCase(rule, "none"))
                page_.NoIndex = true;
            rules = comma == std::string_view::npos ? std::string_view() : rules.substr(comma + 1);
        }
    }

    void SourceSet(const Attribute* a) {
        if (!a)
            return;
        const std::string& v = a->Value;
        const unsigned line = LineAt(a->ValueStart);
        ForEachSourceSetURL(v, [&](size_t begin, size_t end) {
            page_.Links.push_back({v.substr(begin, end - begin), tag_, "srcset", line});
        });
    }

    // The URL of a refresh: "5; url='next.html'", "0,next.html", "3".
    void Refresh(const Attribute* a) {
        if (!a)
            return;
        std::string_view v = a->Value;
        size_t i = 0;
        while (i < v.size() && IsHtmlSpace(v[i]))
            ++i;
        size_t digits = i;
        while (i < v.size() && (IsAsciiDigit(v[i]) || v[i] == '.'))
            ++i;
        if (i == digits)
            return;
        while (i < v.size() && IsHtmlSpace(v[i]))
            ++i;
        if (i < v.size() && (v[i] == ';' || v[i] == ','))
            ++i;
        while (i < v.size() && IsHtmlSpace(v[i]))
            ++i;
        if (i >= v.size())
            return; // the page itself again
        if (SameTextIgnoringCase(v.substr(i, 3), "url")) {
            size_t j = i + 3;
            while (j < v.size() && IsHtmlSpace(v[j]))
                ++j;
            if (j < v.size() && v[j] == '=') {
                ++j;
                while (j < v.size() && IsHtmlSpace(v[j]))
                    ++j;
                i = j;
            }
        }
        std::string_view url = v.substr(i);
        if (!url.empty() && (url[0] == '"' || url[0] == '\'')) {
            size_t end = url.find(url[0], 1);
            url = url.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
        }
        if (!url.empty())
            page_.Links.push_back({std::string(url), tag_, "content", LineAt(a->ValueStart)});
    }

    void Css(std::string_view css, unsigned line, LinkSource source, const char* attribute) {
        FindCssReferences(css, line, [&](CssReference&& ref) {
            page_.Links.push_back(
                {std::move(ref.Value), tag_, attribute, ref.Line, source, ref.Import, ref.Import});
        });
    }

    // Where the raw text from Start ends: at the end tag of the element,
    // "</" and its name followed by whitespace, "/" or ">".
    size_t RawTextEnd(size_t start) const {
        for (size_t i = start;; ++i) {
            i = html_.find("</", i);
            if (i == std::string_view::npos)
                return html_.size();
            if (IsEndTagOf(i))
                return i;
        }
    }
    bool IsEndTagOf(size_t lt) const {
        const size_t after = lt + 2 + tag_.size();
        return after < html_.size() && AtIgnoringCase(lt + 2, tag_) &&
               (IsHtmlSpace(html_[after]) || html_[after] == '/' || html_[after] == '>');
    }

    void StyleElement() {
        const size_t start = pos_;
        pos_ = RawTextEnd(start);
        if (observer_)
            observer_->StyleText(start, pos_);
        if (templateDepth_ == 0)
            Css(html_.substr(start, pos_ - start), LineAt(start), LinkSource::StyleElement, "");
    }

    void TextElement() {
        const size_t start = pos_;
        pos_ = RawTextEnd(start);
        if (tag_ == "title"sv && templateDepth_ == 0 && !page_.Title) {
            // Converted before references are resolved: those give UTF-8.
            std::string title;
            DecodeText(PageTextToUtf8(html_.substr(start, pos_ - start), charset_), false, title);
            page_.Title = std::move(title);
        }
    }

    // Script data, with its escaped states: in "<!-- ... -->" a
    // "<script>" opens a nested one whose "</script>" does not end the script.
    void SkipScript() {
        enum { Plain, Escaped, DoubleEscaped } state = Plain;
        size_t i = pos_;
        const size_t n = html_.size();
        for (;;) {
            i = state == Plain ? Find('<', i) : html_.find_first_of("<-", i);
            if (i >= n) {
                pos_ = n;
                return;
            }
            if (state != Plain && At(i, "-->")) {
                state = Plain;
                i += 3;
                continue;
            }
            if (At(i, "</") && IsEndTagOf(i)) {
                if (state != DoubleEscaped) {
                    pos_ = i;
                    return;
                }
                state = Escaped;
                i += 8;
                continue;
            }
            if (state == Plain && At(i, "<!--")) {
                state = Escaped;
                i += 2; // "<!-->" escapes and ends at once
                continue;
            }
            if (state == Escaped && html_[i] == '<' && AtIgnoringCase(i + 1, "script") &&
                i + 7 < n &&
                (IsHtmlSpace(html_[i + 7]) || html_[i + 7] == '/' || html_[i + 7] == '>')) {
                state = DoubleEscaped;
                i += 7;
                continue;
            }
            ++i;
        }
    }

    std::string_view html_;
    const Charset* charset_;
    PageMarkupObserver* observer_;
    std::vector<PageMarkupObserver::Attribute> observed_;
    const bool hasCr_;
    size_t pos_ = 0;
    size_t lineOffset_ = 0;
    unsigned line_ = 1;
    std::string tag_;
    std::vector<Attribute> attributes_;
    size_t attributeCount_ = 0;
    // A tag of many attributes: a slot holds a kept attribute's index + 1,
    // 0 when empty; nameHashes_ holds each kept name's hash.
    std::vector<std::uint32_t> nameSlots_;
    std::vector<size_t> nameHashes_;
    bool selfClosing_ = false;
    size_t tagStart_ = 0;
    bool headEnded_ = false;
    std::vector<ForeignElement> foreign_;
    std::unordered_map<std::string, size_t> foreignNames_; // open ones, by name
    unsigned templateDepth_ = 0;
    ParsedPage page_;
};

} // namespace

ParsedPage ParsePage(std::string_view html, const Charset* charset, PageMarkupObserver* observer) {
    return Tokenizer(html, charset, observer).Run();
}

void ForEachSourceSetURL(std::string_view v, const std::function<void(size_t, size_t)>& each) {
    size_t i = 0;
    while (i < v.size()) {
        while (i < v.size() && (IsHtmlSpace(v[i]) || v[i] == ','))
            ++i;
        size_t end = i;
        while (end < v.size() && !IsHtmlSpace(v[end]))
            ++end;
        if (end == i)
            break;
        size_t urlEnd = end;
        while (urlEnd > i && v[urlEnd - 1] == ',')
            --urlEnd;
        if (urlEnd > i)
            each(i, urlEnd);
        const bool endsCandidate = urlEnd < end;
        i = end;
        if (endsCandidate)
            continue;
        // Descriptors run to the next comma outside parentheses.
        for (int depth = 0; i < v.size(); ++i) {
            if (v[i] == '(')
                ++depth;
            else if (v[i] == ')' && depth > 0)
                --depth;
            else if (v[i] == ',' && depth == 0)
                break;
        }
    }
}

std::string DecodeHtmlText(std::string_view raw) {
    std::string out;
    DecodeText(raw, false, out);
    return out;
}

} // namespace tw
