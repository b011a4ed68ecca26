#include "Blocks.h"

#include <cstring>

namespace unit::blocks
{

bool isStartWord (std::uint32_t w) noexcept
{
    return w == reg || w == cross || w == amplitude || w == despoint || w == psdL || w == psdR || w == lmt
        || w == calibration;
}

bool isClosingWord (std::uint32_t w) noexcept
{
    return w == closing || w == spectrumClosing;
}

std::uint32_t wordAt (const std::uint8_t* b) noexcept
{
    return std::uint32_t (b[0]) | (std::uint32_t (b[1]) << 8) | (std::uint32_t (b[2]) << 16) | (std::uint32_t (b[3]) << 24);
}

void appendWord (std::vector<std::uint8_t>& out, std::uint32_t w)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back ((std::uint8_t) (w >> shift));
}

void appendFloat (std::vector<std::uint8_t>& out, float value)
{
    std::uint32_t w;
    std::memcpy (&w, &value, 4);
    appendWord (out, w);
}

std::vector<std::uint8_t> fromFloats (const std::vector<float>& values)
{
    std::vector<std::uint8_t> out;
    out.reserve (values.size() * 4);
    for (auto v : values)
        appendFloat (out, v);
    return out;
}

std::vector<std::uint8_t> fromWords (const std::vector<std::uint32_t>& words)
{
    std::vector<std::uint8_t> out;
    out.reserve (words.size() * 4);
    for (auto w : words)
        appendWord (out, w);
    return out;
}

std::uint32_t word (const std::vector<std::uint8_t>& block, std::size_t i) noexcept
{
    return 4 * i + 4 <= block.size() ? wordAt (block.data() + 4 * i) : 0;
}

float floatWord (const std::vector<std::uint8_t>& block, std::size_t i) noexcept
{
    const auto w = word (block, i);
    float f;
    std::memcpy (&f, &w, 4);
    return f;
}

void setWord (std::vector<std::uint8_t>& block, std::size_t i, std::uint32_t value)
{
    if (block.size() < 4 * i + 4)
        block.resize (4 * i + 4, 0);
    for (int k = 0; k < 4; ++k)
        block[4 * i + (std::size_t) k] = (std::uint8_t) (value >> (8 * k));
}

void setFloatWord (std::vector<std::uint8_t>& block, std::size_t i, float value)
{
    std::uint32_t w;
    std::memcpy (&w, &value, 4);
    setWord (block, i, w);
}

osc::Message blobMessage (std::vector<std::uint8_t> bytes)
{
    osc::Message m;
    m.args.push_back (osc::Arg::bytes (std::move (bytes)));
    return m;
}

std::vector<std::vector<std::uint8_t>> pieces (const std::vector<std::uint8_t>& data)
{
    const auto ambiguous = [] (const std::uint8_t* p, std::size_t n)
    {
        return n == 4 || (n == 12 && wordAt (p) == spectrumHeader);
    };

    std::vector<std::vector<std::uint8_t>> out;
    std::size_t at = 0;

    while (at < data.size())
    {
        auto n = std::min (pieceSize, data.size() - at);
        const auto rest = data.size() - at - n;

        // Take the last bytes along rather than leave them to a piece of their own.
        if (rest > 0 && ambiguous (data.data() + at + n, rest))
            n += rest;

        if (ambiguous (data.data() + at, n))
            n -= 1;

        out.emplace_back (data.begin() + (std::ptrdiff_t) at, data.begin() + (std::ptrdiff_t) (at + n));
        at += n;
    }

    return out;
}

std::vector<osc::Message> block (std::uint32_t startWord, const std::vector<std::uint8_t>& data, std::uint32_t closingWord)
{
    std::vector<osc::Message> out;
    out.push_back (blobMessage (fromWords ({ startWord })));
    for (auto& p : pieces (data))
        out.push_back (blobMessage (std::move (p)));
    out.push_back (blobMessage (fromWords ({ closingWord })));
    return out;
}

std::vector<osc::Message> spectrumBlock (std::int32_t number, const std::vector<std::uint8_t>& values)
{
    std::vector<osc::Message> out;
    out.push_back (blobMessage (fromWords ({ spectrumHeader, (std::uint32_t) number, (std::uint32_t) (values.size() / 4) })));
    for (auto& p : pieces (values))
        out.push_back (blobMessage (std::move (p)));
    out.push_back (blobMessage (fromWords ({ spectrumClosing })));
    return out;
}

} // namespace unit::blocks
