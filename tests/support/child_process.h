#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// How a child starts besides its arguments and environment.
struct ChildSettings {
    bool appendStdout = false;                 // append to the stdout file instead of emptying it
    unsigned long long addressSpaceLimit = 0;  // RLIMIT_AS in bytes; 0 keeps the parent's
    unsigned long long processLimit = 0;       // RLIMIT_NPROC; 0 keeps the parent's
    unsigned long long fileSizeLimit = 0;      // RLIMIT_FSIZE in bytes; 0 keeps the parent's
    bool closeStdout = false;                  // start with standard output closed
    int stdoutDescriptor = -1;  // standard output on this open descriptor instead of a file
};

// A program started with extra environment variables, its standard output and
// error sent to files. Killed (with its process group) on destruction.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                 const std::string& stdoutPath, const std::string& stderrPath,
                 const ChildSettings& settings = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Waits at most timeoutSeconds; true when the process ended, with its
    // exit status (or 128 + signal) in *status.
    bool waitForExit(double timeoutSeconds, int* status);
    bool running();
    void kill();

  private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

// Resident memory of a process in KiB, from /proc; -1 when unreadable.
long residentKiB(pid_t pid);

// The process's mappings with at least minimumKiB resident, one line each
// (address range, resident KiB, name), for a failure message.
std::string largeResidentMappings(pid_t pid, long minimumKiB);

std::string readFile(const std::string& path);

// Number of lines of a text made of newline-terminated lines; -1 when the
// text is empty or its last line has no newline.
int countLines(const std::string& text);
