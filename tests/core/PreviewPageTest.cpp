#include "output/PreviewPage.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(PreviewPage, ShowsTheFiveColours) {
    TMapProfile p;
    p.SetclrLink(0x00FF00);
    EXPECT_EQ(BuildPreviewPage(p),
              "<html>\r\n"
              "<body bgcolor=\"#FFFFFF\"text=\"#000000\"link=\"#00FF00\"vlink=\"#800080\"alink="
              "\"#FF0000\">\r\n\r\n"
              "Page Text will look like this!<BR><BR>\r\n"
              "<font color=\"#00FF00\"><u>Links will look like this!</u></font><BR>\r\n"
              "<font color=\"#800080\"><U>Visited Links will look like this!</U></font><BR>\r\n"
              "<font color=\"#FF0000\"><U>Active Links will look like this!</U></font><BR><BR>\r\n"
              "</body>\r\n"
              "</html>\r\n");
}

TEST(PreviewPage, ModernLayoutShowsItsShapeInTheProfilesColours) {
    TMapProfile p;
    p.SetPageLayout(TMapPageLayout::mlayModern);
    p.SetclrBackground(kColorNone);
    p.SetclrVisited(0x123456);
    p.SetPageTitle("<b>&Plan");
    std::string page = BuildPreviewPage(p);
    EXPECT_NE(page.find("<h3>&lt;b&gt;&amp;Plan</h3>"), std::string::npos);
    EXPECT_NE(page.find("background-color:#FFFFFF;"), std::string::npos); // none: the default
    EXPECT_NE(page.find("<u style=\"color:#563412\">Visited link"), std::string::npos);
    EXPECT_NE(page.find("Made with"), std::string::npos);
    EXPECT_EQ(page.find("Filter"), std::string::npos);
    p.SetFilterBox(true);
    p.SetNoCredit(true);
    page = BuildPreviewPage(p);
    EXPECT_NE(page.find("Filter the site map"), std::string::npos);
    EXPECT_EQ(page.find("Made with"), std::string::npos);
}

TEST(PreviewPage, TextColourBecomesAStyleOfTheBody) {
    EXPECT_EQ(
        WithBodyTextColourAsStyle("<html><body bgcolor=\"#FFFFFF\"text=\"#102030\"link=\"\">x"),
        "<html><body bgcolor=\"#FFFFFF\"text=\"#102030\"link=\"\" style=\"color:#102030\">x");
    EXPECT_EQ(WithBodyTextColourAsStyle("<BODY TEXT=red>x"),
              "<BODY TEXT=red style=\"color:red\">x");
    // The none value leaves the view's default colour.
    EXPECT_EQ(WithBodyTextColourAsStyle("<body bgcolor=\"\"text=\"\">"),
              "<body bgcolor=\"\"text=\"\">");
    EXPECT_EQ(WithBodyTextColourAsStyle("<p>no body</p>"), "<p>no body</p>");
    EXPECT_EQ(WithBodyTextColourAsStyle("<body text=\"a;b\">"), "<body text=\"a;b\">");
    EXPECT_EQ(WithBodyTextColourAsStyle("<body text=\"#000"), "<body text=\"#000");
}
