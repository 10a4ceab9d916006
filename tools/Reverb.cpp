#include "tools/Reverb.h"

#include "tools/AudioBuffer.h"

namespace {
// Delay lengths in samples at 44.1 kHz, mutually prime so echoes do not pile up.
constexpr int COMB_LENGTHS[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int ALL_PASS_LENGTHS[4] = {556, 441, 341, 225};
constexpr int STEREO_SPREAD = 23;
constexpr float INPUT_GAIN = 0.015f;
}  // namespace

Reverb::Reverb(float roomSize, float damp) : feedback(0.7f + 0.28f * roomSize), damping(0.4f * damp)
{
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 8; ++i) {
            combs[c][i].line.assign(static_cast<std::size_t>(COMB_LENGTHS[i] + c * STEREO_SPREAD), 0.0f);
        }
        for (int i = 0; i < 4; ++i) {
            allPasses[c][i].line.assign(static_cast<std::size_t>(ALL_PASS_LENGTHS[i] + c * STEREO_SPREAD), 0.0f);
        }
    }
}

void Reverb::apply(AudioBuffer& buffer, float wet)
{
    const int passes = buffer.isLooping() ? 2 : 1;
    const int frames = buffer.frames();
    std::vector<float> out[2] = {std::vector<float>(static_cast<std::size_t>(frames)),
                                 std::vector<float>(static_cast<std::size_t>(frames))};
    for (int pass = 0; pass < passes; ++pass) {
        for (int f = 0; f < frames; ++f) {
            const float input = (buffer.at(0, f) + buffer.at(1, f)) * INPUT_GAIN;
            for (int c = 0; c < 2; ++c) {
                float sum = 0.0f;
                for (Comb& comb : combs[c]) {
                    const float delayed = comb.line[comb.position];
                    comb.store = delayed * (1.0f - damping) + comb.store * damping;
                    comb.line[comb.position] = input + comb.store * feedback;
                    comb.position = (comb.position + 1) % comb.line.size();
                    sum += delayed;
                }
                for (AllPass& allPass : allPasses[c]) {
                    const float delayed = allPass.line[allPass.position];
                    allPass.line[allPass.position] = sum + delayed * 0.5f;
                    allPass.position = (allPass.position + 1) % allPass.line.size();
                    sum = delayed - sum;
                }
                out[c][static_cast<std::size_t>(f)] = sum;
            }
        }
    }
    for (int f = 0; f < frames; ++f) {
        buffer.at(0, f) += wet * out[0][static_cast<std::size_t>(f)];
        buffer.at(1, f) += wet * out[1][static_cast<std::size_t>(f)];
    }
}
