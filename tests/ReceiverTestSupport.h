#pragma once

// Reports as the unit sends them, for the Receiver tests: OSC messages handed
// to the Receiver directly, or datagrams sent to its report port.

#include <juce_osc/juce_osc.h>

#include "link/CacheFiles.h"
#include "link/OscWire.h"

#include <string>
#include <variant>
#include <vector>

namespace ReceiverTest
{
    using Blob = std::vector<char>;
    using Arg = std::variant<int, float, std::string, Blob>;

    inline juce::OSCMessage message (const std::vector<Arg>& args)
    {
        juce::OSCMessage m ("/juce/rotaryknob");
        for (const auto& a : args)
        {
            if (auto* i = std::get_if<int> (&a))                  m.addInt32 (*i);
            else if (auto* f = std::get_if<float> (&a))           m.addFloat32 (*f);
            else if (auto* s = std::get_if<std::string> (&a))     m.addString (juce::String (*s));
            else if (auto* b = std::get_if<Blob> (&a))            m.addBlob (juce::MemoryBlock (b->data(), b->size()));
        }
        return m;
    }

    // A coded report: the two code letters, then the arguments.
    inline juce::OSCMessage report (const char* code, std::vector<Arg> args = {})
    {
        args.insert (args.begin(), { (int) code[0], (int) code[1] });
        return message (args);
    }

    inline std::vector<std::uint8_t> datagram (const std::vector<Arg>& args)
    {
        veld72::osc::MessageWriter w;
        w.begin (veld72::osc::kAddress);
        for (const auto& a : args)
        {
            if (auto* i = std::get_if<int> (&a))                  w.addInt32 (*i);
            else if (auto* f = std::get_if<float> (&a))           w.addFloat32 (*f);
            else if (auto* s = std::get_if<std::string> (&a))     w.addString (s->data(), s->size());
            else if (auto* b = std::get_if<Blob> (&a))            w.addBlob (b->data(), b->size());
        }
        std::size_t size = 0;
        const auto* data = w.finish (size);
        return { data, data + size };
    }

    // Little-endian words as one blob.
    inline Blob words (std::initializer_list<std::uint32_t> ws)
    {
        Blob out;
        for (auto w : ws)
        {
            std::uint8_t b[4];
            CacheFiles::wordToBytes (w, b);
            out.insert (out.end(), b, b + 4);
        }
        return out;
    }

    inline std::vector<std::uint8_t> fileBytes (const juce::String& path)
    {
        juce::MemoryBlock mb;
        if (! juce::File (path).loadFileAsData (mb))
            return {};
        const auto* p = static_cast<const std::uint8_t*> (mb.getData());
        return { p, p + mb.getSize() };
    }

    // 2^24 x 10^(dB / 20): the level report's value for a level in dB.
    inline float levelValue (float db)
    {
        return (float) (16777216.0 * std::pow (10.0, db / 20.0));
    }
}
