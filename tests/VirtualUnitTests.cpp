#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/Command.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::Not;

namespace
{
    // The veld72-unit program, started with options and stopped by SIGTERM.
    class UnitProcess
    {
    public:
        explicit UnitProcess (std::vector<std::string> options)
        {
            char logTemplate[] = "/tmp/veld72-unit-log-XXXXXX";
            const int logFd = mkstemp (logTemplate);
            logPath = logTemplate;

            std::vector<std::string> argv { VELD72_BINARY_DIR "/tools/unit/veld72-unit", "--verbose" };
            argv.insert (argv.end(), options.begin(), options.end());
            std::vector<char*> args;
            for (auto& a : argv)
                args.push_back (a.data());
            args.push_back (nullptr);

            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init (&actions);
            posix_spawn_file_actions_adddup2 (&actions, logFd, 1);
            posix_spawn_file_actions_adddup2 (&actions, logFd, 2);
            if (posix_spawn (&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
                pid = -1;
            posix_spawn_file_actions_destroy (&actions);
            close (logFd);

            for (int i = 0; i < 200 && pid > 0 && log().find ("ready") == std::string::npos && running(); ++i)
                std::this_thread::sleep_for (std::chrono::milliseconds (10));
        }

        ~UnitProcess()
        {
            if (pid > 0)
            {
                ::kill (pid, SIGKILL);
                ::waitpid (pid, nullptr, 0);
            }
            ::unlink (logPath.c_str());
        }

        bool isReady() const { return log().find ("ready") != std::string::npos; }

        bool running()
        {
            if (pid <= 0)
                return false;
            int status = 0;
            if (::waitpid (pid, &status, WNOHANG) == pid)
            {
                exitStatus = status;
                pid = -1;
                return false;
            }
            return true;
        }

        // Sends the signal and waits up to two seconds; returns the exit code,
        // or -1 if it did not exit by itself.
        int stop (int signal)
        {
            ::kill (pid, signal);
            for (int i = 0; i < 200; ++i)
            {
                if (! running())
                    return WIFEXITED (exitStatus) ? WEXITSTATUS (exitStatus) : -1;
                std::this_thread::sleep_for (std::chrono::milliseconds (10));
            }
            return -1;
        }

        // Waits up to two seconds for it to exit by itself.
        int exitCode()
        {
            for (int i = 0; i < 200 && running(); ++i)
                std::this_thread::sleep_for (std::chrono::milliseconds (10));
            return running() ? -1 : (WIFEXITED (exitStatus) ? WEXITSTATUS (exitStatus) : -1);
        }

        std::string log() const
        {
            std::ifstream in (logPath);
            std::stringstream s;
            s << in.rdbuf();
            return s.str();
        }

    private:
        pid_t pid = -1;
        int exitStatus = 0;
        std::string logPath;
    };

    // A UDP socket on 127.0.0.1 that sends from its own port and receives the answer.
    class Requester
    {
    public:
        Requester()
        {
            fd = ::socket (AF_INET, SOCK_DGRAM, 0);
            sockaddr_in a {};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
            ::bind (fd, reinterpret_cast<sockaddr*> (&a), sizeof (a));
        }
        ~Requester() { ::close (fd); }

        void send (int port, const std::string& bytes)
        {
            sockaddr_in to {};
            to.sin_family = AF_INET;
            to.sin_port = htons ((std::uint16_t) port);
            to.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
            ::sendto (fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*> (&to), sizeof (to));
        }

        std::optional<std::string> receive (int timeoutMs)
        {
            pollfd p { fd, POLLIN, 0 };
            if (::poll (&p, 1, timeoutMs) <= 0)
                return std::nullopt;
            char buffer[2048];
            const auto n = ::recv (fd, buffer, sizeof (buffer), 0);
            return n < 0 ? std::nullopt : std::optional<std::string> (std::string (buffer, (size_t) n));
        }

    private:
        int fd = -1;
    };

    constexpr int discoveryPort = 12811;

    class VirtualUnit : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE (app.isOpen()) << "port 9002 is taken";
            command.setCurrentIpAddr ("127.0.0.1");
        }

        // "SR" then "SL", and what the unit sends back.
        std::vector<std::string> select()
        {
            app.drain (30);
            command.sendSRCommand();
            command.sendSLCommand();
            return describeAll (app.drain (150));
        }

        UdpCapture app { 9002 };   // the app's report port
        Command command;
    };

    std::string zeroPadded (const std::string& text)
    {
        std::string s (text);
        s.resize (16, '\0');
        return s;
    }
}

TEST_F (VirtualUnit, AnswersDiscoveryWithItsAddress)
{
    struct Case { std::vector<std::string> options; std::string reply; };
    const Case cases[] = {
        { {}, zeroPadded ("127.0.0.1") },
        { { "--address", "192.0.2.20" }, zeroPadded ("192.0.2.20") },
        { { "--address", "192.168.100.200-too-long" }, zeroPadded ("192.168.100.200") },
    };

    for (const auto& c : cases)
    {
        UnitProcess unit (c.options);
        ASSERT_TRUE (unit.isReady()) << unit.log();

        Requester requester;
        requester.send (discoveryPort, "GetIPAddr");
        EXPECT_EQ (requester.receive (1000), c.reply);

        for (const auto* other : { "GetIPAdd", "GetIPAddrX", "getipaddr", "" })
            requester.send (discoveryPort, other);
        EXPECT_EQ (requester.receive (200), std::nullopt) << "only the exact request is answered";
    }
}

TEST_F (VirtualUnit, AnswersEveryPollWithOkToTheReportPort)
{
    UnitProcess unit ({});
    ASSERT_TRUE (unit.isReady()) << unit.log();

    for (int i = 0; i < 3; ++i)
    {
        command.sendNetStatus();
        const auto answer = app.receive (1000);
        ASSERT_TRUE (answer.has_value());
        EXPECT_EQ (describeAll ({ *answer }), std::vector<std::string> { "OK" });
    }
}

TEST_F (VirtualUnit, SilentUnitIgnoresPollsButAnswersEverythingElse)
{
    UnitProcess unit ({ "--silent", "--name", "Quiet" });
    ASSERT_TRUE (unit.isReady()) << unit.log();

    command.sendNetStatus();
    EXPECT_EQ (app.receive (300), std::nullopt);

    EXPECT_THAT (select(), Contains ("UN 'Quiet'"));

    Requester requester;
    requester.send (discoveryPort, "GetIPAddr");
    EXPECT_TRUE (requester.receive (1000).has_value());
}

TEST_F (VirtualUnit, SelectionSendsItsStateAsReports)
{
    UnitProcess unit ({ "--name", "Hall" });
    ASSERT_TRUE (unit.isReady()) << unit.log();

    const std::vector<std::string> expected {
        "UN 'Hall'", "VR '2406100'", "SC 1 1", "OT 50 500 5000 -20 1 1 5 34 400 600",
        "GN 0 '127.0.0.1'", "AA 0 '127.0.0.1'", "BP 1 '127.0.0.1'", "MT 0 '127.0.0.1'", "CS 1 '127.0.0.1'",
        "48 0", "LV 1 0", "LV 3 0", "LV 5 0", "LV 7 0",
    };
    EXPECT_THAT (select(), ElementsAreArray (expected));

    // "SL" alone is not a selection.
    command.sendSLCommand();
    EXPECT_TRUE (app.drain (150).empty());
}

TEST_F (VirtualUnit, ReportsCarryTheSettingsItWasSent)
{
    struct Case
    {
        const char* name;
        std::function<void (Command&)> send;
        std::vector<std::string> reports;   // each must be among the reports after selection
    };

    const Case cases[] = {
        { "master gain", [] (Command& c) { c.sendGACommand (-6.5f); }, { "GN -6.5 '127.0.0.1'" } },
        { "master mute", [] (Command& c) { c.sendMUCommand (1); }, { "MT 1 '127.0.0.1'" } },
        { "input source", [] (Command& c) { c.sendSECommand (1); }, { "AA 1 '127.0.0.1'" } },
        { "bypass", [] (Command& c) { c.sendOPCommand (0); }, { "BP 0 '127.0.0.1'" } },
        { "phantom power", [] (Command& c) { c.sendMTCommand (5, 1); c.sendMTCommand (2, 0); }, { "48 1" } },
        { "band level", [] (Command& c) { c.sendLVCommand (3, -6.5f); c.sendLVCommand (7, 2.0f); },
          { "LV 1 0", "LV 3 -6.5", "LV 5 0", "LV 7 2" } },
        { "master clock 44.1k", [] (Command& c) { c.sendClockSource (1); c.sendSampleClock (4); },
          { "SC 1 4", "CS 4 '127.0.0.1'", "OT 50 500 5000 -20 1 4 5 34 400 600" } },
        { "AES clock", [] (Command& c) { c.sendClockSource (2); }, { "SC 2 2", "CS 5 '127.0.0.1'" } },
        { "word clock", [] (Command& c) { c.sendClockSource (3); }, { "SC 3 1", "CS 6 '127.0.0.1'" } },
        { "signal level, crossovers, taps, markers",
          [] (Command& c) { c.sendNLCommand (-30.0f); c.sendHICommand (3, 1, 1200, 7); c.sendAPCommand (1024);
                            c.sendCurrentPoint (10, 20, 30); },
          { "OT 50 1200 5000 -30 1 1 3 10 20 30" } },
        { "name", [] (Command& c) { juce::String n ("Stage"); c.sendUnitName (n); }, { "UN 'Stage'" } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        UnitProcess unit ({ "--name", "Hall" });
        ASSERT_TRUE (unit.isReady()) << unit.log();

        c.send (command);
        const auto reports = select();
        for (const auto& r : c.reports)
            EXPECT_THAT (reports, Contains (r));
    }
}

TEST_F (VirtualUnit, RenamingIsAnsweredWithTheNewName)
{
    UnitProcess unit ({});
    ASSERT_TRUE (unit.isReady()) << unit.log();

    juce::String name ("Balcony");
    command.sendUnitName (name);
    EXPECT_EQ (describeAll (app.drain (150)), std::vector<std::string> { "UN 'Balcony'" });
}

TEST_F (VirtualUnit, MalformedDatagramsAreIgnored)
{
    UnitProcess unit ({});
    ASSERT_TRUE (unit.isReady()) << unit.log();

    using namespace std::string_literals;
    const std::string junk[] = {
        ""s, "x"s, "/juce"s, "/juce/rotaryknob"s, "#bundle\0"s,
        "/juce/rotaryknob\0\0\0\0,ii\0\0\0\0N"s,                              // arguments cut short
        "/juce/rotaryknob\0\0\0\0,b\0\0\x7f\xff\xff\xff"s,                    // blob longer than the datagram
        "/juce/rotaryknob\0\0\0\0,s\0\0abcd"s,                                // unterminated string
        "/juce/rotaryknob\0\0\0\0,q\0\0\0\0\0\0"s,                            // unknown type
        "/other\0\0,ii\0\0\0\0N\0\0\0S"s,                                     // another address
        std::string (70000 / 7, '\xff'),
    };

    Requester requester;
    for (const auto& j : junk)
    {
        requester.send (Command::commandPort, j);
        requester.send (discoveryPort, j);
    }

    command.sendNetStatus();
    EXPECT_TRUE (app.receive (1000).has_value()) << unit.log();
    EXPECT_TRUE (unit.running());
}

TEST_F (VirtualUnit, LogsWhatItReceivesAndSends)
{
    UnitProcess unit ({ "--name", "Hall" });
    ASSERT_TRUE (unit.isReady()) << unit.log();

    command.sendLVCommand (3, -6.5f);
    command.sendNetStatus();
    app.drain (150);

    const auto log = unit.log();
    EXPECT_NE (log.find ("recv LV 3 -6.5 from 127.0.0.1:"), std::string::npos) << log;
    EXPECT_NE (log.find ("send OK to 127.0.0.1:9002"), std::string::npos) << log;
}

TEST_F (VirtualUnit, TimeScaleShortensItsDelays)
{
    UnitProcess unit ({ "--discovery-delay", "60000", "--time-scale", "1000" });
    ASSERT_TRUE (unit.isReady()) << unit.log();

    Requester requester;
    requester.send (discoveryPort, "GetIPAddr");
    EXPECT_EQ (requester.receive (2000), zeroPadded ("127.0.0.1")) << "a minute of unit time is 60 ms";
}

TEST_F (VirtualUnit, StopsCleanlyOnSigtermAndSigint)
{
    for (int signal : { SIGTERM, SIGINT })
    {
        UnitProcess unit ({});
        ASSERT_TRUE (unit.isReady()) << unit.log();
        EXPECT_EQ (unit.stop (signal), 0);
        EXPECT_NE (unit.log().find ("stopped"), std::string::npos);
    }
}

TEST_F (VirtualUnit, TakenCommandPortIsReported)
{
    UdpCapture holder (Command::commandPort, "0.0.0.0");
    ASSERT_TRUE (holder.isOpen());

    UnitProcess unit ({});
    EXPECT_EQ (unit.exitCode(), 1);
    EXPECT_NE (unit.log().find ("cannot bind UDP port 9001"), std::string::npos) << unit.log();
}
