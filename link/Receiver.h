#pragma once

#include <juce_osc/juce_osc.h>

class LeftComponent;
class BottomPanelComponent;
class RightComponent;
class CenterComponent;
class BottomSystemComponent;
class BottomSaveComponent;
class TopComponent;

// Everything a unit sends arrives here, on the report port, and is handled on
// the message thread: coded reports update the panels, blobs form the data
// stream that fills the cache files.
class Receiver : private juce::OSCReceiver,
                 private juce::OSCReceiver::ListenerWithOSCAddress<juce::OSCReceiver::MessageLoopCallback>
{
public:
    static constexpr int reportPort = 9002;

    Receiver();
    ~Receiver() override;

    void setPanels (LeftComponent*, BottomPanelComponent*, RightComponent*, CenterComponent*,
                    BottomSystemComponent*, BottomSaveComponent*, TopComponent*);

    bool isBound() const noexcept { return bound; }

    void oscMessageReceived (const juce::OSCMessage& message) override;

    static void showConnectionErrorMessage (const juce::String& message);

private:
    bool bindReportPort();

    juce::DatagramSocket socket { false };
    bool bound = false;

    LeftComponent* left = nullptr;
    BottomPanelComponent* bottomPanel = nullptr;
    RightComponent* right = nullptr;
    CenterComponent* center = nullptr;
    BottomSystemComponent* bottomSystem = nullptr;
    BottomSaveComponent* bottomSave = nullptr;
    TopComponent* top = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Receiver)
};
