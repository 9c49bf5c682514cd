#include "output/SiteMapWriter.h"

#include "support/UrlText.h"

#include <vector>

namespace tw {

std::string NodeHref(const TDataRec& rec) {
    return rec.LinkURLEdited ? EncodeTypedUrl(rec.LinkURL) : EncodeUrlPath(rec.LinkURL);
}

void AppendLinkText(std::string& out, const TDataRec& rec) {
    const std::string& text = rec.LinkText;
    if (rec.LinkTextOrigin == TextOrigin::AsTyped) {
        out += text;
        return;
    }
    const bool name = rec.LinkTextOrigin == TextOrigin::FileName;
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = name ? "&gt;" : nullptr;
            break;
        case '&':
            entity = name ? "&amp;" : nullptr;
            break;
        default:
            break;
        }
        if (entity) {
            out.append(text, from, i - from);
            out += entity;
            from = i + 1;
        }
    }
    out.append(text, from, std::string::npos);
}

namespace {

struct Pieces {
    const char* folderBegin;
    const char* folderEnd;
    const char* pageBegin;
    const char* closing;
};

constexpr Pieces kList{"<ul>", "", "<dt>&nbsp;&nbsp;", "</ul>"};
constexpr Pieces kParagraph{"<p>", "<br>", "", "</p>"};

class Writer {
public:
    Writer(const TMapProfile& profile) : profile_(profile) {
        list_ = profile.OutputFormat() == TMapOutputFormat::mfmtList;
        pieces_ = list_ ? &kList : &kParagraph;
        sectionClass_ = profile.ClassAttribs() ? " class=\"mapsection\"" : "";
        itemClass_ = profile.ClassAttribs() ? " class=\"mapitem\"" : "";
        if (profile.AddImages() && !profile.NoFolderImages())
            folderImage_ = "<img src=\"smfolder.gif\">&nbsp;";
    }

    void Line(int indent, std::string_view text) {
        out_ += "\r\n";
        out_.append(static_cast<size_t>(indent), ' ');
        out_ += text;
    }

    void FolderLine(const SiteMapNode& node, int indent) {
        const TDataRec& rec = node.Data;
        bool linked = !profile_.NoFolderLinks() && !rec.LinkURL.empty();
        line_.clear();
        line_ += pieces_->folderBegin;
        line_ += folderImage_;
        line_ += "<b";
        line_ += sectionClass_;
        line_ += ">";
        if (linked) {
            line_ += "<a href=\"";
            line_ += NodeHref(rec);
            line_ += "\">";
        }
        AppendLinkText(line_, rec);
        if (linked)
            line_ += "</a>";
        line_ += "</b>";
        line_ += pieces_->folderEnd;
        Line(indent, line_);
    }

    void PageLine(const SiteMapNode& node, int indent, const char* end) {
        const TDataRec& rec = node.Data;
        line_.clear();
        line_ += pieces_->pageBegin;
        if (profile_.AddImages())
            line_ += node.ImageIndex() == kImagePicture ? "<img src=\"smimg.gif\">&nbsp;"
                                                        : "<img src=\"smfile.gif\">&nbsp;";
        line_ += "<a href=\"";
        line_ += NodeHref(rec);
        line_ += "\"";
        line_ += itemClass_;
        line_ += ">";
        AppendLinkText(line_, rec);
        line_ += "</a>";
        line_ += end;
        Line(indent, line_);
    }

    void Run(const TSiteMapTree& tree, WriterListener* listener, const TextSink& sink) {
        const int count = tree.Count();
        // A page line needs to know whether the next node is a folder, so each
        // node is written when its successor is known (or the walk has ended).
        const SiteMapNode* pending = nullptr;
        int pendingIndex = 0;
        auto write = [&](const SiteMapNode& node, int index, const SiteMapNode* next) {
            if (listener)
                listener->BeforeNode(node, index, count);
            WriteNode(node, index, next);
            if (listener)
                listener->AfterNode(node, index, count);
            if (out_.size() >= kFlushSize) {
                sink(out_);
                out_.clear();
            }
        };
        tree.ForEach([&](SiteMapNode& node, int index) {
            if (pending)
                write(*pending, pendingIndex, &node);
            pending = &node;
            pendingIndex = index;
        });
        if (pending)
            write(*pending, pendingIndex, nullptr);
        if (list_) {
            while (!openLists_.empty()) {
                Line(2 * openLists_.back(), "</ul>");
                openLists_.pop_back();
            }
        } else if (count > 0) {
            Line(0, "</p>");
        }
        if (!out_.empty())
            sink(out_);
    }

private:
    const TMapProfile& profile_;
    bool list_;
    const Pieces* pieces_;
    std::string sectionClass_;
    std::string itemClass_;
    std::string folderImage_;
    void WriteNode(const SiteMapNode& node, int index, const SiteMapNode* next) {
        int level = node.Level();
        if (list_) {
            if (node.IsFolderNode()) {
                while (!openLists_.empty() && openLists_.back() >= level) {
                    Line(2 * openLists_.back(), "</ul>");
                    openLists_.pop_back();
                }
                FolderLine(node, 2 * level);
                openLists_.push_back(level);
            } else {
                PageLine(node, 2 * level, "</dt>");
            }
        } else if (node.IsFolderNode()) {
            if (index > 0)
                Line(0, "</p>");
            FolderLine(node, 0);
        } else {
            bool beforeFolder = next && next->IsFolderNode();
            PageLine(node, 2, beforeFolder ? "" : "<br>");
        }
    }

    static constexpr size_t kFlushSize = 1 << 20;
    std::string out_;
    std::string line_;
    std::vector<int> openLists_; // levels of the folders whose lists are open
};

} // namespace

void BuildSiteMapTo(const TSiteMapTree& tree, const TMapProfile& profile, WriterListener* listener,
                    const TextSink& sink) {
    Writer writer(profile);
    writer.Run(tree, listener, sink);
}

std::string BuildSiteMap(const TSiteMapTree& tree, const TMapProfile& profile,
                         WriterListener* listener) {
    std::string text;
    BuildSiteMapTo(tree, profile, listener, [&text](std::string_view piece) { text += piece; });
    return text;
}

} // namespace tw
