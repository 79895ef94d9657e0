// The header check a sprite file must pass before SDL reads it.
#pragma once

// True when the file at `path` is a BMP that SDL can be trusted with: a
// width and height each from 1 to 4096, uncompressed pixels, and a file
// long enough to hold every pixel its header declares. SDL allocates the
// whole image from the declared size before it reads a pixel, so without
// this a 450-byte file claiming 20000 x 20000 pixels briefly takes 1.2 GB.
bool CheckBmpHeader(const char* path);
