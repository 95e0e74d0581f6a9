#include "html/VornickScriptText.h"

namespace brevanton {

namespace {

enum class State {
    Data,
    LessThan,
    EndTagOpen,
    EndTagName,
    EscapeStart,
    EscapeStartDash,
    Escaped,
    EscapedDash,
    EscapedDashDash,
    EscapedLessThan,
    EscapedEndTagOpen,
    EscapedEndTagName,
    DoubleEscapeStart,
    DoubleEscaped,
    DoubleEscapedDash,
    DoubleEscapedDashDash,
    DoubleEscapedLessThan,
    DoubleEscapeEnd,
};

bool isAlpha(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool endsTagName(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r' || c == u'/' || c == u'>';
}

char16_t lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

struct ScanResult {
    size_t end { std::u16string_view::npos };
    // The "<" of the "<script" that began the double-escaped passage open at the end.
    size_t openDoubleEscape { std::u16string_view::npos };
};

ScanResult scan(std::u16string_view input)
{
    ScanResult result;
    State state = State::Data;
    std::u16string buffer;
    size_t tagStart = 0;
    size_t doubleEscapeStart = std::u16string_view::npos;
    size_t i = 0;
    while (i < input.size()) {
        char16_t c = input[i];
        switch (state) {
        case State::Data:
            if (c == u'<') {
                tagStart = i;
                state = State::LessThan;
            }
            ++i;
            break;
        case State::LessThan:
            if (c == u'/') {
                buffer.clear();
                state = State::EndTagOpen;
                ++i;
            } else if (c == u'!') {
                state = State::EscapeStart;
                ++i;
            } else
                state = State::Data;
            break;
        case State::EndTagOpen:
        case State::EscapedEndTagOpen:
            if (isAlpha(c))
                state = state == State::EndTagOpen ? State::EndTagName : State::EscapedEndTagName;
            else
                state = state == State::EndTagOpen ? State::Data : State::Escaped;
            break;
        case State::EndTagName:
        case State::EscapedEndTagName:
            if (endsTagName(c) && buffer == u"script") {
                result.end = tagStart;
                return result;
            }
            if (isAlpha(c)) {
                buffer += lower(c);
                ++i;
            } else
                state = state == State::EndTagName ? State::Data : State::Escaped;
            break;
        case State::EscapeStart:
            if (c == u'-') {
                state = State::EscapeStartDash;
                ++i;
            } else
                state = State::Data;
            break;
        case State::EscapeStartDash:
            if (c == u'-') {
                state = State::EscapedDashDash;
                ++i;
            } else
                state = State::Data;
            break;
        case State::Escaped:
        case State::EscapedDash:
        case State::EscapedDashDash:
            if (c == u'-')
                state = state == State::Escaped ? State::EscapedDash : State::EscapedDashDash;
            else if (c == u'<') {
                tagStart = i;
                state = State::EscapedLessThan;
            } else if (c == u'>' && state == State::EscapedDashDash)
                state = State::Data;
            else
                state = State::Escaped;
            ++i;
            break;
        case State::EscapedLessThan:
            if (c == u'/') {
                buffer.clear();
                state = State::EscapedEndTagOpen;
                ++i;
            } else if (isAlpha(c)) {
                buffer.clear();
                state = State::DoubleEscapeStart;
            } else
                state = State::Escaped;
            break;
        case State::DoubleEscapeStart:
            if (endsTagName(c)) {
                state = buffer == u"script" ? State::DoubleEscaped : State::Escaped;
                if (state == State::DoubleEscaped)
                    doubleEscapeStart = tagStart;
                ++i;
            } else if (isAlpha(c)) {
                buffer += lower(c);
                ++i;
            } else
                state = State::Escaped;
            break;
        case State::DoubleEscaped:
        case State::DoubleEscapedDash:
        case State::DoubleEscapedDashDash:
            if (c == u'-')
                state = state == State::DoubleEscaped ? State::DoubleEscapedDash : State::DoubleEscapedDashDash;
            else if (c == u'<')
                state = State::DoubleEscapedLessThan;
            else if (c == u'>' && state == State::DoubleEscapedDashDash)
                state = State::Data;
            else
                state = State::DoubleEscaped;
            ++i;
            break;
        case State::DoubleEscapedLessThan:
            if (c == u'/') {
                buffer.clear();
                state = State::DoubleEscapeEnd;
                ++i;
            } else
                state = State::DoubleEscaped;
            break;
        case State::DoubleEscapeEnd:
            if (endsTagName(c)) {
                state = buffer == u"script" ? State::Escaped : State::DoubleEscaped;
                ++i;
            } else if (isAlpha(c)) {
                buffer += lower(c);
                ++i;
            } else
                state = State::DoubleEscaped;
            break;
        }
    }
    bool doubleEscaped = state >= State::DoubleEscaped;
    result.openDoubleEscape = doubleEscaped ? doubleEscapeStart : std::u16string_view::npos;
    return result;
}

} // namespace

size_t VornickScriptDataEndOffset(std::u16string_view markup)
{
    return scan(markup).end;
}

std::u16string VornickScriptTextReadingBackAsItself(std::u16string_view text)
{
    std::u16string result(text);
    // Each round escapes one more place, ahead of the ones before.
    for (size_t rounds = 0; rounds <= text.size(); ++rounds) {
        auto found = scan(result + u"</script>");
        if (found.end == result.size())
            return result;
        if (found.end < result.size()) {
            result.insert(found.end + 1, 1, u'\\');
            continue;
        }
        // The end tag closed a legacy passage the text left open.
        size_t open = scan(result).openDoubleEscape;
        if (open == std::u16string_view::npos)
            break;
        result.insert(open + 1, 1, u'\\');
    }
    return result;
}

} // namespace brevanton
