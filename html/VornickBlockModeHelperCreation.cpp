// Making content: block-delimited elements, pasted links, images, element
// transforms, and the blockifying of incoming fragments.
#include "html/VornickBlockModeHelper.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "html/VornickBlockModeHelperInternal.h"
#include "html/VornickHTMLPattern.h"
#include "html/VornickHTMLPatternReplacementRule.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickStringExtensions.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

using namespace BlockModeHelperDetail;

std::shared_ptr<DOMComment> VornickBlockModeHelper::createBlockStartCommentForElementKind(std::u16string_view kind, DOMDocument& document) const
{
    auto text = blockStartCommentTextForElementKind(kind);
    return text ? document.createComment(*text) : nullptr;
}

std::shared_ptr<DOMComment> VornickBlockModeHelper::createBlockEndCommentForElementKind(std::u16string_view kind, DOMDocument& document) const
{
    auto text = blockEndCommentTextForElementKind(kind);
    return text ? document.createComment(*text) : nullptr;
}

std::shared_ptr<DOMDocumentFragment> VornickBlockModeHelper::createFragmentWithCommentDelimitedElement(
    std::u16string_view tagName, DOMDocument& document, bool suppressing, std::shared_ptr<DOMElement>* returningElement) const
{
    return createFragmentWithCommentDelimitedElement(tagName, document, std::shared_ptr<DOMNode>(), suppressing, returningElement);
}

std::shared_ptr<DOMDocumentFragment> VornickBlockModeHelper::createFragmentWithCommentDelimitedElement(
    std::u16string_view tagName, DOMDocument& document, const std::shared_ptr<DOMNode>& content, bool suppressing,
    std::shared_ptr<DOMElement>* returningElement) const
{
    auto element = document.createElement(tagName);
    if (!element)
        return nullptr;
    addDefaultAttributesToNewBlockElement(*element);
    if (content)
        (void)element->appendChild(content);
    auto fragment = document.createDocumentFragment();
    bool delimited = operatingInBlockMode() && !suppressing;
    std::u16string kind = asciiLowercase(tagName);
    if (delimited) {
        if (auto start = createBlockStartCommentForElementKind(kind, document))
            (void)fragment->appendChild(start);
    }
    (void)fragment->appendChild(element);
    if (delimited) {
        if (auto end = createBlockEndCommentForElementKind(kind, document))
            (void)fragment->appendChild(end);
    }
    if (returningElement)
        *returningElement = element;
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> VornickBlockModeHelper::createFragmentWithCommentDelimitedElement(
    std::u16string_view tagName, DOMDocument& document, const std::u16string& text, bool suppressing,
    std::shared_ptr<DOMElement>* returningElement, std::shared_ptr<DOMText>* returningTextNode) const
{
    auto textNode = document.createTextNode(text);
    std::shared_ptr<DOMElement> element;
    auto fragment = createFragmentWithCommentDelimitedElement(tagName, document, textNode, suppressing, &element);
    if (returningElement)
        *returningElement = element;
    if (returningTextNode)
        *returningTextNode = element && element->firstChild() == textNode ? textNode : nullptr;
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> VornickBlockModeHelper::createFragmentForPasteOfURL(const URL& url, const std::u16string& title,
                                                                                        DOMDocument& document)
{
    return vornick_createDocumentFragmentWithALinkToURLString(document, url.absoluteString(), title);
}

std::shared_ptr<DOMDocumentFragment> VornickBlockModeHelper::createImageWithURL(const URL& url, DOMDocument& document,
                                                                                VornickBlockModeEditingContext* view,
                                                                                const DOMRange* toReplaceRange)
{
    auto image = document.createElement(u"img");
    if (!image)
        return nullptr;
    auto relative = vornick_relativeURLStringForReferencingTargetURL(document, &url).value_or(url.absoluteString());
    (void)image->setAttribute(u"src", relative);
    vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*image, true);
    auto fragment = document.createDocumentFragment();
    (void)fragment->appendChild(image);

    auto pixelSize = view ? view->pixelSizeOfMediaFile(url) : std::nullopt;
    if (!pixelSize)
        return fragment;
    auto [pixelsWide, pixelsHigh] = *pixelSize;
    // A name ending in "@2x.png" tells the scale; "@0x" tells none. Without
    // one, the width of the replaced element's box (a box of no width, as
    // before layout, gives 1).
    long scale = 1;
    size_t named = VornickScaleFactorFromFilename(url.lastPathComponent());
    if (named != VornickNotFound && named >= 1) {
        scale = static_cast<long>(named);
    } else if (toReplaceRange && view) {
        auto spanning = vornick_deepestElementThatSpansEntireRange(*toReplaceRange);
        double boxWidth = spanning ? view->boundingBoxWidthOfElement(*spanning) : 0;
        if (boxWidth > 0 && pixelsWide >= 1)
            scale = static_cast<long>(std::floor(std::max(std::min(double(pixelsWide) / boxWidth, 4.0), 1.0)));
    }
    auto decimal = [](double value) { return toUTF16(std::to_string(static_cast<long>(value))); };
    (void)image->setAttribute(u"srcset", relative + u" " + toUTF16(std::to_string(scale)) + u"x");
    (void)image->setAttribute(u"width", decimal(std::floor(double(pixelsWide) / double(scale) + 0.5)));
    (void)image->setAttribute(u"height", decimal(std::floor(double(pixelsHigh) / double(scale) + 0.5)));
    return fragment;
}

void VornickBlockModeHelper::transformChildElementsInFragment(DOMDocumentFragment& fragment, std::u16string_view ofKind,
                                                              std::u16string_view toKind, bool suppressing) const
{
    auto document = fragment.ownerDocument();
    if (!document)
        return;
    std::u16string kind = asciiLowercase(ofKind);
    std::vector<std::shared_ptr<DOMElement>> targets;
    for (DOMNode* child = fragment.first(); child; child = child->next()) {
        if (child->isElementNode() && lowercaseTagName(downcast<DOMElement>(*child)) == kind)
            targets.push_back(downcast<DOMElement>(child->shared_from_this()));
    }
    for (auto it = targets.rbegin(); it != targets.rend(); ++it) {
        auto& old = *it;
        auto contents = document->createDocumentFragment();
        while (auto child = old->firstChild())
            (void)contents->appendChild(child);
        auto replacement = createFragmentWithCommentDelimitedElement(toKind, *document, contents, suppressing, nullptr);
        if (!replacement)
            continue;
        if (auto start = blockStartCommentBeforeNode(*old))
            start->remove();
        if (auto end = blockEndCommentAfterNode(*old))
            end->remove();
        (void)fragment.replaceChild(replacement, old.get());
    }
}

std::shared_ptr<DOMDocumentFragment> VornickBlockModeHelper::wrapFragment(DOMDocumentFragment& fragment, std::u16string_view kind,
                                                                          const DOMElement* sameAttributesAs) const
{
    auto document = fragment.ownerDocument();
    if (!document)
        return nullptr;
    std::shared_ptr<DOMElement> element;
    auto wrapped = createFragmentWithCommentDelimitedElement(kind, *document, false, &element);
    if (!wrapped)
        return nullptr;
    while (auto child = fragment.firstChild())
        (void)element->appendChild(child);
    if (sameAttributesAs)
        vornick_copyAttributesFromElement(*element, *sameAttributesAs);
    return wrapped;
}

void VornickBlockModeHelper::addReplacementRule(std::shared_ptr<const VornickHTMLPatternReplacementRule> rule)
{
    if (!rule)
        return;
    if (!m_replacementRuleTable)
        m_replacementRuleTable = std::make_unique<VornickHTMLPatternReplacementRuleTable>();
    m_replacementRuleTable->addRule(std::move(rule));
}

void VornickBlockModeHelper::addReplacementRuleWithPatternString(
    const std::u16string& patternString, std::vector<std::shared_ptr<const VornickHTMLPatternReplacementRuleAction>> actions)
{
    auto pattern = VornickHTMLPattern::patternWithHTMLPatternString(patternString);
    if (!pattern || !pattern->rootElementKind())
        return;
    addReplacementRule(VornickHTMLPatternReplacementRule::ruleWithPattern(pattern, std::move(actions)));
}

void VornickBlockModeHelper::blockifyFragment(DOMDocumentFragment& fragment)
{
    if (!operatingInBlockMode())
        return;
    auto document = fragment.ownerDocument();
    if (!document)
        return;
    if (!m_replacementRuleTable && fragment.hasChildNodes()) {
        m_replacementRuleTable = std::make_unique<VornickHTMLPatternReplacementRuleTable>();
        buildReplacementRuleTable();
    }
    std::vector<std::shared_ptr<DOMElement>> elements;
    for (DOMNode* child = fragment.first(); child; child = child->next()) {
        if (child->isElementNode())
            elements.push_back(downcast<DOMElement>(child->shared_from_this()));
    }
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
        auto& element = *it;
        if (element->parentNode().get() != &fragment)
            continue;
        if (blockStartCommentBeforeNode(*element) || blockEndCommentAfterNode(*element))
            continue;
        if (m_replacementRuleTable && m_replacementRuleTable->applyFirstMatchingReplacementRuleToElementSubtree(*element))
            continue;
        auto kind = lowercaseTagName(*element);
        auto start = createBlockStartCommentForElementKind(kind, *document);
        auto end = createBlockEndCommentForElementKind(kind, *document);
        if (!start || !end)
            continue;
        (void)fragment.insertBefore(start, element.get());
        (void)fragment.insertBefore(end, element->next());
    }
}

void VornickBlockModeHelper::addBlockTransform(VornickBlockTransform transform)
{
    if (!m_blockTransformsByFromType)
        m_blockTransformsByFromType = std::make_unique<std::map<std::u16string, std::map<std::u16string, VornickBlockTransform>>>();
    auto& byTo = (*m_blockTransformsByFromType)[transform.fromBlockType()];
    byTo.insert_or_assign(transform.toBlockType(), transform);
}

std::optional<VornickBlockTransform> VornickBlockModeHelper::transformFromBlockType(std::u16string_view from, std::u16string_view to)
{
    if (!m_blockTransformsByFromType) {
        m_blockTransformsByFromType = std::make_unique<std::map<std::u16string, std::map<std::u16string, VornickBlockTransform>>>();
        buildBlockTransformTable();
    }
    auto byFrom = m_blockTransformsByFromType->find(std::u16string(from));
    if (byFrom == m_blockTransformsByFromType->end())
        return std::nullopt;
    auto found = byFrom->second.find(std::u16string(to));
    if (found == byFrom->second.end())
        return std::nullopt;
    return found->second;
}

std::vector<VornickBlockTransform> VornickBlockModeHelper::transformsFromBlockType(std::u16string_view from)
{
    // Builds the table on first use.
    (void)transformFromBlockType(from, u"");
    std::vector<VornickBlockTransform> transforms;
    auto byFrom = m_blockTransformsByFromType->find(std::u16string(from));
    if (byFrom == m_blockTransformsByFromType->end())
        return transforms;
    for (const auto& [to, transform] : byFrom->second)
        transforms.push_back(transform);
    return transforms;
}

} // namespace brevanton
