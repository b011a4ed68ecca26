#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "support/DrawnText.h"
#include "support/PanelTestSupport.h"

#include <functional>

// Every text of the input, master and bottom panels, drawn in the window at
// 1024 x 720 with the typeface the application picks on this machine, shows
// whole: nothing is shortened with "...", dropped, cut off at a border, or
// drawn over another text or a control.

using namespace PanelTest;

namespace
{
    using Texts = std::vector<DrawnText::Text>;

    std::string list (const Texts& texts)
    {
        std::string s;
        for (const auto& t : texts)
            s += "'" + t.text.toStdString() + "' at " + t.ink.toString().toStdString() + (t.cutOff ? " (cut off)" : "") + "\n";
        return s;
    }

    bool shows (const Texts& texts, const juce::String& expected)
    {
        const auto wanted = expected.removeCharacters (" ");
        return std::any_of (texts.begin(), texts.end(), [&] (const auto& t) { return t.withoutBlanks() == wanted; });
    }

    // What the panel's visible controls draw, without the panel's own painting.
    juce::Image controlsOf (juce::Component& panel)
    {
        juce::Image image (juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true, juce::SoftwareImageType());
        juce::Graphics g (image);
        for (auto* c : panel.getChildren())
        {
            if (! c->isVisible())
                continue;

            juce::Graphics::ScopedSaveState state (g);
            g.setOrigin (c->getPosition());
            g.reduceClipRegion (c->getLocalBounds());
            c->paintEntireComponent (g, false);
        }
        return image;
    }

    void expectTextsFit (juce::Component& panel, const std::vector<juce::String>& expected)
    {
        const auto texts = DrawnText::textsOf (panel);
        const auto all = list (texts);

        for (const auto& e : expected)
            EXPECT_TRUE (shows (texts, e)) << "'" << e << "' whole, among\n" << all;

        const auto bounds = panel.getLocalBounds().toFloat().expanded (0.5f);
        for (size_t i = 0; i < texts.size(); ++i)
        {
            const auto& t = texts[i];
            EXPECT_FALSE (t.text.contains ("...")) << "shortened: '" << t.text << "'";
            EXPECT_FALSE (t.cutOff) << "cut off: '" << t.text << "'";
            EXPECT_TRUE (bounds.contains (t.ink)) << "outside the panel: '" << t.text << "' " << t.ink.toString();

            for (size_t j = i + 1; j < texts.size(); ++j)
                EXPECT_FALSE (DrawnText::overlap (t.ink, texts[j].ink))
                    << "'" << t.text << "' " << t.ink.toString() << " over '" << texts[j].text << "' " << texts[j].ink.toString();
        }

        // What the panel paints itself stays clear of what its controls draw.
        const auto controls = controlsOf (panel);
        for (const auto& t : DrawnText::textsOf (panel, false))
        {
            const auto ink = t.ink.reduced (0.5f).getSmallestIntegerContainer();
            EXPECT_EQ (countPixels (controls, ink, [] (juce::Colour p) { return p.getAlpha() > 64; }), 0)
                << "'" << t.text << "' " << t.ink.toString() << " under a control";
        }
    }

    std::vector<juce::ComboBox*> comboBoxesOf (juce::Component& panel)
    {
        std::vector<juce::ComboBox*> boxes;
        for (auto* c : panel.getChildren())
            if (auto* box = dynamic_cast<juce::ComboBox*> (c))
                boxes.push_back (box);
        return boxes;
    }

    const std::vector<juce::String> levelScale { "0", "-5", "-10", "-15", "-20", "-30", "-40", "-50", "-60" };

    std::vector<juce::String> operator+ (std::vector<juce::String> a, const std::vector<juce::String>& b)
    {
        a.insert (a.end(), b.begin(), b.end());
        return a;
    }

    class PanelTexts : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            useAppTypeface();
            content = std::make_unique<MainContentComponent>();
            content->setSize (1024, 720);
            pump();
        }

        std::unique_ptr<MainContentComponent> content;
    };
}

TEST_F (PanelTexts, FitInEveryStateOfThePanels)
{
    auto& c = *content;

    struct Case
    {
        const char* state;
        std::function<juce::Component&()> panel;
        std::function<void()> prepare;
        std::vector<juce::String> expected;
    };

    const Case cases[] = {
        { "input panel at start", [&]() -> juce::Component& { return c.getLeft(); }, [] {},
          std::vector<juce::String> { "Measure OFF", "48V", "0 dB", "MIC GAIN", "LEVEL", "SIGNAL", "CHECK", "L", "STEREO", "R",
                                      "64", "56", "48", "40", "32", "24", "16", "8", "-80" } + levelScale },
        { "input panel measuring", [&]() -> juce::Component& { return c.getLeft(); },
          [&] { c.getLeft().setM48v (true); c.getLeft().getTopLabel()->setText ("152.0dB", juce::dontSendNotification); },
          { "Measure ON", "48V", "152.0dB" } },
        { "input panel with a low level", [&]() -> juce::Component& { return c.getLeft(); },
          [&] { c.getLeft().getTopLabel()->setText ("-56.5dB", juce::dontSendNotification); },
          { "-56.5dB" } },
        { "master panel at start", [&]() -> juce::Component& { return c.getRight(); }, [] {},
          std::vector<juce::String> { "ANALOG", "LEVEL", "MASTER", "PROCESS", "MUTE", "0" } + levelScale },
        { "master panel bypassed", [&]() -> juce::Component& { return c.getRight(); },
          [&] { c.getRight().setByPassStatus (true); c.getRight().setAnalogComboValue (1); pump(); },
          { "BYPASS", "AES/EBU" } },
        { "system panel at start", [&]() -> juce::Component& { return c.getBottomSystem(); }, [] {},
          { "SYSTEM SETTING", "CLOCK SOURCE", "Master 48k", "SAMPLE CLOCK", "STEREO FORMAT", "Full Band", "With", "No Sub",
            "FILTER TAP", "4096", "SYSTEM LATENCY", "0.25ms", "App/SoC/Firm Ver:  1.0.0/" } },
        { "system panel with the unit's clock and version", [&]() -> juce::Component& { return c.getBottomSystem(); },
          [&] { c.getBottomSystem().setLabelSL ("44.1k"); c.getBottomSystem().setVersion ("2406100"); },
          { "44.1k", "1.00/ 2406", "App/SoC/Firm Ver:  1.0.0/" } },
        { "output bands panel", [&]() -> juce::Component& { return c.getBottomPanel(); },
          [&] { c.getBottomPanel().setFreq2 (20000); },
          std::vector<juce::String> { "SUB", "BASS", "MIDDLE", "HIGHT", "OUTPUT 1-2", "OUTPUT 3-4", "OUTPUT 5-6", "OUTPUT 7-8",
                                      "M", "50", "20000", "500" } + levelScale },
        { "measurement panel", [&]() -> juce::Component& { return c.getBottomMeasure(); }, [] {},
          { "MEASURE BY POINT", "Compute", "Reset", "Select Mic Cal", "MEASURE NOTE" } },
        { "compressor panel", [&]() -> juce::Component& { return c.getBottomSave(); }, [] {},
          { "COMPRESSOR SETTING", "-60.0", "dB", "1.0", "0.00", "Threshold", "Ratio", "Knee", "-60", "50",
            "1", "ms", "5", "Attack Time", "Release Time", "Makeup Gain", "4K", "24", "COMP_OFF", "Bass_Chn3-4" } },
        { "compressor panel switched on", [&]() -> juce::Component& { return c.getBottomSave(); },
          [&] { c.getBottomSave().setLmtBypass (false); },
          { "COMP_ON" } },
    };

    for (const auto& k : cases)
    {
        SCOPED_TRACE (k.state);
        k.prepare();
        expectTextsFit (k.panel(), k.expected);
    }
}

TEST_F (PanelTexts, EveryChoiceOfEveryComboBoxShowsWhole)
{
    auto& c = *content;

    int boxes = 0;
    for (auto* panel : std::initializer_list<juce::Component*> { &c.getRight(), &c.getBottomSystem(), &c.getBottomSave() })
    {
        for (auto* box : comboBoxesOf (*panel))
        {
            ++boxes;
            for (int i = 0; i < box->getNumItems(); ++i)
            {
                const auto text = box->getItemText (i);
                SCOPED_TRACE (text.toStdString());
                box->setSelectedItemIndex (i, juce::dontSendNotification);

                const auto texts = DrawnText::textsOf (*box);
                EXPECT_TRUE (shows (texts, text)) << list (texts);
                for (const auto& t : texts)
                    EXPECT_FALSE (t.cutOff || t.text.contains ("...")) << t.text;
            }
        }
    }

    EXPECT_EQ (boxes, 6);
}
