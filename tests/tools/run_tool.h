#pragma once

#include <string>
#include <vector>

#include "child_process.h"
#include "privileged_setup.h"

// Result of running a program to completion.
struct ToolRun {
    bool finished = false;  // false when it was killed at the time limit
    int status = -1;
    std::string out;
    std::string err;
};

// Runs argv in the directory workDir with DISPLAY removed from its
// environment, or set to `display` when that is not empty; gives up (and
// kills it) after timeoutSeconds. Standard output goes to stdoutPath when
// given (then `out` is that file's content afterwards, if it is a regular
// file); extraEnv ("NAME=value") is added to the environment.
ToolRun runTool(const std::vector<std::string>& argv, const std::string& workDir,
                const std::string& display = "", double timeoutSeconds = 60.0,
                const ChildSettings& settings = {}, const std::string& stdoutPath = "",
                const std::vector<std::string>& extraEnv = {});

// The command that runs argv in workDir with that DISPLAY (see runTool).
std::vector<std::string> toolCommand(const std::vector<std::string>& argv,
                                     const std::string& workDir, const std::string& display = "",
                                     const std::vector<std::string>& extraEnv = {});

// The snapshot and compare binaries built alongside these tests (no
// compare binary, "", in a build without OpenGL).
std::string snapshotBinary();
std::string compareBinary();

// Names in a directory, sorted; "." and ".." left out.
std::vector<std::string> listDirectory(const std::string& dir);
