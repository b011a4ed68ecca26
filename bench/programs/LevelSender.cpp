// Plays a unit's level reports: "VA" reports with twenty levels and the
// unit's address, sent at a steady rate to the app's report port.
//
//   veld72-level-sender --to HOST [--port 9002] --address UNIT [--rate 30] [--seconds 10] [--constant]
//
// Without --constant the levels move with every report; with it they stay
// the same, so the meters have nothing new to show after the first report.

#include "link/OscWire.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

int main (int argc, char** argv)
{
    std::string to, address;
    int port = 9002;
    double rate = 30.0, seconds = 10.0;
    bool constant = false;

    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        const auto value = [&] { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--to")             to = value();
        else if (a == "--port")      port = std::atoi (value());
        else if (a == "--address")   address = value();
        else if (a == "--rate")      rate = std::atof (value());
        else if (a == "--seconds")   seconds = std::atof (value());
        else if (a == "--constant")  constant = true;
        else to.clear();
    }

    sockaddr_in target {};
    target.sin_family = AF_INET;
    target.sin_port = htons ((std::uint16_t) port);
    if (to.empty() || address.empty() || rate <= 0 || ::inet_pton (AF_INET, to.c_str(), &target.sin_addr) != 1)
    {
        std::fprintf (stderr, "usage: %s --to HOST [--port 9002] --address UNIT [--rate 30] [--seconds 10] [--constant]\n", argv[0]);
        return 2;
    }

    const int fd = ::socket (AF_INET, SOCK_DGRAM, 0);
    veld72::osc::MessageWriter writer;
    const auto count = (long) (rate * seconds);
    const auto period = std::chrono::duration<double> (1.0 / rate);
    const auto start = std::chrono::steady_clock::now();

    for (long n = 0; n < count; ++n)
    {
        writer.begin (veld72::osc::kAddress);
        writer.addInt32 ('V');
        writer.addInt32 ('A');
        for (int k = 0; k < 20; ++k)
        {
            const double db = constant ? -20.0 : -60.0 + std::fmod (0.57 * (double) n + 0.7 * k, 48.0);
            writer.addFloat32 ((float) (16777216.0 * std::pow (10.0, db / 20.0)));
        }
        writer.addString (address.c_str(), address.size());

        std::size_t size = 0;
        const auto* data = writer.finish (size);
        std::this_thread::sleep_until (start + std::chrono::duration_cast<std::chrono::steady_clock::duration> (period * (double) n));
        ::sendto (fd, data, size, 0, reinterpret_cast<sockaddr*> (&target), sizeof (target));
    }

    ::close (fd);
    std::printf ("sent %ld level reports\n", count);
    return 0;
}
