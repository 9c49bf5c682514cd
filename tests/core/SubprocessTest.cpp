#include "support/Subprocess.h"

#include "support/Errors.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(Subprocess, OutputErrorStatusAndEnvironment) {
    struct Case {
        const char* Script;
        std::vector<std::string> Env;
        std::string Out, Err;
        int Status;
    } cases[] = {
        {"printf 'a\\0b'", {}, std::string("a\0b", 3), "", 0},
        {"echo oops >&2; exit 3", {}, "", "oops", 3},
        {"printf \"$ONE\"; printf \"[$HOME]\" >&2", {"ONE=1"}, "1", "[]", 0},
        {"kill -9 $$", {}, "", "", -1},
        // Both pipes fuller than a pipe holds: read together, neither stalls.
        {"head -c 300000 /dev/zero; head -c 300000 /dev/zero | tr '\\0' x >&2",
         {},
         std::string(300000, '\0'),
         std::string(300000, 'x'),
         0},
    };
    for (const Case& c : cases) {
        std::string out;
        SubprocessResult result = RunSubprocess({"/bin/sh", "-c", c.Script}, c.Env,
                                                [&](std::string_view text) { out += text; });
        EXPECT_EQ(out, c.Out) << c.Script;
        EXPECT_EQ(result.Err, c.Err) << c.Script;
        EXPECT_EQ(result.Status, c.Status) << c.Script;
    }
    EXPECT_THROW(
        RunSubprocess({"tw-no-such-program"}, CurrentEnvironment(), [](std::string_view) {}),
        TError);
}

} // namespace
} // namespace tw
