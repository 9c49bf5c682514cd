#pragma once

// The modern page of a large site in parts of at most MaxLinks links each,
// split along its folders. Part 1 is the output file; it lists every part.
// The others (SiteMapPartFile) lead back to it through a breadcrumb.

#include "model/SiteMapParts.h"
#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/ModernLayout.h"
#include "output/PageTemplate.h"
#include "output/SiteMapWriter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// One part: the nodes [Begin, End) of the tree's index order, and its links.
struct SiteMapPart {
    size_t Begin = 0;
    size_t End = 0;
    size_t Links = 0;
};

// Splits the nodes (the tree in index order) into parts of at most MaxLinks
// (>= 1) links. A link is an item the page writes as <a href>: a page, or a
// folder whose name links to its default page (ModernItemLinked); the links
// between the parts are not counted. The tree is walked in order and each
// part filled with whole folders; a folder with more links than fit in one
// part begins a part of its own, is split the same way along its sub
// folders and runs of its own items, and the items after it begin another
// part. A part ends only once it holds a link. One part when the nodes hold
// at most MaxLinks links. Time and memory linear in the nodes.
std::vector<SiteMapPart> PlanSiteMapParts(const std::vector<SiteMapNode*>& nodes,
                                          const TMapProfile& profile, size_t maxLinks);

// The profile's tree planned in parts (one part when it is not paged).
class PagedSiteMap {
public:
    PagedSiteMap(const TSiteMapTree& tree, const TMapProfile& profile);

    size_t PartCount() const { return parts_.size(); }
    const SiteMapPart& Part(size_t k) const { return parts_[k]; }
    // The file of part K (from 0).
    std::string PartFile(size_t k) const;
    // Writes part K (from 0) as a whole modern page, or into the profile's
    // template when it names one (raising ETemplateError as the one page
    // does); Listener hears of every node with its index in the whole tree.
    void WritePart(size_t k, const std::string& lang, WriterListener* listener,
                   const TextSink& sink) const;

private:
    std::string Heading(const ModernPageWriter& page, size_t k) const;
    // The part's lists; Templated: inside the nav a template's marker
    // stands for, else the page's heading and map.
    void WriteBody(ModernPageWriter& page, size_t k, WriterListener* listener,
                   bool templated) const;

    const TMapProfile& profile_;
    std::vector<SiteMapNode*> nodes_;
    std::vector<SiteMapPart> parts_;
    mutable std::optional<LoadedTemplate> frame_; // the profile's template, once read
};

// The files of parts 2 and later that the profile's page would be written in.
std::vector<std::string> SiteMapPartFiles(const TSiteMapTree& tree, const TMapProfile& profile);

// Parts of an earlier run beyond the PartCount written now: OutputFile's
// part PartCount + 1, + 2, ... up to the first number with no file (parts
// are numbered without gaps), those that are site map pages of ours
// (IsOurSiteMapPage). Named to the user, never deleted.
std::vector<std::string> LeftoverSiteMapParts(const std::string& outputFile, size_t partCount);

} // namespace tw
