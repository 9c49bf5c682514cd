// Reads pages' heads as the scan does (the input, split at NUL bytes: one
// page each, some named by their own first bytes), writes the XML sitemap of
// them and checks that it is well-formed XML whatever the heads say: UTF-8
// of XML characters only, every reference one XML knows, elements closed in
// order, and every URL (loc, href) printable ASCII without spaces. With
// TW_FUZZ_XMLLINT set, xmllint --noout must accept each sitemap too (fuzz/run.sh
// replays the corpus so).

#include "model/PageFacts.h"
#include "model/SiteMapTree.h"
#include "output/SearchSitemaps.h"
#include "support/NXFiles.h"
#include "support/TextEncoding.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Every "&" starts a reference XML knows, naming an XML character.
void CheckReferences(std::string_view text) {
    for (size_t amp = text.find('&'); amp != std::string_view::npos;
         amp = text.find('&', amp + 1)) {
        size_t semi = text.find(';', amp);
        Check(semi != std::string_view::npos, "an & without its ;");
        std::string_view name = text.substr(amp + 1, semi - amp - 1);
        if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos")
            continue;
        Check(name.size() >= 2 && name.size() <= 8 && name[0] == '#', "an unknown reference");
        bool hex = name[1] == 'x';
        std::string digits(name.substr(hex ? 2 : 1));
        Check(!digits.empty() && digits.find_first_not_of(hex ? "0123456789abcdefABCDEF"
                                                              : "0123456789") == std::string::npos,
              "a malformed character reference");
        Check(
            IsXmlChar(static_cast<char32_t>(std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10))),
            "a reference to no XML character");
    }
}

void CheckUrl(std::string_view url) {
    Check(!url.empty(), "an empty URL");
    for (char c : url)
        Check(c > 0x20 && c < 0x7F, "a URL byte that is no printable ASCII");
}

void CheckWellFormed(const std::string& xml) {
    Check(tw::ValidUtf8(xml) == xml, "not UTF-8");
    for (size_t i = 0; i < xml.size(); ++i) {
        auto c = static_cast<unsigned char>(xml[i]);
        Check(c >= 0x20 || c == '\t' || c == '\n' || c == '\r', "a control character");
        Check(xml.compare(i, 3, "\xEF\xBF\xBE") != 0 && xml.compare(i, 3, "\xEF\xBF\xBF") != 0,
              "U+FFFE or U+FFFF");
    }
    const std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    Check(xml.starts_with(declaration), "no XML declaration");
    std::vector<std::string> open;
    bool root = false;
    for (size_t pos = declaration.size(); pos < xml.size();) {
        if (xml[pos] != '<') {
            size_t next = std::min(xml.find('<', pos), xml.size());
            std::string_view text(xml.data() + pos, next - pos);
            Check(!open.empty() || text.find_first_not_of("\n") == std::string_view::npos,
                  "text outside the root");
            CheckReferences(text);
            if (!open.empty() && (open.back() == "loc" || open.back() == "image:loc"))
                CheckUrl(text);
            pos = next;
            continue;
        }
        size_t end = xml.find('>', pos);
        Check(end != std::string::npos, "a tag without its >");
        std::string_view tag(xml.data() + pos + 1, end - pos - 1);
        pos = end + 1;
        if (tag.starts_with('/')) {
            Check(!open.empty() && open.back() == tag.substr(1), "a close without its open");
            open.pop_back();
            continue;
        }
        Check(open.empty() != root, "a second root");
        root = true;
        bool empty = tag.ends_with('/');
        if (empty)
            tag.remove_suffix(1);
        size_t at = std::min(tag.find(' '), tag.size());
        std::string name(tag.substr(0, at));
        Check(!name.empty(), "a tag without a name");
        while (at < tag.size()) {
            size_t eq = tag.find("=\"", at);
            Check(eq != std::string_view::npos, "an attribute without a quoted value");
            size_t close = tag.find('"', eq + 2);
            Check(close != std::string_view::npos, "an attribute value without its quote");
            std::string_view attribute = tag.substr(at + 1, eq - at - 1);
            std::string_view value = tag.substr(eq + 2, close - eq - 2);
            Check(value.find('<') == std::string_view::npos, "a < in an attribute value");
            CheckReferences(value);
            if (attribute == "href")
                CheckUrl(value);
            at = close + 1;
            Check(at == tag.size() || tag[at] == ' ', "attributes without a space between");
        }
        if (!empty)
            open.push_back(name);
    }
    Check(root && open.empty(), "an element left open");
}

std::string folder; // the run's own, ending in "/"

void RemoveFolder() {
    std::remove((folder + "sitemap.xml").c_str());
    rmdir(folder.c_str());
}

const std::string& Folder() {
    if (folder.empty()) {
        char pattern[] = "/tmp/tw_sitemap_fuzz_XXXXXX";
        Check(mkdtemp(pattern) != nullptr, "no temporary folder");
        folder = std::string(pattern) + "/";
        std::atexit(RemoveFolder);
    }
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tw::TSiteMapTree tree;
    tw::TDataRec root;
    root.IsFolder = true;
    root.LinkText = "Home";
    tw::SiteMapNode* home = tree.Add(nullptr, root, tw::kImageFolder);
    std::vector<tw::PageFacts> facts(1);
    for (size_t start = 0; start <= input.size() && facts.size() < 200;) {
        size_t end = std::min(input.find('\0', start), input.size());
        std::string_view head = input.substr(start, end - start);
        tw::TDataRec page;
        // Every other page is named by its head's first bytes, whatever they are.
        page.LinkURL = facts.size() % 2 == 0 ? std::string(head.substr(0, 12)) + ".html"
                                             : "p" + std::to_string(facts.size()) + ".html";
        page.FilePath = Folder() + "p" + std::to_string(facts.size()) + ".html";
        page.LinkText = page.LinkURL;
        tree.Add(home, page, tw::kImagePage);
        facts.push_back(tw::ReadPageFacts(head));
        start = end + 1;
    }

    // The first byte picks the options.
    const unsigned pick = size > 0 ? data[0] : 0;
    tw::SearchSitemapOptions options;
    options.BaseURL = pick & 1 ? "https://example.org/site/" : "http://example.org";
    options.SiteFolder = Folder();
    options.XmlOutput = Folder() + "sitemap.xml";
    options.Lastmod = tw::SitemapLastmod::None;
    options.CleanURLs = pick & 2;
    options.AllPages = pick & 4;
    options.Images = pick & 8;
    options.FactsOf = [&facts](int index) {
        return static_cast<size_t>(index) < facts.size() ? &facts[static_cast<size_t>(index)]
                                                         : nullptr;
    };
    tw::WriteSearchSitemaps(tree, options);

    const std::string xml = tw::LoadFileText(options.XmlOutput);
    CheckWellFormed(xml);
    if (std::getenv("TW_FUZZ_XMLLINT"))
        Check(std::system(("xmllint --noout " + options.XmlOutput).c_str()) == 0,
              "xmllint finds the sitemap ill-formed");
    return 0;
}
