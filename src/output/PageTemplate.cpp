#include "output/PageTemplate.h"

#include "model/CssReferences.h"
#include "model/PageParser.h"
#include "output/ModernLayout.h"
#include "support/FileDescriptor.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/PageEncoding.h"
#include "support/UrlText.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace tw {

namespace {

bool IsSpaceOrControl(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view TrimmedHtmlSpace(std::string_view text) {
    while (!text.empty() && IsHtmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsHtmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// A URL written as a quoted CSS string: the quote, the backslash, line
// breaks and "<" (no "</style>" can come of it) as escapes.
std::string CssString(std::string_view url) {
    std::string out = "\"";
    for (char c : url) {
        switch (c) {
        case '"':
            out += "\\22 ";
            break;
        case '\\':
            out += "\\5c ";
            break;
        case '\n':
            out += "\\a ";
            break;
        case '\r':
            out += "\\d ";
            break;
        case '\f':
            out += "\\c ";
            break;
        case '<':
            out += "\\3c ";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

// The attributes whose whole value is one URL.
bool IsUrlAttribute(std::string_view tag, std::string_view name) {
    static constexpr std::string_view kNames[] = {"href",       "src",        "action",    "poster",
                                                  "formaction", "background", "xlink:href"};
    if (name == "data")
        return tag == "object";
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

class TemplateReader : public PageMarkupObserver {
public:
    TemplateReader(LoadedTemplate& page, std::string templateFolder, std::string outputFolder)
        : page_(page), templateFolder_(std::move(templateFolder)),
          outputFolder_(std::move(outputFolder)), rebase_(templateFolder_ != outputFolder_) {}

    void Read() {
        const std::string& name = page_.Path;
        // The nav's text is UTF-8: in a page of another encoding it would be garbled.
        if (const Charset* declared = SniffPageCharset(page_.Text).Declared;
            declared && declared->Kind != CharsetKind::Utf8)
            throw ETemplateError("The template " + name + " is in " + declared->Name +
                                 ": the site map is UTF-8, so its template must be too");
        ParsePage(page_.Text, nullptr, this);
        if (markers_ == 0)
            throw ETemplateError("The template " + name + " holds no " +
                                 std::string(kTemplateMarker) +
                                 " comment: put it where the site map goes");
        if (markers_ > 1)
            throw ETemplateError("The template " + name + " holds the " +
                                 std::string(kTemplateMarker) + " comment " +
                                 std::to_string(markers_) + " times: it must hold it once");
        if (!headEnd_)
            throw ETemplateError("The template " + name +
                                 " has no </head> end tag: the site map's style sheet goes "
                                 "before it");
        if (page_.MarkerBegin < *headEnd_)
            throw ETemplateError("The template " + name + " holds the " +
                                 std::string(kTemplateMarker) +
                                 " comment in its head: put it in the body");
        page_.HeadEnd = *headEnd_;
        // A base URL is the one the others resolve against: it alone moves,
        // and an absolute one not at all.
        if (sawBase_) {
            page_.Edits.clear();
            if (base_)
                page_.Edits.push_back(std::move(*base_));
        }
    }

    void Comment(size_t begin, size_t end) override {
        std::string_view comment = std::string_view(page_.Text).substr(begin, end - begin);
        if (comment.size() < 7 || !comment.ends_with("-->"))
            return;
        if (TrimmedHtmlSpace(comment.substr(4, comment.size() - 7)) != "trailwright:sitemap")
            return;
        if (++markers_ == 1) {
            page_.MarkerBegin = begin;
            page_.MarkerEnd = end;
        }
    }

    void StartTag(std::string_view tag, const std::vector<Attribute>& attributes) override {
        if (!rebase_)
            return;
        for (const Attribute& a : attributes) {
            if (a.Begin == a.End || a.Value.empty())
                continue;
            std::string value;
            if (tag == "base" && a.Name == "href") {
                if (sawBase_)
                    continue;
                sawBase_ = true;
                if (std::optional<std::string> url = Rebased(a.Value))
                    base_ = LoadedTemplate::Edit{a.Begin, a.End, Quoted(*url)};
                continue;
            }
            if (IsUrlAttribute(tag, a.Name)) {
                if (std::optional<std::string> url = Rebased(a.Value))
                    value = std::move(*url);
            } else if (a.Name == "srcset") {
                value = SourceSet(a.Value);
            } else if (a.Name == "style") {
                value = Css(a.Value);
            }
            if (!value.empty())
                page_.Edits.push_back({a.Begin, a.End, Quoted(value)});
        }
    }

    void EndTag(std::string_view tag, size_t at) override {
        if (tag == "head" && !headEnd_)
            headEnd_ = at;
    }

    void StyleText(size_t begin, size_t end) override {
        if (!rebase_)
            return;
        FindCssReferences(
            std::string_view(page_.Text).substr(begin, end - begin), 1, [&](CssReference&& ref) {
                if (std::optional<std::string> url = Rebased(ref.Value))
                    page_.Edits.push_back({begin + ref.Begin, begin + ref.End, CssString(*url)});
            });
    }

private:
    std::optional<std::string> Rebased(std::string_view url) const {
        return RebasedURL(url, templateFolder_, outputFolder_);
    }

    static std::string Quoted(std::string_view value) {
        std::string out = "\"";
        AppendHtmlEscaped(out, value);
        return out + "\"";
    }

    // Each URL of a srcset rebased, the rest as it stands; empty when none
    // changed. Candidates are split as the tokenizer splits them.
    std::string SourceSet(const std::string& v) const {
        std::string out;
        bool changed = false;
        size_t copied = 0;
        ForEachSourceSetURL(v, [&](size_t begin, size_t end) {
            if (std::optional<std::string> url =
                    Rebased(std::string_view(v).substr(begin, end - begin))) {
                out.append(v, copied, begin - copied);
                out += *url;
                copied = end;
                changed = true;
            }
        });
        if (!changed)
            return {};
        out.append(v, copied, std::string::npos);
        return out;
    }

    // CSS with its url()s and imports rebased; empty when none changed.
    std::string Css(std::string_view css) const {
        std::string out;
        size_t copied = 0;
        bool changed = false;
        FindCssReferences(css, 1, [&](CssReference&& ref) {
            if (std::optional<std::string> url = Rebased(ref.Value)) {
                out.append(css, copied, ref.Begin - copied);
                out += CssString(*url);
                copied = ref.End;
                changed = true;
            }
        });
        if (!changed)
            return {};
        out.append(css, copied, std::string_view::npos);
        return out;
    }

    LoadedTemplate& page_;
    const std::string templateFolder_, outputFolder_;
    const bool rebase_;
    int markers_ = 0;
    std::optional<size_t> headEnd_;
    bool sawBase_ = false;
    std::optional<LoadedTemplate::Edit> base_;
};

std::string ReadTemplateFile(const std::string& path) {
    struct stat st {};
    UniqueFd fd = OpenRegularFile(path, &st);
    if (!fd.Valid()) {
        const int error = errno;
        throw ETemplateError(WithReason("Cannot open the template " + path,
                                        error == 0 ? kNotRegularFile : SystemReason(error)));
    }
    if (static_cast<unsigned long long>(st.st_size) > kTemplateMaxBytes)
        throw ETemplateError("The template " + path + " is larger than 16 MB");
    std::string buffer;
    size_t length = 0;
    bool truncated = false;
    if (!ReadFileStart(fd.Get(), kTemplateMaxBytes, buffer, length, truncated))
        throw ETemplateError(WithReason("Cannot read the template " + path, SystemReason(errno)));
    if (truncated) // grown since its status was taken
        throw ETemplateError("The template " + path + " is larger than 16 MB");
    buffer.resize(length);
    return buffer;
}

} // namespace

std::optional<std::string> RebasedURL(std::string_view url, std::string_view templateFolder,
                                      std::string_view outputFolder) {
    while (!url.empty() && IsSpaceOrControl(url.front()))
        url.remove_prefix(1);
    while (!url.empty() && IsSpaceOrControl(url.back()))
        url.remove_suffix(1);
    if (url.empty() || url[0] == '/' || url[0] == '\\' || url[0] == '#' || url[0] == '?')
        return std::nullopt;
    // Browsers drop tabs and line breaks anywhere before they look for a scheme.
    std::string bare;
    for (char c : url)
        if (c != '\t' && c != '\n' && c != '\r')
            bare += c;
    if (SplitURL(bare).HasScheme)
        return std::nullopt;
    const size_t tail = std::min(url.find_first_of("?#"), url.size());
    const std::string path =
        RemoveDotSegments(std::string(templateFolder) + std::string(url.substr(0, tail)));
    const size_t slash = path.rfind('/');
    std::string rebased = RelativeFolder(std::string_view(path).substr(0, slash + 1), outputFolder);
    rebased += path.substr(slash + 1);
    if (rebased.empty())
        rebased = "./"; // the output's own folder; an empty URL would be the page itself
    rebased += url.substr(tail);
    return rebased;
}

LoadedTemplate LoadPageTemplate(const std::string& path, const std::string& outputFile) {
    LoadedTemplate page;
    page.Path = path;
    page.Text = ReadTemplateFile(path);
    TemplateReader reader(page, EncodeUrlPath(ExtractFilePath(path)),
                          EncodeUrlPath(ExtractFilePath(outputFile)));
    reader.Read();
    std::sort(page.Edits.begin(), page.Edits.end(),
              [](const LoadedTemplate::Edit& a, const LoadedTemplate::Edit& b) {
                  return a.Begin < b.Begin;
              });
    return page;
}

void WriteTemplatedPage(const LoadedTemplate& page, std::string_view headInsert,
                        const std::function<void(const TextSink&)>& writeBody,
                        const TextSink& sink) {
    const std::string_view text = page.Text;
    size_t at = 0;
    auto copyTo = [&](size_t end) {
        if (end > at)
            sink(text.substr(at, end - at));
        at = std::max(at, end);
    };
    // The edits, then the head's end and the marker, in the order they stand.
    auto edit = page.Edits.begin();
    auto editsBefore = [&](size_t end) {
        for (; edit != page.Edits.end() && edit->Begin < end; ++edit) {
            copyTo(edit->Begin);
            sink(edit->Text);
            at = edit->End;
        }
    };
    editsBefore(page.HeadEnd);
    copyTo(page.HeadEnd);
    sink(headInsert);
    editsBefore(page.MarkerBegin);
    copyTo(page.MarkerBegin);
    writeBody(sink);
    at = page.MarkerEnd;
    editsBefore(text.size());
    copyTo(text.size());
}

std::string ModernTemplateHead(const TMapProfile& profile, std::string_view extraRules) {
    const std::string scope = "#" + std::string(kTemplateNavId);
    std::string head = "<meta name=\"generator\" content=\"Zephyrix Trailwright\">\n<style>\n";
    head += ModernStyleSheet(profile, scope);
    head += ScopedCssRules(extraRules, scope);
    return head + "</style>\n";
}

void WriteModernTemplatedPage(const LoadedTemplate& page, const TSiteMapTree& tree,
                              const TMapProfile& profile, WriterListener* listener,
                              const TextSink& sink) {
    WriteTemplatedPage(
        page, ModernTemplateHead(profile),
        [&](const TextSink& body) { WriteModernNav(tree, profile, listener, body); }, sink);
}

} // namespace tw
