#include "model/ProfileRules.h"

#include "support/NXFiles.h"

namespace tw {

std::string ProposedOutputFile(const std::string& indexPage) {
    return ExtractFilePath(indexPage) + kDefaultOutputName;
}

TMapOutputType ShownOutputType(TMapOutputType type) {
    if (type == TMapOutputType::moutInsert || type == TMapOutputType::moutClipboard)
        return TMapOutputType::moutFile;
    return type;
}

} // namespace tw
