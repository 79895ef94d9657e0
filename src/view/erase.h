// The step that puts the background back under what the last frame drew,
// before the next frame draws.
#pragma once

// Puts the background back under every rectangle noted since the last
// erase, so that the frame about to be drawn lands on a clean background.
void EraseLastFrame();
