#include "guard/broken_pipes.h"

#include <cstring>

BrokenPipesIgnored::BrokenPipesIgnored() {
    struct sigaction ignore;
    std::memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    saved_ = sigaction(SIGPIPE, &ignore, &previous_) == 0;
}

BrokenPipesIgnored::~BrokenPipesIgnored() {
    if (saved_) sigaction(SIGPIPE, &previous_, nullptr);
}
