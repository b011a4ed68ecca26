#include "link/CacheFiles.h"

namespace CacheFiles
{

juce::File getCacheDirectory()
{
    return juce::File::getSpecialLocation (juce::File::userMusicDirectory);
}

bool ensureCacheDirectory()
{
    const auto dir = getCacheDirectory();
    return dir.isDirectory() || dir.createDirectory().wasOk();
}

juce::String path (const char* name)
{
    return getCacheDirectory().getFullPathName() + name;
}

juce::String spectrumPath (int number)
{
    return getCacheDirectory().getFullPathName() + "//reveivefft" + juce::String (number) + ".bin";
}

}
