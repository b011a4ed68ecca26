#include <gtest/gtest.h>

#include "link/Command.h"
#include "support/UdpCapture.h"

#include <functional>
#include <vector>

namespace
{
    using Bytes = std::vector<std::uint8_t>;

    // A sink sees exactly the datagram the socket would have carried, and
    // while it is set nothing reaches the unit; clearing it sends again.
    TEST (CommandSink, TakesTheDatagramInsteadOfTheSocket)
    {
        UdpCapture unit (Command::commandPort);
        ASSERT_TRUE (unit.isOpen());

        const float points[8] = { 1, 2, 3, 4, 5, 6, 7, 8 };
        const juce::MemoryBlock block ("\x11\x00\x00\x00", 4);
        const std::function<void (Command&)> sends[] = {
            [] (Command& c) { c.sendNetStatus(); },
            [] (Command& c) { c.sendLVCommand (3, -6.5f); },
            [] (Command& c) { c.sendUnitName ("Hall"); },
            [&] (Command& c) { c.sendDPCommand (3, 0.5f, 1.5f, 8, points, 8); },
            [&] (Command& c) { c.sendBlock (&block); },
        };

        Command channel;
        channel.setCurrentIpAddr ("127.0.0.1");

        for (const auto& send : sends)
        {
            send (channel);
            const auto sent = unit.receive();
            ASSERT_TRUE (sent.has_value());

            std::vector<Bytes> sunk;
            channel.setMessageSink ([&sunk] (const std::uint8_t* data, std::size_t size) { sunk.emplace_back (data, data + size); });
            send (channel);
            channel.setMessageSink ({});

            ASSERT_EQ (sunk.size(), 1u);
            EXPECT_EQ (sunk.front(), *sent);
            EXPECT_TRUE (unit.drain (50).empty());
        }

        channel.sendNetStatus();
        EXPECT_TRUE (unit.receive().has_value());
    }

    TEST (CommandSink, GetsNothingWhileNoUnitIsSelected)
    {
        Command channel;
        int calls = 0;
        channel.setMessageSink ([&calls] (const std::uint8_t*, std::size_t) { ++calls; });
        channel.sendFOCommand (15);
        channel.sendNetStatus();
        EXPECT_EQ (calls, 0);
    }
}
