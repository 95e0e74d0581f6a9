#include "toolkit/VornickNewlineConvention.h"

namespace brevanton {

const std::u16string& vornick_newlineStringForConvention(int32_t convention)
{
    static const std::u16string lineFeed = u"\n";
    static const std::u16string carriageReturn = u"\r";
    static const std::u16string carriageReturnLineFeed = u"\r\n";
    switch (convention) {
    case VornickNewlineConventionCR:
        return carriageReturn;
    case VornickNewlineConventionCRLF:
        return carriageReturnLineFeed;
    default:
        return lineFeed;
    }
}

} // namespace brevanton
