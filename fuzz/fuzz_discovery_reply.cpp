// Any datagram as a discovery reply: the text never reads past its bytes, and
// a repeated reply adds nothing.
#include "link/Discovery.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const int n = (int) std::min<std::size_t> (size, 64);
    const auto text = Discovery::parseReply (data, n);
    if (text.has_value() != (n == Discovery::replySize))
        std::abort();
    if (text && text->length() > Discovery::replySize)
        std::abort();

    juce::StringArray found;
    const bool first = Discovery::addReply (found, data, n);
    const bool again = Discovery::addReply (found, data, n);
    if (again || first != text.has_value() || found.size() != (first ? 1 : 0))
        std::abort();
    return 0;
}
