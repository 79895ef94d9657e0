// The input record: what the players ask of one frame, built once per frame
// from the keyboard (or a replay script, a demo, a gamepad) and read by the
// rule steps. Plain data, so it copies and compares trivially.
#pragma once

struct PlayerInput {
    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
    bool laser = false;
    bool grenade = false;

    bool operator==(const PlayerInput&) const = default;
};

struct FrameInput {
    PlayerInput player1 = {};
    PlayerInput player2 = {};

    bool operator==(const FrameInput&) const = default;
};
