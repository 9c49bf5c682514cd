#include "cli/ProfileCommand.h"

#include "cli/ProfileOptions.h"
#include "persist/ProfileFiles.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

namespace tw {

namespace {

// What a file that is no profile file seems to be, from its first bytes, so
// that "Invalid stream format" says what went wrong; empty for a file that
// starts as a profile file does.
std::string LooksLike(const std::string& fileName) {
    std::string head;
    try {
        FileReader(fileName).ReadInto(head, 512);
    } catch (const std::exception&) {
        return {};
    }
    if (head.starts_with("TPF0"))
        return {}; // a profile file, damaged further on
    size_t i = head.find_first_not_of(" \t\r\n");
    if (i == std::string::npos)
        return head.empty() ? "an empty file" : "a blank text file";
    std::string start = AsciiLowerCase(head.substr(i, 16));
    if (start[0] == '{' || start[0] == '[')
        return "JSON";
    if (start.starts_with("<?xml"))
        return "XML";
    if (start.starts_with("<!doctype html") || start.starts_with("<html"))
        return "an HTML page";
    bool text = std::all_of(head.begin(), head.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 0x20 || c == '\t' || c == '\r' || c == '\n';
    });
    return text ? "a text file" : "binary data";
}

} // namespace

int ShowProfile(const std::string& fileName, const CliStreams& streams) {
    TMapProfile profile;
    TStreamObject object = ProfileStreamObject(profile);
    std::vector<bool> present(object.Properties.size(), false);
    for (size_t k = kPublishedProfileProperties; k < object.Properties.size(); ++k) {
        TPropInfo& info = object.Properties[k];
        auto seen = [&present, k] { present[k] = true; };
        if (info.SetOrdinal)
            info.SetOrdinal = [set = info.SetOrdinal, seen](std::int32_t v) {
                seen();
                set(v);
            };
        if (info.SetString)
            info.SetString = [set = info.SetString, seen](const std::string& v) {
                seen();
                set(v);
            };
    }
    try {
        LoadObjectFile(fileName, object);
    } catch (const EReadError&) {
        std::string kind = LooksLike(fileName);
        if (kind.empty())
            throw;
        throw TError(std::string(kInvalidStreamFormat) + ": " + fileName +
                     " is not a profile file (it looks like " + kind +
                     "; `profile write` makes profile files)");
    }
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (size_t k = 0; k < object.Properties.size(); ++k) {
        const TPropInfo& info = object.Properties[k];
        if (k >= kPublishedProfileProperties && !present[k])
            continue;
        switch (info.Kind) {
        case TPropKind::Boolean:
            json[info.Name] = info.GetOrdinal() != 0;
            break;
        case TPropKind::Enumeration:
            json[info.Name] = info.Identifiers.at(static_cast<size_t>(info.GetOrdinal()));
            break;
        case TPropKind::Colour:
        case TPropKind::Integer:
            json[info.Name] = info.GetOrdinal();
            break;
        case TPropKind::String:
            json[info.Name] = info.GetString();
            break;
        }
    }
    // Strings that are not UTF-8 (file names can be any bytes) print with U+FFFD.
    streams.out << JsonWithoutRunnerMarks(
                       json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace))
                << "\n";
    return 0;
}

// Builds the profile as generate does and saves it as the wizard's Save As does.
int WriteProfileFile(const CLI::App& app, const ProfileOptions& options,
                     const std::string& fileName) {
    TMapProfile profile = BuildProfile(app, options);
    // A profile that asks for what it cannot do is refused as generate refuses it.
    options.CheckSitemapNeeds(app, profile);
    options.CheckModernNeeds(app, profile);
    profile.SetFileName(ExpandFileName(fileName));
    WriteProfile(profile);
    return 0;
}

} // namespace tw
