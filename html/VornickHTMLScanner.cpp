#include "html/VornickHTMLScanner.h"

#include "toolkit/VornickCharacterSets.h"
#include "html/VornickElementKindTables.h"
#include "html/VornickHTMLSpec.h"
#include "platform/foundation/Text.h"

#include <array>
#include <mutex>

namespace brevanton {

namespace {

inline bool isASCIIAlpha(char16_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; }
inline bool isASCIIDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool isASCIIAlphanumeric(char16_t c) { return isASCIIAlpha(c) || isASCIIDigit(c); }
inline bool isHexDigit(char16_t c) { return isASCIIDigit(c) || ((c | 0x20) >= u'a' && (c | 0x20) <= u'f'); }
inline unsigned hexValue(char16_t c) { return isASCIIDigit(c) ? c - u'0' : (c | 0x20) - u'a' + 10; }

// Tag names: a letter first, then letters, digits and the
// punctuation of custom elements and prefixed names.
inline bool isTagNameCharacter(char16_t c)
{
    return isASCIIAlphanumeric(c) || c == u'-' || c == u'_' || c == u'.' || c == u':' || c >= 0x80;
}

// Attribute names end at HTML whitespace, "\"'>/=" and control characters.
bool isAttributeNameCharacter(char16_t c)
{
    static const std::array<bool, 128> ascii = [] {
        std::array<bool, 128> table {};
        for (char16_t c = 0x21; c < 0x7F; ++c)
            table[c] = true;
        for (char16_t c : std::u16string_view(u"\"'>/="))
            table[c] = false;
        return table;
    }();
    if (c < 128)
        return ascii[c];
    if (isHighSurrogate(c) || isLowSurrogate(c))
        return true;
    return vornick_HTMLAttributeNameCharacterSet().contains(c);
}

// The elements whose content an HTML parser reads as text up to their end
// tag (plaintext: to the end of the input).
bool isRawTextElement(std::u16string_view tagName)
{
    for (std::u16string_view name : { u"script", u"style", u"textarea", u"title", u"xmp", u"iframe", u"noembed", u"noframes",
                                      u"plaintext" }) {
        if (equalsIgnoringASCIICase(tagName, name))
            return true;
    }
    return false;
}

// Whether `text` has the tag name `name` at `at`, followed by what ends a
// tag name (a blank, "/" or ">").
bool hasTagNameAt(std::u16string_view text, size_t at, std::u16string_view name)
{
    if (at + name.size() >= text.size() || !equalsIgnoringASCIICase(text.substr(at, name.size()), name))
        return false;
    char16_t after = text[at + name.size()];
    return after == u'>' || after == u'/' || isHTMLWhitespace(after);
}

// The ">" that ends an XML DOCTYPE, past its quoted identifiers and its
// internal subset (whose declarations hold ">" of their own).
size_t endOfDOCTYPEWithInternalSubset(std::u16string_view text, size_t from)
{
    bool inSubset = false;
    for (size_t p = from; p < text.size(); ++p) {
        char16_t c = text[p];
        if (c == u'"' || c == u'\'') {
            p = text.find(c, p + 1);
            if (p == std::u16string_view::npos)
                return p;
        } else if (inSubset && text.substr(p).starts_with(u"<!--")) {
            p = text.find(u"-->", p + 4);
            if (p == std::u16string_view::npos)
                return p;
            p += 2;
        } else if (c == u'[')
            inSubset = true;
        else if (c == u']')
            inSubset = false;
        else if (c == u'>' && !inSubset)
            return p;
    }
    return std::u16string_view::npos;
}

// Where a script's text ends: at its end tag, except inside an escaped "<!--"
// section where a nested "<script>" has opened, whose "</script>" then only
// leaves that nesting (what an HTML parser does with old pages' scripts).
size_t endOfScriptText(std::u16string_view text, size_t start)
{
    enum class State { Data, Escaped, DoubleEscaped } state = State::Data;
    for (size_t p = start; p < text.size();) {
        std::u16string_view rest = text.substr(p);
        if (state == State::Data && rest.starts_with(u"<!--")) {
            p += 4;
            state = p < text.size() && text[p] == u'>' ? State::Data : State::Escaped;
            continue;
        }
        if (state != State::Data && rest.starts_with(u"-->")) {
            p += 3;
            state = State::Data;
            continue;
        }
        if (rest.starts_with(u"</") && hasTagNameAt(text, p + 2, u"script")) {
            if (state != State::DoubleEscaped)
                return p;
            state = State::Escaped;
            p += 8;
            continue;
        }
        if (state == State::Escaped && rest.starts_with(u"<") && hasTagNameAt(text, p + 1, u"script")) {
            state = State::DoubleEscaped;
            p += 7;
            continue;
        }
        ++p;
    }
    return text.size();
}

std::u16string stringForCodePoint(uint32_t codePoint)
{
    if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        codePoint = 0xFFFD;
    std::u16string result;
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        result += static_cast<char16_t>(0xD800 + (codePoint >> 10));
        result += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    } else
        result += static_cast<char16_t>(codePoint);
    return result;
}

std::u16string formatted(std::u16string_view format, std::u16string_view a, std::u16string_view b = {})
{
    std::u16string result;
    int argument = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u'@') {
            result += argument++ == 0 ? a : b;
            ++i;
        } else
            result += format[i];
    }
    return result;
}

} // namespace

VornickHTMLScanner::VornickHTMLScanner() = default;

std::shared_ptr<VornickHTMLSpec> VornickHTMLScanner::spec() const
{
    if (!m_specWasSet) {
        m_specWasSet = true;
        m_spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    }
    return m_spec;
}

void VornickHTMLScanner::setSpec(std::shared_ptr<VornickHTMLSpec> spec)
{
    m_spec = std::move(spec);
    m_specWasSet = true;
}

bool VornickHTMLScanner::isUsuallyEmptyElement(std::u16string_view tagName) const
{
    if (auto theSpec = spec())
        return theSpec->isUsuallyEmptyElement(tagName);
    auto* record = VornickElementKindRecordForTagName(tagName, VornickHTMLDocumentType::HTML5);
    return record && (record->contentModel & VornickContentModelEmpty);
}

std::pair<int64_t, int64_t> VornickHTMLScanner::lineAndColumnForOffset(size_t offset)
{
    offset = std::min(offset, m_end);
    if (offset < m_lineCountedTo) {
        m_lineCountedTo = 0;
        m_lineAtCount = 1;
        m_lineStartAtCount = 0;
    }
    for (size_t i = m_lineCountedTo; i < offset; ++i) {
        if (m_text[i] == u'\n') {
            ++m_lineAtCount;
            m_lineStartAtCount = i + 1;
        }
    }
    m_lineCountedTo = offset;
    return { m_lineAtCount, static_cast<int64_t>(offset - m_lineStartAtCount) + 1 };
}

void VornickHTMLScanner::report(VornickHTMLScannerToken token, size_t start, size_t end, const std::u16string* value)
{
    if (m_delegate)
        m_delegate->htmlScannerScannedToken(*this, token, m_text.substr(start, end - start), { start, end - start }, value);
}

void VornickHTMLScanner::reportError(std::u16string message)
{
    auto [line, column] = lineAndColumnForOffset(m_position);
    if (m_delegate)
        m_delegate->htmlScannerValidationAdvisory(*this, VornickValidationAdvisory(VornickValidationAdvisoryKind::Error,
            m_position, line, column, std::move(message), true));
}

void VornickHTMLScanner::reportWarning(std::u16string message, size_t offset)
{
    auto [line, column] = lineAndColumnForOffset(offset);
    if (m_delegate)
        m_delegate->htmlScannerValidationAdvisory(*this, VornickValidationAdvisory(VornickValidationAdvisoryKind::Warning,
            offset, line, column, std::move(message), false));
}

bool VornickHTMLScanner::parseHTMLString(std::u16string_view string)
{
    m_text = string;
    m_position = 0;
    m_end = string.size();
    m_insideMarkup = false;
    m_lineCountedTo = 0;
    m_lineAtCount = 1;
    m_lineStartAtCount = 0;
    m_elementStack.clear();

    if (m_delegate)
        m_delegate->htmlScannerBeginParsingAt(*this, 0);
    bool result = !m_stop && scanDocument();

    m_insideMarkup = false;
    if (m_delegate)
        m_delegate->htmlScannerEndParsingAt(*this, m_position);
    m_elementStack.clear();
    m_text = {};
    m_end = 0;
    m_position = 0;
    return result && !m_stop;
}

bool VornickHTMLScanner::scanDocument()
{
    bool result = true;
    while (m_position < m_end && !m_stop) {
        char16_t c = m_text[m_position];
        if (c == u'&' && m_identifiesEntityReferences) {
            auto outcome = scanEntityReference();
            if (outcome == ReferenceResult::Scanned)
                continue;
            if (m_stop || (outcome == ReferenceResult::Failed && !m_forgiving))
                return false;
            if (!scanText(true))
                return false;
            continue;
        }
        if (c == u'{' && m_identifiesSnippetExpressions) {
            if (scanSnippetExpression())
                continue;
            if (m_stop)
                return false;
            if (!scanText(true))
                return false;
            continue;
        }
        if (c == u'<') {
            char16_t next = at(m_position + 1);
            if (next == u'?') {
                if (!scanXMLDeclaration())
                    result = false;
                continue;
            }
            if (next == u'!') {
                bool isComment = false;
                bool scanned = scanComment(isComment);
                if (isComment) {
                    if (!scanned)
                        result = false;
                    continue;
                }
                if (!scanDOCTYPE())
                    result = false;
                continue;
            }
            bool consumedAnything = false;
            if (!scanElementTag(consumedAnything)) {
                result = false;
                if (!consumedAnything && !m_stop && !scanText(true))
                    return false;
            }
            continue;
        }
        if (!scanText(false))
            return false;
    }
    if (!result || m_stop)
        return false;
    if (!m_forgiving) {
        while (!m_elementStack.empty()) {
            reportError(formatted(u"Missing close tag: </%@>", m_elementStack.back()));
            m_elementStack.pop_back();
            if (m_stop)
                return false;
        }
    }
    return true;
}

bool VornickHTMLScanner::scanText(bool consumeFirst)
{
    size_t start = m_position;
    size_t p = m_position;
    if (consumeFirst && p < m_end)
        ++p;
    while (p < m_end) {
        char16_t c = m_text[p];
        if (c == u'<')
            break;
        if (c == u'&' && m_identifiesEntityReferences)
            break;
        if (c == u'{' && m_identifiesSnippetExpressions) {
            if (at(p + 1) == u'{') {
                p += 2;
                continue;
            }
            break;
        }
        if (c == u'>' && !m_forgiving) {
            if (p > start) {
                report(VornickHTMLScannerTokenText, start, p);
                if (m_stop)
                    return false;
            }
            m_position = p;
            reportError(u"Unescaped '>'");
            return false;
        }
        ++p;
    }
    if (p == start)
        return false;
    m_position = p;
    report(VornickHTMLScannerTokenText, start, p);
    return !m_stop;
}

bool VornickHTMLScanner::scanRawText(std::u16string_view tagName)
{
    size_t start = m_position;
    std::u16string_view text = m_text.substr(0, m_end);
    size_t p = m_end;
    if (equalsIgnoringASCIICase(tagName, u"script"))
        p = endOfScriptText(text, start);
    else if (!equalsIgnoringASCIICase(tagName, u"plaintext")) {
        for (size_t candidate = text.find(u"</", start); candidate != std::u16string_view::npos; candidate = text.find(u"</", candidate + 2)) {
            if (candidate + 2 + tagName.size() == m_end
                ? equalsIgnoringASCIICase(text.substr(candidate + 2), tagName)
                : hasTagNameAt(text, candidate + 2, tagName)) {
                p = candidate;
                break;
            }
        }
    }
    m_position = p;
    if (p > start)
        report(VornickHTMLScannerTokenText, start, p);
    return !m_stop;
}

bool VornickHTMLScanner::scanSpaces()
{
    size_t start = m_position;
    while (m_position < m_end && isHTMLWhitespace(m_text[m_position]))
        ++m_position;
    if (m_position > start)
        report(VornickHTMLScannerTokenText, start, m_position);
    return !m_stop;
}

bool VornickHTMLScanner::scanSnippetExpression()
{
    size_t start = m_position;
    if (at(start + 1) == u'{')
        return false;
    for (size_t p = start + 1; p < m_end; ++p) {
        char16_t c = m_text[p];
        if (c == u'}') {
            m_position = p + 1;
            report(VornickHTMLScannerTokenSnippetExpression, start, m_position);
            return !m_stop;
        }
        if (c == u'<' || c == u'{' || (c == u'&' && m_identifiesEntityReferences))
            return false;
        if (c == u'>' && !m_forgiving) {
            size_t saved = m_position;
            m_position = p;
            reportError(u"Unescaped '>'");
            m_position = saved;
            return false;
        }
    }
    return false;
}

VornickHTMLScanner::ReferenceResult VornickHTMLScanner::scanEntityReference()
{
    size_t start = m_position;
    size_t p = start + 1;
    std::u16string value;
    bool hasValue = false;

    auto fail = [&](const char16_t* message) {
        if (m_forgiving)
            return ReferenceResult::NotAReference;
        m_position = p;
        reportError(message);
        return ReferenceResult::Failed;
    };

    if (at(p) == u'#') {
        ++p;
        uint32_t codePoint = 0;
        if (at(p) == u'x' || at(p) == u'X') {
            ++p;
            size_t digits = 0;
            while (isHexDigit(at(p))) {
                if (++digits == 7 && !m_forgiving)
                    return fail(u"Too many digits in numeric entity reference");
                codePoint = codePoint > 0x10FFFF ? codePoint : codePoint * 16 + hexValue(at(p));
                ++p;
            }
            if (!digits)
                return fail(u"No digits in numeric entity reference");
            if (p >= m_end)
                return fail(u"Unterminated entity reference (missing ';')");
            if (at(p) != u';')
                return fail(u"Bad hex digit in numeric entity reference");
        } else if (isASCIIDigit(at(p))) {
            while (isASCIIDigit(at(p))) {
                codePoint = codePoint > 0x10FFFF ? codePoint : codePoint * 10 + (at(p) - u'0');
                ++p;
            }
            if (p >= m_end)
                return fail(u"Unterminated entity reference (missing ';')");
            if (at(p) != u';')
                return fail(u"Bad decimal digit in numeric entity reference");
        } else
            return fail(u"No digits in numeric entity reference");
        value = stringForCodePoint(codePoint);
        hasValue = true;
    } else {
        size_t nameStart = p;
        while (isASCIIAlphanumeric(at(p)))
            ++p;
        if (p == nameStart)
            return fail(u"Unescaped '&' or incomplete entity reference");
        if (at(p) != u';')
            return fail(u"Unterminated entity reference (missing ';')");
        std::u16string_view name = m_text.substr(nameStart, p - nameStart);
        auto theSpec = spec();
        std::optional<std::u16string> characters;
        if (theSpec && theSpec->namedCharacterReferenceMap())
            characters = theSpec->namedCharacterReferenceMap()->charactersForEntityName(name);
        if (!characters && !m_forgiving && theSpec) {
            m_position = p;
            reportError(formatted(u"Unrecognized entity name \"%@\"", name));
            return ReferenceResult::Failed;
        }
        if (characters) {
            value = std::move(*characters);
            hasValue = true;
        }
    }
    m_position = p + 1;
    report(VornickHTMLScannerTokenEntityReference, start, m_position, hasValue ? &value : nullptr);
    return m_stop ? ReferenceResult::Failed : ReferenceResult::Scanned;
}

bool VornickHTMLScanner::scanComment(bool& isComment)
{
    size_t start = m_position;
    std::u16string_view rest = m_text.substr(start);
    size_t contentStart;
    std::u16string_view terminator;
    if (rest.starts_with(u"<!--")) {
        contentStart = start + 4;
        terminator = u"-->";
    } else if (rest.starts_with(u"<![CDATA[")) {
        contentStart = start + 9;
        terminator = u"]]>";
    } else {
        isComment = false;
        return false;
    }
    isComment = true;
    size_t found = m_text.find(terminator, contentStart);
    if (found == std::u16string_view::npos) {
        m_position = m_end;
        report(VornickHTMLScannerTokenComment, start, m_end);
        if (m_stop)
            return false;
        reportError(terminator == u"-->" ? u"Unterminated comment" : u"Unterminated CDATA section");
        return false;
    }
    m_position = found + terminator.size();
    report(VornickHTMLScannerTokenComment, start, m_position);
    return !m_stop;
}

bool VornickHTMLScanner::scanDOCTYPE()
{
    size_t start = m_position;
    if (m_delegate)
        m_delegate->htmlScannerBeginDOCTYPEAt(*this, start);
    m_insideMarkup = true;
    bool result = true;
    auto finish = [&](bool outcome) {
        m_insideMarkup = false;
        if (m_delegate)
            m_delegate->htmlScannerEndDOCTYPEAt(*this, m_position);
        return outcome && !m_stop;
    };
    reportPunctuation(start);
    reportPunctuation(start + 1);
    m_position = start + 2;
    if (m_stop)
        return finish(false);
    std::u16string_view keyword = m_text.substr(m_position, std::min<size_t>(7, m_end - m_position));
    if (keyword.size() == 7 && equalsIgnoringASCIICase(keyword, u"DOCTYPE")) {
        report(VornickHTMLScannerTokenDOCTYPE, m_position, m_position + 7);
        m_position += 7;
    } else
        result = false;
    if (m_stop)
        return finish(false);
    size_t interiorStart = m_position;
    size_t close = m_readsInternalSubsets ? endOfDOCTYPEWithInternalSubset(m_text.substr(0, m_end), m_position)
                                          : m_text.find(u'>', m_position);
    size_t interiorEnd = close == std::u16string_view::npos ? m_end : close;
    if (interiorEnd > interiorStart) {
        report(VornickHTMLScannerTokenText, interiorStart, interiorEnd);
        if (m_stop)
            return finish(false);
    }
    m_position = interiorEnd;
    if (close != std::u16string_view::npos) {
        reportPunctuation(close);
        m_position = close + 1;
    }
    return finish(result);
}

bool VornickHTMLScanner::scanXMLDeclaration()
{
    size_t start = m_position;
    std::u16string_view rest = m_text.substr(start);
    bool isDeclaration = rest.starts_with(u"<?xml") && (rest.size() == 5 || isHTMLWhitespace(rest[5]) || rest[5] == u'?');
    if (!isDeclaration) {
        // A processing instruction, which HTML reads as a comment.
        size_t close = m_text.find(u'>', start);
        m_position = close == std::u16string_view::npos ? m_end : close + 1;
        report(VornickHTMLScannerTokenComment, start, m_position);
        return !m_stop;
    }

    if (m_delegate)
        m_delegate->htmlScannerBeginXMLHeaderAt(*this, start);
    m_insideMarkup = true;
    auto finish = [&](bool outcome) {
        m_insideMarkup = false;
        if (m_delegate)
            m_delegate->htmlScannerEndXMLHeaderAt(*this, m_position);
        return outcome && !m_stop;
    };
    reportPunctuation(start);
    reportPunctuation(start + 1);
    report(VornickHTMLScannerTokenXML, start + 2, start + 5);
    m_position = start + 5;
    if (m_stop)
        return finish(false);
    bool sawLessThan = false;
    bool result = scanAttributes(true, sawLessThan);
    if (m_stop)
        return finish(false);
    if (!scanSpaces())
        return finish(false);
    if (at(m_position) != u'?' || m_position >= m_end) {
        reportError(u"Missing '?>' at end of XML declaration");
        return finish(false);
    }
    reportPunctuation(m_position++);
    if (m_stop)
        return finish(false);
    if (at(m_position) != u'>' || m_position >= m_end) {
        reportError(u"Missing '?>' at end of XML declaration");
        return finish(false);
    }
    reportPunctuation(m_position++);
    return finish(result);
}

bool VornickHTMLScanner::scanQuotedValue(VornickHTMLScannerToken token)
{
    size_t start = m_position;
    char16_t quote = m_text[start];
    size_t close = m_text.find(quote, start + 1);
    if (close == std::u16string_view::npos) {
        m_position = m_end;
        report(token, start, m_end);
        if (m_stop)
            return false;
        reportError(u"Unmatched open quote for attribute value");
        return false;
    }
    m_position = close + 1;
    report(token, start, m_position);
    return !m_stop;
}

bool VornickHTMLScanner::scanAttributes(bool inXMLDeclaration, bool& sawLessThan)
{
    bool result = true;
    VornickHTMLScannerToken nameToken = inXMLDeclaration ? VornickHTMLScannerTokenXMLHeaderAttributeName : VornickHTMLScannerTokenElementAttributeName;
    VornickHTMLScannerToken valueToken = inXMLDeclaration ? VornickHTMLScannerTokenXMLHeaderAttributeValue : VornickHTMLScannerTokenElementAttributeValue;
    while (true) {
        if (!scanSpaces())
            return false;
        if (m_position >= m_end)
            return result;
        char16_t c = m_text[m_position];
        if (!inXMLDeclaration && c == u'/' && at(m_position + 1) != u'>') {
            // A stray slash between attributes is ignored.
            reportPunctuation(m_position++);
            if (m_stop)
                return false;
            continue;
        }
        bool isNameCharacter = inXMLDeclaration ? (isASCIIAlphanumeric(c) || c == u'-' || c == u'_' || c == u':')
                                                : isAttributeNameCharacter(c);
        if (!isNameCharacter)
            return result;
        size_t nameStart = m_position;
        size_t lessThan = VornickNotFound;
        while (m_position < m_end) {
            char16_t n = m_text[m_position];
            if (inXMLDeclaration ? !(isASCIIAlphanumeric(n) || n == u'-' || n == u'_' || n == u':') : !isAttributeNameCharacter(n))
                break;
            if (n == u'<' && lessThan == VornickNotFound)
                lessThan = m_position;
            ++m_position;
        }
        report(nameToken, nameStart, m_position);
        if (m_stop)
            return false;
        if (lessThan != VornickNotFound) {
            sawLessThan = true;
            reportWarning(u"Probably unintended '<' in attribute name?", lessThan);
            if (m_stop)
                return false;
        }
        size_t beforeSpaces = m_position;
        while (m_position < m_end && isHTMLWhitespace(m_text[m_position]))
            ++m_position;
        if (at(m_position) != u'=' || m_position >= m_end) {
            // No value: the blanks belong to the next round.
            m_position = beforeSpaces;
            continue;
        }
        if (m_position > beforeSpaces) {
            report(VornickHTMLScannerTokenText, beforeSpaces, m_position);
            if (m_stop)
                return false;
        }
        reportPunctuation(m_position++);
        if (m_stop || !scanSpaces())
            return false;
        char16_t v = at(m_position);
        if (m_position < m_end && (v == u'"' || v == u'\'')) {
            if (!scanQuotedValue(valueToken))
                return false;
            continue;
        }
        size_t valueStart = m_position;
        if (!inXMLDeclaration) {
            while (m_position < m_end && !isHTMLWhitespace(m_text[m_position]) && m_text[m_position] != u'>')
                ++m_position;
        }
        if (m_position == valueStart) {
            reportError(u"Missing attribute value after '='");
            result = false;
            if (m_stop || inXMLDeclaration)
                return false;
            continue;
        }
        report(valueToken, valueStart, m_position);
        if (m_stop)
            return false;
    }
}

bool VornickHTMLScanner::scanElementTag(bool& consumedAnything)
{
    consumedAnything = false;
    size_t start = m_position;
    bool isEndTag = at(start + 1) == u'/';
    size_t nameStart = start + (isEndTag ? 2 : 1);
    size_t nameEnd = nameStart;
    // A tag name begins with a letter: "I <3 HTML" is text.
    if (nameEnd < m_end && isASCIIAlpha(m_text[nameEnd])) {
        ++nameEnd;
        while (nameEnd < m_end && isTagNameCharacter(m_text[nameEnd]))
            ++nameEnd;
    }
    if (nameEnd == nameStart) {
        m_position = nameStart;
        reportError(isEndTag ? u"Tag name expected after \"</\"" : u"Tag name or \"<!-- comment -->\" start expected after '<'");
        m_position = start;
        return false;
    }
    consumedAnything = true;
    std::u16string_view tagName = m_text.substr(nameStart, nameEnd - nameStart);
    if (!isEndTag && m_delegate)
        m_delegate->htmlScannerBeginElementAt(*this, start, tagName);
    if (m_stop)
        return false;
    m_insideMarkup = true;
    auto fail = [&] {
        m_insideMarkup = false;
        return false;
    };
    reportPunctuation(start);
    if (isEndTag)
        reportPunctuation(start + 1);
    report(VornickHTMLScannerTokenElementTagName, nameStart, nameEnd);
    m_position = nameEnd;
    if (m_stop)
        return fail();

    bool usuallyEmpty = false;
    if (!m_forgiving) {
        if (isEndTag) {
            if (m_elementStack.empty()) {
                reportError(u"End tag without corresponding start tag");
                m_stop = true;
                return fail();
            }
            if (!equalsIgnoringASCIICase(m_elementStack.back(), tagName)) {
                reportError(formatted(u"Missing or misplaced </%@> tag? Got </%@> instead.", m_elementStack.back(), tagName));
                m_stop = true;
                return fail();
            }
            m_elementStack.pop_back();
        } else if (auto theSpec = spec()) {
            if (!theSpec->elementSpecForTagName(asciiLowercase(tagName))) {
                m_elementStack.emplace_back(tagName);
                reportError(formatted(u"<%@> is not part of %@ spec", tagName, theSpec->persistableDocumentTypeName()));
            } else if (!(usuallyEmpty = isUsuallyEmptyElement(tagName)))
                m_elementStack.emplace_back(tagName);
            if (m_stop)
                return fail();
            if (m_allowedBodyElements && !m_allowedBodyElements->contains(asciiLowercase(tagName)))
                reportError(formatted(u"<%@> disallowed by snippet set", tagName));
            if (m_stop)
                return fail();
        }
    }
    if (!isEndTag && m_forgiving)
        usuallyEmpty = isUsuallyEmptyElement(tagName);

    bool sawLessThan = false;
    bool result = scanAttributes(false, sawLessThan);
    if (m_stop)
        return fail();
    bool selfClosing = false;
    if (at(m_position) == u'/' && m_position < m_end) {
        selfClosing = true;
        reportPunctuation(m_position++);
        if (m_stop)
            return fail();
    }
    if (m_position >= m_end || m_text[m_position] != u'>') {
        if (at(m_position) == u'<' && m_position < m_end)
            reportError(u"Close tag with '>' before opening another with '<'");
        else
            reportError(u"Missing closing '>' at end of tag");
        return fail();
    }
    reportPunctuation(m_position++);
    m_insideMarkup = false;
    if (m_stop)
        return false;
    if (!m_forgiving && !isEndTag && selfClosing && !usuallyEmpty && !m_elementStack.empty()
        && m_elementStack.back() == tagName)
        m_elementStack.pop_back();
    size_t after = m_position;
    if (m_delegate) {
        if (isEndTag) {
            m_delegate->htmlScannerEndElementCloseTagAt(*this, after, tagName, start);
            if (m_stop)
                return false;
            m_delegate->htmlScannerEndElementAt(*this, after, tagName);
        } else if (selfClosing || usuallyEmpty)
            m_delegate->htmlScannerEndElementAt(*this, after, tagName);
        else
            m_delegate->htmlScannerEndElementOpenTagAt(*this, after, tagName, start);
    }
    if (m_stop)
        return false;
    if (!isEndTag && !selfClosing && !usuallyEmpty && isRawTextElement(tagName)) {
        std::u16string name(tagName);
        if (!scanRawText(name))
            return false;
    }
    return result;
}

} // namespace brevanton
