#include "link/OscWire.h"

#include <cstring>

namespace veld72::osc
{

namespace
{
    void appendBigEndian32 (std::vector<std::uint8_t>& out, std::uint32_t v)
    {
        const std::uint8_t bytes[4] { (std::uint8_t) (v >> 24), (std::uint8_t) (v >> 16),
                                      (std::uint8_t) (v >> 8), (std::uint8_t) v };
        out.insert (out.end(), bytes, bytes + 4);
    }
}

MessageWriter::MessageWriter()
{
    addressBytes.reserve (32);
    typeTags.reserve (160);
    argumentBytes.reserve (1024);
    message.reserve (1280);
}

void MessageWriter::begin (const char* address)
{
    addressBytes.clear();
    appendPadded (addressBytes, address, std::strlen (address), true);
    typeTags.clear();
    typeTags.push_back (',');
    argumentBytes.clear();
}

void MessageWriter::addInt32 (std::int32_t value)
{
    typeTags.push_back ('i');
    appendBigEndian32 (argumentBytes, (std::uint32_t) value);
}

void MessageWriter::addFloat32 (float value)
{
    typeTags.push_back ('f');
    std::uint32_t bits;
    std::memcpy (&bits, &value, sizeof (bits));
    appendBigEndian32 (argumentBytes, bits);
}

void MessageWriter::addString (const char* text, std::size_t length)
{
    typeTags.push_back ('s');
    appendPadded (argumentBytes, text, length, true);
}

void MessageWriter::addBlob (const void* data, std::size_t size)
{
    typeTags.push_back ('b');
    appendBigEndian32 (argumentBytes, (std::uint32_t) size);
    appendPadded (argumentBytes, data, size, false);
}

const std::uint8_t* MessageWriter::finish (std::size_t& sizeOut)
{
    message.clear();
    message.insert (message.end(), addressBytes.begin(), addressBytes.end());
    appendPadded (message, typeTags.data(), typeTags.size(), true);
    message.insert (message.end(), argumentBytes.begin(), argumentBytes.end());
    sizeOut = message.size();
    return message.data();
}

void MessageWriter::appendPadded (std::vector<std::uint8_t>& out, const void* data, std::size_t size, bool terminate)
{
    const auto* bytes = static_cast<const std::uint8_t*> (data);
    if (size > 0)
        out.insert (out.end(), bytes, bytes + size);

    const auto total = terminate ? paddedSize (size + 1) : paddedSize (size);
    out.resize (out.size() + (total - size), 0);
}

} // namespace veld72::osc
