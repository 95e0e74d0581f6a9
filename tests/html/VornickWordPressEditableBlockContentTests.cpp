// Which elements of a block snippet hold its text, what that lets the user
// edit in a real post, and which elements the completion list of a post
// leaves to the block snippets.
#include "html/VornickFragmentGroup.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "html/VornickWordPressEditableBlockContentElementsIdentifier.h"
#include "html/VornickWordPressFragmentCompletionSet.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

using Types = std::set<std::u16string>;

Types typesIn(std::u16string_view html)
{
    return VornickWordPressEditableBlockContentElementsIdentifier::editableContentElementTypesInBlockHTMLString(html);
}

TEST(VornickWordPressEditableBlockContent, TextBelongsToTheElementWhoseOpenTagWasSeenLast)
{
    // " c" follows the end of the EM and belongs to no element.
    EXPECT_EQ(typesIn(u"<p>a <em>b</em> c</p>"), (Types { u"p", u"em" }));
    EXPECT_EQ(typesIn(u"<div><span>x</span> y</div>"), (Types { u"span" }));
    EXPECT_EQ(typesIn(u"<P>Text</P>"), (Types { u"p" }));
    EXPECT_EQ(typesIn(u"<p></p>"), Types {});
    EXPECT_EQ(typesIn(u"<div> \n\t<p>\n</p> </div>"), Types {});
    EXPECT_EQ(typesIn(u"loose text"), Types {});
    // Attribute values and comments are no content; an expression in text is.
    EXPECT_EQ(typesIn(u"<!-- wp:image -->\n<figure class=\"wp-block-image\"><img src=\"{url}\" alt=\"\"/></figure>\n<!-- /wp:image -->"), Types {});
    EXPECT_EQ(typesIn(u"<!-- wp:paragraph -->\n<p>{content}</p>\n<!-- /wp:paragraph -->"), (Types { u"p" }));

    // A reused identifier accumulates what each string names.
    VornickWordPressEditableBlockContentElementsIdentifier identifier;
    EXPECT_EQ(identifier.parseHTMLString(u"<p>one</p>"), (Types { u"p" }));
    EXPECT_EQ(identifier.parseHTMLString(u"two <li>three</li>"), (Types { u"p", u"li" }));
}

TEST(VornickWordPressEditableBlockContent, EveryShippedTextBlockNamesTheElementsThatHoldItsText)
{
    auto blocks = VornickFragmentSet::fragmentSetNamed(u"WordPress-blocks");
    ASSERT_TRUE(blocks);
    const std::map<std::u16string, Types> expected {
        { u"wp:paragraph", { u"p" } },   { u"wp:heading1", { u"h1" } },      { u"wp:heading2", { u"h2" } },
        { u"wp:heading3", { u"h3" } },   { u"wp:heading4", { u"h4" } },      { u"wp:heading5", { u"h5" } },
        { u"wp:heading6", { u"h6" } },   { u"wp:list", { u"li" } },          { u"wp:list-item", { u"li" } },
        { u"wp:quote", { u"p" } },       { u"wp:pullquote", { u"p" } },      { u"wp:code", { u"code" } },
        { u"wp:preformatted", { u"pre" } }, { u"wp:verse", { u"pre" } },     { u"wp:table", { u"th", u"td" } },
        { u"wp:separator", {} },         { u"wp:image", {} },
    };
    for (const auto& [identifier, types] : expected) {
        auto snippet = std::dynamic_pointer_cast<VornickGeneralFragmentDescription>(blocks->fragmentDescriptionWithIdentifier(identifier));
        ASSERT_TRUE(snippet) << toUTF8(identifier);
        EXPECT_EQ(snippet->editableContentElementTypes(), types) << toUTF8(identifier);
    }
}

// --- A real post in block mode

class EditableBlockContentInAPost : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto post = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress/travel-article.html");
        ASSERT_TRUE(post);
        document = DOMDocument::parseHTML(u"<html><body>" + toUTF16(*post) + u"</body></html>");
        helper.setHtmlSpec(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5));
        helper.setOperatingInBlockMode(true);
        ASSERT_TRUE(helper.fragmentSet());
    }
    std::shared_ptr<DOMRange> caretIn(DOMNode& text, unsigned offset) const
    {
        auto range = document->createRange();
        EXPECT_TRUE(range->setStart(text.shared_from_this(), offset));
        range->collapse(true);
        return range;
    }
    // The trimmed texts of the post whose characters the user may edit, or may not.
    std::vector<std::string> texts(bool editable) const
    {
        std::vector<std::string> found;
        for (DOMNode* node = document->body().get(); node; node = node->traverseNext()) {
            if (!node->isTextNode() || isHTMLWhitespaceOnly(node->textContent()))
                continue;
            // The post view shows a placeholder in place of an embed's URL.
            if (node->parentElement()->getAttribute(u"class") == u"wp-block-embed__wrapper")
                continue;
            if (helper.proposedSelectionRangeIsInEditableContent(*caretIn(*node, 1)) == editable)
                found.push_back(toUTF8(trimHTMLWhitespace(node->textContent())));
        }
        return found;
    }
    static bool isHTMLWhitespaceOnly(const std::u16string& text) { return trimHTMLWhitespace(text).empty(); }
    static std::u16string trimHTMLWhitespace(const std::u16string& text)
    {
        size_t start = text.find_first_not_of(u" \t\n\r\f");
        if (start == std::u16string::npos)
            return {};
        return text.substr(start, text.find_last_not_of(u" \t\n\r\f") - start + 1);
    }
    std::shared_ptr<DOMElement> first(std::u16string_view tagName) const
    {
        return downcast<DOMElement>(document->getElementsByTagName(std::u16string(tagName))->item(0));
    }

    std::shared_ptr<DOMDocument> document;
    VornickWordPressBlockModeHelper helper;
};

TEST_F(EditableBlockContentInAPost, TextIsEditableOnlyInsideTheElementsItsBlockSnippetFills)
{
    EXPECT_EQ(texts(false), (std::vector<std::string> {
                                "The ferry at Cais do Sodr\xC3\xA9",           // an image's caption
                                "A waiter at Ponto Final",                      // a quote's citation
                                "Ferry times",                                  // a button, which has no snippet
                            }));
    auto editable = texts(true);
    for (const char* text : { "Getting there", "What to eat", "Alfama", "Cacilhas", "Take the metro to Cais do Sodr\xC3\xA9",
                              "Transtejo", "Order the grilled sardines and whatever the table next to you is having.", "Stop", "08:52",
                              "lat: 38.6876, lon: -9.1466", "Morning: the riverside walk to Ginjal." })
        EXPECT_NE(std::find(editable.begin(), editable.end(), text), editable.end()) << text;

    // A selection stays within one editable element.
    auto cells = document->getElementsByTagName(u"td");
    auto across = document->createRange();
    ASSERT_TRUE(across->setStart(cells->item(0)->firstChild()->shared_from_this(), 1));
    ASSERT_TRUE(across->setEnd(cells->item(1)->firstChild()->shared_from_this(), 1));
    EXPECT_FALSE(helper.proposedSelectionRangeIsInEditableContent(*across));
    ASSERT_TRUE(across->setEnd(cells->item(0)->firstChild()->shared_from_this(), 3));
    EXPECT_TRUE(helper.proposedSelectionRangeIsInEditableContent(*across));
}

TEST_F(EditableBlockContentInAPost, ElementsInsideEditableTextMayBeChangedButTheBlocksOwnMarkupMayNot)
{
    EXPECT_TRUE(helper.mayEditPropertiesOfElement(first(u"a")));   // a link in a paragraph
    EXPECT_TRUE(helper.mayEditPropertiesOfElement(first(u"em")));  // emphasis in a paragraph
    EXPECT_TRUE(helper.mayDeleteElement(first(u"strong")));
    EXPECT_FALSE(helper.mayEditPropertiesOfElement(first(u"img")));        // the image block's own picture
    EXPECT_FALSE(helper.mayEditPropertiesOfElement(first(u"figcaption")));
    EXPECT_FALSE(helper.mayDeleteElement(first(u"cite")));                  // the quote's own citation
    EXPECT_FALSE(helper.mayEditPropertiesOfElement(first(u"thead")));
    // A list's items are blocks whose content may be edited; an image block's is not.
    EXPECT_TRUE(helper.canEditContentOfBlockOrElement(helper.blockOrElement(first(u"li"))));
    EXPECT_FALSE(helper.canEditContentOfBlockOrElement(helper.blockOrElement(first(u"figure"))));

    // Outside block mode everything may be edited, and the snippets are those of classic posts.
    helper.setOperatingInBlockMode(false);
    ASSERT_TRUE(helper.fragmentSet());
    EXPECT_EQ(helper.fragmentSet()->title(), u"WordPress Classic");
    EXPECT_TRUE(helper.mayEditPropertiesOfElement(first(u"img")));
    EXPECT_TRUE(helper.proposedSelectionRangeIsInEditableContent(*caretIn(*first(u"figcaption")->firstChild(), 1)));
}

// --- The completion list of a post

TEST(VornickWordPressFragmentCompletionSet, BlockLevelElementsAreLeftToTheBlockSnippets)
{
    auto spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    VornickWordPressFragmentCompletionSet wordPress(nullptr, nullptr, spec);
    VornickFragmentCompletionSet plain(nullptr, nullptr, spec);
    for (const char16_t* tag : { u"h1", u"h2", u"h3", u"h4", u"h5", u"h6", u"p", u"ul", u"ol", u"blockquote", u"pre", u"img", u"table",
                                 u"hr", u"dl", u"dt", u"dd", u"P", u"Table" }) {
        EXPECT_FALSE(wordPress.shouldIncludeElement(tag)) << toUTF8(tag);
        EXPECT_TRUE(plain.shouldIncludeElement(tag)) << toUTF8(tag);
    }
    for (const char16_t* tag : { u"a", u"em", u"strong", u"code", u"span", u"div", u"figure", u"li" })
        EXPECT_TRUE(wordPress.shouldIncludeElement(tag)) << toUTF8(tag);

    // The index holds the inline elements and no block-level ones.
    wordPress.rebuildIndex();
    auto offered = [&](std::u16string_view search, std::u16string_view tag) {
        for (const auto& match : wordPress.rankedMatchesForSearchString(search)) {
            if (auto element = VornickFragmentCompletionSet::elementSpecOfMatch(match); element && asciiLowercase(element->tagName()) == tag)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(offered(u"em", u"em"));
    EXPECT_TRUE(offered(u"strong", u"strong"));
    EXPECT_FALSE(offered(u"p", u"p"));
    EXPECT_FALSE(offered(u"blockquote", u"blockquote"));
    EXPECT_FALSE(offered(u"table", u"table"));
}

} // namespace
