// One datagram on the report port, as the selected unit's: the strict reading,
// the queue and the dispatch to the panels of a whole window, headless.
#include "FuzzHome.h"
#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "link/Receiver.h"

namespace
{
    constexpr const char* unitAddress = "127.0.0.1";
    Receiver* receiver = nullptr;
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    usePrivateHome();

    // Kept to the end of the process and never destroyed: at exit JUCE's
    // shutdown would run after its own static lists are gone.
    static auto* juceInit = new juce::ScopedJuceInitialiser_GUI();
    static auto* content = new MainContentComponent();
    juce::ignoreUnused (juceInit);
    sendCommand.setCurrentIpAddr (unitAddress);
    receiver = &content->getReceiver();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    receiver->receiveDatagram (data, size, unitAddress);
    receiver->handlePendingReports();
    waitAbleEvent.reset();
    waitFftEvent.reset();
    return 0;
}
