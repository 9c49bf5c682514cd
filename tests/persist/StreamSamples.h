#pragma once

// Byte streams made by hand for the reader tests and the fuzz corpus.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace twtest {

// Builds a byte stream piece by piece.
class Bytes {
public:
    Bytes& Raw(std::string_view s) {
        data_.append(s);
        return *this;
    }
    // A literal with every byte up to its terminator, NUL bytes included.
    template <size_t N> Bytes& Raw(const char (&s)[N]) {
        data_.append(s, N - 1);
        return *this;
    }
    Bytes& Byte(std::initializer_list<int> bytes) {
        for (int b : bytes)
            data_ += static_cast<char>(b);
        return *this;
    }
    // A length byte and the text.
    Bytes& Short(std::string_view s) {
        data_ += static_cast<char>(s.size());
        return Raw(s);
    }
    Bytes& Int32(std::int32_t v) {
        auto u = static_cast<std::uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8)
            data_ += static_cast<char>((u >> shift) & 0xFF);
        return *this;
    }
    // A property name followed by an identifier value (tag 07).
    Bytes& Ident(std::string_view prop, std::string_view ident) {
        return Short(prop).Byte({0x07}).Short(ident);
    }
    // A property name followed by a Boolean value (tag 08 or 09).
    Bytes& Bool(std::string_view prop, bool value) {
        return Short(prop).Byte({value ? 0x09 : 0x08});
    }
    // A property name followed by the given bytes.
    Bytes& Value(std::string_view prop, std::initializer_list<int> bytes) {
        return Short(prop).Byte(bytes);
    }
    // A property name followed by a short string value (tag 06).
    Bytes& Str(std::string_view prop, std::string_view text) {
        return Short(prop).Byte({0x06}).Short(text);
    }
    // The end of the property list and of the child list.
    Bytes& End() { return Byte({0, 0}); }

    const std::string& Data() const { return data_; }
    operator const std::string&() const { return data_; }

private:
    std::string data_;
};

// "TPF0", the class name and an empty object name.
Bytes Header(std::string_view className = "TMapProfile");

// Bytes of the worked example: a start-up profile saved under FileName.
std::string StartupProfileBytes(const std::string& fileName);

struct BrokenSample {
    std::string Name;
    std::string Stream;
    std::string Message; // what reading it into a profile raises
};

// Damaged or foreign streams and the message reading each into a profile gives.
std::vector<BrokenSample> BrokenProfileSamples();

struct ValidSample {
    std::string Name;
    std::string Stream;
};

// Streams a profile or settings object reads without error.
std::vector<ValidSample> ValidSamples();

} // namespace twtest
