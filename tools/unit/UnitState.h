#pragma once

#include "OscCodec.h"
#include "Synthesis.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace unit
{

// Everything the unit has been told and everything it keeps. Every coded
// command's arguments are kept under a key: its code letters, and for the
// commands that address one of several channels ("LV" band, "MT" channel,
// "HI" output pair) the code letters, a slash and that channel ("LV/3").
//
// Its data blocks (settings snapshot, crossover data, amplitude, compressor
// settings, target-curve points, power spectra) and its spectra are what it
// sends after selection. Commands keep the snapshot and the compressor
// settings up to date; uploads of parameter data blocks replace them once
// "SA" arrives.
class UnitState
{
public:
    explicit UnitState (std::string unitName);

    // Returns the key the command was stored under, or "" if it was not a
    // coded command or its arguments do not fit it (it is then ignored).
    std::string apply (const osc::Message& command);

    // One blob-only message of an upload. Returns, for the log, what it
    // completed ("block 17 of 56 bytes waits for SA"), or "".
    std::string applyBlock (const std::vector<std::uint8_t>& blob);

    // "SA": the uploaded blocks replace the stored ones. False if none was
    // waiting.
    bool commitUploads();

    // The arguments after the code letters of the last command stored under
    // key, or nullptr if none has arrived.
    const std::vector<osc::Arg>* find (const std::string& key) const;

    // Argument `index` (0 = first after the code letters) of the last command
    // under key, or fallback when there is none or it has another type.
    std::int32_t intSetting (const std::string& key, std::size_t index, std::int32_t fallback) const;
    float floatSetting (const std::string& key, std::size_t index, float fallback) const;

    int outputConfigurationCode() const;   // from "FO", 0 (full band) at start

    // The responses of the measured points in dB, from their spectra.
    std::vector<std::vector<float>> measuredPointsDb() const;

    std::string name;
    std::string version = "2406100";

    // By start word (17 "//reg", 34, 51, 102, 119, 136, 153).
    std::map<std::uint32_t, std::vector<std::uint8_t>> blocks;

    // By number: 1..5 the points, 11 and 12 the left and right results; each
    // N values, the first half levels, the second half their frequencies.
    std::map<std::int32_t, std::vector<float>> spectra;

    // The last microphone calibration file uploaded.
    std::vector<std::uint8_t> calibration;

    // The target curve of the last "AT".
    synth::TargetCurve target;

private:
    static std::string keyFor (const std::string& code, const std::vector<osc::Arg>& args);
    static bool fits (const std::string& code, const std::vector<osc::Arg>& args);

    void updateBlocks (const std::string& code, const std::vector<osc::Arg>& args);
    void settingsFromSnapshot();
    void refreshCrossoverData();
    void set (const std::string& key, std::vector<osc::Arg> args) { settings[key] = std::move (args); }

    std::map<std::string, std::vector<osc::Arg>> settings;

    // The upload under way: a block by its start word, or a spectrum.
    enum class Upload { none, block, spectrum };
    Upload uploading = Upload::none;
    std::uint32_t uploadWord = 0;
    std::int32_t uploadSpectrum = 0;
    std::vector<std::uint8_t> upload;

    std::map<std::uint32_t, std::vector<std::uint8_t>> staged;
};

} // namespace unit
