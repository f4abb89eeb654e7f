#include "silent_x_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

SilentXServer::SilentXServer() {
    for (int number = 300; number < 1000 && fd_ < 0; ++number) {
        // A display with a socket file or lock file is someone's.
        struct stat info;
        const std::string n = std::to_string(number);
        if (stat(("/tmp/.X11-unix/X" + n).c_str(), &info) == 0) continue;
        if (stat(("/tmp/.X" + n + "-lock").c_str(), &info) == 0) continue;

        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return;
        sockaddr_un address;
        std::memset(&address, 0, sizeof address);
        address.sun_family = AF_UNIX;
        const std::string name = "/tmp/.X11-unix/X" + n;  // after a leading NUL: abstract
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        const socklen_t length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd, 16) == 0) {
            fd_ = fd;
            display_ = ":" + n;
        } else {
            close(fd);
        }
    }
}

bool SilentXServer::waitForClient(double seconds) const {
    pollfd pending{fd_, POLLIN, 0};
    return fd_ >= 0 && poll(&pending, 1, static_cast<int>(seconds * 1000.0)) == 1;
}

SilentXServer::~SilentXServer() {
    if (fd_ >= 0) close(fd_);
}
