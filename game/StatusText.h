#pragma once

// The lines the game writes at the left of the window: the frame counter, a
// settings confirmation that fades from green to white over two seconds, the
// help lines, and the one status line of stopped play.
class StatusText {
public:
    static constexpr int FONT = 1;               // 9x15, used for every line
    static constexpr float MESSAGE_TIME = 2.0f;  // seconds a confirmation shows

    struct Play {
        const char* frameCounter;  // null while the counter is off
        bool showHelp;
        bool ballOutside;
        bool ballLost;
        bool levelFinished;
        bool paused;
    };

    static constexpr int PROBLEM_LENGTH = 160;

    // A new confirmation, shown from now for MESSAGE_TIME.
    void showMessage(const char* text);
    // What is wrong with the level just loaded from fileName, if anything: a
    // file that cannot be read, or one without its start or target. The line is
    // written to the console and shown until the next level's.
    void showLevelState(const char* fileName, bool readable, bool playable);
    // The lines for this frame, between HudText::begin() and end(); the
    // confirmation ages by frameTime.
    void draw(float frameTime, const Play& play);

private:
    float messageTimer = 0.0f;  // seconds the confirmation has shown; it shows below MESSAGE_TIME
    char messageText[128] = "";
    char problemText[PROBLEM_LENGTH] = "";
};
