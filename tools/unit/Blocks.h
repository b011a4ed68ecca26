#pragma once

#include "OscCodec.h"

#include <cstdint>
#include <vector>

// Data blocks in both directions: blob-only messages framed by 4-byte
// little-endian start and closing words (a spectrum block by a 12-byte
// header instead of a start word).
namespace unit::blocks
{

inline constexpr std::uint32_t reg = 17, cross = 34, amplitude = 51, despoint = 102,
                               psdL = 119, psdR = 136, lmt = 153, calibration = 204;
inline constexpr std::uint32_t spectrumHeader = 170;
inline constexpr std::uint32_t closing = 85, spectrumClosing = 187;

// The largest data piece sent in one message.
inline constexpr std::size_t pieceSize = 1024;

// An upload that grows past this is dropped: far above every layout.
inline constexpr std::size_t maxBlockBytes = 1024 * 1024;

bool isStartWord (std::uint32_t word) noexcept;
bool isClosingWord (std::uint32_t word) noexcept;

std::uint32_t wordAt (const std::uint8_t* bytes) noexcept;   // little-endian
void appendWord (std::vector<std::uint8_t>& out, std::uint32_t word);
void appendFloat (std::vector<std::uint8_t>& out, float value);
std::vector<std::uint8_t> fromFloats (const std::vector<float>& values);
std::vector<std::uint8_t> fromWords (const std::vector<std::uint32_t>& words);

// Word i of a block; 0 beyond its end.
std::uint32_t word (const std::vector<std::uint8_t>& block, std::size_t i) noexcept;
float floatWord (const std::vector<std::uint8_t>& block, std::size_t i) noexcept;
void setWord (std::vector<std::uint8_t>& block, std::size_t i, std::uint32_t value);
void setFloatWord (std::vector<std::uint8_t>& block, std::size_t i, float value);

osc::Message blobMessage (std::vector<std::uint8_t> bytes);

// The data pieces of a block: at most pieceSize bytes each, and never of 4
// bytes or of 12 bytes starting with the spectrum header word, which the
// receiver would take for a control word or a header.
std::vector<std::vector<std::uint8_t>> pieces (const std::vector<std::uint8_t>& data);

// Start word, pieces, closing word.
std::vector<osc::Message> block (std::uint32_t startWord, const std::vector<std::uint8_t>& data,
                                 std::uint32_t closingWord = closing);

// Header (170, k, N), pieces, closing word 187.
std::vector<osc::Message> spectrumBlock (std::int32_t number, const std::vector<std::uint8_t>& values);

} // namespace unit::blocks
