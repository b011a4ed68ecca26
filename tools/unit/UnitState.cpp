#include "UnitState.h"

#include "Blocks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace unit
{

namespace
{
    // Words of the settings snapshot "//reg".
    enum RegWord : std::size_t
    {
        regVersion = 0, regClockSource = 1, regSampleClock = 2, regMasterGain = 3, regInputSource = 4,
        regProcess = 5, regMasterMute = 6, regFilterTaps = 7, regPhantom = 8, regConfiguration = 9,
        regMicGain = 10, regSignalLevel = 11, regBandMutes = 12, regMeasureMode = 13, regWords = 14
    };

    // Argument types after the code letters of every command the unit knows.
    struct Form { const char* code; const char* types; };
    constexpr Form forms[] = {
        { "FO", "i" }, { "LV", "if" }, { "PN", "i" }, { "AP", "i" }, { "HI", "iiii" }, { "GA", "f" },
        { "CM", "i" }, { "ML", "f" }, { "NL", "f" }, { "OP", "i" }, { "CR", "i" }, { "MU", "i" },
        { "MT", "ii" }, { "NS", "" }, { "SE", "i" }, { "SA", "" }, { "CS", "i" }, { "SC", "i" },
        { "SR", "" }, { "SL", "" }, { "CP", "iii" }, { "MD", "i" }, { "UN", "s" }, { "MN", "i" },
        { "LM", "i" }, { "DP", "iffi" }, { "AT", "iffi" },
    };

    // The point-set commands: count, two floats, flag, then 8 or 128 values
    // of which the first 2 x count are the curve's x and y values.
    bool isPointSet (const std::vector<osc::Arg>& args)
    {
        const auto values = args.size() - 4;
        if (values != 8 && values != 128)
            return false;

        for (std::size_t k = 4; k < args.size(); ++k)
            if (args[k].type != 'f')
                return false;

        const auto count = args[0].i;
        return count >= 0 && count <= 64 && (std::size_t) (2 * count) <= values;
    }

    bool isFinite (const std::vector<osc::Arg>& args)
    {
        return std::all_of (args.begin(), args.end(), [] (const osc::Arg& a) { return a.type != 'f' || std::isfinite (a.f); });
    }

    float decibels (float linear) { return 20.0f * std::log10 (linear); }

    std::int32_t truncated (float f) { return (std::int32_t) std::clamp (f, -1.0e9f, 1.0e9f); }
}

UnitState::UnitState (std::string unitName) : name (std::move (unitName))
{
    std::vector<std::uint8_t> reg;
    const std::uint32_t start[regWords] = { 1, 1, 1, 0, 0, 1, 0, 4096, 0, 48, 190, (std::uint32_t) -20, 0, 0 };
    for (std::size_t i = 0; i < regWords; ++i)
        blocks::setWord (reg, i, start[i]);
    blocks::setFloatWord (reg, regMasterGain, 1.0f);
    blocks[blocks::reg] = reg;

    // Each band: threshold -20 dB, ratio 4, knee 0.5, attack 220 ms,
    // release 200 ms, no make-up gain, compressor off.
    std::vector<std::uint8_t> lmt (32, 0);
    for (std::size_t band = 0; band < 4; ++band)
    {
        const std::uint8_t first[] = { 134, 6, 50, 30 }, second[] = { 40, 0, 1, 1 };
        std::memcpy (lmt.data() + 4 * band, first, 4);
        std::memcpy (lmt.data() + 16 + 4 * band, second, 4);
    }
    blocks[blocks::lmt] = lmt;

    // The curve editor's start state: two points on the flat line.
    std::vector<std::uint8_t> despoint;
    blocks::appendWord (despoint, 4);
    for (float v : { 13.0f, 688.0f, 1.0f, 300.0f, 500.0f, 24000.0f, 112.0f, 112.0f, 112.0f, 112.0f })
        blocks::appendFloat (despoint, v);
    blocks[blocks::despoint] = despoint;

    blocks[blocks::amplitude] = blocks::fromFloats (synth::amplitudeData (target));
    blocks[blocks::psdL] = blocks::fromFloats (synth::powerSpectrum (0, {}));
    blocks[blocks::psdR] = blocks::fromFloats (synth::powerSpectrum (1, {}));
    refreshCrossoverData();
}

std::string UnitState::keyFor (const std::string& code, const std::vector<osc::Arg>& args)
{
    const bool indexed = code == "LV" || code == "MT" || code == "HI";

    if (indexed && ! args.empty() && args[0].type == 'i')
        return code + "/" + std::to_string (args[0].i);

    return code;
}

bool UnitState::fits (const std::string& code, const std::vector<osc::Arg>& args)
{
    for (const auto& form : forms)
    {
        if (code != form.code)
            continue;

        const auto n = std::strlen (form.types);
        if (args.size() < n)
            return false;

        for (std::size_t k = 0; k < n; ++k)
            if (args[k].type != form.types[k])
                return false;

        if (code == "DP" || code == "AT")
            return isPointSet (args);

        if (code == "LM")
        {
            const auto v = args[0].i;
            return v >= 0 && (v >> 16) <= 3 && ((v >> 8) & 0xff) <= 6;
        }

        return isFinite (args);
    }

    return false;
}

std::string UnitState::apply (const osc::Message& command)
{
    const auto code = command.code();
    if (code.empty())
        return {};

    std::vector<osc::Arg> args (command.args.begin() + 2, command.args.end());
    if (! fits (code, args))
        return {};

    auto key = keyFor (code, args);

    if (code == "UN")
        name = args[0].s;

    updateBlocks (code, args);
    settings[key] = std::move (args);
    return key;
}

void UnitState::updateBlocks (const std::string& code, const std::vector<osc::Arg>& args)
{
    auto& reg = blocks[blocks::reg];
    const auto setReg = [&reg] (std::size_t w, std::int32_t v) { blocks::setWord (reg, w, (std::uint32_t) v); };

    if (code == "CS")      setReg (regClockSource, args[0].i);
    else if (code == "SC") setReg (regSampleClock, args[0].i);
    else if (code == "GA") blocks::setFloatWord (reg, regMasterGain, std::pow (10.0f, args[0].f / 20.0f));
    else if (code == "SE") setReg (regInputSource, args[0].i);
    else if (code == "OP") setReg (regProcess, args[0].i);
    else if (code == "MU") setReg (regMasterMute, args[0].i);
    else if (code == "AP") setReg (regFilterTaps, args[0].i);
    else if (code == "FO") { setReg (regConfiguration, 48 + (args[0].i & 15)); refreshCrossoverData(); }
    else if (code == "ML") setReg (regMicGain, truncated (args[0].f));
    else if (code == "NL") setReg (regSignalLevel, truncated (args[0].f));
    else if (code == "CR") setReg (regMeasureMode, args[0].i);
    else if (code == "HI") refreshCrossoverData();
    else if (code == "MT")
    {
        const auto channel = args[0].i;
        if (channel == 5)
            setReg (regPhantom, args[1].i);
        else if (channel >= 1 && channel <= 4)
        {
            auto mutes = blocks::word (reg, regBandMutes);
            const auto bit = 1u << (channel - 1);
            mutes = args[1].i != 0 ? (mutes | bit) : (mutes & ~bit);
            blocks::setWord (reg, regBandMutes, mutes);
        }
    }
    else if (code == "LM")
    {
        auto& lmt = blocks[blocks::lmt];
        lmt.resize (std::max<std::size_t> (lmt.size(), 32), 0);
        const auto band = (std::size_t) (args[0].i >> 16);
        const auto parameter = (std::size_t) ((args[0].i >> 8) & 0xff);
        const auto position = (std::uint8_t) (args[0].i & 0xff);

        if (parameter < 4)
            lmt[4 * band + parameter] = position;
        else if (parameter < 6)
            lmt[16 + 4 * band + parameter - 4] = position;
        else
            lmt[16 + 4 * band + 2] = lmt[16 + 4 * band + 3] = position;
    }
    else if (code == "DP")
    {
        const auto n = (std::size_t) args[0].i;
        std::vector<std::uint8_t> record;
        blocks::appendWord (record, (std::uint32_t) n);
        blocks::appendFloat (record, args[1].f);
        blocks::appendFloat (record, args[2].f);
        for (std::size_t k = 0; k < 2 * n; ++k)
            blocks::appendFloat (record, args[4 + k].f);
        blocks[blocks::despoint] = record;
    }
    else if (code == "AT")
    {
        const auto n = (std::size_t) args[0].i;
        synth::TargetCurve t;
        t.fromHz = args[1].f;
        t.toHz = args[2].f;

        std::vector<std::pair<float, float>> points;
        for (std::size_t k = 0; k < n; ++k)
            if (std::isfinite (args[4 + k].f) && std::isfinite (args[4 + n + k].f))
                points.emplace_back (args[4 + k].f, args[4 + n + k].f);
        std::stable_sort (points.begin(), points.end(), [] (auto& a, auto& b) { return a.first < b.first; });

        for (auto& p : points)
        {
            t.hz.push_back (p.first);
            t.db.push_back (p.second);
        }

        target = t;
        blocks[blocks::amplitude] = blocks::fromFloats (synth::amplitudeData (target));
    }
}

void UnitState::refreshCrossoverData()
{
    const float corners[3] = { (float) intSetting ("HI/1", 2, 50), (float) intSetting ("HI/3", 2, 500),
                               (float) intSetting ("HI/5", 2, 5000) };
    blocks[blocks::cross] = blocks::fromFloats (synth::crossoverData (corners, outputConfigurationCode()));
}

int UnitState::outputConfigurationCode() const
{
    return intSetting ("FO", 0, 0);
}

void UnitState::settingsFromSnapshot()
{
    const auto& reg = blocks[blocks::reg];
    const auto w = [&reg] (std::size_t i) { return (std::int32_t) blocks::word (reg, i); };
    using osc::Arg;

    set ("CS", { Arg::int32 (w (regClockSource)) });
    set ("SC", { Arg::int32 (w (regSampleClock)) });
    set ("SE", { Arg::int32 (w (regInputSource)) });
    set ("OP", { Arg::int32 (w (regProcess)) });
    set ("MU", { Arg::int32 (w (regMasterMute)) });
    set ("AP", { Arg::int32 (w (regFilterTaps)) });
    set ("CR", { Arg::int32 (w (regMeasureMode)) });
    set ("MT/5", { Arg::int32 (5), Arg::int32 (w (regPhantom)) });
    set ("ML", { Arg::float32 ((float) w (regMicGain)) });
    set ("NL", { Arg::float32 ((float) w (regSignalLevel)) });

    const auto gain = decibels (blocks::floatWord (reg, regMasterGain));
    if (std::isfinite (gain))
        set ("GA", { Arg::float32 (gain) });

    const auto configuration = w (regConfiguration);
    if (configuration >= 48 && configuration <= 63)
        set ("FO", { Arg::int32 (configuration - 48) });

    for (std::int32_t channel = 1; channel <= 4; ++channel)
        set ("MT/" + std::to_string (channel),
             { Arg::int32 (channel), Arg::int32 ((w (regBandMutes) >> (channel - 1)) & 1) });
}

std::string UnitState::applyBlock (const std::vector<std::uint8_t>& blob)
{
    std::string note;

    if (blob.size() == 4)
    {
        const auto word = blocks::wordAt (blob.data());

        if (blocks::isClosingWord (word))
        {
            if (uploading == Upload::spectrum)
            {
                std::vector<float> values (upload.size() / 4);
                for (std::size_t i = 0; i < values.size(); ++i)
                    values[i] = blocks::floatWord (upload, i);
                note = "spectrum " + std::to_string (uploadSpectrum) + " of " + std::to_string (values.size()) + " values kept";
                spectra[uploadSpectrum] = std::move (values);
            }
            else if (uploading == Upload::block && uploadWord == blocks::calibration)
            {
                note = "calibration file of " + std::to_string (upload.size()) + " bytes kept";
                calibration = std::move (upload);
            }
            else if (uploading == Upload::block)
            {
                note = "block " + std::to_string (uploadWord) + " of " + std::to_string (upload.size()) + " bytes waits for SA";
                staged[uploadWord] = std::move (upload);
            }

            uploading = Upload::none;
            upload.clear();
            return note;
        }

        if (blocks::isStartWord (word))
        {
            uploading = Upload::block;
            uploadWord = word;
            upload.clear();
        }

        return note;
    }

    if (blob.size() == 12 && blocks::wordAt (blob.data()) == blocks::spectrumHeader)
    {
        const auto number = (std::int32_t) blocks::wordAt (blob.data() + 4);
        uploading = number >= 1 && number <= 12 ? Upload::spectrum : Upload::none;
        uploadSpectrum = number;
        upload.clear();
        return note;
    }

    if (uploading == Upload::none)
        return note;

    if (upload.size() + blob.size() > blocks::maxBlockBytes)
    {
        uploading = Upload::none;
        upload.clear();
        return "upload past " + std::to_string (blocks::maxBlockBytes) + " bytes dropped";
    }

    upload.insert (upload.end(), blob.begin(), blob.end());
    return note;
}

bool UnitState::commitUploads()
{
    if (staged.empty())
        return false;

    const bool snapshot = staged.count (blocks::reg) != 0;

    for (auto& [word, data] : staged)
        blocks[word] = std::move (data);
    staged.clear();

    if (snapshot)
        settingsFromSnapshot();

    return true;
}

const std::vector<osc::Arg>* UnitState::find (const std::string& key) const
{
    const auto it = settings.find (key);
    return it == settings.end() ? nullptr : &it->second;
}

std::int32_t UnitState::intSetting (const std::string& key, std::size_t index, std::int32_t fallback) const
{
    const auto* args = find (key);
    if (args == nullptr || index >= args->size() || (*args)[index].type != 'i')
        return fallback;

    return (*args)[index].i;
}

float UnitState::floatSetting (const std::string& key, std::size_t index, float fallback) const
{
    const auto* args = find (key);
    if (args == nullptr || index >= args->size() || (*args)[index].type != 'f')
        return fallback;

    return (*args)[index].f;
}

std::vector<std::vector<float>> UnitState::measuredPointsDb() const
{
    std::vector<std::vector<float>> out;
    for (const auto& [number, values] : spectra)
    {
        if (number < 1 || number > 5)
            continue;

        std::vector<float> db;
        for (std::size_t i = 0; i < values.size() / 2 && i < (std::size_t) synth::spectrumPoints; ++i)
        {
            const auto level = 20.0f * std::log10 (std::abs (values[i])) + 90.0f;
            db.push_back (std::isfinite (level) ? std::clamp (level, -60.0f, 40.0f) : -60.0f);
        }
        db.resize ((std::size_t) synth::spectrumPoints, db.empty() ? 0.0f : db.back());
        out.push_back (std::move (db));
    }
    return out;
}

} // namespace unit
