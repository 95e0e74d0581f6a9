#include "platform/dom/HTMLTreeBuilder.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::u16string repeated(std::u16string_view piece, size_t count)
{
    std::u16string text;
    text.reserve(piece.size() * count);
    for (size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

unsigned depthBelow(const DOMNode& node)
{
    unsigned depth = 0;
    for (auto* child = node.last(); child && child->isElementNode(); child = child->last())
        ++depth;
    return depth;
}

} // namespace

// Pages that would cost quadratic time or recursion of their depth on a
// careless path: each must build, whole, in about the time of a plain page.
TEST(HTMLTreeBuilder, PathologicalPagesBuildWholeWithoutCaps)
{
    auto nested = buildHTMLDocument(repeated(u"<div>", 100000) + u"bottom");
    EXPECT_EQ(depthBelow(*nested->body()), 100000u);
    EXPECT_EQ(nested->body()->textContent(), u"bottom");

    auto formatting = buildHTMLDocument(repeated(u"<b>x", 200000));
    EXPECT_EQ(depthBelow(*formatting->body()), 200000u);
    EXPECT_EQ(formatting->body()->textContent().size(), 200000u);

    std::u16string attributes = u"<p";
    for (int i = 0; i < 50000; ++i)
        attributes += u" a" + toUTF16(std::to_string(i)) + u"=v";
    auto wide = buildHTMLDocument(attributes + u" a7=dropped>");
    auto paragraph = downcast<DOMElement>(wide->body()->firstChild());
    EXPECT_EQ(paragraph->attributeCount(), 50000u);
    EXPECT_EQ(paragraph->getAttribute(u"a7"), u"v");

    // Formatting elements and a second body with long attribute lists compare them in linear time.
    std::u16string list;
    for (int i = 0; i < 20000; ++i)
        list += u" a" + toUTF16(std::to_string(i)) + u"=v";
    auto formattingLists = buildHTMLDocument(repeated(u"<b" + list + u">x", 5) + u"<body" + list + u" extra=1>");
    EXPECT_EQ(depthBelow(*formattingLists->body()), 5u);
    EXPECT_EQ(formattingLists->body()->attributeCount(), 20001u);

    auto closing = buildHTMLDocument(u"<body>" + repeated(u"</p>", 100000));
    EXPECT_EQ(closing->body()->childCount(), 100000u);

    auto text = buildHTMLDocument(std::u16string(4 << 20, u'a'));
    EXPECT_EQ(text->body()->textContent().size(), size_t(4) << 20);
    EXPECT_EQ(text->body()->childCount(), 1u);
}

TEST(HTMLTreeBuilder, RecordsLoadingElementsAndTextUnitsInTreeOrder)
{
    // The second image is fostered out of the table, before the first.
    auto document = buildHTMLDocument(u"<link href=a.css rel=stylesheet><table><tr><td><img src=1></td><img src=2>"
                                      u"</table>caf\u00E9<template><img src=3>\u4E2D</template><svg><style/></svg>");
    auto* loading = document->parsedLoadingElements();
    ASSERT_TRUE(loading);
    ASSERT_EQ(loading->size(), 3u);
    EXPECT_EQ((*loading)[0]->localName(), u"link");
    EXPECT_EQ((*loading)[1]->getAttribute(u"src"), u"2");
    EXPECT_EQ((*loading)[2]->getAttribute(u"src"), u"1");
    auto* units = document->parsedTextUnits();
    ASSERT_TRUE(units);
    EXPECT_TRUE(units->test(0xE9));
    EXPECT_FALSE(units->test(0x4E2D)); // only in the template's contents
    EXPECT_EQ(units->count(), 1u);

    // Text fostered before a table counts too.
    auto fostered = buildHTMLDocument(u"<table>\u00FC<tr><td>x</table>");
    EXPECT_TRUE(fostered->parsedTextUnits()->test(0xFC));
    EXPECT_EQ(fostered->body()->firstChild()->textContent(), u"\u00FC");

    // Every place in texts of every length up to a few blocks of eight
    // units, and units just above ASCII and at the top.
    for (size_t length = 1; length <= 24; ++length) {
        for (size_t place = 0; place < length; ++place) {
            for (char16_t unit : { u'\u0080', u'\u00FF', u'\u4E2D', u'\uFFFD' }) {
                std::u16string text(length, u'a');
                text[place] = unit;
                text[length - 1 - place] = place == length - 1 - place ? unit : u'\u007F';
                auto page = buildHTMLDocument(u"<p>" + text);
                auto* seen = page->parsedTextUnits();
                ASSERT_TRUE(seen);
                SCOPED_TRACE(toUTF8(text));
                EXPECT_TRUE(seen->test(unit));
                EXPECT_EQ(seen->count(), 1u);
            }
        }
    }
}

TEST(HTMLTreeBuilder, TemplateContentsBelongToTheInertDocument)
{
    auto document = buildHTMLDocument(u"<template><p>a<template><b>b</b></template></template>");
    auto templateElement = downcast<DOMElement>(document->head()->firstChild());
    auto* content = templateElement->templateContent();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->document(), &document->templateContentsOwnerDocument());
    auto inner = downcast<DOMElement>(content->firstChild()->lastChild());
    ASSERT_TRUE(inner->templateContent());
    EXPECT_EQ(inner->templateContent()->textContent(), u"b");
    EXPECT_FALSE(templateElement->hasChildNodes());
}

TEST(HTMLTreeBuilder, FragmentsBelongToTheirDocumentAndTakeTheContextForm)
{
    auto document = buildHTMLDocument(u"<form id=f><div id=d></div></form>");
    auto div = document->getElementById(u"d");
    // The form of the context owns no form in the fragment: a nested form start tag is dropped.
    auto fragment = buildHTMLFragment(*document, u"<form><input name=a></form>b", div.get());
    EXPECT_EQ(fragment->innerHTML(), u"<input name=\"a\">b");
    EXPECT_EQ(fragment->document(), document.get());
    EXPECT_EQ(fragment->firstChild()->document(), document.get());

    // Raw text contexts read their content as text; a null context is a body.
    auto title = document->createElement(u"title");
    EXPECT_EQ(buildHTMLFragment(*document, u"<b>&amp;</title>", title.get())->textContent(), u"<b>&</title>");
    EXPECT_EQ(buildHTMLFragment(*document, u"<td>x<p>y", nullptr)->innerHTML(), u"x<p>y</p>");
}

// </form> closes the form the form element pointer holds, and only while
// that very form is in scope: here the pointer's form was popped with the
// list, so the end tag is ignored although an outer form is in scope, and
// the list item above that form stays open.
TEST(HTMLTreeBuilder, AFormEndTagClosesOnlyThePointersForm)
{
    auto document = buildHTMLDocument(u"<form><li><ul><table></form></table><form></ul></form>after");
    EXPECT_EQ(document->body()->innerHTML(), u"<form><li><ul><table></table><form></form></ul>after</li></form>");
}

TEST(HTMLTreeBuilder, KeepsRawControlCharactersAndReportsErrors)
{
    // Controls stay as written, as the standard keeps them; NULs are dropped from body text.
    static const char16_t markup[] = u"<p title='a\u0001'>x\u0005\u009D\u007F\0y</p>";
    auto document = buildHTMLDocument(std::u16string(markup, std::size(markup) - 1));
    auto paragraph = downcast<DOMElement>(document->body()->firstChild());
    EXPECT_EQ(paragraph->getAttribute(u"title"), u"a\u0001");
    EXPECT_EQ(paragraph->textContent(), u"x\u0005\u009D\u007Fy");
    // Also beside characters of the private-use plane.
    EXPECT_EQ(buildHTMLDocument(u"<p>\U0010FF05\u0005</p>")->body()->textContent(), u"\U0010FF05\u0005");

    std::vector<HTMLParseError> errors;
    buildHTMLDocument(u"<p>\n<a b=1 b=2>", { .recordErrors = true }, &errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_STREQ(errors[0].code, "duplicate-attribute");
    EXPECT_EQ(errors[0].line, 2u);
}

// Where characters are ignored one by one (a column group whose element is not
// open), the white space between them still goes in.
TEST(HTMLTreeBuilder, IgnoredCharactersKeepTheWhiteSpaceBetweenThem)
{
    auto document = buildHTMLDocument(u"<template><col>a b<col> c</template>");
    auto* templateElement = toElement(document->head()->first());
    ASSERT_TRUE(templateElement && templateElement->templateContent());
    EXPECT_EQ(templateElement->templateContent()->innerHTML(), u"<col> <col> ");

    auto context = document->createElement(u"colgroup");
    EXPECT_EQ(buildHTMLFragment(*document, u"x y<col>z ", context.get())->innerHTML(), u" <col> ");
}

// Elements the parse takes out of the tree, or makes before they have a
// place in it, stay usable for as long as the parse refers to them.
TEST(HTMLTreeBuilder, ElementsOutOfTheTreeOutliveTheStepsThatUseThem)
{
    // A frameset drops the body, whose B stays on the formatting list until
    // white space after the page brings it back.
    auto frames = buildHTMLDocument(u"<b><i><frameset></frameset></html> ");
    EXPECT_EQ(frames->documentElement()->outerHTML(), u"<html><head></head><frameset></frameset><b><i> </i></b></html>");
    // Misnested formatting elements around a block: the clones made for them
    // are moved into the tree one inside the other.
    auto misnested = buildHTMLDocument(u"<b><i><u><s><div>x</b>y");
    EXPECT_EQ(misnested->body()->innerHTML(), u"<b><i><u><s></s></u></i></b><i><u><s><div><b>x</b>y</div></s></u></i>");
}

// End tags close the open element of their name, whether the builder knows
// the name or not, in any case, and never a foreign element of that name.
TEST(HTMLTreeBuilder, EndTagsCloseElementsOfTheirNameOnly)
{
    EXPECT_EQ(buildHTMLDocument(u"<x-a><span><x-b>t</X-A>u</span>v")->body()->innerHTML(),
              u"<x-a><span><x-b>t</x-b></span></x-a>uv");
    EXPECT_EQ(buildHTMLDocument(u"<math><mi><span>x</math>y</span>z")->body()->innerHTML(),
              u"<math><mi><span>xy</span>z</mi></math>");
}

// A select holds any content, as other elements do: only another select or an
// input closes it, an option or optgroup closes the ones before it, and in a
// table it is fostered out like any other element.
TEST(HTMLTreeBuilder, SelectHoldsAnyContentAndClosesOnlyForAnotherControl)
{
    struct Case {
        const char16_t* markup;
        const char16_t* body;
    };
    static const Case cases[] = {
        { u"<select><div>a</div><span>b</span></select>c", u"<select><div>a</div><span>b</span></select>c" },
        { u"<select><svg><rect/></svg><math><mi>x</mi></math></select>",
          u"<select><svg><rect></rect></svg><math><mi>x</mi></math></select>" },
        { u"<select><button><selectedcontent></selectedcontent></button><option>a</option></select>",
          u"<select><button><selectedcontent></selectedcontent></button><option>a</option></select>" },
        { u"<select><datalist><option>a</datalist><img src=i></select>",
          u"<select><datalist><option>a</option></datalist><img src=\"i\"></select>" },
        { u"<select><optgroup><option>a<optgroup><option>b<hr><option>c</select>",
          u"<select><optgroup><option>a</option></optgroup><optgroup><option>b</option></optgroup><hr><option>c</option></select>" },
        { u"<select><option>a<div><option>b</div></select>", u"<select><option>a<div><option>b</option></div></option></select>" },
        { u"<select><p>a<hr>b</select>", u"<select><p>a</p><hr>b</select>" },
        { u"<select><keygen><textarea>t</textarea><plaintext>p</select>",
          u"<select><keygen><textarea>t</textarea><plaintext>p</select></plaintext></select>" },
        { u"<select><template><option>a</template><option>b</select>",
          u"<select><template><option>a</option></template><option>b</option></select>" },
        { u"<select><div></select>after", u"<select><div></div></select>after" },
        { u"<select><b>x</select>y", u"<select><b>x</b></select><b>y</b>" },
        { u"<select><option>a<input>x", u"<select><option>a</option></select><input>x" },
        { u"<select>a<select>b", u"<select>a</select>b" },
        { u"<table><select><option>a</option></select><tr><td>c",
          u"<select><option>a</option></select><table><tbody><tr><td>c</td></tr></tbody></table>" },
        { u"<table><tr><td><select><option>a<td>b",
          u"<table><tbody><tr><td><select><option>a</option></select></td><td>b</td></tr></tbody></table>" },
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(toUTF8(testCase.markup));
        EXPECT_EQ(buildHTMLDocument(testCase.markup)->body()->innerHTML(), testCase.body);
    }
    auto foreign = buildHTMLDocument(u"<select><svg></svg></select>");
    EXPECT_EQ(toElement(foreign->body()->first()->first())->namespaceURI(), SVGNamespace);

    // As the content of a select, nothing closes it: a select or an input is dropped.
    auto document = buildHTMLDocument(u"");
    auto select = document->createElement(u"select");
    EXPECT_EQ(buildHTMLFragment(*document, u"<option>a<select>b<input>c</select>d<optgroup><option>e", select.get())->innerHTML(),
              u"<option>abcd</option><optgroup><option>e</option></optgroup>");
}
