#include "app/Main.h"

#include "app/Fonts.h"
#include "app/MainComponent.h"
#include "link/CacheFiles.h"

const juce::String VELD72Application::getApplicationName()    { return "VELD72"; }
const juce::String VELD72Application::getApplicationVersion() { return "1.0.0"; }
bool VELD72Application::moreThanOneInstanceAllowed()          { return true; }

void VELD72Application::initialise (const juce::String&)
{
    CacheFiles::ensureCacheDirectory();

    const auto typeface = Fonts::chooseSansSerifTypefaceName (juce::Font::findAllTypefaceNames());
    juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypefaceName (typeface);

    mainWindow = std::make_unique<MainWindow> (getApplicationName());
}

void VELD72Application::shutdown()
{
    mainWindow = nullptr;
}

void VELD72Application::systemRequestedQuit()
{
    quit();
}

void VELD72Application::anotherInstanceStarted (const juce::String&)
{
}

VELD72Application::MainWindow::MainWindow (const juce::String&)
    : DocumentWindow (title,
                      juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                      DocumentWindow::minimiseButton | DocumentWindow::closeButton)
{
    setUsingNativeTitleBar (false);
    setContentOwned (new MainContentComponent(), true);
    centreWithSize (getWidth(), getHeight());
    setResizable (false, false);
    setVisible (true);
}

void VELD72Application::MainWindow::closeButtonPressed()
{
    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}
