#include "link/Discovery.h"

#include "link/Command.h"
#include "link/DiscoveryAlerts.h"

#if JUCE_WINDOWS
 #include <winsock2.h>
#else
 #include <arpa/inet.h>
 #include <netinet/in.h>
 #include <sys/socket.h>
#endif

std::optional<juce::String> Discovery::parseReply (const void* data, int size)
{
    if (data == nullptr || size != replySize)
        return std::nullopt;

    const auto* bytes = static_cast<const unsigned char*> (data);
    juce::String text;
    text.preallocateBytes (replySize * 2);

    for (int k = 0; k < replySize && bytes[k] != 0; ++k)
        text += (juce::juce_wchar) bytes[k];

    return text;
}

bool Discovery::addReply (juce::StringArray& found, const void* data, int size)
{
    const auto text = parseReply (data, size);
    if (! text || found.contains (*text))
        return false;

    found.add (*text);
    return true;
}

int Discovery::broadcastWrite (juce::DatagramSocket& socket, int port, const void* data, int size)
{
    const auto handle = socket.getRawSocketHandle();
    if (handle < 0)
        return -1;

    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons ((std::uint16_t) port);
    to.sin_addr.s_addr = htonl (INADDR_BROADCAST);

    const auto sent = ::sendto (handle, static_cast<const char*> (data), (size_t) size, 0,
                                reinterpret_cast<const sockaddr*> (&to), sizeof (to));
    return sent < 0 ? -1 : (int) sent;
}

void Discovery::collectReplies (juce::DatagramSocket& socket, int polls, juce::StringArray& found)
{
    char buffer[replySize];

    for (int k = 0; k < polls; ++k)
    {
        const auto n = socket.read (buffer, replySize, false);
        if (n == replySize)
            addReply (found, buffer, n);
    }
}

Discovery::Outcome Discovery::discoverUnits (juce::StringArray& found, int polls)
{
    found.clear();

    juce::DatagramSocket socket (true);

    // Without this the bind "succeeds" on a port another program holds.
    socket.setEnablePortReuse (false);

    if (! socket.bindToPort (localPort))
        return Outcome::bindError;

    if (broadcastWrite (socket, requestPort, request, requestSize) == -1)
        return Outcome::writeError;

    collectReplies (socket, polls, found);
    return Outcome::finished;
}

void Command::FindIpAddr()
{
    setIpAddrList ({});

    juce::StringArray found;

    switch (Discovery::discoverUnits (found))
    {
        case Discovery::Outcome::bindError:  WarningAlerts::show ("bind error", "aa"); break;
        case Discovery::Outcome::writeError: WarningAlerts::show ("write error", "aa"); break;
        case Discovery::Outcome::finished:   break;
    }

    setIpAddrList (found);
}
