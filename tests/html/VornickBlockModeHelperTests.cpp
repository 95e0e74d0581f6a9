#include "html/VornickBlockModeHelper.h"

#include "BlockModeEditingContextStub.h"
#include "dom/VornickNodeExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// A block format of "wp:" comments that fences paragraphs only.
class CommentBlockHelper : public VornickBlockModeHelper {
public:
    CommentBlockHelper() { setOperatingInBlockMode(true); }
    std::optional<std::u16string> blockStartCommentPrefix() const override { return u"wp:"; }
    std::optional<std::u16string> blockEndCommentPrefix() const override { return u"/wp:"; }
    std::optional<std::u16string> blockStartCommentTextForElementKind(std::u16string_view kind) const override
    {
        return kind == u"p" ? std::optional<std::u16string>(u" wp:paragraph ") : std::nullopt;
    }
    std::optional<std::u16string> blockEndCommentTextForElementKind(std::u16string_view kind) const override
    {
        return kind == u"p" ? std::optional<std::u16string>(u" /wp:paragraph ") : std::nullopt;
    }
    void buildBlockTransformTable() override
    {
        ++transformTableBuilds;
        addBlockTransform(VornickBlockTransform(u"wp:paragraph", u"wp:quote", u""));
    }
    int transformTableBuilds { 0 };
};

using FakeView = brevanton::testing::BlockModeEditingContextStub;

std::shared_ptr<DOMDocument> page(std::u16string_view body)
{
    return DOMDocument::parseHTML(u"<html><body>" + std::u16string(body) + u"</body></html>");
}

std::shared_ptr<DOMRange> rangeOf(const std::shared_ptr<DOMNode>& container, unsigned start, unsigned end)
{
    auto range = container->ownerDocument()->createRange();
    EXPECT_TRUE(range->setStart(container, start));
    EXPECT_TRUE(range->setEnd(container, end));
    return range;
}

struct Found {
    std::optional<std::u16string> tag;
    std::optional<int64_t> code;
    std::u16string message;
    bool hasStart { false };
    bool hasEnd { false };
};

std::vector<Found> enumerate(const VornickBlockModeHelper& helper, const DOMNode& node, unsigned options = 0)
{
    std::vector<Found> found;
    helper.enumerateChildBlocksOfNode(node, options, [&](const VornickExactSelection& selection, const std::optional<Error>& error, bool&) {
        Found item;
        if (selection.element())
            item.tag = selection.element()->localName();
        if (error) {
            item.code = error->code();
            item.message = error->localizedDescription();
        }
        item.hasStart = selection.blockStartComment() != nullptr;
        item.hasEnd = selection.blockEndComment() != nullptr;
        found.push_back(item);
    });
    return found;
}

} // namespace

TEST(BlockModeHelper, ThePlainHelperKnowsNoBlocksAndPermitsEverything)
{
    auto document = page(u"<!-- wp:paragraph --><p id=p>Text <b>bold</b></p><!-- /wp:paragraph -->");
    auto paragraph = document->getElementById(u"p");
    VornickBlockModeHelper helper;
    EXPECT_FALSE(helper.operatingInBlockMode());
    EXPECT_FALSE(helper.blockStartCommentBeforeNode(*paragraph));
    EXPECT_EQ(helper.indexOfBlockEndCommentAfterNode(*paragraph), VornickNotFound);
    EXPECT_FALSE(helper.blockEnclosingNode(paragraph->firstChild(), {}, true, false, nullptr));
    EXPECT_TRUE(enumerate(helper, *document->body()).empty());

    auto selection = helper.blockOrElement(paragraph);
    EXPECT_EQ(selection.element(), paragraph);
    EXPECT_FALSE(selection.blockStartComment());
    EXPECT_TRUE(helper.mayEditContentOfNode(*paragraph));
    EXPECT_TRUE(helper.mayEditPropertiesOfElement(paragraph));
    EXPECT_TRUE(helper.mayDeleteElement(paragraph));
    EXPECT_TRUE(helper.canEditContentOfBlockOrElement(selection));
    EXPECT_TRUE(helper.tablesCanHaveCaptions());
    EXPECT_FALSE(helper.fixBlockError(VornickBlockError(Error(VornickErrorDomain, VornickBlockUnclosedError), selection)));
    EXPECT_EQ(helper.elementEditorClassForElement(*paragraph), VornickElementEditorKind::ElementAttributes);
    EXPECT_FALSE(helper.transformFromBlockType(u"wp:paragraph", u"wp:quote"));
    EXPECT_FALSE(helper.fragmentDescriptionForBlockType(u"wp:paragraph", {}));

    // Created content carries no comments, and the range is left as it is.
    std::shared_ptr<DOMElement> made;
    auto fragment = helper.createFragmentWithCommentDelimitedElement(u"p", *document, false, &made);
    ASSERT_EQ(fragment->childCount(), 1u);
    EXPECT_EQ(fragment->firstChild(), made);
    auto range = vornick_outerRange(*paragraph);
    helper.growRangeToIncludeBlockStartAndEndComments(*range);
    EXPECT_EQ(range->startOffset(), 1u);

    std::u16string label;
    helper.getPathSegmentLabelsForElement(*paragraph, [&](const std::u16string& tag, const std::u16string&) { label = tag; });
    EXPECT_EQ(label, u"p");
    EXPECT_EQ(helper.insertionIndexForAttribute(u"alt", *paragraph), 1u);
}

TEST(BlockModeHelper, ThePlainHelperFindsElementsToEditAndNavigatesPastComments)
{
    auto document = page(u"<p id=a>A</p> <!-- note --> <figure id=f><img id=i src=x.png></figure>");
    VornickBlockModeHelper helper;
    auto body = document->body();

    auto image = document->getElementById(u"i");
    auto selection = helper.blockOrElementToEditForRange(vornick_outerRange(*image).get());
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->element(), document->getElementById(u"f"));
    EXPECT_FALSE(helper.blockOrElementToEditForRange(nullptr));

    auto exact = helper.exactSelectionFromRange(*vornick_outerRange(*document->getElementById(u"a")), true);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->element(), document->getElementById(u"a"));
    EXPECT_FALSE(helper.exactSelectionFromRange(*rangeOf(body, 0, 0), false));

    // Forward from the paragraph's next sibling: across whitespace, a plain comment stops the walk.
    EXPECT_FALSE(helper.nextBlockOrElementInDirection(1, document->getElementById(u"a")->nextSibling()));
    // Backward from the figure: the comment after the paragraph does not hide it.
    auto before = document->getElementById(u"f")->previousSibling();
    auto back = helper.nextBlockOrElementInDirection(-1, before->previousSibling()->previousSibling());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->element(), document->getElementById(u"a"));
}

TEST(BlockModeHelper, APlainSelectionMayCrossBlocksButNotLeaveTheBody)
{
    auto document = DOMDocument::parseHTML(u"<html><head><title>Title</title></head>"
                                           u"<body><p id=a>One <b>two</b></p><ul><li id=b>Three</li></ul></body></html>");
    VornickBlockModeHelper helper;
    auto one = document->getElementById(u"a")->firstChild();
    auto three = document->getElementById(u"b")->firstChild();
    EXPECT_TRUE(helper.proposedSelectionRangeIsInEditableContent(*rangeOf(one, 1, 1)));
    EXPECT_TRUE(helper.proposedSelectionRangeIsInEditableContent(*rangeOf(one, 0, 3)));
    // From a paragraph into a list item, as Shift+Down selects.
    auto across = rangeOf(one, 1, 1);
    ASSERT_TRUE(across->setEnd(three, 2));
    EXPECT_TRUE(helper.proposedSelectionRangeIsInEditableContent(*across));
    EXPECT_EQ(helper.contentEditableAncestorElementForPosition({ three, 0 }, true), document->getElementById(u"b"));
    // From the head's title into the body is not.
    auto title = document->getElementsByTagName(u"title")->item(0)->firstChild()->shared_from_this();
    auto fromHead = rangeOf(title, 1, 1);
    ASSERT_TRUE(fromHead->setEnd(three, 2));
    EXPECT_FALSE(helper.proposedSelectionRangeIsInEditableContent(*fromHead));
}

TEST(BlockModeHelper, ContentPermissionsAskTheView)
{
    auto document = page(u"<h2 id=h>Title</h2><p id=p>Text</p>");
    VornickBlockModeHelper helper;
    FakeView view;
    EXPECT_FALSE(helper.canChangeHeadingLevelInContentEditingView(view));
    view.range = rangeOf(document->getElementById(u"h")->firstChild(), 2, 2);
    EXPECT_TRUE(helper.canChangeHeadingLevelInContentEditingView(view));
    EXPECT_TRUE(helper.canClearHeadingLevelInContentEditingView(view));
    view.range = rangeOf(document->getElementById(u"p")->firstChild(), 2, 2);
    EXPECT_FALSE(helper.canClearHeadingLevelInContentEditingView(view));
    // A paragraph's heading level can be set, not cleared.
    EXPECT_TRUE(helper.canChangeHeadingLevelInContentEditingView(view));
    EXPECT_TRUE(helper.canInsertOrWrapInLinkToFileInContentEditingView(view));
    view.editable = false;
    EXPECT_FALSE(helper.canInsertOrWrapInLinkToFileInContentEditingView(view));
    // Without an HTML specification no inline style can be toggled.
    EXPECT_FALSE(helper.canToggleApplicationOfInlineStyleElement(u"em", view));
}

TEST(BlockModeHelper, ImagesTakeTheirSizeFromTheMediaFile)
{
    auto document = DOMDocument::parseHTML(u"<p id=p>x</p>", u"file:///site/index.html");
    VornickBlockModeHelper helper;
    FakeView view;
    auto url = URL::fileURLWithPath(std::string_view("/site/img/photo@2x.png"));
    auto image = [&](const DOMRange* range) {
        auto fragment = helper.createImageWithURL(url, *document, &view, range);
        return downcast<DOMElement>(fragment->firstChild());
    };
    auto unknown = image(nullptr);
    EXPECT_EQ(unknown->getAttribute(u"src"), u"img/photo@2x.png");
    EXPECT_FALSE(unknown->hasAttribute(u"width"));

    view.mediaSize = std::pair<long, long>(801, 600);
    auto known = image(nullptr);
    EXPECT_EQ(known->getAttribute(u"srcset"), u"img/photo@2x.png 2x");
    EXPECT_EQ(known->getAttribute(u"width"), u"401");
    EXPECT_EQ(known->getAttribute(u"height"), u"300");

    // Without a scale in the name, the replaced element's width decides it (at most 4).
    url = URL::fileURLWithPath(std::string_view("/site/img/photo.png"));
    view.boxWidth = 100;
    auto scaled = image(vornick_innerRange(document->getElementById(u"p")).get());
    EXPECT_EQ(scaled->getAttribute(u"srcset"), u"img/photo.png 4x");
    EXPECT_EQ(scaled->getAttribute(u"width"), u"200");
}

TEST(BlockModeHelper, EnumeratingBlocksReportsSoundBlocksAndEachFault)
{
    CommentBlockHelper helper;
    auto document = page(u"<!-- wp:paragraph -->\n<p>A</p>\n<!-- /wp:paragraph -->"
                         u"<!-- wp:spacer /-->"
                         u"<p class=brevanton-placeholder-element>placeholder</p>"
                         u"<p>outside</p>"
                         u"<!-- wp:a --><p>x</p><!-- /wp:b -->"
                         u"<!-- /wp:stray -->"
                         u"<!-- wp:quote --><!-- /wp:quote -->"
                         u"<!-- wp:list --><ul></ul><ol></ol><!-- /wp:list -->"
                         u"<!-- wp:paragraph -->\n");
    auto found = enumerate(helper, *document->body());
    ASSERT_EQ(found.size(), 9u);
    EXPECT_EQ(found[0].tag, u"p");
    EXPECT_FALSE(found[0].code);
    EXPECT_TRUE(found[0].hasStart && found[0].hasEnd);
    EXPECT_FALSE(found[1].tag);
    EXPECT_FALSE(found[1].code);
    EXPECT_EQ(found[2].code, VornickBlockElementOutsideBlockError);
    EXPECT_EQ(found[2].message, u"Encountered element <p> with no enclosing block");
    EXPECT_EQ(found[3].code, VornickBlockEndCommentMismatchError);
    EXPECT_EQ(found[4].code, VornickBlockEndCommentWithoutStartError);
    EXPECT_EQ(found[5].code, VornickBlockEndCommentWithoutInteriorError);
    EXPECT_EQ(found[6].code, VornickBlockSecondContentError);
    EXPECT_EQ(found[6].message, u"Element <ol> in block that already has a content element (<ul>)");
    EXPECT_EQ(found[7].code, VornickBlockEndCommentWithoutStartError);
    EXPECT_EQ(found[8].code, VornickBlockUnclosedError);
    EXPECT_EQ(found[8].message, u"Unclosed block at end: <!-- wp:paragraph -->");

    // Reversed: the same results, last first; a stop ends the walk.
    auto reversed = enumerate(helper, *document->body(), VornickEnumerationReverse);
    ASSERT_EQ(reversed.size(), found.size());
    EXPECT_EQ(reversed.front().code, found.back().code);
    int seen = 0;
    helper.enumerateChildBlocksOfNode(*document->body(), 0, [&](const VornickExactSelection&, const std::optional<Error>&, bool& stop) {
        stop = ++seen == 2;
    });
    EXPECT_EQ(seen, 2);
    EXPECT_THROW(enumerate(helper, *document->body(), VornickEnumerationConcurrent), InternalInconsistencyException);
}

TEST(BlockModeHelper, ANewStartCommentBeforeTheEndReportsTheOpenBlock)
{
    CommentBlockHelper helper;
    auto document = page(u"<!-- wp:group --><!-- wp:paragraph --><p>A</p><!-- /wp:paragraph -->");
    auto found = enumerate(helper, *document->body());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].code, VornickBlockUnclosedError);
    EXPECT_EQ(found[0].message,
              u"Incomplete block: Encountered new start comment <!-- wp:paragraph --> before closure of existing block <!-- wp:group -->");
    EXPECT_FALSE(found[1].code);
}

TEST(BlockModeHelper, ExactSelectionsFromRangesAndEnclosingBlocks)
{
    CommentBlockHelper helper;
    auto document = page(u"<!-- wp:group --><div id=g>"
                         u"<!-- wp:paragraph --> <p id=p>Text</p> <!-- /wp:paragraph -->"
                         u"</div><!-- /wp:group -->");
    auto group = document->getElementById(u"g");
    auto paragraph = document->getElementById(u"p");

    auto whole = helper.exactSelectionFromRange(*rangeOf(group, 0, 5), false);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->element(), paragraph);
    EXPECT_TRUE(whole->blockStartComment() && whole->blockEndComment());
    // The element alone is the block only when the comments are looked up.
    EXPECT_FALSE(helper.exactSelectionFromRange(*rangeOf(group, 2, 3), false)->blockStartComment());
    auto expanded = helper.exactSelectionFromRange(*rangeOf(group, 2, 3), true);
    ASSERT_TRUE(expanded && expanded->blockEndComment());
    // A start comment without its end comment is no exact selection.
    EXPECT_FALSE(helper.exactSelectionFromRange(*rangeOf(group, 0, 3), false));

    auto inner = helper.blockEnclosingNode(paragraph->firstChild(), {}, false, false, nullptr);
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->element(), paragraph);
    auto outer = helper.blockEnclosingNode(paragraph->firstChild(), {}, false, true, nullptr);
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->element(), group);
    EXPECT_EQ(helper.blockEnclosingNode(paragraph->firstChild(), { u"wp:group" }, false, false, nullptr)->element(), group);
    EXPECT_FALSE(helper.blockEnclosingNode(paragraph->firstChild(), {}, false, false, paragraph.get()));

    auto range = vornick_outerRange(*paragraph);
    helper.growRangeToIncludeBlockStartAndEndComments(*range);
    EXPECT_EQ(range->startOffset(), 0u);
    EXPECT_EQ(range->endOffset(), 5u);

    auto next = helper.nextBlockOrElementInDirection(1, group->firstChild());
    ASSERT_TRUE(next);
    EXPECT_EQ(next->element(), paragraph);
    EXPECT_TRUE(next->blockEndComment());
    auto previous = helper.nextBlockOrElementInDirection(-1, group->lastChild());
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->blockStartComment(), whole->blockStartComment());
}

TEST(BlockModeHelper, InBlockModeOnlyTextAndElementsOutsideBlocksAreFreeToEdit)
{
    CommentBlockHelper helper;
    auto document = page(u"<!-- wp:paragraph --><p id=p>Text <b id=b>bold</b></p><!-- /wp:paragraph --><div id=d>free</div>"
                         u"<!-- wp:paragraph --><p id=q>x</p><!-- note -->");
    EXPECT_TRUE(helper.mayEditContentOfNode(*document->getElementById(u"p")->firstChild()));
    EXPECT_FALSE(helper.mayEditContentOfNode(*document->getElementById(u"p")));
    EXPECT_TRUE(helper.mayEditPropertiesOfElement(document->getElementById(u"d")));
    // A block element itself lies in no block; what is inside a block without a snippet is fixed.
    EXPECT_TRUE(helper.mayEditPropertiesOfElement(document->getElementById(u"p")));
    EXPECT_FALSE(helper.mayEditPropertiesOfElement(document->getElementById(u"b")));
    EXPECT_FALSE(helper.mayDeleteElement(document->getElementById(u"b")));
    // The block around the bold text is what gets edited for it.
    auto selection = helper.blockOrElementToEditForRange(vornick_innerRange(document->getElementById(u"b")).get());
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->element(), document->getElementById(u"p"));
    EXPECT_TRUE(selection->blockStartComment());

    // In block mode a comment after the element that closes no block ends the walk to it.
    auto body = document->body();
    EXPECT_FALSE(helper.nextBlockOrElementInDirection(1, document->getElementById(u"d")->nextSibling()));
    // Created fragments are fenced only while in block mode.
    helper.setOperatingInBlockMode(false);
    EXPECT_EQ(helper.createFragmentWithCommentDelimitedElement(u"p", *document, false, nullptr)->childCount(), 1u);
    EXPECT_TRUE(helper.mayEditPropertiesOfElement(document->getElementById(u"b")));
    EXPECT_EQ(body->childCount(), 7u);
}

TEST(BlockModeHelper, InsertionPointsLeaveDelimiterCommentsAndPopOutOfBlocks)
{
    CommentBlockHelper helper;
    auto document = page(u"<!-- wp:paragraph --> <p id=p>Text</p> <!-- /wp:paragraph --><p id=q>after</p>");
    auto body = document->body();
    auto paragraph = document->getElementById(u"p");

    // Just before the end comment's whitespace: after the end comment.
    auto caret = rangeOf(body, 3, 3);
    helper.moveInsertionRangeOutOfBlockDelimiterComments(*caret);
    EXPECT_EQ(caret->startOffset(), 5u);
    // Just after the start comment: before it.
    caret = rangeOf(body, 1, 1);
    helper.moveInsertionRangeOutOfBlockDelimiterComments(*caret);
    EXPECT_EQ(caret->startOffset(), 0u);

    auto text = paragraph->firstChild();
    VornickBlockInteriorEndpointClass kind {};
    EXPECT_TRUE(helper.insertionRangeIsInBlock(*rangeOf(text, 0, 0), [&](const VornickExactSelection&, VornickBlockInteriorEndpointClass k) { kind = k; }));
    EXPECT_EQ(kind, VornickBlockInteriorEndpointClass::AtStart);
    EXPECT_TRUE(helper.insertionRangeIsInBlock(*rangeOf(text, 2, 2), [&](const VornickExactSelection&, VornickBlockInteriorEndpointClass k) { kind = k; }));
    EXPECT_EQ(kind, VornickBlockInteriorEndpointClass::Interior);
    EXPECT_FALSE(helper.insertionRangeIsInBlock(*rangeOf(document->getElementById(u"q")->firstChild(), 0, 0), {}));

    auto popped = helper.poppedInsertionRangeIfAtBlockStartOrEnd(*rangeOf(text, 4, 4));
    ASSERT_TRUE(popped);
    EXPECT_EQ(popped->startContainer(), body);
    EXPECT_EQ(popped->startOffset(), 5u);
    EXPECT_FALSE(helper.poppedInsertionRangeIfAtBlockStartOrEnd(*rangeOf(text, 2, 2)));
}

TEST(BlockModeHelper, CreatedContentIsFencedInBlockMode)
{
    CommentBlockHelper helper;
    auto document = page(u"");
    std::shared_ptr<DOMElement> element;
    std::shared_ptr<DOMText> text;
    auto fragment = helper.createFragmentWithCommentDelimitedElement(u"P", *document, u"Hello", false, &element, &text);
    ASSERT_EQ(fragment->childCount(), 3u);
    EXPECT_EQ(downcast<DOMComment>(fragment->childAt(0))->data(), u" wp:paragraph ");
    EXPECT_EQ(text->data(), u"Hello");
    EXPECT_EQ(element->firstChild(), text);
    EXPECT_EQ(helper.createFragmentWithCommentDelimitedElement(u"p", *document, true, nullptr)->childCount(), 1u);

    // Blockifying fences what has texts and leaves other kinds unfenced.
    auto incoming = document->createDocumentFragmentWithMarkupString(u"<p>one</p><div>two</div>");
    ASSERT_TRUE(incoming);
    helper.blockifyFragment(*incoming);
    EXPECT_EQ(incoming->childCount(), 4u);
    EXPECT_EQ(incoming->childAt(0)->nodeType(), DOMNode::COMMENT_NODE);
    EXPECT_EQ(incoming->childAt(3)->nodeName(), u"DIV");
    // Blocks already fenced stay as they are.
    helper.blockifyFragment(*incoming);
    EXPECT_EQ(incoming->childCount(), 4u);

    // A transformed paragraph loses its comments; headings have none here.
    helper.transformChildElementsInFragment(*incoming, u"p", u"h2", false);
    ASSERT_EQ(incoming->childCount(), 2u);
    EXPECT_EQ(incoming->childAt(0)->nodeName(), u"H2");
    EXPECT_EQ(incoming->childAt(0)->textContent(), u"one");

    EXPECT_EQ(helper.transformFromBlockType(u"wp:paragraph", u"wp:quote")->fromBlockContainerElementKind(), u"");
    EXPECT_FALSE(helper.transformFromBlockType(u"wp:quote", u"wp:paragraph"));
    EXPECT_EQ(helper.transformTableBuilds, 1);
}

TEST(BlockModeHelper, BrickTagsSkipEmbedsAndComeOffAgain)
{
    VornickBlockModeHelper helper;
    auto document = page(u"<div id=d><p id=p>x</p><figure class=wp-block-embed><p id=e>y</p></figure></div>");
    helper.recursiveAddBrickTags(*document->body());
    EXPECT_TRUE(document->getElementById(u"p")->className().find(u"brevanton-brick") != std::u16string::npos);
    EXPECT_EQ(document->getElementById(u"e")->className(), u"");
    (void)document->getElementById(u"p")->setAttribute(u"class", u"brevanton-brick brevanton-collapsed keep");
    helper.recursiveRemoveBrickTags(*document->body());
    EXPECT_EQ(document->getElementById(u"p")->className(), u"keep");
    EXPECT_EQ(document->getElementById(u"d")->className().find(u"brevanton-brick"), std::u16string::npos);

    // A page as deep as browsers build: its deepest brick is reached.
    std::u16string nested;
    for (int level = 0; level < 100'000; ++level)
        nested += u"<div>";
    auto deep = page(nested + u"<p id=p>x</p>");
    helper.recursiveAddBrickTags(*deep->body());
    EXPECT_NE(deep->getElementById(u"p")->className().find(u"brevanton-brick"), std::u16string::npos);
    helper.recursiveRemoveBrickTags(*deep->body());
    EXPECT_EQ(deep->getElementById(u"p")->className(), u"");
}
