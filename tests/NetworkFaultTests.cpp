#include <gtest/gtest.h>

#include "ReceiverTestSupport.h"
#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "link/OscRead.h"
#include "link/Receiver.h"
#include "support/UdpCapture.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

using namespace ReceiverTest;

namespace
{
    using Bytes = std::vector<std::uint8_t>;

    void addString (Bytes& b, const std::string& s)
    {
        b.insert (b.end(), s.begin(), s.end());
        do b.push_back (0); while (b.size() % 4 != 0);
    }

    void addInt (Bytes& b, std::int32_t v)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            b.push_back ((std::uint8_t) ((std::uint32_t) v >> shift));
    }

    Bytes header (const std::string& tags)
    {
        Bytes b;
        addString (b, "/juce/rotaryknob");
        addString (b, tags);
        return b;
    }

    Bytes blobDeclaring (std::int32_t declared, std::size_t carried)
    {
        auto b = header (",b");
        addInt (b, declared);
        b.insert (b.end(), carried, 0x55);
        return b;
    }

    Bytes bundleOf (std::int32_t elementSize, const Bytes& element)
    {
        Bytes b;
        addString (b, "#bundle");
        addInt (b, 0);
        addInt (b, 1);
        addInt (b, elementSize);
        b.insert (b.end(), element.begin(), element.end());
        return b;
    }

    Bytes nestedBundles (int depth)
    {
        auto inner = datagram ({ (int) 'O', (int) 'K' });
        for (int d = 0; d < depth; ++d)
            inner = bundleOf ((std::int32_t) inner.size(), inner);
        return inner;
    }

    void pump (int ms) { juce::MessageManager::getInstance()->runDispatchLoopUntil (ms); }

    Bytes levelDatagram (float v, const std::string& address)
    {
        std::vector<Arg> args { (int) 'V', (int) 'A' };
        for (int k = 0; k < 2 * Reports::levelsPerGroup; ++k)
            args.push_back (v);
        args.push_back (address);
        return datagram (args);
    }

    class NetworkFaults : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            CacheFiles::getCacheDirectory().deleteRecursively();
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            sendCommand.setCurrentIpAddr ({});
            waitAbleEvent.reset();
        }

        void TearDown() override { sendCommand.setCurrentIpAddr ({}); }
    };
}

//==============================================================================
TEST (OscRead, MalformedDatagramsGiveNothing)
{
    const auto ok = datagram ({ (int) 'O', (int) 'K' });
    auto noTagTerminator = header (",iiii");
    noTagTerminator.resize (noTagTerminator.size() - 4);
    noTagTerminator.insert (noTagTerminator.end(), { ',', 'i', 'i', 'i' });
    auto openString = header (",iis");
    addInt (openString, 'U');
    addInt (openString, 'N');
    openString.insert (openString.end(), { 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h' });
    auto cutInt = header (",ii");
    addInt (cutInt, 'O');

    const struct { const char* name; Bytes bytes; } cases[] = {
        { "blob size larger than its data",     blobDeclaring (64, 8) },
        { "blob size near INT_MAX",             blobDeclaring (INT_MAX - 2, 8) },
        { "blob size INT_MAX",                  blobDeclaring (INT_MAX, 8) },
        { "negative blob size",                 blobDeclaring (-1, 8) },
        { "bundle element size -1",             bundleOf (-1, ok) },
        { "bundle element size larger",         bundleOf ((std::int32_t) ok.size() + 4, ok) },
        { "bundle element size zero",           bundleOf (0, ok) },
        { "bundles nested too deep",            nestedBundles (OscRead::maxBundleDepth + 1) },
        { "type tags without terminator",       noTagTerminator },
        { "string without terminator",          openString },
        { "integer cut short",                  cutInt },
        { "unknown type tag",                   header (",ix") },
        { "no address",                         Bytes { 0, 0, 0, 0 } },
        { "size not a multiple of four",        Bytes (ok.begin(), ok.end() - 1) },
        { "broken UTF-8 in the address",        [] { Bytes b; addString (b, "/juce/rot\xafryknob"); addString (b, ",ii"); addInt (b, 'O'); addInt (b, 'K'); return b; }() },
        { "broken UTF-8 in a string",           [] { auto b = header (",iis"); addInt (b, 'U'); addInt (b, 'N'); addString (b, "\xe2\x82"); return b; }() },
        { "bad character in the address",       [] { Bytes b; addString (b, "/juce/ro tary"); addString (b, ","); return b; }() },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        std::vector<juce::OSCMessage> out;
        EXPECT_FALSE (OscRead::readDatagram (c.bytes.data(), c.bytes.size(), out));
        EXPECT_TRUE (out.empty());
    }
}

TEST (OscRead, ReadsWhatTheUnitSends)
{
    const Blob piece { 1, 2, 3, 4, 5 };
    const auto one = datagram ({ (int) 'G', (int) 'N', -6.5f, std::string ("192.0.2.20") });
    const auto two = datagram ({ piece });

    std::vector<juce::OSCMessage> out;
    ASSERT_TRUE (OscRead::readDatagram (one.data(), one.size(), out));
    auto bundle = bundleOf ((std::int32_t) one.size(), one);
    addInt (bundle, (std::int32_t) two.size());
    bundle.insert (bundle.end(), two.begin(), two.end());
    ASSERT_TRUE (OscRead::readDatagram (bundle.data(), bundle.size(), out));

    ASSERT_EQ (out.size(), 3u);
    for (const auto* m : { &out[0], &out[1] })
    {
        EXPECT_EQ (m->getAddressPattern().toString(), "/juce/rotaryknob");
        ASSERT_EQ (m->size(), 4);
        EXPECT_EQ ((*m)[1].getInt32(), 'N');
        EXPECT_EQ ((*m)[2].getFloat32(), -6.5f);
        EXPECT_EQ ((*m)[3].getString(), "192.0.2.20");
    }
    ASSERT_TRUE (out[2][0].isBlob());
    EXPECT_EQ (out[2][0].getBlob(), juce::MemoryBlock (piece.data(), piece.size()));
}

//==============================================================================
TEST (PendingReportsQueue, LevelReportsCoalesceTheRestKeepsOrderUpToTheBound)
{
    PendingReports q;
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE (q.add (report ("VA", { (float) i }), true));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE (q.add (message ({ Blob { (char) i } }), false));
    EXPECT_EQ (q.size(), 4u);

    const auto taken = q.take (100);
    ASSERT_EQ (taken.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (*static_cast<const char*> (taken[(size_t) i][0].getBlob().getData()), (char) i);
    EXPECT_EQ (taken[3][2].getFloat32(), 999.0f) << "the newest level report is kept";

    for (std::size_t i = 0; i < PendingReports::maxMessages + 50; ++i)
        q.add (report ("IL", { 1.0f }), false);
    EXPECT_EQ (q.size(), PendingReports::maxMessages);
    EXPECT_EQ (q.getNumDropped(), 50u);

    PendingReports big;
    const Blob large (60000);
    std::size_t accepted = 0;
    for (int i = 0; i < 1000; ++i)
        accepted += big.add (message ({ large }), false) ? 1 : 0;
    EXPECT_LE (accepted * large.size(), PendingReports::maxBytes);
    EXPECT_GT (accepted, 100u);
}

//==============================================================================
TEST_F (NetworkFaults, MalformedDatagramsChangeNothing)
{
    Receiver receiver;
    const auto ok = datagram ({ (int) 'O', (int) 'K' });
    const auto open17 = datagram ({ words ({ 17 }) });
    const Bytes bad[] = { blobDeclaring (64, 8), blobDeclaring (INT_MAX - 2, 8), bundleOf (-1, ok),
                          bundleOf (-1, open17), header (",iiis") };

    for (const auto& b : bad)
    {
        receiver.receiveDatagram (b.data(), b.size(), "127.0.0.1");
        ASSERT_TRUE (sendUdp ("127.0.0.1", Receiver::reportPort, b.data(), b.size()));
    }
    pump (100);
    receiver.handlePendingReports();
    EXPECT_EQ (receiver.getPendingReports().size(), 0u);

    // Only the address itself is handled, no pattern that would match it.
    for (const auto* pattern : { "/juce/*", "/juce/rot*******************************************[yn]ob", "/*/rotaryknob" })
    {
        Bytes b;
        addString (b, pattern);
        addString (b, ",ii");
        addInt (b, 'O');
        addInt (b, 'K');
        receiver.receiveDatagram (b.data(), b.size(), "127.0.0.1");
    }
    EXPECT_EQ (receiver.getPendingReports().size(), 0u);
    EXPECT_FALSE (waitAbleEvent.wait (0));
    EXPECT_FALSE (receiver.getDataStream().isFileOpen());
}

TEST_F (NetworkFaults, OnlyTheSelectedUnitIsHeard)
{
    const struct { const char* selected; const char* sender; bool heard; } cases[] = {
        { "",          "192.0.2.5", true },
        { "0.0.0.0",   "192.0.2.5", true },
        { "192.0.2.7", "192.0.2.7", true },
        { "192.0.2.7", "192.0.2.5", false },
        { "192.0.2.7", "127.0.0.1", false },
    };

    const auto ok = datagram ({ (int) 'O', (int) 'K' });
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.selected) + " / " + c.sender);
        Receiver receiver;
        sendCommand.setCurrentIpAddr (c.selected);
        waitAbleEvent.reset();
        receiver.receiveDatagram (ok.data(), ok.size(), c.sender);
        receiver.handlePendingReports();
        EXPECT_EQ (waitAbleEvent.wait (0), c.heard);
    }
}

TEST_F (NetworkFaults, LevelFloodKeepsTheMessageThreadResponsiveAndTheQueueBounded)
{
    sendCommand.setCurrentIpAddr ("127.0.0.1");
    Receiver receiver;
    ASSERT_TRUE (receiver.isBound());

    std::atomic<bool> flooding { true };
    std::atomic<int> sent { 0 };
    std::thread unit ([&]
    {
        const auto level = levelDatagram (1000.0f, "127.0.0.1");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (1500);
        while (flooding && std::chrono::steady_clock::now() < deadline)
            if (sendUdp ("127.0.0.1", Receiver::reportPort, level.data(), level.size()))
                ++sent;
    });

    std::size_t mostPending = 0;
    double slowest = 0;
    for (int probe = 0; probe < 10; ++probe)
    {
        std::atomic<bool> ran { false };
        const auto posted = juce::Time::getMillisecondCounterHiRes();
        juce::MessageManager::callAsync ([&ran] { ran = true; });
        while (! ran && juce::Time::getMillisecondCounterHiRes() - posted < 5000)
        {
            pump (5);
            mostPending = std::max (mostPending, receiver.getPendingReports().size());
        }
        ASSERT_TRUE (ran);
        slowest = std::max (slowest, juce::Time::getMillisecondCounterHiRes() - posted);
        pump (50);
    }

    flooding = false;
    unit.join();
    pump (50);

    RecordProperty ("levelReportsSent", sent.load());
    RecordProperty ("slowestCallAsyncMs", (int) slowest);
    EXPECT_GT (sent.load(), 450) << "ten times the normal rate at least";
    EXPECT_LT (slowest, 1000.0) << "a posted call waits behind the flood";
    EXPECT_LE (mostPending, 1u) << "level reports coalesce";
}

TEST_F (NetworkFaults, UnitVanishesInTheMiddleOfADataBlockAndComesBack)
{
    sendCommand.setCurrentIpAddr ("127.0.0.1");
    Receiver receiver;
    ASSERT_TRUE (receiver.isBound());

    const auto send = [] (const Bytes& d) { ASSERT_TRUE (sendUdp ("127.0.0.1", Receiver::reportPort, d.data(), d.size())); };

    Blob half (512, 0x11);
    send (datagram ({ words ({ 34 }) }));
    send (datagram ({ half }));
    // The unit is gone: nothing more of this block comes.
    pump (300);

    std::atomic<bool> ran { false };
    juce::MessageManager::callAsync ([&ran] { ran = true; });
    pump (100);
    EXPECT_TRUE (ran) << "the message thread is not held by the broken block";

    Blob whole (2048);
    for (size_t i = 0; i < whole.size(); ++i) whole[i] = (char) (i * 3);
    send (datagram ({ words ({ 34 }) }));
    for (size_t at = 0; at < whole.size(); at += 512)
        send (datagram ({ Blob (whole.begin() + (long) at, whole.begin() + (long) at + 512) }));
    send (datagram ({ words ({ 85 }) }));
    pump (300);

    EXPECT_FALSE (receiver.getDataStream().isFileOpen());
    const auto written = fileBytes (CacheFiles::path (CacheFiles::cross));
    EXPECT_EQ (written, std::vector<std::uint8_t> (whole.begin(), whole.end()));
}

TEST_F (NetworkFaults, QuitIsInstant)
{
    auto receiver = std::make_unique<Receiver>();
    ASSERT_TRUE (receiver->isBound());
    const auto start = juce::Time::getMillisecondCounterHiRes();
    receiver.reset();
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 1000.0);
}
