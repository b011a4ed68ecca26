#include "VirtualUnit.h"

#include "Reports.h"

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

Outgoing VirtualUnit::report (Endpoint from, const osc::Message& m) const
{
    const Endpoint to { from.host, (std::uint16_t) settings.reportPort };
    return { to, Via::command, 0, osc::encode (m), m.describe() + " to " + toText (to) };
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
        state.applyBlock (message->args[0].blob);
        return h;
    }

    const auto code = message->code();
    if (code.empty())
        return h;

    if (code == "NS")
    {
        if (! settings.silent)
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
            for (const auto& r : selectionReports (state, ownAddress))
                h.replies.push_back (report (from, r));

        selectionRequested = false;
        return h;
    }

    state.apply (*message);

    if (code == "UN" && message->hasArgs (2, "s"))
        h.replies.push_back (report (from, osc::coded ("UN", { osc::Arg::string (state.name) })));

    return h;
}

} // namespace unit
