#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& extraEnv, const std::string& stdoutPath,
                           const std::string& stderrPath, const ChildSettings& settings) {
    pid_ = fork();
    if (pid_ != 0) return;
    setpgid(0, 0);
    if (settings.addressSpaceLimit != 0) {
        const rlimit limit{settings.addressSpaceLimit, settings.addressSpaceLimit};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
    }
    for (const std::string& kv : extraEnv) putenv(strdup(kv.c_str()));
    const int in = open("/dev/null", O_RDONLY);
    const int out =
        settings.stdoutDescriptor >= 0
            ? settings.stdoutDescriptor
            : open(stdoutPath.c_str(),
                   O_WRONLY | O_CREAT | (settings.appendStdout ? O_APPEND : O_TRUNC), 0644);
    const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in >= 0) dup2(in, STDIN_FILENO);
    if (out >= 0) dup2(out, STDOUT_FILENO);
    if (err >= 0) dup2(err, STDERR_FILENO);
    if (settings.closeStdout) close(STDOUT_FILENO);
    if (settings.processLimit != 0) {
        const rlimit limit{settings.processLimit, settings.processLimit};
        if (setrlimit(RLIMIT_NPROC, &limit) != 0) _exit(126);
    }
    if (settings.fileSizeLimit != 0) {
        const rlimit limit{settings.fileSizeLimit, settings.fileSizeLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(strdup(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

ChildProcess::~ChildProcess() {
    kill();
}

bool ChildProcess::waitForExit(double timeoutSeconds, int* status) {
    if (pid_ <= 0 || reaped_) return false;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (true) {
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) == pid_) {
            reaped_ = true;
            if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool ChildProcess::running() {
    if (pid_ <= 0 || reaped_) return false;
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
        reaped_ = true;
        return false;
    }
    return true;
}

void ChildProcess::kill() {
    if (pid_ <= 0 || reaped_) return;
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    reaped_ = true;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int countLines(const std::string& text) {
    if (text.empty() || text.back() != '\n') return -1;
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

long residentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

std::string largeResidentMappings(pid_t pid, long minimumKiB) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::string line, mapping, listed;
    while (std::getline(in, line)) {
        const std::string first = line.substr(0, line.find(' '));
        if (first.find('-') != std::string::npos) {
            mapping = line;  // a mapping's heading: its range, rights, offset, file
        } else if (first == "Rss:") {
            const long kib = std::stol(line.substr(4));
            if (kib >= minimumKiB) listed += mapping + ": " + std::to_string(kib) + " KiB\n";
        }
    }
    return listed;
}
