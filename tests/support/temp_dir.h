#pragma once

#include <string>

// A fresh empty directory under the system temp directory (TMPDIR, else
// /tmp); empty when none could be made.
std::string makeTempDir(const std::string& prefix);

// A fresh empty directory that is removed, with everything in it, when the
// object goes out of scope: at the end of the test, passed or failed.
class TempDir {
  public:
    explicit TempDir(const std::string& prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};
