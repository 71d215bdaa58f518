#pragma once
// One tick's command: 12 bytes, stored as they are in the save file and in
// control-record files.

struct ControlInput {
    // Yaw command, radians per second at speed; positive turns left. Unbounded.
    float steer = 0.0f;
    // Braking friction as a fraction of the normal load, 0..1.
    float brake = 0.0f;
    // Fraction of the engine power, 0..1.
    float throttle = 0.0f;
};
static_assert(sizeof(ControlInput) == 12, "ControlInput is stored as 12 bytes");
