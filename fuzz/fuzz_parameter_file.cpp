// Any text as a parameter file: the safe document reading, then the load into
// the whole window's panels, headless. No unit is selected, so the uploads a
// load makes go nowhere; the cache files it rewrites go to a private Music
// folder.
#include "FuzzHome.h"
#include "app/MainComponent.h"
#include "app/XmlFiles.h"
#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "panels/PanelLoadTarget.h"
#include "panels/ParameterDocument.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    MainContentComponent* content = nullptr;
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    usePrivateHome();

    // Never destroyed: at exit the framework's shutdown would run after the
    // static list it cleans up is gone.
    static auto* const juceInit = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (juceInit);
    content = new MainContentComponent();
    sendCommand.setCurrentIpAddr ({});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // As a file is read: the bytes' encoding is recognised, then the checks.
    const auto parsed = XmlFiles::parseDocumentBytes (std::string (reinterpret_cast<const char*> (data), size));
    if (parsed.document == nullptr)
        return 0;
    const auto root = parsed.document->toXmlElement();

    PanelLoadTarget target (*content);
    ParameterDocument::load (*root, target, sendCommand);

    // What the load set must save again.
    (void) ParameterDocument::makePanelElements (collectPanelSettings (*content));
    return 0;
}
