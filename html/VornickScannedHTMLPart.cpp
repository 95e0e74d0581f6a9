#include "html/VornickScannedHTMLPart.h"

#include "toolkit/VornickStringExtensions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

VornickRange VornickScannedHTMLPart::range() const
{
    std::lock_guard lock(m_rangeLock);
    return m_range;
}

void VornickScannedHTMLPart::setRange(VornickRange range)
{
    std::lock_guard lock(m_rangeLock);
    m_range = range;
}

std::shared_ptr<VornickScannedHTMLElementStartTag> VornickScannedHTMLPart::firstChildElementOfKind(std::u16string_view tagName) const
{
    for (auto& child : m_children) {
        if (auto startTag = std::dynamic_pointer_cast<VornickScannedHTMLElementStartTag>(child);
            startTag && equalsIgnoringASCIICase(startTag->tagName(), tagName))
            return startTag;
    }
    return nullptr;
}

std::u16string VornickScannedHTMLPart::description() const
{
    auto r = range();
    return toUTF16("part [" + std::to_string(r.location) + ", " + std::to_string(r.length) + "]");
}

std::optional<std::u16string> VornickScannedHTMLAttributeAssignment::attributeValueWithoutQuotes() const
{
    if (!m_attributeValue)
        return std::nullopt;
    return vornick_stringByTrimmingHTMLAttributeQuotes(*m_attributeValue);
}

std::u16string VornickScannedHTMLAttributeAssignment::description() const
{
    if (!m_attributeValue)
        return m_attributeName;
    return m_attributeName + u"=" + *m_attributeValue;
}

std::shared_ptr<VornickScannedHTMLAttributeAssignment> VornickScannedHTMLElementStartTag::firstAssignmentOfAttribute(std::u16string_view name) const
{
    for (auto& assignment : m_attributeAssignments) {
        if (equalsIgnoringASCIICase(assignment->attributeName(), name))
            return assignment;
    }
    return nullptr;
}

std::u16string VornickScannedHTMLElementStartTag::description() const
{
    std::u16string result = u"<" + m_tagName + u" ";
    for (size_t i = 0; i < m_attributeAssignments.size(); ++i) {
        if (i)
            result += u' ';
        result += m_attributeAssignments[i]->description();
    }
    return result + u">";
}

VornickRange VornickScannedHTMLBlockStartComment::innerRange() const
{
    auto r = range();
    if (r.location != VornickNotFound && r.length >= 8)
        return { r.location + 4, r.length - 7 };
    return { VornickNotFound, 0 };
}

std::u16string VornickScannedHTMLBlockStartComment::description() const
{
    return u"<!-- " + m_typeName + u" {...} -->";
}

} // namespace brevanton
