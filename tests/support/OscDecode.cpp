#include "support/OscDecode.h"

#include <lo/lo.h>

#include <algorithm>
#include <cstring>
#include <sstream>

std::string DecodedMessage::code() const
{
    if (args.size() < 2 || args[0].type != 'i' || args[1].type != 'i')
        return {};
    return std::string { (char) args[0].i, (char) args[1].i };
}

std::string DecodedMessage::describe() const
{
    std::ostringstream out;
    std::size_t first = 0;
    const auto c = code();
    if (! c.empty())
    {
        out << c;
        first = 2;
    }

    for (std::size_t k = first; k < args.size(); ++k)
    {
        const auto& a = args[k];
        if (out.tellp() > 0)
            out << ' ';
        switch (a.type)
        {
            case 'i': out << a.i; break;
            case 'f': out << a.f; break;
            case 's': out << '\'' << a.s << '\''; break;
            case 'b': out << "blob " << a.blob.size(); break;
            default:  out << '?' << a.type; break;
        }
    }
    return out.str();
}

std::optional<DecodedMessage> decodeWithLiblo (const std::vector<std::uint8_t>& datagram)
{
    std::vector<std::uint8_t> copy (datagram);
    int result = 0;
    lo_message m = lo_message_deserialise (copy.data(), copy.size(), &result);
    if (m == nullptr || result != 0)
        return std::nullopt;

    DecodedMessage d;
    d.path = lo_get_path (copy.data(), (ssize_t) copy.size());
    const char* types = lo_message_get_types (m);
    d.types = types != nullptr ? types : "";
    lo_arg** argv = lo_message_get_argv (m);

    for (std::size_t k = 0; k < d.types.size(); ++k)
    {
        // liblo's argument pointers are only 4-byte aligned: copy, never
        // read through the lo_arg union.
        DecodedArg a;
        a.type = d.types[k];
        const auto* raw = reinterpret_cast<const char*> (argv[k]);
        switch (a.type)
        {
            case 'i': std::memcpy (&a.i, raw, 4); break;
            case 'f': std::memcpy (&a.f, raw, 4); break;
            case 's': a.s = raw; break;
            case 'b':
            {
                std::int32_t size = 0;
                std::memcpy (&size, raw, 4);
                const auto* data = reinterpret_cast<const std::uint8_t*> (raw + 4);
                a.blob.assign (data, data + std::max (0, size));
                break;
            }
            default: break;
        }
        d.args.push_back (std::move (a));
    }

    lo_message_free (m);
    return d;
}

std::vector<std::string> describeAll (const std::vector<std::vector<std::uint8_t>>& datagrams)
{
    std::vector<std::string> out;
    for (const auto& d : datagrams)
    {
        const auto m = decodeWithLiblo (d);
        out.push_back (m ? m->describe() : std::string ("<undecodable>"));
    }
    return out;
}
