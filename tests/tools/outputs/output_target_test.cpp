#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "child_process.h"
#include "run_tool.h"
#include "temp_dir.h"
#include "tools/outputs/output_target.h"
#include "tools/outputs/output_writer.h"

namespace {

class OutputFiles : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    // Resolves and writes one output; false with the reason in *error.
    bool writeOne(const std::string& name, const std::vector<std::uint8_t>& bytes,
                  std::string* error) {
        std::vector<OutputTarget> targets;
        return resolveOutputs({{"--png", name}}, &targets, error) &&
               writeOutputs(targets, {&bytes}, error);
    }

    TempDir temp_{"rasterwork-output-file-"};
    std::string dir_ = temp_.path();
};

TEST_F(OutputFiles, NewFileTakesTheUsualPermissions) {
    const mode_t previousMask = umask(027);
    std::string error;
    const bool written = writeOne(path("a.bin"), {'h', 'i'}, &error);
    umask(previousMask);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(listDirectory(dir_), std::vector<std::string>{"a.bin"});
    EXPECT_EQ(readFile(path("a.bin")), "hi");
    struct stat info;
    ASSERT_EQ(stat(path("a.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(OutputFiles, RejectsPathsThatCannotHoldAFile) {
    std::ofstream(path("plain")) << "x";
    ASSERT_EQ(mkdir(path("sub").c_str(), 0755), 0);
    ASSERT_EQ(symlink("sub", path("to-dir").c_str()), 0);
    ASSERT_EQ(symlink("loop", path("loop").c_str()), 0);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {path("sub"), "Is a directory"},
        {path("sub") + "/", "Is a directory"},
        {path("to-dir"), "Is a directory"},
        {path("missing/x.png"), "No such file or directory"},
        {path("plain/x.png"), "Not a directory"},
        {path("loop"), "Too many levels of symbolic links"},
    };
    for (const auto& c : cases) {
        OutputTarget target;
        std::string error;
        EXPECT_FALSE(resolveOutput("--png", c.path, &target, &error)) << c.path;
        EXPECT_EQ(error, "cannot write '" + c.path + "': " + c.reason);
    }
    EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"loop", "plain", "sub", "to-dir"}));
    EXPECT_TRUE(listDirectory(path("sub")).empty());
}

TEST_F(OutputFiles, WritesIntoAPipeInPlace) {
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(path("pipe")); });
    std::string error;
    const std::string text = "through the pipe";
    if (!writeOne(path("pipe"), {text.begin(), text.end()}, &error)) {
        ADD_FAILURE() << error;
        close(open(path("pipe").c_str(), O_WRONLY));  // let the reader finish
    }
    reader.join();
    EXPECT_EQ(received, text);
    struct stat info;
    ASSERT_EQ(lstat(path("pipe").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(listDirectory(dir_), std::vector<std::string>{"pipe"});
}

}  // namespace
