#include <GL/glut.h>

#include <cstdio>

#include "app/callbacks.h"
#include "gl/display_check.h"
#include "gl/startup_messages.h"
#include "gl/x_wait_bound.h"
#include "scene/default_scene.h"
#include "scene/scene.h"

int main(int argc, char** argv) {
    DisplayProbe probe(argc, argv, "rasterwork");
    if (!probe.problem().empty()) {
        std::fprintf(stderr, "rasterwork: %s\n", probe.problem().c_str());
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
