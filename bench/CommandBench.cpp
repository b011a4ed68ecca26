// Encoding every shape of command: our command channel (its real send
// operations, with the finished message handed to a sink instead of the
// socket) against liblo building and serialising the same message. Then the
// send itself, to a socket on loopback, against liblo's send.

#include "Comparisons.h"

#include "link/Command.h"
#include "link/OscWire.h"

#include <benchmark/benchmark.h>
#include <lo/lo.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace
{
    struct LoArg
    {
        char type = 0;
        std::int32_t i = 0;
        float f = 0.0f;
        std::string s;
        std::vector<std::uint8_t> blob;
    };

    struct CommandShape
    {
        const char* name;
        std::function<void (Command&)> send;
        std::vector<LoArg> loArgs;   // after the two code letters (none for a block)
        bool coded = true;
    };

    LoArg i (std::int32_t v) { LoArg a; a.type = 'i'; a.i = v; return a; }
    LoArg f (float v)        { LoArg a; a.type = 'f'; a.f = v; return a; }

    std::array<float, 128> pointValues()
    {
        std::array<float, 128> v {};
        for (size_t k = 0; k < v.size(); ++k)
            v[k] = (float) k * 1.5f;
        return v;
    }

    const std::array<float, 128> points = pointValues();
    const std::vector<std::uint8_t> blockBytes = []
    {
        std::vector<std::uint8_t> b (1024);
        for (size_t k = 0; k < b.size(); ++k)
            b[k] = (std::uint8_t) k;
        return b;
    }();
    const juce::MemoryBlock block (blockBytes.data(), blockBytes.size());

    std::vector<LoArg> pointSetArgs (int numValues)
    {
        std::vector<LoArg> a { i (3), f (0.5f), f (1.5f), i (numValues) };
        for (int k = 0; k < numValues; ++k)
            a.push_back (f (points[(size_t) k]));
        return a;
    }

    const std::vector<CommandShape>& shapes()
    {
        static const std::vector<CommandShape> all = []
        {
            std::vector<CommandShape> s;
            s.push_back ({ "NS", [] (Command& c) { c.sendNetStatus(); }, {} });
            s.push_back ({ "FO", [] (Command& c) { c.sendFOCommand (15); }, { i (15) } });
            s.push_back ({ "LV", [] (Command& c) { c.sendLVCommand (3, -6.5f); }, { i (3), f (-6.5f) } });
            s.push_back ({ "MT", [] (Command& c) { c.sendMTCommand (2, 1); }, { i (2), i (1) } });
            s.push_back ({ "CP", [] (Command& c) { c.sendCurrentPoint (34, 400, 600); }, { i (34), i (400), i (600) } });
            s.push_back ({ "HI", [] (Command& c) { c.sendHICommand (3, 1, 500, 36); }, { i (3), i (1), i (500), i (36) } });
            LoArg name;
            name.type = 's';
            name.s = "Hall";
            s.push_back ({ "UN", [] (Command& c) { c.sendUnitName ("Hall"); }, { name } });
            s.push_back ({ "DP8", [] (Command& c) { c.sendDPCommand (3, 0.5f, 1.5f, 8, points.data(), 8); }, pointSetArgs (8) });
            s.push_back ({ "AT128", [] (Command& c) { c.sendATCommand (3, 0.5f, 1.5f, 128, points.data(), 128); }, pointSetArgs (128) });
            LoArg blob;
            blob.type = 'b';
            blob.blob = blockBytes;
            CommandShape b { "Block1024", [] (Command& c) { c.sendBlock (&block); }, { blob } };
            b.coded = false;
            s.push_back (b);
            return s;
        }();
        return all;
    }

    lo_message buildWithLiblo (const CommandShape& shape)
    {
        lo_message m = lo_message_new();
        if (shape.coded)
        {
            lo_message_add_int32 (m, shape.name[0]);
            lo_message_add_int32 (m, shape.name[1]);
        }

        for (const auto& a : shape.loArgs)
        {
            switch (a.type)
            {
                case 'i': lo_message_add_int32 (m, a.i); break;
                case 'f': lo_message_add_float (m, a.f); break;
                case 's': lo_message_add_string (m, a.s.c_str()); break;
                case 'b':
                {
                    lo_blob b = lo_blob_new ((int32_t) a.blob.size(), a.blob.data());
                    lo_message_add_blob (m, b);
                    lo_blob_free (b);
                    break;
                }
                default: break;
            }
        }
        return m;
    }

    // The unit's command port on loopback, so that sends are delivered (and
    // dropped once its buffer is full) rather than refused.
    struct LoopbackUnit
    {
        LoopbackUnit()
        {
            fd = ::socket (AF_INET, SOCK_DGRAM, 0);
            sockaddr_in a {};
            a.sin_family = AF_INET;
            a.sin_port = htons ((std::uint16_t) Command::commandPort);
            a.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
            bound = fd >= 0 && ::bind (fd, reinterpret_cast<sockaddr*> (&a), sizeof (a)) == 0;
        }

        ~LoopbackUnit() { if (fd >= 0) ::close (fd); }

        void drain()
        {
            char buffer[2048];
            while (::recv (fd, buffer, sizeof (buffer), MSG_DONTWAIT) > 0) {}
        }

        int fd = -1;
        bool bound = false;
    };

    void encodeOurs (benchmark::State& state, const CommandShape& shape)
    {
        Command channel;
        channel.setCurrentIpAddr ("127.0.0.1");
        std::size_t bytes = 0;
        channel.setMessageSink ([&bytes] (const std::uint8_t* data, std::size_t size)
        {
            benchmark::DoNotOptimize (data);
            bytes += size;
        });

        for (auto _ : state)
            shape.send (channel);

        state.SetBytesProcessed ((int64_t) bytes);
    }

    void encodeLiblo (benchmark::State& state, const CommandShape& shape)
    {
        std::vector<std::uint8_t> buffer (4096);
        std::size_t bytes = 0;

        for (auto _ : state)
        {
            lo_message m = buildWithLiblo (shape);
            std::size_t size = 0;
            lo_message_serialise (m, veld72::osc::kAddress, buffer.data(), &size);
            benchmark::DoNotOptimize (buffer.data());
            lo_message_free (m);
            bytes += size;
        }

        state.SetBytesProcessed ((int64_t) bytes);
    }

    void sendOurs (benchmark::State& state, const CommandShape& shape)
    {
        LoopbackUnit unit;
        if (! unit.bound)
        {
            state.SkipWithError ("port 9001 on loopback is taken (run in a private network namespace)");
            return;
        }

        Command channel;
        channel.setCurrentIpAddr ("127.0.0.1");
        int n = 0;
        for (auto _ : state)
        {
            shape.send (channel);
            if (++n % 64 == 0)
            {
                state.PauseTiming();
                unit.drain();
                state.ResumeTiming();
            }
        }
    }

    void sendLiblo (benchmark::State& state, const CommandShape& shape)
    {
        LoopbackUnit unit;
        if (! unit.bound)
        {
            state.SkipWithError ("port 9001 on loopback is taken (run in a private network namespace)");
            return;
        }

        lo_address target = lo_address_new ("127.0.0.1", std::to_string (Command::commandPort).c_str());
        int n = 0;
        for (auto _ : state)
        {
            lo_message m = buildWithLiblo (shape);
            lo_send_message (target, veld72::osc::kAddress, m);
            lo_message_free (m);
            if (++n % 64 == 0)
            {
                state.PauseTiming();
                unit.drain();
                state.ResumeTiming();
            }
        }
        lo_address_free (target);
    }

    const bool registered = []
    {
        for (const auto& shape : shapes())
        {
            const std::string ours = std::string ("Encode/") + shape.name;
            const std::string peer = ours + "/liblo";
            benchmark::RegisterBenchmark (ours.c_str(), encodeOurs, shape);
            benchmark::RegisterBenchmark (peer.c_str(), encodeLiblo, shape);
            BenchComparisons::addPair ("Encode " + std::string (shape.name) + " vs liblo", ours, peer, 2.0);
        }

        for (const auto& shape : shapes())
        {
            if (std::string (shape.name) != "LV" && std::string (shape.name) != "AT128")
                continue;

            const std::string ours = std::string ("Send/") + shape.name;
            const std::string peer = ours + "/liblo";
            benchmark::RegisterBenchmark (ours.c_str(), sendOurs, shape);
            benchmark::RegisterBenchmark (peer.c_str(), sendLiblo, shape);
            BenchComparisons::addPair ("Encode and send " + std::string (shape.name) + " vs liblo", ours, peer, 0.0);
        }
        return true;
    }();
}
