#include "privileged_setup.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

std::vector<std::string> asOrdinaryUser(std::vector<std::string> argv) {
    if (geteuid() == 0) {
        argv.insert(argv.begin(),
                    {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
    }
    return argv;
}

bool setFileAttribute(const std::string& path, int attribute, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | attribute) : (flags & ~attribute);
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return ok;
}

ScopedAttribute::ScopedAttribute(std::string path, int attribute)
    : path_(std::move(path)), attribute_(attribute) {
    set_ = setFileAttribute(path_, attribute_, true);
}

ScopedAttribute::~ScopedAttribute() {
    if (set_) setFileAttribute(path_, attribute_, false);
}

namespace {

// "" once this process has a mount namespace of its own, else why not.
const std::string& ownMountNamespace() {
    static const std::string problem = []() -> std::string {
        if (unshare(CLONE_NEWNS) != 0) {
            return std::string("a mount namespace of its own needs CAP_SYS_ADMIN (unshare: ") +
                   std::strerror(errno) + ")";
        }
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return std::string("cannot make the mounts private: ") + std::strerror(errno);
        }
        return "";
    }();
    return problem;
}

}  // namespace

ScopedMount::ScopedMount(const std::string& source, const std::string& target,
                         const std::string& type, const std::string& options)
    : target_(target) {
    problem_ = ownMountNamespace();
    if (!problem_.empty()) return;
    const unsigned long flags = type.empty() ? MS_BIND : 0;
    if (mount(source.c_str(), target.c_str(), type.empty() ? nullptr : type.c_str(), flags,
              options.empty() ? nullptr : options.c_str()) != 0) {
        problem_ = "mount " + (type.empty() ? std::string("--bind") : "-t " + type) + " " + source +
                   " " + target + ": " + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

ScopedMount::~ScopedMount() {
    if (mounted_) umount2(target_.c_str(), MNT_DETACH);
}
