#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// OSC messages decoded by an independent implementation (liblo), so that the
// encoder is checked against more than itself.
struct DecodedArg
{
    char type = 0;
    std::int32_t i = 0;
    float f = 0;
    std::string s;
    std::vector<std::uint8_t> blob;
};

struct DecodedMessage
{
    std::string path;
    std::string types;   // without the leading comma
    std::vector<DecodedArg> args;

    // The two code letters of a coded message, or "" for a blob-only one.
    std::string code() const;

    // A readable form for tables: "FO 12", "LV 3 -6.5", "UN 'hall'", "blob 4".
    std::string describe() const;
};

std::optional<DecodedMessage> decodeWithLiblo (const std::vector<std::uint8_t>& datagram);

std::vector<std::string> describeAll (const std::vector<std::vector<std::uint8_t>>& datagrams);
