#include "effects/ParticleFrames.h"

#include "effects/SpriteBatch.h"

#include <cassert>

namespace {

// Frames end one pixel short of their 128- or 256-pixel cell, which keeps linear
// filtering off the neighbouring cell.
constexpr ParticleFrames::Rectangle FRAMES[ParticleFrames::COUNT] = {
    {0, 768, 127, 127},   {128, 768, 31, 31},
    {0, 256, 127, 127},   {0, 384, 127, 127},   {0, 512, 127, 127},   {0, 640, 127, 127},
    {128, 256, 127, 127}, {128, 384, 127, 127}, {128, 512, 127, 127}, {128, 640, 127, 127},
    {256, 256, 127, 127}, {256, 384, 127, 127}, {256, 512, 127, 127}, {256, 640, 127, 127},
    {384, 256, 127, 127}, {384, 384, 127, 127}, {384, 512, 127, 127}, {384, 640, 127, 127},
    {0, 0, 255, 255},     {512, 0, 255, 255},   {512, 256, 255, 255}, {768, 0, 255, 255},
    {768, 256, 255, 255},
    {512, 512, 127, 127}, {512, 640, 127, 127}, {512, 768, 127, 127}, {512, 896, 127, 127},
    {640, 512, 127, 127}, {640, 640, 127, 127}, {640, 768, 127, 127}, {640, 896, 127, 127},
    {768, 512, 127, 127}, {768, 640, 127, 127}, {768, 768, 127, 127}, {768, 896, 127, 127},
    {896, 512, 127, 127}, {896, 640, 127, 127}, {896, 768, 127, 127}, {896, 896, 127, 127},
    {256, 0, 127, 127},
};

}  // namespace

ParticleFrames::Rectangle ParticleFrames::rectangle(int frame)
{
    assert(frame >= 0 && frame < COUNT);
    return FRAMES[frame];
}

void ParticleFrames::defineAll(SpriteBatch& batch)
{
    for (int k = 0; k < COUNT; ++k) {
        const Rectangle& r = FRAMES[k];
        const float origin[2] = {static_cast<float>(r.x), static_cast<float>(r.y)};
        const float size[2] = {static_cast<float>(r.width), static_cast<float>(r.height)};
        batch.defineFrame(k, origin, size);
    }
}
