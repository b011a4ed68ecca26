#pragma once

#include <juce_osc/juce_osc.h>

#include "link/DataStream.h"
#include "link/ReportLogic.h"

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

    // Held meter values of the level report: 0..9 the first group, 10..19
    // the second. Every construction sets them to -100.
    static float recieve_va_old[2 * Reports::levelsPerGroup];

    // Hold counters of the second group.
    const int* getHoldCounters() const noexcept  { return holdCounters; }

    const DataStream& getDataStream() const noexcept { return dataStream; }

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

    void handleDataStream (const juce::OSCMessage&);

    void handleSC (const juce::OSCMessage&);
    void handleOT (const juce::OSCMessage&);
    void handleRK (const juce::OSCMessage&);
    void handleLK (const juce::OSCMessage&);
    void handleRF (const juce::OSCMessage&);
    void handleOK (const juce::OSCMessage&);
    void handleIL (const juce::OSCMessage&);
    void handleCL (const juce::OSCMessage&);
    void handleVA (const juce::OSCMessage&);
    void handleGN (const juce::OSCMessage&);
    void handleAA (const juce::OSCMessage&);
    void handleBP (const juce::OSCMessage&);
    void handleMT (const juce::OSCMessage&);
    void handleCS (const juce::OSCMessage&);
    void handle48 (const juce::OSCMessage&);
    void handleVR (const juce::OSCMessage&);
    void handleUN (const juce::OSCMessage&);
    void handleLV (const juce::OSCMessage&);
    void handleMN (const juce::OSCMessage&);

    void readSettingsSnapshot();
    void readPointRecord();

    static const ReportRow reportRows[];

    juce::DatagramSocket socket { false };
    bool bound = false;

    DataStream dataStream;
    int holdCounters[Reports::levelsPerGroup] {};

    LeftComponent* left = nullptr;
    BottomPanelComponent* bottomPanel = nullptr;
    RightComponent* right = nullptr;
    CenterComponent* center = nullptr;
    BottomSystemComponent* bottomSystem = nullptr;
    BottomSaveComponent* bottomSave = nullptr;
    TopComponent* top = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Receiver)
};
