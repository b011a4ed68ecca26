#include "OscCodec.h"

#include <cstring>
#include <sstream>

namespace unit::osc
{

namespace
{
    std::size_t padded (std::size_t n) { return (n + 3) & ~std::size_t (3); }

    void putPaddedString (std::vector<std::uint8_t>& out, const std::string& s)
    {
        out.insert (out.end(), s.begin(), s.end());
        out.resize (out.size() + padded (s.size() + 1) - s.size(), 0);
    }

    void putWord (std::vector<std::uint8_t>& out, std::uint32_t w)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back ((std::uint8_t) (w >> shift));
    }

    class Reader
    {
    public:
        Reader (const std::uint8_t* d, std::size_t n) : data (d), size (n) {}

        bool readString (std::string& out)
        {
            const auto* start = data + pos;
            const auto* end = static_cast<const std::uint8_t*> (std::memchr (start, 0, size - pos));
            if (end == nullptr)
                return false;

            out.assign (reinterpret_cast<const char*> (start), (std::size_t) (end - start));
            return skip (padded (out.size() + 1));
        }

        bool readWord (std::uint32_t& w)
        {
            if (size - pos < 4)
                return false;

            const auto* p = data + pos;
            w = (std::uint32_t (p[0]) << 24) | (std::uint32_t (p[1]) << 16) | (std::uint32_t (p[2]) << 8) | p[3];
            pos += 4;
            return true;
        }

        bool readBytes (std::size_t n, std::vector<std::uint8_t>& out)
        {
            if (size - pos < n)
                return false;

            out.assign (data + pos, data + pos + n);
            return skip (padded (n));
        }

        bool atEnd() const { return pos == size; }

    private:
        bool skip (std::size_t n)
        {
            if (size - pos < n)
                return false;
            pos += n;
            return true;
        }

        const std::uint8_t* data;
        std::size_t size;
        std::size_t pos = 0;
    };
}

std::string Message::code() const
{
    if (args.size() < 2 || args[0].type != 'i' || args[1].type != 'i')
        return {};

    return { (char) (args[0].i & 0xff), (char) (args[1].i & 0xff) };
}

bool Message::hasArgs (std::size_t first, const char* types) const
{
    const auto n = std::strlen (types);
    if (args.size() < first + n)
        return false;

    for (std::size_t k = 0; k < n; ++k)
        if (args[first + k].type != types[k])
            return false;

    return true;
}

std::string Message::describe() const
{
    std::ostringstream out;
    auto rest = args.begin();
    const auto c = code();

    if (! c.empty())
    {
        out << c;
        rest += 2;
    }

    for (; rest != args.end(); ++rest)
    {
        if (rest != args.begin())
            out << ' ';

        switch (rest->type)
        {
            case 'i': out << rest->i; break;
            case 'f': out << rest->f; break;
            case 's': out << '\'' << rest->s << '\''; break;
            default:  out << "blob " << rest->blob.size(); break;
        }
    }

    return out.str();
}

Message coded (const char* code, std::vector<Arg> args)
{
    Message m;
    m.args.reserve (args.size() + 2);
    m.args.push_back (Arg::int32 ((unsigned char) code[0]));
    m.args.push_back (Arg::int32 ((unsigned char) code[1]));
    for (auto& a : args)
        m.args.push_back (std::move (a));
    return m;
}

std::vector<std::uint8_t> encode (const Message& message)
{
    std::vector<std::uint8_t> out;
    putPaddedString (out, message.address);

    std::string tags = ",";
    for (const auto& a : message.args)
        tags += a.type;
    putPaddedString (out, tags);

    for (const auto& a : message.args)
    {
        switch (a.type)
        {
            case 'i': putWord (out, (std::uint32_t) a.i); break;
            case 'f': { std::uint32_t w; std::memcpy (&w, &a.f, 4); putWord (out, w); break; }
            case 's': putPaddedString (out, a.s); break;
            case 'b':
                putWord (out, (std::uint32_t) a.blob.size());
                out.insert (out.end(), a.blob.begin(), a.blob.end());
                out.resize (padded (out.size()), 0);
                break;
            default: break;
        }
    }

    return out;
}

std::optional<Message> decode (const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size == 0 || size % 4 != 0 || data[0] != '/')
        return std::nullopt;

    Reader reader (data, size);
    Message m;
    std::string tags;

    if (! reader.readString (m.address))
        return std::nullopt;

    if (reader.atEnd())
        return m;   // a message without type tags carries no arguments

    if (! reader.readString (tags) || tags.empty() || tags[0] != ',')
        return std::nullopt;

    for (std::size_t k = 1; k < tags.size(); ++k)
    {
        Arg a;
        a.type = tags[k];
        std::uint32_t w = 0;

        switch (a.type)
        {
            case 'i':
                if (! reader.readWord (w)) return std::nullopt;
                a.i = (std::int32_t) w;
                break;
            case 'f':
                if (! reader.readWord (w)) return std::nullopt;
                std::memcpy (&a.f, &w, 4);
                break;
            case 's':
                if (! reader.readString (a.s)) return std::nullopt;
                break;
            case 'b':
                if (! reader.readWord (w) || ! reader.readBytes (w, a.blob)) return std::nullopt;
                break;
            default:
                return std::nullopt;
        }

        m.args.push_back (std::move (a));
    }

    if (! reader.atEnd())
        return std::nullopt;

    return m;
}

} // namespace unit::osc
