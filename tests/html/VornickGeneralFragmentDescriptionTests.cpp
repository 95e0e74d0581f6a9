#include "html/VornickGeneralFragmentDescription.h"

#include "html/VornickExpressionEvaluator.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Built {
    std::string markup;
    std::string interior; // "start-node:offset end-node:offset", or "none"
};

std::string describePosition(const std::shared_ptr<DOMNode>& node, size_t offset)
{
    return toUTF8(node->nodeName()) + ":" + std::to_string(offset);
}

Built build(std::u16string markup, const std::map<std::u16string, std::u16string>& values)
{
    auto document = DOMDocument::createHTMLDocument(u"t");
    VornickGeneralFragmentDescription snippet(u"id", u"Name", u"", u"", std::move(markup), u"");
    std::optional<VornickFreezeDriedDOMRange> interior;
    auto fragment = snippet.createDescribedFragmentWithValues(values, *document, &interior);
    if (!fragment)
        return { "null", "none" };
    Built built { toUTF8(fragment->innerHTML()), "none" };
    if (interior) {
        auto range = interior->thawRangeRelativeToNewAncestor(fragment);
        if (!range)
            built.interior = "unthawable";
        else
            built.interior = describePosition(range->startContainer(), range->startOffset()) + " "
                + describePosition(range->endContainer(), range->endOffset());
    }
    return built;
}

TEST(VornickGeneralFragmentDescription, ExpressionsAreFilledAsTextAndTheInteriorIsWhereContentStood)
{
    struct Case {
        const char16_t* markup;
        std::map<std::u16string, std::u16string> values;
        const char* expectedMarkup;
        const char* expectedInterior;
    };
    const Case cases[] = {
        // Content alone in an element: the interior is the text node's place.
        { u"<blockquote><p>{content}</p></blockquote>", { { u"content", u"*" } }, "<blockquote><p>*</p></blockquote>", "P:0 P:1" },
        // Content amid text: the value's characters.
        { u"<p>Note: {content}!</p>", { { u"content", u"*" } }, "<p>Note: *!</p>", "#text:6 #text:7" },
        // At the top level the fragment itself holds it.
        { u"{content}", { { u"content", u"word" } }, "word", "#document-fragment:0 #document-fragment:1" },
        // Empty content leaves no empty text node behind.
        { u"<em>{content}</em>", { { u"content", u"" } }, "<em></em>", "EM:0 EM:0" },
        // A name without a value is empty text, in text and in attributes.
        { u"<p class=\"{kind}\">{title}: {content}</p>", { { u"content", u"*" } }, "<p class=\"\">: *</p>", "#text:2 #text:3" },
        { u"<iframe src=\"https://www.youtube.com/embed/{id}?list={list}\"></iframe>", { { u"id", u"abc" }, { u"list", u"L1" } },
          "<iframe src=\"https://www.youtube.com/embed/abc?list=L1\"></iframe>", "none" },
        // Overlapping reports fill only the first expression; braces around anything but a name are text.
        { u"<p>{abc}def} {1} {}</p>", { { u"abc", u"X" } }, "<p>Xdef} {1} {}</p>", "none" },
        // A value is text, never markup.
        { u"<p title=\"{id}\">{content}</p>", { { u"id", u"\"><script>alert(1)</script>" }, { u"content", u"<b>bold</b>" } },
          "<p title=\"&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\">&lt;b&gt;bold&lt;/b&gt;</p>", "P:0 P:1" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(toUTF8(test.markup));
        auto built = build(test.markup, test.values);
        EXPECT_EQ(built.markup, test.expectedMarkup);
        EXPECT_EQ(built.interior, test.expectedInterior);
    }
}

TEST(VornickGeneralFragmentDescription, TheValuesElementsAreNeverParsed)
{
    auto document = DOMDocument::createHTMLDocument(u"t");
    VornickGeneralFragmentDescription snippet(u"id", u"Name", u"", u"", u"<div>{content}</div>", u"");
    auto fragment = snippet.createDescribedFragmentWithValues({ { u"content", u"<script>x()</script>" } }, *document, nullptr);
    ASSERT_TRUE(fragment);
    auto div = fragment->firstChild();
    ASSERT_TRUE(div && div->isElementNode());
    ASSERT_TRUE(div->firstChild());
    EXPECT_TRUE(div->firstChild()->isTextNode());
    EXPECT_EQ(div->firstChild()->nextSibling(), nullptr);
}

TEST(VornickExpressionEvaluator, NamesWithAndWithoutBraces)
{
    VornickExpressionEvaluator evaluator;
    VornickExpressionEvaluator::Values values { { u"content", u"*" } };
    EXPECT_EQ(evaluator.stringByEvaluatingExpression(u"{content}", values), u"*");
    EXPECT_EQ(evaluator.stringByEvaluatingExpression(u"content", values), u"*");
    EXPECT_EQ(evaluator.stringByEvaluatingExpression(u"{missing}", values), u"");
    EXPECT_EQ(evaluator.stringByEvaluatingExpression(u"{", values), u"");
}

} // namespace
