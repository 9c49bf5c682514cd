#include "model/PageFacts.h"

#include "model/PageParser.h"

namespace tw {

PageFacts ReadPageFacts(std::string_view html) {
    ParsedPage page = ParsePage(html);
    PageFacts facts;
    facts.NoIndex = page.NoIndex;
    facts.Canonical = std::move(page.Canonical);
    facts.Alternates = std::move(page.Alternates);
    for (PageLink& link : page.Links)
        if (link.Tag == "img" && link.Source == LinkSource::Attribute)
            facts.Images.push_back(std::move(link.Value));
    return facts;
}

} // namespace tw
