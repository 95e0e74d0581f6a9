#include "html/VornickListContentAdvisories.h"

#include "html/VornickDOMToNSRangeMap.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickWhitespaceFilter.h"

#include <algorithm>

namespace brevanton {

namespace {

bool isList(const DOMNode& node)
{
    if (!node.isElementNode())
        return false;
    const auto& tag = downcast<DOMElement>(node).tagName();
    return equalsIgnoringASCIICase(tag, u"ul") || equalsIgnoringASCIICase(tag, u"ol");
}

bool mayStandInList(const DOMNode& node)
{
    if (node.isElementNode()) {
        const auto& tag = downcast<DOMElement>(node).tagName();
        return equalsIgnoringASCIICase(tag, u"li") || equalsIgnoringASCIICase(tag, u"script") || equalsIgnoringASCIICase(tag, u"template");
    }
    if (node.isTextNode())
        return vornick_containsOnlyHTMLWhitespace(downcast<DOMCharacterData>(node).data());
    return true;
}

} // namespace

std::vector<VornickValidationAdvisory> VornickListContentAdvisories(DOMDocument& document, const VornickDOMToNSRangeMap& map,
                                                                    const std::u16string& source)
{
    std::vector<VornickValidationAdvisory> advisories;
    for (DOMNode* node = document.first(); node; node = node->traverseNext()) {
        if (!isList(*node))
            continue;
        for (DOMNode* child = node->first(); child; child = child->next()) {
            if (mayStandInList(*child))
                continue;
            auto range = document.createRange();
            range->selectNode(*child);
            auto found = map.rangeForDOMRange(*range, &source);
            if (found.isNotFound() || found.location > source.size())
                continue;
            auto before = std::u16string_view(source).substr(0, found.location);
            auto line = static_cast<int64_t>(std::count(before.begin(), before.end(), u'\n')) + 1;
            auto lineStart = before.find_last_of(u'\n');
            auto column = static_cast<int64_t>(found.location - (lineStart == std::u16string_view::npos ? 0 : lineStart + 1)) + 1;
            advisories.emplace_back(VornickValidationAdvisoryKind::Warning, found.location, line, column, u"missing <li>", false);
        }
    }
    return advisories;
}

} // namespace brevanton
