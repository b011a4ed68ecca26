#include "link/OscRead.h"

#include <cstring>
#include <optional>

namespace
{
    class Reader
    {
    public:
        Reader (const std::uint8_t* d, std::size_t n) noexcept : data (d), size (n) {}

        std::size_t remaining() const noexcept { return size - pos; }
        bool atEnd() const noexcept { return pos == size; }

        std::optional<std::int32_t> int32() noexcept
        {
            if (remaining() < 4)
                return std::nullopt;
            const auto* p = data + pos;
            pos += 4;
            return (std::int32_t) (((std::uint32_t) p[0] << 24) | ((std::uint32_t) p[1] << 16)
                                   | ((std::uint32_t) p[2] << 8) | (std::uint32_t) p[3]);
        }

        // A zero-terminated string padded to a multiple of four bytes; the
        // terminator must lie inside the datagram.
        std::optional<juce::String> string() noexcept
        {
            const auto* start = reinterpret_cast<const char*> (data + pos);
            const auto* end = static_cast<const char*> (std::memchr (start, 0, remaining()));
            if (end == nullptr)
                return std::nullopt;

            // JUCE's text conversion misreads broken UTF-8; units send ASCII.
            const auto length = (std::size_t) (end - start);
            if (! juce::CharPointer_UTF8::isValidString (start, (int) length) || ! skip (padded (length + 1)))
                return std::nullopt;

            return juce::String::fromUTF8 (start, (int) length);
        }

        std::optional<juce::MemoryBlock> blob() noexcept
        {
            const auto declared = int32();
            if (! declared || *declared < 0)
                return std::nullopt;

            const auto length = (std::size_t) *declared;
            if (length > remaining() || padded (length) > remaining())
                return std::nullopt;

            juce::MemoryBlock block (data + pos, length);
            pos += padded (length);
            return block;
        }

        bool skip (std::size_t n) noexcept
        {
            if (n > remaining())
                return false;
            pos += n;
            return true;
        }

        const std::uint8_t* here() const noexcept { return data + pos; }

    private:
        static std::size_t padded (std::size_t n) noexcept { return (n + 3) & ~(std::size_t) 3; }

        const std::uint8_t* data;
        std::size_t size;
        std::size_t pos = 0;
    };

    std::optional<juce::OSCMessage> readMessage (Reader& r)
    {
        const auto address = r.string();
        if (! address || ! address->startsWithChar ('/'))
            return std::nullopt;

        std::optional<juce::OSCMessage> message;
        try
        {
            message.emplace (juce::OSCAddressPattern (*address));
        }
        catch (const juce::OSCFormatError&)
        {
            return std::nullopt;
        }

        // Old senders may leave the type tags out of a message without arguments.
        if (r.atEnd())
            return message;

        const auto tags = r.string();
        if (! tags || ! tags->startsWithChar (','))
            return std::nullopt;

        for (auto t = tags->getCharPointer() + 1; ! t.isEmpty(); ++t)
        {
            switch (*t)
            {
                case 'i': { const auto v = r.int32(); if (! v) return std::nullopt; message->addInt32 (*v); break; }
                case 'f':
                {
                    const auto v = r.int32();
                    if (! v)
                        return std::nullopt;
                    float f;
                    std::memcpy (&f, &*v, sizeof (f));
                    message->addFloat32 (f);
                    break;
                }
                case 's': { const auto v = r.string(); if (! v) return std::nullopt; message->addString (*v); break; }
                case 'b': { auto v = r.blob(); if (! v) return std::nullopt; message->addBlob (std::move (*v)); break; }
                default:  return std::nullopt;
            }
        }

        return message;
    }

    bool readElement (const std::uint8_t* data, std::size_t size, int depth, std::vector<juce::OSCMessage>& out)
    {
        static constexpr char bundleTag[8] = { '#', 'b', 'u', 'n', 'd', 'l', 'e', 0 };

        if (size >= sizeof (bundleTag) && std::memcmp (data, bundleTag, sizeof (bundleTag)) == 0)
        {
            if (depth >= OscRead::maxBundleDepth)
                return false;

            Reader r (data, size);
            if (! r.skip (sizeof (bundleTag) + 8))   // the tag and the time tag
                return false;

            while (! r.atEnd())
            {
                const auto elementSize = r.int32();
                if (! elementSize || *elementSize <= 0 || (*elementSize & 3) != 0
                     || (std::size_t) *elementSize > r.remaining())
                    return false;

                const auto* element = r.here();
                r.skip ((std::size_t) *elementSize);
                if (! readElement (element, (std::size_t) *elementSize, depth + 1, out))
                    return false;
            }
            return true;
        }

        Reader r (data, size);
        auto message = readMessage (r);
        if (! message)
            return false;

        out.push_back (std::move (*message));
        return true;
    }
}

bool OscRead::readDatagram (const void* data, std::size_t size, std::vector<juce::OSCMessage>& out)
{
    if (data == nullptr || size == 0 || (size & 3) != 0)
        return false;

    std::vector<juce::OSCMessage> messages;
    if (! readElement (static_cast<const std::uint8_t*> (data), size, 0, messages))
        return false;

    for (auto& m : messages)
        out.push_back (std::move (m));
    return true;
}
