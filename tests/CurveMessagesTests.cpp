#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "link/Globals.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"
#include "views/CurveComponent.h"

#include <algorithm>

using juce::Point;

namespace
{
    constexpr int W = 698, H = 297;

    // The editor inside a whole window's content, as the user has it.
    class CurveMessages : public ::testing::Test
    {
    protected:
        UdpCapture unit { Command::commandPort };
        std::unique_ptr<MainContentComponent> content;
        CurveComponent* editor = nullptr;

        void SetUp() override
        {
            ASSERT_TRUE (unit.isOpen());
            content = std::make_unique<MainContentComponent>();
            editor = &content->getCenter().getCurveEditor();
            ASSERT_EQ (editor->getWidth(), W);
            ASSERT_EQ (editor->getHeight(), H);

            // The panels' start-up notifications run before a unit is selected.
            pump();
            sendCommand.setCurrentIpAddr ("127.0.0.1");
        }

        void TearDown() override
        {
            sendCommand.setCurrentIpAddr ({});
            content.reset();
        }

        static void pump() { juce::MessageManager::getInstance()->runDispatchLoopUntil (30); }

        void click (juce::Button& b)
        {
            b.triggerClick();
            pump();
        }

        // The curve messages the unit received, decoded independently.
        std::vector<DecodedMessage> received()
        {
            std::vector<DecodedMessage> messages;
            for (const auto& d : unit.drain (100))
                if (auto m = decodeWithLiblo (d); m && m->code() != "NS")
                    messages.push_back (*m);
            return messages;
        }

        static void expectLayout (const DecodedMessage& m, const char* code)
        {
            EXPECT_EQ (m.code(), code);
            EXPECT_EQ (m.path, "/juce/rotaryknob");
            EXPECT_EQ (m.types, "iiiffi" + std::string (128, 'f'));
            EXPECT_EQ (m.args.size(), 134u);
        }

        static std::vector<float> valuesOf (const DecodedMessage& m)
        {
            std::vector<float> v;
            for (size_t i = 6; i < m.args.size(); ++i)
                v.push_back (m.args[i].f);
            return v;
        }

        static std::vector<float> padded (std::vector<float> v)
        {
            v.resize (128, 0.0f);
            return v;
        }
    };

    TEST_F (CurveMessages, ApplyInTheStartState)
    {
        click (editor->getApplyButton());
        const auto messages = received();
        ASSERT_EQ (messages.size(), 2u);

        const auto& dp = messages[0];
        expectLayout (dp, "DP");
        EXPECT_EQ (dp.args[2].i, 4);
        EXPECT_EQ (dp.args[3].f, 13.0f);
        EXPECT_EQ (dp.args[4].f, 688.0f);
        EXPECT_EQ (dp.args[5].i, 1);
        EXPECT_THAT (valuesOf (dp), ::testing::ElementsAreArray (padded ({ 1, 300, 500, 24000, 112, 112, 112, 112 })));

        const auto& at = messages[1];
        expectLayout (at, "AT");
        EXPECT_EQ (at.args[2].i, 4);
        EXPECT_NEAR (at.args[3].f, 19.58f, 0.005f);
        EXPECT_FLOAT_EQ (at.args[4].f, 24000.0f);
        EXPECT_EQ (at.args[5].i, 1);
        const auto v = valuesOf (at);
        EXPECT_EQ (v[0], 1.0f);
        EXPECT_NEAR (v[1], 419.97f, 0.01f);
        EXPECT_NEAR (v[2], 3428.25f, 0.05f);
        EXPECT_EQ (v[3], 24000.0f);
        for (size_t i = 4; i <= 7; ++i)
            EXPECT_EQ (v[i], -0.7421875f);
        EXPECT_TRUE (std::all_of (v.begin() + 8, v.end(), [] (float x) { return x == 0.0f; }));

        EXPECT_EQ (editor->getApplyButton().findColour (juce::TextButton::buttonColourId), juce::Colours::grey);
        EXPECT_EQ (CurveComponent::num, 2);
        EXPECT_EQ (CurveComponent::w, W);
        EXPECT_EQ (CurveComponent::h, H);
    }

    TEST_F (CurveMessages, ApplySortsThePointsAndSendsAtMost62)
    {
        struct Case { const char* name; int points; int count; };
        const Case cases[] = { { "62 points fill all 128 values", 62, 64 },
                               { "63 points send the 62 leftmost", 63, 64 },
                               { "64 points send the 62 leftmost", 64, 64 } };

        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.name);
            editor->removeAllPoints();
            // Created right to left, so that sorting matters; x = 20 .. 20 + 10 (n - 1).
            for (int i = c.points - 1; i >= 0; --i)
                editor->addPoint ({ 14 + 10 * i, 34 + 3 * i });

            click (editor->getApplyButton());
            const auto messages = received();
            ASSERT_EQ (messages.size(), 2u);
            const auto& dp = messages[0];
            expectLayout (dp, "DP");
            EXPECT_EQ (dp.args[2].i, c.count);

            std::vector<float> expected { 1.0f };
            for (int i = 0; i < 62; ++i)
                expected.push_back ((float) (20 + 10 * i));
            expected.push_back (24000.0f);
            expected.push_back ((float) editor->getP1().y);
            for (int i = 0; i < 62; ++i)
                expected.push_back ((float) (40 + 3 * i));
            expected.push_back ((float) editor->getP2().y);
            ASSERT_EQ (expected.size(), 128u);
            EXPECT_THAT (valuesOf (dp), ::testing::ElementsAreArray (expected));

            // The list itself is now sorted, and every point stays on screen.
            const auto centres = editor->getPointCentres();
            EXPECT_EQ ((int) centres.size(), c.points);
            EXPECT_TRUE (std::is_sorted (centres.begin(), centres.end(), [] (auto a, auto b) { return a.x < b.x; }));
        }
    }

    TEST_F (CurveMessages, ResetToFlatAfterEditing)
    {
        editor->addPoint ({ 100, 30 });
        editor->getPoint (0)->setTopLeftPosition (250, 200);
        editor->setP1Level (20);
        editor->setP2Level (280);
        CurveComponent::setCurrentPos (150.0f);
        CurveComponent::setCurrentPosH (500.0f);

        click (editor->getResetButton());

        EXPECT_THAT (editor->getPointCentres(), ::testing::ElementsAre (Point<int> (300, 112), Point<int> (500, 112)));
        EXPECT_EQ (editor->getP1(), Point<int> (5, 112));
        EXPECT_EQ (editor->getP2(), Point<int> (688, 112));
        EXPECT_EQ (CurveComponent::getCurrentPos(), 150);
        EXPECT_EQ (CurveComponent::getCurrentPosH(), 500);

        const auto messages = received();
        ASSERT_EQ (messages.size(), 2u);
        expectLayout (messages[0], "DP");
        std::string zeros;
        for (int i = 0; i < 120; ++i)
            zeros += " 0";
        EXPECT_EQ (messages[0].describe(), "DP 4 150 500 1 1 300 500 24000 112 112 112 112" + zeros);

        const auto& at = messages[1];
        expectLayout (at, "AT");
        EXPECT_EQ (at.args[2].i, 4);
        EXPECT_FLOAT_EQ (at.args[3].f, (float) CurveMath::markerFrequency (150.0, W));
        EXPECT_FLOAT_EQ (at.args[4].f, (float) CurveMath::markerFrequency (500.0, W));
        const auto v = valuesOf (at);
        EXPECT_EQ (v[0], 1.0f);
        EXPECT_NEAR (v[1], 419.97f, 0.01f);
        EXPECT_NEAR (v[2], 3428.25f, 0.05f);
        EXPECT_EQ (v[3], 24000.0f);
        EXPECT_TRUE (std::all_of (v.begin() + 4, v.end(), [] (float x) { return x == 0.0f; }));
    }

    TEST_F (CurveMessages, NothingIsSentWithoutAUnit)
    {
        sendCommand.setCurrentIpAddr ({});
        click (editor->getApplyButton());
        click (editor->getResetButton());
        EXPECT_TRUE (received().empty());
    }
}
