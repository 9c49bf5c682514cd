#include "model/PageTitle.h"

#include "core/TestUtil.h"
#include "scan/PageReading.h"
#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using twtest::TempDir;
using twtest::Utf16Page;

namespace {

// The title the search finds when Page comes Step new bytes at a time; each
// window starts where the search asks, or at 0 when FromStart is set.
std::optional<std::string> SearchInSteps(const std::string& page, size_t step, bool fromStart,
                                         TitleUnits units = TitleUnits::Bytes) {
    TitleSearch search(units);
    size_t from = 0;
    size_t end = 0;
    for (;;) {
        end = std::min(page.size(), end + step);
        switch (search.Feed(std::string_view(page).substr(from, end - from), from)) {
        case TitleSearch::Result::Found:
            return page.substr(search.TitleBegin(), search.TitleEnd() - search.TitleBegin());
        case TitleSearch::Result::NoTitle:
            return std::nullopt;
        case TitleSearch::Result::NeedMore:
            break;
        }
        if (end == page.size())
            return std::nullopt; // no end mark
        from = fromStart ? 0 : search.KeepFrom();
    }
}

} // namespace

TEST(GetPageTitle, TakesTheTitleOfTitledTypesOnly) {
    TempDir dir;
    std::string page = dir.Write("page.html", "<HTML><HEAD><TITLE>About Us</TITLE></HEAD>");
    std::string text = dir.Write("notes.txt", "<title>Not used</title>");
    std::string shtml = dir.Write("inc.SHTML", "<title>Server side</title>");
    std::string php = dir.Write("x.php5", "<title>PHP</title>");
    EXPECT_EQ(GetPageTitle(page, true), "About Us");
    EXPECT_EQ(GetPageTitle(text, true), "notes.txt");
    EXPECT_EQ(GetPageTitle(shtml, true), "Server side");
    EXPECT_EQ(GetPageTitle(php, true), "PHP");
    // Titles off: every file is named by its file name.
    EXPECT_EQ(GetPageTitle(page, false), "page.html");
    EXPECT_EQ(GetPageTitle(shtml, false), "inc.SHTML");
}

TEST(GetPageTitle, FallsBackToTheFileName) {
    TempDir dir;
    EXPECT_EQ(GetPageTitle(dir.Write("empty.htm", "<title></title>"), true), "empty.htm");
    EXPECT_EQ(GetPageTitle(dir.Write("attr.htm", "<title lang=\"en\">X</title>"), true),
              "attr.htm");
    EXPECT_EQ(GetPageTitle(dir.Write("script.htm", "<!-- </title> --><title>X</title>"), true),
              "script.htm");
    EXPECT_EQ(GetPageTitle(dir.Write("none.htm", "<h1>no title</h1>"), true), "none.htm");
    EXPECT_EQ(GetPageTitle(dir / "missing.html", true), "missing.html");
    dir.MakeDir("folder.html");
    EXPECT_EQ(GetPageTitle(dir / "folder.html", true), "folder.html");
}

TEST(GetPageTitle, KeepsLineBreaksSpacesAndMarkup) {
    TempDir dir;
    std::string p =
        dir.Write("multi.html", "<title>\r\n  Line one\r\n  <b>two</b> &amp; \r\n</title>");
    EXPECT_EQ(GetPageTitle(p, true), "\r\n  Line one\r\n  <b>two</b> &amp; \r\n");
}

TEST(GetPageTitle, AFifoInAPagesPlaceDoesNotBlock) {
    TempDir dir;
    std::string fifo = dir / "pipe.html";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(GetPageTitle(fifo, true), "pipe.html");
}

// Tiny windows split every mark somewhere; the answer must not change.
TEST(TitleSearch, WindowsDoNotChangeTheAnswer) {
    const struct {
        const char* page;
        const char* title; // null: no title
    } cases[] = {
        {"<HTML><HEAD><TITLE>About Us</TITLE></HEAD>", "About Us"},
        {"<title></title>", ""},
        {"x<titlE>\r\n<b>t</b></TITLE>", "\r\n<b>t</b>"},
        {"<title>a<title>b</title>c</title>", "a<title>b"},
        {"<<title>>x<</title>", ">x<"},
        {"<title lang=\"en\">X</title>", nullptr},
        {"<!-- </title> --><title>X</title>", nullptr},
        {"<h1>no title</h1>", nullptr},
        {"<title>never closed", nullptr},
        {"<title>X</title", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        std::optional<std::string> want;
        if (c.title)
            want = c.title;
        for (size_t step : {1, 2, 3, 5, 7, 8, 9, 1000})
            for (bool fromStart : {false, true})
                EXPECT_EQ(SearchInSteps(c.page, step, fromStart), want)
                    << c.page << " step " << step << (fromStart ? " from start" : "");
    }
}

// The same in UTF-16 pages: their marks are units, and a "<" byte in
// another character is none.
TEST(TitleSearch, Utf16WindowsDoNotChangeTheAnswer) {
    const struct {
        std::u16string page;
        const char* title; // null: no title
    } cases[] = {
        {u"<HTML><HEAD><TITLE>About Us</TITLE></HEAD>", "About Us"},
        {u"x<titlE>\r\n<b>t</b></TITLE>", "\r\n<b>t</b>"},
        {u"\u3C3C\u013C<title>\u3C3C</title>", "\u3C3C"},
        {u"<title>\U0001F600</title>", "\U0001F600"},
        {u"<\u0174itle>x</title>", nullptr},
        {u"<!-- </title> --><title>X</title>", nullptr},
        {u"<title>X</title", nullptr},
    };
    for (const auto& c : cases)
        for (bool bigEndian : {false, true}) {
            const std::string page = Utf16Page(c.page, bigEndian);
            const TitleUnits units = bigEndian ? TitleUnits::Utf16BE : TitleUnits::Utf16LE;
            for (size_t step : {1, 2, 3, 15, 16, 17, 1000})
                for (bool fromStart : {false, true}) {
                    std::optional<std::string> title = SearchInSteps(page, step, fromStart, units);
                    EXPECT_EQ(title ? std::optional(Utf16BytesToUtf8(*title, bigEndian)) : title,
                              c.title ? std::optional<std::string>(c.title) : std::nullopt)
                        << c.title << (bigEndian ? " BE" : " LE") << " step " << step;
                }
        }
}

TEST(GetPageTitle, ReadsTitlesInThePagesOwnEncoding) {
    TempDir dir;
    // Its title starts in the first read and ends in the second.
    const std::u16string far = std::u16string(2030, u' ') + u"<title>Au-del\u00E0 de 4 Ko</title>";
    const struct {
        const char* name;
        std::string content;
        const char* title;
    } cases[] = {
        {"cafe.html", "<meta charset=\"utf-8\"><title>Caf\xC3\xA9 &amp; Cr\xC3\xA8me</title>",
         "Café &amp; Crème"},
        {"fr.html",
         "<html><head><title>Fran\xE7"
         "ais &#8212; Accueil</title>",
         "Français &#8212; Accueil"},
        {"latin1.html",
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
         "<title>\xC3\xA9t\xE9</title>",
         "Ã©té"},
        {"jp.html", "<meta charset=shift_jis><title>\x93\xFA\x96\x7B\x8C\xEA</title>", "日本語"},
        {"le.html", Utf16Page(u"<html><head><title>\u00DCn\u00EFc\u00F6d\u00E9</title>", false),
         "Ünïcödé"},
        {"be.html", Utf16Page(u"<TITLE>Big \U0001F600</TITLE>", true), "Big 😀"},
        {"far.html", Utf16Page(far, false), "Au-delà de 4 Ko"},
        {"cut.html", Utf16Page(u"<title>cut", false) + "x", "cut.html"},
        {"empty.html", Utf16Page(u"<title></title>", true), "empty.html"},
        {"nobom.html", Utf16Page(u"<title>x</title>", false).substr(2), "nobom.html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPageTitle(dir.Write(c.name, c.content), true), c.title) << c.name;
}

// Reading in chunks must give exactly what reading the whole file gives,
// wherever the marks fall relative to the chunk boundaries.
TEST(ReadTitleElement, ChunkedReadEqualsWholeFileRead) {
    TempDir dir;
    std::mt19937 rng(20261209);
    const size_t chunk = 64 * 1024;
    const char* marks[] = {"<title>", "</title>", "<TITLE>", "</TiTlE>"};
    std::string path = dir / "p.html";
    for (int round = 0; round < 400; ++round) {
        size_t size = chunk * (1 + rng() % 3) + rng() % 64;
        std::string content(size, 'x');
        int count = static_cast<int>(rng() % 4);
        for (int m = 0; m < count; ++m) {
            const char* mark = marks[rng() % 4];
            size_t len = std::char_traits<char>::length(mark);
            // Mostly around a read boundary (a short first read, then full
            // chunks), sometimes anywhere.
            const size_t boundaries[] = {4096, 4096 + chunk, 4096 + 2 * chunk, chunk};
            size_t boundary = boundaries[rng() % 4];
            size_t pos =
                (rng() % 3 == 0) ? rng() % (size - len) : boundary - len + rng() % (2 * len);
            if (pos + len <= size)
                content.replace(pos, len, mark);
        }
        SaveFileText(content, path);
        EXPECT_EQ(ReadTitleElement(path), ExtractBetween(content, "<title>", "</title>", true))
            << "round " << round;
    }
}

TEST(ReadTitleElement, StopsReadingOnceTheTitleIsKnown) {
    TempDir dir;
    // A huge sparse page whose title is at the start: only the start is read.
    std::string path = dir / "huge.html";
    int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const char head[] = "<title>Big</title>";
    ASSERT_EQ(write(fd, head, sizeof head - 1), static_cast<ssize_t>(sizeof head - 1));
    ASSERT_EQ(ftruncate(fd, 1LL << 36), 0); // 64 GB, nothing of it on disk
    close(fd);
    EXPECT_EQ(ReadTitleElement(path), "Big");
}
