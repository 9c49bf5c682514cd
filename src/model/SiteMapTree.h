#pragma once

#include "model/PageFacts.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tw {

// Where a link text came from, which decides how it goes into the page: a
// file or folder name is plain text, a title is text of HTML markup (its
// entities stay, but it may not open an element), and what the user typed
// (or "Home") is written as it stands, markup included.
enum class TextOrigin : unsigned char { AsTyped, FileName, PageTitle };

// Node record: what one folder or file of the site contributes to the map.
// A file time nobody looked at.
inline constexpr std::int64_t kUnknownTime = INT64_MIN;

struct TDataRec {
    std::string FilePath;   // full path; a folder's ends in the separator
    std::string LinkText;   // caption and link text
    std::string FolderPath; // folder part of FilePath (a folder's own path)
    bool IsFolder = false;
    std::string LinkURL; // relative to the scanned folder, "/" separated
    TextOrigin LinkTextOrigin = TextOrigin::AsTyped;
    // Last write of the file the link names (a folder's: its default page),
    // in seconds since the epoch, as the scan saw it; kUnknownTime otherwise.
    std::int64_t Modified = kUnknownTime;
    // What the page says of itself for search engines, when the scan was
    // asked to read it; shared, as copies of a record are.
    std::shared_ptr<const PageFacts> Facts;
    // The user gave the link a URL of their own: a reference to resolve, no
    // longer the scanned file's path.
    bool LinkURLEdited = false;

    // The user's edit: a changed text is theirs from now on, an unchanged
    // one keeps its origin.
    void EditLinkText(std::string text) {
        if (text == LinkText)
            return;
        LinkText = std::move(text);
        LinkTextOrigin = TextOrigin::AsTyped;
    }
    void EditLinkURL(std::string url) {
        if (url == LinkURL)
            return;
        LinkURL = std::move(url);
        LinkURLEdited = true;
    }
};

// The link text as a reader of the site map sees it: a name as it stands; a
// title, or a text as typed, with its character references resolved. The
// page holds LinkText itself, as AppendLinkText writes it.
std::string ShownLinkText(const TDataRec& rec);

// Node kinds are told by the image index, as the tree view shows them.
enum NodeImage : int { kImageFolder = 0, kImagePage = 1, kImagePicture = 2 };

class SiteMapNode {
public:
    TDataRec Data;

    int ImageIndex() const { return image_; }
    bool IsFolderNode() const { return image_ == kImageFolder; }
    SiteMapNode* Parent() const { return parent_; }
    int Level() const { return level_; }
    // Position among the parent's children (or among the top-level nodes).
    int Row() const { return row_; }
    int ChildCount() const { return static_cast<int>(children_.size()); }
    bool HasChildren() const { return !children_.empty(); }
    SiteMapNode* Child(int row) const { return children_[static_cast<size_t>(row)].get(); }

private:
    friend class TSiteMapTree;
    SiteMapNode* parent_ = nullptr;
    int level_ = 0;
    int row_ = 0;
    int image_ = kImagePage;
    std::vector<std::unique_ptr<SiteMapNode>> children_;
};

// Told about structural changes, so a view can follow the tree.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void NodeAboutToBeAdded(SiteMapNode* parent, int row) = 0;
    virtual void NodeAdded() = 0;
    virtual void NodeAboutToBeRemoved(SiteMapNode* parent, int row) = 0;
    virtual void NodeRemoved() = 0;
    virtual void TreeAboutToBeReset() = 0;
    virtual void TreeReset() = 0;
};

// The site map tree: the source of truth that the scan builds, the results
// page edits and the writer walks. Its absolute index order is depth first,
// a node before its children, children in insertion order.
class TSiteMapTree {
public:
    TSiteMapTree() = default;
    ~TSiteMapTree();
    TSiteMapTree(const TSiteMapTree&) = delete;
    TSiteMapTree& operator=(const TSiteMapTree&) = delete;

    void SetObserver(TreeObserver* observer) { observer_ = observer; }

    int Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    int TopLevelCount() const { return static_cast<int>(topLevel_.size()); }
    SiteMapNode* TopLevel(int row) const { return topLevel_[static_cast<size_t>(row)].get(); }
    // The node at absolute index 0, or null.
    SiteMapNode* First() const { return topLevel_.empty() ? nullptr : topLevel_.front().get(); }

    // Adds a node as the parent's last child (a top-level node without parent).
    SiteMapNode* Add(SiteMapNode* parent, TDataRec rec, int imageIndex);
    // Removes the node together with everything below it.
    void Delete(SiteMapNode* node);
    void Clear();

    // First node in absolute index order whose FolderPath equals the argument
    // exactly, or null.
    SiteMapNode* FindFolderNode(const std::string& folderPath) const;

    // Deletes every folder node that has no children, deepest first, so that
    // folders left empty by the deletion go too.
    void RemoveEmptyFolders();

    // Puts every node's children (and the top-level nodes) in the order Order
    // leaves them in; Order gets each list of siblings and may only permute it.
    void ReorderChildren(const std::function<void(std::vector<SiteMapNode*>&)>& order);

    // Visits every node in absolute index order with its absolute index.
    void ForEach(const std::function<void(SiteMapNode&, int)>& fn) const;
    std::vector<SiteMapNode*> NodesInIndexOrder() const;

private:
    std::vector<std::unique_ptr<SiteMapNode>>& SiblingsOf(SiteMapNode* parent);
    SiteMapNode* LastInIndexOrder() const;
    void RebuildFolderIndex() const;
    static int SubtreeSize(const SiteMapNode* node);
    static void Release(std::vector<std::unique_ptr<SiteMapNode>> nodes);

    std::vector<std::unique_ptr<SiteMapNode>> topLevel_;
    int count_ = 0;
    TreeObserver* observer_ = nullptr;
    // FolderPath -> first node in index order. Nodes added at the end of the
    // index order keep it exact; anything else makes it stale until rebuilt.
    mutable std::unordered_map<std::string, SiteMapNode*> folderIndex_;
    mutable bool folderIndexValid_ = true;
    // The last node in index order, so that an append is told in O(1).
    SiteMapNode* last_ = nullptr;
    bool lastValid_ = true;
};

} // namespace tw
