#include "persist/ComponentStream.h"

#include "support/AtomicFile.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"

#include <array>

namespace tw {

namespace {

struct ColorIdent {
    const char* Ident;
    std::uint32_t Value;
};

// Writing takes the first row whose value matches; all values are distinct.
constexpr std::array<ColorIdent, 52> kColorIdents{{
    {"clBlack", 0x00000000},
    {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},
    {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},
    {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},
    {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},
    {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},
    {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},
    {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},
    {"clWhite", 0x00FFFFFF},
    {"clMoneyGreen", 0x00C0DCC0},
    {"clSkyBlue", 0x00F0CAA6},
    {"clCream", 0x00F0FBFF},
    {"clMedGray", 0x00A4A0A0},
    {"clActiveBorder", 0x8000000A},
    {"clActiveCaption", 0x80000002},
    {"clAppWorkSpace", 0x8000000C},
    {"clBackground", 0x80000001},
    {"clBtnFace", 0x8000000F},
    {"clBtnHighlight", 0x80000014},
    {"clBtnShadow", 0x80000010},
    {"clBtnText", 0x80000012},
    {"clCaptionText", 0x80000009},
    {"clDefault", 0x20000000},
    {"clGradientActiveCaption", 0x8000001B},
    {"clGradientInactiveCaption", 0x8000001C},
    {"clGrayText", 0x80000011},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clHotLight", 0x8000001A},
    {"clInactiveBorder", 0x8000000B},
    {"clInactiveCaption", 0x80000003},
    {"clInactiveCaptionText", 0x80000013},
    {"clInfoBk", 0x80000018},
    {"clInfoText", 0x80000017},
    {"clMenu", 0x80000004},
    {"clMenuBar", 0x8000001E},
    {"clMenuHighlight", 0x8000001D},
    {"clMenuText", 0x80000007},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", 0x80000000},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clWindowText", 0x80000008},
}};

// ---- Writing.

class TStreamWriter {
public:
    explicit TStreamWriter(std::string& out) : out_(out) {}

    void Byte(std::uint8_t b) { out_ += static_cast<char>(b); }

    void Int16(std::int16_t v) {
        auto u = static_cast<std::uint16_t>(v);
        Byte(static_cast<std::uint8_t>(u));
        Byte(static_cast<std::uint8_t>(u >> 8));
    }

    void Int32(std::int32_t v) {
        auto u = static_cast<std::uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8)
            Byte(static_cast<std::uint8_t>(u >> shift));
    }

    // Longer text is cut to its first 255 bytes.
    void ShortString(std::string_view s) {
        size_t n = std::min<size_t>(s.size(), 255);
        Byte(static_cast<std::uint8_t>(n));
        out_.append(s.data(), n);
    }

    void Ident(std::string_view ident) {
        Byte(svIdent);
        ShortString(ident);
    }

    void Integer(std::int32_t v) {
        if (v >= -128 && v <= 127) {
            Byte(svInt8);
            Byte(static_cast<std::uint8_t>(static_cast<std::int8_t>(v)));
        } else if (v >= -32768 && v <= 32767) {
            Byte(svInt16);
            Int16(static_cast<std::int16_t>(v));
        } else {
            Byte(svInt32);
            Int32(v);
        }
    }

    void String(std::string_view text) {
        if (IsAscii(text)) {
            if (text.size() <= 255) {
                Byte(svString);
                Byte(static_cast<std::uint8_t>(text.size()));
            } else {
                Byte(svLString);
                Length(text.size());
            }
            out_.append(text);
            return;
        }
        std::optional<std::u16string> units = Utf8ToUtf16(text);
        if (units && text.size() >= 2 * units->size()) {
            Byte(svWString);
            Length(units->size());
            for (char16_t u : *units)
                Int16(static_cast<std::int16_t>(u));
            return;
        }
        // Bytes that are not UTF-8 (a file name from an older system, say) go
        // out unchanged, so that reading the file gives them back as they were.
        Byte(svUTF8String);
        Length(text.size());
        out_.append(text);
    }

private:
    void Length(size_t n) {
        if (n > 0x7FFFFFFF)
            throw EWriteError(kStreamWriteError);
        Int32(static_cast<std::int32_t>(n));
    }

    std::string& out_;
};

// ---- Reading.

[[noreturn]] void Fail(const std::string& message) {
    throw EReadError(message);
}

class TStreamReader {
public:
    explicit TStreamReader(std::string_view data) : data_(data) {}

    size_t Remaining() const { return data_.size() - pos_; }

    std::uint8_t Peek() const {
        if (pos_ >= data_.size())
            Fail(kStreamReadError);
        return static_cast<std::uint8_t>(data_[pos_]);
    }

    std::uint8_t Byte() {
        std::uint8_t b = Peek();
        ++pos_;
        return b;
    }

    std::string_view Bytes(size_t n) {
        if (n > Remaining())
            Fail(kStreamReadError);
        std::string_view s = data_.substr(pos_, n);
        pos_ += n;
        return s;
    }

    std::int32_t Int32() {
        std::string_view b = Bytes(4);
        std::uint32_t u = 0;
        for (int k = 3; k >= 0; --k)
            u = (u << 8) | static_cast<unsigned char>(b[static_cast<size_t>(k)]);
        return static_cast<std::int32_t>(u);
    }

    std::int16_t Int16() {
        std::string_view b = Bytes(2);
        auto u = static_cast<std::uint16_t>(static_cast<unsigned char>(b[0]) |
                                            (static_cast<unsigned char>(b[1]) << 8));
        return static_cast<std::int16_t>(u);
    }

    std::string ShortString() {
        std::uint8_t n = Byte();
        return std::string(Bytes(n));
    }

    // The payload of an integer tag, sign-extended.
    std::int32_t IntegerPayload(std::uint8_t tag) {
        switch (tag) {
        case svInt8:
            return static_cast<std::int8_t>(Byte());
        case svInt16:
            return Int16();
        case svInt32:
            return Int32();
        default:
            Fail(kInvalidPropertyValue);
        }
    }

    std::int32_t IntegerValue() { return IntegerPayload(Byte()); }

    // An identifier value: tag 07 or one of the tags that stand for a fixed
    // identifier.
    std::string IdentValue() {
        switch (Byte()) {
        case svIdent:
            return ShortString();
        case svFalse:
            return "False";
        case svTrue:
            return "True";
        case svNil:
            return "nil";
        case svNull:
            return "Null";
        default:
            Fail(kInvalidPropertyValue);
        }
    }

    std::string StringValue() {
        switch (Byte()) {
        case svString:
            return Cp1252ToUtf8(Bytes(Byte()));
        case svLString:
            return Cp1252ToUtf8(Bytes(Length(1)));
        case svWString: {
            size_t count = Length(2);
            std::string_view b = Bytes(count * 2);
            std::u16string units(count, u'\0');
            for (size_t k = 0; k < count; ++k)
                units[k] = static_cast<char16_t>(static_cast<unsigned char>(b[2 * k]) |
                                                 (static_cast<unsigned char>(b[2 * k + 1]) << 8));
            return Utf16ToUtf8(units);
        }
        case svUTF8String:
            // Passed on unchecked: this is how text that is not UTF-8 is kept.
            return std::string(Bytes(Length(1)));
        default:
            Fail(kInvalidPropertyValue);
        }
    }

private:
    // A length field, checked against the bytes left before anything relies
    // on it, so a damaged field never makes us reserve memory.
    size_t Length(size_t unitSize) {
        std::int32_t n = Int32();
        if (n < 0)
            Fail(kInvalidStringLength);
        if (static_cast<size_t>(n) > Remaining() / unitSize)
            Fail(kStreamReadError);
        return static_cast<size_t>(n);
    }

    std::string_view data_;
    size_t pos_ = 0;
};

const TPropInfo* FindProperty(const TStreamObject& object, std::string_view name) {
    for (const TPropInfo& info : object.Properties)
        if (SameTextIgnoringCase(info.Name, name))
            return &info;
    return nullptr;
}

std::int32_t IdentIndex(const std::vector<std::string>& identifiers, std::string_view ident) {
    for (size_t i = 0; i < identifiers.size(); ++i)
        if (SameTextIgnoringCase(identifiers[i], ident))
            return static_cast<std::int32_t>(i);
    // Storing a value outside the enumeration is never right; the file is refused.
    Fail(kInvalidPropertyValue);
}

// Names from a stream go into messages shown to people and written to
// terminals, so they go through PrintableText.
void ReadPropertyValue(TStreamReader& in, TStreamObject& object, const std::string& name) {
    // No persisted property holds an object, so a property path never resolves.
    size_t dot = name.find('.');
    if (dot != std::string::npos)
        Fail(FormatText(kPropertyDoesNotExist, {PrintableText(name.substr(0, dot))}));

    if (const TPropInfo* info = FindProperty(object, name)) {
        switch (info->Kind) {
        case TPropKind::Boolean:
        case TPropKind::Enumeration:
            info->SetOrdinal(IdentIndex(info->Identifiers, in.IdentValue()));
            return;
        case TPropKind::Colour: {
            std::uint8_t tag = in.Byte();
            if (tag == svIdent) {
                std::optional<TColor> color = IdentToColor(in.ShortString());
                if (!color)
                    Fail(kInvalidPropertyValue);
                info->SetOrdinal(*color);
            } else {
                info->SetOrdinal(in.IntegerPayload(tag));
            }
            return;
        }
        case TPropKind::String:
            info->SetString(in.StringValue());
            return;
        case TPropKind::Integer: {
            std::int32_t value = in.IntegerValue();
            if (value < 0)
                Fail(kInvalidPropertyValue);
            info->SetOrdinal(value);
            return;
        }
        }
    }
    // The base object's own properties.
    if (SameTextIgnoringCase(name, "Left") || SameTextIgnoringCase(name, "Top") ||
        SameTextIgnoringCase(name, "Tag")) {
        (void)in.IntegerValue();
    } else if (SameTextIgnoringCase(name, "Name")) {
        object.Name = in.StringValue();
    } else {
        Fail(FormatText(kPropertyDoesNotExist, {PrintableText(name)}));
    }
}

} // namespace

TStreamObject& TStreamObject::Boolean(std::string name, std::function<bool()> get,
                                      std::function<void(bool)> set) {
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Boolean;
    info.Identifiers = {"False", "True"};
    info.GetOrdinal = [get = std::move(get)] { return get() ? 1 : 0; };
    info.SetOrdinal = [set = std::move(set)](std::int32_t v) { set(v != 0); };
    Properties.push_back(std::move(info));
    return *this;
}

TStreamObject& TStreamObject::Colour(std::string name, std::function<TColor()> get,
                                     std::function<void(TColor)> set) {
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Colour;
    info.GetOrdinal = std::move(get);
    info.SetOrdinal = std::move(set);
    Properties.push_back(std::move(info));
    return *this;
}

TStreamObject& TStreamObject::String(std::string name, std::function<std::string()> get,
                                     std::function<void(const std::string&)> set) {
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::String;
    info.GetString = std::move(get);
    info.SetString = std::move(set);
    Properties.push_back(std::move(info));
    return *this;
}

TStreamObject& TStreamObject::Integer(std::string name, std::function<std::int32_t()> get,
                                      std::function<void(std::int32_t)> set) {
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Integer;
    info.GetOrdinal = std::move(get);
    info.SetOrdinal = std::move(set);
    Properties.push_back(std::move(info));
    return *this;
}

std::optional<std::string_view> ColorToIdent(TColor color) {
    for (const ColorIdent& row : kColorIdents)
        if (static_cast<TColor>(row.Value) == color)
            return row.Ident;
    return std::nullopt;
}

std::optional<TColor> IdentToColor(std::string_view ident) {
    for (const ColorIdent& row : kColorIdents)
        if (SameTextIgnoringCase(row.Ident, ident))
            return static_cast<TColor>(row.Value);
    return std::nullopt;
}

void WriteObject(std::string& stream, const TStreamObject& object) {
    TStreamWriter out(stream);
    out.Byte('T');
    out.Byte('P');
    out.Byte('F');
    out.Byte('0');
    out.ShortString(object.ClassName);
    out.ShortString("");
    for (const TPropInfo& info : object.Properties) {
        if (info.DefaultOrdinal && info.Kind != TPropKind::String &&
            info.GetOrdinal() == *info.DefaultOrdinal)
            continue;
        switch (info.Kind) {
        case TPropKind::Boolean:
            out.ShortString(info.Name);
            out.Byte(info.GetOrdinal() != 0 ? svTrue : svFalse);
            break;
        case TPropKind::Enumeration:
            out.ShortString(info.Name);
            out.Ident(info.Identifiers.at(static_cast<size_t>(info.GetOrdinal())));
            break;
        case TPropKind::Colour: {
            out.ShortString(info.Name);
            TColor color = info.GetOrdinal();
            if (std::optional<std::string_view> ident = ColorToIdent(color))
                out.Ident(*ident);
            else
                out.Integer(color);
            break;
        }
        case TPropKind::Integer:
            out.ShortString(info.Name);
            out.Integer(info.GetOrdinal());
            break;
        case TPropKind::String: {
            std::string text = info.GetString();
            if (!text.empty()) {
                out.ShortString(info.Name);
                out.String(text);
            }
            break;
        }
        }
    }
    out.Byte(0); // end of properties
    out.Byte(0); // end of children
}

void ReadObject(std::string_view stream, TStreamObject& object) {
    TStreamReader in(stream);
    if (in.Remaining() < 4)
        Fail(kStreamReadError);
    if (in.Bytes(4) != "TPF0")
        Fail(kInvalidStreamFormat);

    // A prefix byte carries flags of inherited forms; bit 1 announces a
    // position integer. Nothing here uses either.
    if (in.Peek() >= 0xF0) {
        std::uint8_t prefix = in.Byte();
        if (prefix & 0x02) {
            std::uint8_t tag = in.Byte();
            if (tag != svInt8 && tag != svInt16 && tag != svInt32)
                Fail(kInvalidStreamFormat);
            (void)in.IntegerPayload(tag);
        }
    }

    (void)in.ShortString(); // the object being filled decides the class
    std::string name = in.ShortString();
    if (!name.empty())
        object.Name = name;

    while (in.Peek() != 0) {
        std::string propName = in.ShortString();
        try {
            ReadPropertyValue(in, object, propName);
        } catch (const EReadError& e) {
            const std::string& who = object.Name.empty() ? object.ClassName : object.Name;
            Fail(FormatText(kErrorReading,
                            {PrintableText(who), ".", PrintableText(propName), e.what()}));
        }
    }
    (void)in.Byte(); // end of properties
    if (in.Byte() != 0)
        Fail(kChildObjectsNotSupported);
}

void SaveObjectFile(const TStreamObject& object, const std::string& fileName,
                    const TCreateFile& createFile) {
    std::string bytes;
    WriteObject(bytes, object);
    std::unique_ptr<AtomicFile> file =
        createFile ? createFile(fileName) : std::make_unique<AtomicFile>(fileName);
    file->Write(bytes.data(), bytes.size());
    file->Commit();
}

void LoadObjectFile(const std::string& fileName, TStreamObject& object) {
    FileReader reader(fileName);
    std::string bytes;
    reader.ReadInto(bytes, 4);
    if (bytes != "TPF0")
        ReadObject(bytes, object); // raises the reader's own message
    // Bounded also when the file grows after the size was taken.
    if (reader.Size() <= kMaxStreamFileSize)
        reader.ReadInto(bytes, kMaxStreamFileSize + 1);
    if (reader.Size() > kMaxStreamFileSize || bytes.size() > kMaxStreamFileSize)
        throw EReadError(
            FormatText(kStreamFileTooLarge, {fileName, std::to_string(kMaxStreamFileSize >> 20)}));
    ReadObject(bytes, object);
}

} // namespace tw
