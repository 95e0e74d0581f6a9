#include "html/VornickWordPressEditableBlockContentElementsIdentifier.h"

#include "platform/foundation/Text.h"
#include "toolkit/VornickWhitespaceFilter.h"

namespace brevanton {

std::set<std::u16string> VornickWordPressEditableBlockContentElementsIdentifier::editableContentElementTypesInBlockHTMLString(std::u16string_view html)
{
    VornickWordPressEditableBlockContentElementsIdentifier identifier;
    return identifier.parseHTMLString(html);
}

std::set<std::u16string> VornickWordPressEditableBlockContentElementsIdentifier::parseHTMLString(std::u16string_view html)
{
    if (!m_scanner) {
        m_scanner = std::make_unique<VornickHTMLScanner>();
        m_scanner->setDelegate(this);
    }
    // Text before the first tag of this string belongs to no element.
    m_parentElementTagName.reset();
    (void)m_scanner->parseHTMLString(html);
    return m_editableContentElementTypes;
}

void VornickWordPressEditableBlockContentElementsIdentifier::htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t, std::u16string_view tagName,
                                                                                            size_t)
{
    m_parentElementTagName = std::u16string(tagName);
}

void VornickWordPressEditableBlockContentElementsIdentifier::htmlScannerEndElementAt(VornickHTMLScanner&, size_t, std::u16string_view)
{
    m_parentElementTagName.reset();
}

void VornickWordPressEditableBlockContentElementsIdentifier::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                                                     std::u16string_view string, VornickRange, const std::u16string*)
{
    if (token != VornickHTMLScannerTokenText || !m_parentElementTagName || scanner.isInsideMarkup())
        return;
    if (vornick_containsOnlyHTMLWhitespace(string))
        return;
    m_editableContentElementTypes.insert(asciiLowercase(*m_parentElementTagName));
}

} // namespace brevanton
