// The unit goes away in the middle of a measurement or of an upload and comes
// back: the app never waits for it, and what follows arrives whole.

#include <gtest/gtest.h>

#include "ReceiverTestSupport.h"
#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/PanelLoadTarget.h"
#include "panels/ParameterDocument.h"
#include "support/PanelTestSupport.h"
#include "support/UdpCapture.h"
#include "views/FrequencyResponseAndCrossoverComponent.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

using namespace ReceiverTest;
using PanelTest::runUntil;

namespace
{
    using Bytes = std::vector<std::uint8_t>;
    using View = FrequencyResponseAndCrossoverComponent;

    // Whether a call posted to the message thread runs promptly.
    bool messageThreadAnswers()
    {
        auto ran = std::make_shared<std::atomic<bool>> (false);
        juce::MessageManager::callAsync ([ran] { *ran = true; });
        return runUntil ([ran] { return ran->load(); }, 500);
    }

    void sendToReportPort (const Bytes& d)
    {
        ASSERT_TRUE (sendUdp ("127.0.0.1", Receiver::reportPort, d.data(), d.size()));
    }

    // A point's spectrum as the unit sends it: the header, 700 levels and
    // their 700 frequencies in pieces, the closing word, then "MN".
    std::vector<float> spectrumValues (float level)
    {
        std::vector<float> values;
        for (int i = 0; i < 700; ++i)
            values.push_back (level - (float) (i % 40) * 0.25f);
        for (int i = 0; i < 700; ++i)
            values.push_back (20.0f * std::pow (1000.0f, (float) i / 699.0f));
        return values;
    }

    void sendSpectrum (int point, const std::vector<float>& values)
    {
        sendToReportPort (datagram ({ words ({ 170, (std::uint32_t) point, (std::uint32_t) values.size() }) }));
        for (size_t at = 0; at < values.size(); at += 200)
        {
            Blob piece;
            for (size_t i = at; i < std::min (values.size(), at + 200); ++i)
            {
                const auto w = words ({ CacheFiles::floatAsWord (values[i]) });
                piece.insert (piece.end(), w.begin(), w.end());
            }
            sendToReportPort (datagram ({ piece }));
        }
        sendToReportPort (datagram ({ words ({ 85 }) }));
        sendToReportPort (datagram ({ (int) 'M', (int) 'N', point }));
    }

    struct Alerts
    {
        juce::StringArray titles;
        WarningAlerts::ScopedPresenter presenter { [this] (const juce::String& t, const juce::String&, std::function<void()>)
                                                   { titles.add (t); } };
    };

    class UnitVanishes : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            CacheFiles::getCacheDirectory().deleteRecursively();
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            sendCommand.setCurrentIpAddr ({});
        }

        void TearDown() override { sendCommand.setCurrentIpAddr ({}); }
    };
}

TEST_F (UnitVanishes, InTheMiddleOfAMeasurement)
{
    Alerts alerts;
    MainContentComponent content;
    ASSERT_TRUE (content.getReceiver().isBound());
    auto& panel = content.getBottomMeasure();
    panel.setClockSpeed (1000);
    const auto idle = [&panel] { return panel.getSequence().getRunningPhase() == 0; };

    // The unit is selected, then gone: point 1 is asked for and never comes.
    sendCommand.setCurrentIpAddr ("127.0.0.1");
    panel.pointClicked ({ 20.0f, 50.0f });
    EXPECT_TRUE (messageThreadAnswers());
    ASSERT_TRUE (runUntil (idle)) << "the step ends without the unit";
    EXPECT_FALSE (juce::File (CacheFiles::spectrumPath (1)).exists());

    // It comes back: point 2 arrives whole and is drawn.
    panel.pointClicked ({ 55.0f, 50.0f });
    const auto values = spectrumValues (-20.0f);
    sendSpectrum (2, values);
    ASSERT_TRUE (runUntil ([] { return ! View::myPath2.isEmpty(); })) << "point 2 is drawn";
    ASSERT_TRUE (runUntil (idle));
    const auto spectrum = CacheFiles::readSpectrum (CacheFiles::spectrumPath (2));
    ASSERT_TRUE (spectrum.has_value());
    EXPECT_EQ (spectrum->values, values);
    EXPECT_TRUE (alerts.titles.isEmpty()) << alerts.titles.joinIntoString ("|").toStdString();
}

TEST_F (UnitVanishes, InTheMiddleOfAnUpload)
{
    Alerts alerts;
    MainContentComponent content;
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

    // A document with two measured points and every device data block.
    for (int n : { 1, 2, 11, 12 })
    {
        std::vector<std::uint32_t> spectrum { (std::uint32_t) n, 1400 };
        for (int i = 0; i < 1400; ++i)
            spectrum.push_back (CacheFiles::floatAsWord (-30.0f + (float) (i % 17)));
        ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::spectrumPath (n), spectrum.data(), spectrum.size()));
    }
    const auto file = juce::File::createTempFile (".parameter");
    juce::XmlElement root ("allValue");
    ParameterDocument::appendChildren (root, ParameterDocument::makePanelElements (collectPanelSettings (content)));
    ASSERT_TRUE (ParameterDocument::finishSave (root, file, 2).wasOk());

    sendCommand.setCurrentIpAddr ("127.0.0.1");
    PanelLoadTarget target (content);

    // What a unit that stays receives of a load, as it is sent.
    std::vector<Bytes> whole;
    {
        UdpCapture unit (Command::commandPort);
        ASSERT_TRUE (unit.isOpen());
        ASSERT_TRUE (ParameterDocument::loadFile (file, target, sendCommand).wasOk());
        whole = unit.drain (20);
    }
    ASSERT_GT (whole.size(), 20u);

    // The unit is gone before the load, or goes away after its first ten
    // datagrams: the sends go nowhere and the load ends as usual.
    for (const int kept : { 0, 10 })
    {
        auto unit = kept > 0 ? std::make_unique<UdpCapture> (Command::commandPort) : nullptr;
        std::thread vanishing ([&unit, kept]
        {
            for (int k = 0; k < kept && unit->receive (2000).has_value(); ++k) {}
            unit.reset();
        });

        EXPECT_TRUE (ParameterDocument::loadFile (file, target, sendCommand).wasOk()) << kept;
        vanishing.join();
        EXPECT_TRUE (messageThreadAnswers()) << kept;
    }

    // It comes back: the next load reaches it whole.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (ParameterDocument::loadFile (file, target, sendCommand).wasOk());
    EXPECT_EQ (unit.drain (20), whole);
    EXPECT_TRUE (alerts.titles.isEmpty()) << alerts.titles.joinIntoString ("|").toStdString();
    file.deleteFile();
}
