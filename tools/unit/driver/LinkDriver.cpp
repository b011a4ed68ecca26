// veld72-link-driver: runs the app's discovery, report port and top bar
// without a window, for the end-to-end tests inside network namespaces.
//
//   veld72-link-driver discover
//   veld72-link-driver session --select K [--run-ms MS] [--pause-ms P] [--reply-ms R]
//   veld72-link-driver receiver [--run-ms MS]
//
// Every alert is printed as "alert <title> | <message>" instead of shown.

#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "link/Receiver.h"
#include "panels/TopComponent.h"

#include <iostream>
#include <map>

namespace
{
    int alertCount = 0;

    void printLine (const juce::String& line)
    {
        std::cout << line << std::endl;
    }

    juce::String colourName (juce::Colour c)
    {
        if (c == juce::Colours::lightgreen) return "lightgreen";
        if (c == juce::Colours::white)      return "white";
        return c.toDisplayString (true);
    }

    int optionValue (const juce::StringArray& args, const juce::String& name, int fallback)
    {
        const int k = args.indexOf (name);
        return k >= 0 && k + 1 < args.size() ? args[k + 1].getIntValue() : fallback;
    }

    void pump (int ms)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
    }

    int discover()
    {
        sendCommand.FindIpAddr();
        printLine ("found " + juce::String (sendCommand.getIpAddrLen()));
        for (int k = 1; k <= sendCommand.getIpAddrLen(); ++k)
            printLine ("unit " + juce::String (k) + " " + sendCommand.getIpAddr (k));
        return 0;
    }

    int session (const juce::StringArray& args)
    {
        const int slot = optionValue (args, "--select", 1);
        const int runMs = optionValue (args, "--run-ms", 1000);
        const TopComponent::StatusTiming timing { optionValue (args, "--pause-ms", 1000),
                                                  optionValue (args, "--reply-ms", 1000) };

        Receiver receiver;
        TopComponent top (timing);
        top.setSize (1022, 58);
        receiver.setPanels (nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &top);

        top.buttonClicked (&top.getConnectButton());
        for (int k = 1; k <= 4; ++k)
            printLine ("button " + juce::String (k) + " " + top.getAddressButton (k).getButtonText());

        top.buttonClicked (&top.getAddressButton (slot));
        printLine ("selected " + sendCommand.getCurrentIpAddr());

        // The top bar raises "network down" while it paints, so paint it as a
        // window would, noting the missed polls the alert came after.
        juce::Image canvas (juce::Image::ARGB, top.getWidth(), top.getHeight(), true);
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) runMs;
        bool sawReply = false;

        while (juce::Time::getMillisecondCounter() < end)
        {
            pump (5);
            sawReply = sawReply || top.getStatusIconColour (slot) == juce::Colours::lightgreen;

            const int missed = top.getNetFailCount();
            const int alertsBefore = alertCount;
            juce::Graphics g (canvas);
            top.paintEntireComponent (g, true);

            if (alertCount != alertsBefore)
                printLine ("network down after " + juce::String (missed) + " missed polls");
        }

        printLine ("replied " + juce::String (sawReply ? "yes" : "no"));
        printLine ("icon " + juce::String (slot) + " " + colourName (top.getStatusIconColour (slot)));
        printLine ("label " + juce::String (slot) + " " + top.getUnitLabel (slot).getText());
        printLine ("missed " + juce::String (top.getNetFailCount()));
        printLine ("again " + juce::String (TopComponent::again));
        printLine ("alerts " + juce::String (alertCount));
        return 0;
    }

    int receiverOnly (const juce::StringArray& args)
    {
        Receiver receiver;
        printLine ("report port " + juce::String (receiver.isBound() ? "bound" : "not bound"));
        pump (optionValue (args, "--run-ms", 200));
        printLine ("still running");
        return 0;
    }
}

int main (int argc, char** argv)
{
    juce::StringArray args;
    for (int k = 1; k < argc; ++k)
        args.add (argv[k]);

    const juce::ScopedJuceInitialiser_GUI juceInit;

    WarningAlerts::setPresenter ([] (const juce::String& title, const juce::String& message, std::function<void()>)
                                 {
                                     ++alertCount;
                                     printLine ("alert " + title + " | " + message);
                                 });

    const auto command = args[0];
    int result = 2;

    if (command == "discover")
        result = discover();
    else if (command == "session")
        result = session (args);
    else if (command == "receiver")
        result = receiverOnly (args);
    else
        std::cerr << "usage: veld72-link-driver discover | session --select K [--run-ms MS] [--pause-ms P] [--reply-ms R] | receiver [--run-ms MS]" << std::endl;

    WarningAlerts::setPresenter ({});
    return result;
}
