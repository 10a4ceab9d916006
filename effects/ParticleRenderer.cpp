#include "effects/ParticleRenderer.h"

#include "level/TextureManager.h"

#include <GL/glew.h>

#include <cstddef>
#include <cstring>

static_assert(ParticleRenderer::VERTEX_BYTES_PER_SPRITE == 144, "four 36-byte vertices");
static_assert(sizeof(GLuint) == 4, "32-bit indices");

namespace {

// Byte offsets into a bound buffer, as the pointer calls take them.
const void* bufferOffset(std::size_t bytes)
{
    return reinterpret_cast<const void*>(bytes);
}

}  // namespace

ParticleRenderer::~ParticleRenderer()
{
    release();
}

void ParticleRenderer::load(const char* textureFile, int maximumSprites)
{
    release();
    atlas = TextureManager::instance()->loadTexture(textureFile, true, true, false);
    allocate(maximumSprites);
    const auto sprites = static_cast<GLsizeiptrARB>(SpriteBatch::maximumSprites());

    // The vertex buffer is refilled every frame; the index pattern never changes.
    glGenBuffersARB(1, &vertexBuffer);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, vertexBuffer);
    glBufferDataARB(GL_ARRAY_BUFFER_ARB, sprites * VERTEX_BYTES_PER_SPRITE, nullptr,
                    GL_STREAM_DRAW_ARB);
    glGenBuffersARB(1, &indexBuffer);
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, indexBuffer);
    glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, sprites * INDEX_BYTES_PER_SPRITE, indices(),
                    GL_STATIC_DRAW_ARB);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
}

void ParticleRenderer::render()
{
    const int sprites = spriteCount();
    if (sprites == 0)
        return;

    // Additive blending over the scene; particles test depth but do not write it,
    // so they never hide each other.
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    // If the buffer cannot be mapped, the previous frame's vertices are drawn.
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, vertexBuffer);
    if (void* target = glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB)) {
        std::memcpy(target, vertices(),
                    static_cast<std::size_t>(sprites) * VERTEX_BYTES_PER_SPRITE);
        glUnmapBufferARB(GL_ARRAY_BUFFER_ARB);
    }
    const GLsizei stride = sizeof(Vertex);
    glTexCoordPointer(2, GL_FLOAT, stride, bufferOffset(offsetof(Vertex, u)));
    glColorPointer(4, GL_FLOAT, stride, bufferOffset(offsetof(Vertex, r)));
    glVertexPointer(3, GL_FLOAT, stride, bufferOffset(offsetof(Vertex, x)));
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, indexBuffer);
    glDrawElements(GL_TRIANGLES, sprites * INDICES_PER_SPRITE, GL_UNSIGNED_INT, bufferOffset(0));

    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDepthMask(GL_TRUE);
    glEnable(GL_LIGHTING);
}

void ParticleRenderer::release()
{
    deallocate();
    if (vertexBuffer)
        glDeleteBuffersARB(1, &vertexBuffer);
    if (indexBuffer)
        glDeleteBuffersARB(1, &indexBuffer);
    vertexBuffer = 0;
    indexBuffer = 0;
}
