#pragma once

#include <cstdint>
#include <string>

// What `verlumo-db render` draws.
struct RenderRequest {
    std::string strDir;
    std::string strOutput;     // PNG file
    std::int32_t nSelect = -1; // pre-order position of the item to select, -1 for none
};

// Draws the real main dialog offscreen on the database in strDir, with the
// item at nSelect selected and its card shown, and writes it as a PNG.
// Warnings the viewer would show in a box go to stderr. Returns the exit
// code: 0, or 2 when the PNG cannot be written. The position must have
// been checked against the tree before.
int RenderMainWindow(const RenderRequest& request);
