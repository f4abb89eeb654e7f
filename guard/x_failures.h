#pragma once

#include <string>

// From now on a lost connection to the X server, an X protocol error and a
// GLUT error each end the process at once with status 1 and one line of
// the program's own on standard error, "<program>: ...", followed by what
// the libraries said while start-up messages were held (see
// startup_messages.h). Without this, Xlib and GLUT print lines of their own.
void endOnXFailures(const std::string& program, const std::string& display);
