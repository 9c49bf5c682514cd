#include "output/PreviewPage.h"

#include "output/ModernLayout.h"
#include "output/PageWrapper.h"
#include "support/NXStrings.h"

#include <cctype>

namespace tw {

namespace {

// The modern page as far as a rich-text view can show it: its light scheme,
// title, filter field, a folder with underlined links, and the credit. The
// view knows no style variables, so every colour is written where it is used.
std::string BuildModernPreviewPage(const TMapProfile& profile) {
    auto colour = [&profile](size_t k) { return ModernPageColour(profile, k); };
    auto link = [&colour](size_t k, std::string_view text) {
        return "<u style=\"color:" + colour(k) + "\">" + std::string(text) + "</u>";
    };
    std::string title = profile.PageTitle();
    if (title.find_first_not_of(" \t\n\f\r") == std::string::npos)
        title = kDefaultPageTitle;
    std::string page = "<html><body style=\"background-color:" + colour(0) + ";color:" + colour(1) +
                       ";font-family:sans-serif\">\n<h3>";
    AppendHtmlEscaped(page, title);
    page += "</h3>\n";
    if (profile.FilterBox())
        page += "<p>Filter the site map: <span style=\"border:1px solid " + colour(1) +
                "\">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</span></p>\n";
    // Qt's default indent of a list is wider than the whole preview.
    page += "<ul style=\"list-style-type:square;-qt-list-indent:1\">\n<li><b>";
    if (profile.Collapsible())
        page += "&#9662; ";
    page += (profile.NoFolderLinks() ? std::string("Folder") : link(2, "Folder")) + "</b>\n";
    page += "<ul style=\"list-style-type:disc;-qt-list-indent:2\">\n<li>" + link(2, "Link") +
            "</li>\n<li>" + link(3, "Visited link") + "</li>\n<li>" + link(4, "Active link") +
            "</li>\n</ul></li>\n<li>Page text</li>\n</ul>\n";
    if (!profile.NoCredit())
        page += "<p><small>Made with " + link(2, "Zephyrix Trailwright") + "</small></p>\n";
    return page + "</body></html>\n";
}

} // namespace

std::string BuildPreviewPage(const TMapProfile& profile) {
    if (profile.ModernLayout())
        return BuildModernPreviewPage(profile);
    std::string page;
    auto line = [&page](const std::string& text) { page += text + "\r\n"; };
    line("<html>");
    line(GetBodyTag(profile)); // ends with CR LF itself: an empty line follows
    line("Page Text will look like this!<BR><BR>");
    line("<font color=\"" + ColorToHTML(profile.clrLink()) +
         "\"><u>Links will look like this!</u></font><BR>");
    line("<font color=\"" + ColorToHTML(profile.clrVisited()) +
         "\"><U>Visited Links will look like this!</U></font><BR>");
    line("<font color=\"" + ColorToHTML(profile.clrActive()) +
         "\"><U>Active Links will look like this!</U></font><BR><BR>");
    line("</body>");
    line("</html>");
    return page;
}

std::string WithBodyTextColourAsStyle(const std::string& html) {
    std::string folded = AsciiLowerCase(html);
    size_t open = folded.find("<body");
    if (open == std::string::npos)
        return html;
    size_t close = folded.find('>', open);
    if (close == std::string::npos)
        return html;
    // Attributes may follow each other without a space: name="value"name=...
    std::string colour;
    size_t i = open + 5;
    while (i < close) {
        size_t eq = folded.find('=', i);
        if (eq == std::string::npos || eq > close)
            break;
        size_t nameStart = eq;
        while (nameStart > i && (std::isalnum(static_cast<unsigned char>(folded[nameStart - 1])) ||
                                 folded[nameStart - 1] == '-'))
            --nameStart;
        std::string name = folded.substr(nameStart, eq - nameStart);
        size_t valueStart = eq + 1;
        size_t valueEnd;
        if (valueStart < close && (html[valueStart] == '"' || html[valueStart] == '\'')) {
            char quote = html[valueStart++];
            valueEnd = html.find(quote, valueStart);
            if (valueEnd == std::string::npos || valueEnd > close)
                return html;
            i = valueEnd + 1;
        } else {
            valueEnd = valueStart;
            while (valueEnd < close && !std::isspace(static_cast<unsigned char>(html[valueEnd])))
                ++valueEnd;
            i = valueEnd;
        }
        if (name == "text")
            colour = html.substr(valueStart, valueEnd - valueStart);
    }
    // Only a plain colour value is carried over, nothing that could end the style.
    if (colour.empty() || colour.find_first_of("\"';<>") != std::string::npos)
        return html;
    std::string result = html;
    result.insert(close, " style=\"color:" + colour + "\"");
    return result;
}

} // namespace tw
