#include "VirtualUnit.h"

#include "Blocks.h"
#include "Reports.h"

#include <algorithm>
#include <cstring>

namespace unit
{

std::string toText (Endpoint e)
{
    return std::to_string ((e.host >> 24) & 0xff) + "." + std::to_string ((e.host >> 16) & 0xff) + "."
         + std::to_string ((e.host >> 8) & 0xff) + "." + std::to_string (e.host & 0xff)
         + ":" + std::to_string (e.port);
}

VirtualUnit::VirtualUnit (Settings s)
    : settings (std::move (s)), state (settings.name)
{
}

std::vector<std::uint8_t> VirtualUnit::discoveryReply (const std::string& ownAddress)
{
    std::vector<std::uint8_t> reply (replySize, 0);
    std::memcpy (reply.data(), ownAddress.data(), std::min (ownAddress.size(), replySize - 1));
    return reply;
}

Handled VirtualUnit::onDiscoveryDatagram (const std::uint8_t* data, std::size_t size, Endpoint from,
                                          const std::string& ownAddress)
{
    static constexpr char request[] = "GetIPAddr";

    Handled h;
    if (size != sizeof (request) - 1 || std::memcmp (data, request, size) != 0)
        return h;

    h.received = "GetIPAddr from " + toText (from);
    h.replies.push_back ({ from, Via::discovery, settings.discoveryDelayMs, discoveryReply (ownAddress),
                           "discovery reply '" + ownAddress + "' to " + toText (from) });
    return h;
}

Outgoing VirtualUnit::report (Endpoint app, const osc::Message& m) const
{
    const Endpoint to { app.host, (std::uint16_t) settings.reportPort };
    return { to, Via::command, 0, osc::encode (m), m.describe() + " to " + toText (to) };
}

void VirtualUnit::reportAll (std::vector<Outgoing>& out, Endpoint app, const std::vector<osc::Message>& messages) const
{
    for (const auto& m : messages)
        out.push_back (report (app, m));
}

bool VirtualUnit::isBusy() const noexcept
{
    return processing.has_value() && now < processing->started + settings.busyMs;
}

void VirtualUnit::startMeasurement (int point, const Listener& to)
{
    measurement = Measurement { point, now + settings.pointMs, to };
}

void VirtualUnit::startProcessing (const Listener& to)
{
    // The two point sets arrive together: the second does not start it again.
    if (! processing)
        processing = Processing { now, to };
}

void VirtualUnit::resetMeasurement()
{
    measurement.reset();
    for (std::int32_t point = 1; point <= 5; ++point)
        state.spectra.erase (point);
}

Handled VirtualUnit::onCommandDatagram (const std::uint8_t* data, std::size_t size, Endpoint from,
                                        const std::string& ownAddress)
{
    Handled h;
    const auto message = osc::decode (data, size);

    if (! message || message->address != osc::kAddress || message->args.empty())
        return h;

    h.received = message->describe() + " from " + toText (from);

    if (message->args[0].type == 'b')
    {
        const auto note = state.applyBlock (message->args[0].blob);
        if (! note.empty())
            h.received += ": " + note;
        return h;
    }

    const auto code = message->code();
    const Listener sender { from, ownAddress };

    if (code == "NS")
    {
        if (! settings.silent && ! isBusy())
            h.replies.push_back (report (from, osc::coded ("OK")));
        return h;
    }

    if (code == "SR")
    {
        selectionRequested = true;
        return h;
    }

    if (code == "SL")
    {
        if (selectionRequested)
        {
            reportAll (h.replies, from, selectionReports (state, ownAddress));
            reportAll (h.replies, from, selectionBlocks (state));
            selectedBy = sender;
        }

        selectionRequested = false;
        return h;
    }

    if (state.apply (*message).empty())
    {
        h.received += " (ignored)";
        return h;
    }

    const auto& args = message->args;

    if (code == "UN")
        h.replies.push_back (report (from, osc::coded ("UN", { osc::Arg::string (state.name) })));
    else if (code == "SA")
        h.received += state.commitUploads() ? ": uploaded blocks stored" : ": nothing uploaded";
    else if (code == "CR" && args[2].i == 0)
        h.replies.push_back (report (from, osc::coded ("CL")));
    else if (code == "PN")
    {
        const auto point = args[2].i;
        if (point == 0)
            resetMeasurement();
        else if (point >= 1 && point <= 5)
            startMeasurement (point, sender);
    }
    else if (code == "DP" || code == "AT")
        startProcessing (sender);
    else if (code == "MN")
    {
        // A parameter file's measurement is about to arrive: the points it
        // does not have are gone.
        for (std::int32_t point = std::max (1, args[2].i + 1); point <= 5; ++point)
            state.spectra.erase (point);
    }

    return h;
}

std::optional<double> VirtualUnit::nextEventMs() const
{
    std::optional<double> next;
    if (measurement)
        next = measurement->due;
    if (processing)
        next = std::min (next.value_or (1.0e300), processing->started + settings.processingMs);
    return next;
}

std::vector<Outgoing> VirtualUnit::advanceTo (double unitMs)
{
    now = std::max (now, unitMs);
    std::vector<Outgoing> out;

    if (measurement && measurement->due <= now)
    {
        const auto m = *measurement;
        measurement.reset();

        const auto take = ++takes[m.point];
        state.spectra[m.point] = synth::pointSpectrum (m.point, take);
        reportAll (out, m.to.app, spectrumBlock (state, m.point));
        out.push_back (report (m.to.app, osc::coded ("MN", { osc::Arg::int32 (m.point) })));
    }

    if (processing && processing->started + settings.processingMs <= now)
    {
        const auto p = *processing;
        processing.reset();

        const auto measured = state.measuredPointsDb();
        state.spectra[11] = synth::resultSpectrum (0, measured, state.target);
        state.spectra[12] = synth::resultSpectrum (1, measured, state.target);
        state.blocks[blocks::psdL] = blocks::fromFloats (synth::powerSpectrum (0, measured));
        state.blocks[blocks::psdR] = blocks::fromFloats (synth::powerSpectrum (1, measured));

        reportAll (out, p.to.app, spectrumBlock (state, 11));
        reportAll (out, p.to.app, spectrumBlock (state, 12));
        out.push_back (report (p.to.app, osc::coded ("MN", { osc::Arg::int32 (12) })));
        reportAll (out, p.to.app, pointRecordBlocks (state));
    }

    return out;
}

std::vector<Outgoing> VirtualUnit::levelReports (double seconds) const
{
    std::vector<Outgoing> out;
    if (! selectedBy)
        return out;

    const bool testSignal = measurement.has_value();
    out.push_back (report (selectedBy->app, levelReport (state, seconds, testSignal, selectedBy->ownAddress)));

    if (state.intSetting ("CR", 0, 0) != 0)
        out.push_back (report (selectedBy->app, inputLevelReport (state, seconds, testSignal)));

    return out;
}

} // namespace unit
