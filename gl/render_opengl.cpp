// TEMPORARY placeholder body so the tree links while the GL renderer is written.
#include "gl/render_opengl.h"
void renderOpenGL(Scene&, int, int) {}
