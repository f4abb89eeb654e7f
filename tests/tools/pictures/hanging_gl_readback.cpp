// Preloaded ahead of the GL library (LD_PRELOAD): a read-back that never
// returns, as in a driver that waits forever for a thread of its own.
#include <GL/gl.h>
#include <unistd.h>

extern "C" __attribute__((visibility("default"))) void glReadPixels(GLint, GLint, GLsizei, GLsizei,
                                                                    GLenum, GLenum, GLvoid*) {
    for (;;) pause();
}
