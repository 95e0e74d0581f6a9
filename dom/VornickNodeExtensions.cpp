#include "dom/VornickNodeExtensions.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickDocumentResourceReferences.h"
#include "dom/VornickElementExtensions.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickStringExtensions.h"
#include "toolkit/VornickStringScanning.h"
#include "dom/VornickTextNodeExtensions.h"
#include "toolkit/VornickURLExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <algorithm>
#include <cstdio>

namespace brevanton {

#define VORNICK_NODE_ASSERT(condition, text) \
    BREVANTON_ASSERT(condition, "Invalid parameter not satisfying: " text " (DOMNode+VornickExtensions)")

namespace {

std::vector<std::shared_ptr<DOMNode>> childSnapshot(const DOMNode& node)
{
    std::vector<std::shared_ptr<DOMNode>> children;
    for (DOMNode* child = node.first(); child; child = child->next())
        children.push_back(child->shared_from_this());
    return children;
}

// Pre-order walk over child snapshots (a node's taken once it was visited);
// reversed, the children go last to first and each node after them. `visit`
// is called for every node. The walk keeps its own stack of snapshots: a page
// may nest deeper than recursion could go.
bool walkTree(const std::shared_ptr<DOMNode>& root, bool reverse, const VornickNodeEnumerationBlock& visit, bool& stop)
{
    struct Level {
        std::shared_ptr<DOMNode> node;
        std::vector<std::shared_ptr<DOMNode>> children;
        size_t next { 0 };
    };
    std::vector<Level> levels;
    auto enter = [&](const std::shared_ptr<DOMNode>& node) {
        if (!reverse) {
            visit(node, stop);
            if (stop)
                return false;
        }
        auto children = childSnapshot(*node);
        if (reverse)
            std::reverse(children.begin(), children.end());
        levels.push_back({ node, std::move(children) });
        return true;
    };
    if (!enter(root))
        return false;
    while (!levels.empty()) {
        if (auto& level = levels.back(); level.next < level.children.size()) {
            auto child = level.children[level.next++];
            if (!enter(child))
                return false;
            continue;
        }
        auto node = std::move(levels.back().node);
        levels.pop_back();
        if (reverse) {
            visit(node, stop);
            if (stop)
                return false;
        }
    }
    return true;
}

const std::u16string& characterData(const DOMNode& node)
{
    return downcast<DOMCharacterData>(node).data();
}

bool isWhitespaceOnlyTextWithSubstitute(const DOMNode& node, char16_t substitute)
{
    return node.isTextNode()
        && vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(characterData(node), substitute);
}

bool isWhitespaceOnlyText(const DOMNode& node)
{
    return node.isTextNode() && vornick_containsOnlyHTMLWhitespace(characterData(node));
}

bool isCommentWithPrefix(const DOMNode& node, std::u16string_view prefix)
{
    return node.nodeType() == DOMNode::COMMENT_NODE && vornick_hasPrefix(downcast<DOMComment>(node), prefix);
}

// The index of the nearest sibling in the direction of `step` that is a
// comment with the prefix, past other comments and whitespace-only text.
size_t indexOfSiblingCommentWithPrefix(const DOMNode& node, std::u16string_view prefix, DOMNode* (DOMNode::*step)() const)
{
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(node);
    for (DOMNode* sibling = (node.*step)(); sibling; sibling = (sibling->*step)()) {
        if (isCommentWithPrefix(*sibling, prefix))
            return sibling->index();
        if (sibling->nodeType() == DOMNode::COMMENT_NODE || isWhitespaceOnlyTextWithSubstitute(*sibling, substitute))
            continue;
        break;
    }
    return VornickNotFound;
}

} // namespace

bool vornick_enumerateNodeTreeWithOptions(const std::shared_ptr<DOMNode>& node, unsigned options,
                                          const VornickNodeEnumerationBlock& block)
{
    bool stop = false;
    return walkTree(node, options & VornickEnumerationReverse, block, stop);
}

bool vornick_enumerateElementTreeWithOptions(const std::shared_ptr<DOMNode>& node, unsigned options,
                                             const VornickElementEnumerationBlock& block)
{
    bool stop = false;
    return walkTree(node, options & VornickEnumerationReverse,
                    [&](const std::shared_ptr<DOMNode>& visited, bool& stopFlag) {
                        if (visited->isElementNode())
                            block(downcast<DOMElement>(visited), stopFlag);
                    },
                    stop);
}

bool vornick_enumerateTextTreeWithOptions(const std::shared_ptr<DOMNode>& node, unsigned options,
                                          const VornickTextEnumerationBlock& block)
{
    bool stop = false;
    return walkTree(node, options & VornickEnumerationReverse,
                    [&](const std::shared_ptr<DOMNode>& visited, bool& stopFlag) {
                        if (visited->nodeType() == DOMNode::TEXT_NODE)
                            block(downcast<DOMText>(visited), stopFlag);
                    },
                    stop);
}

bool vornick_enumerateNodePathDownToDescendant(
    const std::shared_ptr<DOMNode>& node, const std::shared_ptr<DOMNode>& descendant,
    const std::function<void(const std::shared_ptr<DOMNode>&, size_t, size_t, bool&)>& block)
{
    VORNICK_NODE_ASSERT(descendant != nullptr, "descendant");
    std::vector<std::shared_ptr<DOMNode>> path;
    for (DOMNode* current = descendant.get(); current; current = current->parent()) {
        path.push_back(current->shared_from_this());
        if (current == node.get())
            break;
    }
    if (path.back() != node)
        return false;
    size_t descendantDepth = path.size() - 1;
    bool stop = false;
    for (size_t depth = 0; depth < path.size(); ++depth) {
        block(path[path.size() - 1 - depth], depth, descendantDepth, stop);
        if (stop)
            return false;
    }
    return true;
}

std::set<std::u16string> vornick_elementsUsedInTree(const std::shared_ptr<DOMNode>& node)
{
    std::set<std::u16string> names;
    for (DOMNode* current = node.get(); current; current = current->traverseNext(node.get())) {
        if (auto* element = toElement(current))
            names.insert(asciiLowercase(element->tagName()));
    }
    return names;
}

char16_t vornick_firstCharacterInStringNotUsedInTree(const std::shared_ptr<DOMNode>& node,
                                                     std::u16string_view candidates)
{
    if (candidates.empty())
        return 0;
    // One pass over each text; most characters fall outside the candidates' span.
    auto [lowest, highest] = std::minmax_element(candidates.begin(), candidates.end());
    char16_t low = *lowest, high = *highest;
    std::vector<bool> seen(candidates.size(), false);
    size_t seenCount = 0;
    for (DOMNode* current = node.get(); current && seenCount < candidates.size();
         current = current->traverseNext(node.get())) {
        if (current->nodeType() != DOMNode::TEXT_NODE)
            continue;
        for (char16_t c : characterData(*current)) {
            if (c < low || c > high)
                continue;
            for (size_t i = 0; i < candidates.size(); ++i) {
                if (candidates[i] == c && !seen[i]) {
                    seen[i] = true;
                    ++seenCount;
                }
            }
        }
    }
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (!seen[i])
            return candidates[i];
    }
    return 0;
}

void vornick_replaceOccurrencesOfCharacter(const std::shared_ptr<DOMNode>& node, char16_t character,
                                           char16_t replacement)
{
    // The texts holding the character are found first and changed after, so
    // that whatever a change sets off cannot derail the walk.
    std::vector<std::shared_ptr<DOMNode>> texts;
    for (DOMNode* current = node.get(); current; current = current->traverseNext(node.get())) {
        if (current->nodeType() == DOMNode::TEXT_NODE && characterData(*current).find(character) != std::u16string::npos)
            texts.push_back(current->shared_from_this());
    }
    for (const auto& text : texts) {
        std::u16string data = characterData(*text);
        std::replace(data.begin(), data.end(), character, replacement);
        downcast<DOMCharacterData>(*text).setData(data);
    }
}

std::vector<VornickExpressionOccurrence> vornick_findExpressionOccurrencesInTree(const std::shared_ptr<DOMNode>& node)
{
    std::vector<VornickExpressionOccurrence> occurrences;
    auto scan = [&](const std::shared_ptr<DOMNode>& owner, std::u16string_view text) {
        vornick_enumerateExpressionsWithOptions(text, 0, [&](VornickRange range, bool&) {
            occurrences.push_back({ owner, range });
        });
    };
    vornick_enumerateNodeTreeWithOptions(node, 0, [&](const std::shared_ptr<DOMNode>& visited, bool&) {
        switch (visited->nodeType()) {
        case DOMNode::TEXT_NODE:
        case DOMNode::CDATA_SECTION_NODE:
        case DOMNode::COMMENT_NODE:
            scan(visited, characterData(*visited));
            break;
        case DOMNode::ELEMENT_NODE: {
            auto element = downcast<DOMElement>(visited);
            for (unsigned i = 0; i < element->attributeCount(); ++i) {
                auto attribute = element->attributeNodeAt(i);
                scan(attribute, element->attributeList()[i].value);
            }
            break;
        }
        default:
            break;
        }
    });
    return occurrences;
}

bool vornick_hasAncestor(const DOMNode& node, const DOMNode* ancestor)
{
    if (!ancestor)
        return false;
    for (DOMNode* current = node.parent(); current; current = current->parent()) {
        if (current == ancestor)
            return true;
    }
    return false;
}

std::shared_ptr<DOMElement> vornick_nearestAncestorElementPassingTest(const DOMNode& node, const VornickElementTest& test)
{
    for (DOMNode* current = node.parent(); current; current = current->parent()) {
        if (auto* element = toElement(current); element && test(*element))
            return downcast<DOMElement>(element->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_nearestAncestorElementOfKind(const DOMNode& node, std::u16string_view tagName)
{
    return vornick_nearestAncestorElementPassingTest(
        node, [&](const DOMElement& element) { return equalsIgnoringASCIICase(element.tagName(), tagName); });
}

std::shared_ptr<DOMElement> vornick_farthestAncestorElementPassingTest(const DOMNode& node, const VornickElementTest& test)
{
    std::shared_ptr<DOMElement> farthest;
    for (DOMNode* current = node.parent(); current; current = current->parent()) {
        if (auto* element = toElement(current); element && test(*element))
            farthest = downcast<DOMElement>(element->shared_from_this());
    }
    return farthest;
}

std::shared_ptr<DOMElement> vornick_farthestAncestorElementOfKind(const DOMNode& node, std::u16string_view tagName)
{
    return vornick_farthestAncestorElementPassingTest(
        node, [&](const DOMElement& element) { return equalsIgnoringASCIICase(element.tagName(), tagName); });
}

std::shared_ptr<DOMNode> vornick_previousSiblingSkippingWhitespaceOnlyNodes(const DOMNode& node, bool skipWhitespace,
                                                                          bool skipComments)
{
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(node);
    for (DOMNode* sibling = node.previous(); sibling; sibling = sibling->previous()) {
        if (skipWhitespace && isWhitespaceOnlyTextWithSubstitute(*sibling, substitute))
            continue;
        if (skipComments && sibling->nodeType() == DOMNode::COMMENT_NODE)
            continue;
        return sibling->shared_from_this();
    }
    return nullptr;
}

std::shared_ptr<DOMNode> vornick_nextSiblingSkippingWhitespaceOnlyNodes(const DOMNode& node)
{
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(node);
    for (DOMNode* sibling = node.next(); sibling; sibling = sibling->next()) {
        if (!isWhitespaceOnlyTextWithSubstitute(*sibling, substitute))
            return sibling->shared_from_this();
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_previousSiblingElement(const DOMNode& node)
{
    for (DOMNode* sibling = node.previous(); sibling; sibling = sibling->previous()) {
        if (sibling->isElementNode())
            return downcast<DOMElement>(sibling->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_nextSiblingElement(const DOMNode& node)
{
    for (DOMNode* sibling = node.next(); sibling; sibling = sibling->next()) {
        if (sibling->isElementNode())
            return downcast<DOMElement>(sibling->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMNode> vornick_previousCommentWithPrefix(const DOMNode& node, std::u16string_view prefix)
{
    auto sibling = vornick_previousSiblingSkippingWhitespaceOnlyNodes(node, true, false);
    return sibling && isCommentWithPrefix(*sibling, prefix) ? sibling : nullptr;
}

std::shared_ptr<DOMNode> vornick_nextCommentWithPrefix(const DOMNode& node, std::u16string_view prefix)
{
    auto sibling = vornick_nextSiblingSkippingWhitespaceOnlyNodes(node);
    return sibling && isCommentWithPrefix(*sibling, prefix) ? sibling : nullptr;
}

size_t vornick_indexOfPreviousCommentWithPrefix(const DOMNode& node, std::u16string_view prefix)
{
    return indexOfSiblingCommentWithPrefix(node, prefix, &DOMNode::previous);
}

size_t vornick_indexOfNextCommentWithPrefix(const DOMNode& node, std::u16string_view prefix)
{
    return indexOfSiblingCommentWithPrefix(node, prefix, &DOMNode::next);
}

std::shared_ptr<DOMNode> vornick_startOfPrecedingWhitespaceRunExceptingCommentNodesWithPrefixes(
    const DOMNode& node, const std::vector<std::u16string>& prefixes)
{
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(node);
    std::shared_ptr<DOMNode> candidate;
    for (DOMNode* sibling = node.previous(); sibling; sibling = sibling->previous()) {
        if (isWhitespaceOnlyTextWithSubstitute(*sibling, substitute)) {
            candidate = sibling->shared_from_this();
            continue;
        }
        if (sibling->nodeType() == DOMNode::COMMENT_NODE) {
            std::u16string trimmed = vornick_stringByFilteringWhitespaceWithOptions(
                characterData(*sibling), VornickWhitespaceFilteringTrimStart, 0, nullptr);
            bool prefixed = false;
            for (const auto& prefix : prefixes)
                prefixed = prefixed || trimmed.starts_with(prefix);
            if (prefixed)
                break;
            candidate = sibling->shared_from_this();
            continue;
        }
        break;
    }
    return candidate;
}

std::shared_ptr<DOMElement> vornick_firstChildElementWithTag(const DOMNode& node, std::u16string_view tagName)
{
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (auto* element = toElement(child); element && equalsIgnoringASCIICase(element->tagName(), tagName))
            return downcast<DOMElement>(element->shared_from_this());
    }
    return nullptr;
}

namespace {

DOMElement* findElementWithTagName(DOMNode* node, std::u16string_view tagName, bool mustSpanEntireSubtree)
{
    if (auto* element = toElement(node); element && equalsIgnoringASCIICase(element->tagName(), tagName))
        return element;
    if (mustSpanEntireSubtree && node->childCount() != 1)
        return nullptr;
    for (DOMNode* child = node->first(); child; child = child->next()) {
        if (auto* found = findElementWithTagName(child, tagName, mustSpanEntireSubtree))
            return found;
    }
    return nullptr;
}

bool containsIgnoringCase(const std::vector<std::u16string>& list, std::u16string_view value)
{
    for (const auto& item : list) {
        if (compareIgnoringCase(item, value) == 0)
            return true;
    }
    return false;
}

} // namespace

std::shared_ptr<DOMElement> vornick_findElementWithTagName(const std::shared_ptr<DOMNode>& node,
                                                           std::u16string_view tagName, bool mustSpanEntireSubtree)
{
    auto* found = findElementWithTagName(node.get(), tagName, mustSpanEntireSubtree);
    return found ? downcast<DOMElement>(found->shared_from_this()) : nullptr;
}

std::vector<std::shared_ptr<DOMElement>> vornick_findElementsWithId(const std::shared_ptr<DOMNode>& node,
                                                                    std::u16string_view identifier,
                                                                    const DOMElement* excluding)
{
    std::vector<std::shared_ptr<DOMElement>> found;
    for (DOMNode* current = node.get(); current; current = current->traverseNext(node.get())) {
        auto* element = toElement(current);
        if (element && element != excluding) {
            const std::u16string* value = element->attributeValue(u"id");
            if (value && compareIgnoringCase(*value, identifier) == 0)
                found.push_back(downcast<DOMElement>(element->shared_from_this()));
        }
    }
    return found;
}

std::vector<std::shared_ptr<DOMElement>> vornick_findElementsWithStringValues(
    const std::shared_ptr<DOMNode>& node, const std::vector<std::u16string>& values,
    const std::vector<std::u16string>& omittedValues, std::u16string_view attributeName)
{
    std::vector<std::shared_ptr<DOMElement>> found;
    for (DOMNode* current = node.get(); current; current = current->traverseNext(node.get())) {
        auto* element = toElement(current);
        if (!element)
            continue;
        const std::u16string* value = element->attributeValue(attributeName);
        if (!value)
            continue;
        auto tokens = vornick_spaceSeparatedTokens(*value);
        if (tokens.size() < values.size())
            continue;
        bool matches = true;
        for (const auto& required : values)
            matches = matches && containsIgnoringCase(tokens, required);
        for (const auto& omitted : omittedValues)
            matches = matches && !containsIgnoringCase(tokens, omitted);
        if (matches)
            found.push_back(downcast<DOMElement>(element->shared_from_this()));
    }
    return found;
}

std::shared_ptr<DOMRange> vornick_findRunOfSiblingElementsWithStringValues(
    const std::shared_ptr<DOMNode>& node, const std::vector<std::u16string>& values,
    const std::vector<std::u16string>& omittedValues, std::u16string_view attributeName)
{
    auto found = vornick_findElementsWithStringValues(node, values, omittedValues, attributeName);
    if (found.empty())
        return nullptr;
    DOMNode* parent = found.front()->parent();
    auto last = found.front();
    for (const auto& element : found) {
        if (element->parent() != parent)
            break;
        last = element;
    }
    DOMDocument* document = found.front()->document();
    if (!document)
        return nullptr;
    auto range = document->createRange();
    range->setStartBefore(*found.front());
    range->setEndAfter(*last);
    return range;
}

size_t vornick_lastIndex(const DOMNode& node)
{
    if (node.isTextNode())
        return characterData(node).size();
    return node.childCount();
}

bool vornick_indexIsAtEndOfNode(const DOMNode& node, size_t index)
{
    return index == vornick_lastIndex(node);
}

size_t vornick_indexOfChildNode(const DOMNode& node, const DOMNode* child)
{
    VORNICK_NODE_ASSERT(child != nullptr, "[childNode isKindOfClass:[DOMNode class]]");
    if (child->parent() != &node)
        return VornickNotFound;
    return child->index();
}

size_t vornick_normalizedIndexOfChildNodeIgnoringWhitespaceOnlyNodes(const DOMNode& node, const DOMNode* child)
{
    VORNICK_NODE_ASSERT(child != nullptr, "[childNode isKindOfClass:[DOMNode class]]");
    if (child->parent() != &node)
        return VornickNotFound;
    size_t index = 0;
    for (DOMNode* sibling = node.first(); sibling && sibling != child; sibling = sibling->next()) {
        if (!isWhitespaceOnlyText(*sibling))
            ++index;
    }
    return index;
}

size_t vornick_indexOfFirstChildOfType(const DOMNode& node, unsigned nodeType)
{
    size_t index = 0;
    for (DOMNode* child = node.first(); child; child = child->next(), ++index) {
        if (child->nodeType() == nodeType)
            return index;
    }
    return VornickNotFound;
}

void vornick_appendChildNodes(DOMNode& node, const std::vector<std::shared_ptr<DOMNode>>& nodes)
{
    std::vector<std::shared_ptr<DOMNode>> snapshot = nodes;
    for (const auto& child : snapshot) {
        if (child->parent())
            child->remove();
        Error error;
        if (!node.appendChild(child, &error))
            VornickGeneralLog("WebKit Exception: {}", toUTF8(error.localizedDescription()));
    }
}

void vornick_appendChildNodes(DOMNode& node, const DOMNodeList& nodes)
{
    std::vector<std::shared_ptr<DOMNode>> snapshot;
    for (unsigned i = 0; i < nodes.length(); ++i)
        snapshot.push_back(nodes.item(i));
    vornick_appendChildNodes(node, snapshot);
}

bool vornick_insertChild(DOMNode& node, const std::shared_ptr<DOMNode>& child, DOMNode* before)
{
    return node.insertBefore(child, before) != nullptr;
}

void vornick_insertChildNodes(DOMNode& node, const std::vector<std::shared_ptr<DOMNode>>& nodes, DOMNode* before)
{
    std::vector<std::shared_ptr<DOMNode>> snapshot = nodes;
    for (const auto& child : snapshot)
        node.insertBefore(child, before);
}

bool vornick_replaceChild(DOMNode& node, DOMNode* oldChild, const std::shared_ptr<DOMNode>& newChild)
{
    return node.replaceChild(newChild, oldChild) != nullptr;
}

void vornick_replaceChildNodesInRange(DOMNode& node, VornickRange childNodeRange,
                                      const std::vector<std::shared_ptr<DOMNode>>& nodes)
{
    size_t count = node.childCount();
    BREVANTON_ASSERT(childNodeRange.end() <= count, "NSMaxRange(childNodeRange) <= numberOfChildNodes");
    for (size_t i = 0; i < childNodeRange.length; ++i)
        node.removeChild(node.childAt(static_cast<unsigned>(childNodeRange.location)));
    DOMNode* before = node.childAt(static_cast<unsigned>(childNodeRange.location));
    vornick_insertChildNodes(node, nodes, before);
}

std::shared_ptr<DOMRange> vornick_unwrapChildElement(DOMNode& node, const std::shared_ptr<DOMElement>& childElement)
{
    BREVANTON_ASSERT(childElement && childElement->parent() == &node, "childElement is not a child of self");
    auto previous = childElement->previousSibling();
    auto next = childElement->nextSibling();
    auto contents = vornick_innerRange(childElement)->extractContents();
    node.replaceChild(contents, childElement.get());
    DOMDocument* document = node.isDocumentNode() ? downcast<DOMDocument>(&node) : node.document();
    auto range = document->createRange();
    if (previous && previous->parent() == &node)
        range->setStartAfter(*previous);
    else
        range->setStart(node.shared_from_this(), 0);
    if (next && next->parent() == &node)
        range->setEndBefore(*next);
    else
        range->setEnd(node.shared_from_this(), node.childCount());
    return range;
}

void vornick_cleanUpFragment(const std::shared_ptr<DOMNode>& root)
{
    // Children before their parents, last to first, from a snapshot taken
    // before any change: replacing or unwrapping an element never disturbs the walk.
    std::vector<std::shared_ptr<DOMElement>> elements;
    vornick_enumerateElementTreeWithOptions(root, VornickEnumerationReverse,
                                            [&](const std::shared_ptr<DOMElement>& element, bool&) {
                                                elements.push_back(element);
                                            });
    for (const auto& element : elements) {
        auto parent = element->parentNode();
        if (vornick_hasClass(*element, u"Apple-converted-space")) {
            if (parent) {
                DOMDocument* document = element->document();
                parent->replaceChild(document->createTextNode(u" "), element.get());
            }
            continue;
        }
        element->removeAttribute(u"style");
        vornick_removeClass(*element, u"Apple-interchange-newline");
        if (!element->hasAttributes() && equalsIgnoringASCIICase(element->tagName(), u"span") && parent)
            vornick_unwrapChildElement(*parent, element);
        else
            element->normalize();
    }
}

bool vornick_isEffectivelyEmpty(const DOMNode& node)
{
    switch (node.nodeType()) {
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
        return characterData(node).empty();
    case DOMNode::DOCUMENT_FRAGMENT_NODE:
        for (DOMNode* child = node.first(); child; child = child->next()) {
            if (!child->isTextNode() || !characterData(*child).empty())
                return false;
        }
        return true;
    case DOMNode::ELEMENT_NODE:
        for (DOMNode* child = node.first(); child; child = child->next()) {
            if (!child->isTextNode() || !vornick_isEffectivelyEmpty(*child))
                return false;
        }
        return true;
    default:
        return false;
    }
}

namespace {

DOMDocument* documentOf(const DOMNode& node)
{
    return node.isDocumentNode() ? const_cast<DOMDocument*>(downcast<DOMDocument>(&node)) : node.document();
}

} // namespace

std::shared_ptr<DOMRange> vornick_outerRange(const DOMNode& node)
{
    DOMDocument* document = documentOf(node);
    if (!document)
        return nullptr;
    auto range = document->createRange();
    range->selectNode(node);
    return range;
}

std::shared_ptr<DOMRange> vornick_innerRange(const std::shared_ptr<DOMNode>& node)
{
    DOMDocument* document = documentOf(*node);
    if (!document)
        return nullptr;
    auto range = document->createRange();
    range->selectNodeContents(node);
    return range;
}

std::shared_ptr<DOMRange> vornick_innerRangeWithWhitespaceOnlyTextNodesTrimmed(const std::shared_ptr<DOMNode>& node)
{
    auto range = vornick_innerRange(node);
    if (range && node->isElementNode()) {
        VornickDOMPosition start { node, 0 };
        VornickPushPositionInElementForwardWithOptions(start, VornickWaypointSkipWhitespaceOnlyText);
        VornickDOMPosition end { node, static_cast<int32_t>(node->childCount()) };
        VornickPullPositionInElementBackwardWithOptions(end, VornickWaypointSkipWhitespaceOnlyText);
        if (end.offset < start.offset)
            end = start;
        vornick_setStartPosition(*range, start);
        vornick_setEndPosition(*range, end);
    }
    return range;
}

std::shared_ptr<VornickAttachmentPointReference> vornick_enclosingAttachmentPoint(const DOMNode& node)
{
    for (const auto& point : vornick_attachmentPoints(node)) {
        auto element = point ? point->findElement() : nullptr;
        if (element && vornick_hasAncestor(node, element.get()))
            return point;
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_enclosingAttachmentPointElement(const DOMNode& node)
{
    auto points = vornick_attachmentPoints(node);
    if (points.empty()) {
        DOMDocument* document = node.document();
        auto body = document ? document->body() : nullptr;
        return body && vornick_hasAncestor(node, body.get()) ? body : nullptr;
    }
    for (const auto& point : points) {
        auto element = point ? point->findElement() : nullptr;
        if (element && vornick_hasAncestor(node, element.get()))
            return element;
    }
    return nullptr;
}

bool vornick_isContainedByAttachmentPoint(const DOMNode& node)
{
    return vornick_enclosingAttachmentPointElement(node) != nullptr;
}

std::vector<VornickURLAttributeOccurrence> vornick_URLAttributesForTree(const std::shared_ptr<DOMNode>& node)
{
    std::vector<VornickURLAttributeOccurrence> occurrences;
    for (DOMNode* current = node.get(); current; current = current->traverseNext(node.get())) {
        auto* element = toElement(current);
        if (!element)
            continue;
        for (const auto& name : vornick_attributeNamesOfURLAttributes(*element)) {
            const std::u16string* value = element->attributeValue(name);
            if (value && !value->empty())
                occurrences.push_back(
                    { downcast<DOMElement>(element->shared_from_this()), name, *value });
        }
    }
    return occurrences;
}

std::vector<URL> vornick_URLSetResolvedUsingDocumentURL(const std::shared_ptr<DOMNode>& node, const URL& documentURL)
{
    std::vector<URL> urls;
    for (const auto& occurrence : vornick_URLAttributesForTree(node)) {
        auto url = URL::create(occurrence.value, &documentURL);
        if (!url)
            continue;
        URL absolute = url->absoluteURL();
        if (std::find(urls.begin(), urls.end(), absolute) == urls.end())
            urls.push_back(absolute);
    }
    return urls;
}

std::vector<URL> vornick_URLSetResolvedForDocument(const std::shared_ptr<DOMNode>& node)
{
    std::vector<URL> urls;
    const DOMDocument* document = node && node->isDocumentNode() ? downcast<DOMDocument>(node.get())
                                                                  : (node ? node->document() : nullptr);
    if (!document)
        return urls;
    for (const auto& occurrence : vornick_URLAttributesForTree(node)) {
        auto url = vornick_resolveResourceFileReference(*document, occurrence.value);
        if (url && std::find(urls.begin(), urls.end(), *url) == urls.end())
            urls.push_back(*url);
    }
    return urls;
}

std::optional<URL> vornick_rootURLForRequestingFileReadPermissionsGivenDocumentURL(
    const std::shared_ptr<DOMNode>& node, const URL& documentURL, std::u16string_view applicationBundleKey)
{
    std::optional<URL> root;
    bool any = false;
    for (const auto& url : vornick_URLSetResolvedUsingDocumentURL(node, documentURL)) {
        if (!url.isFileURL() || asciiLowercase(url.pathExtension()) == u"brevantonsnippets")
            continue;
        if (!applicationBundleKey.empty() && vornick_normalizedUniqueKeyString(url).starts_with(applicationBundleKey))
            continue;
        URL folder = url.URLByDeletingLastPathComponent();
        if (!any) {
            root = folder;
            any = true;
            continue;
        }
        if (!root)
            return std::nullopt;
        root = vornick_deepestRootInCommonWith(*root, folder);
        if (!root)
            return std::nullopt;
    }
    return root;
}

std::optional<std::u16string> vornick_plainTextRepresentationOfType(const DOMNode& node, int type)
{
    if (type != 0)
        return std::nullopt;
    return node.textContent();
}

std::u16string vornick_nodeDescription(const DOMNode& node)
{
    char address[32];
    std::snprintf(address, sizeof address, " (%p)", static_cast<const void*>(&node));
    switch (node.nodeType()) {
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
        return vornick_textNodeDescription(downcast<DOMText>(node));
    case DOMNode::ELEMENT_NODE:
        return vornick_openTagHTML(downcast<DOMElement>(node)) + toUTF16(address);
    case DOMNode::COMMENT_NODE:
        return u"<!--" + characterData(node) + u"-->" + toUTF16(address);
    default:
        return node.nodeName() + toUTF16(address);
    }
}

std::u16string vornick_splatWithDepth(const DOMNode& node, unsigned depth)
{
    std::u16string text(depth * 4, u' ');
    text += vornick_nodeDescription(node);
    text += u"\n";
    for (DOMNode* child = node.first(); child; child = child->next())
        text += vornick_splatWithDepth(*child, depth + 1);
    return text;
}

std::u16string vornick_splat(const DOMNode& node)
{
    return vornick_splatWithDepth(node, 0);
}

void VornickDOMTreeVisitor::visitDOMNode(const std::shared_ptr<DOMNode>& node)
{
    switch (node->nodeType()) {
    case DOMNode::ELEMENT_NODE:
        visitDOMElement(downcast<DOMElement>(node));
        break;
    case DOMNode::TEXT_NODE:
        visitDOMTextNode(downcast<DOMText>(node));
        break;
    case DOMNode::DOCUMENT_FRAGMENT_NODE:
        visitChildrenOfDOMNode(node);
        break;
    default:
        break;
    }
}

void VornickDOMTreeVisitor::visitDOMElement(const std::shared_ptr<DOMElement>& element)
{
    visitChildrenOfDOMNode(element);
}

void VornickDOMTreeVisitor::visitChildrenOfDOMNode(const std::shared_ptr<DOMNode>& node)
{
    for (const auto& child : childSnapshot(*node))
        visitDOMNode(child);
}

bool VornickStringEncodingIsUnicode(std::u16string_view name)
{
    std::u16string lower = asciiLowercase(name);
    for (std::u16string_view unicode : { u"utf-8", u"utf8", u"utf-16", u"utf-16be", u"utf-16le", u"utf-32",
                                         u"utf-32be", u"utf-32le", u"iso-10646-ucs-2" }) {
        if (lower == unicode)
            return true;
    }
    return false;
}

} // namespace brevanton
