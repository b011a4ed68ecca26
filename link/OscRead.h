#pragma once

#include <juce_osc/juce_osc.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// A strict reader of the OSC datagrams that arrive on the report port. Every
// size a datagram declares is checked against the bytes it carries before it
// is used; a datagram with any fault gives no message at all, so a damaged
// report can never be half applied.
namespace OscRead
{
    // Bundles inside bundles deeper than this are refused.
    constexpr int maxBundleDepth = 4;

    // The messages of one datagram, a single message or a bundle of them, in
    // their order. Accepted argument types: int32, float32, string and blob.
    // False, with nothing added to out, for a malformed datagram.
    bool readDatagram (const void* data, std::size_t size, std::vector<juce::OSCMessage>& out);
}
