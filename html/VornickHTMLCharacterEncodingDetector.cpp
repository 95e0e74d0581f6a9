#include "html/VornickHTMLCharacterEncodingDetector.h"

#include "toolkit/VornickStringExtensions.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isSpace(char16_t c) { return isHTMLWhitespace(c); }

std::u16string trimmedOfSpaces(std::u16string_view text)
{
    size_t start = 0;
    size_t end = text.size();
    while (start < end && isSpace(text[start]))
        ++start;
    while (end > start && isSpace(text[end - 1]))
        --end;
    return std::u16string(text.substr(start, end - start));
}

} // namespace

std::optional<std::u16string> VornickHTMLCharacterEncodingDetector::detectIANACharacterEncodingDeclarationInHTMLFileAtURL(const URL& url)
{
    auto path = url.fileSystemPath();
    if (!path)
        return std::nullopt;
    auto head = readFilePrefix(*path, bytesExamined);
    if (!head || head->empty())
        return std::nullopt;
    VornickHTMLCharacterEncodingDetector detector;
    return detector.detectIANACharacterEncodingDeclarationInHTMLData(*head);
}

std::optional<std::u16string> VornickHTMLCharacterEncodingDetector::detectIANACharacterEncodingDeclarationInHTMLData(std::string_view bytes)
{
    bytes = bytes.substr(0, std::min(bytes.size(), bytesExamined));
    if (bytes.empty())
        return std::nullopt;
    // A byte order mark is not part of the markup.
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    // ISO-8859-1 maps every byte to one character, so the ASCII markup of any
    // ASCII-compatible encoding reads as itself, whatever other bytes occur.
    std::u16string text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes)
        text.push_back(static_cast<char16_t>(byte));

    m_detectedCharacterSetName.reset();
    m_inMetaElementTag = false;
    m_gotHTTPEquivContentType = false;
    m_gotContentTextHTML = false;
    m_attributeName.clear();
    VornickHTMLScanner scanner;
    scanner.setDelegate(this);
    scanner.parseHTMLString(text);
    return m_detectedCharacterSetName;
}

std::optional<std::u16string> VornickHTMLCharacterEncodingDetector::characterSetFromContentValue(std::u16string_view content)
{
    std::u16string value = asciiLowercase(content);
    if (!value.starts_with(u"text/html;"))
        return std::nullopt;
    size_t start = 10;
    for (size_t i = 10; i < value.size(); ++i) {
        if (isSpace(value[i])) {
            start = i + 1;
            break;
        }
    }
    if (start > value.size() || value.size() - start < 9)
        return std::nullopt;
    size_t found = value.find(u"charset=", start);
    if (found == std::u16string::npos)
        return std::nullopt;
    std::u16string name = trimmedOfSpaces(std::u16string_view(value).substr(found + 8));
    if (name.empty())
        return std::nullopt;
    return name;
}

void VornickHTMLCharacterEncodingDetector::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t, std::u16string_view tagName)
{
    if (equalsIgnoringASCIICase(tagName, u"META"))
        m_inMetaElementTag = true;
}

void VornickHTMLCharacterEncodingDetector::endOfMetaTag()
{
    m_inMetaElementTag = false;
    m_gotHTTPEquivContentType = false;
    m_gotContentTextHTML = false;
    m_attributeName.clear();
}

void VornickHTMLCharacterEncodingDetector::htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t, std::u16string_view, size_t)
{
    endOfMetaTag();
}

void VornickHTMLCharacterEncodingDetector::htmlScannerEndElementAt(VornickHTMLScanner&, size_t, std::u16string_view)
{
    endOfMetaTag();
}

void VornickHTMLCharacterEncodingDetector::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                                   std::u16string_view string, VornickRange, const std::u16string*)
{
    if (!m_inMetaElementTag)
        return;
    if (token == VornickHTMLScannerTokenElementAttributeName) {
        m_attributeName = string;
        return;
    }
    if (token != VornickHTMLScannerTokenElementAttributeValue || m_attributeName.empty())
        return;
    std::u16string value = vornick_stringByTrimmingHTMLAttributeQuotes(string);
    if (equalsIgnoringASCIICase(m_attributeName, u"charset")) {
        // Spaces around the name are not part of it.
        value = trimmedOfSpaces(value);
        // An empty charset declares nothing: the scan goes on.
        if (value.empty())
            return;
        m_detectedCharacterSetName = value;
        scanner.stopParsing();
    } else if (equalsIgnoringASCIICase(m_attributeName, u"http-equiv")) {
        if (equalsIgnoringASCIICase(value, u"Content-Type")) {
            m_gotHTTPEquivContentType = true;
            if (m_gotContentTextHTML)
                scanner.stopParsing();
        }
    } else if (equalsIgnoringASCIICase(m_attributeName, u"content")) {
        if (auto name = characterSetFromContentValue(value)) {
            m_detectedCharacterSetName = *name;
            m_gotContentTextHTML = true;
            if (m_gotHTTPEquivContentType)
                scanner.stopParsing();
        }
    }
}

} // namespace brevanton
