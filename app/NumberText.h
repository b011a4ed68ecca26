#pragma once

#include <juce_core/juce_core.h>

// Numbers read from text that anyone may have written: a file from elsewhere,
// a value typed into a field. The same grammar as the framework's string
// conversions (leading white space, a sign, digits, and for decimals a point
// and an exponent; reading stops at the first other character), without their
// signed overflow on long digit runs or huge exponents. Integers saturate at
// the ends of their range, as the C library's conversions do.
namespace NumberText
{
    juce::int64 toInt64 (juce::String::CharPointerType text) noexcept;
    juce::int64 toInt64 (const juce::String& text) noexcept;
    int toInt (const juce::String& text) noexcept;

    // An exponent too large for a double gives infinity, too small zero.
    double toDouble (const juce::String& text) noexcept;
}
