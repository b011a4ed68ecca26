#include "UnitState.h"

namespace unit
{

namespace
{
    constexpr std::uint32_t closingWords[] = { 85, 187 };

    std::uint32_t littleEndianWord (const std::vector<std::uint8_t>& b)
    {
        return std::uint32_t (b[0]) | (std::uint32_t (b[1]) << 8) | (std::uint32_t (b[2]) << 16) | (std::uint32_t (b[3]) << 24);
    }
}

UnitState::UnitState (std::string unitName) : name (std::move (unitName)) {}

std::string UnitState::keyFor (const std::string& code, const std::vector<osc::Arg>& args)
{
    const bool indexed = code == "LV" || code == "MT" || code == "HI";

    if (indexed && ! args.empty() && args[0].type == 'i')
        return code + "/" + std::to_string (args[0].i);

    return code;
}

std::string UnitState::apply (const osc::Message& command)
{
    const auto code = command.code();
    if (code.empty())
        return {};

    std::vector<osc::Arg> args (command.args.begin() + 2, command.args.end());
    auto key = keyFor (code, args);

    if (code == "UN" && ! args.empty() && args[0].type == 's')
        name = args[0].s;

    settings[key] = std::move (args);
    return key;
}

void UnitState::applyBlock (const std::vector<std::uint8_t>& blob)
{
    if (blob.size() == 4)
    {
        const auto word = littleEndianWord (blob);

        for (auto closing : closingWords)
        {
            if (word == closing)
            {
                if (uploading)
                    blocks[uploadWord] = std::move (upload);

                uploading = false;
                upload.clear();
                return;
            }
        }

        uploading = true;
        uploadWord = word;
        upload.clear();
        return;
    }

    if (uploading)
        upload.insert (upload.end(), blob.begin(), blob.end());
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

} // namespace unit
