#include "dom/VornickTextNodeExtensions.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <cstdio>

namespace brevanton {

VornickSplitElementMap vornick_splitTextAtOffset(const std::shared_ptr<DOMText>& text, size_t offset,
                                                 const std::shared_ptr<DOMElement>& topElementToSplit)
{
    BREVANTON_ASSERT(topElementToSplit != nullptr,
                     "Invalid parameter not satisfying: topElementToSplit != nil (DOMText+VornickExtensions)");
    BREVANTON_ASSERT(vornick_hasAncestor(*text, topElementToSplit.get()),
                     "-vornick_splitTextAtOffset:andEnclosingElementsUpToAndIncluding: Specified element isn't an "
                     "ancestor of the receiver");
    VornickSplitElementMap map;
    if (offset > text->length())
        return map;
    DOMDocument* document = text->document();
    auto element = text->parentElement();
    BREVANTON_ASSERT(element != nullptr, "During split: elementToSplit is nil");

    auto tail = document->createRange();
    tail->setStart(text, static_cast<unsigned>(offset));
    tail->setEnd(element, element->childCount());
    vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*tail, element.get(), true);
    auto splitPoint = vornick_startPosition(*tail);

    while (true) {
        auto head = document->createRange();
        head->setStart(element, 0);
        head->setEnd(splitPoint.node, static_cast<unsigned>(splitPoint.offset));
        vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*head, element.get(), true);

        std::shared_ptr<DOMElement> newElement;
        if (!tail->collapsed() && !head->collapsed()) {
            auto contents = tail->extractContents();
            newElement = downcast<DOMElement>(element->cloneNode(false));
            newElement->appendChild(contents);
            element->parentNode()->insertBefore(newElement, element->nextSibling());
            map.emplace_back(element, newElement);
        }
        if (element == topElementToSplit)
            break;
        auto parent = element->parentElement();
        BREVANTON_ASSERT(parent != nullptr, "During split: containingNode is nil");
        // Unsplit, the element goes wholly to the side of the split point it
        // lies on: to the second part when the split point is at its start.
        bool wholeElementFollows = !newElement && head->collapsed() && !tail->collapsed();
        tail = document->createRange();
        if (newElement)
            tail->setStartBefore(*newElement);
        else if (wholeElementFollows)
            tail->setStartBefore(*element);
        else
            tail->setStartAfter(*element);
        tail->setEnd(parent, parent->childCount());
        vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*tail, parent.get(), true);
        splitPoint = vornick_startPosition(*tail);
        element = parent;
    }
    return map;
}

std::u16string vornick_textNodeDescription(const DOMText& text)
{
    std::u16string description;
    for (char16_t c : text.data()) {
        if (c == u'\n')
            description += u"\\n";
        else if (c == u' ')
            description += u'\u25AB';
        else
            description += c;
    }
    char address[32];
    std::snprintf(address, sizeof address, " (%p)", static_cast<const void*>(&text));
    return description + toUTF16(address);
}

bool vornick_hasPrefix(const DOMComment& comment, std::u16string_view prefix)
{
    std::u16string trimmed = vornick_stringByFilteringWhitespaceWithOptions(
        comment.data(), VornickWhitespaceFilteringTrimStart, vornick_nonBreakingSpaceSubstituteCharacter(comment),
        nullptr);
    return trimmed.starts_with(prefix);
}

} // namespace brevanton
