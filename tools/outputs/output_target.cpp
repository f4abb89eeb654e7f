#include "tools/outputs/output_target.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/shown_text.h"

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

constexpr int kMaxLinkHops = 40;

bool failWith(const std::string& path, int code, std::string* error) {
    *error = "cannot write " + shown(path) + ": " + std::strerror(code);
    return false;
}

// The directory a name lies in, open for looking at (not for reading), so
// that the name is looked up relative to it whatever the length of the
// path that leads there.
class Directory {
  public:
    explicit Directory(const std::string& name)
        : fd_(open(directoryOf(name).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}
    ~Directory() {
        if (fd_ >= 0) close(fd_);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    bool opened() const { return fd_ >= 0; }

    // Under /proc, where names are the kernel's, not files to create.
    bool inProc() const {
        struct statfs info;
        return fstatfs(fd_, &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
    }

    // The descriptor N of this process that a name N in /proc/<this
    // process>/fd stands for; -1 for any other name or directory.
    int ownDescriptor(const std::string& base) const {
        char where[64];
        const std::string link = "/proc/self/fd/" + std::to_string(fd_);
        const ssize_t length = readlink(link.c_str(), where, sizeof where - 1);
        if (length < 0) return -1;
        where[length] = '\0';
        if (where != "/proc/" + std::to_string(getpid()) + "/fd") return -1;
        if (base.empty() || base.size() > 9) return -1;
        for (const char c : base) {
            if (c < '0' || c > '9') return -1;
        }
        return std::atoi(base.c_str());
    }

    // Whether this user may add and remove names here.
    bool writable() const { return faccessat(fd_, ".", W_OK | X_OK, AT_EACCESS) == 0; }

    // The file attributes (as chattr sets them) of an entry, "." for the
    // directory itself; 0 where they cannot be read.
    int attributes(const std::string& entry) const {
        const int fd = openat(fd_, entry.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        int flags = 0;
        if (fd < 0 || ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) flags = 0;
        if (fd >= 0) close(fd);
        return flags;
    }

    // Entries can be added but never removed or replaced: a temporary here
    // could not be taken away again.
    bool entriesFixed() const { return (attributes(".") & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0; }

    bool status(struct stat* info) const { return fstat(fd_, info) == 0; }

    // Something is mounted on the entry.
    bool mountedOn(const std::string& entry) const {
        struct statx info;
        return statx(fd_, entry.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &info) == 0 &&
               (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    }

  private:
    int fd_;
};

void takeIdentity(const struct stat& info, OutputTarget* target) {
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
    target->way = OutputTarget::Way::Descriptor;
    target->descriptor = fd;
    takeIdentity(info, target);
    return true;
}

bool overridesFileOwnership() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    return (data[0].effective >> CAP_FOWNER) & 1u;
}

// Why the existing regular file `name` in `dir` could not be renamed over
// (or, when written in place, emptied and rewritten), or "".
std::string replaceProblem(const std::string& name, const Directory& dir, const struct stat& file,
                           bool renamed) {
    const int attributes = dir.attributes(baseOf(name));
    if (attributes & FS_IMMUTABLE_FL) return "the file is immutable";
    if (attributes & FS_APPEND_FL) return "the file is append-only";
    if (!renamed) return "";
    if (dir.mountedOn(baseOf(name))) return "a file system is mounted on it";
    struct stat info;
    if (dir.status(&info) && (info.st_mode & S_ISVTX) && file.st_uid != geteuid() &&
        info.st_uid != geteuid() && !overridesFileOwnership()) {
        return "its directory is sticky and the file belongs to someone else";
    }
    return "";
}

// The final name does not exist: a new file there, if its directory allows.
bool newFile(const std::string& name, const std::string& path, OutputTarget* target,
             std::string* error) {
    const Directory dir(name);
    if (!dir.opened()) return failWith(path, errno, error);
    if (dir.inProc()) {
        // Nothing can be created there: a missing descriptor is a closed one.
        return failWith(path, dir.ownDescriptor(baseOf(name)) >= 0 ? EBADF : ENOENT, error);
    }
    if (!dir.writable()) return failWith(path, errno, error);
    struct stat info;
    if (!dir.status(&info)) return failWith(path, errno, error);
    target->file = name;
    target->way = dir.entriesFixed() ? OutputTarget::Way::InPlace : OutputTarget::Way::Replace;
    target->device = info.st_dev;
    target->inode = info.st_ino;
    target->newName = baseOf(name);
    return true;
}

bool sameFile(const OutputTarget& a, const OutputTarget& b) {
    return a.device == b.device && a.inode == b.inode && a.newName == b.newName;
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
        const Directory dir(name);
        if (!dir.opened()) return failWith(path, errno, error);
        if (dir.inProc()) {
            // A link made by the kernel (an open file of some process), not
            // a name to follow by its text.
            const int fd = dir.ownDescriptor(baseOf(name));
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
    if (faccessat(AT_FDCWD, name.c_str(), W_OK, AT_EACCESS) != 0) {
        return failWith(path, errno, error);
    }
    takeIdentity(info, target);
    target->file = name;
    target->way = OutputTarget::Way::InPlace;
    if (!S_ISREG(info.st_mode)) return true;
    const Directory dir(name);
    if (!dir.opened()) return failWith(path, errno, error);
    if (dir.inProc()) return true;
    // Where no entry may be replaced, the file is written in place, as cp
    // would; an append-only file cannot even be emptied.
    if (!dir.entriesFixed()) {
        if (!dir.writable()) return failWith(path, errno, error);
        target->way = OutputTarget::Way::Replace;
    }
    const std::string problem =
        replaceProblem(name, dir, info, target->way == OutputTarget::Way::Replace);
    if (!problem.empty()) {
        *error = "cannot replace " + shown(path) + ": " + problem;
        return false;
    }
    return true;
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
