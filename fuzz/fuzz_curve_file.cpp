// Any text as a curve file: the safe document reading, then the editor
// rebuilt from whatever it accepts.
#include "app/XmlFiles.h"
#include "views/CurveComponent.h"
#include "views/CurveFile.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    CurveComponent* editor = nullptr;
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // Never destroyed: at exit the framework's shutdown would run after the
    // static list it cleans up is gone (a double free).
    static auto* const juceInit = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (juceInit);
    editor = new CurveComponent();
    editor->setSize (723, 358);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // As a curve file is read: its bytes' encoding recognised, then parsed.
    const auto parsed = XmlFiles::parseDocumentBytes (std::string (reinterpret_cast<const char*> (data), size));
    if (parsed.document != nullptr)
    {
        applyCurveDocument (*editor, *parsed.document->toXmlElement());
        (void) createCurveDocument (*editor);
    }
    return 0;
}
