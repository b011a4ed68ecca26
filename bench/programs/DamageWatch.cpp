// Counts what a window draws over a while, as the X server sees it: every
// rectangle the X DAMAGE extension reports for the window given by its id, with the total area and the share of it inside a region of
// interest (the meters, say), so that an idle app can be shown to draw
// nothing, or nothing but what changed.
//
//   veld72-damage-watch --window ID [--seconds 10] [--list] [--inside X,Y,W,H]...
//
// Coordinates are relative to the window.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
    double nowMs()
    {
        timespec t {};
        clock_gettime (CLOCK_MONOTONIC, &t);
        return (double) t.tv_sec * 1e3 + (double) t.tv_nsec / 1e6;
    }

    struct Box { int x, y, w, h; };

    long overlap (const XRectangle& r, const Box& b)
    {
        const int x0 = std::max ((int) r.x, b.x), y0 = std::max ((int) r.y, b.y);
        const int x1 = std::min ((int) r.x + (int) r.width, b.x + b.w), y1 = std::min ((int) r.y + (int) r.height, b.y + b.h);
        return x1 > x0 && y1 > y0 ? (long) (x1 - x0) * (y1 - y0) : 0;
    }
}

int main (int argc, char** argv)
{
    Window window = 0;
    bool list = false;
    double seconds = 10.0;
    std::vector<Box> inside;

    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--window")       { window = (Window) std::strtoul (v, nullptr, 0); ++i; }
        else if (a == "--seconds") { seconds = std::atof (v); ++i; }
        else if (a == "--list")    list = true;
        else if (a == "--inside")
        {
            Box b {};
            if (std::sscanf (v, "%d,%d,%d,%d", &b.x, &b.y, &b.w, &b.h) == 4)
                inside.push_back (b);
            ++i;
        }
    }

    Display* d = window == 0 ? nullptr : XOpenDisplay (nullptr);
    int damageEvent = 0, damageError = 0;
    if (d == nullptr || ! XDamageQueryExtension (d, &damageEvent, &damageError))
    {
        std::fprintf (stderr, "usage: %s --window ID [--seconds S] [--inside X,Y,W,H]... (needs a display with DAMAGE)\n", argv[0]);
        return 2;
    }

    // A new damage object starts with the whole window damaged: that report
    // is not a drawing.
    XDamageCreate (d, window, XDamageReportRawRectangles);
    XSync (d, False);
    while (XPending (d) > 0)
    {
        XEvent e;
        XNextEvent (d, &e);
    }

    long events = 0, area = 0, areaInside = 0;
    const double end = nowMs() + seconds * 1000.0;
    while (nowMs() < end)
    {
        if (XPending (d) == 0)
        {
            pollfd p { ConnectionNumber (d), POLLIN, 0 };
            ::poll (&p, 1, std::max (1, (int) (end - nowMs())));
            continue;
        }

        XEvent e;
        XNextEvent (d, &e);
        if (e.type != damageEvent + XDamageNotify)
            continue;

        const auto& n = reinterpret_cast<const XDamageNotifyEvent&> (e);
        ++events;
        area += (long) n.area.width * n.area.height;
        if (list)
            std::printf ("%.1f ms: %d,%d %dx%d\n", nowMs() - (end - seconds * 1000.0), n.area.x, n.area.y, n.area.width, n.area.height);
        for (const auto& b : inside)
            areaInside += overlap (n.area, b);
    }

    std::printf ("%ld rectangles drawn in %.0f s (%.1f a second), %ld pixels", events, seconds, (double) events / seconds, area);
    if (! inside.empty())
        std::printf (", %ld of them inside the given areas", areaInside);
    std::printf ("\n");
    XCloseDisplay (d);
    return 0;
}
