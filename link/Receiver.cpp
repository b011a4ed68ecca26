#include "link/Receiver.h"

#include "link/CacheFiles.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "link/OscRead.h"
#include "panels/BottomPanelComponent.h"
#include "panels/BottomSaveComponent.h"
#include "panels/BottomSystemComponent.h"
#include "panels/LeftComponent.h"
#include "panels/RightComponent.h"
#include "panels/TopComponent.h"
#include "views/CenterComponent.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace
{
    // Truncation toward zero of a float argument that an int can hold; a
    // value that is not a number or out of range gives nothing.
    std::optional<int> truncated (float f) noexcept
    {
        if (! (f > -2147483648.0f && f < 2147483648.0f))
            return std::nullopt;
        return (int) f;
    }

    bool isNumber (float f) noexcept { return ! std::isnan (f); }
}

float Receiver::recieve_va_old[2 * Reports::levelsPerGroup];

// Argument types after the code letters: VA carries two groups of ten levels
// and the unit's address.
const Receiver::ReportRow Receiver::reportRows[] = {
    { 'S', 'C', "ii",                    -1, &Receiver::handleSC },
    { 'O', 'T', "ffffiiiiii",            -1, &Receiver::handleOT },
    { 'R', 'K', "",                      -1, &Receiver::handleRK },
    { 'L', 'K', "",                      -1, &Receiver::handleLK },
    { 'R', 'F', "",                      -1, &Receiver::handleRF },
    { 'O', 'K', "",                      -1, &Receiver::handleOK },
    { 'I', 'L', "f",                     -1, &Receiver::handleIL },
    { 'C', 'L', "",                      -1, &Receiver::handleCL },
    { 'V', 'A', "ffffffffffffffffffffs", 22, &Receiver::handleVA },
    { 'G', 'N', "fs",                     3, &Receiver::handleGN },
    { 'A', 'A', "is",                     3, &Receiver::handleAA },
    { 'B', 'P', "is",                     3, &Receiver::handleBP },
    { 'M', 'T', "is",                     3, &Receiver::handleMT },
    { 'C', 'S', "is",                     3, &Receiver::handleCS },
    { '4', '8', "i",                     -1, &Receiver::handle48 },
    { 'V', 'R', "s",                     -1, &Receiver::handleVR },
    { 'U', 'N', "s",                     -1, &Receiver::handleUN },
    { 'L', 'V', "if",                    -1, &Receiver::handleLV },
    { 'M', 'N', "i",                     -1, &Receiver::handleMN },
};

//==============================================================================
bool PendingReports::add (juce::OSCMessage message, bool isLevelReport)
{
    const std::lock_guard<std::mutex> guard (lock);

    if (isLevelReport)
    {
        level = std::move (message);
        return true;
    }

    const auto bytes = bytesOf (message);
    if (ordered.size() >= maxMessages || orderedBytes + bytes > maxBytes)
    {
        ++dropped;
        return false;
    }

    orderedBytes += bytes;
    ordered.push_back (std::move (message));
    return true;
}

std::vector<juce::OSCMessage> PendingReports::take (std::size_t maxCount)
{
    const std::lock_guard<std::mutex> guard (lock);

    std::vector<juce::OSCMessage> out;
    while (! ordered.empty() && out.size() < maxCount)
    {
        orderedBytes -= bytesOf (ordered.front());
        out.push_back (std::move (ordered.front()));
        ordered.pop_front();
    }

    if (ordered.empty() && level && out.size() < maxCount)
    {
        out.push_back (std::move (*level));
        level.reset();
    }

    return out;
}

std::size_t PendingReports::size() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return ordered.size() + (level ? 1 : 0);
}

std::size_t PendingReports::getNumDropped() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return dropped;
}

std::size_t PendingReports::bytesOf (const juce::OSCMessage& m)
{
    std::size_t bytes = 64;
    for (const auto& a : m)
    {
        if (a.isBlob())        bytes += a.getBlob().getSize();
        else if (a.isString()) bytes += (std::size_t) a.getString().getNumBytesAsUTF8();
        bytes += 16;
    }
    return bytes;
}

//==============================================================================
// Reads the report port. Its wait ends at once when the socket is shut down,
// so the application quits without delay.
class Receiver::ReadingThread : public juce::Thread
{
public:
    ReadingThread (Receiver& r, juce::DatagramSocket& s) : juce::Thread ("VELD72 reports"), receiver (r), socket (s) {}

    void run() override
    {
        constexpr int bufferSize = 65536;
        juce::HeapBlock<char> buffer (bufferSize);

        while (! threadShouldExit())
        {
            const auto ready = socket.waitUntilReady (true, 100);
            if (ready < 0 || threadShouldExit())
                return;
            if (ready == 0)
                continue;

            juce::String senderAddress;
            int senderPort = 0;
            const auto bytesRead = socket.read (buffer.getData(), bufferSize, false, senderAddress, senderPort);
            if (bytesRead > 0)
                receiver.receiveDatagram (buffer.getData(), (std::size_t) bytesRead, senderAddress);
        }
    }

private:
    Receiver& receiver;
    juce::DatagramSocket& socket;
};

Receiver::Receiver()
{
    std::fill (std::begin (recieve_va_old), std::end (recieve_va_old), -100.0f);

    if (! bindReportPort())
        showConnectionErrorMessage ("Error: could not connect to UDP port " + juce::String (reportPort) + ".");
}

Receiver::~Receiver()
{
    if (readingThread != nullptr)
    {
        readingThread->signalThreadShouldExit();
        socket.shutdown();
        readingThread->stopThread (2000);
    }

    cancelPendingUpdate();
}

bool Receiver::bindReportPort()
{
    // JUCE's sockets allow address reuse, which would let the bind "succeed"
    // on a port that another program holds; turn it off so a taken port is
    // reported.
    socket.setEnablePortReuse (false);

    if (! socket.bindToPort (reportPort))
        return false;

    readingThread = std::make_unique<ReadingThread> (*this, socket);
    bound = readingThread->startThread();
    return bound;
}

bool Receiver::acceptsSender (const juce::String& senderAddress)
{
    const auto selected = sendCommand.getCurrentIpAddr();
    if (selected.isEmpty() || selected == "0.0.0.0")
        return true;

    return senderAddress == selected;
}

void Receiver::receiveDatagram (const void* data, std::size_t size, const juce::String& senderAddress)
{
    if (! acceptsSender (senderAddress))
        return;

    std::vector<juce::OSCMessage> messages;
    if (! OscRead::readDatagram (data, size, messages))
        return;

    bool queued = false;

    for (auto& m : messages)
    {
        // Units send this address as it is. Wildcard patterns are not
        // matched: JUCE's matching backtracks without bound on a row of '*'.
        if (m.getAddressPattern().toString() != "/juce/rotaryknob")
            continue;

        const auto* row = findReportRow (m);
        const auto isLevelReport = row != nullptr && row->c1 == 'V' && row->c2 == 'A';

        // Level reports of other units would push out the selected unit's.
        if (isLevelReport && ! isForSelectedUnit (m, row->addressIndex))
            continue;

        queued = pending.add (std::move (m), isLevelReport) || queued;
    }

    if (queued)
        triggerAsyncUpdate();
}

void Receiver::handleAsyncUpdate()
{
    for (const auto& m : pending.take (reportsPerTurn))
        oscMessageReceived (m);

    if (pending.size() > 0)
        triggerAsyncUpdate();
}

void Receiver::handlePendingReports()
{
    while (pending.size() > 0)
        for (const auto& m : pending.take (reportsPerTurn))
            oscMessageReceived (m);
}

void Receiver::setPanels (LeftComponent* l, BottomPanelComponent* bp, RightComponent* r, CenterComponent* c,
                          BottomSystemComponent* bs, BottomSaveComponent* sv, TopComponent* t)
{
    left = l;
    bottomPanel = bp;
    right = r;
    center = c;
    bottomSystem = bs;
    bottomSave = sv;
    top = t;
}

void Receiver::showConnectionErrorMessage (const juce::String& message)
{
    WarningAlerts::show ("Connection error", message);
}

Receiver::Classification Receiver::classify (const juce::OSCMessage& m)
{
    if (m.isEmpty())
        return {};

    if (m[0].isBlob())
        return { Kind::dataStream };

    if (m.size() < 2 || ! m[0].isInt32() || ! m[1].isInt32())
        return {};

    return { Kind::coded, (char) (m[0].getInt32() & 0xff), (char) (m[1].getInt32() & 0xff) };
}

const Receiver::ReportRow* Receiver::findReportRow (const juce::OSCMessage& m)
{
    const auto c = classify (m);
    if (c.kind != Kind::coded)
        return nullptr;

    for (const auto& row : reportRows)
    {
        if (row.c1 != c.c1 || row.c2 != c.c2)
            continue;

        const auto numTypes = (int) std::strlen (row.argumentTypes);
        if (m.size() < 2 + numTypes)
            return nullptr;

        for (int k = 0; k < numTypes; ++k)
            if (m[2 + k].getType() != row.argumentTypes[k])
                return nullptr;

        return &row;
    }

    return nullptr;
}

bool Receiver::isForSelectedUnit (const juce::OSCMessage& m, int addressIndex)
{
    if (addressIndex < 0)
        return true;

    const auto selected = sendCommand.getCurrentIpAddr();
    return selected.isNotEmpty() && m[addressIndex].getString() == selected;
}

void Receiver::oscMessageReceived (const juce::OSCMessage& m)
{
    if (classify (m).kind == Kind::dataStream)
    {
        handleDataStream (m);
        return;
    }

    if (const auto* row = findReportRow (m))
        if (isForSelectedUnit (m, row->addressIndex))
            (this->*(row->handler)) (m);
}

//==============================================================================
void Receiver::handleDataStream (const juce::OSCMessage& m)
{
    const auto& blob = m[0].getBlob();
    dataStream.handleBlob (static_cast<const std::uint8_t*> (blob.getData()), blob.getSize());
}

void Receiver::handleSC (const juce::OSCMessage& m)
{
    if (bottomSystem == nullptr)
        return;

    if (const auto label = Reports::sampleClockLabel (m[2].getInt32(), m[3].getInt32()))
        bottomSystem->setLabelSL (*label);
}

void Receiver::handleOT (const juce::OSCMessage& m)
{
    if (bottomPanel != nullptr)
    {
        if (const auto f = truncated (m[2].getFloat32())) bottomPanel->setFreq1 (*f);
        if (const auto f = truncated (m[3].getFloat32())) bottomPanel->setFreq2 (*f);
        if (const auto f = truncated (m[4].getFloat32())) bottomPanel->setFreq3 (*f);
    }

    if (left != nullptr && isNumber (m[5].getFloat32()))
        left->setNlValue (m[5].getFloat32());

    if (bottomSystem != nullptr)
    {
        const auto source = m[6].getInt32();
        const auto rate = m[7].getInt32();

        if (const auto label = Reports::outputSampleRateLabel (rate))
            bottomSystem->setLabelSL (*label);

        if (const auto id = Reports::outputClockSourceId (source, rate))
            bottomSystem->setComboCSValue (*id);

        bottomSystem->setComboFilterValue (m[8].getInt32());
    }

    if (center != nullptr)
    {
        auto& view = center->getResponseView();
        view.setCurrentPosRed (m[11].getInt32());
        view.setCurrentPosGreen (m[10].getInt32());
        view.setCurrentPosBlue (m[9].getInt32());
    }
}

void Receiver::handleRK (const juce::OSCMessage&)
{
    readSettingsSnapshot();
    readPointRecord();
}

void Receiver::readSettingsSnapshot()
{
    const auto words = CacheFiles::readWords (CacheFiles::path (CacheFiles::reg), CacheFiles::regWords);
    if (! words)
        return;

    const auto& w = *words;

    if (right != nullptr)
        if (const auto gain = Reports::masterGainFromReg (w[3]))
            right->setMasterSliderValue (*gain);

    if (bottomSystem != nullptr)
    {
        if (const auto format = Reports::stereoFormatFromReg ((std::int32_t) w[9]))
        {
            bottomSystem->setComboSFValue (format->stereoFormat);
            bottomSystem->setComboSubValue (format->sub);
        }
    }

    if (left != nullptr)
        left->setMlValue ((float) (std::int32_t) w[10]);

    if (bottomPanel != nullptr)
    {
        bottomPanel->setM1Mute ((w[12] & 1) != 0);
        bottomPanel->setM2Mute ((w[12] & 2) != 0);
        bottomPanel->setM3Mute ((w[12] & 4) != 0);
        bottomPanel->setM4Mute ((w[12] & 8) != 0);
    }
}

void Receiver::readPointRecord()
{
    const auto record = CacheFiles::readDespoint (CacheFiles::path (CacheFiles::despoint));
    if (record && center != nullptr)
        center->getCurveEditor().applyPointRecord (*record);
}

void Receiver::handleLK (const juce::OSCMessage&)
{
    if (bottomSave == nullptr)
        return;

    const auto words = CacheFiles::readWords (CacheFiles::path (CacheFiles::lmt), CacheFiles::lmtWords);
    if (! words)
        return;

    const int band = BottomSaveComponent::lmtNum;
    if (band < 0 || band > 3)
        return;

    for (int i = 0; i < CacheFiles::lmtWords; ++i)
    {
        const auto word = Reports::splitLmtWord ((*words)[(size_t) i]);

        if (i == band)
        {
            bottomSave->setLmtThresholdSliderValue ((float) word.b0);
            bottomSave->setLmtRatioSliderValue ((float) word.b1);
            bottomSave->setLmtKneeSliderValue ((float) word.b2);
            bottomSave->setLmtAttackTimeSliderValue (word.b3);
        }
        else if (i == band + 4)
        {
            bottomSave->setLmtReleaseTimeSliderValue (word.b0);
            bottomSave->setLmtMakeUpGainSliderValue (word.b1);

            if (BottomSaveComponent::lmtBypass != word.hiNonZero)
                bottomSave->showLmtBypass (word.hiNonZero);
        }
    }
}

void Receiver::handleRF (const juce::OSCMessage&)
{
    sendCommand.sendFOCommand (Reports::outputConfigurationCode (BottomSystemComponent::getMyMode()));
    sendCommand.sendMUCommand (RightComponent::getMuteStatus() ? 1 : 0);

    if (right != nullptr)
        sendCommand.sendGACommand (right->getMasterSliderValue());

    sendCommand.sendLVCommand (1, BottomPanelComponent::getSliderValueLevel1());
    sendCommand.sendLVCommand (3, BottomPanelComponent::getSliderValueLevel3());
    sendCommand.sendLVCommand (5, BottomPanelComponent::getSliderValueLevel5());
    sendCommand.sendLVCommand (7, BottomPanelComponent::getSliderValueLevel7());

    sendCommand.sendMLCommand (LeftComponent::getMlValue());
    sendCommand.sendNLCommand (LeftComponent::getNlValue());

    if (right != nullptr)
        sendCommand.sendSECommand (right->getAnalogComboValue());

    for (unsigned char channel = 1; channel <= 4; ++channel)
        sendCommand.sendMTCommand (channel, 0);
}

void Receiver::handleOK (const juce::OSCMessage&)
{
    waitAbleEvent.signal();
}

void Receiver::handleIL (const juce::OSCMessage& m)
{
    if (left == nullptr)
        return;

    const auto v = m[2].getFloat32();

    if (const auto meter = Reports::inputMeterValue (v))
        left->getinputLevelSlider()->setValue (*meter, juce::sendNotificationAsync);

    if (std::isfinite (v))
        left->getTopLabel()->setText (Reports::inputLevelLabel (v, LeftComponent::getMlValue()), juce::dontSendNotification);
}

void Receiver::handleCL (const juce::OSCMessage&)
{
    if (left != nullptr)
        left->getinputLevelSlider()->setValue (0.0, juce::sendNotificationAsync);
}

void Receiver::handleVA (const juce::OSCMessage& m)
{
    constexpr int n = Reports::levelsPerGroup;
    float first[n], second[n], displayFirst[n], displaySecond[n];

    for (int k = 0; k < n; ++k)
    {
        first[k] = m[2 + k].getFloat32();
        second[k] = m[2 + n + k].getFloat32();
    }

    Reports::applyLevelReport (recieve_va_old, holdCounters, first, second, displayFirst, displaySecond);

    if (bottomPanel != nullptr)
        bottomPanel->setLeftVerticalSlierValue (displayFirst[0], displayFirst[1], displayFirst[2], displayFirst[3],
                                                displayFirst[4], displayFirst[5], displayFirst[6], displayFirst[7],
                                                displaySecond[0], displaySecond[1], displaySecond[2], displaySecond[3],
                                                displaySecond[4], displaySecond[5], displaySecond[6], displaySecond[7]);

    if (right != nullptr)
        right->setLevelSliderValue (displayFirst[8], displayFirst[9], displaySecond[8], displaySecond[9]);
}

void Receiver::handleGN (const juce::OSCMessage& m)
{
    if (right != nullptr && isNumber (m[2].getFloat32()))
        right->setMasterSliderValue (m[2].getFloat32());
}

void Receiver::handleAA (const juce::OSCMessage& m)
{
    if (right != nullptr)
        right->setAnalogComboValue (m[2].getInt32());
}

void Receiver::handleBP (const juce::OSCMessage& m)
{
    if (right != nullptr)
        right->setByPassStatus_1 (m[2].getInt32() != 0);
}

void Receiver::handleMT (const juce::OSCMessage& m)
{
    if (right != nullptr)
        right->setMuteStatus (m[2].getInt32() != 0);
}

void Receiver::handleCS (const juce::OSCMessage& m)
{
    if (bottomSystem != nullptr)
        bottomSystem->setComboCSValue (m[2].getInt32());
}

void Receiver::handle48 (const juce::OSCMessage& m)
{
    if (left != nullptr)
        left->setM48v (m[2].getInt32() != 0);
}

void Receiver::handleVR (const juce::OSCMessage& m)
{
    if (bottomSystem != nullptr)
        bottomSystem->setVersion (m[2].getString());
}

void Receiver::handleUN (const juce::OSCMessage& m)
{
    if (top != nullptr)
        top->setUnitName (m[2].getString());
}

void Receiver::handleLV (const juce::OSCMessage& m)
{
    const auto level = m[3].getFloat32();
    if (bottomPanel == nullptr || ! isNumber (level))
        return;

    switch (m[2].getInt32())
    {
        case 1:  bottomPanel->setSliderValueLevel1 (level); break;
        case 3:  bottomPanel->setSliderValueLevel3 (level); break;
        case 7:  bottomPanel->setSliderValueLevel7 (level); break;
        default: bottomPanel->setSliderValueLevel5 (level); break;
    }
}

void Receiver::handleMN (const juce::OSCMessage& m)
{
    const auto count = m[2].getInt32();
    if (count > 12)
        FrequencyResponseAndCrossoverComponent::mydisplayModeAll = count;

    FrequencyResponseAndCrossoverComponent::mydisplayMode = dataStream.getDisplayMode();
    waitFftEvent.signal();
}
