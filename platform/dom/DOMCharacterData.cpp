#include "platform/dom/DOMCharacterData.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

void DOMCharacterData::setData(const std::u16string& data)
{
    replaceData(0, length(), data);
}

std::u16string DOMCharacterData::substringData(unsigned offset, unsigned count, Error* outError) const
{
    if (offset > length()) {
        setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The offset is past the end of the data.");
        return {};
    }
    return m_data.substr(offset, count);
}

void DOMCharacterData::appendData(const std::u16string& data)
{
    replaceData(length(), 0, data);
}

bool DOMCharacterData::insertData(unsigned offset, const std::u16string& data, Error* outError)
{
    return replaceData(offset, 0, data, outError);
}

bool DOMCharacterData::deleteData(unsigned offset, unsigned count, Error* outError)
{
    return replaceData(offset, count, {}, outError);
}

bool DOMCharacterData::replaceData(unsigned offset, unsigned count, const std::u16string& data, Error* outError)
{
    unsigned length = this->length();
    if (offset > length)
        return setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The offset is past the end of the data.");
    if (count > length - offset)
        count = length - offset;
    m_data.replace(offset, count, data);

    auto* document = this->document();
    if (!document)
        return true;
    document->characterDataChanged(*this);
    unsigned newLength = static_cast<unsigned>(data.size());
    for (auto* range : document->ranges()) {
        if (range->startNode() == this) {
            unsigned start = range->startOffset();
            if (start > offset && start <= offset + count)
                range->setStartOffsetRaw(offset);
            else if (start > offset + count)
                range->setStartOffsetRaw(start + newLength - count);
        }
        if (range->endNode() == this) {
            unsigned end = range->endOffset();
            if (end > offset && end <= offset + count)
                range->setEndOffsetRaw(offset);
            else if (end > offset + count)
                range->setEndOffsetRaw(end + newLength - count);
        }
    }
    return true;
}

std::shared_ptr<DOMElement> DOMCharacterData::previousElementSibling() const
{
    for (auto* node = previous(); node; node = node->previous())
        if (auto* element = toElement(node))
            return downcast<DOMElement>(element->shared_from_this());
    return nullptr;
}

std::shared_ptr<DOMElement> DOMCharacterData::nextElementSibling() const
{
    for (auto* node = next(); node; node = node->next())
        if (auto* element = toElement(node))
            return downcast<DOMElement>(element->shared_from_this());
    return nullptr;
}

std::shared_ptr<DOMText> DOMText::splitText(unsigned offset, Error* outError)
{
    unsigned length = this->length();
    if (offset > length) {
        setDOMError(outError, DOMExceptionCode::IndexSizeError, u"The offset is past the end of the text.");
        return nullptr;
    }
    auto newData = m_data.substr(offset);
    std::shared_ptr<DOMText> newNode;
    if (nodeType() == CDATA_SECTION_NODE)
        newNode = std::make_shared<DOMCDATASection>(documentHandle(), std::move(newData));
    else
        newNode = std::make_shared<DOMText>(documentHandle(), std::move(newData));
    auto* parent = this->parent();
    auto* document = this->document();
    if (parent) {
        parent->insertChild(newNode, next());
        if (document && !document->ranges().empty()) {
            unsigned newIndex = index() + 1;
            for (auto* range : document->ranges()) {
                if (range->startNode() == this && range->startOffset() > offset)
                    range->setStartRaw(newNode.get(), range->startOffset() - offset);
                if (range->endNode() == this && range->endOffset() > offset)
                    range->setEndRaw(newNode.get(), range->endOffset() - offset);
                if (range->startNode() == parent && range->startOffset() == newIndex)
                    range->setStartOffsetRaw(newIndex + 1);
                if (range->endNode() == parent && range->endOffset() == newIndex)
                    range->setEndOffsetRaw(newIndex + 1);
            }
        }
    }
    replaceData(offset, length - offset, {});
    return newNode;
}

std::u16string DOMText::wholeText() const
{
    const DOMNode* first = this;
    while (first->previous() && first->previous()->isTextNode())
        first = first->previous();
    std::u16string text;
    for (auto* node = first; node && node->isTextNode(); node = node->next())
        text += downcast<DOMText>(node)->data();
    return text;
}

std::shared_ptr<DOMNode> DOMText::cloneSelf(DOMDocument* document) const
{
    return std::make_shared<DOMText>(document ? document->documentHandle() : documentHandle(), m_data);
}

std::shared_ptr<DOMNode> DOMCDATASection::cloneSelf(DOMDocument* document) const
{
    return std::make_shared<DOMCDATASection>(document ? document->documentHandle() : documentHandle(), m_data);
}

std::shared_ptr<DOMNode> DOMComment::cloneSelf(DOMDocument* document) const
{
    return std::make_shared<DOMComment>(document ? document->documentHandle() : documentHandle(), m_data);
}

std::shared_ptr<DOMNode> DOMProcessingInstruction::cloneSelf(DOMDocument* document) const
{
    return std::make_shared<DOMProcessingInstruction>(document ? document->documentHandle() : documentHandle(),
                                                      m_target, m_data);
}

} // namespace brevanton
