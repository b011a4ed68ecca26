// A run of blobs into the data stream: the input is split into pieces by a
// one-byte length selector, so starts, headers, data and closings all occur.
#include "FuzzHome.h"
#include "link/DataStream.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    usePrivateHome();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    DataStream stream;
    std::size_t pos = 0;
    while (pos < size)
    {
        static constexpr std::size_t lengths[] = { 4, 12, 4, 12, 0, 1, 7, 256, 1024, 4, 12, 3 };
        const auto selector = data[pos++];
        auto length = lengths[selector % (sizeof (lengths) / sizeof (lengths[0]))];
        length = std::min (length, size - pos);
        stream.handleBlob (data + pos, length);
        pos += length;
    }
    return 0;
}
