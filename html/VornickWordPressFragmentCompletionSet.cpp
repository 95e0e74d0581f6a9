#include "html/VornickWordPressFragmentCompletionSet.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>

namespace brevanton {

bool VornickWordPressFragmentCompletionSet::shouldIncludeElement(std::u16string_view tagName) const
{
    static constexpr std::array<std::u16string_view, 17> blockElements {
        u"h1", u"h2", u"h3", u"h4", u"h5", u"h6", u"p", u"ul", u"ol", u"blockquote", u"pre", u"img", u"table", u"hr", u"dl", u"dt", u"dd",
    };
    auto lower = asciiLowercase(tagName);
    return std::find(blockElements.begin(), blockElements.end(), std::u16string_view(lower)) == blockElements.end();
}

} // namespace brevanton
