#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A plain UDP receiver on 127.0.0.1 for tests: binds without address reuse
// (so a port that is taken is noticed) and collects datagrams.
class UdpCapture
{
public:
    explicit UdpCapture (int port, const char* address = "127.0.0.1");
    ~UdpCapture();

    bool isOpen() const noexcept { return fd >= 0; }

    // Waits up to timeoutMs for the next datagram.
    std::optional<std::vector<std::uint8_t>> receive (int timeoutMs = 1000);

    // Collects datagrams until none arrives for quietMs.
    std::vector<std::vector<std::uint8_t>> drain (int quietMs = 100);

private:
    int fd = -1;
};

// Sends one datagram from an ephemeral port.
bool sendUdp (const std::string& host, int port, const void* data, std::size_t size);
