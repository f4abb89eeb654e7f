#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Where one output's bytes go, worked out before anything is rendered.
struct OutputTarget {
    std::string label;  // the option that named it, e.g. "--png"
    std::string path;   // as given; "-" is standard output
    // The name that receives the data, symbolic links followed; unused when
    // `descriptor` is set.
    std::string file;
    // An open descriptor of this process to write to: standard output for
    // "-", N for /proc/self/fd/N, /dev/stdout and the like; otherwise -1.
    int descriptor = -1;
    // A regular file (or a name still free): written to a temporary beside
    // `file` and renamed over it. Otherwise (device, pipe, terminal, socket,
    // descriptor, or a file in an append-only directory, where no temporary
    // could be removed again) written in place.
    bool replace = false;
    // Written in place to a name still free, which the write creates.
    bool create = false;
    bool exists = false;  // `file` or `descriptor` names an existing object
    // Identity of an existing object; of a new file, its canonical name.
    dev_t device = 0;
    ino_t inode = 0;
    std::string canonicalName;
    // Kept when an existing regular file is replaced.
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

// Looks at one output path: follows symbolic links to their final target
// (which may not exist yet), and refuses a directory, a missing directory, a
// socket, a descriptor of this process that is not open, a file this user
// could not open for writing and a file that could not be replaced where it
// is (its directory's permissions, the rule of sticky directories, an
// append-only or immutable file). False with a one-line reason.
bool resolveOutput(const std::string& label, const std::string& path, OutputTarget* target,
                   std::string* error);

// Resolves every (label, path) pair and refuses two that are the same file,
// by whatever names.
bool resolveOutputs(const std::vector<std::pair<std::string, std::string>>& outputs,
                    std::vector<OutputTarget>* targets, std::string* error);

// The directory part of a path: "." when it has none, "/" for a name in the
// root.
std::string directoryOf(const std::string& path);

// True when both name the same file.
bool sameFile(const OutputTarget& a, const OutputTarget& b);
