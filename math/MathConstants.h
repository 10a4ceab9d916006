#pragma once

// Angles in single precision, one definition for the game and the data generator.
constexpr float PI = 3.1415927f;
constexpr float TWO_PI = 2.0f * PI;
constexpr float HALF_PI = 0.5f * PI;
constexpr float DEGREES_TO_RADIANS = 0.017453292f;  // level files and the camera keep degrees
