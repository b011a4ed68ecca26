#pragma once

#include "OscCodec.h"
#include "UnitState.h"

#include <cstdint>
#include <optional>
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

// The unit's behaviour without its sockets and clocks: what it does with a
// datagram on its discovery port and on its command port, what it sends when
// a measurement or the processing ends, and its level reports. Time is the
// unit's own, in milliseconds, moved on by advanceTo.
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
        double pointMs = 6000;           // measuring one point
        double processingMs = 20000;     // the processing after the point sets
        double busyMs = 12000;           // the part of it in which polls go unanswered
    };

    explicit VirtualUnit (Settings);

    // ownAddress: the address text the unit gives in its discovery reply and
    // in its addressed reports.
    Handled onDiscoveryDatagram (const std::uint8_t* data, std::size_t size, Endpoint from, const std::string& ownAddress);
    Handled onCommandDatagram (const std::uint8_t* data, std::size_t size, Endpoint from, const std::string& ownAddress);

    // Moves the unit's clock on and returns what it sends by then: the
    // spectrum of a point measured, the results of the processing.
    std::vector<Outgoing> advanceTo (double unitMs);

    // When advanceTo next has something to send; nothing while idle.
    std::optional<double> nextEventMs() const;

    // The level reports of the moment ("VA", and "IL" while in measurement
    // mode), to the application that selected the unit; none before that.
    std::vector<Outgoing> levelReports (double seconds) const;

    void setSilent (bool shouldBeSilent) noexcept { settings.silent = shouldBeSilent; }
    bool isSilent() const noexcept                { return settings.silent; }

    // Processing and not answering polls.
    bool isBusy() const noexcept;
    bool isMeasuring() const noexcept             { return measurement.has_value(); }

    const UnitState& getState() const noexcept    { return state; }

    // The 16-byte discovery reply: the address text, zero-terminated and
    // padded with zeros (cut to 15 characters).
    static std::vector<std::uint8_t> discoveryReply (const std::string& ownAddress);

private:
    struct Listener
    {
        Endpoint app;
        std::string ownAddress;
    };

    Outgoing report (Endpoint to, const osc::Message&) const;
    void reportAll (std::vector<Outgoing>& out, Endpoint to, const std::vector<osc::Message>&) const;
    void startMeasurement (int point, const Listener&);
    void startProcessing (const Listener&);
    void resetMeasurement();

    Settings settings;
    UnitState state;
    bool selectionRequested = false;
    double now = 0;

    std::optional<Listener> selectedBy;

    struct Measurement { int point; double due; Listener to; };
    std::optional<Measurement> measurement;

    struct Processing { double started; Listener to; };
    std::optional<Processing> processing;

    int takes[6] = {};
};

} // namespace unit
