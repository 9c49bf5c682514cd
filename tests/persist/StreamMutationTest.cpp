// Every truncation and every single-byte change of every valid profile and
// settings stream is either read or rejected with one of the reader's
// messages, and never leaves a value outside its type.

#include "persist/ComponentStream.h"
#include "persist/ProfileFiles.h"
#include "persist/SiteMapSettings.h"
#include "persist/StreamSamples.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The reader's messages: the plain ones, and "Error reading <object>.<name>:
// <inner>" with one of the inner texts.
bool IsReaderMessage(const std::string& m) {
    if (m == kInvalidStreamFormat || m == kStreamReadError || m == kChildObjectsNotSupported)
        return true;
    if (m.rfind("Error reading ", 0) != 0)
        return false;
    size_t colon = m.rfind(": ");
    if (colon == std::string::npos)
        return false;
    std::string inner = m.substr(colon + 2);
    if (inner == kInvalidPropertyValue || inner == kStreamReadError ||
        inner == kInvalidStringLength)
        return true;
    // "Property %s does not exist"; the name may itself hold ": ".
    size_t property = m.find(": Property ");
    return property != std::string::npos && EndsWith(m, " does not exist");
}

struct Outcome {
    int read = 0;
    int rejected = 0;
};

// Reads Stream into a fresh object of the kind its class name says and
// checks the result.
void ReadOne(const std::string& stream, bool settings, Outcome& outcome, const std::string& what) {
    TMapProfile profile;
    TSiteMapSettings settingsObject("/tmp/program/");
    TStreamObject object =
        settings ? SettingsStreamObject(settingsObject) : ProfileStreamObject(profile);
    try {
        ReadObject(stream, object);
        ++outcome.read;
    } catch (const TError& e) {
        ++outcome.rejected;
        ASSERT_TRUE(IsReaderMessage(e.what())) << what << ": \"" << e.what() << "\"";
    } catch (const std::exception& e) {
        FAIL() << what << ": unexpected " << e.what();
    }
    auto type = static_cast<int>(profile.OutputType());
    auto format = static_cast<int>(profile.OutputFormat());
    ASSERT_TRUE(type >= 0 && type <= 3) << what;
    ASSERT_TRUE(format >= 0 && format <= 1) << what;
}

struct Stream {
    std::string name;
    std::string bytes;
    bool settings;
};

std::vector<Stream> Streams() {
    std::vector<Stream> streams;
    for (const auto& sample : twtest::ValidSamples())
        streams.push_back({sample.Name, sample.Stream,
                           sample.Stream.find("TSiteMapSettings") != std::string::npos});
    // Files as the program writes them, with every kind of value.
    TMapProfile profile;
    profile.SetFileName("/home/me/Profiles/caf\xC3\xA9.zpf");
    profile.SetFileTypes(std::string(300, 'x') + ";");
    profile.SetIndexPage("/srv/\xE6\x97\xA5\xE6\x9C\xAC/index.html");
    profile.SetIgnoreFolders("/srv/a/\r\n/srv/b/\r\n");
    profile.SetIgnoreFiles("/srv/x.html\r\n");
    profile.SetOutputFileName("/srv/map.html");
    profile.SetOutputFormat(TMapOutputFormat::mfmtList);
    profile.SetOutputType(TMapOutputType::moutEditor);
    profile.SetclrBackground(kColorNone);
    profile.SetclrText(200);
    profile.SetclrLink(0x00F0F4F4);
    std::string written;
    WriteObject(written, ProfileStreamObject(profile));
    streams.push_back({"written profile", written, false});
    TSiteMapSettings settings("/opt/trailwright/");
    settings.SetLastFile("/home/me/Profiles/site.zpf");
    settings.SetLoadLast(true);
    std::string settingsBytes;
    WriteObject(settingsBytes, SettingsStreamObject(settings));
    streams.push_back({"written settings", settingsBytes, true});
    return streams;
}

} // namespace

TEST(StreamMutation, EveryTruncationIsReadOrRejected) {
    for (const Stream& s : Streams()) {
        Outcome outcome;
        for (size_t length = 0; length < s.bytes.size(); ++length) {
            ReadOne(s.bytes.substr(0, length), s.settings, outcome,
                    s.name + " cut at " + std::to_string(length));
            if (HasFatalFailure())
                return;
        }
        // Only the end markers can be cut without losing anything read.
        EXPECT_GE(outcome.rejected, static_cast<int>(s.bytes.size()) - 2) << s.name;
    }
}

TEST(StreamMutation, EverySingleByteChangeIsReadOrRejected) {
    for (const Stream& s : Streams()) {
        Outcome outcome;
        for (size_t at = 0; at < s.bytes.size(); ++at) {
            for (int value = 0; value < 256; ++value) {
                if (static_cast<unsigned char>(s.bytes[at]) == value)
                    continue;
                std::string changed = s.bytes;
                changed[at] = static_cast<char>(value);
                ReadOne(changed, s.settings, outcome,
                        s.name + " byte " + std::to_string(at) + " = " + std::to_string(value));
                if (HasFatalFailure())
                    return;
            }
        }
        EXPECT_GT(outcome.rejected, 0) << s.name;
        EXPECT_GT(outcome.read, 0) << s.name;
    }
}

TEST(StreamMutation, ControlBytesOfNamesDoNotReachMessages) {
    std::string stream = twtest::Header()
                             .Raw(std::string_view("\x04"
                                                   "a\0\x1b[",
                                                   5))
                             .Byte({0x09})
                             .End();
    TMapProfile profile;
    TStreamObject object = ProfileStreamObject(profile);
    try {
        ReadObject(stream, object);
        FAIL() << "no error";
    } catch (const TError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Error reading TMapProfile.a??[: Property a??[ does not exist");
    }
}
