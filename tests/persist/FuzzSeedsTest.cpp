#include "persist/StreamSamples.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string FileName(const std::string& kind, const std::string& name) {
    std::string out = kind + "-";
    for (char c : name)
        out += (c == ' ' || c == '/') ? '-' : c;
    return out;
}

} // namespace

// Writes the sample streams into the folder TW_FUZZ_SEED_DIR names, as the
// seed corpus of the stream reader's fuzz target.
TEST(FuzzSeeds, WritesTheSampleStreams) {
    const char* folder = std::getenv("TW_FUZZ_SEED_DIR");
    if (folder == nullptr || *folder == '\0')
        GTEST_SKIP() << "TW_FUZZ_SEED_DIR is not set";
    std::filesystem::create_directories(folder);
    auto write = [folder](const std::string& name, const std::string& bytes) {
        std::filesystem::path path = std::filesystem::path(folder) / name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_EQ(std::filesystem::file_size(path), bytes.size()) << path;
    };
    for (const twtest::ValidSample& s : twtest::ValidSamples())
        write(FileName("valid", s.Name), s.Stream);
    for (const twtest::BrokenSample& s : twtest::BrokenProfileSamples())
        write(FileName("broken", s.Name), s.Stream);
}
