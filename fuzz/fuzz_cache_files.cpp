// Any bytes as any cache file: every reader stays inside the data present.
#include "FuzzHome.h"
#include "link/CacheFiles.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    usePrivateHome();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const auto target = CacheFiles::path ("//fuzzed");
    if (! CacheFiles::writeBytes (target, data, size))
        return 0;

    const auto despoint = CacheFiles::readDespoint (target);
    if (despoint)
    {
        if (despoint->n < 0 || despoint->n > CacheFiles::maxDespoints
             || despoint->X.size() != (std::size_t) despoint->n || despoint->Y.size() != (std::size_t) despoint->n)
            std::abort();
        const auto encoded = CacheFiles::encodeDespoint (*despoint);
        if (encoded.size() != 12 + 8 * (std::size_t) despoint->n)
            std::abort();
    }

    if (const auto spectrum = CacheFiles::readSpectrum (target))
        if (spectrum->values.size() != (std::size_t) CacheFiles::spectrumValues || size < 8 + 4 * 1400)
            std::abort();

    for (int count : { CacheFiles::regWords, CacheFiles::lmtWords, CacheFiles::crossWords })
        if (const auto words = CacheFiles::readWords (target, count); ! words || words->size() != (std::size_t) count)
            std::abort();

    if (const auto all = CacheFiles::readAllWords (target); ! all || all->size() != size / 4)
        std::abort();

    return 0;
}
