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

VornickNewlineConvention vornick_newlineConventionOfText(std::u16string_view text)
{
    size_t at = text.find_first_of(u"\r\n");
    if (at == std::u16string_view::npos)
        return VornickNewlineConvention::Unknown;
    if (text[at] == u'\n')
        return VornickNewlineConvention::LF;
    return at + 1 < text.size() && text[at + 1] == u'\n' ? VornickNewlineConvention::CRLF : VornickNewlineConvention::CR;
}

} // namespace brevanton
