// veld72-app-driver: the whole content component of VELD72 without a window,
// driven through a typical measurement against a unit on the network, for the
// end-to-end tests inside network namespaces.
//
//   veld72-app-driver measure --snapshots DIR [--speed N] [--timeout-ms MS]
//   veld72-app-driver soak --seconds S [--speed N] [--folder DIR]
//
// It finds and selects the first unit, switches "Measure ON", measures the
// five points, presses "Compute", then shapes a target curve and applies it,
// and applies the crossovers. It prints what it sees, one fact a line, and
// keeps pictures of the window and the response view in DIR. Alerts are
// printed as "alert <title> | <message>" instead of shown.
//
// "soak" selects the unit and then, for S seconds, repeats: the five points
// and "Compute", a parameter save, its load, a second save that must equal
// the first, and a curve file saved and loaded back; all the while the unit's
// level reports and the status polls go on. It prints the cycles, what was
// lost, how the meters and polls kept up, and the resident size over time.

#include "app/Fonts.h"
#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/PanelLoadTarget.h"
#include "panels/ParameterDocument.h"
#include "views/CurveFile.h"

#include <iostream>

namespace
{
    int alertCount = 0;

    void printLine (const juce::String& line)
    {
        std::cout << line << std::endl;
    }

    void alert (const juce::String& title, const juce::String& message)
    {
        ++alertCount;
        printLine ("alert " + title + " | " + message);
    }

    juce::String optionText (const juce::StringArray& args, const juce::String& name, const juce::String& fallback)
    {
        const int k = args.indexOf (name);
        return k >= 0 && k + 1 < args.size() ? args[k + 1] : fallback;
    }

    void pump (int ms)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
    }

    // Pumps the message loop until the condition holds or the time is up.
    bool waitFor (const std::function<bool()>& condition, int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() > end)
                return false;
            pump (10);
        }
        return true;
    }

    using View = FrequencyResponseAndCrossoverComponent;

    struct NamedPath { const char* name; const juce::Path* path; };
    const NamedPath curves[] = {
        { "1", &View::myPath1 }, { "2", &View::myPath2 }, { "3", &View::myPath3 }, { "4", &View::myPath4 },
        { "5", &View::myPath5 }, { "L", &View::myPathL }, { "R", &View::myPathR },
    };

    int countVertices (const juce::Path& p)
    {
        int n = 0;
        for (juce::Path::Iterator it (p); it.next();)
            ++n;
        return n;
    }

    // One line per curve: its vertex count, and whether it lies within the
    // drawing area of the view (x from 20 Hz to 20 kHz, y above the limit).
    void printCurves()
    {
        for (const auto& c : curves)
        {
            const auto bounds = c.path->getBounds();
            const bool inside = ! c.path->isEmpty() && bounds.getX() >= 29.0f && bounds.getRight() <= 713.0f
                             && bounds.getBottom() <= 295.0f;
            printLine ("curve " + juce::String (c.name) + " vertices " + juce::String (countVertices (*c.path))
                       + (inside ? " inside" : " outside " + bounds.toString()));
        }

        int distinct = 0;
        for (int i = 0; i < 5; ++i)
        {
            bool unique = ! curves[i].path->isEmpty();
            for (int j = 0; j < 5; ++j)
                unique = unique && (i == j || ! (*curves[i].path == *curves[j].path));
            distinct += unique ? 1 : 0;
        }
        printLine ("distinct point curves " + juce::String (distinct));
    }

    juce::Image keepSnapshot (juce::Component& c, const juce::File& dir, const juce::String& name)
    {
        const auto image = c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);
        dir.createDirectory();
        const auto file = dir.getChildFile (name + ".png");
        file.deleteFile();
        juce::FileOutputStream out (file);
        if (out.openedOk())
            juce::PNGImageFormat().writeImageToStream (image, out);
        printLine ("snapshot " + file.getFileName());
        return image;
    }

    // Pixels of a curve colour in the plotting area, clear of the marker
    // (x = 34), the labels and the controls at the bottom; the curves are
    // thin smoothed lines, so their colour is taken by its character.
    template <typename Predicate>
    int countCurvePixels (const juce::Image& image, Predicate&& matches)
    {
        int n = 0;
        for (int y = 40; y < juce::jmin (260, image.getHeight()); ++y)
            for (int x = 40; x < juce::jmin (700, image.getWidth()); ++x)
                n += matches (image.getPixelAt (x, y)) ? 1 : 0;
        return n;
    }

    juce::String describePoints (const std::vector<juce::Point<int>>& points)
    {
        juce::StringArray s;
        for (auto p : points)
            s.add (p.toString());
        return s.joinIntoString (" | ");
    }

    std::vector<juce::Point<int>> sortedByX (std::vector<juce::Point<int>> points)
    {
        std::stable_sort (points.begin(), points.end(), [] (auto a, auto b) { return a.x < b.x; });
        return points;
    }

    // Resident size of this process, in kB (0 where /proc is not there).
    juce::int64 residentKb()
    {
        const auto status = juce::File ("/proc/self/status").loadFileAsString();
        for (const auto& line : juce::StringArray::fromLines (status))
            if (line.startsWith ("VmRSS:"))
                return line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();
        return 0;
    }

    // Finds the first unit (discovery is retried: its window is short) and
    // selects it; its state arrives: its name, then the blocks and "LK" last.
    bool selectFirstUnit (MainContentComponent& content)
    {
        auto& top = content.getTop();
        for (int attempt = 0; attempt < 3 && top.getAddressButton (1).getButtonText() == "0.0.0.0"; ++attempt)
            top.buttonClicked (&top.getConnectButton());
        top.buttonClicked (&top.getAddressButton (1));
        printLine ("selected " + sendCommand.getCurrentIpAddr());

        const bool named = waitFor ([&] { return top.getUnitLabel (1).getText() != "UNIT1"; }, 3000);
        waitFor ([&] { return juce::File (CacheFiles::path (CacheFiles::lmt)).existsAsFile(); }, 3000);
        pump (300);
        return named;
    }

    juce::Result saveParameters (MainContentComponent& content, const juce::File& file)
    {
        juce::XmlElement root ("allValue");
        ParameterDocument::appendChildren (root, ParameterDocument::makePanelElements (collectPanelSettings (content)));
        return ParameterDocument::finishSave (root, file, content.getBottomMeasure().getMaxNum());
    }

    int soak (const juce::StringArray& args)
    {
        const int speed = juce::jmax (1, optionText (args, "--speed", "1").getIntValue());
        const int seconds = juce::jmax (1, optionText (args, "--seconds", "600").getIntValue());
        const juce::File folder (optionText (args, "--folder", juce::File::getSpecialLocation (juce::File::tempDirectory).getFullPathName()));
        folder.createDirectory();
        const int stepTimeoutMs = 20000;

        CacheFiles::ensureCacheDirectory();
        MainContentComponent content;
        auto& top = content.getTop();
        auto& left = content.getLeft();
        auto& panel = content.getBottomMeasure();
        auto& view = content.getCenter().getResponseView();
        auto& editor = content.getCenter().getCurveEditor();
        auto& leftMeter = *dynamic_cast<juce::Slider*> (content.getRight().findChildWithID ("leftMeter"));

        panel.setClockSpeed (speed);
        panel.setWarningPresenter (alert);
        RightComponent::showWarning = alert;
        pump (100);

        if (! selectFirstUnit (content))
        {
            printLine ("no unit");
            return 1;
        }

        if (auto* measureButton = dynamic_cast<juce::TextButton*> (left.findChildWithID ("measure")))
            measureButton->triggerClick();
        waitFor ([] { return LeftComponent::getM48v(); }, 2000);

        const auto start = juce::Time::getMillisecondCounterHiRes();
        const auto elapsedSeconds = [start] { return (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0; };
        const auto idle = [&] { return panel.getSequence().getRunningPhase() == 0; };

        int cycles = 0, lost = 0, meterChanges = 0, meterSamples = 0, pollsMissed = 0;
        double lastMeter = leftMeter.getValue();
        juce::int64 rssAtOneMinute = 0;
        juce::int64 rssPeak = 0;
        double longestLoadMs = 0;
        double nextRssReport = 30.0;

        // Pumps the loop while watching the meters and the selected unit's
        // status icon, as a user looking at the window would.
        const auto watch = [&] (const std::function<bool()>& condition, int timeoutMs)
        {
            const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
            for (;;)
            {
                pump (20);
                ++meterSamples;
                if (leftMeter.getValue() != lastMeter)
                {
                    ++meterChanges;
                    lastMeter = leftMeter.getValue();
                }

                if (top.getStatusIconColour (1) != juce::Colours::lightgreen)
                    ++pollsMissed;

                const auto rss = residentKb();
                rssPeak = juce::jmax (rssPeak, rss);
                if (rssAtOneMinute == 0 && elapsedSeconds() >= 60.0)
                {
                    rssAtOneMinute = rss;
                    printLine ("rss after one minute " + juce::String (rss) + " kB");
                }

                if (elapsedSeconds() >= nextRssReport)
                {
                    printLine ("rss at " + juce::String (juce::roundToInt (nextRssReport)) + " s " + juce::String (rss) + " kB");
                    nextRssReport += 30.0;
                }

                if (condition())
                    return true;
                if (juce::Time::getMillisecondCounter() > end)
                    return false;
            }
        };

        const auto fail = [&] (const juce::String& what)
        {
            ++lost;
            printLine ("lost: " + what);
        };

        while (elapsedSeconds() < seconds)
        {
            ++cycles;

            // A measurement: five points and "Compute".
            panel.resetMeasureStatus();
            for (int point = 1; point <= 5; ++point)
            {
                panel.pointClicked ({ 20.0f + 35.0f * (float) (point - 1), 50.0f });
                if (! watch ([&] { return idle() && view.getIsPrepared(); }, stepTimeoutMs))
                    fail ("point " + juce::String (point) + " of cycle " + juce::String (cycles));
            }
            panel.computeClicked();
            if (! watch (idle, stepTimeoutMs))
                fail ("processing of cycle " + juce::String (cycles));

            // A parameter save, its load, and a second save that must hold the same.
            const auto first = folder.getChildFile ("soak-first.parameter");
            const auto second = folder.getChildFile ("soak-second.parameter");
            if (const auto saved = saveParameters (content, first); saved.failed())
                fail ("save: " + saved.getErrorMessage());

            PanelLoadTarget target (content);
            const auto loadStart = juce::Time::getMillisecondCounterHiRes();
            if (const auto loaded = ParameterDocument::loadFile (first, target, sendCommand); loaded.failed())
                fail ("load: " + loaded.getErrorMessage());
            longestLoadMs = juce::jmax (longestLoadMs, juce::Time::getMillisecondCounterHiRes() - loadStart);
            watch ([] { return false; }, 300);

            if (const auto saved = saveParameters (content, second); saved.failed())
                fail ("second save: " + saved.getErrorMessage());
            else
            {
                juce::MemoryBlock a, b;
                first.loadFileAsData (a);
                second.loadFileAsData (b);
                if (a.getSize() == 0 || a != b)
                    fail ("the saved document changed after its load in cycle " + juce::String (cycles)
                          + " (" + juce::String ((juce::int64) a.getSize()) + " / " + juce::String ((juce::int64) b.getSize()) + " bytes)");
            }

            // A curve file, saved and loaded back.
            if (editor.getNumPoints() < 30)
                editor.addPoint ({ 100 + (cycles * 37) % 500, 40 + (cycles * 23) % 150 });
            const auto pointsBefore = editor.getPointTopLefts();
            const auto curveFile = folder.getChildFile ("soak.curve");
            if (const auto saved = saveCurveFile (editor, curveFile); saved.failed())
                fail ("curve save: " + saved.getErrorMessage());
            if (const auto loaded = loadCurveFile (editor, curveFile); loaded.failed())
                fail ("curve load: " + loaded.getErrorMessage());
            else if (editor.getPointTopLefts() != pointsBefore)
                fail ("the curve changed after its load in cycle " + juce::String (cycles));
            watch ([] { return false; }, 200);
        }

        const auto rssAtEnd = residentKb();
        printLine ("seconds " + juce::String (juce::roundToInt (elapsedSeconds())));
        printLine ("cycles " + juce::String (cycles));
        printLine ("lost " + juce::String (lost));
        printLine ("meter changes " + juce::String (meterChanges) + " of " + juce::String (meterSamples) + " looks");
        printLine ("polls unanswered " + juce::String (pollsMissed) + " of " + juce::String (meterSamples) + " looks");
        printLine ("longest load " + juce::String (juce::roundToInt (longestLoadMs)) + " ms");
        printLine ("rss at the end " + juce::String (rssAtEnd) + " kB, peak " + juce::String (rssPeak) + " kB");
        if (rssAtOneMinute > 0)
            printLine ("rss growth after the first minute " + juce::String (100.0 * (double) (rssAtEnd - rssAtOneMinute) / (double) rssAtOneMinute, 1) + " %");
        printLine ("alerts " + juce::String (alertCount));
        return lost == 0 && alertCount == 0 ? 0 : 1;
    }

    int measure (const juce::StringArray& args)
    {
        const int speed = optionText (args, "--speed", "1").getIntValue();
        const int timeoutMs = optionText (args, "--timeout-ms", "60000").getIntValue();
        const juce::File snapshots (optionText (args, "--snapshots", juce::File::getCurrentWorkingDirectory().getFullPathName()));

        CacheFiles::ensureCacheDirectory();
        juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypefaceName (
            Fonts::chooseSansSerifTypefaceName (juce::Font::findAllTypefaceNames()));

        MainContentComponent content;
        auto& top = content.getTop();
        auto& left = content.getLeft();
        auto& panel = content.getBottomMeasure();
        auto& view = content.getCenter().getResponseView();
        auto& editor = content.getCenter().getCurveEditor();

        panel.setClockSpeed (speed);
        panel.setWarningPresenter (alert);
        RightComponent::showWarning = alert;
        pump (100);

        const bool named = selectFirstUnit (content);
        printLine ("unit name " + (named ? top.getUnitLabel (1).getText() : juce::String ("none")));

        // 1. "Measure ON".
        if (auto* measureButton = dynamic_cast<juce::TextButton*> (left.findChildWithID ("measure")))
            measureButton->triggerClick();
        waitFor ([] { return LeftComponent::getM48v(); }, 2000);
        printLine ("measure switch " + juce::String (LeftComponent::getM48v() ? "on" : "off"));

        // The input meter follows the unit's input level reports.
        const bool inputMoves = waitFor ([&] { return left.getTopLabel()->getText().endsWith ("dB"); }, 2000);
        printLine ("input level shown " + juce::String (inputMoves ? "yes" : "no"));

        // 2-4. The five points, each until its curve is drawn and the panel's step has ended.
        for (int point = 1; point <= 5; ++point)
        {
            panel.pointClicked ({ 20.0f + 35.0f * (float) (point - 1), 50.0f });
            const bool drawn = waitFor ([&] { return ! curves[point - 1].path->isEmpty() && view.getIsPrepared(); }, timeoutMs);
            const bool ended = waitFor ([&] { return panel.getSequence().getRunningPhase() == 0; }, timeoutMs);
            printLine ("point " + juce::String (point) + (drawn ? " drawn" : " not drawn") + (ended ? "" : " (still running)"));
        }

        // 5. "Compute": the point sets, then the processing; the results come as the left and right curves.
        panel.computeClicked();
        const bool results = waitFor ([] { return ! View::myPathL.isEmpty() && ! View::myPathR.isEmpty(); }, timeoutMs);
        const bool processed = waitFor ([&] { return panel.getSequence().getRunningPhase() == 0; }, timeoutMs);
        printLine ("results " + juce::String (results ? "drawn" : "missing") + (processed ? "" : " (still processing)"));
        printLine ("network down threshold " + juce::String (TopComponent::timepasted));

        // The user shapes a target curve and applies it; the unit sends the
        // points back as its record, which rebuilds the editor as it was.
        editor.addPoint ({ 388, 64 });
        editor.addPoint ({ 150, 120 });
        const auto shaped = sortedByX (editor.getPointTopLefts());
        const auto* firstBefore = editor.getPoint (0);
        editor.getApplyButton().triggerClick();
        const bool rebuilt = waitFor ([&] { return editor.getNumPoints() > 0 && editor.getPoint (0) != firstBefore; }, timeoutMs);
        waitFor ([&] { return panel.getSequence().getRunningPhase() == 0; }, timeoutMs);
        printLine ("curve sent " + describePoints (shaped));
        printLine ("curve back " + (rebuilt ? describePoints (editor.getPointTopLefts()) : juce::String ("never")));

        // The crossovers.
        view.getApplyButton().triggerClick();
        waitFor ([&] { return ! view.isBusy(); }, 5000);
        pump (300);

        view.repaint();
        pump (100);
        printCurves();
        printLine ("prepared " + juce::String (view.getIsPrepared() ? "yes" : "no"));

        for (int k : { 1, 2, 3, 4, 5, 11, 12 })
            printLine ("cache reveivefft" + juce::String (k) + ".bin " + juce::String (juce::File (CacheFiles::spectrumPath (k)).getSize()));

        keepSnapshot (content, snapshots, "e2e-measurement-window");
        const auto image = keepSnapshot (view, snapshots, "e2e-measurement-response-view");
        const auto white = [] (juce::Colour c) { return c.getRed() > 220 && c.getGreen() > 220 && c.getBlue() > 220; };
        const auto green = [] (juce::Colour c) { return c.getRed() < 60 && c.getGreen() > 80 && c.getBlue() < 70; };
        const auto greenyellow = [] (juce::Colour c) { return c.getRed() > 100 && c.getGreen() > 160 && c.getBlue() < 100 && c.getGreen() > c.getRed() + 30; };
        printLine ("pixels white " + juce::String (countCurvePixels (image, white))
                   + " green " + juce::String (countCurvePixels (image, green))
                   + " greenyellow " + juce::String (countCurvePixels (image, greenyellow)));

        printLine ("alerts " + juce::String (alertCount));
        return 0;
    }
}

int main (int argc, char** argv)
{
    juce::StringArray args;
    for (int k = 1; k < argc; ++k)
        args.add (argv[k]);

    const juce::ScopedJuceInitialiser_GUI juceInit;
    WarningAlerts::setPresenter ([] (const juce::String& title, const juce::String& message, std::function<void()>)
                                 { alert (title, message); });

    int result = 2;
    if (args[0] == "measure")
        result = measure (args);
    else if (args[0] == "soak")
        result = soak (args);
    else
        std::cerr << "usage: veld72-app-driver measure --snapshots DIR [--speed N] [--timeout-ms MS]\n"
                     "       veld72-app-driver soak --seconds S [--speed N] [--folder DIR]" << std::endl;

    WarningAlerts::setPresenter ({});
    return result;
}
