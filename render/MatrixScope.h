#pragma once

#include <GL/glew.h>

// Pushes the current matrix stack for the scope's lifetime; pops it at the end.
class MatrixScope {
public:
    MatrixScope() { glPushMatrix(); }
    ~MatrixScope() { glPopMatrix(); }
    MatrixScope(const MatrixScope&) = delete;
    MatrixScope& operator=(const MatrixScope&) = delete;
};
