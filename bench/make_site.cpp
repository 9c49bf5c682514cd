// Writes a deterministic synthetic website for benchmarks: folders nested up
// to six levels, a mix of pages, pictures and other files, pages of 1 to 40 KB
// with titles at varied depths (some without), and index pages in a third of
// the folders. The same arguments always give the same tree.
//
//   make_site --files N --folders M --out DIR [--seed S]

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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

} // namespace

int main(int argc, char** argv) {
    long files = 50000, folders = 2000;
    std::uint64_t seed = 1;
    std::string out;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--files")
            files = std::atol(argv[i + 1]);
        else if (a == "--folders")
            folders = std::atol(argv[i + 1]);
        else if (a == "--out")
            out = argv[i + 1];
        else if (a == "--seed")
            seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    if (out.empty() || files < 1 || folders < 1) {
        std::fprintf(stderr, "usage: make_site --files N --folders M --out DIR [--seed S]\n");
        return 2;
    }
    if (mkdir(out.c_str(), 0755) != 0 && errno != EEXIST)
        Die(out);
    if (out.back() != '/')
        out += '/';

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
