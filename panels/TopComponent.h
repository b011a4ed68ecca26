#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>

// The strip across the top: brand header, four unit slots (name label,
// address button, status icon), "Connect" and the file menu. Its own thread
// polls the selected unit and shows by the icons' colours whether it answers.
class TopComponent : public juce::Component,
                     public juce::Button::Listener,
                     public juce::Label::Listener,
                     public juce::Thread
{
public:
    // The network status thread's pause between cycles and the longest wait
    // for the unit's answer to a poll.
    struct StatusTiming
    {
        int pauseMs = 1000;
        int replyWaitMs = 1000;
    };

    TopComponent();
    explicit TopComponent (StatusTiming timing);
    ~TopComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;
    void labelTextChanged (juce::Label*) override;
    void run() override;

    // Consecutive unanswered polls that mean "network down"; 1 while its alert is open.
    static int timepasted;
    static int again;
    static void setTimePassed (int t);

    void setUnitName (juce::String name);

    // File menu items 1 to 4.
    void SaveCurveFile();
    void OpenCurveFile();
    // Parameter files: true = the default file "default.xml" in the cache
    // directory instead of a chooser. SaveParaFile returns 2; OpenParaFile 3
    // after the chooser, 1 or 2 for the default file (loaded or missing).
    int SaveParaFile (bool);
    int OpenParaFile (bool);

    // The panel settings go into allValue and the file becomes chosenSave;
    // the snapshot task writes it. Returns 1.
    int SavePara (juce::File&);

    // Loads the file into the panels, the cache files and the unit. A file
    // that is missing or not well-formed changes nothing and is reported in
    // a warning alert.
    void OpenPara (juce::File&);

    // The file menu as it opens now, and what choosing result from it does.
    juce::PopupMenu createFileMenu() const;
    void fileMenuItemChosen (int result);

    static constexpr const char* updaterPath = "/Applications/VarnUpdate.app/Contents/MacOS/VarnUpdate";

    // What "Connect" runs; tests put a discovery of their own here.
    void setDiscovery (std::function<void()> discovery);

    juce::TextButton& getConnectButton() noexcept         { return connectButton; }
    juce::ShapeButton& getMenuButton() noexcept           { return *menuButton; }
    juce::TextButton& getAddressButton (int k)            { return *addressButtons[(size_t) (k - 1)]; }
    juce::ShapeButton& getStatusIcon (int k)              { return *statusIcons[(size_t) (k - 1)]; }
    juce::Label& getUnitLabel (int k)                     { return unitLabels[(size_t) (k - 1)]; }
    juce::Colour getStatusIconColour (int k) const        { return iconColours[(size_t) (k - 1)][0]; }
    int getSelectedUnit() const noexcept                  { return selectedUnit.load(); }
    int getNetFailCount() const noexcept                  { return netFailCount; }
    int getLastMenuItem() const noexcept                  { return lastMenuItem; }

private:
    void setIconColours (int k, juce::Colour normal, juce::Colour over, juce::Colour down);
    void selectUnit (int k);
    void connect();
    void showFileMenu();
    bool waitForReply();
    void pollOnce();
    void markResponseViewNotPrepared();

    const StatusTiming timing;

    juce::LookAndFeel_V1 buttonStyle;

    std::array<std::unique_ptr<juce::ShapeButton>, 4> statusIcons;
    std::array<std::array<juce::Colour, 3>, 4> iconColours;   // normal, over, down
    std::unique_ptr<juce::ShapeButton> menuButton;
    juce::TextButton connectButton { "Connect" };
    std::array<std::unique_ptr<juce::TextButton>, 4> addressButtons;
    std::array<juce::Label, 4> unitLabels;

    int netFailCount = 0;
    std::atomic<int> selectedUnit { 0 };
    int lastMenuItem = -1;   // no item ticked until the first choice
    juce::ChildProcess updater;

    std::function<void()> discovery;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TopComponent)
};
