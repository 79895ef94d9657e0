// A page of text over the whole window, such as the key test's.
#pragma once

#include <string>
#include <vector>

// Clears the screen to black and draws the title in the HUD's yellow, then
// each line below it in white, as many as fit.
void DrawTextPage(const std::string& title, const std::vector<std::string>& lines);
