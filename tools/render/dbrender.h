#pragma once

#include <cstdint>
#include <string>

// What `verlumo-db render` draws.
struct RenderRequest {
    std::string strDir;
    std::string strOutput;     // PNG file
    std::int32_t nSelect = -1; // pre-order position of the item to select, -1 for none
    bool bExtra = false;       // the additional data dialog open over the main window
    bool bSearch = false;      // the search dialog open over it, with strSearch as the last text
    std::string strSearch;     // UTF-8
    // The picture viewer open on picture nViewer of the selected type's series
    // (counted from 1), after nViewer - 1 steps forward; 0 for none.
    std::int32_t nViewer = 0;
};

// Draws the real main dialog offscreen on the database in strDir, with the
// item at nSelect selected and its card shown, and writes it as a PNG.
// With bExtra or bSearch the picture is that dialog drawn open over the
// main window, and so with nViewer the picture viewer. Warnings the viewer
// would show in a box go to stderr. Returns the exit code: 0, or 2 when the
// PNG cannot be written, the additional data dialog cannot open on the
// selection (no type shown) or the selection has no picture nViewer. The
// position need not have been checked: when the tree the window builds
// holds no item at nSelect (0 or more), nothing is drawn or said, not even
// the warnings of the start, and kRenderNoSuchPosition comes back for the
// caller to say why in its own way.
int RenderMainWindow(const RenderRequest& request);

inline constexpr int kRenderNoSuchPosition = 3;
