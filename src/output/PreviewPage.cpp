#include "output/PreviewPage.h"

#include "output/PageWrapper.h"
#include "support/NXStrings.h"

#include <cctype>

namespace tw {

std::string BuildPreviewPage(const TMapProfile& profile) {
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
