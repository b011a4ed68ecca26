#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The virtual unit's own OSC 1.0 codec: plain messages (no bundles) with
// int32, float32, string and blob arguments, big-endian, padded to four bytes.
namespace unit::osc
{

inline constexpr const char* kAddress = "/juce/rotaryknob";

struct Arg
{
    char type = 'i';   // 'i', 'f', 's' or 'b'
    std::int32_t i = 0;
    float f = 0.0f;
    std::string s;
    std::vector<std::uint8_t> blob;

    static Arg int32 (std::int32_t v)                 { Arg a; a.type = 'i'; a.i = v; return a; }
    static Arg float32 (float v)                      { Arg a; a.type = 'f'; a.f = v; return a; }
    static Arg string (std::string v)                 { Arg a; a.type = 's'; a.s = std::move (v); return a; }
    static Arg bytes (std::vector<std::uint8_t> v)    { Arg a; a.type = 'b'; a.blob = std::move (v); return a; }
};

struct Message
{
    std::string address = kAddress;
    std::vector<Arg> args;

    // The two code letters of a coded message ("NS"), or "" when the first
    // two arguments are not integers.
    std::string code() const;

    bool hasArgs (std::size_t first, const char* types) const;

    // A readable form for logs: "LV 3 -6.5", "UN 'hall'", "blob 4".
    std::string describe() const;
};

// A coded message: the two code letters as int32 arguments, then the rest.
Message coded (const char* code, std::vector<Arg> args = {});

std::vector<std::uint8_t> encode (const Message& message);

// Nothing for anything that is not a well-formed message of the supported
// types; never reads outside [data, data + size).
std::optional<Message> decode (const std::uint8_t* data, std::size_t size);

} // namespace unit::osc
