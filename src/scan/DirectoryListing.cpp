#include "scan/DirectoryListing.h"

#include "support/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
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

bool ListFolder(const std::string& folder, std::vector<TSearchRec>& entries, ListingDetail detail) {
    entries.clear();
    UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.Valid() && ListFolderAt(fd.Get(), entries, detail);
}

namespace {

// Fills Rec from a status; false for what is neither a file nor a folder.
bool FromStatus(const struct stat& st, TSearchRec& rec) {
    if (S_ISDIR(st.st_mode)) {
        rec.Attr = faDirectory;
    } else if (S_ISREG(st.st_mode)) {
        rec.Attr = faArchive;
        if (!(st.st_mode & S_IWUSR))
            rec.Attr |= faReadOnly;
    } else {
        return false; // reading a FIFO, socket or device could block
    }
    rec.Size = static_cast<std::int64_t>(st.st_size);
    rec.Time = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    rec.Device = static_cast<std::uint64_t>(st.st_dev);
    rec.Inode = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

// Fills Rec for one directory entry; false when it is left out.
bool ListEntry(int fd, const char* name, unsigned char type, ListingDetail detail,
               TSearchRec& rec) {
    if (detail == ListingDetail::Types && (type == DT_REG || type == DT_DIR)) {
        rec.Attr = type == DT_DIR ? faDirectory : faArchive;
    } else if (detail == ListingDetail::Types && type != DT_LNK && type != DT_UNKNOWN) {
        return false; // a FIFO, socket or device: never looked at further
    } else {
        struct stat st {};
        if (fstatat(fd, name, &st, 0) != 0 || !FromStatus(st, rec))
            return false; // broken link, gone since the listing began, or special
    }
    if (name[0] == '.')
        rec.Attr |= faHidden;
    rec.Name = name;
    return true;
}

} // namespace

bool ListFolderAt(int dirFd, std::vector<TSearchRec>& entries, ListingDetail detail) {
    entries.clear();
    // Large reads: a folder of a few hundred entries takes one call and the
    // call that says it is done.
    constexpr size_t kBufferSize = size_t{32} * 1024;
    thread_local std::vector<char> buffer(kBufferSize);
    for (;;) {
        ssize_t n = getdents64(dirFd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            // A folder that cannot be read lists nothing.
            entries.clear();
            return false;
        }
        if (n == 0)
            break;
        for (ssize_t at = 0; at < n;) {
            auto* d = reinterpret_cast<const dirent64*>(buffer.data() + at);
            at += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            TSearchRec rec;
            if (ListEntry(dirFd, name, d->d_type, detail, rec))
                entries.push_back(std::move(rec));
        }
    }
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
