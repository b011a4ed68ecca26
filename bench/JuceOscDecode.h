#pragma once

#include <juce_osc/juce_osc.h>

#include <cstddef>

// JUCE's own decoding of one datagram, exactly as its OSCReceiver does it on
// its socket thread before posting the element to the message thread. Throws
// juce::OSCFormatError for a malformed datagram.
juce::OSCBundle::Element decodeWithJuce (const void* data, std::size_t size);
