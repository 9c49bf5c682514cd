#pragma once

#include "model/SiteMapProfile.h"
#include "persist/ComponentStream.h"

#include <string>

namespace tw {

class TSiteMapSettings;

inline constexpr const char* kProfileClassName = "TMapProfile";
inline constexpr const char* kProfileExtension = ".zpf";

// The profile's 22 published properties in stream order, then the program's
// own, each written only when it differs from its default. Modified and
// Untitled are assigned as plain fields; every other property goes through
// its setter, so reading marks the profile modified.
TStreamObject ProfileStreamObject(TMapProfile& profile);
inline constexpr size_t kPublishedProfileProperties = 22;

// Writes the profile to its FileName and clears Modified; the Modified value
// written is the one it had before. Settings, when given, record the file as
// the last one first, also when the write then fails. The previous file
// survives a failed write, and the profile then stays modified. Raises
// "Cannot create file %s" or "Stream write error".
bool WriteProfile(TMapProfile& profile, TSiteMapSettings* settings = nullptr,
                  const TCreateFile& createFile = {});

// Reads the file into the profile as it stands: properties the file lacks
// keep their values, and a FileName in the file replaces the profile's name.
// Settings, when given, record the file as the last one before it is read.
// Raises "Cannot open file %s" or a stream error; properties read before the
// error keep their new values.
void LoadProfile(TMapProfile& profile, const std::string& fileName,
                 TSiteMapSettings* settings = nullptr);

} // namespace tw
