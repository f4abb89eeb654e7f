#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// Where one output's bytes go, worked out before anything is rendered.
struct OutputTarget {
    // How the bytes get there.
    enum class Way {
        // An open descriptor of this process: standard output for "-", N for
        // /proc/self/fd/N, /dev/stdout and the like.
        Descriptor,
        // A regular file, or a name still free: written to a temporary beside
        // `file` and renamed over it.
        Replace,
        // A device, pipe or terminal, or a file (or a name still free) in an
        // append-only directory, where no temporary could be removed again:
        // opened by `file` and written.
        InPlace,
    };

    std::string label;  // the option that named it, e.g. "--png"
    std::string path;   // as given; "-" is standard output
    Way way = Way::Replace;
    // The name that receives the data, symbolic links followed; unused for a
    // descriptor.
    std::string file;
    int descriptor = -1;
    // Identity: of an existing object, its device and inode; of a name
    // still free, its directory's, and `newName` its name there.
    dev_t device = 0;
    ino_t inode = 0;
    std::string newName;
    bool exists() const { return newName.empty(); }
    // Kept when an existing file is replaced; S_ISREG tells a regular file.
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

// Looks at one output path: follows symbolic links to their final target
// (which may not exist yet), and refuses a directory, a missing directory, a
// socket, a descriptor of this process that is not open, a file this user
// could not open for writing and a file that could not be replaced where it
// is (its directory's permissions, the rule of sticky directories, an
// append-only or immutable file, a file system mounted on it). Names are
// looked up relative to the directories they lie in, so no length of the
// working directory's name limits them. False with a one-line reason.
bool resolveOutput(const std::string& label, const std::string& path, OutputTarget* target,
                   std::string* error);

// Resolves every (label, path) pair and refuses two that are the same file,
// by whatever names.
bool resolveOutputs(const std::vector<std::pair<std::string, std::string>>& outputs,
                    std::vector<OutputTarget>* targets, std::string* error);

// The directory part of a path: "." when it has none, "/" for a name in the
// root; and the name after it.
std::string directoryOf(const std::string& path);
std::string baseOf(const std::string& path);
