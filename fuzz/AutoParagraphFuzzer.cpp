// The classic-post paragraph adder on arbitrary text (UTF-8 after the first
// byte, whose low bit asks for paragraph block comments). Beyond not
// crashing, the adder may only insert paragraph tags and turn newlines into
// line breaks: undoing both on the input and on the result gives the same
// text, and every recorded range lies within the input in document order.
#include "html/VornickWordPressAutoParagraphAdder.h"
#include "platform/foundation/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace brevanton;

namespace {

void removeAll(std::u16string& text, std::u16string_view what, std::u16string_view replacement)
{
    size_t position = 0;
    while ((position = text.find(what, position)) != std::u16string::npos) {
        text.replace(position, what.size(), replacement);
        position += replacement.size();
    }
}

std::u16string withoutAddedMarkup(std::u16string text, bool useBlocks)
{
    if (useBlocks) {
        removeAll(text, u"<!-- wp:paragraph -->\n", u"");
        removeAll(text, u"\n<!-- /wp:paragraph -->", u"");
    }
    removeAll(text, u"<br />", u"\n");
    removeAll(text, u"</p>", u"");
    removeAll(text, u"<p>", u"");
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    bool useBlocks = data[0] & 1;
    std::u16string input = toUTF16(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

    VornickWordPressAutoParagraphAdder adder;
    std::u16string result = adder.addImplicitParagraphsAndLineBreaksToPostBodyOnce(input, useBlocks);
    size_t previousEnd = 0;
    for (const auto& range : adder.rangesToWrapInParagraphs()) {
        if (range.location < previousEnd || range.end() > input.size())
            abort();
        previousEnd = range.end();
    }
    for (const auto& range : adder.rangesToReplaceWithLineBreaks()) {
        if (range.length != 1 || range.location >= input.size() || input[range.location] != u'\n')
            abort();
    }
    // Taking the added markup out again gives back the input only when the
    // input holds none of that markup itself: otherwise what the adder put
    // next to the input's own tags and comments cannot be told apart from them.
    bool inputHoldsAddedMarkup = input.find(u"<p>") != std::u16string::npos || input.find(u"</p>") != std::u16string::npos
        || input.find(u"<br />") != std::u16string::npos || input.find(u"wp:paragraph") != std::u16string::npos;
    if (!inputHoldsAddedMarkup && withoutAddedMarkup(result, useBlocks) != withoutAddedMarkup(input, useBlocks))
        abort();
    return 0;
}
