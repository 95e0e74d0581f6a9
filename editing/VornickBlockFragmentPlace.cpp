#include "editing/VornickBlockFragmentPlace.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickFragmentExtensions.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

VornickBlockFragmentPlace VornickFindBlockFragmentPlace(const VornickBlockModeHelper& helper, DOMDocumentFragment& fragment,
                                                        const VornickDOMPosition& caret, const DOMElement* limit)
{
    const auto& spec = helper.htmlSpec();
    if (!caret.node || !spec)
        return {};
    std::shared_ptr<DOMElement> targetElement;
    vornick_modifyFragmentForInsertionAt(fragment, caret, targetElement);
    if (!targetElement || spec->mayInsertFragment(fragment, caret, nullptr))
        return {};

    // The nearest block up the way that may hold the fragment (an inline
    // element such as a link may hold blocks only where its parent may), and
    // its child on the way, which is stepped out of.
    std::shared_ptr<DOMElement> stepped = targetElement;
    for (;;) {
        if (stepped.get() == limit)
            return {};
        auto parent = dynamicDowncast<DOMElement>(stepped->parentNode());
        if (!parent)
            return {};
        auto tag = asciiLowercase(parent->tagName());
        if (!spec->isUsuallyInlineElement(tag) && spec->mayInsertFragment(fragment, VornickMakeDOMPosition(parent, 0), nullptr))
            break;
        stepped = parent;
    }

    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*stepped);
    bool atStart = VornickPositionIsAtStartOfElementIgnoringWhitespace(caret, *stepped, substitute);
    bool atEnd = VornickPositionIsAtEndOfElementIgnoringWhitespace(caret, *stepped, substitute);
    auto kind = atStart && atEnd ? VornickBlockFragmentPlaceKind::ReplacingElement
        : atStart                ? VornickBlockFragmentPlaceKind::BeforeElement
        : atEnd                  ? VornickBlockFragmentPlaceKind::AfterElement
                                 : VornickBlockFragmentPlaceKind::SplittingElement;
    return { kind, std::move(stepped) };
}

} // namespace brevanton
