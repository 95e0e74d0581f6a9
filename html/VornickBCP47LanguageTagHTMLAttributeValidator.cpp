#include "html/VornickHTMLAttributeValidators.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isAlphanumeric(char16_t c) { return isLetter(c) || isDigit(c); }

// Scans a language tag (RFC 5646) with a cursor. Each step either consumes a
// whole "-subtag" or leaves the cursor where it was.
class LanguageTagScanner {
public:
    explicit LanguageTagScanner(std::u16string_view text) : m_text(text) {}

    bool scanAll()
    {
        // "x-..." is a private-use tag; "xh" or "xog" are languages.
        if (!m_text.empty() && (m_text[0] == u'x' || m_text[0] == u'X') && (m_text.size() == 1 || m_text[1] == u'-')) {
            m_position = 1;
            if (!scanPrivateUseGroups())
                return false;
            return m_position == m_text.size();
        }
        size_t languageLength = subtagLength(0);
        if (languageLength < 2 || languageLength > 8 || !allOf(0, languageLength, isLetter))
            return false;
        m_position = languageLength;
        if (languageLength <= 3) {
            for (int i = 0; i < 3; ++i) {
                if (!scanSubtag([&](size_t start, size_t length) { return length == 3 && allOf(start, length, isLetter); }))
                    break;
            }
        }
        scanSubtag([&](size_t start, size_t length) { return length == 4 && allOf(start, length, isLetter); });
        scanSubtag([&](size_t start, size_t length) {
            return (length == 2 && allOf(start, length, isLetter)) || (length == 3 && allOf(start, length, isDigit));
        });
        while (scanSubtag([&](size_t start, size_t length) {
            return allOf(start, length, isAlphanumeric)
                && ((length >= 5 && length <= 8) || (length == 4 && isDigit(m_text[start])));
        })) { }
        while (scanExtension()) { }
        size_t beforePrivateUse = m_position;
        if (scanSubtag([&](size_t start, size_t length) { return length == 1 && (m_text[start] == u'x' || m_text[start] == u'X'); })) {
            if (!scanPrivateUseGroups())
                m_position = beforePrivateUse;
        }
        return m_position == m_text.size();
    }

private:
    size_t subtagLength(size_t start) const
    {
        size_t end = start;
        while (end < m_text.size() && m_text[end] != u'-')
            ++end;
        return end - start;
    }

    bool allOf(size_t start, size_t length, bool (*predicate)(char16_t)) const
    {
        for (size_t i = start; i < start + length; ++i) {
            if (!predicate(m_text[i]))
                return false;
        }
        return true;
    }

    template<typename Fits>
    bool scanSubtag(Fits fits)
    {
        if (m_position >= m_text.size() || m_text[m_position] != u'-')
            return false;
        size_t start = m_position + 1;
        size_t length = subtagLength(start);
        if (!length || !fits(start, length))
            return false;
        m_position = start + length;
        return true;
    }

    // One or more "-" and 1 to 8 letters or digits.
    bool scanPrivateUseGroups()
    {
        bool any = false;
        while (scanSubtag([&](size_t start, size_t length) { return length <= 8 && allOf(start, length, isAlphanumeric); }))
            any = true;
        return any;
    }

    bool scanExtension()
    {
        size_t before = m_position;
        if (!scanSubtag([&](size_t start, size_t length) {
            return length == 1 && isAlphanumeric(m_text[start]) && m_text[start] != u'x' && m_text[start] != u'X';
        }))
            return false;
        bool any = false;
        while (scanSubtag([&](size_t start, size_t length) {
            return length >= 2 && length <= 8 && allOf(start, length, isAlphanumeric);
        }))
            any = true;
        if (!any)
            m_position = before;
        return any;
    }

    std::u16string_view m_text;
    size_t m_position { 0 };
};

} // namespace

VornickAttributeValidationOutcome VornickBCP47LanguageTagHTMLAttributeValidator::validate(std::u16string_view value,
                                                                                          std::u16string_view,
                                                                                          std::u16string& message) const
{
    static constexpr std::u16string_view grandfathered[] = {
        u"i-ami", u"i-bnn", u"i-default", u"i-enochian", u"i-hak", u"i-klingon", u"i-lux",
        u"i-mingo", u"i-navajo", u"i-pwn", u"i-tao", u"i-tay", u"i-tsu",
    };
    for (auto tag : grandfathered) {
        if (equalsIgnoringASCIICase(value, tag))
            return VornickAttributeValidationOutcome::Valid;
    }
    if (LanguageTagScanner(value).scanAll())
        return VornickAttributeValidationOutcome::Valid;
    message = u"Value doesn't appear to be a valid BCP-47 Language Tag.";
    return VornickAttributeValidationOutcome::Warning;
}

} // namespace brevanton
