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

#include <cstring>
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

            // Level reports only where a test asks for them: they never stop.
            std::vector<std::string> argv { VELD72_BINARY_DIR "/tools/unit/veld72-unit", "--verbose" };
            if (std::find (options.begin(), options.end(), "--level-rate") == options.end())
                options.insert (options.end(), { "--level-rate", "0" });
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

    std::vector<std::uint8_t> words (std::initializer_list<std::uint32_t> ws)
    {
        std::vector<std::uint8_t> out;
        for (auto w : ws)
            for (int shift = 0; shift < 32; shift += 8)
                out.push_back ((std::uint8_t) (w >> shift));
        return out;
    }

    std::uint32_t wordAt (const std::vector<std::uint8_t>& b, std::size_t i)
    {
        if (4 * i + 4 > b.size())
            return 0;
        return std::uint32_t (b[4 * i]) | (std::uint32_t (b[4 * i + 1]) << 8) | (std::uint32_t (b[4 * i + 2]) << 16)
             | (std::uint32_t (b[4 * i + 3]) << 24);
    }

    float floatAt (const std::vector<std::uint8_t>& b, std::size_t i)
    {
        const auto w = wordAt (b, i);
        float f;
        std::memcpy (&f, &w, 4);
        return f;
    }

    std::vector<std::uint8_t> floats (const std::vector<float>& values)
    {
        std::vector<std::uint8_t> out;
        for (auto v : values)
        {
            std::uint32_t w;
            std::memcpy (&w, &v, 4);
            for (int shift = 0; shift < 32; shift += 8)
                out.push_back ((std::uint8_t) (w >> shift));
        }
        return out;
    }

    // What the application's data stream makes of the unit's messages: a
    // block ("block 17", "spectrum 3 1400") with its bytes once its closing
    // word arrives, a coded report by its description, and anything the
    // stream would drop or misread as "stray ...".
    struct StreamItem
    {
        std::string text;
        std::vector<std::uint8_t> data;
        std::size_t largestPiece = 0;
    };

    std::vector<StreamItem> readStream (const std::vector<std::vector<std::uint8_t>>& datagrams)
    {
        static const std::uint32_t startWords[] = { 17, 34, 51, 102, 119, 136, 153 };

        std::vector<StreamItem> items;
        std::optional<StreamItem> open;

        for (const auto& d : datagrams)
        {
            const auto m = decodeWithLiblo (d);
            if (! m)
            {
                items.push_back ({ "stray undecodable", {} });
                continue;
            }

            if (m->types != "b")
            {
                items.push_back ({ m->describe(), {} });
                continue;
            }

            const auto& blob = m->args[0].blob;
            if (blob.size() == 4)
            {
                const auto w = wordAt (blob, 0);
                if (std::find (std::begin (startWords), std::end (startWords), w) != std::end (startWords))
                    open = StreamItem { "block " + std::to_string (w), {} };
                else if ((w == 85 || w == 187) && open)
                {
                    items.push_back (*open);
                    open.reset();
                }
                else
                    items.push_back ({ "stray word " + std::to_string (w), {} });
            }
            else if (blob.size() == 12 && wordAt (blob, 0) == 170)
            {
                open = StreamItem { "spectrum " + std::to_string (wordAt (blob, 1)) + " " + std::to_string (wordAt (blob, 2)), {} };
            }
            else if (open)
            {
                open->data.insert (open->data.end(), blob.begin(), blob.end());
                open->largestPiece = std::max (open->largestPiece, blob.size());
            }
            else
                items.push_back ({ "stray blob " + std::to_string (blob.size()), {} });
        }

        if (open)
            items.push_back ({ "unclosed " + open->text, {} });
        return items;
    }

    std::vector<std::string> texts (const std::vector<StreamItem>& items)
    {
        std::vector<std::string> out;
        for (const auto& i : items)
            out.push_back (i.data.empty() ? i.text : i.text + " (" + std::to_string (i.data.size()) + " bytes)");
        return out;
    }

    const StreamItem* findItem (const std::vector<StreamItem>& items, const std::string& text)
    {
        for (const auto& i : items)
            if (i.text == text)
                return &i;
        return nullptr;
    }

    class VirtualUnit : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE (app.isOpen()) << "port 9002 is taken";
            command.setCurrentIpAddr ("127.0.0.1");
        }

        // "SR" then "SL", and the reports the unit sends back (data blocks
        // left out).
        std::vector<std::string> select()
        {
            std::vector<std::string> reports;
            for (const auto& item : selectItems())
                if (item.data.empty() && item.text.rfind ("block", 0) != 0)
                    reports.push_back (item.text);
            return reports;
        }

        std::vector<StreamItem> selectItems()
        {
            app.drain (30);
            command.sendSRCommand();
            command.sendSLCommand();
            return readStream (app.drain (150));
        }

        void sendBlob (const std::vector<std::uint8_t>& bytes)
        {
            const juce::MemoryBlock block (bytes.data(), bytes.size());
            command.sendBlock (&block);
        }

        void upload (std::uint32_t startWord, const std::vector<std::uint8_t>& data, std::uint32_t closing = 85)
        {
            sendBlob (words ({ startWord }));
            for (std::size_t at = 0; at < data.size(); at += 1024)
                sendBlob ({ data.begin() + (long) at, data.begin() + (long) std::min (at + 1024, data.size()) });
            sendBlob (words ({ closing }));
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
        // The settings snapshot and the target-curve points, then the report
        // that reads both; the other blocks; the compressor settings and the
        // report that reads them. No spectrum yet.
        "block 17 (56 bytes)", "block 102 (44 bytes)", "RK",
        "block 34 (864 bytes)", "block 51 (32768 bytes)", "block 119 (131084 bytes)", "block 136 (131084 bytes)",
        "block 153 (32 bytes)", "LK",
    };
    const auto items = selectItems();
    EXPECT_THAT (texts (items), ElementsAreArray (expected));
    for (const auto& i : items)
        EXPECT_LE (i.largestPiece, 1036u) << i.text;

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
        { "measurement mode", [] (Command& c) { c.sendMTCommand (5, 1); c.sendCRCommand (1); }, { "48 1" } },
        { "phantom power alone", [] (Command& c) { c.sendMTCommand (5, 1); }, { "48 0" } },
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

//==============================================================================
namespace
{
    // Everything that arrives within ms, however busy the line.
    std::vector<std::vector<std::uint8_t>> collect (UdpCapture& capture, int ms)
    {
        std::vector<std::vector<std::uint8_t>> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (ms);
        while (std::chrono::steady_clock::now() < end)
        {
            const auto left = (int) std::chrono::duration_cast<std::chrono::milliseconds> (end - std::chrono::steady_clock::now()).count();
            if (auto d = capture.receive (std::max (1, left)))
                out.push_back (std::move (*d));
        }
        return out;
    }

    std::vector<DecodedMessage> decodedWithCode (const std::vector<std::vector<std::uint8_t>>& datagrams, const std::string& code)
    {
        std::vector<DecodedMessage> out;
        for (const auto& d : datagrams)
            if (auto m = decodeWithLiblo (d); m && m->code() == code)
                out.push_back (*m);
        return out;
    }

    // The short form of the point sets that "Compute" sends.
    void sendComputePointSets (Command& c)
    {
        const float dp[] = { 1.0f, 300.0f, 500.0f, 24000.0f, 112.0f, 112.0f, 112.0f, 112.0f };
        const float at[] = { 1.0f, 300.0f, 500.0f, 24000.0f, 0.0f, 0.0f, 0.0f, 0.0f };
        c.sendDPCommand (4, 20.0f, 688.0f, 0, dp, 8);
        c.sendATCommand (4, 20.0f, 24000.0f, 0, at, 8);
    }
}

TEST_F (VirtualUnit, SnapshotAndCompressorBlocksFollowTheCommands)
{
    UnitProcess unit ({});
    ASSERT_TRUE (unit.isReady()) << unit.log();

    command.sendGACommand (-6.0f);
    command.sendFOCommand (13);
    command.sendMLCommand (120.0f);
    command.sendMTCommand (2, 1);
    command.sendMTCommand (4, 1);
    command.sendMTCommand (4, 0);
    command.sendLMCommand (1 * 65536 + 0 * 256 + 100);   // band 2 threshold
    command.sendLMCommand (2 * 65536 + 5 * 256 + 12);    // band 3 make-up gain
    command.sendLMCommand (3 * 65536 + 6 * 256 + 0);     // band 4 on
    command.sendLMCommand (4 * 65536 + 0 * 256 + 100);   // no band 5: ignored

    const auto items = selectItems();
    const auto* reg = findItem (items, "block 17");
    const auto* lmt = findItem (items, "block 153");
    ASSERT_TRUE (reg != nullptr && lmt != nullptr);

    EXPECT_NEAR (floatAt (reg->data, 3), 0.501187f, 1e-5f) << "master gain, linear";
    EXPECT_EQ (wordAt (reg->data, 9), 48u + 13u) << "configuration";
    EXPECT_EQ (wordAt (reg->data, 10), 120u) << "mic gain";
    EXPECT_EQ (wordAt (reg->data, 12), 0b0010u) << "band mutes";

    ASSERT_EQ (lmt->data.size(), 32u);
    EXPECT_EQ (lmt->data[4 * 1], 100);
    EXPECT_EQ (lmt->data[16 + 4 * 2 + 1], 12);
    EXPECT_EQ (lmt->data[16 + 4 * 3 + 2], 0);
    EXPECT_EQ (lmt->data[16 + 4 * 3 + 3], 0);
    EXPECT_EQ (lmt->data[16 + 4 * 0 + 2], 1) << "the other bands keep their compressor off";
}

TEST_F (VirtualUnit, LevelReportsWhileSelected)
{
    UnitProcess unit ({ "--level-rate", "50" });
    ASSERT_TRUE (unit.isReady()) << unit.log();

    EXPECT_TRUE (collect (app, 200).empty()) << "nothing before a selection";

    command.sendSRCommand();
    command.sendSLCommand();
    const auto reports = decodedWithCode (collect (app, 1000), "VA");
    EXPECT_GE (reports.size(), 35u);
    EXPECT_LE (reports.size(), 60u);

    bool moved = false;
    for (const auto& r : reports)
    {
        ASSERT_EQ (r.types, "iiffffffffffffffffffffs");
        EXPECT_EQ (r.args[22].s, "127.0.0.1");
        for (int k = 0; k < 20; ++k)
        {
            const float a = r.args[(size_t) (2 + k)].f;
            EXPECT_GE (a, 0.0f);
            EXPECT_LE (a, 16777216.0f);
        }
        for (int k = 0; k < 10; ++k)
            EXPECT_GE (r.args[(size_t) (12 + k)].f, r.args[(size_t) (2 + k)].f) << "a peak is never below its level";

        // Full band without sub: only band 2 (outputs 3-4) and the master sound.
        for (int output : { 1, 2, 5, 6, 7, 8 })
            EXPECT_EQ (r.args[(size_t) (1 + output)].f, 0.0f) << output;
        for (int channel : { 3, 4, 9, 10 })
            EXPECT_GT (r.args[(size_t) (1 + channel)].f, 0.0f) << channel;

        moved = moved || r.args[4].f != reports.front().args[4].f;
    }
    EXPECT_TRUE (moved) << "the levels move";
    EXPECT_TRUE (decodedWithCode (collect (app, 100), "IL").empty()) << "no input level outside measurement mode";

    // Band 2 muted, then measurement mode: input levels too.
    command.sendMTCommand (2, 1);
    command.sendCRCommand (1);
    const auto later = collect (app, 300);
    const auto levels = decodedWithCode (later, "VA");
    ASSERT_FALSE (levels.empty());
    EXPECT_EQ (levels.back().args[4].f, 0.0f);
    EXPECT_EQ (levels.back().args[5].f, 0.0f);
    const auto inputs = decodedWithCode (later, "IL");
    ASSERT_GE (inputs.size(), 5u);
    for (const auto& il : inputs)
    {
        EXPECT_EQ (il.types, "iif");
        EXPECT_GT (il.args[2].f, -70.0f);
        EXPECT_LT (il.args[2].f, 0.0f);
    }

    // Master mute silences everything; leaving measurement mode clears the input meter.
    command.sendMUCommand (1);
    command.sendCRCommand (0);
    const auto muted = collect (app, 200);
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ (decodedWithCode (muted, "VA").back().args[(size_t) (2 + k)].f, 0.0f);
    EXPECT_EQ (decodedWithCode (muted, "CL").size(), 1u);
}

TEST_F (VirtualUnit, MeasuringAPointSendsItsSpectrumThenMN)
{
    UnitProcess unit ({ "--time-scale", "100" });   // 6 s a point: 60 ms
    ASSERT_TRUE (unit.isReady()) << unit.log();

    std::vector<std::vector<std::uint8_t>> spectra;
    for (int point : { 1, 2 })
    {
        SCOPED_TRACE (point);
        command.sendPNCommand ((unsigned char) point);
        EXPECT_TRUE (app.drain (20).empty()) << "not at once";

        const auto items = readStream (app.drain (300));
        ASSERT_EQ (texts (items), (std::vector<std::string> { "spectrum " + std::to_string (point) + " 1400 (5600 bytes)",
                                                               "MN " + std::to_string (point) }));
        const auto& data = items[0].data;

        // 700 levels about -90 dB, then their frequencies from 20 Hz to 20 kHz, rising.
        for (std::size_t i = 0; i < 700; ++i)
        {
            const auto db = 20.0f * std::log10 (floatAt (data, i));
            EXPECT_GT (db, -140.0f) << i;
            EXPECT_LT (db, -60.0f) << i;
        }
        EXPECT_NEAR (floatAt (data, 700), 20.0f, 0.01f);
        EXPECT_NEAR (floatAt (data, 1399), 20000.0f, 1.0f);
        for (std::size_t i = 701; i < 1400; ++i)
            ASSERT_GT (floatAt (data, i), floatAt (data, i - 1));

        // The woofer rolls off below 45 Hz: 20 Hz lies far under 1 kHz.
        const auto at = [&] (float hz) { std::size_t i = 700; while (i < 1399 && floatAt (data, i) < hz) ++i; return 20.0f * std::log10 (floatAt (data, i - 700)); };
        EXPECT_LT (at (20.0f), at (1000.0f) - 15.0f);

        spectra.push_back (data);
    }
    EXPECT_NE (spectra[0], spectra[1]) << "every point has a response of its own";

    // The next selection sends them back; a parameter load announcing one
    // point leaves only that one.
    EXPECT_THAT (texts (selectItems()), ::testing::IsSupersetOf ({ "spectrum 1 1400 (5600 bytes)", "spectrum 2 1400 (5600 bytes)", "MN 2" }));
    command.sendMNCommand (1);
    const auto afterLoad = texts (selectItems());
    EXPECT_THAT (afterLoad, Contains ("spectrum 1 1400 (5600 bytes)"));
    EXPECT_THAT (afterLoad, Not (Contains ("spectrum 2 1400 (5600 bytes)")));

    // "PN" 0 stops a measurement under way and forgets the points.
    command.sendPNCommand (3);
    command.sendPNCommand (0);
    EXPECT_TRUE (app.drain (200).empty());
    for (const auto& t : texts (selectItems()))
        EXPECT_EQ (t.rfind ("spectrum", 0), std::string::npos) << t;
}

TEST_F (VirtualUnit, ProcessingAfterThePointSets)
{
    // 20 s of processing in 200 ms; no poll answered in the first 120 ms.
    UnitProcess unit ({ "--time-scale", "100" });
    ASSERT_TRUE (unit.isReady()) << unit.log();

    command.sendPNCommand (1);
    app.drain (200);

    // The long form of the curve editor: count 5 (three points), markers 40 and 650.
    std::vector<float> values (128, 0.0f);
    const float xs[] = { 1, 150, 300, 450, 24000 }, ys[] = { 100, 80, 120, 140, 96 };
    std::copy (std::begin (xs), std::end (xs), values.begin());
    std::copy (std::begin (ys), std::end (ys), values.begin() + 5);
    command.sendDPCommand (5, 40.0f, 650.0f, 1, values.data(), 128);
    std::vector<float> target (128, 0.0f);
    const float hz[] = { 1, 100, 1000, 8000, 24000 }, gains[] = { 0, 3, -2, -6, 0 };
    std::copy (std::begin (hz), std::end (hz), target.begin());
    std::copy (std::begin (gains), std::end (gains), target.begin() + 5);
    command.sendATCommand (5, 25.0f, 20000.0f, 1, target.data(), 128);

    command.sendNetStatus();
    EXPECT_TRUE (app.drain (50).empty()) << "busy processing";

    const auto items = readStream (app.drain (400));
    ASSERT_EQ (texts (items), (std::vector<std::string> {
        "spectrum 11 1400 (5600 bytes)", "spectrum 12 1400 (5600 bytes)", "MN 12",
        "block 17 (56 bytes)", "block 102 (52 bytes)", "RK" }));

    // The results are drawn with -55 - value as the height: inside the view.
    for (const auto& result : { items[0].data, items[1].data })
        for (std::size_t i = 0; i < 700; ++i)
        {
            EXPECT_GT (-55.0f - floatAt (result, i), 0.0f);
            EXPECT_LT (-55.0f - floatAt (result, i), 295.0f);
        }
    EXPECT_NE (items[0].data, items[1].data);

    // The point record: the DP values.
    const auto& record = items[4].data;
    EXPECT_EQ (wordAt (record, 0), 5u);
    EXPECT_EQ (floatAt (record, 1), 40.0f);
    EXPECT_EQ (floatAt (record, 2), 650.0f);
    for (std::size_t i = 0; i < 5; ++i)
    {
        EXPECT_EQ (floatAt (record, 3 + i), xs[i]);
        EXPECT_EQ (floatAt (record, 8 + i), ys[i]);
    }

    command.sendNetStatus();
    EXPECT_EQ (describeAll (app.drain (100)), std::vector<std::string> { "OK" }) << "answers again";

    // The next selection brings the point, both results and the curve back.
    const auto selection = texts (selectItems());
    for (const auto* expected : { "spectrum 1 1400 (5600 bytes)", "spectrum 11 1400 (5600 bytes)",
                                  "spectrum 12 1400 (5600 bytes)", "MN 13", "block 102 (52 bytes)" })
        EXPECT_THAT (selection, Contains (expected));
}

TEST_F (VirtualUnit, ComputeShortFormStartsProcessingToo)
{
    UnitProcess unit ({ "--time-scale", "100" });
    ASSERT_TRUE (unit.isReady()) << unit.log();

    sendComputePointSets (command);
    const auto items = readStream (app.drain (500));
    ASSERT_EQ (texts (items).size(), 6u) << ::testing::PrintToString (texts (items));
    EXPECT_EQ (texts (items)[4], "block 102 (44 bytes)");
    EXPECT_EQ (floatAt (items[4].data, 1), 20.0f);
    EXPECT_EQ (floatAt (items[4].data, 2), 688.0f);
}

TEST_F (VirtualUnit, UploadedBlocksReplaceItsOwnAfterSA)
{
    UnitProcess unit ({});
    ASSERT_TRUE (unit.isReady()) << unit.log();

    std::vector<std::uint32_t> regWords { 7, 1, 2, 0, 1, 0, 1, 1024, 1, 63, 150, 0, 0b0101, 1 };
    float gain = 0.25f;
    std::memcpy (&regWords[3], &gain, 4);
    std::vector<std::uint8_t> reg;
    for (auto w : regWords) { auto b = words ({ w }); reg.insert (reg.end(), b.begin(), b.end()); }

    std::vector<std::uint8_t> lmt (32);
    for (std::size_t i = 0; i < lmt.size(); ++i) lmt[i] = (std::uint8_t) (60 + i);

    std::vector<std::uint8_t> cross (864);
    for (std::size_t i = 0; i < cross.size(); ++i) cross[i] = (std::uint8_t) (i * 3);

    std::vector<float> spectrum (1400);
    for (std::size_t i = 0; i < spectrum.size(); ++i) spectrum[i] = (float) i;

    upload (17, reg);
    upload (34, cross);
    upload (153, lmt);

    // A spectrum is kept at its closing word, the parameter blocks only with "SA".
    sendBlob (words ({ 170, 3, 1400 }));
    for (std::size_t at = 0; at < 1400; at += 256)
        sendBlob (floats ({ spectrum.begin() + (long) at, spectrum.begin() + (long) std::min<std::size_t> (at + 256, 1400) }));
    sendBlob (words ({ 187 }));

    auto items = selectItems();
    EXPECT_NE (findItem (items, "block 17")->data, reg) << "not before SA";
    ASSERT_NE (findItem (items, "spectrum 3 1400"), nullptr);
    EXPECT_EQ (findItem (items, "spectrum 3 1400")->data, floats (spectrum));

    command.sendSACommand();
    items = selectItems();
    EXPECT_EQ (findItem (items, "block 17")->data, reg);
    EXPECT_EQ (findItem (items, "block 34")->data, cross);
    EXPECT_EQ (findItem (items, "block 153")->data, lmt);

    // Its reports follow the uploaded snapshot.
    const auto reports = texts (items);
    for (const auto* expected : { "GN -12.0412 '127.0.0.1'", "MT 1 '127.0.0.1'", "48 1", "SC 1 2", "BP 0 '127.0.0.1'",
                                  "AA 1 '127.0.0.1'" })
        EXPECT_THAT (reports, Contains (expected));

    // A calibration file is kept as it came.
    std::vector<std::uint8_t> calibration (2500, 'c');
    upload (204, calibration);
    command.sendNetStatus();
    app.drain (100);
    EXPECT_NE (unit.log().find ("calibration file of 2500 bytes kept"), std::string::npos) << unit.log();
}

TEST_F (VirtualUnit, MalformedCommandsAndBlocksChangeNothing)
{
    UnitProcess unit ({ "--time-scale", "100" });
    ASSERT_TRUE (unit.isReady()) << unit.log();
    const auto before = selectItems();

    std::vector<float> values (128, 1.0f);
    command.sendDPCommand (65, 1.0f, 2.0f, 1, values.data(), 128);    // more points than values
    command.sendDPCommand (-1, 1.0f, 2.0f, 1, values.data(), 128);
    command.sendDPCommand (4, 1.0f, 2.0f, 1, values.data(), 9);        // neither form
    command.sendATCommand (5, 1.0f, 2.0f, 1, values.data(), 8);        // 2 x 5 values do not fit in 8
    command.sendLMCommand (-5);
    command.sendLMCommand (7 * 256 + 1);                              // no parameter 7
    command.sendGACommand (std::numeric_limits<float>::quiet_NaN());
    command.sendPNCommand (9);
    command.sendSACommand();                                          // nothing uploaded

    sendBlob (words ({ 85 }));                                        // closing with nothing open
    sendBlob (words ({ 42 }));                                        // not a start word
    sendBlob ({ 1, 2, 3 });                                           // data with nothing open
    sendBlob (words ({ 170, 99, 1400 }));                             // no spectrum 99
    sendBlob (std::vector<std::uint8_t> (1024, 7));
    sendBlob (words ({ 187 }));
    upload (17, std::vector<std::uint8_t> (1100 * 1024, 9));          // past any layout: dropped
    command.sendSACommand();
    upload (153, std::vector<std::uint8_t> (32, 1), 42);              // never closed
    command.sendSACommand();

    EXPECT_TRUE (app.drain (300).empty()) << "no processing, no measurement";

    const auto after = selectItems();
    ASSERT_EQ (texts (after), texts (before));
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ (after[i].data, before[i].data) << after[i].text;
    EXPECT_TRUE (unit.running());
}
