#include "link/Receiver.h"

#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/TopComponent.h"

#include <cstring>

const Receiver::ReportRow Receiver::reportRows[] = {
    { 'O', 'K', "",  -1, &Receiver::handleOK },
    { 'U', 'N', "s", -1, &Receiver::handleUN },
};

Receiver::Receiver()
{
    if (! bindReportPort())
        showConnectionErrorMessage ("Error: could not connect to UDP port " + juce::String (reportPort) + ".");

    addListener (this, "/juce/rotaryknob");
}

Receiver::~Receiver()
{
    removeListener (this);
    socket.shutdown();
    disconnect();
}

bool Receiver::bindReportPort()
{
    // JUCE's sockets allow address reuse, which would let the bind "succeed"
    // on a port that another program holds; turn it off so a taken port is
    // reported.
    socket.setEnablePortReuse (false);

    if (! socket.bindToPort (reportPort))
        return false;

    bound = connectToSocket (socket);
    return bound;
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
        return;

    if (const auto* row = findReportRow (m))
        if (isForSelectedUnit (m, row->addressIndex))
            (this->*(row->handler)) (m);
}

void Receiver::handleOK (const juce::OSCMessage&)
{
    waitAbleEvent.signal();
}

void Receiver::handleUN (const juce::OSCMessage& m)
{
    if (top != nullptr)
        top->setUnitName (m[2].getString());
}
