#pragma once

#include <string>
#include <vector>

// Run as root, argv run as the unprivileged user nobody (uid and gid 65534,
// which root's special rights do not cover, process limits among them);
// otherwise argv as it is.
constexpr int kNobody = 65534;
std::vector<std::string> asOrdinaryUser(std::vector<std::string> argv);

// Set-ups of the file system that need privileges (root, or the
// capabilities CAP_LINUX_IMMUTABLE and CAP_SYS_ADMIN) and a file system that
// supports them. Each says why it could not be made, for a test to skip
// with that reason.

// Sets or clears a file attribute (FS_APPEND_FL, FS_IMMUTABLE_FL), as chattr
// does; false where this user or file system cannot.
bool setFileAttribute(const std::string& path, int attribute, bool on);

// An attribute set for one scope and cleared again, so the file can go.
class ScopedAttribute {
  public:
    ScopedAttribute(std::string path, int attribute);
    ~ScopedAttribute();
    ScopedAttribute(const ScopedAttribute&) = delete;
    ScopedAttribute& operator=(const ScopedAttribute&) = delete;

    bool set() const { return set_; }

  private:
    std::string path_;
    int attribute_;
    bool set_ = false;
};

// A mount for one scope, in a mount namespace of this process's own (made
// on first use, every mount in it private), so nothing mounted here is seen
// outside the process or outlives it. A bind mount when `type` is empty.
class ScopedMount {
  public:
    ScopedMount(const std::string& source, const std::string& target, const std::string& type,
                const std::string& options = "");
    ~ScopedMount();
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;

    bool mounted() const { return mounted_; }
    // Why not, when not mounted.
    const std::string& problem() const { return problem_; }

  private:
    std::string target_;
    bool mounted_ = false;
    std::string problem_;
};
