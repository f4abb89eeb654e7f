#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "child_process.h"
#include "run_tool.h"
#include "temp_dir.h"
#include "tools/output_file.h"

namespace {

class OutputFiles : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    void writeText(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }

    TempDir temp_{"rasterwork-output-file-"};
    std::string dir_ = temp_.path();
};

TEST_F(OutputFiles, AppearsOnlyWhenCommittedWithTheUsualPermissions) {
    const mode_t previousMask = umask(022);
    {
        OutputFile file(path("a.bin"));
        std::string error;
        ASSERT_TRUE(file.open(&error)) << error;
        std::fputs("hello", file.stream());
        // While being written the data sits in one hidden temporary.
        const std::vector<std::string> during = listDirectory(dir_);
        ASSERT_EQ(during.size(), 1u);
        EXPECT_EQ(during[0][0], '.');
        ASSERT_TRUE(file.commit(&error)) << error;
    }
    umask(previousMask);
    EXPECT_EQ(listDirectory(dir_), std::vector<std::string>{"a.bin"});
    EXPECT_EQ(readFile(path("a.bin")), "hello");
    struct stat info;
    ASSERT_EQ(stat(path("a.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(OutputFiles, AbandonedWriteKeepsTheOldFileAndLeavesNothingElse) {
    writeText("a.bin", "old");
    {
        OutputFile file(path("a.bin"));
        std::string error;
        ASSERT_TRUE(file.open(&error)) << error;
        std::fputs("new and longer", file.stream());
    }
    EXPECT_EQ(listDirectory(dir_), std::vector<std::string>{"a.bin"});
    EXPECT_EQ(readFile(path("a.bin")), "old");
}

TEST_F(OutputFiles, ReplacesAnExistingFile) {
    writeText("a.bin", "old contents");
    OutputFile file(path("a.bin"));
    std::string error;
    ASSERT_TRUE(file.open(&error)) << error;
    std::fputs("new", file.stream());
    ASSERT_TRUE(file.commit(&error)) << error;
    EXPECT_EQ(readFile(path("a.bin")), "new");
}

TEST_F(OutputFiles, RejectsPathsThatCannotHoldAFile) {
    writeText("plain", "x");
    ASSERT_EQ(mkdir(path("sub").c_str(), 0755), 0);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {path("sub"), "Is a directory"},
        {path("sub") + "/", "Is a directory"},
        {path("missing/x.png"), "No such file or directory"},
        {path("plain/x.png"), "Not a directory"},
    };
    for (const auto& c : cases) {
        OutputFile file(c.path);
        std::string error;
        EXPECT_FALSE(file.open(&error)) << c.path;
        EXPECT_EQ(error, "cannot write '" + c.path + "': " + c.reason);
    }
    EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"plain", "sub"}));
    EXPECT_TRUE(listDirectory(path("sub")).empty());
}

TEST_F(OutputFiles, WritesThroughASymbolicLink) {
    writeText("real.bin", "old");
    ASSERT_EQ(symlink("real.bin", path("link.bin").c_str()), 0);
    OutputFile file(path("link.bin"));
    std::string error;
    ASSERT_TRUE(file.open(&error)) << error;
    std::fputs("new", file.stream());
    ASSERT_TRUE(file.commit(&error)) << error;
    struct stat info;
    ASSERT_EQ(lstat(path("link.bin").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readFile(path("real.bin")), "new");
    EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"link.bin", "real.bin"}));
}

TEST_F(OutputFiles, WritesIntoAPipeInPlace) {
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(path("pipe")); });
    {
        OutputFile file(path("pipe"));
        std::string error;
        if (file.open(&error)) {
            std::fputs("through the pipe", file.stream());
            EXPECT_TRUE(file.commit(&error)) << error;
        } else {
            ADD_FAILURE() << error;
            close(open(path("pipe").c_str(), O_WRONLY));  // let the reader finish
        }
    }
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    struct stat info;
    ASSERT_EQ(lstat(path("pipe").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(listDirectory(dir_), std::vector<std::string>{"pipe"});
}

TEST_F(OutputFiles, ProcessExitRemovesUncommittedTemporaries) {
    // GLUT and Xlib end the process with exit() on fatal errors, skipping
    // the destructors of main's locals.
    const std::string target = path("a.bin");
    EXPECT_EXIT(
        {
            static OutputFile* file = new OutputFile(target);
            std::string error;
            if (!file->open(&error)) std::_Exit(9);
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_TRUE(listDirectory(dir_).empty());
}

}  // namespace
