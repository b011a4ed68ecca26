#include "app/Layout.h"

#include <algorithm>

namespace
{
    juce::Rectangle<int> cell (int x, int y, int w, int h)
    {
        return { x, y, std::max (0, w), std::max (0, h) };
    }
}

PanelLayout computePanelLayout (int W, int H)
{
    PanelLayout l;
    l.top           = cell (1,               1,              W - 2,               H / 12 - 2);
    l.left          = cell (1,               H / 12 + 1,     W / 6 - 2,           H / 2 - 2);
    l.center        = cell (W / 6 + 1,       H / 12 + 1,     (17 * W) / 24 - 2,   H / 2 - 2);
    l.right         = cell ((7 * W) / 8,     H / 12 + 1,     W / 8,               H / 2 - 2);
    l.bottomMeasure = cell (1,               (7 * H) / 12 + 1, (2 * W) / 9 - 2,   (5 * H) / 12 - 2);
    l.bottomPanel   = cell ((2 * W) / 9 + 1, (7 * H) / 12 + 1, W / 3 - 2,         (5 * H) / 12 - 2);
    l.bottomSystem  = cell ((5 * W) / 9 + 1, (7 * H) / 12 + 1, (2 * W) / 9 - 2,   (5 * H) / 12 - 2);
    l.bottomSave    = cell ((7 * W) / 9,     (7 * H) / 12 + 1, (2 * W) / 9,       (5 * H) / 12 - 2);
    return l;
}
