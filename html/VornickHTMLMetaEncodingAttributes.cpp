#include "html/VornickHTMLMetaEncodingAttributes.h"

#include "html/VornickHTMLScanner.h"
#include "platform/foundation/Text.h"

#include <string>

namespace brevanton {

bool VornickHTMLWrittenAttributeValue::isComplete() const
{
    if (written.empty() || (written.front() != '"' && written.front() != '\''))
        return true;
    return written.size() >= 2 && written.back() == written.front();
}

std::string_view VornickHTMLWrittenAttributeValue::unquoted() const
{
    if (written.size() >= 2 && (written.front() == '"' || written.front() == '\'') && written.back() == written.front())
        return written.substr(1, written.size() - 2);
    return written;
}

namespace {

bool bytesEqualIgnoringASCIICase(std::string_view bytes, std::string_view lowerCase)
{
    if (bytes.size() != lowerCase.size())
        return false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char byte = bytes[i];
        if ((byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + ('a' - 'A')) : byte) != lowerCase[i])
            return false;
    }
    return true;
}

class MetaEncodingAttributesReader : public VornickHTMLScannerDelegate {
public:
    MetaEncodingAttributesReader(std::string_view bytes, const std::function<bool(const VornickHTMLMetaEncodingAttributes&)>& meta)
        : m_bytes(bytes)
        , m_meta(meta)
    {
    }

    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override
    {
        // The scanner ends a tag at a stray quote, where an HTML parser reads
        // on to the next ">": a META tag broken off so goes on to the end of
        // the next tag, whose attributes an HTML parser reads as its own.
        if (m_inMeta || m_stopped || !equalsIgnoringASCIICase(tagName, u"META"))
            return;
        m_inMeta = true;
        m_attributes = VornickHTMLMetaEncodingAttributes {};
        m_attributes.tagLocation = offset;
        m_attributeName = {};
        m_sawHTTPEquiv = false;
    }
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner& scanner, size_t offset, std::u16string_view, size_t) override
    {
        endOfMeta(scanner, offset);
    }
    void htmlScannerEndElementAt(VornickHTMLScanner& scanner, size_t offset, std::u16string_view) override { endOfMeta(scanner, offset); }
    void htmlScannerEndParsingAt(VornickHTMLScanner& scanner, size_t offset) override { endOfMeta(scanner, offset); }
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken token, std::u16string_view, VornickRange range,
                                 const std::u16string*) override
    {
        if (!m_inMeta)
            return;
        if (token == VornickHTMLScannerTokenElementAttributeName) {
            m_attributeName = m_bytes.substr(range.location, range.length);
            return;
        }
        if (token != VornickHTMLScannerTokenElementAttributeValue || m_attributeName.empty())
            return;
        VornickHTMLWrittenAttributeValue value { range.location, m_bytes.substr(range.location, range.length) };
        if (bytesEqualIgnoringASCIICase(m_attributeName, "charset")) {
            if (!m_attributes.charset)
                m_attributes.charset = value;
        } else if (bytesEqualIgnoringASCIICase(m_attributeName, "content")) {
            if (!m_attributes.content)
                m_attributes.content = value;
        } else if (bytesEqualIgnoringASCIICase(m_attributeName, "http-equiv") && !m_sawHTTPEquiv) {
            m_sawHTTPEquiv = true;
            m_attributes.httpEquivContentType = bytesEqualIgnoringASCIICase(value.unquoted(), "content-type");
        }
        m_attributeName = {};
    }

private:
    void endOfMeta(VornickHTMLScanner& scanner, size_t offset)
    {
        if (!m_inMeta)
            return;
        m_inMeta = false;
        if (!m_attributes.charset && !m_attributes.content)
            return;
        m_attributes.tagEnd = offset;
        if (!m_meta(m_attributes)) {
            m_stopped = true;
            scanner.stopParsing();
        }
    }

    std::string_view m_bytes;
    const std::function<bool(const VornickHTMLMetaEncodingAttributes&)>& m_meta;
    bool m_inMeta { false };
    bool m_stopped { false };
    VornickHTMLMetaEncodingAttributes m_attributes;
    std::string_view m_attributeName;
    bool m_sawHTTPEquiv { false };
};

} // namespace

void VornickHTMLReadMetaEncodingAttributes(std::string_view bytes,
                                           const std::function<bool(const VornickHTMLMetaEncodingAttributes&)>& meta)
{
    // Each byte is one character, so offsets in the text are offsets in the bytes.
    std::u16string text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes)
        text.push_back(static_cast<char16_t>(byte));
    MetaEncodingAttributesReader reader(bytes, meta);
    VornickHTMLScanner scanner;
    scanner.setDelegate(&reader);
    scanner.parseHTMLString(text);
}

} // namespace brevanton
