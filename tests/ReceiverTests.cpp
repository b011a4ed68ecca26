#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "link/OscWire.h"
#include "link/Receiver.h"
#include "panels/TopComponent.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"

#include <variant>

namespace
{
    using Arg = std::variant<int, float, std::string, std::vector<char>>;

    juce::OSCMessage message (std::initializer_list<Arg> args)
    {
        juce::OSCMessage m ("/juce/rotaryknob");
        for (const auto& a : args)
        {
            if (auto* i = std::get_if<int> (&a))                    m.addInt32 (*i);
            else if (auto* f = std::get_if<float> (&a))             m.addFloat32 (*f);
            else if (auto* s = std::get_if<std::string> (&a))       m.addString (juce::String (*s));
            else if (auto* b = std::get_if<std::vector<char>> (&a)) m.addBlob (juce::MemoryBlock (b->data(), b->size()));
        }
        return m;
    }

    std::vector<std::uint8_t> datagram (std::initializer_list<Arg> args)
    {
        veld72::osc::MessageWriter w;
        w.begin (veld72::osc::kAddress);
        for (const auto& a : args)
        {
            if (auto* i = std::get_if<int> (&a))                    w.addInt32 (*i);
            else if (auto* f = std::get_if<float> (&a))             w.addFloat32 (*f);
            else if (auto* s = std::get_if<std::string> (&a))       w.addString (s->data(), s->size());
            else if (auto* b = std::get_if<std::vector<char>> (&a)) w.addBlob (b->data(), b->size());
        }
        std::size_t size = 0;
        const auto* data = w.finish (size);
        return { data, data + size };
    }

    void sendReport (const std::vector<std::uint8_t>& d)
    {
        ASSERT_TRUE (sendUdp ("127.0.0.1", Receiver::reportPort, d.data(), d.size()));
    }

    void pump (int ms)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
    }

    const std::vector<char> fourBytes { 0x11, 0, 0, 0 };
}

TEST (ReportClassification, BlobFirstIsDataStreamTwoIntegersAreCodeLetters)
{
    using K = Receiver::Kind;
    struct Case
    {
        const char* name;
        juce::OSCMessage m;
        K kind;
        const char* letters;
    };

    const Case cases[] = {
        { "no arguments", message ({}), K::ignored, "" },
        { "blob", message ({ fourBytes }), K::dataStream, "" },
        { "blob before code letters", message ({ fourBytes, 'O', 'K' }), K::dataStream, "" },
        { "code letters", message ({ 'O', 'K' }), K::coded, "OK" },
        { "only the low 8 bits count", message ({ 0x100 + 'U', 0x7f00 + 'N' }), K::coded, "UN" },
        { "digits as letters", message ({ '4', '8', 1 }), K::coded, "48" },
        { "one integer", message ({ 'O' }), K::ignored, "" },
        { "integer then float", message ({ 'O', 75.0f }), K::ignored, "" },
        { "string first", message ({ std::string ("OK") }), K::ignored, "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto r = Receiver::classify (c.m);
        EXPECT_EQ (r.kind, c.kind);
        if (c.kind == K::coded)
            EXPECT_EQ (std::string ({ r.c1, r.c2 }), c.letters);
    }
}

TEST (ReportClassification, ReportsWithTooFewOrOtherTypedArgumentsHaveNoRow)
{
    struct Case
    {
        const char* name;
        juce::OSCMessage m;
        const char* row;   // code letters of the row found, "" for none
    };

    const Case cases[] = {
        { "OK", message ({ 'O', 'K' }), "OK" },
        { "OK with more arguments than needed", message ({ 'O', 'K', 1, 2.0f }), "OK" },
        { "UN with a name", message ({ 'U', 'N', std::string ("Hall") }), "UN" },
        { "UN without a name", message ({ 'U', 'N' }), "" },
        { "UN with an integer", message ({ 'U', 'N', 7 }), "" },
        { "UN with a float", message ({ 'U', 'N', 1.5f }), "" },
        { "a code nobody handles", message ({ 'Z', 'Z', 1 }), "" },
        { "a blob", message ({ fourBytes }), "" },
        { "nothing", message ({}), "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto* row = Receiver::findReportRow (c.m);
        EXPECT_EQ (row == nullptr ? std::string() : std::string ({ row->c1, row->c2 }), c.row);
    }
}

class ReportPort : public ::testing::Test
{
protected:
    void TearDown() override
    {
        sendCommand.setCurrentIpAddr ({});
        waitAbleEvent.reset();
    }
};

TEST_F (ReportPort, OkFromTheUnitWakesTheStatusPoll)
{
    Receiver receiver;
    ASSERT_TRUE (receiver.isBound());
    waitAbleEvent.reset();

    // Malformed datagrams and reports with missing arguments change nothing.
    const std::vector<std::uint8_t> garbage[] = {
        { 1, 2, 3 },
        { '/', 'j', 'u', 'c', 'e', 0, 0, 0, ',', 'i', 'i', 0, 0, 0 },   // arguments cut short
        datagram ({ 'O' }),
        datagram ({}),
        datagram ({ 75.0f, 79.0f }),
    };
    for (const auto& g : garbage)
        sendReport (g);
    pump (100);
    EXPECT_FALSE (waitAbleEvent.wait (0));

    sendReport (datagram ({ 'O', 'K' }));
    pump (100);
    EXPECT_TRUE (waitAbleEvent.wait (0));
    EXPECT_FALSE (waitAbleEvent.wait (0)) << "auto-reset";
}

TEST_F (ReportPort, UnRenamesTheSelectedSlotWithoutSendingTheNameBack)
{
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());

    Receiver receiver;
    TopComponent top;
    receiver.setPanels (nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &top);

    // No slot selected: nothing is renamed.
    sendReport (datagram ({ 'U', 'N', std::string ("Hall") }));
    pump (100);
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ (top.getUnitLabel (k).getText(), "UNIT" + juce::String (k));

    top.getAddressButton (2).setButtonText ("127.0.0.1");
    top.buttonClicked (&top.getAddressButton (2));
    unit.drain (50);

    sendReport (datagram ({ 'U', 'N', std::string ("Hall") }));
    sendReport (datagram ({ 'U', 'N', 5 }));
    pump (100);

    EXPECT_EQ (top.getUnitLabel (2).getText(), "Hall");
    EXPECT_EQ (top.getUnitLabel (1).getText(), "UNIT1");
    EXPECT_EQ (top.getUnitLabel (4).getText(), "UNIT4");

    for (const auto& d : describeAll (unit.drain (100)))
        EXPECT_NE (d.rfind ("UN", 0), 0u) << d;
}

TEST_F (ReportPort, TakenPortShowsConnectionErrorNamingItAndTheAppGoesOn)
{
    auto holder = std::make_unique<UdpCapture> (Receiver::reportPort, "0.0.0.0");
    ASSERT_TRUE (holder->isOpen());

    juce::StringArray titles, messages;
    const WarningAlerts::ScopedPresenter presenter ([&] (const juce::String& t, const juce::String& m, std::function<void()>)
                                                    {
                                                        titles.add (t);
                                                        messages.add (m);
                                                    });

    auto receiver = std::make_unique<Receiver>();
    EXPECT_FALSE (receiver->isBound());
    ASSERT_EQ (titles.joinIntoString ("|"), "Connection error");
    EXPECT_TRUE (messages[0].contains ("9002")) << messages[0];

    // Nothing reaches it, and it goes away cleanly.
    sendReport (datagram ({ 'O', 'K' }));
    pump (50);
    receiver.reset();

    // Once the port is free again a new one binds.
    holder.reset();
    Receiver again;
    EXPECT_TRUE (again.isBound());
}
