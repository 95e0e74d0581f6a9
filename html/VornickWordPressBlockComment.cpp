#include "html/VornickWordPressBlockComment.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

std::u16string_view trimmedOfHTMLWhitespace(std::u16string_view text)
{
    size_t start = 0;
    size_t end = text.size();
    while (start < end && isHTMLWhitespace(text[start]))
        ++start;
    while (end > start && isHTMLWhitespace(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

std::u16string firstWord(std::u16string_view text)
{
    size_t end = 0;
    while (end < text.size() && !isHTMLWhitespace(text[end]))
        ++end;
    return std::u16string(text.substr(0, end));
}

} // namespace

VornickWordPressBlockComment VornickWordPressBlockCommentFromCommentData(std::u16string_view data)
{
    VornickWordPressBlockComment result;
    auto trimmed = trimmedOfHTMLWhitespace(data);
    if (trimmed.starts_with(u"/wp:")) {
        result.kind = VornickWordPressBlockCommentKind::Closing;
        result.typeName = firstWord(trimmed.substr(1));
        return result;
    }
    if (!trimmed.starts_with(u"wp:"))
        return result;
    result.typeName = firstWord(trimmed);
    // "wp:spacer/" written without a space keeps the solidus out of the name.
    bool selfClosing = trimmed.ends_with(u'/');
    if (selfClosing && result.typeName.size() > 3 && result.typeName.back() == u'/')
        result.typeName.pop_back();
    result.kind = selfClosing ? VornickWordPressBlockCommentKind::SelfClosing : VornickWordPressBlockCommentKind::Opening;
    return result;
}

} // namespace brevanton
