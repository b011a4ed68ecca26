#include "support/UdpCapture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

UdpCapture::UdpCapture (int port, const char* address)
{
    fd = ::socket (AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return;

    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons ((std::uint16_t) port);
    inet_pton (AF_INET, address, &addr.sin_addr);

    int bufferSize = 4 * 1024 * 1024;
    ::setsockopt (fd, SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof (bufferSize));

    if (::bind (fd, reinterpret_cast<sockaddr*> (&addr), sizeof (addr)) != 0)
    {
        ::close (fd);
        fd = -1;
    }
}

UdpCapture::~UdpCapture()
{
    if (fd >= 0)
        ::close (fd);
}

std::optional<std::vector<std::uint8_t>> UdpCapture::receive (int timeoutMs)
{
    if (fd < 0)
        return std::nullopt;

    pollfd p { fd, POLLIN, 0 };
    if (::poll (&p, 1, timeoutMs) <= 0)
        return std::nullopt;

    std::vector<std::uint8_t> buffer (65536);
    const auto n = ::recv (fd, buffer.data(), buffer.size(), 0);
    if (n < 0)
        return std::nullopt;

    buffer.resize ((std::size_t) n);
    return buffer;
}

std::vector<std::vector<std::uint8_t>> UdpCapture::drain (int quietMs)
{
    std::vector<std::vector<std::uint8_t>> all;
    for (int i = 0; i < 100000; ++i)
    {
        auto d = receive (quietMs);
        if (! d)
            break;
        all.push_back (std::move (*d));
    }
    return all;
}

bool sendUdp (const std::string& host, int port, const void* data, std::size_t size)
{
    const int s = ::socket (AF_INET, SOCK_DGRAM, 0);
    if (s < 0)
        return false;

    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons ((std::uint16_t) port);
    inet_pton (AF_INET, host.c_str(), &addr.sin_addr);
    const auto n = ::sendto (s, data, size, 0, reinterpret_cast<sockaddr*> (&addr), sizeof (addr));
    ::close (s);
    return n == (ssize_t) size;
}
