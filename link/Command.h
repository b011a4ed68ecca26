#pragma once

#include <juce_core/juce_core.h>

#include "link/OscWire.h"

#include <functional>
#include <mutex>

// The command channel to the selected unit. Every operation sends exactly one
// OSC message as one UDP datagram to the selected unit's command port; nothing
// is sent while no unit is selected. Sends from several threads are
// serialised by a lock held for the whole of each send.
class Command
{
public:
    static constexpr int commandPort = 9001;

    Command();
    ~Command();

    void setCurrentIpAddr (juce::String ip);
    juce::String getCurrentIpAddr() const;

    int getIpAddrLen() const;
    juce::String getIpAddr (int index) const;   // 1-based
    void FindIpAddr();
    void setIpAddrList (const juce::StringArray& addresses);

    void sendFOCommand (int configuration);
    void sendLVCommand (unsigned char band, float level);
    void sendPNCommand (unsigned char step);
    void sendAPCommand (int taps);
    void sendHICommand (unsigned char pair, unsigned char one, int frequency, int choice);
    void sendGACommand (float gain);
    void sendCMCommand (unsigned char mode);
    void sendMLCommand (float micGain);
    void sendNLCommand (float level);
    void sendOPCommand (unsigned char state);
    void sendCRCommand (unsigned char on);
    void sendMUCommand (unsigned char muted);
    void sendMTCommand (unsigned char channel, int state);
    void sendNetStatus();
    void sendSECommand (int source);
    void sendBlock (const juce::MemoryBlock* block);
    void sendSACommand();
    void sendClockSource (int source);
    void sendSampleClock (int clock);
    void sendSRCommand();
    void sendSLCommand();
    void sendCurrentPoint (int blue, int green, int red);
    void sendChannelMode (char mode);
    void sendUnitName (const juce::String& name);
    void sendMNCommand (int count);
    void sendLMCommand (int packedSetting);

    // The point-set commands: an int, two floats, an int, then the values
    // (8 for the measurement panel's short form, 128 for the curve messages).
    void sendDPCommand (int first, float second, float third, int fourth, const float* values, int numValues);
    void sendATCommand (int first, float second, float third, int fourth, const float* values, int numValues);

    // Where finished messages go instead of the socket (to measure or check
    // the encoding alone); an empty function restores the socket. Called with
    // the send lock held.
    using MessageSink = std::function<void (const std::uint8_t* data, std::size_t size)>;
    void setMessageSink (MessageSink sink);

private:
    struct Arg
    {
        enum class Type { Int, Float } type;
        std::int32_t i;
        float f;
    };

    static Arg i32 (std::int32_t v) noexcept { return { Arg::Type::Int, v, 0.0f }; }
    static Arg f32 (float v) noexcept { return { Arg::Type::Float, 0, v }; }

    void sendCoded (char c1, char c2, std::initializer_list<Arg> args);
    void sendPointSet (char c1, char c2, int first, float second, float third, int fourth, const float* values, int numValues);

    // Both called with the lock held.
    bool beginCoded (char c1, char c2);
    void transmit();

    mutable std::mutex lock;
    juce::StringArray ipAddrList;
    juce::String currentIpAddr;
    juce::DatagramSocket sender;
    veld72::osc::MessageWriter writer;
    MessageSink messageSink;
};
