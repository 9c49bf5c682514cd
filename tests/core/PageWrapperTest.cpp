#include "output/PageWrapper.h"

#include "output/SiteMapWriter.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {
const std::string kFooter =
    "<div style=\"font:normal 11px arial,sans-serif;text-align:center; margin:1em auto;\">::: "
    "Made with Zephyrix : <a href=\"https://www.zephyrix.example/\" title=\"HTML - FTP - "
    "Flash\" style=\"text-decoration: none\"> Web Design Software </a> :::</div>";
}

TEST(ColorToHTML, RedGreenBlueOrder) {
    EXPECT_EQ(ColorToHTML(0xFFFFFF), "#FFFFFF");
    EXPECT_EQ(ColorToHTML(0xFF0000), "#0000FF");
    EXPECT_EQ(ColorToHTML(0x0000FF), "#FF0000");
    EXPECT_EQ(ColorToHTML(0x800080), "#800080");
    EXPECT_EQ(ColorToHTML(0xF5F6F7), "#F7F6F5");
    EXPECT_EQ(ColorToHTML(0), "#000000");
    EXPECT_EQ(ColorToHTML(-1), "");
    // Only the low 24 bits of an ordinary value count.
    EXPECT_EQ(ColorToHTML(0x1FFFFFFF), "#FFFFFF");
}

TEST(ColorToHTML, SystemColoursResolveToFixedValues) {
    EXPECT_EQ(ColorToHTML(static_cast<TColor>(0x80000005)), "#FFFFFF"); // window
    EXPECT_EQ(ColorToHTML(static_cast<TColor>(0x8000000F)), "#F0F0F0"); // button face
    EXPECT_EQ(ColorToHTML(static_cast<TColor>(0x80000018)), "#FFFFE1"); // info background
    EXPECT_EQ(ColorToHTML(static_cast<TColor>(0x800000FE)), "#000000"); // unknown index
    EXPECT_EQ(ColorToHTML(-2), "#000000");
}

TEST(GetBodyTag, AttributesWithoutSpacesAndEmptyForNone) {
    TMapProfile p;
    EXPECT_EQ(GetBodyTag(p), "<body bgcolor=\"#FFFFFF\"text=\"#000000\"link=\"#0000FF\"vlink="
                             "\"#800080\"alink=\"#FF0000\">\r\n");
    p.SetclrBackground(-1);
    EXPECT_EQ(GetBodyTag(p), "<body bgcolor=\"\"text=\"#000000\"link=\"#0000FF\"vlink="
                             "\"#800080\"alink=\"#FF0000\">\r\n");
    p.SetclrText(-1);
    p.SetclrLink(-1);
    p.SetclrVisited(-1);
    p.SetclrActive(-1);
    EXPECT_EQ(GetBodyTag(p), "<body bgcolor=\"\"text=\"\"link=\"\"vlink=\"\"alink=\"\">\r\n");
}

TEST(BuildSiteMapPage, TheWorkedExampleLineByLine) {
    TSiteMapTree tree;
    TDataRec home;
    home.LinkText = "Home";
    home.LinkURL = "index.html";
    home.IsFolder = true;
    TDataRec about;
    about.LinkText = "About Us";
    about.LinkURL = "about.html";
    tree.Add(tree.Add(nullptr, home, kImageFolder), about, kImagePage);
    TMapProfile p;
    p.SetOutputFormat(TMapOutputFormat::mfmtList);
    p.SetClassAttribs(true);
    p.SetAddImages(false);
    std::string page = BuildSiteMapPage(BuildSiteMap(tree, p), p);
    std::string expected =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><html>\r\n"
        "<head>\r\n"
        "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
        "  <title>Site Map</title>\r\n"
        "  <style type=\"text/css\">\r\n"
        "  <!--\r\n"
        "    .mapsection {font-family: Tahoma;font-size: 12px;}\r\n"
        "    .mapitem {font-family: Tahoma;font-size: 10px;}\r\n"
        "  -->\r\n"
        "  </style>\r\n"
        "</head>\r\n"
        "<body bgcolor=\"#FFFFFF\"text=\"#000000\"link=\"#0000FF\"vlink=\"#800080\"alink="
        "\"#FF0000\">\r\n"
        "\r\n"
        "<ul><b class=\"mapsection\"><a href=\"index.html\">Home</a></b>\r\n"
        "  <dt>&nbsp;&nbsp;<a href=\"about.html\" class=\"mapitem\">About Us</a></dt>\r\n"
        "</ul>\r\n" +
        kFooter +
        "\r\n"
        "</body>\r\n"
        "</html>";
    EXPECT_EQ(page, expected);
}

TEST(BuildSiteMapPage, WithoutStylesAndWithAnEmptyFragment) {
    TMapProfile p;
    p.SetClassAttribs(false);
    EXPECT_EQ(GetStyleSheet(p), "");
    std::string page = BuildSiteMapPage("", p);
    EXPECT_NE(page.find("  <title>Site Map</title>\r\n</head>\r\n"), std::string::npos);
    EXPECT_NE(page.find("alink=\"#FF0000\">\r\n\r\n" + kFooter + "\r\n</body>\r\n</html>"),
              std::string::npos);
    EXPECT_NE(page.back(), '\n');
}
