#include "dom/VornickNodeListExtensions.h"

#include "dom/VornickNodeExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

namespace {

template<typename List>
bool enumerateInRange(const List& list, VornickRange range, unsigned options, const VornickIndexedNodeBlock& block)
{
    BREVANTON_ASSERT(range.end() <= list.length(),
                     "Invalid parameter not satisfying: NSMaxRange(range) <= [self length] "
                     "(DOMNodeList+VornickExtensions)");
    bool stop = false;
    bool reverse = options & VornickEnumerationReverse;
    for (size_t step = 0; step < range.length; ++step) {
        size_t index = reverse ? range.end() - 1 - step : range.location + step;
        std::shared_ptr<DOMNode> node = list.item(static_cast<unsigned>(index));
        // A live list that the block shortened has no node at the later
        // indices any more; the block is never handed a null node.
        if (!node)
            continue;
        block(node, index, stop);
        if (stop)
            return false;
    }
    return true;
}

bool isWhitespaceOnlyText(const DOMNode& node)
{
    return node.isTextNode() && vornick_containsOnlyHTMLWhitespace(downcast<DOMCharacterData>(node).data());
}

} // namespace

bool vornick_enumerateNodesInRange(const DOMNodeList& list, VornickRange range, unsigned options,
                                   const VornickIndexedNodeBlock& block)
{
    return enumerateInRange(list, range, options, block);
}

bool vornick_enumerateNodesWithOptions(const DOMNodeList& list, unsigned options, const VornickIndexedNodeBlock& block)
{
    return enumerateInRange(list, VornickMakeRange(0, list.length()), options, block);
}

bool vornick_enumerateNodesInRange(const DOMHTMLCollection& list, VornickRange range, unsigned options,
                                   const VornickIndexedNodeBlock& block)
{
    return enumerateInRange(list, range, options, block);
}

bool vornick_enumerateNodesWithOptions(const DOMHTMLCollection& list, unsigned options,
                                       const VornickIndexedNodeBlock& block)
{
    return enumerateInRange(list, VornickMakeRange(0, list.length()), options, block);
}

bool vornick_enumerateRunsOfNodesSatisfying(const DOMNodeList& list, const VornickRunTest& test, unsigned options,
                                            const VornickRunBlock& block)
{
    BREVANTON_ASSERT(options & VornickEnumerationReverse,
                     "Invalid parameter not satisfying: options & NSEnumerationReverse "
                     "(DOMNodeList+VornickExtensions)");
    std::shared_ptr<DOMNode> runEnd;
    size_t runEndIndex = 0;
    std::shared_ptr<DOMNode> runStart;
    size_t runStartIndex = 0;
    bool stop = false;
    auto report = [&]() {
        block(runStart, runEnd, VornickMakeRange(runStartIndex, runEndIndex - runStartIndex + 1), stop);
        runEnd = nullptr;
        runStart = nullptr;
        return !stop;
    };
    for (size_t i = list.length(); i-- > 0;) {
        auto node = list.item(static_cast<unsigned>(i));
        if (test(node, runEnd ? runEnd : node)) {
            if (!runEnd) {
                runEnd = node;
                runEndIndex = i;
            }
            runStart = node;
            runStartIndex = i;
        } else if (runEnd && !report()) {
            return false;
        }
    }
    if (runEnd && !report())
        return false;
    return true;
}

std::shared_ptr<DOMNode> vornick_nodeAtIndexSkippingWhitespaceNodes(const DOMNodeList& list, size_t index)
{
    size_t count = 0;
    for (unsigned i = 0; i < list.length(); ++i) {
        auto node = list.item(i);
        if (isWhitespaceOnlyText(*node))
            continue;
        if (count == index)
            return node;
        ++count;
    }
    return nullptr;
}

std::vector<std::shared_ptr<DOMNode>> vornick_arrayOfNodes(const DOMNodeList& list)
{
    std::vector<std::shared_ptr<DOMNode>> nodes;
    for (unsigned i = 0; i < list.length(); ++i)
        nodes.push_back(list.item(i));
    return nodes;
}

std::vector<std::shared_ptr<DOMElement>> vornick_arrayOfElements(const DOMNodeList& list)
{
    std::vector<std::shared_ptr<DOMElement>> elements;
    for (unsigned i = 0; i < list.length(); ++i) {
        if (auto element = toElement(list.item(i)))
            elements.push_back(element);
    }
    return elements;
}

std::optional<std::u16string> vornick_plainTextRepresentationOfType(const DOMNodeList& list, int type)
{
    if (type != 0)
        return std::nullopt;
    std::u16string text;
    for (unsigned i = 0; i < list.length(); ++i)
        text += list.item(i)->textContent();
    return text;
}

} // namespace brevanton
