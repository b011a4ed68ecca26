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
    const auto text = juce::String::fromUTF8 (reinterpret_cast<const char*> (data), (int) size);
    const auto result = XmlFiles::parseDocumentText (text);
    if (result.document != nullptr)
    {
        applyCurveDocument (*editor, *result.document);
        (void) createCurveDocument (*editor);
    }
    return 0;
}
