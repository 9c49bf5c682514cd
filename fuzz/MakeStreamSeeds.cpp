// Writes the persist tests' sample streams, valid and damaged, into a folder
// as the seed corpus of the stream reader's fuzz target.
// Usage: tw_stream_seeds FOLDER

#include "persist/StreamSamples.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

std::string FileName(const std::string& kind, const std::string& name) {
    std::string out = kind + "-";
    for (char c : name)
        out += (c == ' ' || c == '/') ? '-' : c;
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    int failed = 0;
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        if (std::filesystem::file_size(path) != bytes.size()) {
            std::fprintf(stderr, "%s: not written\n", path.c_str());
            ++failed;
        }
    };
    for (const twtest::ValidSample& s : twtest::ValidSamples())
        write(FileName("valid", s.Name), s.Stream);
    for (const twtest::BrokenSample& s : twtest::BrokenProfileSamples())
        write(FileName("broken", s.Name), s.Stream);
    return failed == 0 ? 0 : 1;
}
