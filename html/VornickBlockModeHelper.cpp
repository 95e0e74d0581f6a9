#include "html/VornickBlockModeHelper.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "html/VornickBlockModeHelperInternal.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLPatternReplacementRule.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickRange.h"
#include "toolkit/VornickWhitespaceFilter.h"

namespace brevanton {

namespace BlockModeHelperDetail {

bool isWhitespaceOnlyText(const DOMNode* node)
{
    if (!node || node->nodeType() != DOMNode::TEXT_NODE)
        return false;
    auto& text = downcast<DOMCharacterData>(*node).data();
    return vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(
        text, vornick_nonBreakingSpaceSubstituteCharacter(*node));
}

std::u16string trimmedCommentText(const DOMComment& comment)
{
    return vornick_stringByFilteringWhitespaceWithOptions(comment.data(), VornickWhitespaceFilteringTrimStart | VornickWhitespaceFilteringTrimEnd,
                                                          0, nullptr);
}

std::u16string_view trimmedCommentTextView(const DOMComment& comment)
{
    std::u16string_view data = comment.data();
    while (!data.empty() && isHTMLWhitespace(data.front()))
        data.remove_prefix(1);
    while (!data.empty() && isHTMLWhitespace(data.back()))
        data.remove_suffix(1);
    return data;
}

bool isCommentWithPrefix(const DOMNode* node, const std::optional<std::u16string>& prefix)
{
    if (!prefix || !node || node->nodeType() != DOMNode::COMMENT_NODE)
        return false;
    return trimmedCommentTextView(downcast<DOMComment>(*node)).starts_with(*prefix);
}

std::optional<std::u16string> blockTypeOfStartComment(const DOMComment& comment)
{
    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(comment.data());
    if (!metadata)
        return std::nullopt;
    return metadata->typeName();
}

std::u16string lowercaseTagName(const DOMElement& element)
{
    return asciiLowercase(element.tagName());
}

} // namespace BlockModeHelperDetail

using namespace BlockModeHelperDetail;

VornickBlockModeHelper::VornickBlockModeHelper() = default;
VornickBlockModeHelper::~VornickBlockModeHelper() = default;

// --- Hooks with no answer in the base helper.

std::shared_ptr<DOMDocumentFragment> VornickBlockModeHelper::createEmbedPlaceholderWithProperties(
    const Dictionary&, const std::u16string&, DOMDocument&)
{
    return nullptr;
}

std::shared_ptr<DOMDocumentFragment> VornickBlockModeHelper::createFragmentForEmbedWithURLString(const std::u16string&, DOMDocument&)
{
    return nullptr;
}

std::shared_ptr<const VornickFragmentDescription> VornickBlockModeHelper::fragmentDescriptionForBlockStartComment(const DOMComment&) const
{
    return nullptr;
}

std::shared_ptr<const VornickFragmentDescription> VornickBlockModeHelper::fragmentDescriptionForBlockType(
    std::u16string_view, const std::map<std::u16string, std::u16string>&) const
{
    return nullptr;
}

bool VornickBlockModeHelper::mayOfferElementInCompletionList(std::u16string_view, const DOMRange*) const
{
    return true;
}

bool VornickBlockModeHelper::mayOfferFragmentInCompletionList(const VornickFragmentDescription&, const DOMRange*, long) const
{
    return true;
}

VornickElementEditorKind VornickBlockModeHelper::elementEditorClassForElement(const DOMElement&) const
{
    return VornickElementEditorKind::ElementAttributes;
}

void VornickBlockModeHelper::getPathSegmentLabelsForElement(
    const DOMElement& element, const std::function<void(const std::u16string&, const std::u16string&)>& handler) const
{
    handler(lowercaseTagName(element), vornick_attributesLabelForPathSegment(element));
}

size_t VornickBlockModeHelper::insertionIndexForAttribute(std::u16string_view, const DOMElement& element) const
{
    return element.attributeCount();
}

bool VornickBlockModeHelper::useExplicitEmphasis() const
{
    return UserDefaults::standard().boolForKey(u"UseExplicitEmphasis");
}

char16_t VornickBlockModeHelper::substituteCharacterForNode(const DOMNode& node)
{
    return vornick_nonBreakingSpaceSubstituteCharacter(node);
}

// --- Finding blocks.

size_t VornickBlockModeHelper::indexOfBlockStartCommentBeforeNode(const DOMNode& node) const
{
    auto prefix = blockStartCommentPrefix();
    return prefix ? vornick_indexOfPreviousCommentWithPrefix(node, *prefix) : VornickNotFound;
}

std::shared_ptr<DOMComment> VornickBlockModeHelper::blockStartCommentBeforeNode(const DOMNode& node) const
{
    auto prefix = blockStartCommentPrefix();
    if (!prefix)
        return nullptr;
    return dynamicDowncast<DOMComment>(vornick_previousCommentWithPrefix(node, *prefix));
}

size_t VornickBlockModeHelper::indexOfBlockEndCommentAfterNode(const DOMNode& node) const
{
    auto prefix = blockEndCommentPrefix();
    return prefix ? vornick_indexOfNextCommentWithPrefix(node, *prefix) : VornickNotFound;
}

std::shared_ptr<DOMComment> VornickBlockModeHelper::blockEndCommentAfterNode(const DOMNode& node) const
{
    auto prefix = blockEndCommentPrefix();
    if (!prefix)
        return nullptr;
    return dynamicDowncast<DOMComment>(vornick_nextCommentWithPrefix(node, *prefix));
}

std::shared_ptr<DOMRange> VornickBlockModeHelper::outerRangeOfElementIncludingBlockStartAndEndComments(const DOMElement& element) const
{
    auto range = vornick_outerRange(element);
    if (!range)
        return nullptr;
    if (auto start = blockStartCommentBeforeNode(element))
        (void)range->setStartBefore(*start);
    if (auto end = blockEndCommentAfterNode(element))
        (void)range->setEndAfter(*end);
    return range;
}

void VornickBlockModeHelper::growRangeToIncludeBlockStartAndEndComments(DOMRange& range) const
{
    auto container = range.startContainer();
    if (!container || container != range.endContainer() || !container->isElementNode() || range.startOffset() >= range.endOffset())
        return;
    auto first = container->childAt(range.startOffset());
    auto last = container->childAt(range.endOffset() - 1);
    if (!first || !last)
        return;
    auto start = blockStartCommentBeforeNode(*first);
    auto end = blockEndCommentAfterNode(*last);
    if (start)
        (void)range.setStartBefore(*start);
    if (end)
        (void)range.setEndAfter(*end);
}

VornickExactSelection VornickBlockModeHelper::blockOrElement(const std::shared_ptr<DOMElement>& element) const
{
    if (!element)
        return VornickExactSelection(nullptr);
    return VornickExactSelection(element, blockStartCommentBeforeNode(*element), nullptr, blockEndCommentAfterNode(*element));
}

std::optional<VornickExactSelection> VornickBlockModeHelper::blockEnclosingNode(const std::shared_ptr<DOMNode>& node,
                                                                                const std::set<std::u16string>& types,
                                                                                bool allowNodeItself, bool outermost,
                                                                                const DOMElement* remainingWithin) const
{
    if (!node || !blockStartCommentPrefix())
        return std::nullopt;
    std::shared_ptr<DOMElement> element = allowNodeItself && node->isElementNode()
        ? downcast<DOMElement>(node)
        : node->parentElement();
    for (; element; element = element->parentElement()) {
        if (element.get() == remainingWithin)
            return std::nullopt;
        auto start = blockStartCommentBeforeNode(*element);
        if (!start)
            continue;
        if (!types.empty()) {
            auto type = blockTypeOfStartComment(*start);
            if (!type || !types.contains(*type))
                continue;
        }
        if (outermost) {
            if (auto parent = element->parentElement()) {
                if (auto outer = blockEnclosingNode(parent, types, true, true, remainingWithin))
                    return outer;
            }
        }
        auto end = blockEndCommentAfterNode(*element);
        if (!end)
            return std::nullopt;
        return VornickExactSelection(element, start, nullptr, end);
    }
    return std::nullopt;
}

std::optional<VornickExactSelection> VornickBlockModeHelper::blockEnclosingPosition(const VornickDOMPosition& position,
                                                                                    const std::set<std::u16string>& types,
                                                                                    bool outermost, const DOMElement* remainingWithin) const
{
    return blockEnclosingNode(position.node, types, true, outermost, remainingWithin);
}

std::optional<VornickExactSelection> VornickBlockModeHelper::exactSelectionFromRange(const DOMRange& range, bool expand) const
{
    auto container = range.startContainer();
    if (!container || container != range.endContainer())
        return std::nullopt;
    if (!container->isElementNode() && !container->isDocumentFragmentNode())
        return std::nullopt;
    unsigned index = range.startOffset();
    unsigned end = range.endOffset();
    if (index >= end)
        return std::nullopt;
    auto startPrefix = blockStartCommentPrefix();
    auto endPrefix = blockEndCommentPrefix();
    auto child = [&](unsigned at) { return at < container->childCount() ? container->childAt(at) : nullptr; };

    std::shared_ptr<DOMComment> start;
    DOMNode* candidate = child(index);
    if (startPrefix && candidate && candidate->nodeType() == DOMNode::COMMENT_NODE) {
        if (index + 1 >= end || !isCommentWithPrefix(candidate, startPrefix))
            return std::nullopt;
        start = downcast<DOMComment>(candidate->shared_from_this());
        candidate = child(++index);
        if (candidate && candidate->nodeType() == DOMNode::TEXT_NODE && index + 1 < end) {
            if (!isWhitespaceOnlyText(candidate))
                return std::nullopt;
            candidate = child(++index);
        }
    }
    if (!candidate || !candidate->isElementNode())
        return std::nullopt;
    auto element = downcast<DOMElement>(candidate->shared_from_this());
    unsigned lastTaken = index;

    std::shared_ptr<DOMComment> endComment;
    if (start && index + 1 < end && endPrefix) {
        DOMNode* next = child(++index);
        if (next && next->nodeType() == DOMNode::TEXT_NODE) {
            if (!isWhitespaceOnlyText(next) || index + 1 >= end)
                return std::nullopt;
            next = child(++index);
        }
        if (!isCommentWithPrefix(next, endPrefix))
            return std::nullopt;
        endComment = downcast<DOMComment>(next->shared_from_this());
        lastTaken = index;
    }
    bool endFoundByLookUp = false;
    if (expand) {
        if (!start)
            start = blockStartCommentBeforeNode(*element);
        if (!endComment) {
            endComment = blockEndCommentAfterNode(*element);
            endFoundByLookUp = endComment != nullptr;
        }
    }
    unsigned limit = endFoundByLookUp ? endComment->index() : lastTaken + 1;
    if (end > limit)
        return std::nullopt;
    if (static_cast<bool>(start) != static_cast<bool>(endComment))
        return std::nullopt;
    return VornickExactSelection(element, start, nullptr, endComment);
}

std::optional<VornickExactSelection> VornickBlockModeHelper::nextBlockOrElementInDirection(int direction,
                                                                                           const std::shared_ptr<DOMNode>& startNode) const
{
    bool forward = direction >= 1;
    auto step = [forward](const std::shared_ptr<DOMNode>& node) { return forward ? node->nextSibling() : node->previousSibling(); };
    auto skipWhitespace = [&](std::shared_ptr<DOMNode> node) {
        while (node && isWhitespaceOnlyText(node.get()))
            node = step(node);
        return node;
    };
    auto nearPrefix = forward ? blockStartCommentPrefix() : blockEndCommentPrefix();
    auto farPrefix = forward ? blockEndCommentPrefix() : blockStartCommentPrefix();

    auto node = skipWhitespace(startNode);
    std::shared_ptr<DOMComment> nearComment;
    if (node && node->nodeType() == DOMNode::COMMENT_NODE) {
        if (!isCommentWithPrefix(node.get(), nearPrefix))
            return std::nullopt;
        nearComment = downcast<DOMComment>(node);
        node = skipWhitespace(step(node));
    }
    if (!node || !node->isElementNode())
        return std::nullopt;
    auto element = downcast<DOMElement>(node);
    std::shared_ptr<DOMComment> farComment;
    // Without delimiter prefixes comments are no block delimiters, and a
    // comment beyond the element does not hide it.
    if (farPrefix) {
        auto far = skipWhitespace(step(element));
        if (far && far->nodeType() == DOMNode::COMMENT_NODE) {
            if (!isCommentWithPrefix(far.get(), farPrefix))
                return std::nullopt;
            farComment = downcast<DOMComment>(far);
        }
    }
    if (forward)
        return VornickExactSelection(element, nearComment, nullptr, farComment);
    return VornickExactSelection(element, farComment, nullptr, nearComment);
}

void VornickBlockModeHelper::enumerateBlocksIntersectingRange(const DOMRange& range, unsigned options,
                                                              const IntersectingBlockHandler& handler) const
{
    if (!blockStartCommentPrefix())
        return;
    vornick_enumerateIntersectedElementsWithOptions(range, options, [&](const std::shared_ptr<DOMElement>& element, bool& stop) {
        auto start = blockStartCommentBeforeNode(*element);
        auto end = start ? blockEndCommentAfterNode(*element) : nullptr;
        if (start && end)
            handler(VornickExactSelection(element, start, nullptr, end), stop);
    });
}

// --- Brick tags.

// In tree order without recursion; an embed's content is left as it is.
static void addBrickTags(DOMNode& root)
{
    for (DOMNode* node = &root; node;) {
        auto* element = dynamicDowncast<DOMElement>(node);
        if (element && vornick_isBrickElement(*element))
            vornick_addClass(*element, u"brevanton-brick");
        if (element && vornick_hasClass(*element, u"wp-block-embed"))
            node = node->traverseNextSkippingChildren(&root);
        else
            node = node->traverseNext(&root);
    }
}

void VornickBlockModeHelper::recursiveAddBrickTags(DOMNode& node) const
{
    addBrickTags(node);
}

void VornickBlockModeHelper::recursiveRemoveBrickTags(DOMNode& node) const
{
    (void)vornick_enumerateElementTreeWithOptions(node.shared_from_this(), 0, [this](const std::shared_ptr<DOMElement>& element, bool&) {
        auto value = classAttributeValueWithoutBrickTags(*element);
        if (value && value->empty())
            element->removeAttribute(u"class");
        else if (value)
            element->setAttribute(u"class", *value);
    });
}

std::optional<std::u16string> VornickBlockModeHelper::classAttributeValueWithoutBrickTags(const DOMElement& element) const
{
    static constexpr std::u16string_view brickClasses[] = { u"brevanton-brick", u"brevanton-collapsed" };
    if (!vornick_hasClass(element, brickClasses[0]) && !vornick_hasClass(element, brickClasses[1]))
        return std::nullopt;
    std::u16string value;
    for (auto& token : vornick_classNamesArray(element)) {
        if (token == brickClasses[0] || token == brickClasses[1])
            continue;
        if (!value.empty())
            value += u' ';
        value += token;
    }
    return value;
}

} // namespace brevanton
