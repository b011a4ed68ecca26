#pragma once

#include <juce_core/juce_core.h>

// Disk faults for tests: mounts inside a private mount namespace of the test
// process (root only), so nothing outside the process sees them. Each
// returns false where the machine does not allow it; the test then skips.
namespace PrivateMount
{
    // A tmpfs of the given size ("64k") over the folder.
    bool mountSmallDisk (const juce::File& folder, const char* size);

    // The folder, read-only even for root.
    bool makeReadOnly (const juce::File& folder);

    // Writes a file until the disk is full.
    void fillDisk (const juce::File& folder);
}
