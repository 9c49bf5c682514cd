#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"

#include <functional>
#include <string>
#include <string_view>

namespace tw {

// Told about every node the writer handles, so the wizard can show progress
// and pace the walk.
class WriterListener {
public:
    virtual ~WriterListener() = default;
    // Before the node's lines are written; Index is its absolute index.
    virtual void BeforeNode(const SiteMapNode& node, int index, int count) {
        (void)node;
        (void)index;
        (void)count;
    }
    // After the node's lines are written.
    virtual void AfterNode(const SiteMapNode& node, int index, int count) {
        (void)node;
        (void)index;
        (void)count;
    }
};

// A node's link as an href value: a scanned name's path by EncodeUrlPath,
// an address the user typed by EncodeTypedUrl (support/UrlText.h).
std::string NodeHref(const TDataRec& rec);

// Appends a node's link text as the page shows it: a file or folder name
// with "&", "<" and ">" escaped, a title with "<" escaped (its entities
// stay), a typed text as it stands.
void AppendLinkText(std::string& out, const TDataRec& rec);

// The site map fragment: the tree as nested lists or as paragraphs, with the
// class, image and folder-link options of the profile. Every line is CR LF,
// its indentation and its text, so the fragment begins with CR LF and has no
// line break at its end.
std::string BuildSiteMap(const TSiteMapTree& tree, const TMapProfile& profile,
                         WriterListener* listener = nullptr);

// Receives the fragment piece by piece.
using TextSink = std::function<void(std::string_view)>;

// BuildSiteMap, handing the fragment to Sink in pieces of about a megabyte,
// so that a site of a million pages never holds its whole map in memory.
void BuildSiteMapTo(const TSiteMapTree& tree, const TMapProfile& profile, WriterListener* listener,
                    const TextSink& sink);

} // namespace tw
