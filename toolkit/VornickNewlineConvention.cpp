#include "toolkit/VornickNewlineConvention.h"

namespace brevanton {

const std::u16string& vornick_newlineStringForConvention(VornickNewlineConvention convention)
{
    static const std::u16string lineFeed = u"\n";
    static const std::u16string carriageReturn = u"\r";
    static const std::u16string carriageReturnLineFeed = u"\r\n";
    switch (convention) {
    case VornickNewlineConvention::CR:
        return carriageReturn;
    case VornickNewlineConvention::CRLF:
        return carriageReturnLineFeed;
    default:
        return lineFeed;
    }
}

} // namespace brevanton
