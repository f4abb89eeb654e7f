#include "tools/common/output_target.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/shown_text.h"

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

namespace {

constexpr int kMaxLinkHops = 40;

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool failWith(const std::string& path, int code, std::string* error) {
    *error = "cannot write " + shown(path) + ": " + std::strerror(code);
    return false;
}

bool canonicalDirectory(const std::string& path, std::string* canonical) {
    char resolved[PATH_MAX];
    if (!realpath(directoryOf(path).c_str(), resolved)) return false;
    *canonical = resolved;
    return true;
}

void takeIdentity(const struct stat& info, OutputTarget* target) {
    target->exists = true;
    target->device = info.st_dev;
    target->inode = info.st_ino;
    target->mode = info.st_mode;
    target->owner = info.st_uid;
    target->group = info.st_gid;
}

// An open descriptor of ours, as standard output or /proc/self/fd/N.
bool useDescriptor(int fd, const std::string& path, OutputTarget* target, std::string* error) {
    const int flags = fcntl(fd, F_GETFL);
    struct stat info;
    if (flags < 0 || fstat(fd, &info) != 0) return failWith(path, EBADF, error);
    if ((flags & O_ACCMODE) == O_RDONLY) return failWith(path, EBADF, error);
    if (S_ISDIR(info.st_mode)) return failWith(path, EISDIR, error);
    target->descriptor = fd;
    takeIdentity(info, target);
    return true;
}

// /proc/<this process>/fd/N names descriptor N; -1 for anything else.
int ownDescriptor(const std::string& canonicalDir, const std::string& base) {
    if (canonicalDir != "/proc/" + std::to_string(getpid()) + "/fd") return -1;
    if (base.empty() || base.size() > 9) return -1;
    for (char c : base) {
        if (c < '0' || c > '9') return -1;
    }
    return std::atoi(base.c_str());
}

bool writableHere(const std::string& name, int mode) {
    return faccessat(AT_FDCWD, name.c_str(), mode, AT_EACCESS) == 0;
}

// The file attributes (as chattr sets them) of a file or directory; 0 where
// they cannot be read.
int attributesOf(const std::string& name) {
    const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return 0;
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) flags = 0;
    close(fd);
    return flags;
}

// A directory whose entries can be added but never removed or replaced:
// a temporary there could not be taken away again.
bool entriesFixed(const std::string& directory) {
    return (attributesOf(directory) & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}

bool overridesFileOwnership() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    return (data[0].effective >> CAP_FOWNER) & 1u;
}

// Why the existing regular file `name` could not be renamed over (or, when
// not `renamed`, emptied and rewritten), or "".
std::string replaceProblem(const std::string& name, const struct stat& file, bool renamed) {
    const int attributes = attributesOf(name);
    if (attributes & FS_IMMUTABLE_FL) return "the file is immutable";
    if (attributes & FS_APPEND_FL) return "the file is append-only";
    struct stat dir;
    if (renamed && stat(directoryOf(name).c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) &&
        file.st_uid != geteuid() && dir.st_uid != geteuid() && !overridesFileOwnership()) {
        return "its directory is sticky and the file belongs to someone else";
    }
    return "";
}

// The final name does not exist: a new file there, if its directory allows.
bool newFile(const std::string& name, const std::string& path, OutputTarget* target,
             std::string* error) {
    std::string canonicalDir;
    if (canonicalDirectory(name, &canonicalDir) && canonicalDir.compare(0, 6, "/proc/") == 0) {
        // Nothing can be created there: a missing descriptor is a closed one.
        const bool descriptor = ownDescriptor(canonicalDir, baseOf(name)) >= 0;
        return failWith(path, descriptor ? EBADF : ENOENT, error);
    }
    struct stat dir;
    if (stat(directoryOf(name).c_str(), &dir) != 0) return failWith(path, errno, error);
    if (!S_ISDIR(dir.st_mode)) return failWith(path, ENOTDIR, error);
    if (!writableHere(directoryOf(name), W_OK | X_OK)) return failWith(path, errno, error);
    if (!canonicalDirectory(name, &canonicalDir)) return failWith(path, errno, error);
    target->file = name;
    target->replace = !entriesFixed(directoryOf(name));
    target->create = !target->replace;
    target->canonicalName = canonicalDir + "/" + baseOf(name);
    return true;
}

}  // namespace

bool resolveOutput(const std::string& label, const std::string& path, OutputTarget* target,
                   std::string* error) {
    *target = OutputTarget{};
    target->label = label;
    target->path = path;
    if (path == "-") return useDescriptor(STDOUT_FILENO, path, target, error);

    std::string name = path;
    for (int hops = 0;; ++hops) {
        if (name.empty()) return failWith(path, ENOENT, error);
        if (name.back() == '/') return failWith(path, EISDIR, error);
        struct stat info;
        if (lstat(name.c_str(), &info) != 0) {
            if (errno == ENOENT) return newFile(name, path, target, error);
            return failWith(path, errno, error);
        }
        if (!S_ISLNK(info.st_mode)) break;
        std::string canonicalDir;
        if (!canonicalDirectory(name, &canonicalDir)) return failWith(path, errno, error);
        if (canonicalDir.compare(0, 6, "/proc/") == 0) {
            // A link made by the kernel (an open file of some process), not
            // a name to follow by its text.
            const int fd = ownDescriptor(canonicalDir, baseOf(name));
            if (fd >= 0) return useDescriptor(fd, path, target, error);
            break;
        }
        if (hops == kMaxLinkHops) return failWith(path, ELOOP, error);
        char text[PATH_MAX];
        const ssize_t length = readlink(name.c_str(), text, sizeof text - 1);
        if (length < 0) return failWith(path, errno, error);
        text[length] = '\0';
        name = text[0] == '/' ? std::string(text) : directoryOf(name) + "/" + text;
    }

    struct stat info;
    if (stat(name.c_str(), &info) != 0) return failWith(path, errno, error);
    if (S_ISDIR(info.st_mode)) return failWith(path, EISDIR, error);
    if (S_ISSOCK(info.st_mode)) return failWith(path, ENXIO, error);  // no file opens it
    if (!writableHere(name, W_OK)) return failWith(path, errno, error);
    takeIdentity(info, target);
    target->file = name;
    if (S_ISREG(info.st_mode)) {
        std::string canonicalDir;
        if (!canonicalDirectory(name, &canonicalDir)) return failWith(path, errno, error);
        if (canonicalDir.compare(0, 6, "/proc/") != 0) {
            // Where no entry may be replaced, the file is written in place,
            // as cp would; an append-only file cannot even be emptied.
            target->replace = !entriesFixed(directoryOf(name));
            if (target->replace && !writableHere(directoryOf(name), W_OK | X_OK)) {
                return failWith(path, errno, error);
            }
            const std::string problem = replaceProblem(name, info, target->replace);
            if (!problem.empty()) {
                *error = "cannot replace " + shown(path) + ": " + problem;
                return false;
            }
        }
    }
    return true;
}

bool sameFile(const OutputTarget& a, const OutputTarget& b) {
    if (a.exists != b.exists) return false;
    if (a.exists) return a.device == b.device && a.inode == b.inode;
    return a.canonicalName == b.canonicalName;
}

bool resolveOutputs(const std::vector<std::pair<std::string, std::string>>& outputs,
                    std::vector<OutputTarget>* targets, std::string* error) {
    targets->clear();
    for (const auto& [label, path] : outputs) {
        OutputTarget target;
        if (!resolveOutput(label, path, &target, error)) return false;
        for (const OutputTarget& earlier : *targets) {
            if (sameFile(earlier, target)) {
                *error = earlier.label + " " + shown(earlier.path) + " and " + label + " " +
                         shown(path) + " are the same file";
                return false;
            }
        }
        targets->push_back(target);
    }
    return true;
}
