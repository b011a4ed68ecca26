#include "support/PrivateMount.h"

#include <sched.h>
#include <sys/mount.h>

#include <cstdio>
#include <vector>

namespace PrivateMount
{

namespace
{
    bool enterPrivateMountNamespace()
    {
        static const bool entered = [] {
            return unshare (CLONE_NEWNS) == 0
                && mount (nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        }();
        return entered;
    }
}

bool mountSmallDisk (const juce::File& folder, const char* size)
{
    if (! enterPrivateMountNamespace() || ! folder.createDirectory().wasOk())
        return false;

    const auto options = juce::String ("size=") + size;
    return mount ("tmpfs", folder.getFullPathName().toRawUTF8(), "tmpfs", 0, options.toRawUTF8()) == 0;
}

bool makeReadOnly (const juce::File& folder)
{
    if (! enterPrivateMountNamespace() || ! folder.createDirectory().wasOk())
        return false;

    const auto path = folder.getFullPathName().toRawUTF8();
    return mount (path, path, nullptr, MS_BIND, nullptr) == 0
        && mount (nullptr, path, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

void fillDisk (const juce::File& folder)
{
    auto* f = std::fopen (folder.getChildFile ("filler").getFullPathName().toRawUTF8(), "wb");
    if (f == nullptr)
        return;

    std::vector<char> chunk (4096, 'x');
    for (int i = 0; i < 1 << 20; ++i)
        if (std::fwrite (chunk.data(), 1, chunk.size(), f) != chunk.size() || std::fflush (f) != 0)
            break;
    std::fclose (f);
}

}
