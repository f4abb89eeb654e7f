#include <GL/glut.h>

#include <signal.h>

#include <cstdio>
#include <string>

#include "app/callbacks.h"
#include "gl/surface/glut_start.h"
#include "guard/library_failures.h"
#include "guard/memory_headroom.h"
#include "scene/default_scene.h"
#include "scene/scene.h"

int main(int argc, char** argv) {
    // A server that goes away while a request is being written must reach
    // the lost-connection line through Xlib, not end the viewer silently by
    // SIGPIPE.
    signal(SIGPIPE, SIG_IGN);

    // Display mode and size only record settings, so they may precede glutInit.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(480, 480);
    GlutStart start;
    start.program = "rasterwork";
    start.what = "opening the window";
    // The GL library does not all check its allocations: a window as large
    // as the screen that it has no room for is refused before it starts,
    // and memory running out later is said in one line too.
    start.refusal = [](int screenWidth, int screenHeight) {
        return openGLMemoryRefusal(screenWidth, screenHeight,
                                   "a window as large as the screen (" +
                                       std::to_string(screenWidth) + " x " +
                                       std::to_string(screenHeight) + ")");
    };
    start.alsoWithin = [] { glutCreateWindow("Rasterwork"); };
    std::string displayName, problem;
    if (!startGlut(start, &argc, argv, &displayName, &problem)) {
        std::fprintf(stderr, "rasterwork: %s\n", problem.c_str());
        return 1;
    }
    const LibraryFailureReport failures("rasterwork", displayName, "drawing");

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutIdleFunc(idle);  // the first redraw

    buildDefaultScene(viewerScene);
    glutMainLoop();
    return 0;
}
