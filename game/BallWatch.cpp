#include "game/BallWatch.h"

#include <algorithm>
#include <cmath>

BallWatch::BallWatch(float noHitDistance)
    : noHitDistance(noHitDistance)
{
}

void BallWatch::restart(float courseLowest)
{
    fallDepth = std::max(FALL_DEPTH, courseLowest - COURSE_DEPTH);
    airborne = false;
    jumpHeight = 0.0f;
    previousBallHeight = 0.0f;
    previousGroundDistance = 0.0f;
    groundedHeight = 0.0f;
    highestInAir = 0.0f;
}

BallWatch::Verdict BallWatch::check(float y, float aboveGround, bool atTarget)
{
    Verdict verdict = {EVENT_NONE, TRACKING_NONE};

    // Jump tracking: the loss fires once the ball is back within JUMP_RESET_HEIGHT
    // of the level the tracking started from.
    if (std::fabs(previousGroundDistance - aboveGround) > JUMP_RESET_HEIGHT) {
        verdict.tracking = TRACKING_RESET;
        jumpHeight = 0.0f;
        airborne = false;
    } else if (jumpHeight > JUMP_RESET_HEIGHT) {
        verdict.tracking = TRACKING_REDUCING;
        jumpHeight -= previousBallHeight - y;
    } else if (airborne) {
        // Rolling off a ledge high above the ground below looks like a jump to the
        // tracking; only a ball that went up jumped.
        verdict.event = highestInAir - groundedHeight > LEAST_JUMP_RISE ? EVENT_JUMPED : EVENT_FELL_OUT;
        airborne = false;
    }
    if (aboveGround <= GROUNDED_HEIGHT) {
        groundedHeight = y;
        highestInAir = y;
    } else {
        highestInAir = std::max(highestInAir, y);
    }
    previousBallHeight = y;
    previousGroundDistance = aboveGround;
    if (verdict.event != EVENT_NONE)
        return verdict;

    if (atTarget) {
        verdict.event = EVENT_TARGET_REACHED;
        return verdict;
    }
    if (aboveGround > JUMP_HEIGHT && aboveGround < noHitDistance) {
        if (!airborne)
            jumpHeight = aboveGround;
        airborne = true;
        verdict.event = EVENT_AIRBORNE;
        return verdict;
    }
    if (y < fallDepth)
        verdict.event = EVENT_FELL_OUT;
    return verdict;
}
