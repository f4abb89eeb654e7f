#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "child_process.h"
#include "temp_dir.h"

// Runs `action` with file descriptor 1 pointed at a temp file and returns
// everything written to standard output meanwhile.
template <typename F>
std::string captureStdout(F action) {
    const TempDir dir("rasterwork-stdout-");
    const std::string path = dir.path() + "/out.txt";
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, STDOUT_FILENO);
    close(file);
    action();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return readFile(path);
}
