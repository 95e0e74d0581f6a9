#include "html/VornickHTMLStringTextExtractor.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {
bool isNonEmitting(std::u16string_view lowercaseName) { return lowercaseName == u"script" || lowercaseName == u"style"; }
}

VornickHTMLStringTextExtractor::VornickHTMLStringTextExtractor()
{
    m_scanner.setIdentifiesEntityReferences(true);
    m_scanner.setDelegate(this);
    m_nonEmittingEnclosingElementStack.reserve(32);
}

std::u16string VornickHTMLStringTextExtractor::extractTextFromHTMLMarkupString(std::u16string_view string)
{
    m_result.clear();
    m_nonEmittingEnclosingElementStack.clear();
    m_scanner.parseHTMLString(string);
    return std::move(m_result);
}

void VornickHTMLStringTextExtractor::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t, std::u16string_view tagName)
{
    auto name = asciiLowercase(tagName);
    if (isNonEmitting(name))
        m_nonEmittingEnclosingElementStack.push_back(std::move(name));
}

void VornickHTMLStringTextExtractor::htmlScannerEndElementAt(VornickHTMLScanner&, size_t, std::u16string_view tagName)
{
    if (!m_nonEmittingEnclosingElementStack.empty() && asciiLowercase(tagName) == m_nonEmittingEnclosingElementStack.back())
        m_nonEmittingEnclosingElementStack.pop_back();
}

void VornickHTMLStringTextExtractor::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                             std::u16string_view string, VornickRange, const std::u16string* value)
{
    if (!m_nonEmittingEnclosingElementStack.empty())
        return;
    if (token == VornickHTMLScannerTokenText && !scanner.isInsideMarkup())
        m_result += string;
    else if (token == VornickHTMLScannerTokenEntityReference)
        m_result += value ? std::u16string_view(*value) : string;
}

std::u16string vornick_stringbyStrippingHTMLMarkup(std::u16string_view string)
{
    VornickHTMLStringTextExtractor extractor;
    return extractor.extractTextFromHTMLMarkupString(string);
}

} // namespace brevanton
