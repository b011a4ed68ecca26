#pragma once

#include <juce_osc/juce_osc.h>

#include "link/DataStream.h"
#include "link/ReportLogic.h"

#include <deque>
#include <mutex>
#include <optional>

class LeftComponent;
class BottomPanelComponent;
class RightComponent;
class CenterComponent;
class BottomSystemComponent;
class BottomSaveComponent;
class TopComponent;

// The reports waiting for the message thread. Level reports replace each
// other, so only the newest waits; everything else keeps its order, up to a
// bound on count and bytes past which new reports are dropped. A flood thus
// costs a bounded amount of memory.
class PendingReports
{
public:
    static constexpr std::size_t maxMessages = 4096;
    static constexpr std::size_t maxBytes = 8 * 1024 * 1024;

    // False when the report was dropped because the queue is full.
    bool add (juce::OSCMessage message, bool isLevelReport);

    // Up to maxCount of the oldest waiting reports, then the level report
    // once nothing else waits.
    std::vector<juce::OSCMessage> take (std::size_t maxCount);

    std::size_t size() const;
    std::size_t getNumDropped() const;

private:
    static std::size_t bytesOf (const juce::OSCMessage&);

    mutable std::mutex lock;
    std::deque<juce::OSCMessage> ordered;
    std::optional<juce::OSCMessage> level;
    std::size_t orderedBytes = 0;
    std::size_t dropped = 0;
};

// Everything a unit sends arrives here, on the report port. A thread of its
// own reads the datagrams, checks them strictly and queues them; the message
// thread takes them from the queue: coded reports update the panels, blobs
// form the data stream that fills the cache files.
class Receiver : private juce::AsyncUpdater
{
public:
    static constexpr int reportPort = 9002;

    // How many queued reports one turn of the message loop handles.
    static constexpr std::size_t reportsPerTurn = 256;

    Receiver();
    ~Receiver() override;

    void setPanels (LeftComponent*, BottomPanelComponent*, RightComponent*, CenterComponent*,
                    BottomSystemComponent*, BottomSaveComponent*, TopComponent*);

    bool isBound() const noexcept { return bound; }

    // Handles one report at once, on the message thread.
    void oscMessageReceived (const juce::OSCMessage& message);

    // One datagram as it came from senderAddress: read strictly and, when it
    // is for us, queued for the message thread. The reading thread calls it;
    // tests and the fuzzer may too.
    void receiveDatagram (const void* data, std::size_t size, const juce::String& senderAddress);

    // Handles what the queue holds now (the message thread does this on its own).
    void handlePendingReports();

    const PendingReports& getPendingReports() const noexcept { return pending; }

    // Whether a datagram from this host is heard: from the selected unit only,
    // or from any host while no unit is selected.
    static bool acceptsSender (const juce::String& senderAddress);

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
    class ReadingThread;

    bool bindReportPort();
    void handleAsyncUpdate() override;

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
    PendingReports pending;
    std::unique_ptr<ReadingThread> readingThread;

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
