#pragma once

#include <functional>
#include <string>

// From now on a lost connection to the X server, an X protocol error and a
// GLUT error each end the process at once with status 1 and one line of
// the program's own on standard error, "<program>: ...", followed by what
// the libraries said while start-up messages were held (see
// startup_messages.h). Without this, Xlib and GLUT print lines of their own.
void endOnXFailures(const std::string& program, const std::string& display);

// Runs `call`, a step the program can do without (the tools' window for the
// reference): a GLUT error in it comes back as false with *error GLUT's
// text ("freeglut: ...") instead of ending the process. GLUT is then left
// in the middle of that step: nothing of it may be called again, and the X
// protocol errors its requests left behind are ignored from then on.
bool surviveGlutErrors(const std::function<void()>& call, std::string* error);

// After a step GLUT gave up: when the X server no longer takes a connection,
// the step failed because the server went away, and the process ends as for
// a lost connection (one line, status 1) rather than blaming the step; the
// exit would otherwise meet the dead connection and say so a second time.
// Returns when the server still answers. Bound the call as any X wait.
void endIfServerGone();
