#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/Discovery.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "support/UdpCapture.h"

#include <cstdlib>

using ::testing::ElementsAre;

namespace
{
    std::string bytes16 (const std::string& text)
    {
        std::string b (text);
        b.resize (16, '\0');
        return b;
    }

    juce::String listOf (const juce::StringArray& a) { return a.joinIntoString ("|"); }

    // Alerts recorded instead of shown.
    struct RecordedAlerts
    {
        juce::StringArray titles, messages;
        WarningAlerts::ScopedPresenter presenter { [this] (const juce::String& t, const juce::String& m, std::function<void()>)
                                                   {
                                                       titles.add (t);
                                                       messages.add (m);
                                                   } };
    };

    // Discovery broadcasts; only where this process has a network namespace
    // of its own does that stay inside the machine.
    bool inPrivateNetwork()
    {
        return std::getenv ("VELD72_IN_NETNS") != nullptr;
    }
}

TEST (DiscoveryReply, TextIsTakenUpToTheFirstZeroOfExactlySixteenBytes)
{
    struct Case
    {
        const char* name;
        std::string datagram;
        std::optional<juce::String> expected;
    };

    const juce::String sixteenNonAscii = juce::String::charToString ((juce::juce_wchar) 0xC3)
                                       + juce::String::charToString ((juce::juce_wchar) 0xA9)
                                       + juce::String::repeatedString ("x", 14);

    const Case cases[] = {
        { "address with seven zero bytes", bytes16 ("192.0.2.7"), juce::String ("192.0.2.7") },
        { "fifteen characters and a zero", bytes16 ("192.168.100.200"), juce::String ("192.168.100.200") },
        { "sixteen bytes without a zero", "ABCDEFGHIJKLMNOP", juce::String ("ABCDEFGHIJKLMNOP") },
        { "bytes after the first zero are not read", std::string ("10.0.0.1\0junk\0\0\0", 16), juce::String ("10.0.0.1") },
        { "all zeros give an empty text", std::string (16, '\0'), juce::String() },
        { "any text is taken as it comes", bytes16 ("not an address"), juce::String ("not an address") },
        { "non-ASCII bytes, one character each", std::string ("\xC3\xA9xxxxxxxxxxxxxx", 16), sixteenNonAscii },
        { "short", "192.0.2.7", std::nullopt },
        { "fifteen bytes", std::string (15, 'a'), std::nullopt },
        { "seventeen bytes", std::string (17, 'a'), std::nullopt },
        { "empty", "", std::nullopt },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto text = Discovery::parseReply (c.datagram.data(), (int) c.datagram.size());
        ASSERT_EQ (text.has_value(), c.expected.has_value());
        if (text)
        {
            EXPECT_EQ (*text, *c.expected);
            EXPECT_LE (text->length(), 16);
        }
    }

    EXPECT_FALSE (Discovery::parseReply (nullptr, 16));
}

TEST (DiscoveryReply, DistinctTextsInOrderOfFirstArrivalWithoutLimit)
{
    juce::StringArray found;
    const std::string replies[] = { bytes16 ("192.0.2.20"), bytes16 ("192.0.2.21"), bytes16 ("192.0.2.20"),
                                    "short", bytes16 ("192.0.2.22"), bytes16 ("192.0.2.23"), bytes16 ("192.0.2.24"),
                                    bytes16 ("192.0.2.21") };
    for (const auto& r : replies)
        Discovery::addReply (found, r.data(), (int) r.size());

    EXPECT_EQ (found.joinIntoString ("|"), listOf ({ "192.0.2.20", "192.0.2.21", "192.0.2.22", "192.0.2.23", "192.0.2.24" }));

    // Byte-for-byte: a different non-ASCII byte is a different text.
    juce::StringArray two;
    EXPECT_TRUE (Discovery::addReply (two, "\xC3\xA9xxxxxxxxxxxxxx", 16));
    EXPECT_TRUE (Discovery::addReply (two, "\xC3\xAAxxxxxxxxxxxxxx", 16));
    EXPECT_FALSE (Discovery::addReply (two, "\xC3\xA9xxxxxxxxxxxxxx", 16));
    EXPECT_EQ (two.size(), 2);
}

TEST (DiscoveryPolls, ReadOneDatagramPerPollAndOnlyWithinTheWindow)
{
    juce::DatagramSocket socket (true);
    ASSERT_TRUE (socket.bindToPort (0, "127.0.0.1"));
    const int port = socket.getBoundPort();

    const std::string datagrams[] = {
        bytes16 ("192.0.2.20"),
        "192.0.2.99",                               // shorter than 16: skipped
        bytes16 ("192.0.2.21"),
        bytes16 ("192.0.2.20"),                     // repeated: one entry
        "192.0.2.22-and-a-longer-tail",             // longer: its first 16 bytes
    };
    for (const auto& d : datagrams)
        ASSERT_TRUE (sendUdp ("127.0.0.1", port, d.data(), d.size()));

    juce::StringArray found;
    Discovery::collectReplies (socket, 3, found);
    EXPECT_EQ (found.joinIntoString ("|"), listOf ({ "192.0.2.20", "192.0.2.21" })) << "three polls read three datagrams";

    Discovery::collectReplies (socket, Discovery::pollCount, found);
    EXPECT_EQ (found.joinIntoString ("|"), listOf ({ "192.0.2.20", "192.0.2.21", "192.0.2.22-and-a" }));

    // A reply after the last poll is never read.
    const auto late = bytes16 ("192.0.2.30");
    ASSERT_TRUE (sendUdp ("127.0.0.1", port, late.data(), late.size()));
    EXPECT_EQ (found.size(), 3);
}

TEST (DiscoveryBroadcast, FailsOnAClosedSocket)
{
    juce::DatagramSocket socket (true);
    socket.shutdown();
    EXPECT_EQ (Discovery::broadcastWrite (socket, Discovery::requestPort, Discovery::request, Discovery::requestSize), -1);
}

TEST (FindIpAddr, PortTakenShowsBindErrorAndLeavesNoAddresses)
{
    if (! inPrivateNetwork())
        GTEST_SKIP() << "needs a network namespace of its own";

    UdpCapture holder (Discovery::localPort, "0.0.0.0");
    ASSERT_TRUE (holder.isOpen());

    RecordedAlerts alerts;
    sendCommand.setIpAddrList ({ "192.0.2.1", "192.0.2.2" });
    sendCommand.FindIpAddr();

    EXPECT_EQ (sendCommand.getIpAddrLen(), 0);
    EXPECT_EQ (alerts.titles.joinIntoString ("|"), listOf ({ "bind error" }));
    EXPECT_EQ (alerts.messages.joinIntoString ("|"), listOf ({ "aa" }));
}

TEST (FindIpAddr, BroadcastThatCannotBeSentShowsWriteError)
{
    if (! inPrivateNetwork())
        GTEST_SKIP() << "needs a network namespace of its own";

    // This process's namespace has only loopback, so 255.255.255.255 has no route.
    RecordedAlerts alerts;
    sendCommand.setIpAddrList ({ "192.0.2.1" });
    sendCommand.FindIpAddr();

    EXPECT_EQ (sendCommand.getIpAddrLen(), 0);
    EXPECT_EQ (alerts.titles.joinIntoString ("|"), listOf ({ "write error" }));
    EXPECT_EQ (alerts.messages.joinIntoString ("|"), listOf ({ "aa" }));

    // The port is released afterwards: a second run gets as far again.
    sendCommand.FindIpAddr();
    EXPECT_EQ (alerts.titles.joinIntoString ("|"), listOf ({ "write error", "write error" }));
}
