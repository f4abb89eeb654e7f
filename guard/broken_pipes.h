#pragma once

#include <signal.h>

// While one lives, SIGPIPE is ignored: a write to a connection whose other
// end has gone fails with EPIPE, for the caller to report in its own words,
// instead of ending the process silently by the signal. The action that was
// set before comes back when it goes.
class BrokenPipesIgnored {
  public:
    BrokenPipesIgnored();
    ~BrokenPipesIgnored();
    BrokenPipesIgnored(const BrokenPipesIgnored&) = delete;
    BrokenPipesIgnored& operator=(const BrokenPipesIgnored&) = delete;

  private:
    struct sigaction previous_ {};
    bool saved_ = false;
};
