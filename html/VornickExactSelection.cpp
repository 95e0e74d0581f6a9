#include "html/VornickExactSelection.h"

#include "dom/VornickElementExtensions.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

VornickExactSelection::VornickExactSelection(std::shared_ptr<DOMElement> element, std::shared_ptr<DOMComment> blockStartComment,
                                             std::shared_ptr<DOMComment> blockInteriorComment,
                                             std::shared_ptr<DOMComment> blockEndComment)
    : m_blockStartComment(std::move(blockStartComment))
    , m_element(std::move(element))
    , m_blockInteriorComment(std::move(blockInteriorComment))
    , m_blockEndComment(std::move(blockEndComment))
{
}

std::optional<std::u16string> VornickExactSelection::blockType() const
{
    if (!m_blockStartComment)
        return std::nullopt;
    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(m_blockStartComment->data());
    if (!metadata)
        return std::nullopt;
    return metadata->typeName();
}

std::shared_ptr<DOMNode> VornickExactSelection::firstNode() const
{
    if (m_blockStartComment)
        return m_blockStartComment;
    return m_element;
}

std::shared_ptr<DOMNode> VornickExactSelection::lastNode() const
{
    if (m_blockEndComment)
        return m_blockEndComment;
    if (m_element)
        return m_element;
    if (m_blockInteriorComment)
        return m_blockInteriorComment;
    return m_blockStartComment;
}

std::shared_ptr<DOMRange> VornickExactSelection::outerRange() const
{
    auto first = firstNode();
    if (!first)
        return nullptr;
    auto last = lastNode();
    auto document = first->ownerDocument();
    if (!document || !first->parentNode() || !last || !last->parentNode())
        return nullptr;
    auto range = document->createRange();
    if (!range->setStartBefore(*first) || !range->setEndAfter(*last))
        return nullptr;
    return range;
}

std::u16string VornickExactSelection::description() const
{
    std::u16string text = u"{ExactSelection: ";
    if (m_blockStartComment)
        text += u"<!--" + m_blockStartComment->data() + u"-->";
    if (m_element)
        text += vornick_openTagHTML(*m_element);
    if (m_blockInteriorComment)
        text += u"<!--" + m_blockInteriorComment->data() + u"-->";
    if (m_blockEndComment)
        text += u"<!--" + m_blockEndComment->data() + u"-->";
    text += u"}";
    return text;
}

size_t VornickExactSelection::hash() const
{
    return std::hash<const DOMElement*>()(m_element.get());
}

} // namespace brevanton
