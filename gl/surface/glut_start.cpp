#include "gl/surface/glut_start.h"

#include <GL/freeglut.h>

#include "gl/surface/display_check.h"
#include "guard/render_threads.h"
#include "guard/startup_messages.h"
#include "guard/x_failures.h"

bool startGlut(const GlutStart& start, int* argc, char** argv, std::string* display,
               std::string* problem) {
    const std::string name = requestedDisplay(*argc, argv);
    if (name.empty()) {
        *problem = "no X display: DISPLAY is not set (run it in an X session or under xvfb-run)";
        return false;
    }
    fitRenderThreadsToWhatCanStart();
    endOnXFailures(start.program, name);
    DisplayProbe probe(name, start.program, start.waitSeconds);
    if (!probe.problem().empty()) {
        *problem = probe.problem();
        return false;
    }
    if (start.refusal) {
        int width = 0, height = 0;
        probe.screenSize(&width, &height);
        const std::string refusal = start.refusal(width, height);
        if (!refusal.empty()) {
            *problem = refusal;
            return false;
        }
    }
    *display = name;  // failures end the program with a line of its own from here
    {
        const StartupMessagesHeld held;
        const XWaitBound bound(start.program, name, start.what, start.waitSeconds);
        glutInit(argc, argv);
        if (start.alsoWithin) start.alsoWithin();
    }
    probe.close();  // GLUT holds its own connection now
    return true;
}
