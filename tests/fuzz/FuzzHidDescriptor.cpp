// Feeds arbitrary bytes to the HID report-descriptor parser and checks what
// it promises for any input: lengths within the report limit, collections
// within their cap, and an error offset inside the descriptor.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "device/HidReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const HidDescriptorInfo info = ParseHidReportDescriptor(std::span<const uint8_t>(pData, nSize));
    if (info.collections.size() > kHidMaxTopCollections) std::abort();
    if (!info.Ok() && info.nErrorOffset > nSize) std::abort();
    for (const HidTopCollection& c : info.collections) {
        for (int nLen : {c.nInputLen, c.nOutputLen, c.nFeatureLen})
            if (nLen < 0 || uint64_t(nLen) > kHidMaxReportBytes + 1) std::abort();
        if (c.nReportId < 0 || c.nReportId > 255) std::abort();
        (void)c.AllReportIds();
    }
    return 0;
}
