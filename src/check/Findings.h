#pragma once

// What the check found, one finding at a time: the kinds, what makes a
// finding the same in a later run, and the words every report form uses.

#include "check/CheckResult.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace tw {

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
    ExternalDeadLink, // an http or https URL that answers with an error, or not at all
    MovedPermanently, // one that permanently redirects to a good answer: informs only
    // The page-quality findings, in the order of QualityKind.
    MissingAlt,
    MissingLang,
    MissingDescription,
    DuplicateDescription,
    MissingH1,
    MixedContent,
    TooDeep,
    RedirectPage,
    RedirectChain,
    DuplicateId,
};

inline constexpr size_t kFindingKindCount = 22;

// Whether a new finding of the kind fails the check: the link findings and
// the unreadable folders do; a move and the page-quality findings only
// inform, unless the check is strict.
bool FindingFails(FindingKind kind, bool strict = false);

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

// The link as a reader finds it in its file: <img srcset="a.png">,
// <style> url(a.png), <div style> url(a.png), url(a.png), @import "a.css".
std::string DescribeLink(const DeadLink& link);

class Baseline;

// The words and ids the report's forms share; not for callers of the check.
namespace findings {

struct KindInfo {
    const char* Id;    // SARIF's rule id, JUnit's failure type
    const char* Title; // a few words
    const char* Level; // SARIF's level; GitHub's command for a new finding
    const char* Description;
};

// In the order of FindingKind.
extern const std::array<KindInfo, kFindingKindCount> kKinds;

// The kind whose id is Id, none for an unknown id.
std::optional<FindingKind> KindOfId(std::string_view id);

// The finding's text for an unreadable folder.
inline constexpr const char* kUnreadableFolderText = "folder could not be read";

const KindInfo& Info(FindingKind kind);
const char* ReasonName(DeadLinkReason reason);
FindingKind KindOf(DeadLinkReason reason);
const char* TitleKindName(TitleProblemKind kind);
FindingKind KindOf(TitleProblemKind kind);
const char* NoteName(PageNoteKind kind);
std::string NoteText(PageNoteKind kind, size_t maxPageBytes);

// "1 dead link", "2 dead links".
std::string Count(size_t n, const char* one, const char* many);

FindingId IdOf(const DeadLink& d);
FindingId IdOf(FindingKind kind, const std::string& page, std::string link = {},
               std::string reason = {});
FindingId IdOf(const TitleProblem& t, const std::string& page);
FindingId IdOf(const PageNote& n);
FindingId IdOf(const ExternalUrl& u, const DeadLink& link);
FindingKind KindOf(QualityKind kind);
FindingId IdOf(const QualityProblem& q);
std::string QualityMessage(const QualityProblem& q);
// "Moved permanently to URL" or the dead URL's status and error.
std::string ExternalMessage(const ExternalUrl& u, const DeadLink& link);
std::string ExternalStatusText(const ExternalUrl& u);

// Whether each entry of each list of a report is known. A group of pages
// with one title is known when each of its pages had that title before.
struct KnownEntries {
    std::vector<bool> DeadLinks, OrphanPages, TitleProblems, Folders, Notes, Unreadable;
    // Each link of each external URL in turn, the moves' too.
    std::vector<bool> External;
    std::vector<bool> Quality;
    // The known links among External that moved: no problem of
    // LinkReport::ProblemCount, so Count leaves them out.
    size_t KnownMoves = 0;

    KnownEntries(const LinkReport& report, const Baseline* known);
    // The known entries that LinkReport::ProblemCount counts.
    size_t Count() const;
};

std::string DeadLinkMessage(const DeadLink& d);
// The other pages of a group, a few of them by name.
std::string DuplicateMessage(const TitleProblem& t, const std::string& page);

} // namespace findings

} // namespace tw
