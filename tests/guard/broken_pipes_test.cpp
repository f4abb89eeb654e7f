// A write into a pipe nobody reads fails with EPIPE while SIGPIPE is held
// off, and the action set before comes back afterwards.
#include "guard/broken_pipes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

namespace {

volatile sig_atomic_t pipeSignals = 0;

void countPipeSignal(int) {
    pipeSignals = pipeSignals + 1;
}

// Writes one byte into a pipe whose reading end is closed; the errno.
int writeIntoClosedPipe() {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    close(ends[0]);
    errno = 0;
    const char byte = 'x';
    const ssize_t written = write(ends[1], &byte, 1);
    const int error = written < 0 ? errno : 0;
    close(ends[1]);
    return error;
}

TEST(BrokenPipesIgnored, AWriteFailsWithoutTheSignalAndThePreviousActionComesBack) {
    struct sigaction counting {};
    counting.sa_handler = countPipeSignal;
    sigemptyset(&counting.sa_mask);
    struct sigaction before {};
    ASSERT_EQ(sigaction(SIGPIPE, &counting, &before), 0);
    pipeSignals = 0;
    {
        const BrokenPipesIgnored ignored;
        EXPECT_EQ(writeIntoClosedPipe(), EPIPE);
        EXPECT_EQ(pipeSignals, 0);
        {
            const BrokenPipesIgnored nested;
            EXPECT_EQ(writeIntoClosedPipe(), EPIPE);
        }
        EXPECT_EQ(writeIntoClosedPipe(), EPIPE);  // the inner one restores ignoring
        EXPECT_EQ(pipeSignals, 0);
    }
    EXPECT_EQ(writeIntoClosedPipe(), EPIPE);
    EXPECT_EQ(pipeSignals, 1) << "the counting handler is not back";
    sigaction(SIGPIPE, &before, nullptr);
}

}  // namespace
