#pragma once

// The property stream shared by profile and settings files: "TPF0", the class
// and object names, then name/value pairs, each value behind a one-byte tag.
// The writer walks an object's property list in order; the reader assigns the
// properties it finds, by name and in any order, into an existing object.

#include "model/SiteMapProfile.h"
#include "support/Errors.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

class AtomicFile;

// Any fault of a stream being read. Properties assigned before it keep the
// values they were given.
class EReadError : public TError {
    using TError::TError;
};

inline constexpr const char* kInvalidStreamFormat = "Invalid stream format";
inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kErrorReading = "Error reading %s%s%s: %s";
inline constexpr const char* kPropertyDoesNotExist = "Property %s does not exist";
inline constexpr const char* kInvalidPropertyValue = "Invalid property value";
// Our own wording for faults that no writer of the format produces.
inline constexpr const char* kInvalidStringLength = "Invalid string length";
inline constexpr const char* kChildObjectsNotSupported =
    "Invalid stream format: child objects are not supported";

// Value tags.
enum TValueType : std::uint8_t {
    svNull = 0x00,
    svInt8 = 0x02,
    svInt16 = 0x03,
    svInt32 = 0x04,
    svString = 0x06,
    svIdent = 0x07,
    svFalse = 0x08,
    svTrue = 0x09,
    svLString = 0x0C,
    svNil = 0x0D,
    svWString = 0x12,
    svUTF8String = 0x14,
};

enum class TPropKind { Boolean, Enumeration, Colour, String, Integer };

// One persisted property. Boolean, enumeration and colour values travel as
// an ordinal (0/1, the value's index in Identifiers, the colour itself);
// strings as UTF-8 text; integers (never negative) as themselves.
struct TPropInfo {
    std::string Name;
    TPropKind Kind = TPropKind::Boolean;
    std::vector<std::string> Identifiers; // value order; "False", "True" for Boolean
    std::function<std::int32_t()> GetOrdinal;
    std::function<void(std::int32_t)> SetOrdinal;
    std::function<std::string()> GetString;
    std::function<void(const std::string&)> SetString;
    // Set for properties added after a format was fixed: such a property is
    // written only when its ordinal differs from this default, so files that
    // do not use it keep their bytes. Strings already go only when not empty.
    std::optional<std::int32_t> DefaultOrdinal;
};

// What the reader and the writer see of a persisted object: its class name,
// its object name and its property list in stream order, bound to one
// instance through the accessors.
class TStreamObject {
public:
    explicit TStreamObject(std::string className) : ClassName(std::move(className)) {}

    TStreamObject& Boolean(std::string name, std::function<bool()> get,
                           std::function<void(bool)> set);
    TStreamObject& Colour(std::string name, std::function<TColor()> get,
                          std::function<void(TColor)> set);
    TStreamObject& String(std::string name, std::function<std::string()> get,
                          std::function<void(const std::string&)> set);
    // A count: a negative value in a stream is refused.
    TStreamObject& Integer(std::string name, std::function<std::int32_t()> get,
                           std::function<void(std::int32_t)> set);
    template <typename E>
    TStreamObject& Enumeration(std::string name, std::vector<std::string> identifiers,
                               std::function<E()> get, std::function<void(E)> set) {
        TPropInfo info;
        info.Name = std::move(name);
        info.Kind = TPropKind::Enumeration;
        info.Identifiers = std::move(identifiers);
        info.GetOrdinal = [get] { return static_cast<std::int32_t>(get()); };
        info.SetOrdinal = [set](std::int32_t v) { set(static_cast<E>(v)); };
        Properties.push_back(std::move(info));
        return *this;
    }

    // The last property added is written only when its ordinal is not Ordinal.
    TStreamObject& OmittedAt(std::int32_t ordinal) {
        Properties.back().DefaultOrdinal = ordinal;
        return *this;
    }

    std::string ClassName;
    // Empty unless a stream names the object; only error messages show it.
    std::string Name;
    std::vector<TPropInfo> Properties;
};

// Appends the signature and the object to Stream.
void WriteObject(std::string& stream, const TStreamObject& object);

// Reads a whole stream into Object. Properties the stream lacks are left as
// they are. Raises EReadError on the first fault.
void ReadObject(std::string_view stream, TStreamObject& object);

// Makes the file a stream is saved to; tests hand in one that fails.
using TCreateFile = std::function<std::unique_ptr<AtomicFile>(const std::string& fileName)>;

// Saves Object's stream as the whole content of FileName. The previous file
// survives a failed write. Raises "Cannot create file %s" or "Stream write
// error".
void SaveObjectFile(const TStreamObject& object, const std::string& fileName,
                    const TCreateFile& createFile = {});

// The largest profile or settings file read: far beyond what the program
// writes (100,000 ignore entries of 300 characters make 30 MB), small enough
// that a wrong file picked by mistake costs no great memory.
inline constexpr size_t kMaxStreamFileSize = size_t{64} << 20;
inline constexpr const char* kStreamFileTooLarge = "Invalid stream format: %s is larger than %s MB";

// Reads the file FileName into Object. Raises "Cannot open file %s" or a
// stream error; a file that does not start with the signature is refused
// after its first bytes, one over kMaxStreamFileSize before it is read.
void LoadObjectFile(const std::string& fileName, TStreamObject& object);

// The colour identifiers ("clBlack" ... "clWindowText") both ways; the
// identifier lookup ignores the case of ASCII letters.
std::optional<std::string_view> ColorToIdent(TColor color);
std::optional<TColor> IdentToColor(std::string_view ident);

} // namespace tw
