#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// The document the kill test's helper saves over and over (some 600 kB, so a
// kill often lands in the middle of writing it).
namespace KillSaveHelper
{
    inline constexpr int elementCount = 20000;

    inline std::unique_ptr<juce::XmlElement> makeDocument (int round)
    {
        auto root = std::make_unique<juce::XmlElement> ("allValue");
        root->setAttribute ("round", round);
        for (int i = 0; i < elementCount; ++i)
            root->createNewChildElement ("amp" + juce::String (i))->setAttribute ("v", round);
        return root;
    }

    // Whether the document is a whole one of some round: the number of the
    // round, or -1.
    inline int roundOf (const juce::XmlElement& root)
    {
        const auto round = root.getIntAttribute ("round", -1);
        if (root.getTagName() != "allValue" || root.getNumChildElements() != elementCount)
            return -1;
        for (auto* e : root.getChildIterator())
            if (e->getIntAttribute ("v", -2) != round)
                return -1;
        return round;
    }
}
