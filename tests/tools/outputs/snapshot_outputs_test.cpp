// How the snapshot program treats the files it writes: links, names of the
// same file, permissions, interrupts, failures and what it says about them.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "child_process.h"
#include "privileged_setup.h"
#include "run_tool.h"
#include "temp_dir.h"

namespace {

ChildSettings appendingStdout() {
    ChildSettings settings;
    settings.appendStdout = true;
    return settings;
}

ChildSettings memoryLimit(unsigned long long bytes) {
    ChildSettings settings;
    settings.addressSpaceLimit = bytes;
    return settings;
}

class SnapshotOutputs : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    // Makes a fresh directory in the scratch one and works in it from now on.
    void workIn(const std::string& name, mode_t mode = 0755) {
        dir_ = temp_.path() + "/" + name;
        ASSERT_EQ(mkdir(dir_.c_str(), 0755), 0);
        ASSERT_EQ(chmod(dir_.c_str(), mode), 0);
    }

    void writeFile(const std::string& name, const std::string& text, mode_t mode = 0644) const {
        std::ofstream(path(name), std::ios::binary) << text;
        chmod(path(name).c_str(), mode);
    }

    mode_t modeOf(const std::string& name) const {
        struct stat info;
        return stat(path(name).c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
    }

    bool isLink(const std::string& name) const {
        struct stat info;
        return lstat(path(name).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    }

    // A 4 x 3 picture; `args` name the outputs.
    ToolRun snapshot(const std::vector<std::string>& args, const ChildSettings& settings = {},
                     const std::string& stdoutPath = "") const {
        std::vector<std::string> argv = {snapshotBinary(), "--width", "4", "--height", "3"};
        argv.insert(argv.end(), args.begin(), args.end());
        return runTool(argv, dir_, "", 60.0, settings, stdoutPath);
    }

    // What a 4 x 3 PNG holds, written to a plain new file.
    static const std::string& expectedPng() {
        static const std::string png = [] {
            const TempDir dir("rasterwork-outputs-reference-");
            runTool({snapshotBinary(), "--width", "4", "--height", "3", "--png", "p.png"},
                    dir.path());
            return readFile(dir.path() + "/p.png");
        }();
        return png;
    }

    TempDir temp_{"rasterwork-outputs-"};
    TempDir logsTemp_{"rasterwork-outputs-logs-"};
    std::string dir_ = temp_.path();
    std::string logs_ = logsTemp_.path();
};

std::string describe(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text += "[" + a + "]";
    return text;
}

TEST_F(SnapshotOutputs, SymbolicLinksAndStandardOutputAreWrittenThrough) {
    ASSERT_FALSE(expectedPng().empty());
    struct Case {
        std::string output;                                      // the --png argument
        std::vector<std::pair<std::string, std::string>> links;  // name, target
        std::string receiver;  // file that gets the picture, "" for standard output
    };
    const Case cases[] = {
        {"link", {{"link", "real"}}, "real"},
        {"dangling", {{"dangling", "new.png"}}, "new.png"},
        {"first", {{"first", "second"}, {"second", "real"}}, "real"},
        {"out", {{"out", "/proc/self/fd/1"}}, ""},
        {"/dev/stdout", {}, ""},
        {"-", {}, ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.output);
        dir_ = temp_.path() + "/case" + std::to_string(i);
        ASSERT_EQ(mkdir(dir_.c_str(), 0755), 0);
        writeFile("real", "old", 0600);
        for (const auto& [name, target] : c.links) {
            ASSERT_EQ(symlink(target.c_str(), path(name).c_str()), 0);
        }
        // Standard output appends to a file that holds something already.
        const std::string out = logs_ + "/stdout";
        std::ofstream(out, std::ios::binary) << "previous";
        const ToolRun run = snapshot({"--png", c.output}, appendingStdout(), out);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 0) << run.err;
        for (const auto& link : c.links) EXPECT_TRUE(isLink(link.first)) << link.first;
        if (c.receiver.empty()) {
            EXPECT_EQ(run.out, "previous" + expectedPng());
        } else {
            EXPECT_EQ(readFile(path(c.receiver)), expectedPng());
        }
        if (c.receiver == "real") {
            EXPECT_EQ(modeOf("real"), 0600u);
        }
        EXPECT_EQ(listDirectory(dir_).size(), c.links.size() + (c.receiver == "new.png" ? 2 : 1));
    }
}

TEST_F(SnapshotOutputs, OneFileNamedTwiceIsRefusedBeforeAnythingIsWritten) {
    writeFile("a", "old");
    ASSERT_EQ(link(path("a").c_str(), path("hard").c_str()), 0);
    ASSERT_EQ(symlink("a", path("soft").c_str()), 0);
    ASSERT_EQ(symlink("new.pfm", path("dangling").c_str()), 0);
    const std::vector<std::string> before = listDirectory(dir_);
    const std::vector<std::vector<std::string>> cases = {
        {"--png", "./a", "--color-pfm", "a"},
        {"--png", "hard", "--depth-pfm", "a"},
        {"--png", "soft", "--color-pfm", path("a")},
        {"--png", "dangling", "--depth-pfm", "new.pfm"},
        {"--png", "-", "--color-pfm", "/dev/stdout"},
        {"--png", "-", "--depth-pfm", "-"},
        {"--faces-png", "hard", "--fragments-png", "a"},
    };
    for (const std::vector<std::string>& args : cases) {
        const ToolRun run = snapshot(args);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 2) << describe(args) << run.err;
        EXPECT_EQ(countLines(run.err), 1) << describe(args) << run.err;
        EXPECT_EQ(run.out, "") << describe(args);
        EXPECT_EQ(listDirectory(dir_), before) << describe(args);
        EXPECT_EQ(readFile(path("a")), "old") << describe(args);
    }
}

TEST_F(SnapshotOutputs, PermissionsAreKeptAndFilesTheUserMayNotWriteAreRefused) {
    for (const mode_t mode : {0600u, 0640u, 0755u}) {
        writeFile("kept", "old", mode);
        const ToolRun run = snapshot({"--png", "kept"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(modeOf("kept"), mode);
        EXPECT_EQ(readFile(path("kept")), expectedPng());
    }

    // Read-only to its owner, and not root's (root may write anything, as
    // with cp): run as an ordinary user in a directory that user owns.
    const bool asRoot = geteuid() == 0;
    writeFile("read-only", "old", 0444);
    if (asRoot) {
        ASSERT_EQ(chown(dir_.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(chown(path("read-only").c_str(), kNobody, kNobody), 0);
    }
    const ToolRun run = runTool(
        asOrdinaryUser({snapshotBinary(), "--width", "4", "--height", "3", "--png", "read-only"}),
        dir_);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("Permission denied"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(path("read-only")), "old");
    EXPECT_EQ(modeOf("read-only"), 0444u);
    EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"kept", "read-only"}));
}

// The outputs are put in place together: when one of them cannot replace
// its file, neither does any other.
TEST_F(SnapshotOutputs, AnOutputThatCannotBeReplacedLeavesEveryOutputAsItWas) {
    const std::vector<std::string> args = {"--png", "a.png", "--color-pfm", "b.pfm"};
    const auto expectUntouched = [&](const ToolRun& run, int status) {
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_TRUE(readFile(path("a.png")) == "old a") << "a.png replaced";
        EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"a.png", "b.pfm"}));
    };
    std::string notSetUp;

    // In a sticky directory only the owner of b.pfm (or of the directory)
    // may rename over it, writable as it is: refused before rendering.
    ASSERT_NO_FATAL_FAILURE(workIn("sticky", 01777));
    writeFile("a.png", "old a");
    writeFile("b.pfm", "old b", 0666);
    if (geteuid() == 0) {
        ASSERT_EQ(chmod(temp_.path().c_str(), 0755), 0);  // its name resolvable to nobody
        ASSERT_EQ(chown(path("a.png").c_str(), kNobody, kNobody), 0);
        std::vector<std::string> argv = {snapshotBinary(), "--width", "8", "--height", "8"};
        argv.insert(argv.end(), args.begin(), args.end());
        expectUntouched(runTool(asOrdinaryUser(argv), dir_), 2);
        EXPECT_TRUE(readFile(path("b.pfm")) == "old b") << "b.pfm replaced";
    } else {
        notSetUp += "the sticky-directory case needs root to give a file to someone else. ";
    }

    // An append-only file cannot be replaced either.
    ASSERT_NO_FATAL_FAILURE(workIn("append-only"));
    writeFile("a.png", "old a");
    writeFile("b.pfm", "old b");
    const ScopedAttribute appendOnly(path("b.pfm"), FS_APPEND_FL);
    if (appendOnly.set()) {
        expectUntouched(snapshot(args), 2);
        EXPECT_TRUE(readFile(path("b.pfm")) == "old b") << "b.pfm replaced";
    } else {
        notSetUp += "chattr +a needs root and a file system with file attributes. ";
    }

    // b.pfm turns into a directory while a large picture renders: found only
    // when the outputs go into place, and a.png goes back to what it was.
    ASSERT_NO_FATAL_FAILURE(workIn("changed"));
    writeFile("a.png", "old a");
    writeFile("b.pfm", "old b");
    std::vector<std::string> argv = {snapshotBinary(), "--width", "6000", "--height", "6000"};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child(toolCommand(argv, dir_), {}, logs_ + "/stdout", logs_ + "/stderr");
    // The frame's buffers (16 bytes a pixel of colour alone) are made only
    // once the outputs are prepared: the change must come after that, and a
    // loaded machine may take any time to get there.
    const auto rendering = [&] { return residentKiB(child.pid()) > 6000L * 6000 * 16 / 1024 / 2; };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!rendering() && child.running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(child.running()) << "finished before the change; make the picture larger";
    ASSERT_TRUE(rendering()) << "the frame's buffers never came within 60 s";
    ASSERT_EQ(unlink(path("b.pfm").c_str()), 0);
    ASSERT_EQ(mkdir(path("b.pfm").c_str(), 0755), 0);
    ToolRun run;
    run.finished = child.waitForExit(60.0, &run.status);
    run.err = readFile(logs_ + "/stderr");
    expectUntouched(run, 1);
    EXPECT_TRUE(listDirectory(path("b.pfm")).empty());

    if (!notSetUp.empty()) GTEST_SKIP() << notSetUp;
}

// Where a temporary could not be removed again, or its name would be too
// long, the picture still arrives and nothing else is left.
TEST_F(SnapshotOutputs, WritesWhereNoTemporaryFileCouldGo) {
    ASSERT_FALSE(expectedPng().empty());
    // An append-only directory keeps every name once made: written in place.
    ASSERT_NO_FATAL_FAILURE(workIn("append-only"));
    writeFile("old.png", "old");
    std::string notSetUp;
    {
        const ScopedAttribute appendOnly(dir_, FS_APPEND_FL);
        if (appendOnly.set()) {
            for (const char* name : {"new.png", "old.png"}) {
                const ToolRun run = snapshot({"--png", name});
                EXPECT_EQ(run.status, 0) << name << run.err;
                EXPECT_TRUE(readFile(path(name)) == expectedPng()) << name << " not the picture";
            }
            EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"new.png", "old.png"}));
        } else {
            notSetUp = "chattr +a needs root and a file system with file attributes.";
        }
    }

    // A directory whose absolute name is 4075 bytes: the file's name fits
    // within PATH_MAX, a temporary's beside it would not.
    std::string deep = temp_.path();
    while (deep.size() + 201 < 4075 - 2) {
        deep += "/" + std::string(200, 'x');
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    deep += "/" + std::string(4075 - deep.size() - 1, 'y');
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    ASSERT_EQ(deep.size(), 4075u);
    const ToolRun run = snapshot({"--png", deep + "/a.png"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(readFile(deep + "/a.png") == expectedPng()) << "not the picture";
    EXPECT_EQ(listDirectory(deep), std::vector<std::string>{"a.png"});

    if (!notSetUp.empty()) GTEST_SKIP() << notSetUp;
}

// Outputs in an append-only directory are written in place: on a disk too
// full for them, the run fails before any of them is touched.
TEST_F(SnapshotOutputs, AFullDiskReplacesNoFileWrittenInPlace) {
    ASSERT_NO_FATAL_FAILURE(workIn("small"));
    const ScopedMount small("tmpfs", dir_, "tmpfs", "size=300k");
    if (!small.mounted()) GTEST_SKIP() << small.problem();
    ASSERT_EQ(mkdir(path("ad").c_str(), 0755), 0);
    writeFile("ad/a.png", "OLDA");
    writeFile("ad/b.pfm", "OLDB");
    writeFile("replaced.png", "OLDR");
    const ScopedAttribute appendOnly(path("ad"), FS_APPEND_FL);
    if (!appendOnly.set()) GTEST_SKIP() << "chattr +a on a tmpfs needs CAP_LINUX_IMMUTABLE";
    // Each case on its own fits; together they do not.
    const std::vector<std::vector<std::string>> cases = {
        {"--png", "ad/a.png", "--color-pfm", "ad/b.pfm"},
        {"--color-pfm", "ad/b.pfm", "--png", "ad/a.png"},
        {"--png", "replaced.png", "--color-pfm", "ad/b.pfm"},
        {"--png", "ad/new.png", "--color-pfm", "ad/b.pfm"},
    };
    for (const std::vector<std::string>& args : cases) {
        std::vector<std::string> argv = {snapshotBinary(), "--width", "200", "--height", "200"};
        argv.insert(argv.end(), args.begin(), args.end());
        const ToolRun run = runTool(argv, dir_);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 1) << describe(args) << run.err;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
        EXPECT_TRUE(readFile(path("ad/a.png")) == "OLDA") << describe(args) << " a.png replaced";
        EXPECT_TRUE(readFile(path("ad/b.pfm")) == "OLDB") << describe(args) << " b.pfm replaced";
        EXPECT_TRUE(readFile(path("replaced.png")) == "OLDR") << describe(args);
        EXPECT_EQ(listDirectory(path("ad")), (std::vector<std::string>{"a.png", "b.pfm"}));
        EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"ad", "replaced.png"}));
    }
    // What fits is written, in place and replaced alike.
    const ToolRun fits = snapshot({"--png", "ad/a.png", "--depth-png", "replaced.png"});
    EXPECT_EQ(fits.status, 0) << fits.err;
    EXPECT_TRUE(readFile(path("ad/a.png")) == expectedPng());
}

// Under a file-size limit the picture does not fit: one line, status 1,
// no temporary left, and a file that would be written in place (in an
// append-only directory) left as it was instead of cut off at the limit.
TEST_F(SnapshotOutputs, AFileSizeLimitFailsInOneLineAndLeavesEveryFileAsItWas) {
    constexpr unsigned long long kLimit = 1024;
    ChildSettings limited;
    limited.fileSizeLimit = kLimit;
    const std::string old(500, 'o');
    struct Case {
        std::string directory;  // "" here, else one made append-only
        std::string output;
        bool compare = false;
    };
    std::vector<Case> cases = {{"", "new.png"}, {"", "old.png"}};
    ASSERT_NO_FATAL_FAILURE(workIn("append-only"));
    writeFile("old.png", old);
    const ScopedAttribute appendOnly(dir_, FS_APPEND_FL);
    if (appendOnly.set()) {
        cases.push_back({"append-only", "old.png"});
        cases.push_back({"append-only", "new.png"});
    }
    if (!compareBinary().empty()) cases.push_back({"", "new.png", true});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory + "/" + c.output + (c.compare ? " by compare" : ""));
        dir_ = temp_.path() + (c.directory.empty() ? "" : "/" + c.directory);
        if (c.directory.empty()) writeFile("old.png", old);
        const std::vector<std::string> before = listDirectory(dir_);
        const std::vector<std::string> argv = {c.compare ? compareBinary() : snapshotBinary(),
                                               "--width=100", "--height=100", "--png", c.output};
        const ToolRun unlimited = runTool(argv, logs_);
        ASSERT_EQ(unlimited.status, 0) << unlimited.err;
        ASSERT_GT(readFile(logs_ + "/" + c.output).size(), kLimit) << "make the picture larger";
        const ToolRun run = runTool(argv, dir_, "", 60.0, limited);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
        EXPECT_EQ(listDirectory(dir_), before);
        EXPECT_TRUE(readFile(path("old.png")) == old) << "old.png changed";
    }
    if (!appendOnly.set())
        GTEST_SKIP() << "chattr +a needs root and a file system with file attributes";
}

// A file with something mounted on it cannot be renamed over: refused
// before anything is rendered, like the other files that cannot be
// replaced where they are.
TEST_F(SnapshotOutputs, AMountedFileIsRefusedBeforeRendering) {
    writeFile("a.png", "old a");
    writeFile("b.png", "old b");
    writeFile("source.png", "mounted");
    const ScopedMount bound(path("source.png"), path("b.png"), "");
    if (!bound.mounted()) GTEST_SKIP() << bound.problem();
    const auto start = std::chrono::steady_clock::now();
    const ToolRun run = runTool({snapshotBinary(), "--width", "3000", "--height", "3000", "--png",
                                 "a.png", "--faces-png", "b.png"},
                                dir_);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(countLines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("cannot replace 'b.png': a file system is mounted on it"),
              std::string::npos)
        << run.err;
    EXPECT_LT(seconds, 2.0) << "rendered first";
    EXPECT_EQ(readFile(path("a.png")), "old a");
    EXPECT_EQ(readFile(path("b.png")), "mounted");
    EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"a.png", "b.png", "source.png"}));
}

// Makes `depth` nested directories of 250-byte names below `top` by
// descriptors, as no path to the deepest fits in PATH_MAX; returns the
// descriptor of the deepest.
int makeDeepDirectories(const std::string& top, int depth) {
    int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::string name(250, 'd');
    for (int i = 0; i < depth && fd >= 0; ++i) {
        if (mkdirat(fd, name.c_str(), 0755) != 0) return -1;
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = next;
    }
    return fd;
}

// Removes what makeDeepDirectories made and the files in it, deepest first.
void removeDeepDirectories(const std::string& top, int depth) {
    const std::string name(250, 'd');
    for (int level = depth; level > 0; --level) {
        int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int i = 0; i + 1 < level && fd >= 0; ++i) {
            const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            close(fd);
            fd = next;
        }
        if (fd < 0) return;
        const int deepest = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (DIR* entries = deepest >= 0 ? fdopendir(deepest) : nullptr) {
            while (const dirent* entry = readdir(entries)) {
                if (entry->d_type == DT_REG) unlinkat(deepest, entry->d_name, 0);
            }
            closedir(entries);
        }
        unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        close(fd);
    }
}

// In a working directory whose name is longer than PATH_MAX, outputs named
// relative to it are written as anywhere else.
TEST_F(SnapshotOutputs, AWorkingDirectoryWithAVeryLongNameTakesItsOutputs) {
    constexpr int kDepth = 32;  // 32 x 251 bytes, more than 8000
    const int deepest = makeDeepDirectories(temp_.path(), kDepth);
    ASSERT_GE(deepest, 0) << std::strerror(errno);
    // No path to it would do: the child gets there one directory at a time.
    std::vector<std::string> argv;
    for (int i = 0; i < kDepth; ++i) argv.insert(argv.end(), {"env", "-C", std::string(250, 'd')});
    argv.insert(argv.end(), {snapshotBinary(), "--width", "4", "--height", "3", "--png", "a.png",
                             "--color-pfm", "b.pfm"});
    const ToolRun run = runTool(argv, temp_.path());
    const std::string written = run.status == 0 ? "" : run.err;
    std::string png;
    {
        const int fd = openat(deepest, "a.png", O_RDONLY | O_CLOEXEC);
        char chunk[4096];
        ssize_t n;
        while (fd >= 0 && (n = read(fd, chunk, sizeof chunk)) > 0) png.append(chunk, n);
        if (fd >= 0) close(fd);
    }
    struct stat pfm;
    const bool pfmThere = fstatat(deepest, "b.pfm", &pfm, 0) == 0;
    close(deepest);
    removeDeepDirectories(temp_.path(), kDepth);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0) << written;
    EXPECT_TRUE(png == expectedPng()) << "not the picture";
    EXPECT_TRUE(pfmThere);
}

TEST_F(SnapshotOutputs, AnInterruptDuringALargeRenderLeavesNoTemporaryFile) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        writeFile("big.png", "old");
        ChildProcess child(toolCommand({snapshotBinary(), "--width", "6000", "--height", "6000",
                                        "--png", "big.png"},
                                       dir_),
                           {}, logs_ + "/stdout", logs_ + "/stderr");
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        ASSERT_TRUE(child.running()) << "finished before the signal; make the picture larger";
        kill(child.pid(), signal);
        int status = 0;
        ASSERT_TRUE(child.waitForExit(20.0, &status));
        EXPECT_EQ(status, 128 + signal);  // ended by the signal itself
        EXPECT_EQ(listDirectory(dir_), std::vector<std::string>{"big.png"});
        EXPECT_EQ(readFile(path("big.png")), "old");
    }
}

TEST_F(SnapshotOutputs, FailureLeavesEveryOldFileUntouchedAndComesAtOnce) {
    struct Case {
        std::vector<std::string> args;
        unsigned long long memoryLimit;
    };
    std::vector<Case> cases = {
        // The device fails after the PNG is ready: the PNG must not land.
        {{"--png", "keep.png", "--depth-pfm", "/dev/full"}, 0},
        {{"--color-pfm", "/dev/full", "--png", "keep.png", "--depth-pfm", "keep.pfm"}, 0},
        {{"--fragments-png", "keep.png", "--faces-png", "/dev/full", "--depth-png", "keep.pfm"}, 0},
    };
#ifndef RW_TOOLS_SANITIZED  // the sanitizers' shadow memory needs no address-space limit
    // Buffers and encoded files do not fit: refused before rendering.
    cases.push_back({{"--width=16384", "--height=16384", "--png", "keep.png"}, 5500ull << 20});
#endif
    for (const Case& c : cases) {
        writeFile("keep.png", "old png");
        writeFile("keep.pfm", "old pfm");
        std::vector<std::string> argv = {snapshotBinary(), "--width=1", "--height=1"};
        for (const std::string& a : c.args) {
            if (a.rfind("--width=", 0) == 0 || a.rfind("--height=", 0) == 0) {
                argv[a[2] == 'w' ? 1 : 2] = a;
            } else {
                argv.push_back(a);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        const ToolRun run = runTool(argv, dir_, "", 60.0, memoryLimit(c.memoryLimit));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ASSERT_TRUE(run.finished) << describe(c.args);
        EXPECT_EQ(run.status, 1) << describe(c.args) << run.err;
        EXPECT_EQ(countLines(run.err), 1) << describe(c.args) << run.err;
        EXPECT_LT(seconds, 5.0) << describe(c.args);
        EXPECT_EQ(readFile(path("keep.png")), "old png") << describe(c.args);
        EXPECT_EQ(readFile(path("keep.pfm")), "old pfm") << describe(c.args);
        EXPECT_EQ(listDirectory(dir_), (std::vector<std::string>{"keep.pfm", "keep.png"}));
    }
#ifndef RW_TOOLS_SANITIZED
    // The comparison takes its memory before rendering too, before it even
    // looks for a display.
    if (compareBinary().empty()) return;
    const auto start = std::chrono::steady_clock::now();
    const ToolRun compare = runTool({compareBinary(), "--width=10000", "--height=10000"}, dir_, "",
                                    60.0, memoryLimit(3000000ull << 10));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    EXPECT_EQ(compare.status, 1) << compare.err;
    EXPECT_NE(compare.err.find("not enough memory for a 10000 x 10000"), std::string::npos)
        << compare.err;
#endif
}

TEST_F(SnapshotOutputs, EveryFailureIsOneLineWithValuesEscaped) {
    struct Case {
        std::vector<std::string> args;
        std::string stdoutPath;
        int status;
        std::string shown;  // part of the line
    };
    const Case cases[] = {
        {{"--png", "/dev/full"}, "", 1, "'/dev/full': No space left on device"},
        {{"--png", "-"}, "/dev/full", 1, "'-': No space left on device"},
        {{"--help"}, "/dev/full", 1, "standard output: No space left on device"},
        {{"--png", "dir\n\x1b[2J/p.png"}, "", 2, "'dir\\n\\x1b[2J/p.png'"},
        {{"--zoom", "\x1b]0;title\x07", "--png", "p"}, "", 2, "'\\x1b]0;title\\x07'"},
        {{"--png", "p", "--bad\\\x9b"}, "", 2, "'--bad\\\\\\x9b'"},
    };
    for (const Case& c : cases) {
        const ToolRun run = snapshot(c.args, {}, c.stdoutPath);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, c.status) << describe(c.args) << run.err;
        EXPECT_EQ(countLines(run.err), 1) << describe(c.args) << run.err;
        EXPECT_EQ(run.err.rfind("rasterwork-snapshot: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.shown), std::string::npos) << run.err;
        for (std::size_t i = 0; i + 1 < run.err.size(); ++i) {
            const unsigned char byte = static_cast<unsigned char>(run.err[i]);
            EXPECT_TRUE(byte >= 0x20 && byte < 0x7f) << describe(c.args) << " byte " << i;
        }
        EXPECT_TRUE(listDirectory(dir_).empty()) << describe(c.args);
    }
}

}  // namespace
