#pragma once

#include "check/LinkCheck.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace tw {

// The forms a link report is written in: text for people, JSON for
// programs, and what continuous integration services read: JUnit XML,
// SARIF 2.1.0 and GitHub Actions workflow commands.
enum class ReportFormat { Text, Json, Junit, Sarif, Github };

// "text", "json", "junit", "sarif", "github": the formats in the order above.
const std::vector<std::string>& ReportFormatNames();
std::optional<ReportFormat> ParseReportFormat(std::string_view name);

// What a finding is; each kind is one rule in SARIF.
enum class FindingKind : std::uint8_t {
    DeadLink,
    MissingAnchor,
    FolderLink, // a link to a folder without a default page
    OrphanPage,
    MissingTitle,
    EmptyTitle,
    DuplicateTitle,
    FolderWithoutDefaultPage,
    NotFullyChecked,
    UnreadableFolder,
};

// A few words naming the kind: "Dead link", "Orphan page", ...
const char* FindingKindTitle(FindingKind kind);

// What makes a finding the same finding in a later run: not its line,
// which moves whenever the page is edited above it. The strings are the
// site's bytes, as they are.
struct FindingId {
    FindingKind Kind = FindingKind::DeadLink;
    std::string Page;      // the page, style sheet or folder it is about
    std::string Link;      // a dead link as written; a shared title
    std::string Tag;       // a dead link's element
    std::string Attribute; // a dead link's attribute
    std::string Reason;    // a dead link's reason; the kind of a page note
    bool operator<(const FindingId& other) const {
        return std::tie(Kind, Page, Link, Tag, Attribute, Reason) <
               std::tie(other.Kind, other.Page, other.Link, other.Tag, other.Attribute,
                        other.Reason);
    }
};

// One finding on its own: one dead link, one orphan page, one of the pages
// that share a title. A finding is about one file or folder.
struct Finding {
    FindingId Id;
    unsigned Line = 0;   // 0 when unknown
    std::string Message; // the site's bytes as they are: each format escapes them
    bool Known = false;  // the baseline has it
};

// The findings of an earlier run. The findings it has are known: every
// format marks them, and they do not fail the check.
class Baseline {
public:
    // An entry of a report that does not carry exact bytes: compared with a
    // finding's texts made valid UTF-8 (bytes that are not as U+FFFD), as
    // that report wrote them.
    void Add(FindingId id) { folded_.insert(std::move(id)); }
    // An entry whose texts are the site's exact bytes.
    void AddExact(FindingId id) { exact_.insert(std::move(id)); }
    bool Contains(const FindingId& id) const;
    size_t Size() const { return folded_.size() + exact_.size(); }

private:
    std::set<FindingId> folded_, exact_;
};

// The findings of a report in the JSON format. Raises TError saying what is
// wrong when the text is no such report.
Baseline ParseBaseline(std::string_view jsonText);
// ParseBaseline of the file; raises TError naming the file when it cannot be
// read or holds no such report.
Baseline ReadBaseline(const std::string& fileName);

// Empty when Pattern is a regular expression in RE2's syntax, else what is
// wrong with it. RE2 matches in time linear in the link, whatever the
// pattern: back-references and look-around, which cannot, are refused.
std::string IgnorePatternError(const std::string& pattern);

// For LinkCheckLimits::IgnoreLink: true for a link, as written, in which one
// of the patterns finds a match anywhere. Empty without patterns. Raises
// TError for a pattern that IgnorePatternError refuses.
std::function<bool(std::string_view)> IgnoreLinksMatching(const std::vector<std::string>& patterns);

// The path that leads from the folder Base to the folder Site, both absolute
// and expanded: "" for the same folder, else ending in "/" ("public/",
// "../site/").
std::string RelativeFolder(std::string_view site, std::string_view base);

struct ReportOptions {
    ReportFormat Format = ReportFormat::Text;
    const Baseline* Known = nullptr; // none: every finding is new
    // SARIF and GitHub: what goes before a site-relative path to make it
    // relative to where the report is read, e.g. RelativeFolder(site, cwd).
    // The other formats keep site-relative paths.
    std::string PathPrefix;
    std::string ToolVersion; // SARIF: the driver's version
    // The read limit of the check, which the note on a truncated page names.
    size_t MaxPageBytes = LinkCheckLimits{}.MaxPageBytes;
};

// The findings of Report one by one: dead links, orphan pages, title
// problems (a group of pages with one title gives a finding on each),
// folders without a default page, pages not fully checked, unreadable folders.
std::vector<Finding> ListFindings(const LinkReport& report, const ReportOptions& options);

// The problems of Report that Known does not have, counted as
// LinkReport::ProblemCount counts them: the check fails when there are any.
size_t NewProblemCount(const LinkReport& report, const Baseline* known);

void WriteReport(const LinkReport& report, const ReportOptions& options, std::ostream& out);

} // namespace tw
