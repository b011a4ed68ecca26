// JUCE keeps its OSC input stream private to the receiver's source file. That
// file is compiled here a second time with the receiver class renamed, so the
// benchmarks reach the very decoder the app's Receiver relies on without a
// socket in between.

#include "JuceOscDecode.h"

// The type tags, as constants the copy can switch on (the library defines
// them in another of its files).
namespace juce
{
    struct Veld72BenchOSCTypes
    {
        static constexpr OSCType int32 = 'i';
        static constexpr OSCType float32 = 'f';
        static constexpr OSCType string = 's';
        static constexpr OSCType blob = 'b';
        static constexpr OSCType colour = 'r';

        static bool isSupportedType (OSCType type) noexcept { return OSCTypes::isSupportedType (type); }
    };
}

#define OSCReceiver Veld72BenchCopyOfOSCReceiver
#define OSCTypes Veld72BenchOSCTypes
#include <juce_osc/osc/juce_OSCReceiver.h>
#include <juce_osc/osc/juce_OSCReceiver.cpp>
#undef OSCTypes
#undef OSCReceiver

juce::OSCBundle::Element decodeWithJuce (const void* data, std::size_t size)
{
    juce::OSCInputStream stream (data, size);
    return stream.readElementWithKnownSize (size);
}
