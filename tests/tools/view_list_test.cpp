// How a views file is read: the bounds on a line and on the file, what a bad
// line says about itself, and refusals that leave nothing unread or unsaid.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "run_tool.h"
#include "temp_dir.h"
#include "tools/compare/compare_options.h"
#include "tools/compare/view_list.h"

namespace {

class ViewsFile : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string file = temp_.path() + "/" + name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

    // The one-line refusal of parsing `path` as a views file; "" if accepted.
    static std::string refusal(const std::string& path) {
        std::vector<View> views;
        std::string error;
        if (parseViewList(path, View{}, &views, &error)) return "";
        return error;
    }

    TempDir temp_{"rasterwork-views-file-"};
};

TEST_F(ViewsFile, EveryBadFileIsRefusedWithItsReasonInOneShortLine) {
    const std::string line = "1 2 3 4 5\n";
    const struct {
        std::string name;
        std::string bytes;
        std::string expected;  // part of the message
    } cases[] = {
        {"nul-in-number", std::string("1\0zzz 2 3 4 5\n", 14), "line 1: expected five numbers"},
        {"nul-after-line", line + std::string("2 3 4 5 6\0\n", 11),
         "line 2: expected five numbers"},
        {"long-line", line + std::string(70000, '7') + "\n", "line 2 is longer than 4096 bytes"},
        {"long-comment", line + "# " + std::string(5000, 'c') + "\n",
         "line 2 is longer than 4096 bytes"},
        {"long-bad-line", "0 0 1 0 " + std::string(4000, 'x') + "\n", "line 1: expected five"},
        {"no-newline-at-end", std::string(5000, ' '), "line 1 is longer than 4096 bytes"},
        {"too-large", std::string(17 << 20, '\n'), "larger than 16777216 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string error = refusal(write(c.name, c.bytes));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error.substr(0, 300);
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_LT(error.size(), 400u) << "the echoed line is not cut short";
    }
    EXPECT_EQ(refusal(write("exact", line + std::string(4096, ' ') + "\n" + line)), "");

    const std::string directory = temp_.path() + "/views.d";
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    EXPECT_NE(refusal(directory).find("Is a directory"), std::string::npos) << refusal(directory);
    const std::string missing = refusal(temp_.path() + "/missing");
    EXPECT_NE(missing.find("No such file or directory"), std::string::npos) << missing;
}

// Characters that print as nothing, as a space or that turn the text around
// would make a bad line look good in the message: they are shown escaped.
TEST_F(ViewsFile, InvisibleCharactersInABadLineAreShownEscaped) {
    const struct {
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"\xef\xbb\xbf", "\\u{feff}"},  // byte order mark
        {"\xe2\x80\x8b", "\\u{200b}"},  // zero-width space
        {"\xc2\xa0", "\\u{a0}"},        // no-break space
        {"\xe2\x80\xae", "\\u{202e}"},  // right-to-left override
    };
    for (const auto& c : cases) {
        const std::string error = refusal(write("invisible", "0 0 1" + c.bytes + " 0 0\n"));
        EXPECT_NE(error.find("got '0 0 1" + c.shown + " 0 0'"), std::string::npos) << error;
        EXPECT_EQ(error.find(c.bytes), std::string::npos) << error;
    }
}

TEST(ViewsOption, AnEmptyValueIsRefused) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--views="}, std::vector<std::string>{"--views", ""}}) {
        const ParsedCompareArguments parsed = parseCompareArguments(args);
        EXPECT_EQ(parsed.outcome, CommandOutcome::Error) << args.size();
        EXPECT_NE(parsed.error.find("--views needs a value, got an empty one"), std::string::npos)
            << parsed.error;
    }
}

// An endless views file ends the run at once, in a little memory, with the
// reason.
TEST(ViewsOption, AnEndlessFileIsRefusedAtOnce) {
    if (compareBinary().empty()) GTEST_SKIP() << "this build has no comparison tool";
    const TempDir dir("rasterwork-views-endless-");
    ChildSettings settings;
#ifndef RW_TOOLS_SANITIZED
    settings.addressSpaceLimit = 2000000ull << 10;
#endif
    const auto start = std::chrono::steady_clock::now();
    const ToolRun run =
        runTool({compareBinary(), "--views", "/dev/zero"}, dir.path(), "", 60.0, settings);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(countLines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("'/dev/zero' line 1 is longer than 4096 bytes"), std::string::npos)
        << run.err;
    EXPECT_LT(seconds, 2.0);
}

}  // namespace
