#pragma once

#include "link/CacheFiles.h"

#include <cstdlib>
#include <unistd.h>

// Every fuzz target writes its cache files into a Music folder of a home
// folder of its own, never the user's.
inline void usePrivateHome()
{
    static char home[] = "/tmp/veld72-fuzz-home-XXXXXX";
    if (mkdtemp (home) == nullptr)
        std::abort();
    setenv ("HOME", home, 1);
    CacheFiles::ensureCacheDirectory();
}
