// A short line on the field, such as "Sound off", shown for a second of
// drawn frames and then gone: the erase takes it away like any text.
#pragma once

// Shows the text (kept as given: a string that lives on) from the next
// drawn frame.
void ShowNotice(const char* text);

// Draws the notice, if one is showing, and counts its frames down; the
// last part of every drawn frame.
void DrawNotice();

// Draws one line of text at the bottom left of the field, for this frame.
void DrawStatusLine(const char* text);
