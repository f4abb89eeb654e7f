#include "guard/resources_left.h"

#include <fcntl.h>
#include <unistd.h>

#include "guard/memory_headroom.h"

namespace {

bool aDescriptorLeft() {
    const int spare = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (spare < 0) return false;
    close(spare);
    return true;
}

}  // namespace

std::string resourceThatRanOut(std::size_t addressSpace) {
    if (!addressSpaceLeft(addressSpace)) return "not enough memory";
    if (!aDescriptorLeft()) return "no file descriptor left";
    return "";
}
