#pragma once

#include "math/Matrix4.h"

// The scene's one light, GL_LIGHT0, which also casts the shadows: its position
// with the projection and view matrices that look from it at the level.
class Light {
public:
    Light() = default;

    // White ambient, diffuse and specular for GL_LIGHT0, the position stored (not
    // yet given to GL), the default projection and view towards (0, 0, -50), and
    // lighting switched on.
    void init(const float position[4]);
    // Moves the light and aims it; changes no lighting state.
    void setView(const float position[4], float targetX, float targetY, float targetZ, float fovy, float aspect,
                 float zNear, float zFar);
    // GL_POSITION of GL_LIGHT0, taken in the current modelview's frame (call it
    // right after the camera is applied, for world coordinates).
    void applyPosition() const;

    const float* position() const { return lightPosition; }  // x, y, z, w = 1
    const Matrix4& projection() const { return projectionMatrix; }
    const Matrix4& view() const { return viewMatrix; }

private:
    // Reads gluPerspective and gluLookAt results back through the modelview stack.
    void captureMatrices(float fovy, float aspect, float zNear, float zFar, float targetX, float targetY,
                         float targetZ);

    float lightPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    Matrix4 projectionMatrix;
    Matrix4 viewMatrix;
    float ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};
