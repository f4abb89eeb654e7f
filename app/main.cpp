#include <GL/glut.h>

#include <signal.h>

#include <cstdio>

#include "app/callbacks.h"
#include "gl/surface/display_check.h"
#include "guard/library_failures.h"
#include "guard/memory_headroom.h"
#include "guard/startup_messages.h"
#include "guard/x_wait_bound.h"
#include "scene/default_scene.h"
#include "scene/scene.h"

int main(int argc, char** argv) {
    // A server that goes away while a request is being written must reach
    // the lost-connection line through Xlib, not end the viewer silently by
    // SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    DisplayProbe probe(argc, argv, "rasterwork");
    if (!probe.problem().empty()) {
        std::fprintf(stderr, "rasterwork: %s\n", probe.problem().c_str());
        return 1;
    }

    // The GL library does not all check its allocations: a window as large
    // as the screen that it has no room for is refused before it starts,
    // and memory running out later is said in one line too.
    int screenWidth = 0, screenHeight = 0;
    probe.screenSize(&screenWidth, &screenHeight);
    expectFramesOf(screenWidth, screenHeight);
    if (!addressSpaceLeft(openGLFrameBytes(screenWidth, screenHeight))) {
        std::fprintf(stderr,
                     "rasterwork: not enough memory for the OpenGL library to draw a window as "
                     "large as the screen (%d x %d)\n",
                     screenWidth, screenHeight);
        return 1;
    }

    // Display mode and size only record settings, so they may precede glutInit.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(480, 480);
    {
        const StartupMessagesHeld held;
        const XWaitBound bound("rasterwork", probe.name(), "opening the window", kXWaitSeconds);
        glutInit(&argc, argv);
        glutCreateWindow("Rasterwork");
    }
    probe.close();  // GLUT holds its own connection now
    const LibraryFailureReport failures("rasterwork", probe.name(), "drawing");

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutIdleFunc(idle);  // the first redraw

    buildDefaultScene(scene);
    glutMainLoop();
    return 0;
}
