#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// File attribute bits as the finder's attribute test knows them.
enum : std::uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
};

// One directory entry as the folder enumeration returns it.
struct TSearchRec {
    std::string Name;       // without path
    std::uint32_t Attr = 0; // derived attribute bits
    std::int64_t Size = 0;  // bytes
    std::int64_t Time = 0;  // last write, seconds since the epoch
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
};

// How much a listing learns of each entry.
enum class ListingDetail : std::uint8_t {
    // Every entry's status: attributes, size, time, device and inode.
    Full,
    // The entry types the folder itself records, with a status call only
    // where they tell nothing reliable (links, unknown types). Entries known
    // this way carry no read-only bit, size, time, device or inode.
    Types,
};

// Lists the entries of Folder, sorted by name compared byte by byte after
// folding a-z to A-Z (ties by the plain bytes). Links are followed; broken
// links and anything that is neither a regular file nor a folder (FIFOs,
// sockets, devices) are left out, as are "." and "..". A folder that cannot
// be read gives false and no entries.
bool ListFolder(const std::string& folder, std::vector<TSearchRec>& entries,
                ListingDetail detail = ListingDetail::Full);

// ListFolder for a folder open as DirFd, read from the descriptor's current
// position; the descriptor stays open and usable for calls relative to it.
bool ListFolderAt(int dirFd, std::vector<TSearchRec>& entries,
                  ListingDetail detail = ListingDetail::Full);

// The ordering used by ListFolder.
bool ListingOrderLess(const std::string& a, const std::string& b);

// Device and inode of a folder; false when it cannot be read.
bool FolderIdentity(const std::string& folder, std::uint64_t& device, std::uint64_t& inode);

} // namespace tw
