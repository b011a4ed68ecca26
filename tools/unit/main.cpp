// veld72-unit: a virtual unit that answers VELD72 as a networked processor
// does: discovery, commands, status polls, its state and data blocks after
// selection, level reports, point measurements and the processing after
// them, and uploads.

#include "VirtualUnit.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t silenceToggles = 0;

void onStopSignal (int) { stopRequested = 1; }
void onToggleSignal (int) { silenceToggles = silenceToggles + 1; }

struct Options
{
    std::string address;          // empty: the address the unit is reached at
    std::string bind = "0.0.0.0";
    unit::VirtualUnit::Settings unit;
    double timeScale = 1.0;
    double levelRate = 30.0;
    bool verbose = false;
    int discoveryPort = unit::VirtualUnit::discoveryPort;
    int commandPort = unit::VirtualUnit::commandPort;
};

void printUsage (std::FILE* out)
{
    std::fputs (
        "usage: veld72-unit [options]\n"
        "  --address TEXT         address text to answer discovery and to put in reports\n"
        "                         (default: the local address the app reaches the unit at)\n"
        "  --name TEXT            unit name reported after selection (default \"VELD72 unit\")\n"
        "  --silent               never answer status polls (the app shows \"network down\");\n"
        "                         SIGUSR1 toggles this while running\n"
        "  --time-scale X         run the unit's clocks X times faster (default 1): measuring a\n"
        "                         point takes 6 s, the processing after the point sets 20 s\n"
        "                         (the first 12 s without answering polls)\n"
        "  --level-rate N         level reports per second while selected (default 30, 0 none)\n"
        "  --discovery-delay MS   wait MS (unit time) before answering discovery (default 0)\n"
        "  --verbose              print every datagram received and sent\n"
        "  --bind ADDR            local address for the command port (default 0.0.0.0)\n"
        "  --discovery-port N     default 12811\n"
        "  --command-port N       default 9001\n"
        "  --report-port N        port the reports go to on the app's host (default 9002)\n", out);
}

bool parseOptions (int argc, char** argv, Options& o)
{
    for (int k = 1; k < argc; ++k)
    {
        const std::string arg = argv[k];
        const auto value = [&] () -> const char* { return k + 1 < argc ? argv[++k] : nullptr; };
        const auto number = [&] (double& out) { const char* v = value(); if (v == nullptr) return false; char* end = nullptr; out = std::strtod (v, &end); return end != v && *end == 0; };
        const auto port = [&] (int& out) { double d = 0; if (! number (d) || d < 1 || d > 65535) return false; out = (int) d; return true; };

        if (arg == "--help" || arg == "-h")        { printUsage (stdout); std::exit (0); }
        else if (arg == "--silent")                 o.unit.silent = true;
        else if (arg == "--verbose")                o.verbose = true;
        else if (arg == "--address")                { const char* v = value(); if (v == nullptr) return false; o.address = v; }
        else if (arg == "--name")                   { const char* v = value(); if (v == nullptr) return false; o.unit.name = v; }
        else if (arg == "--bind")                   { const char* v = value(); if (v == nullptr) return false; o.bind = v; }
        else if (arg == "--time-scale")             { if (! number (o.timeScale) || o.timeScale <= 0) return false; }
        else if (arg == "--level-rate")             { if (! number (o.levelRate) || o.levelRate < 0 || o.levelRate > 1000) return false; }
        else if (arg == "--discovery-delay")        { if (! number (o.unit.discoveryDelayMs) || o.unit.discoveryDelayMs < 0) return false; }
        else if (arg == "--discovery-port")         { if (! port (o.discoveryPort)) return false; }
        else if (arg == "--command-port")           { if (! port (o.commandPort)) return false; }
        else if (arg == "--report-port")            { if (! port (o.unit.reportPort)) return false; }
        else return false;
    }

    return true;
}

int openUdp (const std::string& address, int port, bool reuse, std::string& error)
{
    const int fd = ::socket (AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
    {
        error = std::strerror (errno);
        return -1;
    }

    const int on = 1;
    if (reuse)
        ::setsockopt (fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof (on));
    ::setsockopt (fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof (on));

    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons ((std::uint16_t) port);

    if (::inet_pton (AF_INET, address.c_str(), &a.sin_addr) != 1)
        error = "not an IPv4 address: " + address;
    else if (::bind (fd, reinterpret_cast<sockaddr*> (&a), sizeof (a)) != 0)
        error = std::strerror (errno);
    else
        return fd;

    ::close (fd);
    return -1;
}

// The local address a datagram to `to` leaves from.
std::string localAddressToward (unit::Endpoint to)
{
    std::string text = "0.0.0.0";
    const int fd = ::socket (AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return text;

    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons (to.port == 0 ? 9 : to.port);
    a.sin_addr.s_addr = htonl (to.host);

    sockaddr_in local {};
    socklen_t len = sizeof (local);
    char buffer[INET_ADDRSTRLEN] = {};

    if (::connect (fd, reinterpret_cast<sockaddr*> (&a), sizeof (a)) == 0
        && ::getsockname (fd, reinterpret_cast<sockaddr*> (&local), &len) == 0
        && ::inet_ntop (AF_INET, &local.sin_addr, buffer, sizeof (buffer)) != nullptr)
        text = buffer;

    ::close (fd);
    return text;
}

struct Pending
{
    Clock::time_point due;
    unit::Outgoing datagram;
    bool logged = false;
};

class Runner
{
public:
    explicit Runner (const Options& o) : options (o), unit (o.unit), started (Clock::now()), nextLevels (started) {}

    ~Runner()
    {
        for (int fd : { discoveryFd, commandFd })
            if (fd >= 0)
                ::close (fd);
    }

    bool open()
    {
        std::string error;
        discoveryFd = openUdp ("0.0.0.0", options.discoveryPort, true, error);
        if (discoveryFd < 0)
        {
            std::fprintf (stderr, "veld72-unit: cannot bind UDP port %d: %s\n", options.discoveryPort, error.c_str());
            return false;
        }

        commandFd = openUdp (options.bind, options.commandPort, false, error);
        if (commandFd < 0)
        {
            std::fprintf (stderr, "veld72-unit: cannot bind UDP port %d on %s: %s\n", options.commandPort,
                          options.bind.c_str(), error.c_str());
            return false;
        }

        // Room for the data blocks of a parameter upload arriving at once.
        const int buffer = 4 * 1024 * 1024;
        ::setsockopt (commandFd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof (buffer));
        return true;
    }

    void run()
    {
        std::printf ("veld72-unit '%s' ready: discovery port %d, command port %d on %s%s\n",
                     options.unit.name.c_str(), options.discoveryPort, options.commandPort, options.bind.c_str(),
                     unit.isSilent() ? ", silent" : "");

        std::vector<std::uint8_t> buffer (65536);
        int togglesSeen = 0;

        while (stopRequested == 0)
        {
            if (silenceToggles != togglesSeen)
            {
                togglesSeen = silenceToggles;
                unit.setSilent (! unit.isSilent());
                std::printf ("silent %s\n", unit.isSilent() ? "on" : "off");
            }

            pollfd fds[2] = { { discoveryFd, POLLIN, 0 }, { commandFd, POLLIN, 0 } };
            if (::poll (fds, 2, timeoutMs()) < 0)
                continue;   // interrupted by a signal

            schedule (unit.advanceTo (unitNow()));

            for (int k = 0; k < 2; ++k)
            {
                if ((fds[k].revents & POLLIN) == 0)
                    continue;

                sockaddr_in from {};
                socklen_t len = sizeof (from);
                const auto n = ::recvfrom (fds[k].fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*> (&from), &len);
                if (n < 0)
                    continue;

                const unit::Endpoint sender { ntohl (from.sin_addr.s_addr), ntohs (from.sin_port) };
                const auto own = ownAddressToward (sender);
                const auto handled = k == 0 ? unit.onDiscoveryDatagram (buffer.data(), (std::size_t) n, sender, own)
                                            : unit.onCommandDatagram (buffer.data(), (std::size_t) n, sender, own);

                if (options.verbose)
                    std::printf ("recv %s\n", handled.received.empty() ? ("ignored " + std::to_string (n) + " bytes").c_str()
                                                                       : handled.received.c_str());

                schedule (handled.replies);
            }

            sendLevelReports();
            sendDue();
        }

        std::printf ("veld72-unit stopped\n");
    }

private:
    Clock::duration scaled (double unitMs) const
    {
        return std::chrono::duration_cast<Clock::duration> (std::chrono::duration<double, std::milli> (unitMs / options.timeScale));
    }

    double unitNow() const
    {
        return std::chrono::duration<double, std::milli> (Clock::now() - started).count() * options.timeScale;
    }

    void schedule (const std::vector<unit::Outgoing>& datagrams)
    {
        for (const auto& out : datagrams)
            pending.push_back ({ Clock::now() + scaled (out.delayMs), out, options.verbose });
    }

    // The level reports go out at their own steady rate in real time and are
    // left out of the log.
    void sendLevelReports()
    {
        if (options.levelRate <= 0)
            return;

        const auto now = Clock::now();
        if (now < nextLevels)
            return;

        const auto period = std::chrono::duration_cast<Clock::duration> (std::chrono::duration<double> (1.0 / options.levelRate));
        nextLevels = std::max (nextLevels + period, now);

        const double seconds = std::chrono::duration<double> (now - started).count();
        for (const auto& out : unit.levelReports (seconds))
            pending.push_back ({ now, out, false });
    }

    std::string ownAddressToward (unit::Endpoint sender) const
    {
        if (! options.address.empty())
            return options.address;
        if (options.bind != "0.0.0.0")
            return options.bind;
        return localAddressToward (sender);
    }

    int timeoutMs() const
    {
        int timeout = 200;
        const auto now = Clock::now();
        const auto until = [&] (Clock::time_point t)
        {
            return (int) std::max<long long> (0, std::chrono::duration_cast<std::chrono::milliseconds> (t - now).count() + 1);
        };

        for (const auto& p : pending)
            timeout = std::min (timeout, until (p.due));

        if (const auto next = unit.nextEventMs())
            timeout = std::min (timeout, until (started + scaled (*next)));

        if (options.levelRate > 0)
            timeout = std::min (timeout, until (nextLevels));

        return timeout;
    }

    // Sends what is due, a burst at a time, so that a long run of data
    // blocks does not overrun the application's receive buffer.
    void sendDue()
    {
        static constexpr int burst = 16;

        const auto now = Clock::now();
        std::stable_sort (pending.begin(), pending.end(), [] (const Pending& a, const Pending& b) { return a.due < b.due; });

        auto it = pending.begin();
        for (int sent = 0; it != pending.end() && it->due <= now && sent < burst; ++it, ++sent)
        {
            const auto& d = it->datagram;
            sockaddr_in to {};
            to.sin_family = AF_INET;
            to.sin_port = htons (d.to.port);
            to.sin_addr.s_addr = htonl (d.to.host);

            const int fd = d.via == unit::Via::discovery ? discoveryFd : commandFd;
            const auto result = ::sendto (fd, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<sockaddr*> (&to), sizeof (to));

            if (it->logged)
                std::printf ("send %s%s\n", d.what.c_str(), result < 0 ? " (failed)" : "");
        }

        pending.erase (pending.begin(), it);

        // The rest of a burst goes after a pause of a millisecond.
        for (auto& p : pending)
            if (p.due <= now)
                p.due = now + std::chrono::milliseconds (1);
    }

    const Options& options;
    unit::VirtualUnit unit;
    int discoveryFd = -1;
    int commandFd = -1;
    Clock::time_point started, nextLevels;
    std::vector<Pending> pending;
};

} // namespace

int main (int argc, char** argv)
{
    Options options;
    if (! parseOptions (argc, argv, options))
    {
        printUsage (stderr);
        return 2;
    }

    std::setvbuf (stdout, nullptr, _IOLBF, 0);

    struct sigaction stop {};
    stop.sa_handler = onStopSignal;
    ::sigaction (SIGINT, &stop, nullptr);
    ::sigaction (SIGTERM, &stop, nullptr);

    struct sigaction toggle {};
    toggle.sa_handler = onToggleSignal;
    ::sigaction (SIGUSR1, &toggle, nullptr);

    Runner runner (options);
    if (! runner.open())
        return 1;

    runner.run();
    return 0;
}
