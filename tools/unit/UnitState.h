#pragma once

#include "OscCodec.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace unit
{

// Everything the unit has been told. Every coded command's arguments are kept
// under a key: its code letters, and for the commands that address one of
// several channels ("LV" band, "MT" channel, "HI" output pair) the code
// letters, a slash and that channel ("LV/3"). Data blocks are kept by their
// start word once their closing word has arrived.
class UnitState
{
public:
    explicit UnitState (std::string unitName);

    // Returns the key the command was stored under, or "" if it was not a
    // coded command (blob-only messages go to applyBlock).
    std::string apply (const osc::Message& command);
    void applyBlock (const std::vector<std::uint8_t>& blob);

    // The arguments after the code letters of the last command stored under
    // key, or nullptr if none has arrived.
    const std::vector<osc::Arg>* find (const std::string& key) const;

    // Argument `index` (0 = first after the code letters) of the last command
    // under key, or fallback when there is none or it has another type.
    std::int32_t intSetting (const std::string& key, std::size_t index, std::int32_t fallback) const;
    float floatSetting (const std::string& key, std::size_t index, float fallback) const;

    std::string name;
    std::string version = "2406100";

    // Completed uploads, by start word, in order of arrival.
    std::map<std::uint32_t, std::vector<std::uint8_t>> blocks;

private:
    static std::string keyFor (const std::string& code, const std::vector<osc::Arg>& args);

    std::map<std::string, std::vector<osc::Arg>> settings;

    bool uploading = false;
    std::uint32_t uploadWord = 0;
    std::vector<std::uint8_t> upload;
};

} // namespace unit
