#include "model/SiteMapTree.h"

#include "model/PageParser.h"

#include <algorithm>

namespace tw {

std::string ShownLinkText(const TDataRec& rec) {
    if (rec.LinkTextOrigin == TextOrigin::FileName)
        return rec.LinkText;
    return DecodeHtmlText(rec.LinkText);
}

std::vector<std::unique_ptr<SiteMapNode>>& TSiteMapTree::SiblingsOf(SiteMapNode* parent) {
    return parent ? parent->children_ : topLevel_;
}

SiteMapNode* TSiteMapTree::LastInIndexOrder() const {
    if (topLevel_.empty())
        return nullptr;
    SiteMapNode* node = topLevel_.back().get();
    while (!node->children_.empty())
        node = node->children_.back().get();
    return node;
}

SiteMapNode* TSiteMapTree::Add(SiteMapNode* parent, TDataRec rec, int imageIndex) {
    // The new node is last in index order when its parent lies on the path to
    // the current last node; only then can the folder index simply grow.
    if (!lastValid_) {
        last_ = LastInIndexOrder();
        lastValid_ = true;
    }
    bool appendsAtEnd = parent == nullptr;
    if (!appendsAtEnd) {
        SiteMapNode* n = last_;
        while (n && n->level_ > parent->level_)
            n = n->parent_;
        appendsAtEnd = n == parent;
    }

    auto& siblings = SiblingsOf(parent);
    auto node = std::make_unique<SiteMapNode>();
    node->Data = std::move(rec);
    node->parent_ = parent;
    node->level_ = parent ? parent->level_ + 1 : 0;
    node->row_ = static_cast<int>(siblings.size());
    node->image_ = imageIndex;
    SiteMapNode* raw = node.get();

    if (observer_)
        observer_->NodeAboutToBeAdded(parent, raw->row_);
    siblings.push_back(std::move(node));
    ++count_;
    if (appendsAtEnd)
        last_ = raw;
    else
        lastValid_ = false;
    if (appendsAtEnd && folderIndexValid_)
        folderIndex_.try_emplace(raw->Data.FolderPath, raw);
    else
        folderIndexValid_ = false;
    if (observer_)
        observer_->NodeAdded();
    return raw;
}

int TSiteMapTree::SubtreeSize(const SiteMapNode* node) {
    int size = 0;
    std::vector<const SiteMapNode*> stack{node};
    while (!stack.empty()) {
        const SiteMapNode* n = stack.back();
        stack.pop_back();
        ++size;
        for (const auto& c : n->children_)
            stack.push_back(c.get());
    }
    return size;
}

void TSiteMapTree::Delete(SiteMapNode* node) {
    if (!node)
        return;
    auto& siblings = SiblingsOf(node->parent_);
    int row = node->row_;
    if (observer_)
        observer_->NodeAboutToBeRemoved(node->parent_, row);
    count_ -= SubtreeSize(node);
    std::vector<std::unique_ptr<SiteMapNode>> removed;
    removed.push_back(std::move(siblings[static_cast<size_t>(row)]));
    siblings.erase(siblings.begin() + row);
    Release(std::move(removed));
    lastValid_ = false;
    for (size_t i = static_cast<size_t>(row); i < siblings.size(); ++i)
        siblings[i]->row_ = static_cast<int>(i);
    folderIndexValid_ = false;
    if (observer_)
        observer_->NodeRemoved();
}

void TSiteMapTree::Release(std::vector<std::unique_ptr<SiteMapNode>> pending) {
    // Released iteratively: a recursive destructor chain could run out of
    // stack on a very deep site.
    while (!pending.empty()) {
        std::unique_ptr<SiteMapNode> n = std::move(pending.back());
        pending.pop_back();
        for (auto& c : n->children_)
            pending.push_back(std::move(c));
    }
}

TSiteMapTree::~TSiteMapTree() {
    Release(std::move(topLevel_));
}

void TSiteMapTree::Clear() {
    if (observer_)
        observer_->TreeAboutToBeReset();
    Release(std::move(topLevel_));
    topLevel_.clear();
    count_ = 0;
    last_ = nullptr;
    lastValid_ = true;
    folderIndex_.clear();
    folderIndexValid_ = true;
    if (observer_)
        observer_->TreeReset();
}

void TSiteMapTree::RebuildFolderIndex() const {
    folderIndex_.clear();
    ForEach([this](SiteMapNode& n, int) { folderIndex_.try_emplace(n.Data.FolderPath, &n); });
    folderIndexValid_ = true;
}

SiteMapNode* TSiteMapTree::FindFolderNode(const std::string& folderPath) const {
    if (!folderIndexValid_)
        RebuildFolderIndex();
    auto it = folderIndex_.find(folderPath);
    return it == folderIndex_.end() ? nullptr : it->second;
}

void TSiteMapTree::RemoveEmptyFolders() {
    if (observer_)
        observer_->TreeAboutToBeReset();
    // Post-order: a node's children are pruned before the node itself is
    // judged, which is what walking the index order backwards amounts to.
    struct Frame {
        std::vector<std::unique_ptr<SiteMapNode>>* list;
        size_t next;
    };
    auto prune = [this](std::vector<std::unique_ptr<SiteMapNode>>& list) {
        size_t out = 0;
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i]->image_ == kImageFolder && list[i]->children_.empty()) {
                --count_;
                continue;
            }
            if (out != i)
                list[out] = std::move(list[i]);
            list[out]->row_ = static_cast<int>(out);
            ++out;
        }
        list.resize(out);
    };
    std::vector<Frame> stack{{&topLevel_, 0}};
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.next < f.list->size()) {
            SiteMapNode* child = (*f.list)[f.next++].get();
            if (!child->children_.empty())
                stack.push_back({&child->children_, 0});
            continue;
        }
        prune(*f.list);
        stack.pop_back();
    }
    lastValid_ = false;
    folderIndexValid_ = false;
    if (observer_)
        observer_->TreeReset();
}

void TSiteMapTree::ReorderChildren(const std::function<void(std::vector<SiteMapNode*>&)>& order) {
    if (observer_)
        observer_->TreeAboutToBeReset();
    std::vector<std::vector<std::unique_ptr<SiteMapNode>>*> lists{&topLevel_};
    std::vector<SiteMapNode*> nodes;
    while (!lists.empty()) {
        auto& list = *lists.back();
        lists.pop_back();
        nodes.clear();
        for (const auto& n : list)
            nodes.push_back(n.get());
        order(nodes);
        // Row still names each node's old place.
        std::vector<std::unique_ptr<SiteMapNode>> sorted;
        sorted.reserve(list.size());
        for (SiteMapNode* n : nodes)
            sorted.push_back(std::move(list[static_cast<size_t>(n->row_)]));
        list = std::move(sorted);
        for (size_t i = 0; i < list.size(); ++i) {
            list[i]->row_ = static_cast<int>(i);
            if (!list[i]->children_.empty())
                lists.push_back(&list[i]->children_);
        }
    }
    lastValid_ = false;
    folderIndexValid_ = false;
    if (observer_)
        observer_->TreeReset();
}

void TSiteMapTree::ForEach(const std::function<void(SiteMapNode&, int)>& fn) const {
    std::vector<SiteMapNode*> stack;
    for (size_t i = topLevel_.size(); i > 0; --i)
        stack.push_back(topLevel_[i - 1].get());
    int index = 0;
    while (!stack.empty()) {
        SiteMapNode* n = stack.back();
        stack.pop_back();
        fn(*n, index++);
        for (size_t i = n->children_.size(); i > 0; --i)
            stack.push_back(n->children_[i - 1].get());
    }
}

std::vector<SiteMapNode*> TSiteMapTree::NodesInIndexOrder() const {
    std::vector<SiteMapNode*> nodes;
    nodes.reserve(static_cast<size_t>(count_));
    ForEach([&nodes](SiteMapNode& n, int) { nodes.push_back(&n); });
    return nodes;
}

} // namespace tw
