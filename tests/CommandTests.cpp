#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/Command.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"

#include <functional>
#include <thread>

using ::testing::ElementsAre;

namespace
{
    struct CommandCase
    {
        const char* name;
        std::function<void (Command&)> send;
        std::string types;      // liblo's type string, without the comma
        std::string described;  // liblo's decoding, as DecodedMessage::describe
    };

    const float eightValues[8] = { 1, 2, 3, 4, 5, 6, 7, 8 };

    std::vector<CommandCase> allCommands()
    {
        static float many[128];
        for (int k = 0; k < 128; ++k)
            many[k] = (float) k * 0.5f;

        return {
            { "FO", [] (Command& c) { c.sendFOCommand (12); }, "iii", "FO 12" },
            { "LV", [] (Command& c) { c.sendLVCommand (3, -6.5f); }, "iiif", "LV 3 -6.5" },
            { "PN", [] (Command& c) { c.sendPNCommand (5); }, "iii", "PN 5" },
            { "AP", [] (Command& c) { c.sendAPCommand (4096); }, "iii", "AP 4096" },
            { "HI", [] (Command& c) { c.sendHICommand (3, 1, 1200, 7); }, "iiiiii", "HI 3 1 1200 7" },
            { "GA", [] (Command& c) { c.sendGACommand (-12.25f); }, "iif", "GA -12.25" },
            { "CM", [] (Command& c) { c.sendCMCommand (2); }, "iii", "CM 2" },
            { "ML", [] (Command& c) { c.sendMLCommand (190.0f); }, "iif", "ML 190" },
            { "NL", [] (Command& c) { c.sendNLCommand (-20.5f); }, "iif", "NL -20.5" },
            { "OP", [] (Command& c) { c.sendOPCommand (1); }, "iii", "OP 1" },
            { "CR", [] (Command& c) { c.sendCRCommand (1); }, "iii", "CR 1" },
            { "MU", [] (Command& c) { c.sendMUCommand (0); }, "iii", "MU 0" },
            { "MT unsigned channel", [] (Command& c) { c.sendMTCommand (255, 1); }, "iiii", "MT 255 1" },
            { "NS", [] (Command& c) { c.sendNetStatus(); }, "ii", "NS" },
            { "SE", [] (Command& c) { c.sendSECommand (1); }, "iii", "SE 1" },
            { "SA", [] (Command& c) { c.sendSACommand(); }, "ii", "SA" },
            { "CS", [] (Command& c) { c.sendClockSource (3); }, "iii", "CS 3" },
            { "SC", [] (Command& c) { c.sendSampleClock (2); }, "iii", "SC 2" },
            { "SR", [] (Command& c) { c.sendSRCommand(); }, "ii", "SR" },
            { "SL", [] (Command& c) { c.sendSLCommand(); }, "ii", "SL" },
            { "CP", [] (Command& c) { c.sendCurrentPoint (10, 20, 30); }, "iiiii", "CP 10 20 30" },
            { "MD", [] (Command& c) { c.sendChannelMode ('L'); }, "iii", "MD 76" },
            { "UN", [] (Command& c) { juce::String n ("Hall left"); c.sendUnitName (n); }, "iis", "UN 'Hall left'" },
            { "MN", [] (Command& c) { c.sendMNCommand (7); }, "iii", "MN 7" },
            { "LM", [] (Command& c) { c.sendLMCommand (0x01020304); }, "iii", "LM 16909060" },
            { "DP short", [] (Command& c) { c.sendDPCommand (1, 2.5f, 3.5f, 4, eightValues, 8); },
              "iiiffi" + std::string (8, 'f'), "DP 1 2.5 3.5 4 1 2 3 4 5 6 7 8" },
            { "AT short", [] (Command& c) { c.sendATCommand (0, 0.0f, 0.0f, 2, eightValues, 8); },
              "iiiffi" + std::string (8, 'f'), "AT 0 0 0 2 1 2 3 4 5 6 7 8" },
            { "DP long", [] (Command& c) { c.sendDPCommand (1, 0.0f, 0.0f, 64, many, 128); },
              "iiiffi" + std::string (128, 'f'), "" },
            { "AT long", [] (Command& c) { c.sendATCommand (1, 0.0f, 0.0f, 64, many, 128); },
              "iiiffi" + std::string (128, 'f'), "" },
            { "block", [] (Command& c) { juce::MemoryBlock b ("\x01\x02\x03\x04", 4); c.sendBlock (&b); }, "b", "blob 4" },
        };
    }

    class CommandWire : public ::testing::Test
    {
    protected:
        UdpCapture unit { Command::commandPort };
        Command command;

        void SetUp() override
        {
            ASSERT_TRUE (unit.isOpen()) << "port 9001 on 127.0.0.1 is taken";
            command.setCurrentIpAddr ("127.0.0.1");
        }
    };
}

TEST_F (CommandWire, EveryOperationSendsOneMessageThatLibloDecodes)
{
    for (const auto& c : allCommands())
    {
        SCOPED_TRACE (c.name);
        c.send (command);
        const auto datagram = unit.receive();
        ASSERT_TRUE (datagram.has_value());
        EXPECT_EQ (datagram->size() % 4, 0u);

        const auto m = decodeWithLiblo (*datagram);
        ASSERT_TRUE (m.has_value());
        EXPECT_EQ (m->path, "/juce/rotaryknob");
        EXPECT_EQ (m->types, c.types);
        if (! c.described.empty())
            EXPECT_EQ (m->describe(), c.described);

        EXPECT_FALSE (unit.receive (20).has_value()) << "more than one datagram";
    }
}

TEST_F (CommandWire, LongPointSetCarriesEveryValueInOrder)
{
    float values[128];
    for (int k = 0; k < 128; ++k)
        values[k] = (float) k - 63.75f;

    command.sendATCommand (1, 12.0f, -3.0f, 64, values, 128);
    const auto m = decodeWithLiblo (*unit.receive());
    ASSERT_TRUE (m.has_value());
    ASSERT_EQ (m->args.size(), 134u);
    EXPECT_EQ (m->code(), "AT");
    EXPECT_EQ (m->args[2].i, 1);
    EXPECT_EQ (m->args[3].f, 12.0f);
    EXPECT_EQ (m->args[4].f, -3.0f);
    EXPECT_EQ (m->args[5].i, 64);
    for (int k = 0; k < 128; ++k)
        EXPECT_EQ (m->args[6 + (size_t) k].f, values[k]);
}

TEST_F (CommandWire, NetStatusIsThe32ByteDatagram)
{
    command.sendNetStatus();
    const auto d = unit.receive();
    ASSERT_TRUE (d.has_value());

    std::vector<std::uint8_t> expected;
    const std::string address = "/juce/rotaryknob";
    expected.insert (expected.end(), address.begin(), address.end());
    expected.insert (expected.end(), 4, 0);
    for (char ch : { ',', 'i', 'i', '\0' })
        expected.push_back ((std::uint8_t) ch);
    for (std::uint8_t b : { 0, 0, 0, 78, 0, 0, 0, 83 })
        expected.push_back (b);

    EXPECT_EQ (*d, expected);
    EXPECT_EQ (d->size(), 32u);
}

TEST_F (CommandWire, ExactBytesOfArguments)
{
    command.sendLVCommand (3, -6.5f);
    auto d = *unit.receive();
    ASSERT_EQ (d.size(), 20u + 8u + 16u);
    EXPECT_EQ (std::string (d.begin() + 20, d.begin() + 28), std::string (",iiif\0\0\0", 8));
    // -6.5f is 0xC0D00000, big-endian.
    EXPECT_THAT (std::vector<std::uint8_t> (d.end() - 4, d.end()), ElementsAre (0xC0, 0xD0, 0x00, 0x00));

    command.sendMTCommand (255, 1);
    d = *unit.receive();
    EXPECT_THAT (std::vector<std::uint8_t> (d.end() - 8, d.end()), ElementsAre (0, 0, 0, 255, 0, 0, 0, 1));

    command.sendChannelMode ('L');
    d = *unit.receive();
    EXPECT_THAT (std::vector<std::uint8_t> (d.end() - 12, d.end()), ElementsAre (0, 0, 0, 77, 0, 0, 0, 68, 0, 0, 0, 76));
}

TEST_F (CommandWire, BlocksAreBlobOnlyMessagesOfEverySize)
{
    for (std::size_t size : { 0u, 1u, 3u, 4u, 5u, 1024u, 1025u })
    {
        SCOPED_TRACE (size);
        juce::MemoryBlock block (size);
        for (std::size_t k = 0; k < size; ++k)
            static_cast<std::uint8_t*> (block.getData())[k] = (std::uint8_t) (k * 7 + 1);

        command.sendBlock (&block);
        const auto d = *unit.receive();
        ASSERT_EQ (d.size(), 20u + 4u + 4u + veld72::osc::paddedSize (size));
        EXPECT_EQ (std::string (d.begin() + 20, d.begin() + 24), std::string (",b\0\0", 4));

        const auto m = decodeWithLiblo (d);
        ASSERT_TRUE (m.has_value());
        ASSERT_EQ (m->args.size(), 1u);
        EXPECT_EQ (m->args[0].blob, std::vector<std::uint8_t> (static_cast<const std::uint8_t*> (block.getData()),
                                                                static_cast<const std::uint8_t*> (block.getData()) + size));
    }
}

TEST (CommandChannel, NothingLeavesWhileNoUnitIsSelected)
{
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());
    Command command;
    ASSERT_TRUE (command.getCurrentIpAddr().isEmpty());

    for (const auto& c : allCommands())
        c.send (command);

    EXPECT_FALSE (unit.receive (200).has_value());
}

TEST (CommandChannel, ANewSelectionTakesEffectWithTheNextCommand)
{
    UdpCapture first (Command::commandPort, "127.0.0.1");
    UdpCapture second (Command::commandPort, "127.0.0.2");
    ASSERT_TRUE (first.isOpen());
    ASSERT_TRUE (second.isOpen());

    Command command;
    command.setCurrentIpAddr ("127.0.0.1");
    command.sendPNCommand (1);
    command.setCurrentIpAddr ("127.0.0.2");
    command.sendPNCommand (2);

    EXPECT_EQ (decodeWithLiblo (*first.receive())->describe(), "PN 1");
    EXPECT_EQ (decodeWithLiblo (*second.receive())->describe(), "PN 2");
    EXPECT_FALSE (first.receive (100).has_value());
}

TEST (CommandChannel, SendsFromSeveralThreadsNeverInterleave)
{
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());
    Command command;
    command.setCurrentIpAddr ("127.0.0.1");

    constexpr int perThread = 300;
    std::thread poller ([&] { for (int k = 0; k < perThread; ++k) command.sendNetStatus(); });
    std::thread other ([&] { for (int k = 0; k < perThread; ++k) command.sendATCommand (k, 1.0f, 2.0f, 3, eightValues, 8); });
    for (int k = 0; k < perThread; ++k)
        command.sendUnitName (juce::String ("unit ") + juce::String (k));
    poller.join();
    other.join();

    int ns = 0, at = 0, un = 0;
    for (const auto& d : unit.drain (200))
    {
        const auto m = decodeWithLiblo (d);
        ASSERT_TRUE (m.has_value());
        const auto code = m->code();
        if (code == "NS") { EXPECT_EQ (m->types, "ii"); ++ns; }
        else if (code == "AT") { EXPECT_EQ (m->args.size(), 14u); ++at; }
        else if (code == "UN") { EXPECT_EQ (m->types, "iis"); ++un; }
        else ADD_FAILURE() << "unexpected " << m->describe();
    }
    // Loopback does not drop datagrams at this rate with a large receive buffer.
    EXPECT_EQ (ns, perThread);
    EXPECT_EQ (at, perThread);
    EXPECT_EQ (un, perThread);
}

TEST (CommandChannel, AddressListIsOneBased)
{
    Command command;
    command.setIpAddrList ({ "192.0.2.20", "192.0.2.21" });
    EXPECT_EQ (command.getIpAddrLen(), 2);
    EXPECT_EQ (command.getIpAddr (1), "192.0.2.20");
    EXPECT_EQ (command.getIpAddr (2), "192.0.2.21");
    EXPECT_EQ (command.getIpAddr (3), "");
}
