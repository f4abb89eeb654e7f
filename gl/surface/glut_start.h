#pragma once

#include <functional>
#include <string>

#include "guard/x_wait_bound.h"

// How a program starts GLUT on an X display: the viewer and the tools alike.
struct GlutStart {
    std::string program;
    double waitSeconds = kXWaitSeconds;
    // The stretch glutInit is bounded in, as the line names it when the
    // server does not answer.
    std::string what = "opening the display";
    // Asked once the display is open, before glutInit, with the size of its
    // default screen: the reason not to start, or "".
    std::function<std::string(int screenWidth, int screenHeight)> refusal;
    // Runs right after glutInit, in the same bounded stretch with the same
    // messages held (the viewer's first window).
    std::function<void()> alsoWithin;
};

// Starts GLUT once on the display glutInit will use (a -display argument in
// argv, else DISPLAY). First checks that the display can be opened; then,
// explicitly and for the whole process, makes a lost connection, an X
// protocol error and a GLUT error end it with one line "<program>: ..." and
// status 1 (endOnXFailures), and has the GL library draw on the calling
// thread where no thread can start; then runs glutInit, which takes its
// arguments out of argc/argv, within the bound and with what the libraries
// say held back (see startup_messages.h). False, with a one-line reason,
// when there is no display to open or `refusal` gives one: GLUT has not
// started then. *display is the display name used.
bool startGlut(const GlutStart& start, int* argc, char** argv, std::string* display,
               std::string* problem);
