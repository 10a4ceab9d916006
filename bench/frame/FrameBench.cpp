// Renders every level through the game's own update and display, uncapped,
// from the start camera and from a camera looking across the course, and
// prints per window size and level the milliseconds of each pass, the rate,
// the level's load time and the resident memory.
//
//   frame_bench [--frames N] [--size WxH]... [--level I]... [--shots DIR]
//   (default: 120 frames; 640x480 and 1024x768; every level; with --shots,
//   each row's last frame is saved as DIR/WxH-level-camera.png to compare looks)

#include "game/Game.h"
#include "game/GameWorld.h"
#include "level/PngWriter.h"
#include "platform/DriverTuning.h"
#include "render/Camera.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double residentMegabytes()
{
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (file) {
        if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(file);
    }
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

void frame(Game& game)
{
    game.update();
    game.display();
}

// Lets the window system apply a new window size, then tells the game.
void resize(Game& game, int width, int height)
{
    glutReshapeWindow(width, height);
    for (int i = 0; i < 20 && (glutGet(GLUT_WINDOW_WIDTH) != width || glutGet(GLUT_WINDOW_HEIGHT) != height); ++i)
        glutMainLoopEvent();
    game.reshape(width, height);
}

struct View {
    const char* name;
    float distance, pitch, yaw;
};

// The start camera, and one low across the course from a quarter turn round.
constexpr View VIEWS[] = {{"start", Camera::RESET_DISTANCE, Camera::RESET_PITCH, 0.0f},
                          {"across", 170.0f, 15.0f, 120.0f}};

// The last frame as a PNG, read from the back buffer after its swap: Mesa's
// software driver keeps the picture there.
void saveShot(const char* folder, int width, int height, const char* level, const char* view)
{
    char path[512];
    std::snprintf(path, sizeof(path), "%s/%dx%d-%s-%s.png", folder, width, height, level, view);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    if (!PngWriter::write(path, width, height, 3, pixels.data(), true))
        std::fprintf(stderr, "cannot write %s\n", path);
}

// One row: the split of frames with the pass timer on (each pass ends with a
// glFinish), then the rate of as many plain frames, as the game runs them.
void measure(Game& game, const View& view, int frames, int width, int height, const char* level,
             double switchMs, const char* shots)
{
    Camera& camera = game.view();
    camera.distance = view.distance;
    camera.pitch = view.pitch;
    camera.yaw = view.yaw;
    for (int i = 0; i < 5; ++i)
        frame(game);
    PassTimer& timer = game.passTimer;
    timer.reset();
    timer.enabled = true;
    for (int i = 0; i < frames; ++i)
        frame(game);
    timer.enabled = false;
    glFinish();
    const Clock::time_point start = Clock::now();
    const double processorStart = PassTimer::processorNow();
    for (int i = 0; i < frames; ++i)
        frame(game);
    glFinish();
    const double plain = millisecondsSince(start) / frames;
    const double processor = (PassTimer::processorNow() - processorStart) / frames;

    std::printf("%4dx%-4d %-8s %-6s %7.0f", width, height, level, view.name, switchMs);
    for (double milliseconds : timer.milliseconds)
        std::printf(" %7.2f", milliseconds / frames);
    std::printf("  cpu");
    for (double milliseconds : timer.processorMilliseconds)
        std::printf(" %6.1f", milliseconds / frames);
    std::printf(" %8.2f %6.1f %7.2f %5.0f\n", plain, 1000.0 / plain, processor, residentMegabytes());
    if (shots)
        saveShot(shots, width, height, level, view.name);
}

}  // namespace

int main(int argc, char** argv)
{
    const Clock::time_point processStart = Clock::now();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    DriverTuning::apply();
    glutInit(&argc, argv);
    int frames = 120;
    std::vector<std::pair<int, int>> sizes;
    std::vector<int> levels;
    const char* shots = nullptr;
    for (int i = 1; i < argc; ++i) {
        int width = 0, height = 0;
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--size") && i + 1 < argc &&
                 std::sscanf(argv[++i], "%dx%d", &width, &height) == 2 && width > 0 && height > 0)
            sizes.emplace_back(width, height);
        else if (!std::strcmp(argv[i], "--level") && i + 1 < argc && std::atoi(argv[i + 1]) >= 0 &&
                 std::atoi(argv[i + 1]) < GAME_WORLD_COUNT)
            levels.push_back(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--shots") && i + 1 < argc)
            shots = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--frames N] [--size WxH]... [--level I]... [--shots DIR]\n", argv[0]);
            return 2;
        }
    }
    if (sizes.empty())
        sizes = {{640, 480}, {1024, 768}};
    if (levels.empty()) {
        for (int level = 0; level < GAME_WORLD_COUNT; ++level)
            levels.push_back(level);
    }

    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
    glutInitWindowSize(sizes.front().first, sizes.front().second);
    glutCreateWindow("Pitchroll frame benchmark");
    // Frames are drawn by the loop below; freeglut wants a callback all the same.
    glutDisplayFunc([] {});
    glewInit();
    Game& game = *Game::instance();
    game.reshape(sizes.front().first, sizes.front().second);
    game.init();
    frame(game);
    glFinish();
    std::printf("start-up to the first frame: %.0f ms\n", millisecondsSince(processStart));
    game.frameClock().capped = false;

    static const char* const LEVELS[GAME_WORLD_COUNT] = {"jungle", "volcano", "lagoon"};
    std::printf("size      level    camera  switch");
    for (int pass = 0; pass < PassTimer::PASS_COUNT; ++pass)
        std::printf(" %7s", PassTimer::name(static_cast<PassTimer::Pass>(pass)));
    std::printf("  ms/frame    fps  cpu ms   RSS\n");
    std::printf("                        ms (level switch and first frame; ms per frame per pass)"
                "                        MB\n");
    for (const auto& [width, height] : sizes) {
        resize(game, width, height);
        for (const int level : levels) {
            const Clock::time_point start = Clock::now();
            game.startLevel(level);
            frame(game);
            glFinish();
            const double switchMs = millisecondsSince(start);
            for (const View& view : VIEWS)
                measure(game, view, frames, width, height, LEVELS[level], switchMs, shots);
        }
    }
    game.shutdown();
    return 0;
}
