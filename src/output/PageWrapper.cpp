#include "output/PageWrapper.h"

#include <cstdint>

namespace tw {

namespace {

// Classic desktop colours for the system colour indexes, in 0x00BBGGRR form.
constexpr std::uint32_t kSystemColors[] = {
    0xC8C8C8, // scroll bar
    0x000000, // desktop
    0xD1B499, // active caption
    0xDBCDBF, // inactive caption
    0xF0F0F0, // menu
    0xFFFFFF, // window
    0x646464, // window frame
    0x000000, // menu text
    0x000000, // window text
    0x000000, // caption text
    0xB4B4B4, // active border
    0xFCF7F4, // inactive border
    0xABABAB, // application workspace
    0xFF9933, // highlight
    0xFFFFFF, // highlight text
    0xF0F0F0, // button face
    0xA0A0A0, // button shadow
    0x6D6D6D, // grey text
    0x000000, // button text
    0x000000, // inactive caption text
    0xFFFFFF, // button highlight
    0x696969, // 3D dark shadow
    0xE3E3E3, // 3D light
    0x000000, // info text
    0xE1FFFF, // info background
    0x000000, // (unused)
    0xCC6600, // hot light
    0xEAD1B9, // gradient active caption
    0xF2E4D7, // gradient inactive caption
    0xFF9933, // menu highlight
    0xF0F0F0, // menu bar
};

} // namespace

std::string ColorToHTML(TColor color) {
    if (color == kColorNone)
        return {};
    auto value = static_cast<std::uint32_t>(color);
    if (value & 0x80000000u) {
        std::uint32_t index = value & 0xFFu;
        value = index < std::size(kSystemColors) ? kSystemColors[index] : 0;
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "#";
    for (int shift : {0, 8, 16}) {
        unsigned byte = (value >> shift) & 0xFFu;
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
    return out;
}

std::string GetBodyTag(const TMapProfile& profile) {
    return "<body bgcolor=\"" + ColorToHTML(profile.clrBackground()) + "\"text=\"" +
           ColorToHTML(profile.clrText()) + "\"link=\"" + ColorToHTML(profile.clrLink()) +
           "\"vlink=\"" + ColorToHTML(profile.clrVisited()) + "\"alink=\"" +
           ColorToHTML(profile.clrActive()) + "\">\r\n";
}

std::string GetStyleSheet(const TMapProfile& profile) {
    if (!profile.ClassAttribs())
        return {};
    return "  <style type=\"text/css\">\r\n"
           "  <!--\r\n"
           "    .mapsection {font-family: Tahoma;font-size: 12px;}\r\n"
           "    .mapitem {font-family: Tahoma;font-size: 10px;}\r\n"
           "  -->\r\n"
           "  </style>\r\n";
}

std::string SiteMapPageHead(const TMapProfile& profile) {
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><html>\r\n"
           "<head>\r\n"
           "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
           "  <title>Site Map</title>\r\n" +
           GetStyleSheet(profile) + "</head>\r\n" + GetBodyTag(profile);
}

std::string SiteMapPageFoot() {
    return std::string("\r\n<div style=\"font:normal 11px arial,sans-serif;"
                       "text-align:center; margin:1em auto;\">::: Made with "
                       "Zephyrix : <a href=\"") +
           kMakerHomePage +
           "\" title=\"HTML - FTP - Flash\" style=\"text-decoration: none\"> Web "
           "Design Software </a> :::</div>\r\n</body>\r\n</html>";
}

std::string BuildSiteMapPage(const std::string& fragment, const TMapProfile& profile) {
    std::string head = SiteMapPageHead(profile);
    std::string foot = SiteMapPageFoot();
    std::string page;
    page.reserve(head.size() + fragment.size() + foot.size());
    page += head;
    page += fragment;
    page += foot;
    return page;
}

} // namespace tw
