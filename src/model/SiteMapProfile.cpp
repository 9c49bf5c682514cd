#include "model/SiteMapProfile.h"

#include "model/ProfileRules.h"

namespace tw {

TMapProfile::TMapProfile() {
    fileName_ = kUntitledProfileName;
    SetUsePageTitles(true);
    SetOutputType(TMapOutputType::moutFile);
    SetOutputFormat(TMapOutputFormat::mfmtParagraph);
    SetOutputFileName("");
    SetConfirmDelete(true);
    for (const PageColour& colour : kPageColours)
        (this->*colour.Set)(colour.Default);
    SetClassAttribs(true);
    SetAddImages(true);
    SetNoFolderImages(false);
    SetNoFolderLinks(false);
    untitled_ = true;
    modified_ = false;
}

void TMapProfile::SetFileName(const std::string& value) {
    fileName_ = value;
    untitled_ = false;
}

TMapProfile MakeStartupProfile() {
    TMapProfile profile;
    profile.SetFileTypes(kDefaultFileTypes);
    profile.SetModified(false);
    return profile;
}

} // namespace tw
