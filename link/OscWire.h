#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace veld72::osc
{

// The address every command and report carries.
inline constexpr const char* kAddress = "/juce/rotaryknob";

// Builds one OSC 1.0 message (never a bundle) in a reusable buffer: address,
// type tags and arguments, each padded to four bytes, numbers big-endian.
// Arguments are collected first and the type-tag string is written in front
// of them by finish(), so adding an argument never moves earlier ones.
class MessageWriter
{
public:
    MessageWriter();

    void begin (const char* address);
    void addInt32 (std::int32_t value);
    void addFloat32 (float value);
    void addString (const char* text, std::size_t length);
    void addBlob (const void* data, std::size_t size);

    // Assembles the message; the result stays valid until the next begin().
    const std::uint8_t* finish (std::size_t& sizeOut);

    int getNumArguments() const noexcept { return (int) typeTags.size() - 1; }

private:
    void appendPadded (std::vector<std::uint8_t>& out, const void* data, std::size_t size, bool terminate);

    std::vector<std::uint8_t> addressBytes;
    std::vector<char> typeTags;
    std::vector<std::uint8_t> argumentBytes;
    std::vector<std::uint8_t> message;
};

inline std::size_t paddedSize (std::size_t n) noexcept { return (n + 3) & ~std::size_t (3); }

} // namespace veld72::osc
