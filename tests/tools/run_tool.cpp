#include "run_tool.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "child_process.h"
#include "temp_dir.h"

std::vector<std::string> toolCommand(const std::vector<std::string>& argv,
                                     const std::string& workDir, const std::string& display,
                                     const std::vector<std::string>& extraEnv) {
    std::vector<std::string> command = {"env", "-C", workDir, "-u", "DISPLAY"};
    if (!display.empty()) command.push_back("DISPLAY=" + display);
    command.insert(command.end(), extraEnv.begin(), extraEnv.end());
    command.insert(command.end(), argv.begin(), argv.end());
    return command;
}

ToolRun runTool(const std::vector<std::string>& argv, const std::string& workDir,
                const std::string& display, double timeoutSeconds, const ChildSettings& settings,
                const std::string& stdoutPath, const std::vector<std::string>& extraEnv) {
    static const TempDir logDir("rasterwork-tool-logs-");
    const std::string& logs = logDir.path();
    const std::string outPath = stdoutPath.empty() ? logs + "/stdout" : stdoutPath;
    const std::string errPath = logs + "/stderr";
    ToolRun run;
    {
        ChildProcess child(toolCommand(argv, workDir, display, extraEnv), {}, outPath, errPath,
                           settings);
        run.finished = child.waitForExit(timeoutSeconds, &run.status);
    }
    struct stat info;
    if (stat(outPath.c_str(), &info) == 0 && S_ISREG(info.st_mode)) run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

std::string snapshotBinary() {
    return RW_SNAPSHOT_BINARY;
}

std::string compareBinary() {
#ifdef RW_COMPARE_BINARY
    return RW_COMPARE_BINARY;
#else
    return "";  // a build without OpenGL has none
#endif
}

std::vector<std::string> listDirectory(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(d)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}
