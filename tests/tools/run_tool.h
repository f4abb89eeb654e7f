#pragma once

#include <string>
#include <vector>

// Result of running a program to completion.
struct ToolRun {
    bool finished = false;  // false when it was killed at the time limit
    int status = -1;
    std::string out;
    std::string err;
};

// Runs argv in the directory workDir with DISPLAY removed from its
// environment, or set to `display` when that is not empty; gives up (and
// kills it) after timeoutSeconds.
ToolRun runTool(const std::vector<std::string>& argv, const std::string& workDir,
                const std::string& display = "", double timeoutSeconds = 60.0);

// The snapshot binary built alongside these tests.
std::string snapshotBinary();

// Names in a directory, sorted; "." and ".." left out.
std::vector<std::string> listDirectory(const std::string& dir);

// Number of lines of a text made of newline-terminated lines; -1 when the
// text is empty or its last line has no newline.
int countLines(const std::string& text);
