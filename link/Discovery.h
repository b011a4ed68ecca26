#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// Finding units: a 9-byte request broadcast to the discovery port, then a
// fixed number of non-blocking reads of the 16-byte replies, each holding the
// answering unit's address as zero-terminated text.
namespace Discovery
{
    constexpr int requestPort = 12811;
    constexpr int localPort = 9001;
    constexpr int replySize = 16;
    constexpr int pollCount = 60000;
    constexpr const char* request = "GetIPAddr";
    constexpr int requestSize = 9;

    // The text of a reply: its bytes up to the first zero byte, or all 16 if
    // there is none, one character per byte (so two texts are equal exactly
    // when their bytes are). Nothing for a datagram of any other size.
    std::optional<juce::String> parseReply (const void* data, int size);

    // Appends the reply's text to `found` unless it is already there.
    // Returns true if it was appended.
    bool addReply (juce::StringArray& found, const void* data, int size);

    // Sends size bytes in one datagram through the socket to 255.255.255.255
    // at port. Returns the number of bytes sent, or -1 if the socket is not
    // open or the send fails.
    int broadcastWrite (juce::DatagramSocket& socket, int port, const void* data, int size);

    // Reads the bound socket `polls` times without blocking, at most 16 bytes
    // (one datagram) each time, and adds every reply to `found`.
    void collectReplies (juce::DatagramSocket& socket, int polls, juce::StringArray& found);

    enum class Outcome { finished, bindError, writeError };

    // The whole exchange on a socket of its own bound to local port 9001;
    // `found` receives the addresses in order of first arrival.
    Outcome discoverUnits (juce::StringArray& found, int polls = pollCount);
}
