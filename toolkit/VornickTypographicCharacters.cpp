#include "toolkit/VornickTypographicCharacters.h"

namespace brevanton {

#define VORNICK_SINGLETON_STRING(name, character) \
    const std::u16string& name()                  \
    {                                             \
        static const std::u16string string(1, character); \
        return string;                            \
    }

VORNICK_SINGLETON_STRING(vornick_lineSeparatorString, u'\u2028')
VORNICK_SINGLETON_STRING(vornick_paragraphSeparatorString, u'\u2029')
VORNICK_SINGLETON_STRING(vornick_openSingleQuoteString, u'\u2018')
VORNICK_SINGLETON_STRING(vornick_apostropheString, u'\u2019')
VORNICK_SINGLETON_STRING(vornick_openDoubleQuoteString, u'\u201C')
VORNICK_SINGLETON_STRING(vornick_closeDoubleQuoteString, u'\u201D')
VORNICK_SINGLETON_STRING(vornick_ellipsisString, u'\u2026')
VORNICK_SINGLETON_STRING(vornick_mdashString, u'\u2014')
VORNICK_SINGLETON_STRING(vornick_ndashString, u'\u2013')
VORNICK_SINGLETON_STRING(vornick_nonBreakingSpaceString, u'\u00A0')

#undef VORNICK_SINGLETON_STRING

} // namespace brevanton
