#pragma once

// The rules the game watches the ball by, once per running frame: a ball more
// than JUMP_HEIGHT above the surface below it is airborne, and lost once it has
// come back down to within JUMP_RESET_HEIGHT of the level it rose from, unless
// the surface below changed by more than JUMP_RESET_HEIGHT from one check to the
// next, which restarts the tracking; a ball below FALL_DEPTH, or COURSE_DEPTH
// below the course's lowest point, fell out of the level. Heights are in the
// level's own, untilted frame. Headless: the caller measures the ball and acts
// on the event.
class BallWatch {
public:
    static constexpr float JUMP_RESET_HEIGHT = 13.5f;  // change of the ground below that restarts jump tracking
    static constexpr float JUMP_HEIGHT = 15.0f;        // above the surface below: airborne
    static constexpr float FALL_DEPTH = -100.0f;       // ball y below this: fell out of the level
    // A ball this far below the lower of its start and its target has left the
    // course, even where a pit's floor (lava, a beach) holds it above FALL_DEPTH.
    static constexpr float COURSE_DEPTH = 12.0f;
    // A lost ball that never rose this far above where it last touched the ground
    // went over an edge and fell: it is reported as outside, not as a jump.
    static constexpr float LEAST_JUMP_RISE = 3.0f;
    // Height above the surface below up to which the ball counts as touching it
    // (a ball of radius 3 stands at 3; edges and slopes read a little more).
    static constexpr float GROUNDED_HEIGHT = 4.5f;

    enum Event {
        EVENT_NONE,            // on or near the ground: the game may draw a trail
        EVENT_AIRBORNE,        // in the air, more than JUMP_HEIGHT above the surface below
        EVENT_JUMPED,          // lost: it jumped too high
        EVENT_FELL_OUT,        // lost: it fell out of the level
        EVENT_TARGET_REACHED,
    };

    // What the jump tracking did this check (the game prints it).
    enum Tracking {
        TRACKING_NONE,
        TRACKING_RESET,     // the surface below jumped: tracking restarted
        TRACKING_REDUCING,  // a jump is being followed down
    };

    struct Verdict {
        Event event;
        Tracking tracking;
    };

    // noHitDistance is the height the physics reports when nothing is below.
    explicit BallWatch(float noHitDistance);

    // Forgets every jump: a new level or a new ball. courseLowest: the lower of
    // the ball's start and target heights.
    void restart(float courseLowest = FALL_DEPTH + COURSE_DEPTH);
    // One check with the ball's height y, its height above the surface below and
    // whether it is at the target (and the level not finished yet).
    Verdict check(float y, float aboveGround, bool atTarget);

    bool isAirborne() const { return airborne; }

private:
    float noHitDistance;
    float fallDepth = FALL_DEPTH;        // below this the ball fell out
    bool airborne = false;
    float jumpHeight = 0.0f;             // height tracked during a jump
    float previousBallHeight = 0.0f;     // ball y at the previous check
    float previousGroundDistance = 0.0f; // height above the surface below at the previous check
    float groundedHeight = 0.0f;         // ball y when it last touched the ground
    float highestInAir = 0.0f;           // highest ball y since it last touched the ground
};
