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

    enum class Kind { ignored, dataStream, coded };

    struct Classification
    {
        Kind kind = Kind::ignored;
        char c1 = 0, c2 = 0;   // the code letters of a coded report
    };

    // A blob first is a piece of the data stream; two integers first are the
    // code letters (their low 8 bits); anything else is ignored.
    static Classification classify (const juce::OSCMessage&);

    using Handler = void (Receiver::*) (const juce::OSCMessage&);

    // One row per report the application handles.
    struct ReportRow
    {
        char c1, c2;
        const char* argumentTypes;   // OSC types of the arguments after the code letters
        int addressIndex;            // the argument that must name the selected unit, or -1
        Handler handler;
    };

    // The row whose code letters and argument types the message matches, or
    // nullptr: reports with too few or other-typed arguments are ignored.
    static const ReportRow* findReportRow (const juce::OSCMessage&);

private:
    bool bindReportPort();

    static bool isForSelectedUnit (const juce::OSCMessage&, int addressIndex);

    void handleOK (const juce::OSCMessage&);
    void handleUN (const juce::OSCMessage&);

    static const ReportRow reportRows[];

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
