#include "dom/VornickFreezeDriedDOMRange.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

std::optional<VornickFreezeDriedDOMRange> VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(
    const DOMRange& range, const std::shared_ptr<DOMNode>& ancestor, bool skipWhitespaceNodes)
{
    auto start = VornickRelativeDOMPath::pathToPosition(vornick_startPosition(range), ancestor.get(), skipWhitespaceNodes);
    if (!start)
        return std::nullopt;
    auto end = range.collapsed()
        ? start
        : VornickRelativeDOMPath::pathToPosition(vornick_endPosition(range), ancestor.get(), skipWhitespaceNodes);
    if (!end)
        return std::nullopt;
    return VornickFreezeDriedDOMRange(std::move(start), std::move(end));
}

VornickFreezeDriedDOMRange VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromStartPosition(
    const VornickDOMPosition& start, const VornickDOMPosition& end, const std::shared_ptr<DOMNode>& ancestor,
    bool skipWhitespaceNodes)
{
    auto startPath = VornickRelativeDOMPath::pathToPosition(start, ancestor.get(), skipWhitespaceNodes);
    auto endPath = start == end ? startPath
                                : VornickRelativeDOMPath::pathToPosition(end, ancestor.get(), skipWhitespaceNodes);
    return VornickFreezeDriedDOMRange(std::move(startPath), std::move(endPath));
}

bool VornickFreezeDriedDOMRange::thawToStartPosition(VornickDOMPosition& start, VornickDOMPosition& end,
                                                     const std::shared_ptr<DOMNode>& newAncestor) const
{
    if (!m_startPositionPath || !m_endPositionPath)
        return false;
    start = m_startPositionPath->positionRelativeToNewAncestor(newAncestor);
    if (!start.node)
        return false;
    end = m_endPositionPath->positionRelativeToNewAncestor(newAncestor);
    return end.node != nullptr;
}

std::shared_ptr<DOMRange> VornickFreezeDriedDOMRange::thawRangeRelativeToNewAncestor(
    const std::shared_ptr<DOMNode>& newAncestor) const
{
    VornickDOMPosition start;
    VornickDOMPosition end;
    if (!thawToStartPosition(start, end, newAncestor))
        return nullptr;
    DOMDocument* document = newAncestor->isDocumentNode() ? downcast<DOMDocument>(newAncestor.get())
                                                          : newAncestor->document();
    if (!document)
        return nullptr;
    auto range = document->createRange();
    vornick_setStartPosition(*range, start);
    vornick_setEndPosition(*range, end);
    return range;
}

void VornickFreezeDriedDOMRange::adjustBaseOffsetsBy(int32_t delta)
{
    if (m_startPositionPath)
        m_startPositionPath->adjustOffsetAtIndex(0, delta);
    if (m_endPositionPath)
        m_endPositionPath->adjustOffsetAtIndex(0, delta);
}

Value VornickFreezeDriedDOMRange::encodeWithCoder() const
{
    Dictionary dictionary;
    if (m_startPositionPath)
        dictionary[u"startPositionPath"] = m_startPositionPath->encodeWithCoder();
    if (m_endPositionPath)
        dictionary[u"endPositionPath"] = m_endPositionPath->encodeWithCoder();
    return Value(std::move(dictionary));
}

std::optional<VornickFreezeDriedDOMRange> VornickFreezeDriedDOMRange::createWithCoder(const Value& value)
{
    if (!value.isDictionary())
        return std::nullopt;
    auto start = VornickRelativeDOMPath::createWithCoder(value[u"startPositionPath"]);
    auto end = VornickRelativeDOMPath::createWithCoder(value[u"endPositionPath"]);
    if (!start || !end)
        return std::nullopt;
    return VornickFreezeDriedDOMRange(std::move(start), std::move(end));
}

std::u16string VornickFreezeDriedDOMRange::description() const
{
    auto describe = [](const std::optional<VornickRelativeDOMPath>& path) {
        return path ? path->description() : std::u16string(u"(null)");
    };
    return u"{start=" + describe(m_startPositionPath) + u", end=" + describe(m_endPositionPath) + u"}";
}

} // namespace brevanton
