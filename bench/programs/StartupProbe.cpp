// Times a GUI program from its start to its first painted frame, then from
// the request to close its window to the end of the process, as seen from
// the X server: the program is started, its top-level window's mapping is
// seen on the root window, and the X DAMAGE extension reports every drawing
// into it. The first frame counts as painted when, after a drawing, the
// window's middle row shows the expected colour (the panels' background),
// so a server-side background fill does not count. The close request is the
// window manager's WM_DELETE_WINDOW message, sent once the window has not
// drawn for 300 ms.
//
//   veld72-startup-probe [--runs N] [--colour RRGGBB] [--timeout-ms T] -- PROGRAM [ARGS...]
//
// Prints one line per run and a summary (min, median, max) in milliseconds.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace
{
    double nowMs()
    {
        timespec t {};
        clock_gettime (CLOCK_MONOTONIC, &t);
        return (double) t.tv_sec * 1e3 + (double) t.tv_nsec / 1e6;
    }

    struct Options
    {
        int runs = 10;
        long colour = -1;          // RRGGBB, or -1: the first drawing counts
        int timeoutMs = 10000;
        std::vector<char*> command;
    };

    bool parse (int argc, char** argv, Options& o)
    {
        int i = 1;
        for (; i < argc; ++i)
        {
            const std::string a = argv[i];
            if (a == "--")            { ++i; break; }
            if (i + 1 >= argc)        return false;
            if (a == "--runs")        o.runs = std::atoi (argv[++i]);
            else if (a == "--colour") o.colour = std::strtol (argv[++i], nullptr, 16);
            else if (a == "--timeout-ms") o.timeoutMs = std::atoi (argv[++i]);
            else return false;
        }
        for (; i < argc; ++i)
            o.command.push_back (argv[i]);
        o.command.push_back (nullptr);
        return o.command.size() > 1 && o.runs > 0;
    }

    struct RunResult
    {
        bool ok = false;
        double mappedMs = 0, paintedMs = 0, quitMs = 0;
        int exitStatus = -1;
        std::string failure;
    };

    class Probe
    {
    public:
        explicit Probe (const Options& o) : options (o) {}

        bool open()
        {
            display = XOpenDisplay (nullptr);
            if (display == nullptr)
                return false;

            int error = 0;
            if (! XDamageQueryExtension (display, &damageEvent, &error))
                return false;

            root = DefaultRootWindow (display);
            XSelectInput (display, root, SubstructureNotifyMask);
            protocols = XInternAtom (display, "WM_PROTOCOLS", False);
            deleteWindow = XInternAtom (display, "WM_DELETE_WINDOW", False);
            XSync (display, False);
            return true;
        }

        ~Probe()
        {
            if (display != nullptr)
                XCloseDisplay (display);
        }

        RunResult run()
        {
            RunResult r;
            drain();

            pid_t pid = -1;
            const double start = nowMs();
            if (posix_spawnp (&pid, options.command[0], nullptr, nullptr, options.command.data(), environ) != 0)
            {
                r.failure = "cannot start the program";
                return r;
            }

            Window window = 0;
            Damage damage = 0;
            const double deadline = start + options.timeoutMs;

            while (r.paintedMs == 0 && nowMs() < deadline)
            {
                if (! waitForEvent (deadline))
                    break;

                XEvent e;
                XNextEvent (display, &e);
                const double t = nowMs();

                if (e.type == MapNotify && window == 0 && e.xmap.event == root && ! e.xmap.override_redirect)
                {
                    window = e.xmap.window;
                    r.mappedMs = t - start;
                    damage = XDamageCreate (display, window, XDamageReportNonEmpty);
                    XSync (display, False);
                    // Drawing may have come before the damage object existed.
                    if (isPainted (window))
                        r.paintedMs = nowMs() - start;
                }
                else if (e.type == damageEvent + XDamageNotify && window != 0)
                {
                    const auto& d = reinterpret_cast<const XDamageNotifyEvent&> (e);
                    XDamageSubtract (display, d.damage, None, None);
                    if (isPainted (window))
                        r.paintedMs = t - start;
                }
            }

            if (r.paintedMs == 0)
            {
                r.failure = window == 0 ? "no window was mapped" : "the window was never painted";
                ::kill (pid, SIGKILL);
                ::waitpid (pid, nullptr, 0);
                return r;
            }

            // The close request goes to a window that has stopped drawing:
            // an event that arrives while the framework is busy with a frame
            // can wait in its queue until the next event comes.
            waitUntilStill (quietMs, std::min (deadline, nowMs() + 5000.0));
            if (damage != 0)
                XDamageDestroy (display, damage);

            const double closeAt = nowMs();
            requestClose (window);
            r.exitStatus = waitForExit (pid, closeAt + options.timeoutMs);
            r.quitMs = nowMs() - closeAt;
            r.ok = r.exitStatus == 0;
            if (! r.ok)
                r.failure = r.exitStatus == -1 ? "did not quit in time" : "exited with status " + std::to_string (r.exitStatus);
            return r;
        }

    private:
        bool waitForEvent (double deadline)
        {
            while (XPending (display) == 0)
            {
                pollfd p { ConnectionNumber (display), POLLIN, 0 };
                const int left = (int) (deadline - nowMs());
                if (left <= 0 || ::poll (&p, 1, left) <= 0)
                    return false;
            }
            return true;
        }

        void waitUntilStill (double quiet, double deadline)
        {
            double lastDrawing = nowMs();
            while (nowMs() < deadline && nowMs() - lastDrawing < quiet)
            {
                if (! waitForEvent (std::min (deadline, lastDrawing + quiet)))
                    continue;

                XEvent e;
                XNextEvent (display, &e);
                if (e.type == damageEvent + XDamageNotify)
                {
                    XDamageSubtract (display, reinterpret_cast<const XDamageNotifyEvent&> (e).damage, None, None);
                    lastDrawing = nowMs();
                }
            }
        }

        void drain()
        {
            XSync (display, False);
            while (XPending (display) > 0)
            {
                XEvent e;
                XNextEvent (display, &e);
            }
        }

        // The middle row holds at least a few pixels of the expected colour.
        bool isPainted (Window window)
        {
            if (options.colour < 0)
                return true;

            XWindowAttributes a {};
            if (! XGetWindowAttributes (display, window, &a) || a.map_state != IsViewable)
                return false;

            XImage* row = XGetImage (display, window, 0, a.height / 2, (unsigned) a.width, 1, AllPlanes, ZPixmap);
            if (row == nullptr)
                return false;

            int matches = 0;
            for (int x = 0; x < a.width; ++x)
                if ((long) (XGetPixel (row, x, 0) & 0xffffff) == options.colour)
                    ++matches;
            XDestroyImage (row);
            return matches >= 8;
        }

        void requestClose (Window window)
        {
            XEvent e {};
            e.xclient.type = ClientMessage;
            e.xclient.window = window;
            e.xclient.message_type = protocols;
            e.xclient.format = 32;
            e.xclient.data.l[0] = (long) deleteWindow;
            e.xclient.data.l[1] = CurrentTime;
            XSendEvent (display, window, False, NoEventMask, &e);
            XFlush (display);
        }

        static int waitForExit (pid_t pid, double deadline)
        {
            while (nowMs() < deadline)
            {
                int status = 0;
                const pid_t done = ::waitpid (pid, &status, WNOHANG);
                if (done == pid)
                    return WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
                ::usleep (200);
            }
            ::kill (pid, SIGKILL);
            ::waitpid (pid, nullptr, 0);
            return -1;
        }

        static constexpr double quietMs = 300.0;

        const Options& options;
        Display* display = nullptr;
        Window root = 0;
        int damageEvent = 0;
        Atom protocols = 0, deleteWindow = 0;
    };

    double median (std::vector<double> v)
    {
        std::sort (v.begin(), v.end());
        const auto n = v.size();
        return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
    }
}

int main (int argc, char** argv)
{
    Options options;
    if (! parse (argc, argv, options))
    {
        std::fprintf (stderr, "usage: %s [--runs N] [--colour RRGGBB] [--timeout-ms T] -- PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }

    Probe probe (options);
    if (! probe.open())
    {
        std::fprintf (stderr, "cannot open the display or it lacks the DAMAGE extension\n");
        return 2;
    }

    // The first run brings the program and its libraries into the page cache
    // and is not counted.
    std::vector<double> mapped, painted, quit;
    for (int i = 0; i <= options.runs; ++i)
    {
        const auto r = probe.run();
        if (! r.ok)
        {
            std::fprintf (stderr, "run %d: %s\n", i, r.failure.c_str());
            return 1;
        }

        std::printf ("run %2d%s: mapped %7.1f ms, first frame painted %7.1f ms, quit %6.1f ms\n", i,
                     i == 0 ? " (warm-up)" : "", r.mappedMs, r.paintedMs, r.quitMs);
        if (i > 0)
        {
            mapped.push_back (r.mappedMs);
            painted.push_back (r.paintedMs);
            quit.push_back (r.quitMs);
        }
    }

    const auto line = [] (const char* what, const std::vector<double>& v)
    {
        std::printf ("%-22s min %7.1f  median %7.1f  max %7.1f ms\n", what,
                     *std::min_element (v.begin(), v.end()), median (v), *std::max_element (v.begin(), v.end()));
    };
    std::printf ("over %d runs:\n", options.runs);
    line ("window mapped", mapped);
    line ("first frame painted", painted);
    line ("quit", quit);
    return 0;
}
