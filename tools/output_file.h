#pragma once

#include <cstdio>
#include <string>
#include <utility>

// An output file that appears under its name only once it is complete.
//
// For a regular file (or a name that does not exist yet) the data goes to a
// temporary file in the same directory, which commit() renames over the
// target; a symbolic link is followed, so the file it points to is replaced.
// Devices and pipes (/dev/stdout, a FIFO) are written in place, since they
// cannot be renamed over. Without a successful commit() the destructor
// removes the temporary file and leaves any existing target untouched.
class OutputFile {
  public:
    explicit OutputFile(std::string path) : path_(std::move(path)) {}
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks that the file can be written and opens the stream; on failure
    // returns false with a one-line reason in *error.
    bool open(std::string* error);
    std::FILE* stream() const { return stream_; }
    // Flushes, closes and moves the data into place.
    bool commit(std::string* error);
    const std::string& path() const { return path_; }

  private:
    void discard();

    std::string path_;
    std::string target_;     // where the data ends up (symlinks resolved)
    std::string temporary_;  // empty when writing in place
    std::FILE* stream_ = nullptr;
    bool committed_ = false;
};
