#include "render/Light.h"

#include "render/MatrixScope.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>

namespace {

// The light's view volume before the game first moves it.
constexpr float DEFAULT_FOVY = 40.0f;
constexpr float DEFAULT_ASPECT = 1.45f;
constexpr float DEFAULT_NEAR = 180.0f;
constexpr float DEFAULT_FAR = 420.0f;
constexpr float DEFAULT_TARGET[3] = {0.0f, 0.0f, -50.0f};

}  // namespace

void Light::init(const float position[4])
{
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    std::copy(position, position + 4, lightPosition);
    captureMatrices(DEFAULT_FOVY, DEFAULT_ASPECT, DEFAULT_NEAR, DEFAULT_FAR, DEFAULT_TARGET[0], DEFAULT_TARGET[1],
                    DEFAULT_TARGET[2]);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void Light::setView(const float position[4], float targetX, float targetY, float targetZ, float fovy, float aspect,
                    float zNear, float zFar)
{
    std::copy(position, position + 4, lightPosition);
    captureMatrices(fovy, aspect, zNear, zFar, targetX, targetY, targetZ);
}

void Light::applyPosition() const
{
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
}

void Light::captureMatrices(float fovy, float aspect, float zNear, float zFar, float targetX, float targetY,
                            float targetZ)
{
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    {
        const MatrixScope scratch;
        glLoadIdentity();
        gluPerspective(fovy, aspect, zNear, zFar);
        glGetFloatv(GL_MODELVIEW_MATRIX, projectionMatrix.data());
        glLoadIdentity();
        gluLookAt(lightPosition[0], lightPosition[1], lightPosition[2], targetX, targetY, targetZ, 0.0, 1.0, 0.0);
        glGetFloatv(GL_MODELVIEW_MATRIX, viewMatrix.data());
    }
    glMatrixMode(static_cast<GLenum>(mode));
}
