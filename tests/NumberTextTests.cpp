#include "app/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

// Text the framework reads without trouble must read the same here.
TEST (NumberText, AgreesWithTheFrameworkOnOrdinaryText)
{
    for (const char* text : { "0", "42", "-17", "  12abc", "+5", "3.25", "-0.5e2", "1e-3", "1.5E+10",
                              "007", ".5", "-", "", "abc", "1.2.3", "12e", "4294967295", "2.0000000000000004",
                              "123456789012345678901234567890", "1e308", "0.0000e0000000000000000001" })
    {
        SCOPED_TRACE (text);
        const juce::String s (text);
        EXPECT_EQ (NumberText::toInt64 (s), s.getLargeIntValue());
        EXPECT_EQ (NumberText::toDouble (s), s.getDoubleValue());
    }
}

TEST (NumberText, ExtremeTextGivesBoundedValues)
{
    constexpr auto int64Min = std::numeric_limits<juce::int64>::min();
    constexpr auto intMin = std::numeric_limits<int>::min();
    constexpr auto intMax = std::numeric_limits<int>::max();

    EXPECT_EQ (NumberText::toInt64 (juce::String ("-9223372036854775808")), int64Min);
    EXPECT_EQ (NumberText::toInt64 (juce::String ("-99999999999999999999")), int64Min);

    const struct { const char* text; int expected; } ints[] {
        { "2147483647", intMax }, { "2147483648", intMax }, { "99999999999999999999999", intMax },
        { "-2147483648", intMin }, { "-2147483649", intMin }, { "-99999999999999999999999", intMin },
        { " -12x", -12 },
    };
    for (const auto& c : ints)
        EXPECT_EQ (NumberText::toInt (c.text), c.expected) << c.text;

    const auto inf = std::numeric_limits<double>::infinity();
    const struct { const char* text; double expected; } doubles[] {
        { "1e1396080621", inf }, { "-1e99999999999999", -inf }, { "1e-1396080621", 0.0 },
{ "5e+00000000000000000000000001", 50.0 },
        { "2.5e10000", inf },
    };
    for (const auto& c : doubles)
        EXPECT_EQ (NumberText::toDouble (c.text), c.expected) << c.text;
}
