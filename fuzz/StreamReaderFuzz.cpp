// Feeds arbitrary bytes to the stream reader, as a profile and as a settings
// file. Besides crashes and sanitizer reports it checks one property: what
// the reader accepted writes back into a stream that reads to the same object
// (given an object whose strings start empty, since empty ones are not written).

#include "persist/ComponentStream.h"
#include "persist/ProfileFiles.h"
#include "persist/SiteMapSettings.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

template <typename T, typename MakeObject>
bool ReadInto(T& target, std::string_view bytes, MakeObject make) {
    tw::TStreamObject object = make(target);
    try {
        tw::ReadObject(bytes, object);
        return true;
    } catch (const tw::EReadError&) {
        return false;
    }
}

std::string WriteOf(tw::TStreamObject object) {
    std::string out;
    tw::WriteObject(out, object);
    return out;
}

void CheckProfile(std::string_view input) {
    tw::TMapProfile first;
    if (!ReadInto(first, input, tw::ProfileStreamObject))
        return;
    std::string written = WriteOf(tw::ProfileStreamObject(first));
    // Empty strings are left out of a stream, so the profile read back starts
    // with every string empty; all other properties are always written.
    tw::TMapProfile second;
    second.SetFileName("");
    if (!ReadInto(second, written, tw::ProfileStreamObject))
        std::abort();
    // Reading runs setters after Modified, so that one flag may differ.
    second.SetModified(first.Modified());
    if (WriteOf(tw::ProfileStreamObject(second)) != written)
        std::abort();
}

void CheckSettings(std::string_view input) {
    tw::TSiteMapSettings first("/fuzz/");
    if (!ReadInto(first, input, tw::SettingsStreamObject))
        return;
    std::string written = WriteOf(tw::SettingsStreamObject(first));
    tw::TSiteMapSettings second("/elsewhere/");
    second.SetSettingFile("");
    if (!ReadInto(second, written, tw::SettingsStreamObject))
        std::abort();
    if (WriteOf(tw::SettingsStreamObject(second)) != written)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckProfile(input);
    CheckSettings(input);
    return 0;
}
