#include "app/NumberText.h"

#include <limits>

namespace NumberText
{

namespace
{
    // The value of an optionally signed run of digits, clamped to [-limit - 1, limit].
    template <typename Int>
    Int saturatingValue (juce::String::CharPointerType text) noexcept
    {
        auto p = text.findEndOfWhitespace();
        const bool negative = *p == '-';
        if (negative || *p == '+')
            ++p;

        constexpr auto limit = (juce::uint64) std::numeric_limits<Int>::max();
        constexpr auto beyond = limit + 1u;
        juce::uint64 magnitude = 0;
        for (auto c = *p; c >= '0' && c <= '9'; c = *++p)
            magnitude = magnitude > beyond / 10u ? beyond
                                                 : juce::jmin (beyond, magnitude * 10u + (juce::uint64) (c - '0'));

        if (negative)
            return magnitude > limit ? std::numeric_limits<Int>::min() : (Int) -(Int) magnitude;

        return (Int) juce::jmin (magnitude, limit);
    }
}

juce::int64 toInt64 (juce::String::CharPointerType text) noexcept
{
    return saturatingValue<juce::int64> (text);
}

juce::int64 toInt64 (const juce::String& text) noexcept
{
    return saturatingValue<juce::int64> (text.getCharPointer());
}

int toInt (const juce::String& text) noexcept
{
    return saturatingValue<int> (text.getCharPointer());
}

double toDouble (const juce::String& text) noexcept
{
    // The framework's reader is exact for everything but an exponent of more
    // digits than an int holds, where it overflows. Any exponent beyond four
    // significant digits already means infinity or zero, so such an exponent
    // is handed over as 9999.
    auto p = text.getCharPointer().findEndOfWhitespace();
    const auto start = p;

    if (*p == '-' || *p == '+')
        ++p;
    while (p.isDigit() || *p == '.')
        ++p;

    const auto read = [] (juce::String::CharPointerType from) { return juce::CharacterFunctions::readDoubleValue (from); };

    if (*p != 'e' && *p != 'E')
        return read (start);

    auto exponent = p + 1;
    if (*exponent == '-' || *exponent == '+')
        ++exponent;
    while (*exponent == '0')
        ++exponent;

    int significantDigits = 0;
    for (auto q = exponent; q.isDigit(); ++q)
        ++significantDigits;

    if (significantDigits <= 4)
        return read (start);

    juce::String clamped (start, exponent);
    clamped << "9999";
    return read (clamped.getCharPointer());
}

}
