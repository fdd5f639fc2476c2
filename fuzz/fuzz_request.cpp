#include "fuzzchecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzchecks::helperRequest(data, size);
    return 0;
}
