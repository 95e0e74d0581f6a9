#include "html/VornickHTMLEncodingDeclarations.h"

#include "html/VornickHTMLScanner.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickStringExtensions.h"

#include <algorithm>

namespace brevanton {

namespace {

// The part of the bytes before the first "<body" (all of them without one):
// the declarations stand in the head, and nothing past it is widened.
std::string_view partBeforeBody(std::string_view bytes)
{
    static constexpr std::string_view bodyTag = "<body";
    auto found = std::search(bytes.begin(), bytes.end(), bodyTag.begin(), bodyTag.end(), [](char byte, char tag) {
        return (byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte) == tag;
    });
    return bytes.substr(0, static_cast<size_t>(found - bytes.begin()));
}

class DeclarationCollector : public VornickHTMLScannerDelegate {
public:
    std::vector<VornickHTMLEncodingDeclaration> declarations;

    void htmlScannerBeginElementAt(VornickHTMLScanner& scanner, size_t, std::u16string_view tagName) override
    {
        if (equalsIgnoringASCIICase(tagName, u"BODY")) {
            scanner.stopParsing();
            return;
        }
        m_inMeta = equalsIgnoringASCIICase(tagName, u"META");
        m_attributeName.clear();
        m_charset.reset();
        m_content.reset();
        m_httpEquivContentType = false;
    }
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t, std::u16string_view, size_t) override { endOfTag(); }
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t, std::u16string_view) override { endOfTag(); }
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken token, std::u16string_view string, VornickRange range,
                                 const std::u16string*) override
    {
        if (!m_inMeta)
            return;
        if (token == VornickHTMLScannerTokenElementAttributeName) {
            m_attributeName = string;
            return;
        }
        if (token != VornickHTMLScannerTokenElementAttributeValue || m_attributeName.empty())
            return;
        VornickHTMLEncodingDeclaration value { false, range.location, toLatin1Bytes(string) };
        if (equalsIgnoringASCIICase(m_attributeName, u"charset") && !m_charset)
            m_charset = std::move(value);
        else if (equalsIgnoringASCIICase(m_attributeName, u"content") && !m_content)
            m_content = std::move(value);
        else if (equalsIgnoringASCIICase(m_attributeName, u"http-equiv"))
            m_httpEquivContentType = equalsIgnoringASCIICase(vornick_stringByTrimmingHTMLAttributeQuotes(string), u"Content-Type");
        m_attributeName.clear();
    }

private:
    static std::string toLatin1Bytes(std::u16string_view widened)
    {
        std::string bytes;
        bytes.reserve(widened.size());
        for (char16_t unit : widened)
            bytes.push_back(static_cast<char>(unit));
        return bytes;
    }

    void endOfTag()
    {
        if (!m_inMeta)
            return;
        m_inMeta = false;
        if (m_content && !m_httpEquivContentType)
            m_content.reset();
        if (m_content)
            m_content->isContentType = true;
        // In the order they are written.
        if (m_charset && m_content && m_content->location < m_charset->location)
            std::swap(m_charset, m_content);
        for (auto* declaration : { &m_charset, &m_content }) {
            if (*declaration)
                declarations.push_back(std::move(**declaration));
        }
    }

    bool m_inMeta { false };
    std::u16string m_attributeName;
    std::optional<VornickHTMLEncodingDeclaration> m_charset;
    std::optional<VornickHTMLEncodingDeclaration> m_content;
    bool m_httpEquivContentType { false };
};

bool isASCII(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

} // namespace

std::vector<VornickHTMLEncodingDeclaration> VornickHTMLEncodingDeclarationsInData(std::string_view bytes)
{
    auto head = partBeforeBody(bytes);
    // Each byte is one character, so offsets in the text are offsets in the bytes.
    std::u16string text;
    text.reserve(head.size());
    for (unsigned char byte : head)
        text.push_back(static_cast<char16_t>(byte));
    DeclarationCollector collector;
    VornickHTMLScanner scanner;
    scanner.setDelegate(&collector);
    scanner.parseHTMLString(text);
    return std::move(collector.declarations);
}

std::optional<std::string> VornickHTMLDataWithEncodingDeclarationsOf(std::string_view copy, std::string_view original)
{
    auto wanted = VornickHTMLEncodingDeclarationsInData(original);
    auto found = VornickHTMLEncodingDeclarationsInData(copy);
    if (wanted.size() != found.size())
        return std::nullopt;
    bool changes = false;
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (wanted[i].isContentType != found[i].isContentType || !isASCII(wanted[i].written))
            return std::nullopt;
        changes = changes || wanted[i].written != found[i].written;
    }
    if (!changes)
        return std::nullopt;
    std::string result;
    result.reserve(copy.size() + 64);
    size_t copied = 0;
    for (size_t i = 0; i < wanted.size(); ++i) {
        result.append(copy.substr(copied, found[i].location - copied));
        result.append(wanted[i].written);
        copied = found[i].location + found[i].written.size();
    }
    result.append(copy.substr(copied));
    return result;
}

} // namespace brevanton
