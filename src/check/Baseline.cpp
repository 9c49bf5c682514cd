#include "check/Baseline.h"

#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/TextEncoding.h"
#include "support/UrlText.h"

#include <algorithm>
#include <initializer_list>
#include <nlohmann/json.hpp>

namespace tw {

using namespace findings;

namespace {

using Json = nlohmann::ordered_json;

// The baseline is not what it should be.
class BadBaseline : public TError {
public:
    BadBaseline() : TError("not a report of \"trailwright-cli check --format json\"") {}
};

const Json& Member(const Json& object, const char* key) {
    if (!object.is_object() || !object.contains(key))
        throw BadBaseline();
    return object.at(key);
}

std::string Text(const Json& value) {
    if (!value.is_string())
        throw BadBaseline();
    return value.get<std::string>();
}

const Json& Array(const Json& value) {
    if (!value.is_array())
        throw BadBaseline();
    return value;
}

// Key's text of an entry: the exact bytes when the report has them.
std::string Exact(const Json& entry, const std::string& key) {
    if (entry.is_object() && entry.contains(key + "Bytes"))
        return PercentDecoded(Text(entry.at(key + "Bytes")));
    return Text(Member(entry, key.c_str()));
}

// Whether an entry carries exact bytes for any of Keys.
bool HasBytes(const Json& entry, std::initializer_list<const char*> keys) {
    return entry.is_object() && std::any_of(keys.begin(), keys.end(), [&](const char* key) {
               return entry.contains(std::string(key) + "Bytes");
           });
}

// A list entry of the JSON report that names one path: the path itself, as
// reports before "known" had it, or an object with the path under Key.
std::string PathEntry(const Json& entry, const char* key) {
    return entry.is_string() ? Text(entry) : Exact(entry, key);
}

} // namespace

bool Baseline::Contains(const FindingId& id) const {
    // An entry without exact bytes as the JSON report that made it has it.
    return exact_.count(id) > 0 ||
           folded_.count({id.Kind, ValidUtf8(id.Page), ValidUtf8(id.Link), ValidUtf8(id.Tag),
                          ValidUtf8(id.Attribute), ValidUtf8(id.Reason)}) > 0;
}

Baseline ParseBaseline(std::string_view jsonText) {
    Json json;
    try {
        json = Json::parse(jsonText);
    } catch (const Json::parse_error& e) {
        throw TError("not JSON (at byte " + std::to_string(e.byte) + ")");
    }
    Baseline baseline;
    auto add = [&baseline](FindingId id, bool exact) {
        if (exact)
            baseline.AddExact(std::move(id));
        else
            baseline.Add(std::move(id));
    };
    for (const Json& d : Array(Member(json, "deadLinks"))) {
        const std::string reason = Text(Member(d, "reason"));
        FindingKind kind = FindingKind::DeadLink;
        if (reason == ReasonName(DeadLinkReason::NoDefaultPage))
            kind = FindingKind::FolderLink;
        else if (reason == ReasonName(DeadLinkReason::MissingAnchor))
            kind = FindingKind::MissingAnchor;
        else if (reason != ReasonName(DeadLinkReason::Missing))
            throw BadBaseline();
        add({kind, Exact(d, "page"), Exact(d, "link"), Exact(d, "tag"), Exact(d, "attribute"),
             reason},
            HasBytes(d, {"page", "link", "tag", "attribute"}));
    }
    for (const Json& entry : Array(Member(json, "orphanPages")))
        add(IdOf(FindingKind::OrphanPage, PathEntry(entry, "page")), HasBytes(entry, {"page"}));
    for (const Json& t : Array(Member(json, "titleProblems"))) {
        const std::string kindName = Text(Member(t, "kind"));
        TitleProblem problem;
        for (TitleProblemKind kind :
             {TitleProblemKind::Missing, TitleProblemKind::Empty, TitleProblemKind::Duplicate})
            if (kindName == TitleKindName(kind))
                problem.Kind = kind;
        if (kindName != TitleKindName(problem.Kind))
            throw BadBaseline();
        if (problem.Kind == TitleProblemKind::Duplicate)
            problem.Title = Exact(t, "title");
        const Json& pages = Array(Member(t, "pages"));
        const Json* bytes = t.contains("pagesBytes") ? &Array(t.at("pagesBytes")) : nullptr;
        if (bytes != nullptr && bytes->size() != pages.size())
            throw BadBaseline();
        for (size_t i = 0; i < pages.size(); ++i) {
            const bool pageBytes = bytes != nullptr && !(*bytes)[i].is_null();
            add(IdOf(problem, pageBytes ? PercentDecoded(Text((*bytes)[i])) : Text(pages[i])),
                pageBytes || HasBytes(t, {"title"}));
        }
    }
    for (const Json& entry : Array(Member(json, "foldersWithoutDefaultPage")))
        add(IdOf(FindingKind::FolderWithoutDefaultPage, PathEntry(entry, "folder")),
            HasBytes(entry, {"folder"}));
    for (const Json& n : Array(Member(json, "notes")))
        add(IdOf(FindingKind::NotFullyChecked, Exact(n, "page"), {}, Text(Member(n, "kind"))),
            HasBytes(n, {"page"}));
    // Reports from before this list have none.
    if (json.contains("unreadableFolders"))
        for (const Json& entry : Array(json.at("unreadableFolders")))
            add(IdOf(FindingKind::UnreadableFolder, PathEntry(entry, "folder")),
                HasBytes(entry, {"folder"}));
    // Only reports of a check with --external have them.
    if (json.contains("externalLinks"))
        for (const Json& u : Array(json.at("externalLinks"))) {
            // Moves too: under --strict they fail unless known.
            const std::string finding = Text(Member(u, "finding"));
            const bool dead = finding == kKinds[size_t(FindingKind::ExternalDeadLink)].Id;
            if (!dead && finding != kKinds[size_t(FindingKind::MovedPermanently)].Id)
                continue;
            for (const Json& l : Array(Member(u, "links")))
                add({dead ? FindingKind::ExternalDeadLink : FindingKind::MovedPermanently,
                     Exact(l, "page"), Exact(l, "link"), Exact(l, "tag"), Exact(l, "attribute"),
                     dead ? "dead" : "moved"},
                    HasBytes(l, {"page", "link", "tag", "attribute"}));
        }
    // Reports from before the page-quality findings have none. The level
    // of a kind is no part of a finding: a change of level keeps it known.
    if (json.contains("pageQuality"))
        for (const Json& q : Array(json.at("pageQuality"))) {
            std::optional<FindingKind> kind = KindOfId(Text(Member(q, "finding")));
            if (!kind || *kind < KindOf(QualityKind::MissingAlt))
                throw BadBaseline();
            add({*kind,
                 Exact(q, "page"),
                 Exact(q, "value"),
                 Exact(q, "tag"),
                 Exact(q, "attribute"),
                 {}},
                HasBytes(q, {"page", "value", "tag", "attribute"}));
        }
    return baseline;
}

Baseline ReadBaseline(const std::string& fileName) {
    std::string text;
    try {
        text = LoadFileText(fileName);
    } catch (const TError&) {
        throw TError("Cannot read the baseline " + fileName);
    }
    try {
        return ParseBaseline(text);
    } catch (const TError& e) {
        throw TError("The baseline " + fileName + " is " + e.what());
    }
}

} // namespace tw
