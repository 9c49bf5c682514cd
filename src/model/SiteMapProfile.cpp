#include "model/SiteMapProfile.h"

namespace tw {

TMapProfile::TMapProfile() {
    fileName_ = kUntitledProfileName;
    SetUsePageTitles(true);
    SetOutputType(TMapOutputType::moutFile);
    SetOutputFormat(TMapOutputFormat::mfmtParagraph);
    SetOutputFileName("");
    SetConfirmDelete(true);
    SetclrBackground(0xFFFFFF);
    SetclrText(0);
    SetclrLink(0xFF0000);
    SetclrVisited(0x800080);
    SetclrActive(255);
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
