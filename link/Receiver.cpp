#include "link/Receiver.h"

#include "link/Globals.h"

#include <juce_gui_basics/juce_gui_basics.h>

Receiver::Receiver()
{
    if (! bindReportPort())
        showConnectionErrorMessage ("Error: could not connect to UDP port " + juce::String (reportPort) + ".");

    addListener (this, "/juce/rotaryknob");
}

Receiver::~Receiver()
{
    removeListener (this);
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
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon,
                                            "Connection error", message, "OK");
}

void Receiver::oscMessageReceived (const juce::OSCMessage&)
{
}
