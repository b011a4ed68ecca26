#pragma once

// Helpers for the panel tests: a loopback unit that records the commands a
// panel sends, the message loop, child controls by id, and snapshots.

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "app/Fonts.h"
#include "link/Globals.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace PanelTest
{

inline void pump (int ms = 20)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

// Pumps the message loop until the condition holds, for at most timeoutMs.
inline bool runUntil (const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (2);
    }
    return true;
}

// Selects 127.0.0.1 as the unit and records what reaches its command port.
// The top bar's status poll ("NS") is left out: it runs on its own clock.
class LoopbackUnit
{
public:
    LoopbackUnit()  { sendCommand.setCurrentIpAddr ("127.0.0.1"); }
    ~LoopbackUnit() { sendCommand.setCurrentIpAddr ({}); }

    bool isOpen() const noexcept { return capture.isOpen(); }

    std::vector<std::string> commands()
    {
        std::vector<std::string> result;
        for (auto& c : describeAll (capture.drain (20)))
            if (c != "NS")
                result.push_back (c);
        return result;
    }

    // Only the commands with the given code, e.g. "FO".
    std::vector<std::string> commands (const std::string& code)
    {
        std::vector<std::string> result;
        for (auto& c : commands())
            if (c.rfind (code, 0) == 0)
                result.push_back (c);
        return result;
    }

private:
    UdpCapture capture { 9001 };
};

template <typename ControlType>
ControlType& child (juce::Component& parent, const juce::String& id)
{
    if (auto* c = dynamic_cast<ControlType*> (parent.findChildWithID (id)))
        return *c;

    throw std::runtime_error ("no control with id " + id.toStdString());
}

// False only for a component that ignores clicks on itself and its children.
inline bool acceptsClicks (const juce::Component& c)
{
    bool self = false, children = false;
    c.getInterceptsMouseClicks (self, children);
    return self || children;
}

// The sans-serif typeface the application chooses, so text renders as in
// the app.
inline void useAppTypeface()
{
    const auto name = Fonts::chooseSansSerifTypefaceName (juce::Font::findAllTypefaceNames());
    juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypefaceName (name);
}

// Draws the component at its size and keeps the PNG in the build tree for a
// person to look at.
inline juce::Image snapshot (juce::Component& c, const juce::String& name)
{
    const auto image = c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);

    const auto dir = juce::File (VELD72_BINARY_DIR "/snapshots");
    dir.createDirectory();
    const auto file = dir.getChildFile (name + ".png");
    file.deleteFile();

    juce::FileOutputStream out (file);
    if (out.openedOk())
        juce::PNGImageFormat().writeImageToStream (image, out);

    return image;
}

inline juce::uint32 argb (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getARGB();
}

// Pixels within a rectangle that match a predicate.
template <typename Predicate>
int countPixels (const juce::Image& image, juce::Rectangle<int> area, Predicate&& matches)
{
    int n = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            n += matches (image.getPixelAt (x, y)) ? 1 : 0;
    return n;
}

// One user action or setter call and the commands it must send, in order;
// `check` looks at what the panel shows afterwards.
struct Step
{
    const char* what;
    std::function<void()> act;
    std::vector<std::string> expected;
    std::function<void()> check = {};
};

inline void runSteps (LoopbackUnit& unit, const std::vector<Step>& steps)
{
    for (const auto& s : steps)
    {
        SCOPED_TRACE (s.what);
        s.act();
        pump();
        EXPECT_EQ (unit.commands(), s.expected);
        if (s.check)
            s.check();
    }
}

// Close to a colour, channel by channel.
inline bool near (juce::Colour a, juce::Colour b, int tolerance = 6)
{
    return std::abs (a.getRed() - b.getRed()) <= tolerance
        && std::abs (a.getGreen() - b.getGreen()) <= tolerance
        && std::abs (a.getBlue() - b.getBlue()) <= tolerance;
}

}
