#include "AllocationCounter.h"
#include "effects/ParticleEmitter.h"
#include "effects/ParticleFrames.h"
#include "effects/SpriteBatch.h"
#include "math/Random.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int PARTICLES = 50000;
constexpr float FRAME_TIME = 0.025f;  // the game's 40 frames per second

float uniform(float a, float b)
{
    return a + (b - a) * Random::unit();
}

// One particle of a mix like the game's: drifting sparks, fireworks slowed by a
// velocity factor, upright leaves and ballistic throws; a long life unless given one.
void emitMixed(ParticleEmitter& emitter, int i, float lifetime, float now)
{
    const Vector3 position(uniform(-200, 200), uniform(0, 200), uniform(-200, 200));
    const Vector3 velocity(uniform(-100, 100), uniform(-100, 100), uniform(-100, 100));
    const int kind = i % 4;
    const float factor = kind == 1 ? 0.00001f : 1.0f;
    const bool ballistic = kind == 3;
    const bool billboard = kind != 2;
    const float frame = static_cast<float>(18 + i % 5);
    emitter.emit(lifetime, frame, frame, position, velocity, factor, 1.0f, 10.0f, 1, 1, 1, 1, 1,
                 1, 1, 0, 0.0f, 3.0f, ballistic, now, false, false, billboard);
}

struct Scene {
    ParticleEmitter emitter;
    SpriteBatch batch;
    Matrix4 view = Matrix4::rotationY(0.4f) * Matrix4::rotationX(0.3f) *
                   Matrix4::translation({0.0f, -100.0f, -250.0f});
    Matrix4 level = Matrix4::inverseAffine(Matrix4::rotationX(0.05f) * Matrix4::rotationZ(0.03f));
    Vector3 eye{0.0f, 100.0f, 250.0f};
    float now = 0.0f;

    Scene()
    {
        emitter.init(PARTICLES);
        batch.allocate(PARTICLES);
        ParticleFrames::defineAll(batch);
    }

    void frame()
    {
        now += FRAME_TIME;
        emitter.update(FRAME_TIME, now, level);
        batch.prepare(view, eye);
        emitter.submit(batch);
        batch.finish();
    }
};

// Runs one frame and adds its allocations to *frameAllocations; the benchmark
// library's own bookkeeping between iterations is not counted.
void countedFrame(Scene& scene, long* frameAllocations)
{
    const long before = AllocationCounter::count();
    scene.frame();
    *frameAllocations += AllocationCounter::count() - before;
}

void reportFrame(benchmark::State& state, const Scene& scene, long frameAllocations)
{
    state.counters["particles"] = scene.emitter.count();
    state.counters["sprites"] = scene.batch.spriteCount();
    state.counters["allocs_per_frame"] =
        static_cast<double>(frameAllocations) / static_cast<double>(state.iterations());
}

// 50,000 live particles, none dying: the steady full load.
void BM_FrameOfFullPool(benchmark::State& state)
{
    Random::seed(1);
    Scene scene;
    for (int i = 0; i < PARTICLES; ++i)
        emitMixed(scene.emitter, i, 1e6f, 0.0f);
    scene.frame();

    long frameAllocations = 0;
    for (auto _ : state)
        countedFrame(scene, &frameAllocations);
    reportFrame(state, scene, frameAllocations);
}

// About 50,000 live particles of 1 to 3 s, the dead replaced every frame, so
// removal and emission run as in play.
void BM_FrameWithTurnover(benchmark::State& state)
{
    Random::seed(2);
    Scene scene;
    int serial = 0;
    const auto refill = [&] {
        while (scene.emitter.count() < PARTICLES)
            emitMixed(scene.emitter, serial++, uniform(1.0f, 3.0f), scene.now);
    };
    refill();
    scene.frame();

    long frameAllocations = 0;
    for (auto _ : state) {
        const long before = AllocationCounter::count();
        refill();
        frameAllocations += AllocationCounter::count() - before;
        countedFrame(scene, &frameAllocations);
    }
    reportFrame(state, scene, frameAllocations);
}

}  // namespace

BENCHMARK(BM_FrameOfFullPool)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameWithTurnover)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
