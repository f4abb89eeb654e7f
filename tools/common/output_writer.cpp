#include "tools/common/output_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/shown_text.h"
#include "tools/common/temporary_files.h"

namespace {

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    return writeFully(fd, bytes.data(), bytes.size());
}

mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// One output on its way to replace the name it goes to: the directory open
// (every name below is relative to it), the temporary holding the new
// content and, once it has been put in place, how to take that back.
struct Staged {
    enum class Placed { No, Exchanged, Created, Renamed };
    int directory = -1;
    std::string temporary;
    Placed placed = Placed::No;
};

// The whole content in a temporary beside the target, with the target's
// permissions. False with errno set.
bool writeTemporary(const OutputTarget& target, const std::vector<std::uint8_t>& bytes,
                    Staged* staged) {
    staged->directory = open(directoryOf(target.file).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (staged->directory < 0) return false;
    const int fd = createTemporary(staged->directory, &staged->temporary);
    if (fd < 0) return false;
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
    if (!ok) errno = failure ? failure : EIO;
    return ok;
}

bool writeInPlace(const OutputTarget& target, const std::vector<std::uint8_t>& bytes) {
    if (target.descriptor >= 0) return writeAll(target.descriptor, bytes);
    const bool regular = target.exists && S_ISREG(target.mode);
    const int flags = target.create ? O_CREAT | O_EXCL : (regular ? O_TRUNC : 0);
    const int fd = open(target.file.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | flags, 0666);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes);
    const int saved = errno;
    const bool closed = close(fd) == 0;
    if (!written) errno = saved;
    return written && closed;
}

bool exchangeUnsupported(int code) {
    return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP;
}

// Puts the temporary at the target's name. What was there moves to the
// temporary's name, so that it can be put back until every output is in
// place. False with errno set, and nothing changed.
bool putInPlace(const OutputTarget& target, Staged* staged) {
    const int dir = staged->directory;
    const char* temporary = staged->temporary.c_str();
    const std::string base = baseOf(target.file);
    if (renameat2(dir, temporary, dir, base.c_str(), RENAME_EXCHANGE) == 0) {
        // Only a file is replaced: whatever else took its name meanwhile (a
        // directory, say) goes back where it was.
        struct stat old = {};
        if (fstatat(dir, temporary, &old, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(old.st_mode)) {
            const int code = S_ISDIR(old.st_mode) ? EISDIR : EEXIST;
            renameat2(dir, temporary, dir, base.c_str(), RENAME_EXCHANGE);
            errno = code;
            return false;
        }
        staged->placed = Staged::Placed::Exchanged;
        return true;
    }
    if (errno == ENOENT) {
        if (renameat2(dir, temporary, dir, base.c_str(), RENAME_NOREPLACE) == 0) {
            staged->placed = Staged::Placed::Created;
            return true;
        }
    }
    if (!exchangeUnsupported(errno)) return false;
    // A file system without either kind of rename: replaced for good.
    if (renameat(dir, temporary, dir, base.c_str()) != 0) return false;
    staged->placed = Staged::Placed::Renamed;
    return true;
}

// Undoes putInPlace, where that is possible.
void takeBack(const OutputTarget& target, Staged* staged) {
    const int dir = staged->directory;
    const std::string base = baseOf(target.file);
    if (staged->placed == Staged::Placed::Exchanged) {
        renameat2(dir, staged->temporary.c_str(), dir, base.c_str(), RENAME_EXCHANGE);
    } else if (staged->placed == Staged::Placed::Created) {
        renameat(dir, base.c_str(), dir, staged->temporary.c_str());
    }
    staged->placed = Staged::Placed::No;
}

}  // namespace

bool writeFully(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd room{fd, POLLOUT, 0};
                if (poll(&room, 1, -1) < 0 && errno != EINTR) return false;
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool writeOutputs(const std::vector<OutputTarget>& targets,
                  const std::vector<const std::vector<std::uint8_t>*>& contents,
                  std::string* error) {
    std::vector<Staged> staged(targets.size());
    // Removes what is left at every temporary's name: the new content when
    // it never went into place, the old one when it was replaced.
    const auto cleanUp = [&] {
        for (Staged& s : staged) {
            const bool renamedAway =
                s.placed == Staged::Placed::Created || s.placed == Staged::Placed::Renamed;
            if (!s.temporary.empty()) forgetTemporary(s.directory, s.temporary, !renamedAway);
            if (s.directory >= 0) close(s.directory);
        }
    };
    const auto failAt = [&](std::size_t i, const char* verb) {
        const int code = errno ? errno : EIO;
        cleanUp();
        *error = std::string("cannot ") + verb + " " + shown(targets[i].path) + ": " +
                 std::strerror(code);
        return false;
    };

    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (!targets[i].replace) continue;
        errno = 0;
        if (!writeTemporary(targets[i], *contents[i], &staged[i])) return failAt(i, "write");
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        errno = 0;
        if (!targets[i].replace && !writeInPlace(targets[i], *contents[i])) {
            return failAt(i, "write");
        }
    }
    // Every output goes into place, or none does; no signal comes between.
    const HandledSignalsHeld held;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (!targets[i].replace) continue;
        errno = 0;
        if (!putInPlace(targets[i], &staged[i])) {
            const int code = errno;
            for (std::size_t j = i; j-- > 0;) {
                if (targets[j].replace) takeBack(targets[j], &staged[j]);
            }
            errno = code;
            return failAt(i, "replace");
        }
    }
    cleanUp();
    return true;
}
