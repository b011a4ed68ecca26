// The framework's floor for starting and quitting: a window of the app's size
// with a single filled component and nothing else, built from the same JUCE
// library as the app.

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    struct Filled : juce::Component
    {
        void paint (juce::Graphics& g) override { g.fillAll (juce::Colour (0xFF53585F)); }
    };

    struct Window : juce::DocumentWindow
    {
        Window() : DocumentWindow ("empty", juce::Colours::black, DocumentWindow::minimiseButton | DocumentWindow::closeButton)
        {
            setUsingNativeTitleBar (false);
            auto content = std::make_unique<Filled>();
            content->setSize (1024, 720);
            setContentOwned (content.release(), true);
            centreWithSize (getWidth(), getHeight());
            setResizable (false, false);
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }
    };

    struct EmptyApp : juce::JUCEApplication
    {
        const juce::String getApplicationName() override    { return "empty"; }
        const juce::String getApplicationVersion() override { return "1"; }
        void initialise (const juce::String&) override      { window = std::make_unique<Window>(); }
        void shutdown() override                            { window = nullptr; }

        std::unique_ptr<Window> window;
    };
}

START_JUCE_APPLICATION (EmptyApp)
