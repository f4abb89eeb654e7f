#include "gl/render_opengl.h"

#include <GL/glu.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>

#include "gl/bitmap_text.h"
#include "gl/matrix_handover.h"

namespace {
const char kOverlayText[] = "OpenGL rendering (toggle with 'g')";

std::array<GLfloat, 4> rgba(const Color& c) {
    return {c.r, c.g, c.b, c.a};
}

void reportPendingErrors() {
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        std::printf("ERROR: 0x%x\n", error);
    }
}

// Drawn with whatever colour is current, in window pixels from the lower-left
// corner, before the depth test is switched on.
void drawOverlay(int width, int height) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
    glRasterPos2f(10.0f, 10.0f);
    drawHelvetica18(kOverlayText);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

void loadMatrix(const Matrix4& m) {
    float columnMajor[16];
    toColumnMajorFloats(m, columnMajor);
    glLoadMatrixf(columnMajor);
}

// Every light is handed over as a direction (w = 0). The model-view matrix
// already holds the view, so the directions stay fixed in world space. Light
// indices past the platform's limit are passed on; the platform's error shows
// up in the next frame's report.
void setLights(const Scene& scene) {
    for (std::size_t i = 0; i < scene.lights.size(); ++i) {
        const Light& light = scene.lights[i];
        const GLenum id = GL_LIGHT0 + static_cast<GLenum>(i);
        const GLfloat direction[4] = {light.position.x, light.position.y, light.position.z, 0.0f};
        const std::array<GLfloat, 4> color = rgba(light.color);
        glLightfv(id, GL_POSITION, direction);
        glLightfv(id, GL_DIFFUSE, color.data());
        glLightfv(id, GL_SPECULAR, color.data());
        glEnable(id);
    }
}

void setMaterial(const Scene& scene, const Material& material) {
    glMaterialfv(GL_FRONT, GL_AMBIENT, rgba(scene.ambient).data());
    glMaterialfv(GL_FRONT, GL_DIFFUSE, rgba(material.diffuse).data());
    glMateriali(GL_FRONT, GL_SHININESS, material.shininess);
    glMaterialfv(GL_FRONT, GL_SPECULAR, rgba(material.specular).data());
}

// The face colour does not enter the lighting (no colour-material mode); it is
// the current colour the frame leaves behind for the next overlay.
void setFaceColor(const Scene& scene, const Material& material, const Face& face) {
    if (scene.lights.empty() || face.vertices.empty()) return;
    const float factor = std::fabs(dot3(face.vertices[0].normal, scene.lights[0].position));
    glColor3f(material.diffuse.r * factor, material.diffuse.g * factor,
              material.diffuse.b * factor);
}

void drawFace(const Face& face) {
    glBegin(GL_POLYGON);
    for (const Vertex& vertex : face.vertices) {
        glTexCoord2f(vertex.texCoord[0], vertex.texCoord[1]);
        const GLfloat normal[3] = {vertex.normal.x, vertex.normal.y, vertex.normal.z};
        const GLfloat position[4] = {vertex.position.x, vertex.position.y, vertex.position.z,
                                     vertex.position.w};
        glNormal3fv(normal);
        glVertex4fv(position);
    }
    glEnd();
}
}  // namespace

void renderOpenGL(Scene& scene, int width, int height) {
    reportPendingErrors();
    drawOverlay(width, height);

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 0.0f);

    glMatrixMode(GL_MODELVIEW);
    loadMatrix(scene.viewTransform.matrix);
    glMatrixMode(GL_PROJECTION);
    loadMatrix(scene.projectionTransform.matrix);

    glEnable(GL_LIGHTING);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, rgba(scene.ambient).data());
    setLights(scene);

    for (const SceneObject& object : scene.objects) {
        setMaterial(scene, object.material);
        for (const Face& face : object.faces) {
            setFaceColor(scene, object.material, face);
            drawFace(face);
        }
    }

    glFlush();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}
