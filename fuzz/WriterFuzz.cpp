// Builds a random site map tree and option set from the input, writes it in
// both ways (whole and streamed), and checks that the page keeps its
// structure: every list and paragraph it opens is closed, in order, and no
// href value holds a quote, a control byte or a byte above 0x7E. The modern
// page of the same tree is held to the same.

#include "model/SiteMapTree.h"
#include "output/ModernLayout.h"
#include "output/PageWrapper.h"
#include "output/SiteMapWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Input {
    const std::uint8_t* data;
    size_t size;
    size_t at = 0;
    bool More() const { return at < size; }
    std::uint8_t Byte() { return at < size ? data[at++] : 0; }
    // Text of arbitrary bytes; '<' and '>' are left out of link texts, since
    // texts go into the page as they are and could open tags of their own.
    std::string Text(bool markupFree) {
        std::string s;
        size_t n = Byte() % 12;
        for (size_t i = 0; i < n && More(); ++i) {
            char c = static_cast<char>(Byte());
            if (markupFree && (c == '<' || c == '>'))
                c = '_';
            s += c;
        }
        return s;
    }
};

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

void CheckStructure(const std::string& written) {
    // Link tags are the only "<a href=" (link texts hold no "<" here, and a
    // quote in a URL is encoded). An href may hold "<" (file names do); its
    // value is no markup, so it is blanked for the structure test.
    const std::string link = "<a href=\"";
    std::string page = written;
    for (size_t i = page.find(link); i != std::string::npos; i = page.find(link, i + 1)) {
        size_t start = i + link.size();
        size_t end = page.find('"', start);
        Check(end != std::string::npos, "an href without its closing quote");
        for (size_t k = start; k < end; ++k) {
            auto c = static_cast<unsigned char>(page[k]);
            Check(c >= 0x20 && c < 0x7F, "an unsafe byte in an href");
            page[k] = 'x';
        }
        i = end;
    }
    std::vector<std::string> open;
    for (size_t i = page.find('<'); i != std::string::npos; i = page.find('<', i + 1)) {
        for (const char* tag : {"ul", "p"}) {
            std::string start = std::string("<") + tag + ">";
            std::string end = std::string("</") + tag + ">";
            if (page.compare(i, start.size(), start) == 0) {
                open.push_back(tag);
            } else if (page.compare(i, end.size(), end) == 0) {
                Check(!open.empty() && open.back() == tag, "a close without its open");
                open.pop_back();
            }
        }
    }
    Check(open.empty(), "a list or paragraph left open");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    Input in{data, size};
    tw::TMapProfile profile;
    std::uint8_t options = in.Byte();
    profile.SetOutputFormat(options & 1 ? tw::TMapOutputFormat::mfmtList
                                        : tw::TMapOutputFormat::mfmtParagraph);
    profile.SetClassAttribs(options & 2);
    profile.SetAddImages(options & 4);
    profile.SetNoFolderImages(options & 8);
    profile.SetNoFolderLinks(options & 16);

    tw::TSiteMapTree tree;
    std::vector<tw::SiteMapNode*> folders;
    while (in.More() && tree.Count() < 2000) {
        std::uint8_t op = in.Byte();
        tw::TDataRec rec;
        rec.LinkText = in.Text(true);
        rec.LinkURL = in.Text(false);
        rec.FilePath = in.Text(false);
        rec.LinkTextOrigin = static_cast<tw::TextOrigin>((op >> 4) % 3);
        if (rec.LinkTextOrigin != tw::TextOrigin::AsTyped) {
            // A text the site supplied never opens an element in the page.
            std::string written;
            tw::AppendLinkText(written, rec);
            Check(written.find('<') == std::string::npos, "a scanned text opens an element");
        }
        // Trees as a scan leaves them and the editing commands keep them:
        // one root folder, everything else below a folder.
        int image = folders.empty() ? tw::kImageFolder : op % 3;
        rec.IsFolder = image == tw::kImageFolder;
        tw::SiteMapNode* parent = folders.empty() ? nullptr : folders[in.Byte() % folders.size()];
        tw::SiteMapNode* node = tree.Add(parent, rec, image);
        if (image == tw::kImageFolder)
            folders.push_back(node);
    }
    if (options & 32)
        tree.RemoveEmptyFolders();

    std::string whole = tw::BuildSiteMap(tree, profile);
    std::string streamed;
    tw::BuildSiteMapTo(tree, profile, nullptr,
                       [&streamed](std::string_view piece) { streamed += piece; });
    Check(whole == streamed, "the streamed fragment differs");
    CheckStructure(tw::BuildSiteMapPage(whole, profile));

    // The modern page of the same tree: its lists closed in order, none empty.
    profile.SetCollapsible(options & 64);
    profile.SetFilterBox(options & 128);
    std::string modern = tw::BuildModernPage(tree, profile, "en");
    CheckStructure(modern);
    Check(modern.find("<ul>\n</ul>") == std::string::npos, "an empty list");
    return 0;
}
