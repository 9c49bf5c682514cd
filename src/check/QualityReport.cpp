#include "check/QualityReport.h"

#include "check/Findings.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"
#include "support/UrlText.h"

#include <array>
#include <ostream>

namespace tw {

using namespace findings;

namespace {

using Json = nlohmann::ordered_json;

std::array<size_t, kQualityKindCount> CountByKind(const std::vector<QualityProblem>& list) {
    std::array<size_t, kQualityKindCount> n{};
    for (const QualityProblem& q : list)
        ++n[static_cast<size_t>(q.Kind)];
    return n;
}

// As the JSON report writes all the site's text: valid UTF-8, and the exact
// bytes beside it where they are not.
void PutText(Json& item, const std::string& key, const std::string& raw) {
    item[key] = ValidUtf8(raw);
    if (!IsUtf8(raw))
        item[key + "Bytes"] = EncodeUrlPath(raw);
}

} // namespace

void WriteQualitySections(const std::vector<QualityProblem>& list, const std::vector<bool>& known,
                          std::ostream& out) {
    const auto counts = CountByKind(list);
    for (size_t k = 0; k < kQualityKindCount; ++k) {
        if (counts[k] == 0)
            continue;
        const auto kind = static_cast<QualityKind>(k);
        out << Info(KindOf(kind)).Title << ": " << counts[k] << "\n";
        for (size_t i = 0; i < list.size(); ++i) {
            const QualityProblem& q = list[i];
            if (q.Kind != kind)
                continue;
            out << "  " << PrintableText(q.Page);
            if (q.Line > 0)
                out << ":" << q.Line;
            out << ": " << PrintableText(QualityMessage(q)) << (known[i] ? " (known)\n" : "\n");
        }
    }
}

std::string QualitySummary(const std::vector<QualityProblem>& list, bool strict) {
    if (list.empty())
        return {};
    const auto counts = CountByKind(list);
    std::string text = Count(list.size(), "page-quality finding", "page-quality findings") +
                       (strict             ? ""
                        : list.size() == 1 ? " that does not fail"
                                           : " that do not fail") +
                       " (";
    bool first = true;
    for (size_t k = 0; k < kQualityKindCount; ++k) {
        if (counts[k] == 0)
            continue;
        text += (first ? "" : ", ") +
                AsciiLowerCase(Info(KindOf(static_cast<QualityKind>(k))).Title) + " " +
                std::to_string(counts[k]);
        first = false;
    }
    text += ")";
    return text;
}

Json QualityJson(const std::vector<QualityProblem>& list, const std::vector<bool>& known,
                 bool strict) {
    Json array = Json::array();
    for (size_t i = 0; i < list.size(); ++i) {
        const QualityProblem& q = list[i];
        Json item = Json::object();
        item["finding"] = Info(KindOf(q.Kind)).Id;
        PutText(item, "page", q.Page);
        item["line"] = q.Line > 0 ? Json(q.Line) : Json(nullptr);
        PutText(item, "tag", q.Tag);
        PutText(item, "attribute", q.Attribute);
        PutText(item, "value", q.Value);
        if (!q.Detail.empty())
            item["detail"] = ValidUtf8(q.Detail);
        item["message"] = ValidUtf8(QualityMessage(q));
        item["fails"] = !known[i] && FindingFails(KindOf(q.Kind), strict);
        item["known"] = bool(known[i]);
        array.push_back(std::move(item));
    }
    return array;
}

} // namespace tw
