#pragma once

#include "app/Singleton.h"
#include "effects/GlowPass.h"
#include "game/BallWatch.h"
#include "game/FrameClock.h"
#include "game/PassTimer.h"
#include "game/ScreenshotWriter.h"
#include "game/StatusText.h"
#include "game/TimeBoard.h"
#include "math/Vector3.h"
#include "sound/GameSound.h"


class Ball;
class Camera;
class Light;
class ParticleEffects;
class ParticleEmitter;
class ParticleRenderer;
struct LevelInfo;

// The state of play and one step of it per idle call; the frame is drawn by
// display(). Game state is a set of flags, not an enumeration.
class Game : public Singleton<Game> {
    friend class Singleton<Game>;

public:
    static constexpr float BALL_RADIUS = 3.0f;
    static constexpr int PARTICLE_CAPACITY = 50000;
    static constexpr float TRAIL_SPEED = 0.1f;         // horizontal speed above which the ball leaves a trail

    ~Game() override;

    void init();
    void update();
    void display();
    void reshape(int w, int h);
    void handleKeys();
    // Builds the level of fileName with a ball at its start; nothing while a level exists.
    void loadLevel(const char* fileName);
    // Removes the ball, the level's scene, physics and particles.
    void unloadLevel();
    // Releases what the game holds before the process ends.
    void shutdown();
    // Replaces the level with level index (0 to GAME_WORLD_COUNT - 1) from its start.
    void startLevel(int index);

    // For the frame benchmark: the pass split, the cap and the camera it places.
    PassTimer passTimer;
    FrameClock& frameClock() { return clock; }
    Camera& view() { return *camera; }

private:
    Game();
    void destroyBall();
    void moveLight();
    void computeFrustum();
    void publishEyeToBall();
    void checkBall();
    void loseBall(const Vector3& position);
    void emitLevelParticles();
    void updateParticles();
    void finishLevel(const Vector3& ballPosition);
    void nextLevel();
    void resetBall();
    void handleSettingKeys();
    void renderDepthPass();
    void renderScene();
    void drawText();
    void showMessage(const char* text);

    FrameClock clock;
    unsigned int projectionList = 0;

    bool wireframe = false;
    bool showFrameCounter = false;
    bool useDisplayLists = true;
    bool frustumCulling = true;
    bool noAlphaBlending = false;
    int filterIndex = 2;
    int mipmapIndex = 2;
    GameSound sound;

    bool paused = false;
    bool ballLost = false;
    bool levelFinished = false;
    bool ballOutside = false;
    BallWatch ballWatch;  // airborne and jump state

    int renderPass = 0;  // 1 while the shadow depth pass draws, 2 the scene pass
    Light* light = nullptr;
    Camera* camera = nullptr;
    LevelInfo* level = nullptr;  // null between levels
    Ball* ball = nullptr;        // null between levels
    ParticleRenderer* particleRenderer = nullptr;
    ParticleEmitter* particleEmitter = nullptr;
    ParticleEffects* particleEffects = nullptr;  // the game's emissions into particleEmitter
    bool showHelp = false;
    StatusText statusText;  // the settings confirmation, help and status lines
    TimeBoard times;
    ScreenshotWriter screenshots;
    int levelIndex = 0;  // into GAME_WORLDS
    int windowWidth = 640;
    int windowHeight = 480;
    float fireworksTimer = 0.0f;
    GlowPass glow;
};
