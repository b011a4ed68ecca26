#include "link/Command.h"

Command::Command() = default;
Command::~Command() = default;

void Command::setCurrentIpAddr (juce::String ip)
{
    const std::lock_guard<std::mutex> guard (lock);
    currentIpAddr = std::move (ip);
}

juce::String Command::getCurrentIpAddr() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return currentIpAddr;
}

int Command::getIpAddrLen() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return ipAddrList.size();
}

juce::String Command::getIpAddr (int index) const
{
    const std::lock_guard<std::mutex> guard (lock);
    return ipAddrList[index - 1];
}

void Command::setIpAddrList (const juce::StringArray& addresses)
{
    const std::lock_guard<std::mutex> guard (lock);
    ipAddrList = addresses;
}

bool Command::beginCoded (char c1, char c2)
{
    if (currentIpAddr.isEmpty())
        return false;

    writer.begin (veld72::osc::kAddress);
    writer.addInt32 ((unsigned char) c1);
    writer.addInt32 ((unsigned char) c2);
    return true;
}

void Command::setMessageSink (MessageSink sink)
{
    const std::lock_guard<std::mutex> guard (lock);
    messageSink = std::move (sink);
}

void Command::transmit()
{
    std::size_t size = 0;
    const auto* data = writer.finish (size);

    if (messageSink)
        messageSink (data, size);
    else
        sender.write (currentIpAddr, commandPort, data, (int) size);
}

void Command::sendCoded (char c1, char c2, std::initializer_list<Arg> args)
{
    const std::lock_guard<std::mutex> guard (lock);

    if (! beginCoded (c1, c2))
        return;

    for (const auto& a : args)
    {
        if (a.type == Arg::Type::Int)
            writer.addInt32 (a.i);
        else
            writer.addFloat32 (a.f);
    }

    transmit();
}

void Command::sendPointSet (char c1, char c2, int first, float second, float third, int fourth,
                            const float* values, int numValues)
{
    const std::lock_guard<std::mutex> guard (lock);

    if (! beginCoded (c1, c2))
        return;

    writer.addInt32 (first);
    writer.addFloat32 (second);
    writer.addFloat32 (third);
    writer.addInt32 (fourth);

    for (int i = 0; i < numValues; ++i)
        writer.addFloat32 (values[i]);

    transmit();
}

void Command::sendFOCommand (int configuration)       { sendCoded ('F', 'O', { i32 (configuration) }); }
void Command::sendLVCommand (unsigned char band, float level) { sendCoded ('L', 'V', { i32 (band), f32 (level) }); }
void Command::sendPNCommand (unsigned char step)      { sendCoded ('P', 'N', { i32 (step) }); }
void Command::sendAPCommand (int taps)                { sendCoded ('A', 'P', { i32 (taps) }); }

void Command::sendHICommand (unsigned char pair, unsigned char one, int frequency, int choice)
{
    sendCoded ('H', 'I', { i32 (pair), i32 (one), i32 (frequency), i32 (choice) });
}

void Command::sendGACommand (float gain)              { sendCoded ('G', 'A', { f32 (gain) }); }
void Command::sendCMCommand (unsigned char mode)      { sendCoded ('C', 'M', { i32 (mode) }); }
void Command::sendMLCommand (float micGain)           { sendCoded ('M', 'L', { f32 (micGain) }); }
void Command::sendNLCommand (float level)             { sendCoded ('N', 'L', { f32 (level) }); }
void Command::sendOPCommand (unsigned char state)     { sendCoded ('O', 'P', { i32 (state) }); }
void Command::sendCRCommand (unsigned char on)        { sendCoded ('C', 'R', { i32 (on) }); }
void Command::sendMUCommand (unsigned char muted)     { sendCoded ('M', 'U', { i32 (muted) }); }
void Command::sendMTCommand (unsigned char channel, int state) { sendCoded ('M', 'T', { i32 (channel), i32 (state) }); }
void Command::sendNetStatus()                         { sendCoded ('N', 'S', {}); }
void Command::sendSECommand (int source)              { sendCoded ('S', 'E', { i32 (source) }); }
void Command::sendSACommand()                         { sendCoded ('S', 'A', {}); }
void Command::sendClockSource (int source)            { sendCoded ('C', 'S', { i32 (source) }); }
void Command::sendSampleClock (int clock)             { sendCoded ('S', 'C', { i32 (clock) }); }
void Command::sendSRCommand()                         { sendCoded ('S', 'R', {}); }
void Command::sendSLCommand()                         { sendCoded ('S', 'L', {}); }

void Command::sendCurrentPoint (int blue, int green, int red)
{
    sendCoded ('C', 'P', { i32 (blue), i32 (green), i32 (red) });
}

void Command::sendChannelMode (char mode)             { sendCoded ('M', 'D', { i32 (mode) }); }
void Command::sendMNCommand (int count)               { sendCoded ('M', 'N', { i32 (count) }); }
void Command::sendLMCommand (int packedSetting)       { sendCoded ('L', 'M', { i32 (packedSetting) }); }

void Command::sendUnitName (const juce::String& name)
{
    const std::lock_guard<std::mutex> guard (lock);

    if (! beginCoded ('U', 'N'))
        return;

    const auto utf8 = name.toRawUTF8();
    writer.addString (utf8, std::strlen (utf8));
    transmit();
}

void Command::sendBlock (const juce::MemoryBlock* block)
{
    const std::lock_guard<std::mutex> guard (lock);

    if (currentIpAddr.isEmpty() || block == nullptr)
        return;

    writer.begin (veld72::osc::kAddress);
    writer.addBlob (block->getData(), block->getSize());
    transmit();
}

void Command::sendDPCommand (int first, float second, float third, int fourth, const float* values, int numValues)
{
    sendPointSet ('D', 'P', first, second, third, fourth, values, numValues);
}

void Command::sendATCommand (int first, float second, float third, int fourth, const float* values, int numValues)
{
    sendPointSet ('A', 'T', first, second, third, fourth, values, numValues);
}
