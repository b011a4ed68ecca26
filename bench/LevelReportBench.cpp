// The "VA" level report: twenty levels and the unit's address, arriving many
// times a second. Measured: the Receiver's dispatch of a decoded report
// (finding its row, checking the address, the held-level arithmetic and the
// two meter setters), the Receiver's own strict reading of the datagram, the
// whole path from the datagram's bytes to the setters, and liblo decoding the
// same datagram as the peer. JUCE's own decoding, which the Receiver does not
// use, is measured beside them for reference.

#include "Comparisons.h"
#include "JuceOscDecode.h"

#include "app/MainComponent.h"
#include "link/Globals.h"
#include "link/OscRead.h"
#include "link/OscWire.h"
#include "link/ReportLogic.h"

#include <benchmark/benchmark.h>
#include <lo/lo.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
    const char* const unitAddress = "127.0.0.1";
    constexpr int numDistinctReports = 64;

    // A report of twenty raw levels (2^24 is 0 dB) that differ from one
    // report to the next, so that every report moves the meters.
    std::vector<std::uint8_t> levelReport (int index)
    {
        veld72::osc::MessageWriter writer;
        writer.begin (veld72::osc::kAddress);
        writer.addInt32 ('V');
        writer.addInt32 ('A');
        for (int k = 0; k < 2 * Reports::levelsPerGroup; ++k)
        {
            const auto db = -60.0 + std::fmod (7.3 * index + 3.1 * k, 60.0);
            writer.addFloat32 ((float) (16777216.0 * std::pow (10.0, db / 20.0)));
        }
        writer.addString (unitAddress, std::strlen (unitAddress));

        std::size_t size = 0;
        const auto* data = writer.finish (size);
        return { data, data + size };
    }

    const std::vector<std::vector<std::uint8_t>>& reports()
    {
        static const auto all = []
        {
            std::vector<std::vector<std::uint8_t>> r;
            for (int i = 0; i < numDistinctReports; ++i)
                r.push_back (levelReport (i));
            return r;
        }();
        return all;
    }

    // The window's content with every panel and the Receiver, not on screen.
    struct App
    {
        App()
        {
            sendCommand.setCurrentIpAddr (unitAddress);
            content = std::make_unique<MainContentComponent>();
        }

        ~App()
        {
            content.reset();
            sendCommand.setCurrentIpAddr ({});
        }

        // The Receiver's handling of a decoded report, as its message-thread
        // listener gets it.
        void dispatch (const juce::OSCMessage& m)
        {
            content->getReceiver().oscMessageReceived (m);
        }

        std::unique_ptr<MainContentComponent> content;
    };

    std::vector<juce::OSCBundle::Element> decodedReports()
    {
        std::vector<juce::OSCBundle::Element> decoded;
        for (const auto& r : reports())
            decoded.push_back (decodeWithJuce (r.data(), r.size()));
        return decoded;
    }
}

static void LevelReport_Arithmetic (benchmark::State& state)
{
    Reports::LevelHold hold;
    std::vector<std::array<float, 20>> levels (numDistinctReports);
    for (int i = 0; i < numDistinctReports; ++i)
        for (int k = 0; k < 20; ++k)
            levels[(size_t) i][(size_t) k] = (float) (16777216.0 * std::pow (10.0, (-60.0 + std::fmod (7.3 * i + 3.1 * k, 60.0)) / 20.0));

    float displayFirst[10], displaySecond[10];
    size_t i = 0;
    for (auto _ : state)
    {
        const auto& l = levels[i++ % levels.size()];
        Reports::applyLevelReport (hold, l.data(), l.data() + 10, displayFirst, displaySecond);
        benchmark::DoNotOptimize (displayFirst);
        benchmark::DoNotOptimize (displaySecond);
    }
}
BENCHMARK (LevelReport_Arithmetic)->Name ("LevelReport/Arithmetic");

static void LevelReport_Dispatch (benchmark::State& state)
{
    App app;
    const auto decoded = decodedReports();
    size_t i = 0;
    for (auto _ : state)
        app.dispatch (decoded[i++ % decoded.size()].getMessage());
}
BENCHMARK (LevelReport_Dispatch)->Name ("LevelReport/Dispatch");

#if JUCE_LINUX
namespace juce { bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages); }

// The dispatch and then every message it leaves in the queue (the sliders'
// and their values' asynchronous change notifications), handled as the
// message loop would: the whole of a report's cost on the message thread
// short of painting.
static void LevelReport_DispatchAndMessages (benchmark::State& state)
{
    App app;
    const auto decoded = decodedReports();
    while (juce::dispatchNextMessageOnSystemQueue (true)) {}

    size_t i = 0;
    for (auto _ : state)
    {
        app.dispatch (decoded[i++ % decoded.size()].getMessage());
        while (juce::dispatchNextMessageOnSystemQueue (true)) {}
    }
}
BENCHMARK (LevelReport_DispatchAndMessages)->Name ("LevelReport/DispatchAndMessages");
#endif

static void LevelReport_JuceDecode (benchmark::State& state)
{
    const auto& all = reports();
    size_t i = 0;
    for (auto _ : state)
    {
        const auto& r = all[i++ % all.size()];
        auto element = decodeWithJuce (r.data(), r.size());
        benchmark::DoNotOptimize (element);
    }
}
BENCHMARK (LevelReport_JuceDecode)->Name ("LevelReport/JuceDecode");

static void LevelReport_OwnDecode (benchmark::State& state)
{
    const auto& all = reports();
    std::vector<juce::OSCMessage> messages;
    messages.reserve (1);
    size_t i = 0;
    for (auto _ : state)
    {
        const auto& r = all[i++ % all.size()];
        messages.clear();
        if (! OscRead::readDatagram (r.data(), r.size(), messages))
        {
            state.SkipWithError ("the report was refused");
            break;
        }
        benchmark::DoNotOptimize (messages.data());
    }
}
BENCHMARK (LevelReport_OwnDecode)->Name ("LevelReport/OwnDecode");

// What the app runs for a report: the reading thread's strict read, then the
// message thread's dispatch (the hand-over between them is not included).
static void LevelReport_WholePath (benchmark::State& state)
{
    App app;
    const auto& all = reports();
    std::vector<juce::OSCMessage> messages;
    size_t i = 0;
    for (auto _ : state)
    {
        const auto& r = all[i++ % all.size()];
        messages.clear();
        OscRead::readDatagram (r.data(), r.size(), messages);
        for (const auto& m : messages)
            app.dispatch (m);
    }
}
BENCHMARK (LevelReport_WholePath)->Name ("LevelReport/WholePath");

// The peer: liblo turns the same datagram into its message, and the twenty
// levels and the address are read out of it.
static void LevelReport_LibloDecode (benchmark::State& state)
{
    const auto& all = reports();
    size_t i = 0;
    float levels[20];
    for (auto _ : state)
    {
        auto& r = const_cast<std::vector<std::uint8_t>&> (all[i++ % all.size()]);
        int result = 0;
        const char* path = lo_get_path (r.data(), (ssize_t) r.size());
        lo_message m = lo_message_deserialise (r.data(), r.size(), &result);
        if (m == nullptr || path == nullptr)
        {
            state.SkipWithError ("liblo could not decode the report");
            break;
        }

        const char* types = lo_message_get_types (m);
        lo_arg** argv = lo_message_get_argv (m);
        for (int k = 0; k < 20; ++k)
            std::memcpy (&levels[k], argv[2 + k], sizeof (float));
        const char* address = &argv[22]->s;

        benchmark::DoNotOptimize (types);
        benchmark::DoNotOptimize (levels);
        benchmark::DoNotOptimize (address);
        lo_message_free (m);
    }

    // liblo must not have changed the datagram in place.
    const auto element = decodeWithJuce (all[0].data(), all[0].size());
    if (element.getMessage()[22].getString() != unitAddress)
        state.SkipWithError ("the datagram was changed by decoding it");
}
BENCHMARK (LevelReport_LibloDecode)->Name ("LevelReport/LibloDecode");

VELD72_BUDGET ("VA dispatch after decoding", "LevelReport/Dispatch", 1000.0);
VELD72_COMPARE ("VA dispatch and its queued notifications", "LevelReport/DispatchAndMessages", "LevelReport/Dispatch", 0.0);
VELD72_BUDGET_WITH_PEER ("VA bytes to setters vs liblo decode", "LevelReport/WholePath", 3000.0, "LevelReport/LibloDecode");
VELD72_COMPARE ("VA our decode vs liblo decode", "LevelReport/OwnDecode", "LevelReport/LibloDecode", 0.0);
VELD72_COMPARE ("VA JUCE decode (not used) vs liblo decode", "LevelReport/JuceDecode", "LevelReport/LibloDecode", 0.0);

// The frame a level report leads to: the twenty meters' areas painted as the
// window's peer paints them, into an image clipped to those areas.
static void LevelReport_MeterFrame (benchmark::State& state)
{
    App app;
    auto& content = *app.content;

    juce::RectangleList<int> meterAreas;
    const auto addMeter = [&] (juce::Component& panel, const juce::String& id)
    {
        if (auto* meter = panel.findChildWithID (id))
        {
            meterAreas.add (content.getLocalArea (meter, meter->getLocalBounds()));
        }
    };
    for (int band = 1; band <= 4; ++band)
    {
        addMeter (content.getBottomPanel(), "oddMeter" + juce::String (band));
        addMeter (content.getBottomPanel(), "evenMeter" + juce::String (band));
    }
    addMeter (content.getRight(), "leftMeter");
    addMeter (content.getRight(), "rightMeter");

    const auto area = meterAreas.getBounds();
    juce::Image image (juce::Image::RGB, area.getWidth(), area.getHeight(), true);
    auto clip = meterAreas;
    clip.offsetAll (-area.getX(), -area.getY());

    const auto decoded = decodedReports();
    size_t i = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        app.dispatch (decoded[i++ % decoded.size()].getMessage());
        state.ResumeTiming();

        juce::LowLevelGraphicsSoftwareRenderer context (image, -area.getPosition(), clip);
        juce::Graphics g (context);
        content.paintEntireComponent (g, true);
    }
    state.counters["areas"] = (double) meterAreas.getNumRectangles();
}
BENCHMARK (LevelReport_MeterFrame)->Name ("LevelReport/MeterFrame")->Unit (benchmark::kMicrosecond);
