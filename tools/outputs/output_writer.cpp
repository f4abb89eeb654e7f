#include "tools/outputs/output_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/shown_text.h"
#include "tools/outputs/temporary_files.h"

namespace {

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    return writeFully(fd, bytes.data(), bytes.size());
}

// Closes fd after the work on it: true when that went well and the close
// too, else false with errno set by the first failure.
bool closeAfter(int fd, bool workDone) {
    const int saved = errno;
    const bool closed = close(fd) == 0;
    if (workDone) return closed;
    errno = saved ? saved : EIO;
    return false;
}

// One output on its way. A file to replace: its directory open (every name
// below is relative to it), the temporary holding the new content and, once
// that has taken the file's place, how to take it back. A regular file
// written in place: the file open, and its size before.
struct Staged {
    enum class Placed { No, Exchanged, Created, Renamed };
    int directory = -1;
    std::string temporary;
    Placed placed = Placed::No;
    int file = -1;
    off_t oldSize = 0;
};

bool regularInPlace(const OutputTarget& target) {
    return target.way == OutputTarget::Way::InPlace && (!target.exists() || S_ISREG(target.mode));
}

// The whole content in a temporary beside the target, with the target's
// permissions. False with errno set.
bool writeTemporary(const OutputTarget& target, const std::vector<std::uint8_t>& bytes,
                    Staged* staged) {
    staged->directory = open(directoryOf(target.file).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (staged->directory < 0) return false;
    // A new file's permissions are the usual ones (umask applied); an
    // existing one's are given when its owner is.
    const int fd =
        createTemporary(staged->directory, target.exists() ? 0600 : 0666, &staged->temporary);
    if (fd < 0) return false;
    bool ok = true;
    if (target.exists()) {
        // Owner first: changing it clears set-user-ID bits, which the mode
        // then restores where the owner could be kept.
        const mode_t kept = fchown(fd, target.owner, target.group) == 0 ? 07777 : 0777;
        ok = fchmod(fd, target.mode & kept) == 0;
    }
    return closeAfter(fd, ok && writeAll(fd, bytes) && fsync(fd) == 0);
}

// A file written in place must not stop at the file-size limit, with old
// and new content mixed. False with errno set.
bool withinFileSizeLimit(std::size_t size) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
    if (size <= limit.rlim_cur) return true;
    errno = EFBIG;
    return false;
}

// Room for `size` bytes in the file the target writes in place, taken
// without changing the file; a file system that cannot reserve space is
// trusted to have it. A new file is only checked for room: it is made when
// the outputs go into place. False with errno set.
bool reserveInPlace(const OutputTarget& target, std::size_t size, Staged* staged) {
    if (!withinFileSizeLimit(size)) return false;
    if (!target.exists()) {
        struct statvfs room;
        if (statvfs(directoryOf(target.file).c_str(), &room) != 0) return true;
        if (static_cast<unsigned long long>(room.f_bavail) * room.f_frsize >= size) return true;
        errno = ENOSPC;
        return false;
    }
    staged->file = open(target.file.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    struct stat info;
    if (staged->file < 0 || fstat(staged->file, &info) != 0) return false;
    staged->oldSize = info.st_size;
    if (size == 0 || fallocate(staged->file, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return true;
    return errno == EOPNOTSUPP || errno == ENOSYS;
}

// Gives back space reserved past the end of a file that was not written.
void releaseReserved(std::size_t size, Staged* staged) {
    if (static_cast<off_t>(size) > staged->oldSize) {
        fallocate(staged->file, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, staged->oldSize,
                  static_cast<off_t>(size) - staged->oldSize);
    }
}

// The content over what the file held, then the rest of the old content
// cut off; a new file is made first. False with errno set.
bool writeReserved(const OutputTarget& target, const std::vector<std::uint8_t>& bytes,
                   Staged* staged) {
    if (staged->file < 0) {
        staged->file =
            open(target.file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (staged->file < 0) return false;
        if (!bytes.empty() && fallocate(staged->file, 0, 0, bytes.size()) != 0 &&
            errno != EOPNOTSUPP && errno != ENOSYS) {
            return false;
        }
    }
    const int fd = staged->file;
    staged->file = -1;
    return closeAfter(fd,
                      writeAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0);
}

// A device, pipe, terminal or descriptor: the bytes sent. False with errno
// set.
bool writeStream(const OutputTarget& target, const std::vector<std::uint8_t>& bytes) {
    if (target.way == OutputTarget::Way::Descriptor) return writeAll(target.descriptor, bytes);
    const int fd = open(target.file.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    return fd >= 0 && closeAfter(fd, writeAll(fd, bytes));
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
    using Way = OutputTarget::Way;
    std::vector<Staged> staged(targets.size());
    // Takes back every temporary already in place, then removes what is
    // left at every temporary's name (the new content when it never went
    // into place, the old one when it was replaced) and gives back the
    // space reserved for files not written.
    const auto cleanUp = [&](bool takeBackPlaced) {
        for (std::size_t i = staged.size(); i-- > 0;) {
            Staged& s = staged[i];
            if (takeBackPlaced) takeBack(targets[i], &s);
            const bool renamedAway =
                s.placed == Staged::Placed::Created || s.placed == Staged::Placed::Renamed;
            if (!s.temporary.empty()) forgetTemporary(s.directory, s.temporary, !renamedAway);
            if (s.directory >= 0) close(s.directory);
            if (s.file >= 0) {
                releaseReserved(contents[i]->size(), &s);
                close(s.file);
            }
        }
    };
    const auto failAt = [&](std::size_t i, const char* verb) {
        const int code = errno ? errno : EIO;
        cleanUp(true);
        *error = std::string("cannot ") + verb + " " + shown(targets[i].path) + ": " +
                 std::strerror(code);
        return false;
    };

    for (std::size_t i = 0; i < targets.size(); ++i) {
        errno = 0;
        if (targets[i].way == Way::Replace &&
            !writeTemporary(targets[i], *contents[i], &staged[i])) {
            return failAt(i, "write");
        }
        if (regularInPlace(targets[i]) &&
            !reserveInPlace(targets[i], contents[i]->size(), &staged[i])) {
            return failAt(i, "write");
        }
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        errno = 0;
        if (targets[i].way != Way::Replace && !regularInPlace(targets[i]) &&
            !writeStream(targets[i], *contents[i])) {
            return failAt(i, "write");
        }
    }
    // Every file is replaced, or none is; no signal comes between.
    const HandledSignalsHeld held;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        errno = 0;
        if (targets[i].way == Way::Replace && !putInPlace(targets[i], &staged[i])) {
            return failAt(i, "replace");
        }
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        errno = 0;
        if (regularInPlace(targets[i]) && !writeReserved(targets[i], *contents[i], &staged[i])) {
            return failAt(i, "write");
        }
    }
    cleanUp(false);
    return true;
}
