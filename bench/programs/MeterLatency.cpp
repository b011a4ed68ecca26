// From a level report's arrival to the repainted meter. The window's content
// (every panel and the Receiver, bound to the report port on loopback) runs
// here on a real display; a sender thread plays the unit, sending "VA"
// reports at a steady rate, stamping each one as it leaves. The meters draw
// through a style that stamps every frame of theirs with the value it shows,
// so each report is matched with the first frame that shows its value or a
// later one. Phases: the normal rate, a tenfold flood, unchanged levels
// (which must not repaint anything), then no reports at all. CPU time of
// this process (the sender thread's own excluded), of the X server, and the
// frames painted with the time each took are printed for each phase.
//
//   veld72-meter-latency [--rate 30] [--seconds 10] [--flood 10] [--xserver-pid PID] [--dump FILE]
//
// Run it in a private network namespace with loopback up (unshare -n).

#include "app/Fonts.h"
#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "link/OscWire.h"
#include "link/ReportLogic.h"
#include "styles/LookAndFeel102.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
    using Clock = std::chrono::steady_clock;
    const char* const unitAddress = "127.0.0.1";

    double msBetween (Clock::time_point a, Clock::time_point b)
    {
        return std::chrono::duration<double, std::milli> (b - a).count();
    }

    const juce::String& sansSerifTypeface()
    {
        static const auto name = Fonts::chooseSansSerifTypefaceName (juce::Font::findAllTypefaceNames());
        return name;
    }

    //==========================================================================
    struct Frame
    {
        Clock::time_point time;
        int meter;       // 0..19, the meters in the order of the report's levels
        double value;
    };

    // The meters' own style, stamping each frame of a meter.
    class TimingStyle : public LookAndFeel102
    {
    public:
        void drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                               float sliderPos, float minSliderPos, float maxSliderPos,
                               juce::Slider::SliderStyle style, juce::Slider& slider) override
        {
            LookAndFeel102::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
            frames.push_back ({ Clock::now(), (int) slider.getProperties()["meterIndex"], slider.getValue() });
        }

        std::vector<Frame> frames;   // message thread only
    };

    // The main window as the app makes it, counting the frames it paints.
    class Window : public juce::DocumentWindow
    {
    public:
        explicit Window (MainContentComponent* content)
            : DocumentWindow (" Polar Garnet acoustic phase calibration software", juce::Colours::black,
                              DocumentWindow::minimiseButton | DocumentWindow::closeButton)
        {
            frameStartStyle.setDefaultSansSerifTypefaceName (sansSerifTypeface());
            setLookAndFeel (&frameStartStyle);
            setUsingNativeTitleBar (false);
            setContentOwned (content, true);
            centreWithSize (getWidth(), getHeight());
            setResizable (false, false);
            setVisible (true);
        }

        void paintOverChildren (juce::Graphics& g) override
        {
            const auto end = Clock::now();
            paints.push_back ({ frameStart, msBetween (frameStart, end),
                                (std::int64_t) g.getClipBounds().getWidth() * g.getClipBounds().getHeight() });
        }

        ~Window() override
        {
            clearContentComponent();
            setLookAndFeel (nullptr);
        }

        void closeButtonPressed() override {}

        struct Paint
        {
            Clock::time_point start;
            double ms;
            std::int64_t boundsPixels;
        };

        std::vector<Paint> paints;   // message thread only
        Clock::time_point frameStart;

    private:
        // The framework asks the window's style for the graphics context of
        // each frame before it paints anything: the start of the frame. The
        // style is otherwise the default one.
        struct FrameStartStyle : juce::LookAndFeel_V4
        {
            explicit FrameStartStyle (Window& w) : window (w) {}

            std::unique_ptr<juce::LowLevelGraphicsContext> createGraphicsContext (const juce::Image& imageToRenderOn,
                                                                                   juce::Point<int> origin,
                                                                                   const juce::RectangleList<int>& initialClip) override
            {
                window.frameStart = Clock::now();
                return LookAndFeel_V4::createGraphicsContext (imageToRenderOn, origin, initialClip);
            }

            Window& window;
        };

        FrameStartStyle frameStartStyle { *this };
    };

    //==========================================================================
    struct Report
    {
        std::vector<std::uint8_t> datagram;
        double expected = 0.0;        // the right panel's left meter after this report
        int phase = 0;
        Clock::time_point planned, sent;
    };

    struct Phase
    {
        const char* name;
        double rate;
        bool changing;
        double budgetMs;   // 0: no latency budget (unchanged levels)
    };

    std::vector<std::uint8_t> encodeReport (const float* levels)
    {
        veld72::osc::MessageWriter w;
        w.begin (veld72::osc::kAddress);
        w.addInt32 ('V');
        w.addInt32 ('A');
        for (int k = 0; k < 20; ++k)
            w.addFloat32 (levels[k]);
        w.addString (unitAddress, std::strlen (unitAddress));
        std::size_t size = 0;
        const auto* data = w.finish (size);
        return { data, data + size };
    }

    float raw (double db) { return (float) (16777216.0 * std::pow (10.0, db / 20.0)); }

    // The meter index whose value each report's expectation follows: the
    // right panel's left meter shows the first group's ninth level.
    constexpr int followedMeter = 8;

    double meterValue (float display) { return juce::jlimit (-60.0, 0.0, (double) display); }

    //==========================================================================
    struct CpuClock
    {
        static double processSeconds()
        {
            rusage u {};
            getrusage (RUSAGE_SELF, &u);
            return (double) u.ru_utime.tv_sec + (double) u.ru_stime.tv_sec
                 + 1e-6 * (double) (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
        }

        static double threadSeconds()
        {
            timespec t {};
            clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
            return (double) t.tv_sec + 1e-9 * (double) t.tv_nsec;
        }

        static double otherProcessSeconds (int pid)
        {
            if (pid <= 0)
                return 0.0;
            std::ifstream in ("/proc/" + std::to_string (pid) + "/stat");
            std::string all ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
            const auto close = all.rfind (')');
            if (close == std::string::npos)
                return 0.0;
            std::vector<std::string> fields;
            std::string field;
            for (char c : all.substr (close + 2))
            {
                if (c == ' ') { fields.push_back (field); field.clear(); }
                else field += c;
            }
            if (fields.size() < 13)
                return 0.0;
            const double ticks = (double) sysconf (_SC_CLK_TCK);
            return (std::stod (fields[11]) + std::stod (fields[12])) / ticks;
        }
    };

    double percentile (std::vector<double> v, double p)
    {
        if (v.empty())
            return 0.0;
        std::sort (v.begin(), v.end());
        const auto index = (size_t) std::min ((double) v.size() - 1.0, std::floor (p * (double) (v.size() - 1) + 0.5));
        return v[index];
    }
    struct PhaseCpu
    {
        Clock::time_point begin, end;
        double process = 0, sender = 0, xserver = 0;
    };

    //==========================================================================
    // A standalone application like the app itself, so that the framework
    // treats its window the same way.
    class LatencyApp : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override    { return "veld72-meter-latency"; }
        const juce::String getApplicationVersion() override { return "1"; }
        bool moreThanOneInstanceAllowed() override          { return true; }

        void initialise (const juce::String&) override
        {
            const auto args = getCommandLineParameterArray();
            for (int i = 0; i < args.size(); ++i)
            {
                const auto next = [&] { return i + 1 < args.size() ? args[++i] : juce::String(); };
                if (args[i] == "--rate")             rate = next().getDoubleValue();
                else if (args[i] == "--seconds")     seconds = next().getDoubleValue();
                else if (args[i] == "--flood")       flood = next().getDoubleValue();
                else if (args[i] == "--xserver-pid") xserverPid = next().getIntValue();
                else if (args[i] == "--dump")        dumpPath = next();
                else
                {
                    std::fprintf (stderr, "usage: veld72-meter-latency [--rate R] [--seconds S] [--flood F] [--xserver-pid PID] [--dump FILE]\n");
                    finish (2);
                    return;
                }
            }

            // As the app starts.
            CacheFiles::ensureCacheDirectory();
            juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypefaceName (sansSerifTypeface());

            sendCommand.setCurrentIpAddr (unitAddress);
            content = new MainContentComponent();
            window = std::make_unique<Window> (content);

            if (! content->getReceiver().isBound())
            {
                std::fprintf (stderr, "the report port is taken: run this in a private network namespace\n");
                finish (1);
                return;
            }

            hookMeters();

            if (const auto* d = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
                std::printf ("display refresh rate: %s\n",
                             d->verticalFrequencyHz ? juce::String (*d->verticalFrequencyHz, 1).toRawUTF8() : "not reported (the framework paints at 100 Hz)");

            planReports();
            sender = std::thread ([this]
            {
                sendReports();
                juce::MessageManager::callAsync ([this] { finish (report() ? 0 : 3); });
            });
        }

        void shutdown() override
        {
            if (sender.joinable())
                sender.join();
            if (content != nullptr)
                unhookMeters();
            window = nullptr;
            sendCommand.setCurrentIpAddr ({});
        }

        void systemRequestedQuit() override { quit(); }

    private:
        void finish (int code)
        {
            setApplicationReturnValue (code);
            quit();
        }

        //======================================================================
        void hookMeters()
        {
            int index = 0;
            for (auto* meter : meters())
            {
                if (meter != nullptr)
                {
                    meter->getProperties().set ("meterIndex", index);
                    meter->setLookAndFeel (&timing);
                }
                ++index;
            }
        }

        void unhookMeters()
        {
            for (auto* meter : meters())
                if (meter != nullptr)
                    meter->setLookAndFeel (nullptr);
        }

        // In the order of the report's levels: output channels 1..8, then
        // the master panel's left and right meters.
        std::vector<juce::Component*> meters()
        {
            std::vector<juce::Component*> m;
            for (int band = 1; band <= 4; ++band)
            {
                m.push_back (content->getBottomPanel().findChildWithID ("oddMeter" + juce::String (band)));
                m.push_back (content->getBottomPanel().findChildWithID ("evenMeter" + juce::String (band)));
            }
            m.push_back (content->getRight().findChildWithID ("leftMeter"));
            m.push_back (content->getRight().findChildWithID ("rightMeter"));
            return m;
        }

        //======================================================================
        void planReports()
        {
            phases = { { "normal rate", rate, true, 16.0 },
                       { "tenfold flood", rate * flood, true, 50.0 },
                       { "unchanged levels", rate, false, 0.0 },
                       { "no reports", 0.0, false, 0.0 } };

            Reports::LevelHold expectation;
            // The window appears and settles first.
            auto start = Clock::now() + std::chrono::milliseconds (1500);
            double step = 0.0;
            for (int p = 0; p < (int) phases.size(); ++p)
            {
                const auto n = (int) (phases[(size_t) p].rate * seconds);
                if (n == 0)
                    continue;
                const auto period = std::chrono::duration<double> (1.0 / phases[(size_t) p].rate);
                for (int i = 0; i < n; ++i)
                {
                    float levels[20];
                    for (int k = 0; k < 20; ++k)
                    {
                        // A rising ramp that starts over every 84 reports:
                        // most reports raise every meter, then they fall
                        // back. Between -60 and -12 dB every held level has
                        // a display value of its own, inside the meter's range.
                        const auto db = phases[(size_t) p].changing ? -60.0 + std::fmod (step + 0.7 * k, 48.0) : 0.0;
                        levels[k] = raw (db);
                    }
                    step += 0.57;

                    float d1[10], d2[10];
                    Reports::applyLevelReport (expectation, levels, levels + 10, d1, d2);

                    Report r;
                    r.datagram = encodeReport (levels);
                    r.expected = meterValue (d1[followedMeter]);
                    r.phase = p;
                    r.planned = start + std::chrono::duration_cast<Clock::duration> (period * i);
                    reports.push_back (std::move (r));
                }
                start = reports.back().planned + std::chrono::milliseconds (500);
            }
            cpu.resize (phases.size());
        }

        void sendReports()
        {
            const int fd = ::socket (AF_INET, SOCK_DGRAM, 0);
            sockaddr_in to {};
            to.sin_family = AF_INET;
            to.sin_port = htons ((std::uint16_t) Receiver::reportPort);
            to.sin_addr.s_addr = htonl (INADDR_LOOPBACK);

            int current = -1;
            double threadAtStart = 0.0, processAtStart = 0.0, xAtStart = 0.0;
            const auto closePhase = [&]
            {
                auto& c = cpu[(size_t) current];
                c.end = Clock::now();
                c.sender = CpuClock::threadSeconds() - threadAtStart;
                c.process = CpuClock::processSeconds() - processAtStart;
                c.xserver = CpuClock::otherProcessSeconds (xserverPid) - xAtStart;
            };

            for (auto& r : reports)
            {
                if (r.phase != current)
                {
                    if (current >= 0)
                        closePhase();

                    std::this_thread::sleep_until (r.planned - std::chrono::milliseconds (100));
                    current = r.phase;
                    cpu[(size_t) current].begin = Clock::now();
                    threadAtStart = CpuClock::threadSeconds();
                    processAtStart = CpuClock::processSeconds();
                    xAtStart = CpuClock::otherProcessSeconds (xserverPid);
                }

                std::this_thread::sleep_until (r.planned);
                r.sent = Clock::now();
                ::sendto (fd, r.datagram.data(), r.datagram.size(), 0, reinterpret_cast<sockaddr*> (&to), sizeof (to));
            }

            std::this_thread::sleep_for (std::chrono::milliseconds (200));
            closePhase();
            ::close (fd);

            // The last phase sends nothing: the app's own cost at rest.
            current = (int) phases.size() - 1;
            std::this_thread::sleep_for (std::chrono::milliseconds (500));
            cpu[(size_t) current].begin = Clock::now();
            threadAtStart = CpuClock::threadSeconds();
            processAtStart = CpuClock::processSeconds();
            xAtStart = CpuClock::otherProcessSeconds (xserverPid);
            std::this_thread::sleep_for (std::chrono::duration<double> (seconds));
            closePhase();
        }

        //======================================================================
        // Each report: the first frame of the followed meter after it was
        // sent that shows its value or the value of a later report.
        bool report()
        {
            std::vector<Frame> followed;
            for (const auto& f : timing.frames)
                if (f.meter == followedMeter)
                    followed.push_back (f);

            std::FILE* dump = dumpPath.isNotEmpty() ? std::fopen (dumpPath.toRawUTF8(), "w") : nullptr;
            bool allMet = true;
            for (int p = 0; p < (int) phases.size(); ++p)
            {
                const auto& phase = phases[(size_t) p];
                const auto& c = cpu[(size_t) p];
                std::vector<double> latencies;
                int unseen = 0, sentCount = 0;

                for (size_t i = 0; i < reports.size(); ++i)
                {
                    const auto& r = reports[i];
                    if (r.phase != p)
                        continue;
                    ++sentCount;

                    // A report that leaves the meter as it was has nothing to show.
                    if (i > 0 && reports[i - 1].expected == r.expected)
                        continue;

                    bool seen = false;
                    for (const auto& f : followed)
                    {
                        if (f.time < r.sent)
                            continue;
                        for (size_t j = i; j < reports.size() && reports[j].sent <= f.time && ! seen; ++j)
                            if (reports[j].expected == f.value)
                            {
                                latencies.push_back (msBetween (r.sent, f.time));
                                seen = true;
                                if (dump != nullptr)
                                    std::fprintf (dump, "%d %zu %.3f %.3f %.4f %zu\n", p, i, msBetween (reports.front().sent, r.sent), latencies.back(), r.expected, j);
                            }
                        if (seen)
                            break;
                    }
                    if (! seen)
                        ++unseen;
                }

                const double wall = msBetween (c.begin, c.end) / 1000.0;
                const double appCpu = wall > 0 ? 100.0 * (c.process - c.sender) / wall : 0.0;
                const double xCpu = wall > 0 ? 100.0 * c.xserver / wall : 0.0;

                std::vector<double> paintMs;
                std::int64_t pixels = 0;
                for (const auto& paint : window->paints)
                    if (paint.start >= c.begin && paint.start < c.end)
                    {
                        paintMs.push_back (paint.ms);
                        pixels += paint.boundsPixels;
                    }
                const auto frames = (std::int64_t) paintMs.size();

                size_t meterFrames = 0;
                for (const auto& f : timing.frames)
                    if (f.time >= c.begin && f.time < c.end)
                        ++meterFrames;
                std::printf ("%s, %.0f reports/s for %.0f s: %d sent\n", phase.name, phase.rate, seconds, sentCount);

                if (sentCount == 0)
                    ;
                else if (phase.changing)
                {
                    const auto maxLatency = latencies.empty() ? 0.0 : *std::max_element (latencies.begin(), latencies.end());
                    const bool met = unseen == 0 && maxLatency < phase.budgetMs;
                    allMet = allMet && met;
                    std::printf ("  report to repainted meter: median %.2f ms, 95%% %.2f ms, 99%% %.2f ms, max %.2f ms; "
                                 "%d never shown; target under %.0f ms: %s\n",
                                 percentile (latencies, 0.5), percentile (latencies, 0.95), percentile (latencies, 0.99),
                                 maxLatency, unseen, phase.budgetMs, met ? "met" : "MISSED");
                }
                else
                {
                    // The first report of this phase changes the meters once.
                    const bool met = meterFrames <= 20 && frames <= 2;
                    allMet = allMet && met;
                    std::printf ("  %zu meter frames, %lld frames in all (the first report changes the meters once): %s\n",
                                 meterFrames, (long long) frames, met ? "nothing repainted after that" : "REPAINTED");
                }

                char xText[32] = "not measured";
                if (xserverPid > 0)
                    std::snprintf (xText, sizeof (xText), "%.2f%%", xCpu);
                std::printf ("  %lld frames (%.0f a second, bounds of %.0f pixels each, painted in %.3f ms median, %.3f ms max);"
                             " CPU: this app %.2f%% of a core, X server %s\n",
                             (long long) frames, wall > 0 ? (double) frames / wall : 0.0,
                             frames > 0 ? (double) pixels / (double) frames : 0.0,
                             percentile (paintMs, 0.5), percentile (paintMs, 1.0), appCpu, xText);
            }
            if (dump != nullptr)
            {
                for (const auto& f : followed)
                    std::fprintf (dump, "frame %.3f %.4f\n", msBetween (reports.front().sent, f.time), f.value);
                std::fclose (dump);
            }
            std::fflush (stdout);
            return allMet;
        }

        //======================================================================
        double rate = 30.0, seconds = 10.0, flood = 10.0;
        int xserverPid = 0;
        juce::String dumpPath;

        MainContentComponent* content = nullptr;   // owned by the window
        std::unique_ptr<Window> window;
        TimingStyle timing;

        std::vector<Phase> phases;
        std::vector<Report> reports;
        std::vector<PhaseCpu> cpu;
        std::thread sender;
    };
}

START_JUCE_APPLICATION (LatencyApp)
