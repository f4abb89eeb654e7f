#include "tools/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string reason(const std::string& path, int error) {
    return "cannot write '" + path + "': " + std::strerror(error);
}

// Temporary files not yet committed or removed. exit() skips the destructors
// of main's locals (freeglut and Xlib call it on fatal errors), so an exit
// handler removes whatever is still listed.
std::vector<std::string>& pendingTemporaries() {
    static auto* pending = new std::vector<std::string>;
    return *pending;
}

void removePendingTemporaries() {
    for (const std::string& name : pendingTemporaries()) unlink(name.c_str());
    pendingTemporaries().clear();
}

void trackTemporary(const std::string& name) {
    static const bool registered = std::atexit(removePendingTemporaries) == 0;
    (void)registered;
    pendingTemporaries().push_back(name);
}

void untrackTemporary(const std::string& name) {
    std::vector<std::string>& pending = pendingTemporaries();
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        if (*it == name) {
            pending.erase(it);
            return;
        }
    }
}

mode_t creationMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

OutputFile::~OutputFile() {
    if (!committed_) discard();
}

void OutputFile::discard() {
    if (stream_) std::fclose(stream_);
    stream_ = nullptr;
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        untrackTemporary(temporary_);
    }
    temporary_.clear();
}

bool OutputFile::open(std::string* error) {
    if (!path_.empty() && path_.back() == '/') {
        *error = reason(path_, EISDIR);
        return false;
    }
    struct stat info;
    if (stat(path_.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            *error = reason(path_, EISDIR);
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            stream_ = std::fopen(path_.c_str(), "wb");
            if (!stream_) {
                *error = reason(path_, errno);
                return false;
            }
            target_ = path_;
            return true;
        }
        char resolved[PATH_MAX];
        if (!realpath(path_.c_str(), resolved)) {
            *error = reason(path_, errno);
            return false;
        }
        target_ = resolved;
    } else if (errno == ENOENT) {
        target_ = path_;
    } else {
        *error = reason(path_, errno);
        return false;
    }

    std::string pattern = directoryOf(target_) + "/.rasterwork-snapshot-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        *error = reason(path_, errno);
        return false;
    }
    temporary_ = name.data();
    trackTemporary(temporary_);
    if (fchmod(fd, creationMode()) != 0 || !(stream_ = fdopen(fd, "wb"))) {
        const int saved = errno;
        if (!stream_) close(fd);
        discard();
        *error = reason(path_, saved);
        return false;
    }
    return true;
}

bool OutputFile::commit(std::string* error) {
    if (!stream_) {
        *error = reason(path_, EBADF);
        return false;
    }
    int failure = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) failure = errno ? errno : EIO;
    if (!failure && !temporary_.empty() && fsync(fileno(stream_)) != 0) failure = errno;
    const int closed = std::fclose(stream_);
    stream_ = nullptr;
    if (!failure && closed != 0) failure = errno;
    if (!failure && !temporary_.empty() && rename(temporary_.c_str(), target_.c_str()) != 0) {
        failure = errno;
    }
    if (failure) {
        discard();
        *error = reason(path_, failure);
        return false;
    }
    untrackTemporary(temporary_);
    temporary_.clear();
    committed_ = true;
    return true;
}
