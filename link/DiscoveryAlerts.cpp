#include "link/DiscoveryAlerts.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <mutex>

namespace
{
    std::mutex presenterLock;

    WarningAlerts::Presenter& currentPresenter()
    {
        static WarningAlerts::Presenter presenter;
        return presenter;
    }
}

void WarningAlerts::show (const juce::String& title, const juce::String& message, std::function<void()> onDismissed)
{
    Presenter presenter;
    {
        const std::lock_guard<std::mutex> guard (presenterLock);
        presenter = currentPresenter();
    }

    if (presenter)
    {
        presenter (title, message, std::move (onDismissed));
        return;
    }

    juce::ModalComponentManager::Callback* callback = nullptr;
    if (onDismissed)
        callback = juce::ModalCallbackFunction::create ([done = std::move (onDismissed)] (int) { done(); });

    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, message, "OK", nullptr, callback);
}

WarningAlerts::Presenter WarningAlerts::setPresenter (Presenter presenter)
{
    const std::lock_guard<std::mutex> guard (presenterLock);
    std::swap (currentPresenter(), presenter);
    return presenter;
}
