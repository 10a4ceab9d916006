#pragma once

#include <GL/glew.h>

// Binds a buffer object to target for the scope's lifetime and binds 0 at its end,
// so that later client-side arrays are read from memory again.
class BufferBinding {
public:
    BufferBinding(GLenum bindTarget, GLuint buffer) : target(bindTarget) { glBindBufferARB(target, buffer); }
    ~BufferBinding() { glBindBufferARB(target, 0); }
    BufferBinding(const BufferBinding&) = delete;
    BufferBinding& operator=(const BufferBinding&) = delete;

private:
    GLenum target;
};
