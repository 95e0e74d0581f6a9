#include "html/VornickHTMLTreeRecognizer.h"

#include "platform/foundation/Text.h"

namespace brevanton {

VornickHTMLTreeRecognizer::VornickHTMLTreeRecognizer()
{
    m_scanner.setDelegate(this);
}

bool VornickHTMLTreeRecognizer::parseHTMLString(std::u16string_view string)
{
    return m_scanner.parseHTMLString(string);
}

void VornickHTMLTreeRecognizer::pushPartAndNotify(std::shared_ptr<VornickScannedHTMLPart> part)
{
    if (!m_partStack.empty())
        m_partStack.back()->addChild(part);
    m_partStack.push_back(part);
    if (m_delegate)
        m_delegate->htmlTreeRecognizerDidPushPart(*this, part);
}

void VornickHTMLTreeRecognizer::popPartAndNotify()
{
    if (m_partStack.empty())
        return;
    auto part = m_partStack.back();
    if (m_delegate)
        m_delegate->htmlTreeRecognizerWillPopPart(*this, part);
    m_partStack.pop_back();
}

size_t VornickHTMLTreeRecognizer::partStackIndexOfEnclosingElementWithTagName(std::u16string_view tagName) const
{
    for (size_t i = m_partStack.size(); i-- > 0;) {
        auto* startTag = dynamic_cast<VornickScannedHTMLElementStartTag*>(m_partStack[i].get());
        if (startTag && equalsIgnoringASCIICase(startTag->tagName(), tagName))
            return i;
    }
    return VornickNotFound;
}

void VornickHTMLTreeRecognizer::completePendingAttributeAssignmentWithAttributeValue(std::optional<std::u16string> value,
                                                                                     VornickRange valueRange)
{
    if (!m_pendingAttributeName)
        return;
    VornickRange range = m_pendingAttributeNameRange;
    if (value && valueRange.length && valueRange.location != VornickNotFound)
        range = { range.location, valueRange.end() - range.location };
    m_pendingAttributeAssignments.push_back(std::make_shared<VornickScannedHTMLAttributeAssignment>(
        range, std::move(*m_pendingAttributeName), std::move(value), valueRange));
    m_pendingAttributeName.reset();
}

void VornickHTMLTreeRecognizer::pushPendingElementStartTag(std::u16string_view tagName, size_t startOffset, size_t endOffset)
{
    completePendingAttributeAssignmentWithAttributeValue(std::nullopt, { VornickNotFound, 0 });
    auto part = std::make_shared<VornickScannedHTMLElementStartTag>(VornickRange { startOffset, endOffset - startOffset },
        std::u16string(tagName), m_pendingAttributeAssignments);
    m_pendingAttributeAssignments.clear();
    pushPartAndNotify(std::move(part));
}

void VornickHTMLTreeRecognizer::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view)
{
    m_pendingStartTagOffset = offset;
    m_pendingAttributeAssignments.clear();
    m_pendingAttributeName.reset();
    m_pendingAttributeNameRange = { VornickNotFound, 0 };
}

void VornickHTMLTreeRecognizer::htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken token,
                                                        std::u16string_view string, VornickRange range, const std::u16string*)
{
    if (token == VornickHTMLScannerTokenElementAttributeName) {
        // A name without a value that precedes this one is complete now.
        completePendingAttributeAssignmentWithAttributeValue(std::nullopt, { VornickNotFound, 0 });
        m_pendingAttributeName = std::u16string(string);
        m_pendingAttributeNameRange = range;
    } else if (token == VornickHTMLScannerTokenElementAttributeValue)
        completePendingAttributeAssignmentWithAttributeValue(std::u16string(string), range);
}

void VornickHTMLTreeRecognizer::htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName,
                                                               size_t openTagStartedAt)
{
    pushPendingElementStartTag(tagName, openTagStartedAt, offset);
}

void VornickHTMLTreeRecognizer::htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t, std::u16string_view, size_t)
{
    m_pendingStartTagOffset = VornickNotFound;
}

void VornickHTMLTreeRecognizer::htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName)
{
    if (m_pendingStartTagOffset != VornickNotFound) {
        pushPendingElementStartTag(tagName, m_pendingStartTagOffset, offset);
        m_pendingStartTagOffset = VornickNotFound;
    }
    popPartAndNotify();
}

} // namespace brevanton
