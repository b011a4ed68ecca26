#pragma once

#include <cstdint>
#include <vector>

// The measured data a real unit would produce, made up so that it looks like
// a loudspeaker in a room: roll-offs at both ends, a few room modes that
// change from place to place, a reflection ripple and some noise.
namespace unit::synth
{

inline constexpr int spectrumPoints = 700;             // values, then as many frequencies
inline constexpr int spectrumValues = 2 * spectrumPoints;
inline constexpr int powerSpectrumWords = 32771;       // 32768 bins and three words about them
inline constexpr int crossWords = 216;
inline constexpr int amplitudeWords = 8192;

// The frequencies of the 700 points, logarithmically from 20 Hz to 20 kHz.
std::vector<float> spectrumFrequencies();

// The response of the room at measurement point `point` (1..5) in dB around
// 0, for the frequencies given. `take` counts the measurements of that point:
// each one has noise of its own.
std::vector<float> roomResponseDb (int point, int take, const std::vector<float>& frequencies);

// A point's spectrum block: 700 linear magnitudes (about -90 dB) and then the
// 700 frequencies.
std::vector<float> pointSpectrum (int point, int take);

// The target curve the unit applies, from the values of an "AT" message:
// count k + 2 points, x values (Hz) first, then the gains (dB). Nothing (an
// empty curve) for a flat target.
struct TargetCurve
{
    float fromHz = 20.0f, toHz = 24000.0f;
    std::vector<float> hz, db;     // ascending hz

    float gainAt (float hz) const;   // dB, held flat beyond the ends
};

// A left (channel 0) or right (channel 1) result: the room response after
// correction towards the target within its range, as values the response
// view draws with its left/right rule (-55 - value is the drawing height),
// then the 700 frequencies. `measured` holds the point responses in dB
// (may be empty: then a typical room is taken).
std::vector<float> resultSpectrum (int channel, const std::vector<std::vector<float>>& measuredDb,
                                   const TargetCurve& target);

// The power spectrum of pink noise in the room (32768 bins up to 24 kHz,
// then the sample rate, the bin count and the number of averages).
std::vector<float> powerSpectrum (int channel, const std::vector<std::vector<float>>& measuredDb);

// Filter data of the eight outputs, 27 words each: the output's number, its
// high-pass and low-pass corners in Hz (0 for none), then four biquads of six
// coefficients (b0 b1 b2 a0 a1 a2), two for each Linkwitz-Riley filter. The
// outputs of a band the configuration leaves unused are all zero.
std::vector<float> crossoverData (const float cornersHz[3], int configurationCode);

// The target's gain in 8192 linear steps up to 24 kHz.
std::vector<float> amplitudeData (const TargetCurve& target);

// Deterministic noise in [-1, 1).
class Noise
{
public:
    explicit Noise (std::uint32_t seed) noexcept : state (seed * 2654435761u + 12345u) {}
    float next() noexcept;

private:
    std::uint32_t state;
};

} // namespace unit::synth
