#include "panels/TopComponent.h"

#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/DemoBackgroundThread.h"
#include "panels/PanelLoadTarget.h"
#include "panels/ParameterDocument.h"

namespace
{
    juce::File defaultParameterFile()
    {
        return CacheFiles::getCacheDirectory().getChildFile ("default.xml");
    }
}

int TopComponent::SaveParaFile (bool useDefaultFile)
{
    // Saving to the default file is not offered: nothing is written there.
    // A top bar outside the window has no panels to save.
    if (useDefaultFile || findParentComponentOfClass<MainContentComponent>() == nullptr)
        return 2;

    // The window may close while the chooser is open.
    const juce::Component::SafePointer<TopComponent> safeThis (this);
    juce::FileChooser chooser ("Open From", CacheFiles::getCacheDirectory(), "*.parameter");
    if (! chooser.browseForFileToSave (true) || safeThis == nullptr)
        return 2;

    auto* content = findParentComponentOfClass<MainContentComponent>();
    if (content == nullptr)
        return 2;

    // An existing file is replaced only once the new one is completely
    // written, so it is not deleted here.
    auto file = chooser.getResult();
    SavePara (file);

    DemoBackgroundThread::launch (content->getBottomMeasure().getMaxNum());
    return 2;
}

int TopComponent::SavePara (juce::File& file)
{
    chosenSave = file;

    if (auto* content = findParentComponentOfClass<MainContentComponent>())
        ParameterDocument::appendChildren (allValue, ParameterDocument::makePanelElements (collectPanelSettings (*content)));

    return 1;
}

int TopComponent::OpenParaFile (bool useDefaultFile)
{
    if (useDefaultFile)
    {
        auto file = defaultParameterFile();
        if (! file.existsAsFile())
            return 2;

        OpenPara (file);
        return 1;
    }

    if (findParentComponentOfClass<MainContentComponent>() == nullptr)
        return 3;

    const juce::Component::SafePointer<TopComponent> safeThis (this);
    juce::FileChooser chooser ("Open From", CacheFiles::getCacheDirectory(), "*.parameter");
    if (! chooser.browseForFileToOpen() || safeThis == nullptr)
        return 3;

    juce::MouseCursor::showWaitCursor();

    auto file = chooser.getResult();
    OpenPara (file);
    return 3;
}

void TopComponent::OpenPara (juce::File& file)
{
    auto* content = findParentComponentOfClass<MainContentComponent>();
    if (content == nullptr)
        return;

    PanelLoadTarget target (*content);
    const auto result = ParameterDocument::loadFile (file, target, sendCommand);

    if (result.failed())
        WarningAlerts::show (ParameterDocument::loadFailedTitle(), result.getErrorMessage());
}
