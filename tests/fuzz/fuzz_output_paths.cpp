// The snapshot tool's output rules over arbitrary scratch directories of
// files, symbolic links (also dangling or to a directory), hard links and
// directories, some append-only (where the file system allows) and a sticky
// subdirectory, named in arbitrary ways by one to three outputs:
// - refused: nothing in the directory changed; "the same file" only when
//   two outputs really end at one file;
// - accepted: no two outputs end at one file, each final file holds exactly
//   its output, links stay links, replaced files keep their permissions,
//   every other file keeps its content, and no temporary is left.
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/outputs/output_target.h"
#include "tools/outputs/output_writer.h"

namespace {

std::string root;  // the scratch directory, canonical

// Sets or clears the append-only attribute, where this file system and
// user allow it.
void setAppendOnly(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return;
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = on ? (flags | FS_APPEND_FL) : (flags & ~FS_APPEND_FL);
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    close(fd);
}

int removeEntry(const char* path, const struct stat*, int, struct FTW* at) {
    if (at->level > 0) std::remove(path);
    return 0;
}

int allowRemoval(const char* path, const struct stat* info, int, struct FTW*) {
    if (S_ISREG(info->st_mode) || S_ISDIR(info->st_mode)) setAppendOnly(path, false);
    return 0;
}

void clearScratch() {
    nftw(root.c_str(), allowRemoval, 16, FTW_PHYS);
    nftw(root.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void removeScratch() {
    clearScratch();
    rmdir(root.c_str());
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Entry {
    char type;         // 'f' file, 'l' link, 'd' directory
    std::string text;  // content or link target
    mode_t mode;
    ino_t inode;
};

std::map<std::string, Entry> listEntries() {
    std::map<std::string, Entry> entries;
    for (const char* dir : {"", "d/"}) {
        for (const char* name : {"f0", "f1", "f2", "f3", "g", "new", "d"}) {
            const std::string relative = std::string(dir) + name;
            const std::string path = root + "/" + relative;
            struct stat info;
            if (lstat(path.c_str(), &info) != 0) continue;
            Entry e{'d', "", info.st_mode & 07777, info.st_ino};
            if (S_ISLNK(info.st_mode)) {
                char text[PATH_MAX];
                const ssize_t n = readlink(path.c_str(), text, sizeof text);
                e.type = 'l';
                e.text.assign(text, n > 0 ? static_cast<std::size_t>(n) : 0);
            } else if (S_ISREG(info.st_mode)) {
                e.type = 'f';
                e.text = readAll(path);
            }
            entries[relative] = e;
        }
    }
    return entries;
}

bool anyTemporaryLeft() {
    for (const std::string& dir : {root, root + "/d"}) {
        if (DIR* d = opendir(dir.c_str())) {
            bool found = false;
            while (const dirent* entry = readdir(d)) {
                if (std::string(entry->d_name).rfind(".rasterwork-snapshot-", 0) == 0) found = true;
            }
            closedir(d);
            if (found) return true;
        }
    }
    return false;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// The name a path ends at once every symbolic link on it is followed.
std::string finalName(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        char text[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), text, sizeof text - 1);
        if (n <= 0) return path;
        text[n] = '\0';
        path = text[0] == '/' ? std::string(text) : directoryOf(path) + "/" + text;
    }
    return path;
}

// Canonical name of where a path ends; "" when its directory is missing.
std::string canonicalEnd(const std::string& path) {
    const std::string end = finalName(path);
    char dir[PATH_MAX];
    if (!realpath(directoryOf(end).c_str(), dir)) return "";
    const std::size_t slash = end.rfind('/');
    return std::string(dir) + "/" + (slash == std::string::npos ? end : end.substr(slash + 1));
}

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    unsigned byte() { return at < size ? data[at++] : 0u; }
};

void build(Reader& in) {
    mkdir((root + "/d").c_str(), 0755);
    const char* slots[] = {"f0", "f1", "f2", "f3", "d/g"};
    const std::string linkTargets[] = {"f0",        "f1",  "f2",         "g",         "d/g",  "d",
                                       "missing/x", "new", root + "/f2", "/dev/null", "../f1"};
    const mode_t modes[] = {0644, 0600, 0444, 0755};
    for (int i = 0; i < 5; ++i) {
        const std::string path = root + "/" + slots[i];
        const unsigned kind = in.byte() % 5;
        const unsigned choice = in.byte();
        if (kind == 1) {
            std::ofstream(path, std::ios::binary) << "old " << slots[i];
            chmod(path.c_str(), modes[choice % 4]);
        } else if (kind == 2) {
            std::string target = linkTargets[choice % 11];
            if (target == "../f1" && i != 4) target = "f1";  // never out of the scratch directory
            symlink(target.c_str(), path.c_str());
        } else if (kind == 3) {
            link((root + "/" + slots[choice % 5]).c_str(), path.c_str());
        } else if (kind == 4) {
            mkdir(path.c_str(), 0755);
        }
    }
    // Directories and files whose entries or content can only grow, and a
    // sticky directory.
    const unsigned attributes = in.byte();
    if (attributes & 1u) chmod((root + "/d").c_str(), 01777);
    if (attributes & 2u) setAppendOnly(root + "/f1", true);
    if (attributes & 4u) setAppendOnly(root + "/d/g", true);
    if (attributes & 8u) setAppendOnly(root + "/d", true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/rasterwork-fuzz-paths-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    char canonical[PATH_MAX];
    if (!realpath(pattern, canonical)) std::abort();
    root = canonical;
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    clearScratch();
    Reader in{data, size};
    build(in);

    const std::string outputPaths[] = {"f0",    "f1",        "f2",         "f3", "./f0",
                                       "d/g",   "d/../f1",   root + "/f3", "d",  "new",
                                       "d/new", "missing/x", "/dev/null",  "g"};
    const char* labels[] = {"--png", "--color-pfm", "--depth-pfm"};
    const std::size_t count = 1 + in.byte() % 3;
    std::vector<std::pair<std::string, std::string>> named;
    std::vector<std::vector<std::uint8_t>> contents;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string relative = outputPaths[in.byte() % 14];
        named.emplace_back(labels[i], relative[0] == '/' ? relative : root + "/" + relative);
        const std::string text = "new " + std::to_string(i) + std::string(in.byte() % 5, '+');
        contents.emplace_back(text.begin(), text.end());
    }

    const std::map<std::string, Entry> before = listEntries();
    // Where each output ends, and what file that is: an existing one by
    // device and inode (hard links are one file), a new one by name.
    std::vector<std::string> ends;
    std::vector<std::string> files;
    std::vector<ino_t> endInodes;  // of the ends that exist already
    for (const auto& output : named) {
        ends.push_back(canonicalEnd(output.second));
        struct stat info;
        const bool exists = stat(ends.back().c_str(), &info) == 0;
        if (exists) endInodes.push_back(info.st_ino);
        files.push_back(exists ? std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino)
                               : ends.back());
    }
    bool endsShared = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            if (!ends[i].empty() && files[i] == files[j]) endsShared = true;
        }
    }

    std::vector<OutputTarget> targets;
    std::string error;
    if (!resolveOutputs(named, &targets, &error)) {
        if (error.find('\n') != std::string::npos) std::abort();
        if (error.find("are the same file") != std::string::npos && !endsShared) std::abort();
        if (listEntries().size() != before.size() || anyTemporaryLeft()) std::abort();
        for (const auto& [name, entry] : listEntries()) {
            const Entry& old = before.at(name);
            if (old.type != entry.type || old.text != entry.text || old.mode != entry.mode) {
                std::abort();
            }
        }
        return 0;
    }
    if (endsShared) std::abort();
    std::vector<const std::vector<std::uint8_t>*> pointers;
    for (const auto& c : contents) pointers.push_back(&c);
    if (!writeOutputs(targets, pointers, &error)) std::abort();
    if (anyTemporaryLeft()) std::abort();

    for (std::size_t i = 0; i < ends.size(); ++i) {
        if (ends[i] == "/dev/null") continue;
        if (readAll(ends[i]) != std::string(contents[i].begin(), contents[i].end())) std::abort();
    }
    const std::map<std::string, Entry> after = listEntries();
    for (const auto& [name, old] : before) {
        const auto found = after.find(name);
        if (found == after.end() || found->second.type != old.type) std::abort();
        const Entry& now = found->second;
        if (old.type == 'l' && now.text != old.text) std::abort();
        if (old.type != 'f') continue;
        // Written through its own name, or as another name of a file that is
        // written in place (where no temporary can be put beside it).
        bool written = false;
        for (const std::string& end : ends) written = written || end == root + "/" + name;
        for (const ino_t inode : endInodes) written = written || inode == old.inode;
        if (now.mode != old.mode) std::abort();
        if (!written && (now.text != old.text || now.inode != old.inode)) std::abort();
    }
    return 0;
}
