#include "output/ModernLayout.h"

#include "model/PageParser.h"
#include "model/ProfileRules.h"
#include "output/PageWrapper.h"
#include "output/SitemapURLStyle.h"
#include "scan/PageReading.h"
#include "support/NXStrings.h"

#include <vector>

namespace tw {

std::string ModernPageLanguage(const TMapProfile& profile, std::string_view indexLang) {
    // A profile file may hold anything: a lang that is no tag is not written.
    if (IsLanguageTag(profile.PageLang()))
        return profile.PageLang();
    if (IsLanguageTag(indexLang))
        return std::string(indexLang);
    return "en";
}

std::string ModernPageLanguageOf(const TMapProfile& profile) {
    if (IsLanguageTag(profile.PageLang()) || profile.IndexPage().empty())
        return ModernPageLanguage(profile, {});
    return ModernPageLanguage(profile, ReadPageLanguage(profile.IndexPage()));
}

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the UTF-8 sequence at I and its code point, or 0 when the
// bytes there are no well-formed sequence.
size_t Utf8At(std::string_view text, size_t i, char32_t& cp) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char b = byte(i);
    size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (len == 0 || b > 0xF4 || i + len > text.size())
        return 0;
    cp = b & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

bool ForbiddenInHtml(char32_t cp) {
    return (cp >= 0x80 && cp <= 0x9F) || (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE;
}

} // namespace

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    size_t from = 0;
    auto replace = [&](size_t i, size_t len, std::string_view with) {
        out.append(text, from, i - from);
        out += with;
        from = i + len;
    };
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
            case '&':
                replace(i, 1, "&amp;");
                break;
            case '<':
                replace(i, 1, "&lt;");
                break;
            case '>':
                replace(i, 1, "&gt;");
                break;
            case '"':
                replace(i, 1, "&quot;");
                break;
            case '\t':
            case '\n':
            case '\f':
            case '\r':
                break;
            default:
                if (c < 0x20 || c == 0x7F)
                    replace(i, 1, kReplacement);
                break;
            }
            ++i;
            continue;
        }
        char32_t cp = 0;
        size_t len = Utf8At(text, i, cp);
        if (len == 0) {
            replace(i, 1, kReplacement);
            ++i;
        } else {
            if (ForbiddenInHtml(cp))
                replace(i, len, kReplacement);
            i += len;
        }
    }
    out.append(text, from, std::string_view::npos);
}

namespace {

// Schemes whose links run code or carry a page of their own: the modern
// layout writes such an item without a link.
bool IsScriptURL(std::string_view url) {
    std::string scheme;
    for (char c : url) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 && scheme.empty())
            continue; // browsers strip leading controls and spaces
        if (c == '\t' || c == '\n' || c == '\r')
            continue; // and these anywhere
        if (c == ':')
            break;
        if (scheme.size() > 10)
            return false;
        scheme += AsciiLower(c);
    }
    return scheme == "javascript" || scheme == "vbscript" || scheme == "data";
}

} // namespace

std::string ModernPageColour(const TMapProfile& profile, size_t k) {
    const PageColour& colour = kPageColours[k];
    std::string html = ColorToHTML((profile.*colour.Get)());
    return html.empty() ? ColorToHTML(colour.Default) : html;
}

namespace {

// The light scheme's five colours from the profile.
std::string LightColours(const TMapProfile& profile) {
    static constexpr const char* kNames[] = {"--bg", "--fg", "--link", "--visited", "--active"};
    std::string css = "color-scheme:light dark";
    for (size_t k = 0; k < kPageColours.size(); ++k) {
        css += ';';
        css += kNames[k];
        css += ':';
        css += ModernPageColour(profile, k);
    }
    return css;
}

// The style sheet as rules, so that one table serves the page and a nav
// scoped under its id. Rules of one Media are written in one block.
struct CssRule {
    std::string_view Media, Selectors, Body;
};

constexpr CssRule kRules[] = {
    {"(prefers-color-scheme:dark)", ":root",
     "--bg:#16181C;--fg:#E8E6E3;--link:#8AB4F8;--visited:#D0A8F7;--active:#FF9E80"},
    {"", "body",
     "margin:0 auto;max-width:60rem;padding:1rem;background:var(--bg);color:var(--fg);"
     "font-family:system-ui,sans-serif;font-size:1rem;line-height:1.5"},
    {"", "h1", "font-size:1.75rem;line-height:1.25;margin:0 0 1rem"},
    {"", "a", "color:var(--link);text-decoration:underline"},
    {"", "a:visited", "color:var(--visited)"},
    {"", "a:hover,a:active", "color:var(--active)"},
    {"", "a:focus-visible,summary:focus-visible,input:focus-visible",
     "outline:0.1875rem solid var(--fg);outline-offset:0.125rem"},
    {"", "nav ul", "list-style:none;margin:0;padding:0 0 0 min(1.25rem,4vw)"},
    {"", "nav>ul", "padding-left:0"},
    // A deep tree would push its names past a phone's width: levels below
    // the eleventh are not indented further.
    {"", "nav ul ul ul ul ul ul ul ul ul ul ul ul", "padding-left:0"},
    {"", "nav li", "margin:0.25rem 0;overflow-wrap:anywhere"},
    {"", "li.f>a,li.f>.n,summary", "font-weight:bold"},
    {"", "summary", "cursor:pointer"},
    {"", ".k",
     "display:inline-block;box-sizing:border-box;width:0.75rem;height:0.9375rem;"
     "margin-right:0.5rem;border:0.125rem solid currentColor;border-radius:0.125rem;"
     "vertical-align:-0.125rem"},
    {"", "li.f>.k,summary>.k", "width:1rem;height:0.8125rem;border-top-width:0.3125rem"},
    {"", "li.g>.k", "border-radius:50%"},
    {"", "[hidden]", "display:none!important"},
    {"", ".tw-filter", "margin:0 0 1rem"},
    {"", ".tw-filter input",
     "font:inherit;max-width:100%;color:var(--fg);background:var(--bg);"
     "border:0.0625rem solid var(--fg);padding:0.25rem 0.5rem"},
    {"", "footer,.tw-credit", "margin-top:2rem;font-size:0.875rem"},
    {"print", ":root",
     "--bg:#FFFFFF;--fg:#000000;--link:#000000;--visited:#000000;--active:#000000"},
    {"print", "body", "max-width:none;padding:0"},
    {"print", ".tw-filter", "display:none"},
};

// One selector under Scope, the nav's id: the page's root and body are
// the nav itself, and so is "nav"; its heading is an h2 there.
void AppendScopedSelector(std::string& out, std::string_view selector, std::string_view scope) {
    out += scope;
    if (selector == ":root" || selector == "body")
        return;
    if (selector.starts_with("nav")) {
        out += selector.substr(3);
        return;
    }
    out += ' ';
    out += selector == "h1" ? "h2" : selector;
}

void AppendSelectors(std::string& out, std::string_view selectors, std::string_view scope) {
    if (scope.empty()) {
        out += selectors;
        return;
    }
    for (size_t from = 0;;) {
        size_t comma = selectors.find(',', from);
        AppendScopedSelector(out, selectors.substr(from, comma - from), scope);
        if (comma == std::string_view::npos)
            break;
        out += ',';
        from = comma + 1;
    }
}

void AppendRule(std::string& out, const CssRule& rule, std::string_view scope) {
    AppendSelectors(out, rule.Selectors, scope);
    out += '{';
    out += rule.Body;
    out += '}';
}

} // namespace

std::string ScopedCssRules(std::string_view rules, std::string_view scope) {
    std::string css;
    for (size_t from = 0; from < rules.size();) {
        size_t open = rules.find('{', from);
        size_t close = rules.find('}', open);
        if (open == std::string_view::npos || close == std::string_view::npos)
            break;
        AppendSelectors(css, rules.substr(from, open - from), scope);
        css += rules.substr(open, close + 1 - open);
        css += '\n';
        from = rules.find_first_not_of('\n', close + 1);
    }
    return css;
}

std::string ModernStyleSheet(const TMapProfile& profile, std::string_view scope) {
    std::string css;
    const std::string light = LightColours(profile);
    AppendRule(css, {"", ":root", light}, scope);
    css += '\n';
    std::string_view media;
    for (const CssRule& rule : kRules) {
        if (rule.Media != media) {
            if (!media.empty())
                css += "}\n";
            media = rule.Media;
            if (!media.empty()) {
                css += "@media ";
                css += media;
                css += '{';
            }
        }
        AppendRule(css, rule, scope);
        if (media.empty())
            css += '\n';
    }
    if (!media.empty())
        css += "}\n";
    return css;
}

namespace {

// Hides the items that do not match, keeping the folders on their way and
// everything inside a matching folder; two passes over the items.
// The map's id goes between its two halves.
constexpr std::string_view kFilterScriptStart = R"(<script>
(function () {
  var box = document.getElementById("tw-filter-box");
  var field = document.getElementById("tw-filter");
  var status = document.getElementById("tw-filter-status");
  var items = Array.prototype.slice.call(document.getElementById(")";
constexpr std::string_view kFilterScript = R"(").getElementsByTagName("li"));
  var n = items.length, texts = [], parents = [], folds = [], i;
  for (i = 0; i < n; i++) {
    var li = items[i], c, text = "", fold = null, up;
    li.twIndex = i;
    for (c = li.firstElementChild; c; c = c.nextElementSibling) {
      if (c.tagName === "A" || c.classList.contains("n")) { text = c.textContent; break; }
      if (c.tagName === "DETAILS") { fold = c; text = c.firstElementChild.textContent; break; }
    }
    texts.push(text.toLowerCase());
    folds.push(fold);
    up = li.parentElement.parentElement;
    if (up && up.tagName === "DETAILS") up = up.parentElement;
    parents.push(up && up.tagName === "LI" ? up.twIndex : -1);
  }
  function filter() {
    var q = field.value.trim().toLowerCase(), own = [], sub = [], inside = [], count = 0, p;
    for (i = 0; i < n; i++) { own.push(q !== "" && texts[i].indexOf(q) >= 0); sub.push(false); }
    for (i = n - 1; i >= 0; i--)
      if ((own[i] || sub[i]) && parents[i] >= 0) sub[parents[i]] = true;
    for (i = 0; i < n; i++) {
      p = parents[i];
      inside.push(p >= 0 && (own[p] || inside[p]));
      items[i].hidden = q !== "" && !(own[i] || sub[i] || inside[i]);
      if (q !== "" && sub[i] && folds[i]) folds[i].open = true;
      if (own[i]) count++;
    }
    status.textContent = q === "" ? "" : count + (count === 1 ? " item matches" : " items match");
  }
  field.addEventListener("input", filter);
  box.hidden = false;
})();
</script>
)";

} // namespace

bool ModernItemLinked(const SiteMapNode& node, const TMapProfile& profile) {
    const TDataRec& rec = node.Data;
    if (rec.LinkURL.empty() || (node.IsFolderNode() && profile.NoFolderLinks()))
        return false;
    return !(rec.LinkURLEdited && IsScriptURL(rec.LinkURL));
}

ModernPageWriter::ModernPageWriter(const TMapProfile& profile, const TextSink& sink)
    : profile_(profile), sink_(sink), collapsible_(profile.Collapsible()) {}

std::string ModernPageWriter::Title() const {
    std::string title = profile_.PageTitle();
    if (title.find_first_not_of(" \t\n\f\r") == std::string::npos)
        title = kDefaultPageTitle;
    return title;
}

void ModernPageWriter::DocumentHead(const std::string& lang, std::string_view title,
                                    std::string_view extraStyle) {
    out_ += "<!DOCTYPE html>\n<html lang=\"";
    AppendHtmlEscaped(out_, lang);
    out_ += "\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<meta name=\"generator\" content=\"Zephyrix Trailwright\">\n<title>";
    AppendHtmlEscaped(out_, title);
    out_ += "</title>\n<style>\n";
    out_ += ModernStyleSheet(profile_);
    out_ += extraStyle;
    out_ += "</style>\n</head>\n<body>\n";
}

void ModernPageWriter::Heading(std::string_view title) {
    out_ += "<main>\n<h1 id=\"tw-title\">";
    AppendHtmlEscaped(out_, title);
    out_ += "</h1>\n";
}

void ModernPageWriter::FilterBox() {
    // Shown by the script only: without script there is no dead field.
    out_ += "<div class=\"tw-filter\" id=\"tw-filter-box\" hidden>\n"
            "<label for=\"tw-filter\">Filter the site map</label>\n"
            "<input type=\"search\" id=\"tw-filter\" autocomplete=\"off\">\n"
            "<p id=\"tw-filter-status\" role=\"status\"></p>\n</div>\n";
}

void ModernPageWriter::Credit(bool inNav) {
    // Inside a template's nav a footer would take the template's footer style.
    out_ +=
        inNav ? "<p class=\"tw-credit\">Made with <a href=\"" : "<footer><p>Made with <a href=\"";
    out_ += kMakerHomePage;
    out_ +=
        inNav ? "\">Zephyrix Trailwright</a></p>\n" : "\">Zephyrix Trailwright</a></p></footer>\n";
}

void ModernPageWriter::FilterScript(std::string_view mapId) {
    out_ += kFilterScriptStart;
    out_ += mapId;
    out_ += kFilterScript;
}

void ModernPageWriter::MapOpen() {
    if (profile_.FilterBox())
        FilterBox();
    out_ += "<nav id=\"tw-map\" aria-labelledby=\"tw-title\">\n";
}

// The page's own h1 and title stay the template's: the nav's heading is an
// h2 inside it, which names it.
void ModernPageWriter::NavOpen(std::string_view title) {
    out_ += "<nav id=\"";
    out_ += kTemplateNavId;
    out_ += "\" aria-labelledby=\"tw-title\">\n<h2 id=\"tw-title\">";
    AppendHtmlEscaped(out_, title);
    out_ += "</h2>\n";
    if (profile_.FilterBox())
        FilterBox();
}

void ModernPageWriter::NavClose(std::string_view mapId) {
    if (!profile_.NoCredit())
        Credit(true);
    out_ += "</nav>\n";
    if (profile_.FilterBox())
        FilterScript(mapId.empty() ? kTemplateNavId : mapId);
}

void ModernPageWriter::ListOpen(const std::vector<const SiteMapNode*>& context) {
    out_ += "<ul>\n";
    // The folders a part continues, named but not linked: their links are
    // on the page where they begin.
    for (const SiteMapNode* folder : context) {
        out_ += collapsible_ ? "<li class=\"f\"><details open><summary>" : "<li class=\"f\">";
        out_ += kIcon;
        out_ += collapsible_ ? "" : "<span class=\"n\">";
        Text(folder->Data);
        out_ += collapsible_ ? " (continued)</summary>\n<ul>\n" : " (continued)</span>\n<ul>\n";
        open_.push_back(folder->Level());
    }
}

void ModernPageWriter::ListClose() {
    CloseFolders(0);
    out_ += "</ul>\n";
}

void ModernPageWriter::EmptyList() {
    out_ += "<p>The site map lists no pages.</p>\n";
}

void ModernPageWriter::MapClose() {
    out_ += "</nav>\n</main>\n";
    if (!profile_.NoCredit())
        Credit(false);
    if (profile_.FilterBox())
        FilterScript("tw-map");
}

void ModernPageWriter::DocumentFoot() {
    out_ += "</body>\n</html>\n";
    sink_(out_);
    out_.clear();
}

void ModernPageWriter::Flush(bool always) {
    if (always || out_.size() >= kFlushSize) {
        sink_(out_);
        out_.clear();
    }
}

// Closes the lists of the open folders at Level or deeper.
void ModernPageWriter::CloseFolders(int level) {
    while (!open_.empty() && open_.back() >= level) {
        out_ += collapsible_ ? "</ul></details></li>\n" : "</ul></li>\n";
        open_.pop_back();
    }
}

// The link text as its reader sees it, written as text; never empty,
// so that no link goes without a name.
void ModernPageWriter::Text(const TDataRec& rec) {
    if (rec.LinkTextOrigin == TextOrigin::FileName) {
        text_ = rec.LinkText;
    } else {
        text_ = DecodeHtmlText(rec.LinkText);
    }
    if (text_.find_first_not_of(" \t\n\f\r") == std::string::npos)
        text_ = rec.LinkURL.empty() ? rec.FilePath : rec.LinkURL;
    AppendHtmlEscaped(out_, text_);
}

void ModernPageWriter::Link(const TDataRec& rec) {
    out_ += "<a href=\"";
    AppendHtmlEscaped(out_, NodeHref(rec));
    out_ += "\">";
    Text(rec);
    out_ += "</a>";
}

void ModernPageWriter::Item(const SiteMapNode& node) {
    const TDataRec& rec = node.Data;
    CloseFolders(node.Level());
    const bool linked = ModernItemLinked(node, profile_);
    if (!node.IsFolderNode()) {
        out_ += node.ImageIndex() == kImagePicture ? "<li class=\"g\">" : "<li class=\"p\">";
        out_ += kIcon;
        if (linked)
            Link(rec);
        else
            Name(rec);
        out_ += "</li>\n";
        return;
    }
    if (collapsible_ && node.HasChildren()) {
        // A link inside a summary is lost to some screen readers: the
        // folder's page is the first item of its list instead.
        out_ += node.Level() <= 1 ? "<li class=\"f\"><details open><summary>"
                                  : "<li class=\"f\"><details><summary>";
        out_ += kIcon;
        Text(rec);
        out_ += "</summary>\n<ul>\n";
        if (linked) {
            out_ += "<li class=\"p\">";
            out_ += kIcon;
            Link(rec);
            out_ += "</li>\n";
        }
        open_.push_back(node.Level());
        return;
    }
    out_ += "<li class=\"f\">";
    out_ += kIcon;
    if (linked)
        Link(rec);
    else
        Name(rec);
    if (node.HasChildren()) {
        out_ += "\n<ul>\n";
        open_.push_back(node.Level());
    } else {
        out_ += "</li>\n";
    }
}

void ModernPageWriter::Name(const TDataRec& rec) {
    out_ += "<span class=\"n\">";
    Text(rec);
    out_ += "</span>";
}

namespace {

// Every item of the tree, or the line an empty map shows.
void WriteModernItems(ModernPageWriter& page, const TSiteMapTree& tree, WriterListener* listener) {
    const int count = tree.Count();
    if (count == 0) {
        page.EmptyList();
        return;
    }
    page.ListOpen({});
    tree.ForEach([&](SiteMapNode& node, int index) {
        if (listener)
            listener->BeforeNode(node, index, count);
        page.Item(node);
        if (listener)
            listener->AfterNode(node, index, count);
        page.Flush(false);
    });
    page.ListClose();
}

} // namespace

void WriteModernPage(const TSiteMapTree& tree, const TMapProfile& profile, const std::string& lang,
                     WriterListener* listener, const TextSink& sink) {
    ModernPageWriter page(profile, sink);
    const std::string title = page.Title();
    page.DocumentHead(lang, title, {});
    page.Heading(title);
    page.MapOpen();
    WriteModernItems(page, tree, listener);
    page.MapClose();
    page.DocumentFoot();
}

void WriteModernNav(const TSiteMapTree& tree, const TMapProfile& profile, WriterListener* listener,
                    const TextSink& sink) {
    ModernPageWriter page(profile, sink);
    page.NavOpen(page.Title());
    WriteModernItems(page, tree, listener);
    page.NavClose();
    page.Flush(true);
}

std::string BuildModernPage(const TSiteMapTree& tree, const TMapProfile& profile,
                            const std::string& lang) {
    std::string page;
    WriteModernPage(tree, profile, lang, nullptr,
                    [&page](std::string_view piece) { page += piece; });
    return page;
}

} // namespace tw
