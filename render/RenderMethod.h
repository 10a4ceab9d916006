#pragma once

// How render objects hand their vertices to OpenGL; cycled at run time. Every
// method draws the same picture.
enum RenderMethod {
    RENDERMETHOD_IMMEDIATE = 0,     // glBegin/glEnd per vertex
    RENDERMETHOD_VERTEXARRAY = 1,   // client-side arrays
    RENDERMETHOD_VERTEXBUFFER = 2,  // buffer objects (the default)
};
