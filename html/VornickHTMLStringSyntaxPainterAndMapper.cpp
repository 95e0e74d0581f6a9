#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"

#include "platform/dom/DOMDocument.h"
#include "platform/foundation/Text.h"

#include <initializer_list>

namespace brevanton {

namespace {

constexpr size_t PaintingTabWidth = 4;
constexpr uint16_t ElementNode = 1;
constexpr uint16_t TextNode = 3;
constexpr uint16_t CommentNode = 8;
constexpr uint16_t DocumentTypeNode = 10;

bool isOneOf(std::u16string_view name, std::initializer_list<std::u16string_view> names)
{
    for (auto candidate : names) {
        if (name == candidate)
            return true;
    }
    return false;
}

// Does a start tag of `opening` end an open element `open` whose end tag is optional?
bool startTagClosesElement(std::u16string_view opening, std::u16string_view open)
{
    if (open == u"p") {
        return isOneOf(opening, { u"address", u"article", u"aside", u"blockquote", u"details", u"div", u"dl", u"fieldset",
                                  u"figcaption", u"figure", u"footer", u"form", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6",
                                  u"header", u"hgroup", u"hr", u"main", u"menu", u"nav", u"ol", u"p", u"pre", u"section",
                                  u"table", u"ul", u"search" });
    }
    if (open == u"li")
        return opening == u"li";
    if (open == u"dt" || open == u"dd")
        return opening == u"dt" || opening == u"dd";
    if (open == u"option")
        return opening == u"option" || opening == u"optgroup";
    if (open == u"td" || open == u"th")
        return isOneOf(opening, { u"td", u"th", u"tr", u"tbody", u"thead", u"tfoot" });
    if (open == u"tr")
        return isOneOf(opening, { u"tr", u"tbody", u"thead", u"tfoot" });
    if (open == u"thead" || open == u"tbody")
        return opening == u"tbody" || opening == u"tfoot";
    if (open == u"head")
        return opening == u"body";
    return false;
}

bool isWhitespaceOnly(std::u16string_view text)
{
    for (char16_t c : text) {
        if (!isHTMLWhitespace(c))
            return false;
    }
    return true;
}

} // namespace

OperationQueue& VornickHTMLStringSyntaxPainterAndMapper::mappingQueue()
{
    static OperationQueue queue("VornickSyntaxPainterAndMapper mappingQueue", OperationQueue::DefaultMaxConcurrentOperationCount);
    return queue;
}

void VornickHTMLStringSyntaxPainterAndMapper::paintAndMapHTMLString(std::u16string htmlString, const DOMDocument* document,
    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences, bool omitWhitespaceNodes, Completion completion,
    OperationQueue& queue)
{
    // The operation works on its own copy of the preferences.
    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> copy;
    if (preferences)
        copy = preferences->mutableCopy();
    bool xmlSource = document && !document->isHTMLDocument();
    mappingQueue().addOperation([htmlString = std::move(htmlString), xmlSource, copy, omitWhitespaceNodes,
                                 completion = std::move(completion), &queue] {
        VornickHTMLStringSyntaxPainterAndMapper painter;
        painter.paintAndMap(htmlString, xmlSource, copy, omitWhitespaceNodes,
            [&](std::shared_ptr<const AttributedString> string, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
                queue.addOperation([completion, string, map] { completion(string, map); });
            });
    });
}

VornickHTMLStringSyntaxPainterAndMapper::VornickHTMLStringSyntaxPainterAndMapper()
    : m_preferences(VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences())
{
}

bool VornickHTMLStringSyntaxPainterAndMapper::paintAndMapHTMLString(std::u16string_view htmlString, const DOMDocument* document,
    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences, bool omitWhitespaceNodes, const Completion& completion)
{
    return paintAndMap(htmlString, document && !document->isHTMLDocument(), std::move(preferences), omitWhitespaceNodes, completion);
}

bool VornickHTMLStringSyntaxPainterAndMapper::paintAndMap(std::u16string_view htmlString, bool xmlSource,
    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences, bool omitWhitespaceNodes, const Completion& completion)
{
    if (preferences)
        m_preferences = std::move(preferences);
    for (VornickSyntaxColoringTokenKind kind = 0; kind <= TK_LAST; ++kind)
        m_attributes[kind] = m_preferences->attributesDictionaryForTokenKind(kind, PaintingTabWidth);
    m_string = htmlString;
    m_runs.clear();
    m_paintedTo = 0;
    m_openElements.clear();
    m_pendingText = { VornickNotFound, 0 };
    m_insideDOCTYPE = false;
    m_sawDOCTYPEKeyword = false;
    m_insideXMLHeader = false;
    m_map = std::make_shared<VornickDOMToNSRangeMap>(omitWhitespaceNodes);
    m_operation = Operation::current();
    m_tokensSinceCancelCheck = 0;

    VornickHTMLScanner scanner;
    scanner.setDelegate(this);
    // The source of an XML document is read as XML declares its DOCTYPE.
    scanner.setReadsInternalSubsets(xmlSource);
    bool result = scanner.parseHTMLString(htmlString);
    if (m_operation && m_operation->isCancelled()) {
        m_runs = {};
        m_map.reset();
        m_string = {};
        return false;
    }

    if (m_paintedTo < htmlString.size())
        m_runs.push_back({ m_paintedTo, htmlString.size() - m_paintedTo, m_attributes[TK_OTHER_TEXT] });
    auto attributedString = std::make_shared<const AttributedString>(std::u16string(htmlString), std::move(m_runs));
    auto map = std::move(m_map);
    m_runs = {};
    m_string = {};
    if (completion)
        completion(attributedString, map);
    return result;
}

void VornickHTMLStringSyntaxPainterAndMapper::htmlScannerScannedToken(VornickHTMLScanner& scanner, VornickHTMLScannerToken token,
                                                                      std::u16string_view, VornickRange range, const std::u16string*)
{
    if (m_operation && ++m_tokensSinceCancelCheck % 4096 == 0 && m_operation->isCancelled()) {
        scanner.stopParsing();
        return;
    }
    if (range.end() > m_string.size() || range.location < m_paintedTo)
        return;
    if (range.location > m_paintedTo)
        paint(m_paintedTo, range.location, m_insideXMLHeader ? TK_XML_DECLARATION : TK_OTHER_TEXT);
    paintToken(token, range);
    m_paintedTo = range.end();

    if (token == VornickHTMLScannerTokenText) {
        if (scanner.isInsideMarkup())
            return;
        // Neighbouring text tokens are one DOM text node.
        if (m_pendingText.location != VornickNotFound && m_pendingText.end() == range.location)
            m_pendingText.length += range.length;
        else {
            flushPendingText();
            m_pendingText = range;
        }
        return;
    }
    if (token == VornickHTMLScannerTokenComment) {
        flushPendingText();
        m_map->beginNodeOfType(CommentNode, u"comment", range.location);
        m_map->endNodeOfType(CommentNode, u"comment", range.end());
    }
}

void VornickHTMLStringSyntaxPainterAndMapper::paint(size_t from, size_t to, VornickSyntaxColoringTokenKind kind)
{
    if (to > from)
        m_runs.push_back({ from, to - from, m_attributes[kind] });
}

// Each construct gets the kinds the HTML writer gives it when it writes the
// same text, so a source looks the same before and after its first edit.
void VornickHTMLStringSyntaxPainterAndMapper::paintToken(VornickHTMLScannerToken token, VornickRange range)
{
    std::u16string_view text = m_string.substr(range.location, range.length);
    if (m_insideXMLHeader) {
        // The declaration is one run, its punctuation and blanks included.
        paint(range.location, range.end(), TK_XML_DECLARATION);
        return;
    }
    if (m_insideDOCTYPE && token == VornickHTMLScannerTokenDOCTYPE)
        m_sawDOCTYPEKeyword = true;
    if (m_insideDOCTYPE && token == VornickHTMLScannerTokenText && m_sawDOCTYPEKeyword) {
        paintDOCTYPEInterior(range);
        return;
    }
    if (token == VornickHTMLScannerTokenElementAttributeValue && !text.empty() && (text[0] == u'"' || text[0] == u'\'')) {
        // The quotes are punctuation, the value between them the value.
        bool closed = text.size() >= 2 && text.back() == text[0];
        paint(range.location, range.location + 1, TK_MARKUP_PUNCTUATION);
        paint(range.location + 1, range.end() - (closed ? 1 : 0), TK_ATTRIBUTE_VALUE);
        if (closed)
            paint(range.end() - 1, range.end(), TK_MARKUP_PUNCTUATION);
        return;
    }
    if (token == VornickHTMLScannerTokenComment) {
        // Processing instructions are written as declarations, CDATA
        // sections as text.
        if (text.starts_with(u"<?"))
            paint(range.location, range.end(), TK_XML_DECLARATION);
        else if (text.starts_with(u"<![CDATA["))
            paint(range.location, range.end(), TK_OTHER_TEXT);
        else
            paint(range.location, range.end(), TK_COMMENT);
        return;
    }
    paint(range.location, range.end(), VornickHTMLSyntaxColoringPreferences::tokenKindForHTMLScannerToken(token));
}

// What follows "<!DOCTYPE": the name, the keywords and the quoted identifiers
// as attribute names, the blanks between them as text, and an internal
// subset as the DOCTYPE in its brackets.
void VornickHTMLStringSyntaxPainterAndMapper::paintDOCTYPEInterior(VornickRange range)
{
    size_t position = range.location;
    size_t end = range.end();
    while (position < end) {
        char16_t c = m_string[position];
        size_t next = position + 1;
        VornickSyntaxColoringTokenKind kind = TK_ATTRIBUTE_NAME;
        if (isHTMLWhitespace(c)) {
            while (next < end && isHTMLWhitespace(m_string[next]))
                ++next;
            kind = TK_OTHER_TEXT;
        } else if (c == u'"' || c == u'\'') {
            size_t close = m_string.find(c, next);
            next = close == std::u16string_view::npos || close >= end ? end : close + 1;
        } else if (c == u'[') {
            paint(position, next, TK_OTHER_TEXT);
            size_t close = m_string.rfind(u']', end - 1);
            if (close == std::u16string_view::npos || close < next)
                close = end;
            paint(next, close, TK_DOCTYPE);
            position = close;
            continue;
        } else if (c == u']') {
            kind = TK_OTHER_TEXT;
        } else {
            while (next < end && !isHTMLWhitespace(m_string[next]) && m_string[next] != u'"' && m_string[next] != u'\''
                   && m_string[next] != u'[')
                ++next;
        }
        paint(position, next, kind);
        position = next;
    }
}

void VornickHTMLStringSyntaxPainterAndMapper::flushPendingText()
{
    if (m_pendingText.location == VornickNotFound)
        return;
    VornickRange text = m_pendingText;
    m_pendingText = { VornickNotFound, 0 };
    if (isWhitespaceOnly(m_string.substr(text.location, text.length))) {
        m_map->beginWhitespaceNodeAtOffset(text.location);
        m_map->endWhitespaceNodeAtOffset(text.end());
    } else {
        m_map->beginNodeOfType(TextNode, u"text", text.location);
        m_map->endNodeOfType(TextNode, u"text", text.end());
    }
}

void VornickHTMLStringSyntaxPainterAndMapper::closeElementsDownTo(size_t depth, size_t offset)
{
    while (m_openElements.size() > depth) {
        m_map->endNodeOfType(ElementNode, m_openElements.back(), offset);
        m_openElements.pop_back();
    }
}

void VornickHTMLStringSyntaxPainterAndMapper::htmlScannerBeginDOCTYPEAt(VornickHTMLScanner&, size_t offset)
{
    flushPendingText();
    m_insideDOCTYPE = true;
    m_sawDOCTYPEKeyword = false;
    m_map->beginNodeOfType(DocumentTypeNode, u"DOCTYPE", offset);
}

void VornickHTMLStringSyntaxPainterAndMapper::htmlScannerEndDOCTYPEAt(VornickHTMLScanner&, size_t offset)
{
    m_insideDOCTYPE = false;
    m_map->endNodeOfType(DocumentTypeNode, u"DOCTYPE", offset);
}

void VornickHTMLStringSyntaxPainterAndMapper::htmlScannerBeginXMLHeaderAt(VornickHTMLScanner&, size_t offset)
{
    flushPendingText();
    m_insideXMLHeader = true;
    m_map->beginNodeOfType(CommentNode, u"<?xml header", offset);
}

void VornickHTMLStringSyntaxPainterAndMapper::htmlScannerEndXMLHeaderAt(VornickHTMLScanner&, size_t offset)
{
    m_insideXMLHeader = false;
    m_map->endNodeOfType(CommentNode, u"<?xml header", offset);
}

void VornickHTMLStringSyntaxPainterAndMapper::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName)
{
    flushPendingText();
    std::u16string name = asciiLowercase(tagName);
    while (!m_openElements.empty() && startTagClosesElement(name, m_openElements.back()))
        closeElementsDownTo(m_openElements.size() - 1, offset);
    m_map->beginNodeOfType(ElementNode, tagName, offset);
    m_openElements.push_back(std::move(name));
}

void VornickHTMLStringSyntaxPainterAndMapper::htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName)
{
    flushPendingText();
    std::u16string name = asciiLowercase(tagName);
    for (size_t i = m_openElements.size(); i-- > 0;) {
        if (m_openElements[i] == name) {
            closeElementsDownTo(i, offset);
            return;
        }
    }
    // An end tag of nothing open closes nothing.
}

void VornickHTMLStringSyntaxPainterAndMapper::htmlScannerEndParsingAt(VornickHTMLScanner&, size_t offset)
{
    flushPendingText();
    closeElementsDownTo(0, offset);
}

const AttributedString& VornickHTMLSourceViewAttributedStringBuilder::generateAttributedStringFromHTMLString(std::u16string_view string)
{
    m_attributedString.clear();
    VornickHTMLScanner scanner;
    scanner.setIdentifiesEntityReferences(true);
    scanner.setDelegate(this);
    scanner.parseHTMLString(string);
    return m_attributedString;
}

void VornickHTMLSourceViewAttributedStringBuilder::htmlScannerBeginParsingAt(VornickHTMLScanner&, size_t)
{
    auto make = [](std::optional<Color> color) {
        auto dictionary = std::make_shared<TextAttributeDictionary>();
        (*dictionary)[FontAttributeName] = VornickDefaultSourceFont();
        if (color)
            (*dictionary)[ForegroundColorAttributeName] = *color;
        return TextAttributes(dictionary);
    };
    m_plain = make(std::nullopt);
    m_orange = make(Color::orange());
    m_magenta = make(Color::magenta());
}

void VornickHTMLSourceViewAttributedStringBuilder::htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken token,
                                                                           std::u16string_view string, VornickRange, const std::u16string*)
{
    const TextAttributes* attributes = &m_plain;
    if (token == VornickHTMLScannerTokenEntityReference)
        attributes = &m_magenta;
    else if (token < 256 || (token >= VornickHTMLScannerTokenComment && token <= VornickHTMLScannerTokenDOCTYPE))
        attributes = &m_orange;
    m_attributedString.appendString(string, *attributes);
}

} // namespace brevanton
