// A stretch that outlasts its bound ends the process with one line and
// status 1; one that finishes in time leaves the timer disarmed.
#include "guard/time_bound.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

struct Ended {
    int status = -1;
    std::string err;
};

// Runs body in a child process and collects its exit status and standard
// error.
template <typename Body>
Ended inChild(Body body) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[0]);
        body();
        _exit(0);
    }
    close(pipeEnds[1]);
    Ended ended;
    char chunk[256];
    for (ssize_t n; (n = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) ended.err.append(chunk, n);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return ended;
}

void sleepFor(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

TEST(TimeBound, AStretchOverItsBoundEndsTheProcessInOneLine) {
    const struct {
        double bound, inside, after;
        int status;
        const char* err;
    } cases[] = {
        {0.2, 5.0, 0.0, 1, "tool: starting EGL did not finish within 0.2 s\n"},
        {1e-9, 5.0, 0.0, 1, "tool: starting EGL did not finish within 1e-09 s\n"},
        {0.5, 0.0, 1.0, 0, ""},  // finished in time: nothing fires later
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bound);
        const auto started = std::chrono::steady_clock::now();
        const Ended ended = inChild([&] {
            {
                const TimeBound bound("tool", "starting EGL", c.bound);
                sleepFor(c.inside);
            }
            sleepFor(c.after);
        });
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_EQ(ended.status, c.status);
        EXPECT_EQ(ended.err, c.err);
        EXPECT_LT(took, 4.0);
    }
}

}  // namespace
