#include "html/VornickDOMToNSRangeMap.h"

#include "toolkit/VornickLog.h"
#include "dom/VornickRelativeDOMPath.h"
#include "html/VornickNamedCharacterReferenceMap.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMNode.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <fmt/format.h>

namespace brevanton {

namespace {

constexpr uint16_t ElementNode = 1;
constexpr uint16_t TextNode = 3;
constexpr uint16_t CDATANode = 4;
constexpr uint16_t DocumentNode = 9;
constexpr uint16_t FragmentNode = 11;

bool isTextType(uint16_t type) { return type == TextNode || type == CDATANode; }
bool isASCIIAlphanumeric(char16_t c) { return (c >= u'0' && c <= u'9') || ((c | 0x20) >= u'a' && (c | 0x20) <= u'z'); }

// The end of a well-formed character reference starting at `at` ("&"),
// within `limit`; VornickNotFound when there is none.
size_t referenceEnd(std::u16string_view string, size_t at, size_t limit)
{
    size_t p = at + 1;
    if (p < limit && string[p] == u'#') {
        ++p;
        if (p < limit && (string[p] == u'x' || string[p] == u'X'))
            ++p;
    }
    size_t nameStart = p;
    while (p < limit && isASCIIAlphanumeric(string[p]))
        ++p;
    if (p == nameStart || p >= limit || string[p] != u';')
        return VornickNotFound;
    return p + 1;
}

// The UTF-16 length of what a well-formed reference [at, end) stands for.
size_t referenceDOMLength(std::u16string_view string, size_t at, size_t end)
{
    std::u16string_view body = string.substr(at + 1, end - at - 2);
    if (!body.empty() && body[0] == u'#') {
        uint32_t value = 0;
        bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
        for (char16_t c : body.substr(hex ? 2 : 1)) {
            unsigned digit = c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10;
            value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + digit;
        }
        return value >= 0x10000 && value <= 0x10FFFF ? 2 : 1;
    }
    static const auto names = VornickNamedCharacterReferenceMap::html5NamedCharacterReferenceMap();
    if (names) {
        if (auto characters = names->charactersForEntityName(body); characters && !characters->empty())
            return characters->size();
    }
    return 1;
}

// The DOM characters (UTF-16 units) of a text node's source before `location`.
size_t domCharactersBefore(const VornickDOMNodeToNSRangeMap& node, size_t location, std::u16string_view string, bool hasString, int bias)
{
    size_t d = location - node.startOffset();
    if (!hasString || node.endOffset() > string.size())
        return d;
    size_t walkEnd = node.startOffset() + std::min(d, node.range().length);
    size_t spanEnd = node.endOffset();
    size_t count = 0;
    size_t p = node.startOffset();
    while (p < walkEnd) {
        // A line break written as CR LF is one line feed in the DOM.
        if (string[p] == u'\r' && p + 1 < walkEnd && string[p + 1] == u'\n') {
            ++count;
            p += 2;
            continue;
        }
        if (string[p] == u'&') {
            size_t end = referenceEnd(string, p, spanEnd);
            if (end != VornickNotFound) {
                if (end <= walkEnd || bias >= 0)
                    count += referenceDOMLength(string, p, end);
                p = end;
                continue;
            }
        }
        ++count;
        ++p;
    }
    return count;
}

// The source length of the first `characters` DOM characters of a text node.
size_t sourceLengthOfCharacters(const VornickDOMNodeToNSRangeMap& node, size_t characters, std::u16string_view string)
{
    size_t p = node.startOffset();
    size_t spanEnd = node.endOffset();
    while (characters && p < spanEnd) {
        if (string[p] == u'\r' && p + 1 < spanEnd && string[p + 1] == u'\n') {
            p += 2;
            --characters;
            continue;
        }
        size_t end = string[p] == u'&' ? referenceEnd(string, p, spanEnd) : VornickNotFound;
        size_t length = end != VornickNotFound ? referenceDOMLength(string, p, end) : 1;
        if (length > characters)
            break; // inside a reference: its start
        p = end != VornickNotFound ? end : p + 1;
        characters -= length;
    }
    return p - node.startOffset();
}

// The end of a start tag that begins at `at`, quotes respected.
size_t startTagEnd(std::u16string_view string, size_t at, size_t limit)
{
    char16_t quote = 0;
    for (size_t p = at; p < limit; ++p) {
        char16_t c = string[p];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == u'"' || c == u'\'')
            quote = c;
        else if (c == u'>')
            return p + 1;
    }
    return at;
}

bool isWhitespaceOnlyText(const DOMNode& node)
{
    if (node.nodeType() != TextNode)
        return false;
    for (char16_t c : node.nodeValue()) {
        if (!isHTMLWhitespace(c))
            return false;
    }
    return true;
}

} // namespace

VornickDOMNodeToNSRangeMap::~VornickDOMNodeToNSRangeMap()
{
    // The nodes below go one by one, not each inside its parent's
    // destruction: a page nests deeper than the stack has frames.
    std::vector<std::unique_ptr<VornickDOMNodeToNSRangeMap>> pending = std::move(m_childNodes);
    while (!pending.empty()) {
        auto node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->m_childNodes)
            pending.push_back(std::move(child));
        node->m_childNodes.clear();
    }
}

VornickDOMNodeToNSRangeMap* VornickDOMNodeToNSRangeMap::addChildNode(std::unique_ptr<VornickDOMNodeToNSRangeMap> child)
{
    m_childNodes.push_back(std::move(child));
    return m_childNodes.back().get();
}

bool VornickDOMNodeToNSRangeMap::hitTestLocation(size_t location, std::u16string_view string, bool hasString, int bias,
                                                 VornickDOMToNSRangeMapPath& components, bool skipWhitespaceNodes) const
{
    const VornickDOMNodeToNSRangeMap* node = this;
    while (true) {
        if (node->startOffset() == VornickNotFound || node->startOffset() > location || node->endOffset() < location)
            return false;
        components.push_back({ node->m_nodeType, node->m_name, 0, skipWhitespaceNodes });
        auto& component = components.back();
        if (isTextType(node->m_nodeType))
            component.offsetInNode = node->domStartOffset() + domCharactersBefore(*node, location, string, hasString, bias);
        auto& children = node->m_childNodes;
        if (children.empty())
            return true;

        // The first child that ends at or after the location, by binary search.
        size_t low = 0;
        size_t high = children.size();
        while (low < high) {
            size_t middle = (low + high) / 2;
            if (children[middle]->endOffset() < location)
                low = middle + 1;
            else
                high = middle;
        }
        size_t i = low;
        if (i == children.size() || children[i]->startOffset() > location) {
            // In the gap before child i (omitted whitespace, or markup of this node).
            component.offsetInNode = i;
            return true;
        }
        auto child = [&](size_t index) { return children[index].get(); };
        size_t cs = child(i)->startOffset();
        size_t ce = child(i)->endOffset();
        size_t target = i;
        if (cs < location && location < ce)
            target = i;
        else if (ce == location && cs < location) {
            if (bias >= 1) {
                // Into the next child that starts right here, else the gap after child i.
                size_t j = i + 1;
                while (j < children.size() && child(j)->startOffset() == location && child(j)->range().length == 0)
                    ++j;
                if (j < children.size() && child(j)->startOffset() == location)
                    target = j;
                else if (j < children.size() || i + 1 < children.size()) {
                    component.offsetInNode = i + 1;
                    return true;
                }
            }
        } else if (cs == location && ce == location) {
            // An empty child: the nearest non-empty neighbour in the bias direction.
            if (bias >= 0) {
                size_t j = i;
                while (j + 1 < children.size() && child(j)->range().length == 0)
                    ++j;
                target = j;
            } else if (i > 0) {
                size_t j = i;
                while (j > 0 && child(j)->range().length == 0)
                    --j;
                target = j;
            }
            if (child(target)->startOffset() > location || child(target)->endOffset() < location) {
                component.offsetInNode = target > i ? i + 1 : i;
                return true;
            }
        } else if (cs == location) {
            if (bias < 0 && i > 0) {
                if (child(i - 1)->endOffset() == location)
                    target = i - 1;
                else {
                    component.offsetInNode = i;
                    return true;
                }
            }
        }
        component.offsetInNode = target;
        node = child(target);
    }
}

std::u16string VornickDOMNodeToNSRangeMap::description() const
{
    std::u16string result = toUTF16(fmt::format("({})", m_nodeType)) + m_name
        + toUTF16(fmt::format("[{}:{}]", static_cast<long>(startOffset()), static_cast<long>(endOffset())));
    if (!m_childNodes.empty()) {
        result += u" {\n";
        result += m_childNodes.front()->description();
        for (size_t i = 1; i < m_childNodes.size(); ++i)
            result += u"," + m_childNodes[i]->description();
        result += u"}";
    }
    return result;
}

VornickDOMToNSRangeMap::VornickDOMToNSRangeMap(bool omittingWhitespaceNodes)
    : m_rootNode(std::make_unique<VornickDOMNodeToNSRangeMap>(DocumentNode, u"Document", 0))
    , m_omitsWhitespaceNodes(omittingWhitespaceNodes)
{
    m_stack.push_back(m_rootNode.get());
}

void VornickDOMToNSRangeMap::beginNodeOfType(uint16_t nodeType, std::u16string_view name, size_t offset)
{
    auto* node = m_stack.back()->addChildNode(std::make_unique<VornickDOMNodeToNSRangeMap>(nodeType, std::u16string(name), offset));
    m_stack.push_back(node);
}

void VornickDOMToNSRangeMap::endNodeOfType(uint16_t nodeType, std::u16string_view, size_t offset)
{
    if (m_stack.size() <= 1) {
        VornickGeneralLog("MAP: Stack underflow");
        return;
    }
    BREVANTON_ASSERT(m_stack.back()->nodeType() == nodeType, "Node type mismatch on endNodeOfType:name:offset:");
    m_stack.back()->setEndOffset(offset);
    m_stack.pop_back();
    m_stack.back()->setEndOffset(offset);
}

void VornickDOMToNSRangeMap::beginWhitespaceNodeAtOffset(size_t offset)
{
    if (!m_omitsWhitespaceNodes)
        beginNodeOfType(TextNode, u"whitespace", offset);
}

void VornickDOMToNSRangeMap::setDOMStartOffsetOfOpenNode(size_t offset)
{
    if (m_stack.size() > 1)
        m_stack.back()->setDOMStartOffset(offset);
}

void VornickDOMToNSRangeMap::endWhitespaceNodeAtOffset(size_t offset)
{
    if (!m_omitsWhitespaceNodes) {
        endNodeOfType(TextNode, u"whitespace", offset);
        return;
    }
    BREVANTON_ASSERT(!m_stack.empty(), "MAP: Stack underflow");
    m_stack.back()->setEndOffset(offset);
}

std::shared_ptr<VornickDOMToNSRangeMap> VornickDOMToNSRangeMap::mapByApplyingSplices(const VornickTextSplices& splices) const
{
    BREVANTON_ASSERT(m_stack.size() == 1, "MAP: copying a map that is still being built");
    settle();
    auto copy = std::make_shared<VornickDOMToNSRangeMap>(m_omitsWhitespaceNodes);
    auto copyRange = [&splices](const VornickDOMNodeToNSRangeMap& from, VornickDOMNodeToNSRangeMap& to) {
        size_t start = VornickOffsetAfterSplices(from.startOffset(), splices);
        to.setStartOffset(start);
        to.setEndOffset(start == VornickNotFound ? from.endOffset() : VornickOffsetAfterSplices(from.endOffset(), splices));
    };
    copyRange(*m_rootNode, *copy->m_rootNode);
    // Depth first, without recursion: pages may nest deeply.
    std::vector<std::pair<const VornickDOMNodeToNSRangeMap*, VornickDOMNodeToNSRangeMap*>> pending { { m_rootNode.get(), copy->m_rootNode.get() } };
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        to->m_childNodes.reserve(from->m_childNodes.size());
        for (const auto& child : from->m_childNodes) {
            auto* made = to->addChildNode(std::make_unique<VornickDOMNodeToNSRangeMap>(child->m_nodeType, child->m_name, 0));
            copyRange(*child, *made);
            made->setDOMStartOffset(child->domStartOffset());
            if (!child->m_childNodes.empty())
                pending.emplace_back(child.get(), made);
        }
    }
    return copy;
}

void VornickDOMToNSRangeMap::applySplices(const VornickTextSplices& splices)
{
    BREVANTON_ASSERT(m_stack.size() == 1, "MAP: splicing a map that is still being built");
    if (splices.empty())
        return;
    m_pendingSplices.push_back(splices);
    // Every node moves through every list: the lists are kept few.
    if (m_pendingSplices.size() >= 16)
        settle();
}

void VornickDOMToNSRangeMap::settle() const
{
    if (m_pendingSplices.empty())
        return;
    // Nodes that end before every splice keep their places, and so do their
    // children.
    size_t first = VornickNotFound;
    for (const auto& splices : m_pendingSplices)
        first = std::min(first, splices.front().range.location);
    std::vector<VornickDOMNodeToNSRangeMap*> pending { m_rootNode.get() };
    while (!pending.empty()) {
        auto* node = pending.back();
        pending.pop_back();
        if (node->startOffset() == VornickNotFound || node->endOffset() <= first)
            continue;
        size_t start = node->startOffset();
        size_t end = node->endOffset();
        for (const auto& splices : m_pendingSplices) {
            start = VornickOffsetAfterSplices(start, splices);
            end = VornickOffsetAfterSplices(end, splices);
        }
        node->setStartOffset(start);
        node->setEndOffset(end);
        for (auto& child : node->m_childNodes)
            pending.push_back(child.get());
    }
    m_pendingSplices.clear();
}

std::optional<VornickDOMToNSRangeMapPath> VornickDOMToNSRangeMap::hitTestPathForRangeLocation(size_t location,
    const std::u16string* mappedString, int directionBias) const
{
    BREVANTON_ASSERT(location != VornickNotFound, "location != NSNotFound");
    BREVANTON_ASSERT(directionBias != 0, "directionBias != 0");
    settle();
    VornickDOMToNSRangeMapPath components;
    components.reserve(16);
    std::u16string_view string = mappedString ? std::u16string_view(*mappedString) : std::u16string_view();
    if (!m_rootNode->hitTestLocation(location, string, mappedString != nullptr, directionBias, components, m_omitsWhitespaceNodes))
        return std::nullopt;
    return components;
}

VornickRange VornickDOMToNSRangeMap::rangeForRelativeDOMPath(const VornickDOMToNSRangeMapPath& path, const std::u16string* mappedString) const
{
    return rangeForPath(path, mappedString, false);
}

VornickRange VornickDOMToNSRangeMap::rangeForPath(const VornickDOMToNSRangeMapPath& path, const std::u16string* mappedString,
                                                  bool endOfARange) const
{
    constexpr VornickRange none { VornickNotFound, 0 };
    settle();
    const VornickDOMNodeToNSRangeMap* node = m_rootNode.get();
    size_t lastOffset = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        auto& component = path[i];
        if (component.nodeType != node->nodeType())
            return none;
        lastOffset = component.offsetInNode;
        if (isTextType(component.nodeType))
            break;
        auto& children = node->childNodes();
        bool isLast = i + 1 == path.size();
        if (isLast) {
            if (!children.empty() && component.offsetInNode == children.size())
                return { children.back()->endOffset(), 0 };
            // The end of a range is the gap right after the node before it,
            // not after whitespace the map leaves out.
            if (endOfARange && component.offsetInNode > 0 && component.offsetInNode <= children.size())
                return { children[component.offsetInNode - 1]->endOffset(), 0 };
            if (component.offsetInNode < children.size())
                return { children[component.offsetInNode]->startOffset(), 0 };
            if (!children.empty() || component.offsetInNode != 0)
                return none;
            break;
        }
        if (component.offsetInNode >= children.size())
            return none;
        node = children[component.offsetInNode].get();
    }
    if (isTextType(node->nodeType())) {
        // Characters before the span (trimmed by the writer) map to its start.
        lastOffset = lastOffset > node->domStartOffset() ? lastOffset - node->domStartOffset() : 0;
        size_t sourceLength = lastOffset;
        if (mappedString && node->endOffset() <= mappedString->size())
            sourceLength = sourceLengthOfCharacters(*node, lastOffset, *mappedString);
        return { node->startOffset() + std::min(sourceLength, node->range().length), 0 };
    }
    if (node->nodeType() == ElementNode) {
        // Inside an element without mapped children: just after its start tag.
        if (mappedString && node->endOffset() <= mappedString->size())
            return { startTagEnd(*mappedString, node->startOffset(), node->endOffset()), 0 };
        return { node->startOffset(), 0 };
    }
    if (node->nodeType() == DocumentNode || node->nodeType() == FragmentNode)
        return none;
    return node->range();
}

void VornickDOMToNSRangeMap::enumerateStartAndEndTagRangesForRelativeDOMPath(
    const VornickDOMToNSRangeMapPath& path, const std::function<void(const std::u16string&, VornickRange, VornickRange)>& block) const
{
    settle();
    const VornickDOMNodeToNSRangeMap* node = m_rootNode.get();
    for (auto& component : path) {
        if (isTextType(component.nodeType) || component.nodeType != node->nodeType())
            return;
        auto& children = node->childNodes();
        if (children.empty()) {
            block(node->name(), node->range(), { VornickNotFound, 0 });
            return;
        }
        VornickRange startTag { node->startOffset(), children.front()->startOffset() - node->startOffset() };
        VornickRange endTag { children.back()->endOffset(), node->endOffset() - children.back()->endOffset() };
        block(node->name(), startTag, endTag);
        if (component.offsetInNode >= children.size())
            return;
        node = children[component.offsetInNode].get();
    }
}

std::optional<std::pair<std::shared_ptr<DOMNode>, unsigned>> VornickDOMToNSRangeMap::positionForRelativeDOMPath(
    const VornickDOMToNSRangeMapPath& path, DOMDocument& document) const
{
    if (path.empty() || path.front().nodeType != DocumentNode)
        return std::nullopt;
    std::shared_ptr<DOMNode> node = document.shared_from_this();
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        size_t index = path[i].offsetInNode;
        DOMNode* child = node->first();
        for (; child; child = child->next()) {
            if (m_omitsWhitespaceNodes && isWhitespaceOnlyText(*child))
                continue;
            if (!index--)
                break;
        }
        if (!child)
            return std::nullopt;
        uint16_t expected = path[i + 1].nodeType;
        uint16_t actual = child->nodeType();
        if (expected != actual && !(isTextType(expected) && isTextType(actual)))
            return std::nullopt;
        node = child->shared_from_this();
    }
    size_t offset = path.back().offsetInNode;
    if (node->isCharacterDataNode())
        return std::make_pair(node, static_cast<unsigned>(std::min<size_t>(offset, node->length())));
    if (m_omitsWhitespaceNodes) {
        // The child index counted over every child.
        unsigned domIndex = 0;
        size_t counted = 0;
        for (DOMNode* child = node->first(); child && counted < offset; child = child->next(), ++domIndex) {
            if (!isWhitespaceOnlyText(*child))
                ++counted;
        }
        if (counted < offset)
            return std::nullopt;
        return std::make_pair(node, domIndex);
    }
    if (offset > node->childCount())
        return std::nullopt;
    return std::make_pair(node, static_cast<unsigned>(offset));
}

VornickDOMToNSRangeMapPath VornickDOMToNSRangeMap::pathToPosition(DOMNode& target, unsigned offset) const
{
    VornickDOMToNSRangeMapPath path;
    auto nameOf = [](const DOMNode& node) { return node.nodeName(); };
    size_t lastOffset = offset;
    if (!target.isCharacterDataNode() && m_omitsWhitespaceNodes) {
        size_t counted = 0;
        unsigned index = 0;
        for (DOMNode* child = target.first(); child && index < offset; child = child->next(), ++index) {
            if (!isWhitespaceOnlyText(*child))
                ++counted;
        }
        lastOffset = counted;
    }
    // Gathered from the target up, then turned root first.
    path.push_back({ target.nodeType(), nameOf(target), lastOffset, m_omitsWhitespaceNodes });
    for (DOMNode* node = &target; node->parent(); node = node->parent()) {
        DOMNode* parent = node->parent();
        size_t index = 0;
        for (DOMNode* child = parent->first(); child && child != node; child = child->next()) {
            if (!(m_omitsWhitespaceNodes && isWhitespaceOnlyText(*child)))
                ++index;
        }
        path.push_back({ parent->nodeType(), nameOf(*parent), index, m_omitsWhitespaceNodes });
    }
    std::reverse(path.begin(), path.end());
    return path;
}

std::shared_ptr<DOMRange> VornickDOMToNSRangeMap::domRangeForRange(VornickRange range, const std::u16string* mappedString,
                                                                   DOMDocument& document) const
{
    if (range.location == VornickNotFound)
        return nullptr;
    auto startPath = hitTestPathForRangeLocation(range.location, mappedString, 1);
    if (!startPath)
        return nullptr;
    auto start = positionForRelativeDOMPath(*startPath, document);
    if (!start)
        return nullptr;
    auto domRange = document.createRange();
    if (!domRange->setStart(start->first, start->second))
        return nullptr;
    if (!range.length) {
        domRange->collapse(true);
        return domRange;
    }
    auto endPath = hitTestPathForRangeLocation(range.end(), mappedString, -1);
    auto end = endPath ? positionForRelativeDOMPath(*endPath, document) : std::nullopt;
    if (!end || !domRange->setEnd(end->first, end->second)) {
        domRange->detach();
        return nullptr;
    }
    return domRange;
}

VornickRange VornickDOMToNSRangeMap::rangeForDOMRange(const DOMRange& range, const std::u16string* mappedString) const
{
    auto startContainer = range.startContainer();
    auto endContainer = range.endContainer();
    if (!startContainer || !endContainer)
        return { VornickNotFound, 0 };
    VornickRange start = rangeForRelativeDOMPath(pathToPosition(*startContainer, range.startOffset()), mappedString);
    VornickRange end = rangeForPath(pathToPosition(*endContainer, range.endOffset()), mappedString, true);
    if (start.location == VornickNotFound || end.location == VornickNotFound || end.end() < start.location)
        return { VornickNotFound, 0 };
    return { start.location, end.location + end.length - start.location };
}

VornickRelativeDOMPath VornickDOMToNSRangeMap::relativeDOMPathFromPath(const VornickDOMToNSRangeMapPath& path,
                                                                       bool skipsWhitespaceNodes)
{
    std::vector<VornickRelativeDOMPath::Component> components;
    components.reserve(path.size());
    for (auto& component : path) {
        components.emplace_back(component.nodeType, component.name, static_cast<int32_t>(component.offsetInNode),
                                skipsWhitespaceNodes);
    }
    return VornickRelativeDOMPath(std::move(components), skipsWhitespaceNodes);
}

VornickDOMToNSRangeMapPath VornickDOMToNSRangeMap::pathFromRelativeDOMPath(const VornickRelativeDOMPath& relativePath)
{
    VornickDOMToNSRangeMapPath path;
    path.reserve(relativePath.pathComponents().size());
    for (auto& component : relativePath.pathComponents()) {
        path.push_back({ component.nodeType(), component.name(), static_cast<size_t>(std::max(component.offsetInNode(), 0)),
                         component.offsetSkipsWhitespaceNodes() });
    }
    return path;
}

std::optional<VornickRelativeDOMPath> VornickDOMToNSRangeMap::relativeDOMPathForRangeLocation(size_t location,
    const std::u16string* mappedString, int directionBias) const
{
    auto path = hitTestPathForRangeLocation(location, mappedString, directionBias);
    if (!path)
        return std::nullopt;
    return relativeDOMPathFromPath(*path, m_omitsWhitespaceNodes);
}

VornickRange VornickDOMToNSRangeMap::rangeForRelativeDOMPath(const VornickRelativeDOMPath& path, const std::u16string* mappedString) const
{
    for (auto& component : path.pathComponents()) {
        if (component.offsetInNode() < 0)
            return { VornickNotFound, 0 };
    }
    return rangeForRelativeDOMPath(pathFromRelativeDOMPath(path), mappedString);
}

void VornickDOMToNSRangeMap::enumerateStartAndEndTagRangesForRelativeDOMPath(
    const VornickRelativeDOMPath& path, const std::function<void(const std::u16string&, VornickRange, VornickRange)>& block) const
{
    enumerateStartAndEndTagRangesForRelativeDOMPath(pathFromRelativeDOMPath(path), block);
}

std::u16string VornickDOMToNSRangeMap::splat() const
{
    std::u16string result = u"map (" + std::u16string(m_omitsWhitespaceNodes ? u"omits" : u"includes") + u" whitespace):\n";
    result += rootNode().description();
    result += u"\n\nstack:\n";
    for (auto* node : m_stack) {
        result += toUTF16(fmt::format("({})", node->nodeType())) + node->name()
            + toUTF16(fmt::format("[{}:{}]\n", static_cast<long>(node->startOffset()), static_cast<long>(node->endOffset())));
    }
    return result;
}

} // namespace brevanton
