#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// The warning alerts of the device link and the top bar ("bind error",
// "Connection error", "the network down"): asynchronous alert windows with the
// warning icon and one "OK" button. A program without a display (the tests,
// the link driver) installs a presenter of its own instead.
namespace WarningAlerts
{
    using Presenter = std::function<void (const juce::String& title, const juce::String& message,
                                          std::function<void()> onDismissed)>;

    // onDismissed runs on the message thread once the user has closed the alert.
    void show (const juce::String& title, const juce::String& message, std::function<void()> onDismissed = {});

    // Replaces the presenter; an empty one restores the alert windows.
    // Returns the previous one.
    Presenter setPresenter (Presenter presenter);

    // Installs a presenter for as long as it exists.
    class ScopedPresenter
    {
    public:
        explicit ScopedPresenter (Presenter p) : previous (setPresenter (std::move (p))) {}
        ~ScopedPresenter() { setPresenter (std::move (previous)); }

        ScopedPresenter (const ScopedPresenter&) = delete;
        ScopedPresenter& operator= (const ScopedPresenter&) = delete;

    private:
        Presenter previous;
    };
}
