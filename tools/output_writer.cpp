#include "tools/output_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/shown_text.h"
#include "tools/temporary_files.h"

namespace {

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The whole content in a temporary beside the target, with the target's
// permissions. Returns the temporary's name, or sets errno and returns "".
std::string writeTemporary(const OutputTarget& target, const std::vector<std::uint8_t>& bytes) {
    std::string temporary;
    const int fd = createTemporary(directoryOf(target.file), &temporary);
    if (fd < 0) return "";
    bool ok = true;
    if (target.exists) {
        // Owner first: changing it clears set-user-ID bits, which the mode
        // then restores where the owner could be kept.
        if (fchown(fd, target.owner, target.group) != 0) {
            ok = fchmod(fd, target.mode & 0777) == 0;
        } else {
            ok = fchmod(fd, target.mode & 07777) == 0;
        }
    } else {
        ok = fchmod(fd, newFileMode()) == 0;
    }
    ok = ok && writeAll(fd, bytes) && fsync(fd) == 0;
    int failure = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        forgetTemporary(temporary, true);
        errno = failure ? failure : EIO;
        return "";
    }
    return temporary;
}

bool writeInPlace(const OutputTarget& target, const std::vector<std::uint8_t>& bytes) {
    if (target.descriptor >= 0) return writeAll(target.descriptor, bytes);
    const bool regular = target.exists && S_ISREG(target.mode);
    const int fd = open(target.file.c_str(), O_WRONLY | O_NOCTTY | (regular ? O_TRUNC : 0));
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes);
    const int saved = errno;
    const bool closed = close(fd) == 0;
    if (!written) errno = saved;
    return written && closed;
}

}  // namespace

bool writeOutputs(const std::vector<OutputTarget>& targets,
                  const std::vector<const std::vector<std::uint8_t>*>& contents,
                  std::string* error) {
    std::vector<std::string> temporaries(targets.size());
    const auto failAt = [&](std::size_t i, const char* verb) {
        const int code = errno ? errno : EIO;
        for (const std::string& temporary : temporaries) {
            if (!temporary.empty()) forgetTemporary(temporary, true);
        }
        *error = std::string("cannot ") + verb + " " + shown(targets[i].path) + ": " +
                 std::strerror(code);
        return false;
    };

    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (!targets[i].replace) continue;
        errno = 0;
        temporaries[i] = writeTemporary(targets[i], *contents[i]);
        if (temporaries[i].empty()) return failAt(i, "write");
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        errno = 0;
        if (!targets[i].replace && !writeInPlace(targets[i], *contents[i])) {
            return failAt(i, "write");
        }
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (temporaries[i].empty()) continue;
        errno = 0;
        if (rename(temporaries[i].c_str(), targets[i].file.c_str()) != 0) {
            return failAt(i, "replace");
        }
        forgetTemporary(temporaries[i], false);
        temporaries[i].clear();
    }
    return true;
}
