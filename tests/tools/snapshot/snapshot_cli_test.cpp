// Runs the built rasterwork-snapshot program the way scripts do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "child_process.h"
#include "run_tool.h"
#include "silent_x_server.h"
#include "temp_dir.h"
#include "test_images.h"

std::vector<std::vector<std::string>> badArgumentLists();  // snapshot_options_test.cpp

namespace {

std::vector<std::string> withTool(std::vector<std::string> args) {
    args.insert(args.begin(), snapshotBinary());
    return args;
}

std::string describe(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text += "[" + a + "]";
    return text;
}

// A usage error: status 2, one line on stderr naming the program, nothing on
// stdout, and the working directory exactly as it was.
void expectRejected(const std::vector<std::string>& args, const std::string& dir,
                    const std::vector<std::string>& filesBefore,
                    const ChildSettings& settings = {}) {
    const ToolRun run = runTool(withTool(args), dir, "", 60.0, settings);
    ASSERT_TRUE(run.finished) << describe(args);
    EXPECT_EQ(run.status, 2) << describe(args) << "\n" << run.err;
    EXPECT_EQ(countLines(run.err), 1) << describe(args) << "\n" << run.err;
    EXPECT_EQ(run.err.rfind("rasterwork-snapshot: ", 0), 0u) << run.err;
    EXPECT_EQ(run.out, "") << describe(args);
    EXPECT_EQ(listDirectory(dir), filesBefore) << describe(args);
}

TEST(SnapshotCommand, HelpAndVersionGoToStandardOutput) {
    const TempDir temp("rasterwork-cli-");
    const std::string& dir = temp.path();
    const ToolRun run = runTool(withTool({"--help"}), dir);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: rasterwork-snapshot", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("--depth-pfm"), std::string::npos);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(listDirectory(dir).empty());

    const ToolRun version = runTool(withTool({"--png", "p.png", "--version"}), dir);
    EXPECT_EQ(version.status, 0);
    const std::string prefix = "rasterwork-snapshot ";
    ASSERT_EQ(version.out.rfind(prefix, 0), 0u) << version.out;
    const std::string number = version.out.substr(prefix.size());
    EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << version.out;
    EXPECT_EQ(number.find_first_not_of("0123456789."), number.size() - 1) << version.out;
    EXPECT_EQ(number.back(), '\n');
    EXPECT_TRUE(listDirectory(dir).empty());
}

TEST(SnapshotCommand, EveryBadArgumentClassExitsWithStatusTwoAndWritesNothing) {
    for (const std::vector<std::string>& args : badArgumentLists()) {
        const TempDir temp("rasterwork-cli-");
        const std::string& dir = temp.path();
        expectRejected(args, dir, {});
    }
}

// As compressors do: binary data bound for a terminal is refused before
// anything is rendered, and nothing reaches the terminal, whether it is
// standard output or named as a file (its own name or a link to it).
TEST(SnapshotCommand, RefusesToWriteBinaryDataToATerminal) {
    int terminal = -1;
    int client = -1;
    ASSERT_EQ(openpty(&terminal, &client, nullptr, nullptr, nullptr), 0);
    const std::string clientName = ttyname(client);
    const TempDir temp("rasterwork-cli-");
    ASSERT_EQ(symlink(clientName.c_str(), (temp.path() + "/to-terminal").c_str()), 0);
    const struct {
        std::string output;
        std::string path;
        std::string standardOutput;
    } cases[] = {
        {"--png", "-", clientName},
        {"--depth-pfm", "-", clientName},
        {"--png", clientName, ""},
        {"--color-pfm", "to-terminal", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output + " " + c.path);
        const ToolRun run = runTool(withTool({c.output, c.path, "--width", "8", "--height", "8"}),
                                    temp.path(), "", 60.0, {}, c.standardOutput);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(c.output + " '" + c.path + "' is a terminal"), std::string::npos)
            << run.err;
    }
    ASSERT_EQ(fcntl(terminal, F_SETFL, O_NONBLOCK), 0);
    char byte;
    EXPECT_EQ(read(terminal, &byte, 1), -1) << "the terminal received data";
    close(client);
    close(terminal);
    EXPECT_EQ(listDirectory(temp.path()), std::vector<std::string>{"to-terminal"});
}

TEST(SnapshotCommand, AnUnwritableOutputLeavesNoFileAndKeepsOldOnes) {
    const TempDir temp("rasterwork-cli-");
    const std::string& dir = temp.path();
    std::ofstream(dir + "/plain") << "x";
    std::ofstream(dir + "/old.png") << "old";
    ASSERT_EQ(mkdir((dir + "/sub").c_str(), 0755), 0);
    const std::vector<std::string> before = {"old.png", "plain", "sub"};

    expectRejected({"--png", "new.png", "--depth-pfm", "plain/d.pfm"}, dir, before);
    expectRejected({"--png", "old.png", "--color-pfm", "missing/c.pfm"}, dir, before);
    expectRejected({"--color-pfm", "new.pfm", "--png", "sub"}, dir, before);
    EXPECT_EQ(readFile(dir + "/old.png"), "old");
    EXPECT_TRUE(listDirectory(dir + "/sub").empty());

    // Names that no file could be written to, refused before a large render.
    const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir + "/socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::vector<std::string> withSocket = {"old.png", "plain", "socket", "sub"};
    const std::vector<std::string> huge = {"--width", "16384", "--height", "16384", "--png"};
    const auto hugeTo = [&](const std::string& output) {
        std::vector<std::string> args = huge;
        args.push_back(output);
        return args;
    };
    ChildSettings closedStdout;
    closedStdout.closeStdout = true;
    expectRejected(hugeTo("socket"), dir, withSocket);
    int closedFd = 200;  // not open here, so not in the child either
    while (fcntl(closedFd, F_GETFD) != -1) ++closedFd;
    expectRejected(hugeTo("/proc/self/fd/" + std::to_string(closedFd)), dir, withSocket);
    expectRejected(hugeTo("/dev/stdout"), dir, withSocket, closedStdout);
    expectRejected(hugeTo("-"), dir, withSocket, closedStdout);
    close(socketFd);
}

TEST(SnapshotCommand, SoftwareRendererNeedsNoDisplay) {
    const TempDir temp("rasterwork-cli-");
    const std::string& dir = temp.path();
    const ToolRun run = runTool(withTool({"--width", "64", "--height", "48", "--png", "s.png",
                                          "--color-pfm", "c.pfm", "--depth-pfm", "d.pfm"}),
                                dir);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(listDirectory(dir), (std::vector<std::string>{"c.pfm", "d.pfm", "s.png"}));

    RgbImage png;
    std::string error;
    ASSERT_TRUE(readPng(dir + "/s.png", &png, &error)) << error;
    EXPECT_EQ(png.width, 64);
    EXPECT_EQ(png.height, 48);
    PfmFile color, depth;
    ASSERT_TRUE(readPfm(dir + "/c.pfm", &color, &error)) << error;
    ASSERT_TRUE(readPfm(dir + "/d.pfm", &depth, &error)) << error;
    EXPECT_EQ(color.header, "PF\n64 48\n-1.0\n");
    EXPECT_EQ(depth.header, "Pf\n64 48\n-1.0\n");
}

// Without EGL (no EGL implementation that offers the surfaceless platform)
// and without an X display, each way of asking for the reference fails in
// one line that says why, status 1, and writes nothing.
TEST(SnapshotCommand, ReferenceWithoutOpenGLFailsWithOneLineOfItsCause) {
    const std::string noEgl = "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent/egl_vendor.json";
    const struct {
        const char* platform;
        std::vector<std::string> env;
        std::vector<const char*> said;  // what the line must hold
    } cases[] = {
        {"x11", {}, {"no X display: DISPLAY is not set"}},
        {"egl", {noEgl}, {"cannot draw the reference through EGL: ", "surfaceless"}},
        {"auto",
         {noEgl},
         {"no OpenGL for the reference: through EGL, ", "; through X, no X display"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.platform);
        const TempDir temp("rasterwork-cli-");
        const std::string& dir = temp.path();
        const ToolRun run = runTool(
            withTool({"--renderer", "opengl", "--gl-platform", c.platform, "--png", "r.png"}), dir,
            "", 60.0, {}, "", c.env);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind("rasterwork-snapshot: ", 0), 0u) << run.err;
#ifdef RW_TOOLS_HEADLESS
        EXPECT_NE(run.err.find("RW_HEADLESS=ON"), std::string::npos) << run.err;
#else
        for (const char* part : c.said) EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
#endif
        EXPECT_TRUE(listDirectory(dir).empty());
    }
}

TEST(SnapshotCommand, AServerThatNeverAnswersEndsTheRunAtTheBound) {
#ifdef RW_TOOLS_HEADLESS
    GTEST_SKIP() << "this build has no OpenGL renderer";
#endif
    const SilentXServer server;
    ASSERT_TRUE(server.ok());
    // Below the timer's resolution the bound still holds.
    for (const char* bound : {"1.5", "1e-09"}) {
        SCOPED_TRACE(bound);
        const TempDir temp("rasterwork-cli-");
        const std::string& dir = temp.path();
        std::ofstream(dir + "/old.png") << "old";
        const ToolRun run =
            runTool(withTool({"--renderer", "opengl", "--gl-platform", "x11", "--png", "old.png"}),
                    dir, server.display(), 20.0, {}, "",
                    {std::string("RASTERWORK_SNAPSHOT_X_TIMEOUT=") + bound});
        ASSERT_TRUE(run.finished) << "still waiting on the server after 20 s";
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("'" + server.display() + "' did not answer within " + bound + " s"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(listDirectory(dir), std::vector<std::string>{"old.png"});
        EXPECT_EQ(readFile(dir + "/old.png"), "old");
    }
}

// A crash while the program waits on the server is its own, whatever other
// sockets it inherited: only the connections to the X server tell whether
// the GL library failed on a lost connection, and one whose peer is gone
// tells nothing.
TEST(SnapshotCommand, ACrashIsNotBlamedOnAnInheritedSocketWhosePeerIsGone) {
#ifdef RW_TOOLS_HEADLESS
    GTEST_SKIP() << "this build has no OpenGL renderer";
#endif
    const SilentXServer server;
    ASSERT_TRUE(server.ok());
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);  // inherited by the tool
    close(pair[1]);
    const TempDir temp("rasterwork-cli-");
    ChildProcess tool(
        toolCommand(withTool({"--renderer", "opengl", "--gl-platform", "x11", "--png", "r.png"}),
                    temp.path(), server.display(), {"RASTERWORK_SNAPSHOT_X_TIMEOUT=30"}),
        {}, temp.path() + "/stdout", temp.path() + "/stderr");
    close(pair[0]);
    // Connected, and waiting for the server's first answer.
    ASSERT_TRUE(server.waitForClient(20.0));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(tool.pid(), SIGSEGV);
    int status = 0;
    ASSERT_TRUE(tool.waitForExit(20.0, &status));
    const std::string err = readFile(temp.path() + "/stderr");
    EXPECT_EQ(status, 128 + SIGSEGV) << err;
    EXPECT_EQ(err,
              "rasterwork-snapshot: crashed (SIGSEGV, segmentation fault) while opening the "
              "display\n");
}

// Threads the system will not start (a process limit, no memory for their
// stacks) are done without: the same picture, and nothing said.
TEST(SnapshotCommand, ThreadsThatCannotStartLeaveThePictureAsItIs) {
    const TempDir temp("rasterwork-cli-");
    const std::string& dir = temp.path();
    const auto picture = [&](const std::string& name, const std::string& threads) {
        return withTool(
            {"--width", "3000", "--height", "3000", "--threads", threads, "--png", name});
    };
    ASSERT_EQ(runTool(picture("one.png", "1"), dir).status, 0);
    const std::string expected = readFile(dir + "/one.png");

    struct Case {
        std::string name;
        ChildSettings settings;
        bool ordinaryUser;
    };
    std::vector<Case> cases;
#ifndef RW_TOOLS_SANITIZED  // the sanitizers' shadow memory needs no address-space limit
    ChildSettings noRoom;
    noRoom.addressSpaceLimit = 1500000ull << 10;
    cases.push_back({"no-room.png", noRoom, false});
#endif
    std::string notSetUp;
    if (geteuid() == 0) {
        // Root is not held to a process limit: an ordinary user is.
        ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
        ChildSettings few;
        few.processLimit = 10;
        cases.push_back({"few.png", few, true});
    } else {
        notSetUp = "the process-limit case needs root to run the tool as another user";
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> argv = picture(c.name, "256");
        if (c.ordinaryUser) argv = asOrdinaryUser(argv);
        const ToolRun run = runTool(argv, dir, "", 120.0, c.settings);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(readFile(dir + "/" + c.name) == expected) << "not the one-thread picture";
    }
    if (!notSetUp.empty()) GTEST_SKIP() << notSetUp;
}

// A named pipe, and a non-blocking pipe as standard output, each read
// slowly: both receive what a file does, more than a pipe holds at once.
TEST(SnapshotCommand, WritesIntoPipesWhatItWritesIntoAFile) {
    const TempDir temp("rasterwork-cli-");
    const std::string& dir = temp.path();
    const std::vector<std::string> args = {"--width", "200", "--height", "100", "--color-pfm"};
    const auto to = [&](const std::string& output) {
        std::vector<std::string> all = withTool(args);
        all.push_back(output);
        return all;
    };
    ASSERT_EQ(runTool(to("file.pfm"), dir).status, 0);
    const std::string expected = readFile(dir + "/file.pfm");
    ASSERT_GT(expected.size(), 65536u);

    const auto readSlowly = [](int fd) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::string received;
        char chunk[4096];
        ssize_t n;
        while ((n = read(fd, chunk, sizeof chunk)) > 0) received.append(chunk, n);
        close(fd);
        return received;
    };

    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readSlowly(open((dir + "/fifo").c_str(), O_RDONLY)); });
    ToolRun run = runTool(to("fifo"), dir);
    if (!run.finished || run.status != 0) close(open((dir + "/fifo").c_str(), O_WRONLY));
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(received == expected) << "named pipe: " << received.size() << " bytes";

    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(fcntl(ends[1], F_SETFL, O_NONBLOCK), 0);
    std::thread stdoutReader([&] { received = readSlowly(ends[0]); });
    ChildSettings settings;
    settings.stdoutDescriptor = ends[1];
    const TempDir logs("rasterwork-cli-logs-");
    ChildProcess child(toolCommand(to("-"), dir), {}, "", logs.path() + "/stderr", settings);
    close(ends[1]);
    run.finished = child.waitForExit(60.0, &run.status);
    stdoutReader.join();
    EXPECT_EQ(run.status, 0) << readFile(logs.path() + "/stderr");
    EXPECT_TRUE(received == expected)
        << "non-blocking standard output: " << received.size() << " bytes";
}

}  // namespace
