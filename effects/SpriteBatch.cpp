#include "effects/SpriteBatch.h"

#include <cmath>
#include <cstddef>

static_assert(sizeof(SpriteBatch::Vertex) == 36, "the vertex layout is uploaded unconverted");

void SpriteBatch::allocate(int maximumSprites)
{
    maximum = maximumSprites > 0 ? maximumSprites : 0;
    const std::size_t count = static_cast<std::size_t>(maximum);
    vertexArray.assign(count * VERTICES_PER_SPRITE, Vertex{});
    indexArray.resize(count * INDICES_PER_SPRITE);
    for (std::size_t s = 0; s < count; ++s) {
        const auto b = static_cast<std::uint32_t>(s * VERTICES_PER_SPRITE);
        std::uint32_t* out = &indexArray[s * INDICES_PER_SPRITE];
        out[0] = b;
        out[1] = b + 2;
        out[2] = b + 1;
        out[3] = b;
        out[4] = b + 3;
        out[5] = b + 2;
    }
    sprites = 0;
    vertexTotal = 0;
}

void SpriteBatch::deallocate()
{
    std::vector<Vertex>().swap(vertexArray);
    std::vector<std::uint32_t>().swap(indexArray);
    maximum = 0;
    sprites = 0;
    vertexTotal = 0;
    open = false;
}

void SpriteBatch::defineFrame(int frame, const float origin[2], const float size[2])
{
    if (frame < 0 || frame >= FRAME_COUNT)
        return;
    const float x0 = origin[0] / ATLAS_SIZE;
    const float y0 = origin[1] / ATLAS_SIZE;
    const float x1 = (origin[0] + size[0]) / ATLAS_SIZE;
    const float y1 = (origin[1] + size[1]) / ATLAS_SIZE;
    Frame& f = frames[frame];
    f.defined = true;
    f.corners[0][0] = x0;
    f.corners[0][1] = y0;
    f.corners[1][0] = x1;
    f.corners[1][1] = y0;
    f.corners[2][0] = x1;
    f.corners[2][1] = y1;
    f.corners[3][0] = x0;
    f.corners[3][1] = y1;
}

bool SpriteBatch::isFrameDefined(int frame) const
{
    return frame >= 0 && frame < FRAME_COUNT && frames[frame].defined;
}

void SpriteBatch::prepare(const Matrix4& view, const Vector3& /*eye: quads need only the axes*/)
{
    sprites = 0;
    vertexTotal = 0;
    // The first two rows of the view matrix are the camera's right and up in world space.
    cameraRight = Vector3::normalized({view[0], view[4], view[8]});
    cameraUp = Vector3::normalized({view[1], view[5], view[9]});
    open = true;
}

int SpriteBatch::addSprite(int frame, const Vector3& p, float r, float g, float b, float a,
                           const float size[2], float angle, bool billboard)
{
    if (!open)
        return REFUSED;
    if (frame < 0 || frame >= FRAME_COUNT)
        return FRAME_INVALID;
    if (sprites >= maximum)
        return REFUSED;

    // Half axes of the quad, turned by angle within the plane of right and the vertical.
    const Vector3 vertical = billboard ? cameraUp : Vector3(0.0f, 1.0f, 0.0f);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float w = 0.5f * size[0];
    const float h = 0.5f * size[1];
    const Vector3 halfX = cameraRight * (c * w) + vertical * (s * h);
    const Vector3 halfY = cameraRight * (-s * w) + vertical * (c * h);
    const Vector3 corners[VERTICES_PER_SPRITE] = {p - halfX + halfY, p + halfX + halfY,
                                                  p + halfX - halfY, p - halfX - halfY};

    const Frame& f = frames[frame];
    Vertex* out = &vertexArray[static_cast<std::size_t>(vertexTotal)];
    for (int k = 0; k < VERTICES_PER_SPRITE; ++k)
        out[k] = {f.corners[k][0], f.corners[k][1], r, g, b, a,
                  corners[k].x, corners[k].y, corners[k].z};
    vertexTotal += VERTICES_PER_SPRITE;
    return sprites++;
}

void SpriteBatch::finish()
{
    open = false;
}
