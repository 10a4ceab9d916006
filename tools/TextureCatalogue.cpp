#include "tools/TextureCatalogue.h"

#include "tools/JungleTextures.h"
#include "tools/LagoonTextures.h"
#include "tools/ObjectTextures.h"
#include "tools/VolcanoTextures.h"

const std::vector<TextureCatalogue::Entry>& TextureCatalogue::entries()
{
    using F = Format;
    static const std::vector<Entry> list = {
        {"default_concrete", ObjectTextures::concrete, 512, 1u, F::TARGA, 0.0f},
        {"ball_marble", ObjectTextures::marble, 512, 2u, F::TARGA, 0.0f},
        {"target_marker", ObjectTextures::target, 256, 3u, F::TARGA, 0.0f},
        {"jungle_grass", JungleTextures::grass, 512, 101u, F::TARGA, 0.012f},
        {"jungle_bark", JungleTextures::bark, 512, 102u, F::TARGA, 0.03f},
        {"jungle_planks", JungleTextures::planks, 512, 103u, F::TARGA, 0.02f},
        {"jungle_stone", JungleTextures::mossyStone, 512, 104u, F::TARGA, 0.03f},
        {"jungle_leaves", JungleTextures::leaves, 512, 105u, F::DDS, 0.0f},
        {"volcano_basalt", VolcanoTextures::basalt, 512, 201u, F::TARGA, 0.03f},
        {"volcano_lava", VolcanoTextures::lava, 512, 202u, F::TARGA, 0.025f},
        {"volcano_ash", VolcanoTextures::ash, 512, 203u, F::DDS, 0.0f},
        {"volcano_obsidian", VolcanoTextures::obsidian, 512, 204u, F::TARGA, 0.02f},
        {"volcano_grate", VolcanoTextures::grate, 512, 205u, F::TARGA, 0.04f},
        {"lagoon_sand", LagoonTextures::sand, 512, 301u, F::DDS, 0.01f},
        {"lagoon_water", LagoonTextures::shallowWater, 512, 302u, F::TARGA, 0.02f},
        {"lagoon_coral", LagoonTextures::coral, 512, 303u, F::TARGA, 0.03f},
        {"lagoon_wetstone", LagoonTextures::wetStone, 512, 304u, F::TARGA, 0.03f},
        {"lagoon_pier", LagoonTextures::pierPlanks, 512, 305u, F::TARGA, 0.02f},
    };
    return list;
}
