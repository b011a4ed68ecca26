// Costs on the device link: one status poll answered by a virtual unit on
// loopback, the parsing of discovery replies, and the discovery window (the
// 60000 non-blocking reads) on this machine.

#include <benchmark/benchmark.h>

#include "link/Discovery.h"
#include "link/OscWire.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

extern char** environ;

namespace
{
    int udpSocket (int port)
    {
        const int fd = ::socket (AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_port = htons ((std::uint16_t) port);
        a.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        if (fd >= 0 && ::bind (fd, reinterpret_cast<sockaddr*> (&a), sizeof (a)) != 0)
        {
            ::close (fd);
            return -1;
        }
        return fd;
    }

    int boundPort (int fd)
    {
        sockaddr_in a {};
        socklen_t len = sizeof (a);
        ::getsockname (fd, reinterpret_cast<sockaddr*> (&a), &len);
        return ntohs (a.sin_port);
    }

    // Ports the system has free right now, for the unit to bind.
    int freePort()
    {
        const int fd = udpSocket (0);
        const int port = boundPort (fd);
        ::close (fd);
        return port;
    }
}

static void StatusPollRoundTrip (benchmark::State& state)
{
   #ifndef VELD72_UNIT_PROGRAM
    state.SkipWithError ("veld72-unit is not built");
    return;
   #else
    const int reportFd = udpSocket (0);
    const int commandPort = freePort();
    const auto report = std::to_string (boundPort (reportFd));
    const auto command = std::to_string (commandPort);
    const auto discovery = std::to_string (freePort());

    const char* argv[] = { VELD72_UNIT_PROGRAM, "--bind", "127.0.0.1", "--command-port", command.c_str(),
                           "--report-port", report.c_str(), "--discovery-port", discovery.c_str(), nullptr };
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn (&pid, argv[0], &actions, nullptr, const_cast<char**> (argv), environ);
    posix_spawn_file_actions_destroy (&actions);

    veld72::osc::MessageWriter writer;
    writer.begin (veld72::osc::kAddress);
    writer.addInt32 ('N');
    writer.addInt32 ('S');
    std::size_t size = 0;
    const auto* ns = writer.finish (size);

    sockaddr_in unit {};
    unit.sin_family = AF_INET;
    unit.sin_port = htons ((std::uint16_t) commandPort);
    unit.sin_addr.s_addr = htonl (INADDR_LOOPBACK);

    const auto poll = [&] (int timeoutMs)
    {
        ::sendto (reportFd, ns, size, 0, reinterpret_cast<sockaddr*> (&unit), sizeof (unit));
        pollfd p { reportFd, POLLIN, 0 };
        if (::poll (&p, 1, timeoutMs) <= 0)
            return false;
        char buffer[64];
        return ::recv (reportFd, buffer, sizeof (buffer), 0) > 0;
    };

    bool ready = false;
    for (int i = 0; i < 100 && ! ready; ++i)
        ready = poll (20);

    if (! ready)
        state.SkipWithError ("the virtual unit did not answer");
    else
        for (auto _ : state)
            if (! poll (1000))
                state.SkipWithError ("a poll went unanswered");

    ::kill (pid, SIGTERM);
    ::waitpid (pid, nullptr, 0);
    ::close (reportFd);
   #endif
}
BENCHMARK (StatusPollRoundTrip)->Unit (benchmark::kMicrosecond);

static void ReplyParsing (benchmark::State& state)
{
    char reply[16] = "192.168.100.200";
    for (auto _ : state)
    {
        auto text = Discovery::parseReply (reply, 16);
        benchmark::DoNotOptimize (text);
    }
}
BENCHMARK (ReplyParsing);

static void ReplyParsingIntoFourUnits (benchmark::State& state)
{
    char replies[4][16] = { "192.0.2.20", "192.0.2.21", "192.0.2.22", "192.0.2.23" };
    for (auto _ : state)
    {
        juce::StringArray found;
        for (int k = 0; k < 8; ++k)
            Discovery::addReply (found, replies[k % 4], 16);
        benchmark::DoNotOptimize (found);
    }
}
BENCHMARK (ReplyParsingIntoFourUnits);

// The discovery window: 60000 non-blocking reads of an idle bound socket,
// which is all the time a unit has to answer.
static void DiscoveryWindow (benchmark::State& state)
{
    juce::DatagramSocket socket (true);
    if (! socket.bindToPort (0, "127.0.0.1"))
    {
        state.SkipWithError ("cannot bind on loopback");
        return;
    }

    juce::StringArray found;
    for (auto _ : state)
        Discovery::collectReplies (socket, Discovery::pollCount, found);
}
BENCHMARK (DiscoveryWindow)->Unit (benchmark::kMillisecond);


