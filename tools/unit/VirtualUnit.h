#pragma once

#include "OscCodec.h"
#include "UnitState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace unit
{

struct Endpoint
{
    std::uint32_t host = 0;   // IPv4, host byte order
    std::uint16_t port = 0;
};

std::string toText (Endpoint);

// Which of the unit's two sockets a datagram leaves through.
enum class Via { discovery, command };

struct Outgoing
{
    Endpoint to;
    Via via = Via::command;
    double delayMs = 0;          // unit time, before the time scale
    std::vector<std::uint8_t> bytes;
    std::string what;            // for the log
};

struct Handled
{
    std::string received;        // for the log; "" for a datagram that was ignored
    std::vector<Outgoing> replies;
};

// The unit's behaviour without its sockets: what it does with a datagram on
// its discovery port and on its command port.
class VirtualUnit
{
public:
    static constexpr int discoveryPort = 12811;
    static constexpr int commandPort = 9001;
    static constexpr int reportPort = 9002;
    static constexpr std::size_t replySize = 16;

    struct Settings
    {
        std::string name = "VELD72 unit";
        bool silent = false;             // never answer "NS"
        double discoveryDelayMs = 0;     // before the discovery reply
        int reportPort = VirtualUnit::reportPort;
    };

    explicit VirtualUnit (Settings);

    // ownAddress: the address text the unit gives in its discovery reply and
    // in its addressed reports.
    Handled onDiscoveryDatagram (const std::uint8_t* data, std::size_t size, Endpoint from, const std::string& ownAddress);
    Handled onCommandDatagram (const std::uint8_t* data, std::size_t size, Endpoint from, const std::string& ownAddress);

    void setSilent (bool shouldBeSilent) noexcept { settings.silent = shouldBeSilent; }
    bool isSilent() const noexcept                { return settings.silent; }

    const UnitState& getState() const noexcept    { return state; }

    // The 16-byte discovery reply: the address text, zero-terminated and
    // padded with zeros (cut to 15 characters).
    static std::vector<std::uint8_t> discoveryReply (const std::string& ownAddress);

private:
    Outgoing report (Endpoint from, const osc::Message&) const;

    Settings settings;
    UnitState state;
    bool selectionRequested = false;
};

} // namespace unit
