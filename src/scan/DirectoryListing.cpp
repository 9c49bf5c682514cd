#include "scan/DirectoryListing.h"

#include "support/FileDescriptor.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

unsigned char FoldUpper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

} // namespace

bool ListingOrderLess(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = FoldUpper(static_cast<unsigned char>(a[i]));
        unsigned char cb = FoldUpper(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    // Equal after folding: the plain bytes decide, as unsigned values.
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca != cb)
            return ca < cb;
    }
    return false;
}

bool ListFolder(const std::string& folder, std::vector<TSearchRec>& entries) {
    entries.clear();
    UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.Valid() && ListFolderAt(fd.Get(), entries);
}

bool ListFolderAt(int dirFd, std::vector<TSearchRec>& entries) {
    entries.clear();
    // The listing gets a descriptor of its own, so the caller's stays usable.
    UniqueFd own(fcntl(dirFd, F_DUPFD_CLOEXEC, 0));
    if (!own.Valid())
        return false;
    DIR* dir = fdopendir(own.Get());
    if (!dir)
        return false;
    // The stream owns the descriptor from here on.
    const int fd = own.Release();
    while (dirent* d = readdir(dir)) {
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        struct stat st {};
        if (fstatat(fd, name, &st, 0) != 0)
            continue; // broken link, or gone since the listing began
        TSearchRec rec;
        if (S_ISDIR(st.st_mode)) {
            rec.Attr = faDirectory;
        } else if (S_ISREG(st.st_mode)) {
            rec.Attr = faArchive;
            if (!(st.st_mode & S_IWUSR))
                rec.Attr |= faReadOnly;
        } else {
            continue; // reading a FIFO, socket or device could block
        }
        if (name[0] == '.')
            rec.Attr |= faHidden;
        rec.Name = name;
        rec.Size = static_cast<std::int64_t>(st.st_size);
        rec.Time = static_cast<std::int64_t>(st.st_mtim.tv_sec);
        rec.Device = static_cast<std::uint64_t>(st.st_dev);
        rec.Inode = static_cast<std::uint64_t>(st.st_ino);
        entries.push_back(std::move(rec));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const TSearchRec& a, const TSearchRec& b) {
        return ListingOrderLess(a.Name, b.Name);
    });
    return true;
}

bool FolderIdentity(const std::string& folder, std::uint64_t& device, std::uint64_t& inode) {
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    device = static_cast<std::uint64_t>(st.st_dev);
    inode = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

} // namespace tw
