#pragma once

// For a signal handler that has done its own work first: restores the
// signal's default action, unblocks it and raises it again, so the process
// ends by that signal as if no handler had been installed (the status a
// shell shows is the signal's). Async-signal-safe; errno is kept.
void raiseWithDefaultAction(int signal);
