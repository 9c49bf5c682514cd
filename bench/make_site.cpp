// Writes a deterministic synthetic website for benchmarks: folders nested up
// to six levels, a mix of pages, pictures and other files, pages of 1 to 40 KB
// with titles at varied depths (some without), and index pages in a third of
// the folders. The same arguments always give the same tree.
//
// With --linked it writes a site for the link check instead: N pages of
// about 100 links each (pages, folders, fragments, pictures with srcset,
// shared style sheets with url()), every page reachable from the root's
// index.html, and a few dead links and missing anchors at fixed places,
// whose numbers it prints and writes to seeded.txt at the site's root.
//
//   make_site --files N [--folders M] --out DIR [--seed S] [--linked]
//   (folders: 2,000, or with --linked one per 25 pages)

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// A small, fast and fully specified generator (splitmix64), so that the tree
// does not depend on the standard library's distributions.
struct Rng {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }
};

void Die(const std::string& what) {
    std::fprintf(stderr, "make_site: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void WriteFile(const std::string& path, const std::string& content) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        Die(path);
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n <= 0)
            Die(path);
        done += static_cast<size_t>(n);
    }
    close(fd);
}

const char* const kWords[] = {"trail", "map",   "guide",  "river", "summit", "forest", "notes",
                              "news",  "about", "travel", "route", "camp",   "valley", "index"};

std::string Words(Rng& rng, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        if (i)
            s += ' ';
        s += kWords[rng.Below(std::size(kWords))];
    }
    return s;
}

std::string Page(Rng& rng, std::uint64_t id) {
    size_t size = 1024 + rng.Below(39 * 1024);
    std::string head = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n";
    // Titles at varied depths: early, after a long head, or missing.
    std::uint64_t kind = rng.Below(10);
    std::string filler;
    if (kind >= 6)
        filler = "<style>\n" + std::string(200 + rng.Below(4000), ' ') + "\n</style>\n";
    std::string title;
    if (kind != 9)
        title = "<title>" + Words(rng, 1 + static_cast<int>(rng.Below(5))) + " " +
                std::to_string(id) + "</title>\n";
    std::string page = head + filler + title + "</head>\n<body>\n";
    while (page.size() + 20 < size) {
        page += "<p>" + Words(rng, 12) + "</p>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}

// The linked site. Pages 0 .. F-1 are the folders' index pages, the rest
// are spread over the folders in turn.
class LinkedSite {
public:
    LinkedSite(std::string out, long pages, long folders, std::uint64_t seed)
        : out_(std::move(out)), pages_(static_cast<size_t>(pages)), rng_{seed} {
        folders = folders < pages ? folders : pages;
        parts_.push_back({});
        children_.push_back({});
        for (long f = 1; f < folders; ++f) {
            size_t parent;
            do {
                parent = static_cast<size_t>(rng_.Below(parts_.size()));
            } while (parts_[parent].size() >= 5);
            parts_.push_back(parts_[parent]);
            parts_.back().push_back("dir" + std::to_string(f));
            children_[parent].push_back(parts_.size() - 1);
            children_.push_back({});
            MakeFolder(out_ + Path(parts_.size() - 1));
        }
        folders_ = parts_.size();
    }

    void Write() {
        WriteAssets();
        for (size_t g = 0; g < pages_; ++g)
            WriteFile(out_ + Path(FolderOf(g)) + NameOf(g), g < folders_ ? IndexPage(g) : Page(g));
        WriteStyleSheets();
        size_t dead = deadPages_ + deadPictures_ + deadCss_;
        size_t anchors = missingElsewhere_ + missingHere_;
        std::string summary =
            "pages=" + std::to_string(pages_) + "\nfolders=" + std::to_string(folders_) +
            "\nlinks=" + std::to_string(links_) + "\ndead_links=" + std::to_string(dead) +
            "\ndead_a_href=" + std::to_string(deadPages_) +
            "\ndead_img_src=" + std::to_string(deadPictures_) +
            "\ndead_css_url=" + std::to_string(deadCss_) +
            "\nmissing_anchors=" + std::to_string(anchors) +
            "\nmissing_anchors_other_page=" + std::to_string(missingElsewhere_) +
            "\nmissing_anchors_same_page=" + std::to_string(missingHere_) + "\n";
        WriteFile(out_ + "seeded.txt", summary);
        std::printf("%zu pages in %zu folders under %s, %zu links\n", pages_, folders_,
                    out_.c_str(), links_);
        std::printf("seeded: %zu dead links (%zu a href, %zu img src, %zu CSS url()), %zu missing "
                    "anchors (%zu on other pages, %zu on the same page)\n",
                    dead, deadPages_, deadPictures_, deadCss_, anchors, missingElsewhere_,
                    missingHere_);
    }

private:
    static constexpr unsigned kPictures = 200;
    static constexpr unsigned kStyleSheets = 8;

    static void MakeFolder(const std::string& path) {
        if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
            Die(path);
    }

    std::string Path(size_t folder) const {
        std::string path;
        for (const std::string& part : parts_[folder])
            path += part + "/";
        return path;
    }
    size_t FolderOf(size_t page) const {
        return page < folders_ ? page : (page - folders_) % folders_;
    }
    static std::string NameOf(size_t page, size_t folders) {
        return page < folders ? "index.html" : "p" + std::to_string(page) + ".html";
    }
    std::string NameOf(size_t page) const { return NameOf(page, folders_); }
    static unsigned IdsOf(size_t page) { return 4 + static_cast<unsigned>(page % 8); }

    // From one folder to another, "" for the same one.
    std::string Relative(size_t from, size_t to) const {
        const auto& a = parts_[from];
        const auto& b = parts_[to];
        size_t common = 0;
        while (common < a.size() && common < b.size() && a[common] == b[common])
            ++common;
        std::string path;
        for (size_t i = common; i < a.size(); ++i)
            path += "../";
        for (size_t i = common; i < b.size(); ++i)
            path += b[i] + "/";
        return path;
    }

    std::string Anchor(const std::string& href, const std::string& text) {
        ++links_;
        return "<a href=\"" + href + "\">" + text + "</a>";
    }

    std::string Picture(size_t folder, std::string src) {
        unsigned n = static_cast<unsigned>(rng_.Below(kPictures));
        std::string images = Relative(folder, 0) + "images/img" + std::to_string(n);
        if (src.empty())
            src = images + ".png";
        links_ += 3;
        return "<img src=\"" + src + "\" srcset=\"" + images + ".png 1x, " + images +
               "-2x.png 2x\" alt=\"" + Words(rng_, 2) + "\">";
    }

    std::string Head(size_t page, size_t folder, const std::string& title) {
        unsigned sheet = static_cast<unsigned>(page % kStyleSheets);
        used_[sheet] = true;
        ++links_;
        return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
               title + "</title>\n<link rel=\"stylesheet\" href=\"" + Relative(folder, 0) +
               "css/site" + std::to_string(sheet) + ".css\">\n</head>\n<body>\n";
    }

    // Sections with ids, the links spread over their paragraphs.
    std::string Body(size_t page, std::vector<std::string>& items) {
        std::string body;
        unsigned sections = IdsOf(page);
        size_t next = 0;
        for (unsigned s = 0; s < sections; ++s) {
            body += "<h2 id=\"sec" + std::to_string(s) + "\">" + Words(rng_, 3) + "</h2>\n<p>";
            size_t end = items.size() * (s + 1) / sections;
            for (; next < end; ++next)
                body += Words(rng_, 2) + " " + items[next] + "\n";
            body += Words(rng_, 8) + "</p>\n";
        }
        return body + "</body>\n</html>\n";
    }

    std::string IndexPage(size_t page) {
        size_t folder = page;
        std::string html =
            Head(page, folder, "Folder " + std::to_string(folder) + " " + Words(rng_, 2));
        std::vector<std::string> items;
        if (folder != 0)
            items.push_back(Anchor(Relative(folder, 0) + "index.html", "home"));
        for (size_t child : children_[folder])
            items.push_back(Anchor(Relative(folder, child), "folder " + std::to_string(child)));
        for (size_t g = folders_ + folder; g < pages_; g += folders_)
            items.push_back(Anchor(NameOf(g), Words(rng_, 2)));
        return html + Body(page, items);
    }

    std::string Page(size_t page) {
        size_t folder = FolderOf(page);
        std::string html = Head(page, folder, Words(rng_, 3) + " " + std::to_string(page));
        std::vector<std::string> items;
        items.push_back(Anchor(Relative(folder, 0) + "index.html", "home"));
        items.push_back(Anchor("index.html", "up"));
        bool deadPicture = page % 2500 == 1200;
        for (int i = 0; i < 6; ++i) {
            std::string src;
            if (deadPicture && i == 0) {
                src = Relative(folder, 0) + "images/missing-" + std::to_string(page) + ".png";
                ++deadPictures_;
            }
            items.push_back(Picture(folder, src));
        }
        for (int i = 0; i < 8; ++i) {
            size_t to = static_cast<size_t>(rng_.Below(folders_));
            items.push_back(Anchor(to == folder ? "./" : Relative(folder, to), "folder"));
        }
        for (int i = 0; i < 8; ++i) {
            std::string id = "sec" + std::to_string(rng_.Below(IdsOf(page)));
            if (i == 0 && page % 2000 == 1750) {
                id = "gone-here-" + std::to_string(page);
                ++missingHere_;
            }
            items.push_back(Anchor("#" + id, "section"));
        }
        size_t regular = pages_ - folders_;
        for (int i = 0; i < 63; ++i) {
            size_t to = static_cast<size_t>(rng_.Below(pages_));
            std::string href = Relative(folder, FolderOf(to)) + NameOf(to);
            if (rng_.Below(3) == 0)
                href += "#sec" + std::to_string(rng_.Below(IdsOf(to)));
            if (i == 0 && page % 1000 == 500) {
                href = "gone-" + std::to_string(page) + ".html";
                ++deadPages_;
            } else if (i == 1 && page % 1000 == 250) {
                to = folders_ + (page - folders_ + 7) % regular;
                href = Relative(folder, FolderOf(to)) + NameOf(to) + "#nowhere-" +
                       std::to_string(page);
                ++missingElsewhere_;
            }
            items.push_back(Anchor(href, Words(rng_, 2)));
        }
        return html + Body(page, items);
    }

    void WriteAssets() {
        for (const char* folder : {"css", "fonts", "images"})
            MakeFolder(out_ + folder);
        for (unsigned i = 0; i < 4; ++i)
            WriteFile(out_ + "fonts/f" + std::to_string(i) + ".woff2",
                      "wOF2" + std::string(64, 'x'));
        for (unsigned i = 0; i < 5; ++i)
            WriteFile(out_ + "images/bg" + std::to_string(i) + ".png",
                      "\x89PNG" + std::string(64, 'x'));
        for (unsigned i = 0; i < kPictures; ++i) {
            WriteFile(out_ + "images/img" + std::to_string(i) + ".png",
                      "\x89PNG" + std::string(64, 'x'));
            WriteFile(out_ + "images/img" + std::to_string(i) + "-2x.png",
                      "\x89PNG" + std::string(128, 'x'));
        }
    }

    // Shared by the pages; two of them name a picture that is not there.
    void WriteStyleSheets() {
        for (unsigned i = 0; i < kStyleSheets; ++i) {
            std::string n = std::to_string(i);
            std::string css = "@font-face { font-family: \"F" + n + "\"; src: url(../fonts/f" +
                              std::to_string(i % 4) + ".woff2) format(\"woff2\"); }\n" +
                              "body { background: url(\"../images/bg" + std::to_string(i % 5) +
                              ".png\") repeat-x; }\nh2 { margin: 1em 0; }\n";
            if (i == 3 || i == 6) {
                css += ".note { background-image: url('../images/missing-bg" + n + ".png'); }\n";
                if (used_[i])
                    ++deadCss_;
            }
            WriteFile(out_ + "css/site" + n + ".css", css);
        }
    }

    std::string out_;
    size_t pages_;
    Rng rng_;
    std::vector<std::vector<std::string>> parts_;
    std::vector<std::vector<size_t>> children_;
    size_t folders_ = 0;
    size_t links_ = 0;
    bool used_[kStyleSheets] = {};
    size_t deadPages_ = 0, deadPictures_ = 0, deadCss_ = 0;
    size_t missingElsewhere_ = 0, missingHere_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    long files = 50000, folders = 0;
    std::uint64_t seed = 1;
    bool linked = false;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--linked") {
            linked = true;
            continue;
        }
        if (a == "--files")
            files = std::atol(value);
        else if (a == "--folders")
            folders = std::atol(value);
        else if (a == "--out")
            out = value;
        else if (a == "--seed")
            seed = std::strtoull(value, nullptr, 10);
        ++i;
    }
    // Linked: some 25 pages a folder; otherwise the scan benchmark's 2,000.
    if (folders == 0)
        folders = linked ? (files + 24) / 25 : 2000;
    if (out.empty() || files < 1 || folders < 1) {
        std::fprintf(stderr,
                     "usage: make_site --files N [--folders M] --out DIR [--seed S] [--linked]\n");
        return 2;
    }
    if (mkdir(out.c_str(), 0755) != 0 && errno != EEXIST)
        Die(out);
    if (out.back() != '/')
        out += '/';
    if (linked) {
        LinkedSite(out, files, folders, seed).Write();
        return 0;
    }

    Rng rng{seed};
    // Folder 0 is the site's root; each further folder hangs below a random
    // earlier one that is less than six levels deep.
    std::vector<std::string> paths{""};
    std::vector<int> depth{0};
    for (long f = 1; f < folders; ++f) {
        size_t parent;
        do {
            parent = static_cast<size_t>(rng.Below(paths.size()));
        } while (depth[parent] >= 6);
        paths.push_back(paths[parent] + "dir" + std::to_string(f) + "/");
        depth.push_back(depth[parent] + 1);
        if (mkdir((out + paths.back()).c_str(), 0755) != 0 && errno != EEXIST)
            Die(out + paths.back());
    }

    long written = 0;
    WriteFile(out + "index.html", Page(rng, 0));
    ++written;
    for (size_t f = 1; f < paths.size() && written < files; ++f) {
        if (f % 3 == 0) {
            WriteFile(out + paths[f] + "index.html", Page(rng, static_cast<std::uint64_t>(f)));
            ++written;
        }
    }
    // The rest: 60 % pages, 20 % pictures, 20 % other files.
    static const char* const kPages[] = {".html", ".htm", ".php"};
    static const char* const kPictures[] = {".gif", ".png", ".jpg"};
    static const char* const kOther[] = {".css", ".js", ".pdf", ".txt", ".xml"};
    for (long i = 0; written < files; ++i, ++written) {
        const std::string& folder = paths[static_cast<size_t>(rng.Below(paths.size()))];
        std::uint64_t kind = rng.Below(10);
        std::string name = "file" + std::to_string(i);
        if (kind < 6) {
            WriteFile(out + folder + name + kPages[rng.Below(3)],
                      Page(rng, static_cast<std::uint64_t>(i)));
        } else if (kind < 8) {
            WriteFile(out + folder + name + kPictures[rng.Below(3)],
                      std::string("GIF89a") + std::string(200 + rng.Below(2000), '\x01'));
        } else {
            WriteFile(out + folder + name + kOther[rng.Below(5)],
                      Words(rng, 20 + static_cast<int>(rng.Below(200))));
        }
    }
    std::printf("%ld files in %zu folders under %s\n", written, paths.size(), out.c_str());
    return 0;
}
