// A real WordPress block post in the editor, as the post view shows it: the
// post in an attachment point, the WordPress block mode helper in block mode,
// the block snippets as the base snippet set and the completion set of posts.
// The user selects and types only in the text of blocks; block snippets go in
// as whole blocks, fenced by their comments, and Undo gives back every block
// comment exactly. WordPress's own parser (php-cli with Debian's wordpress
// package) reads the edited post.
#include "../html/WordPressBlockOracle.h"
#include "PointerTestSupport.h"
#include "WordPressBlockPostTestSupport.h"

#include "app/VornickWindow.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "html/VornickWordPressFragmentCompletionSet.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class WordPressPostView : public VornickContentEditingView {
public:
    using VornickContentEditingView::VornickContentEditingView;
    FragmentCompletionSetClass fragmentCompletionSetClass() const override
    {
        return [](auto base, auto user, auto spec) { return std::make_shared<VornickWordPressFragmentCompletionSet>(base, user, spec); };
    }
};

class PostLocator : public VornickAttachmentPointLocator {
public:
    std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument& document) const override { return document.getElementById(u"post"); }
};

// WordPress's block tree of a post body: type names, nested as "name[inner, ...]".
std::string serverBlockTree(const std::string& post)
{
    auto tree = runWordPressOracle("tree", post);
    if (!tree || !tree->isArray())
        return "";
    std::function<std::string(const Array&)> names = [&](const Array& blocks) {
        std::string out;
        for (const auto& block : blocks) {
            if (!out.empty())
                out += ", ";
            out += toUTF8(block.dictionary().at(u"name").string());
            const auto& inner = block.dictionary().at(u"inner").array();
            if (!inner.empty())
                out += "[" + names(inner) + "]";
        }
        return out;
    };
    return names(tree->array());
}

class BlockPostEditing : public PointerTest {
protected:
    void SetUp() override
    {
        PointerTest::SetUp();
        helper = useBlockModeView<WordPressPostView>(view, recorder);
        view->setAttachmentPointLocatorSet(std::make_shared<VornickAttachmentPointLocatorSet>(
            std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> { { u"body", std::make_shared<PostLocator>() } }));
    }

    // Loads the post of tests/data/wordpress into a blog page and attaches to it.
    void loadPost(const std::string& name)
    {
        auto post = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress/" + name);
        ASSERT_TRUE(post);
        loadBody("<header><h1>Slow Travel</h1></header><div id=\"post\">" + *post + "</div><footer>Footer text</footer>");
        ASSERT_TRUE(VornickContentEditingViewTestPeer::attachToPoint(*view, u"body", VornickAttachmentType::SingleElement, nullptr));
        vornick_setBaseFragmentSet(*view->mainFrame(), VornickFragmentSet::fragmentSetNamed(u"WordPress-blocks"));
        view->setTargetRange(nullptr);
    }
    std::shared_ptr<DOMElement> post() const { return document()->getElementById(u"post"); }
    std::string postHTML() const { return toUTF8(post()->innerHTML()); }
    // The block comments of the post, in order.
    std::vector<std::u16string> blockComments() const
    {
        std::vector<std::u16string> comments;
        for (DOMNode* node = post()->first(); node; node = node->traverseNext(post().get())) {
            if (node->nodeType() == DOMNode::COMMENT_NODE)
                comments.push_back(downcast<DOMCharacterData>(node)->data());
        }
        return comments;
    }
    // The top-level blocks of the post as the editor sees them ("!" marks a fault).
    std::string topLevelBlocks() const
    {
        std::string out;
        helper->enumerateChildBlocksOfNode(*post(), 0, [&](const VornickExactSelection& block, const std::optional<Error>& error, bool&) {
            auto metadata = block.blockStartComment() ? VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(
                                                            block.blockStartComment()->data())
                                                      : nullptr;
            out += (out.empty() ? "" : " ") + (metadata ? toUTF8(metadata->typeName()) : std::string("?")) + (error ? "!" : "");
        });
        return out;
    }
    bool proposeCaret(const std::u16string& text, unsigned offset)
    {
        auto node = textNode(text);
        EXPECT_TRUE(node) << toUTF8(text);
        return node && view->embeddedWebView()->proposeSelectedDOMRange(rangeIn(node, offset, offset), WebSelectionAffinityDownstream, false);
    }
    std::shared_ptr<DOMRange> caretAtEndOf(const std::u16string& text) const
    {
        auto node = textNode(text);
        return rangeIn(node, node->length(), node->length());
    }
    std::shared_ptr<VornickFragmentDescription> snippet(std::u16string_view identifier) const
    {
        return VornickFragmentSet::fragmentSetNamed(u"WordPress-blocks")->fragmentDescriptionWithIdentifier(identifier);
    }

    std::shared_ptr<VornickWordPressBlockModeHelper> helper;
};

TEST_F(BlockPostEditing, TheUserSelectsAndTypesOnlyInTheTextOfBlocks)
{
    loadPost("travel-article.html");
    ASSERT_EQ(topLevelBlocks(), "wp:paragraph wp:more wp:heading wp:paragraph wp:list wp:image wp:heading wp:quote wp:separator "
                                "wp:table wp:embed wp:spacer wp:columns wp:buttons wp:code wp:block wp:paragraph");
    // The text of paragraphs, headings, list items, quotes, table cells, code and columns.
    for (const char16_t* text : { u"We left Lisbon", u"Getting there", u"Take the metro", u"Order the grilled", u"Stop", u"08:52",
                                  u"lat: 38", u"Morning: the riverside", u"Photos" })
        EXPECT_TRUE(proposeCaret(text, 1)) << toUTF8(text);
    // Not the caption, the citation, the button, nor anything outside the post.
    for (const char16_t* text : { u"The ferry at", u"A waiter", u"Ferry times", u"Slow Travel", u"Footer" })
        EXPECT_FALSE(proposeCaret(text, 1)) << toUTF8(text);
    // A selection from one block's text into the next one's.
    EXPECT_FALSE(view->embeddedWebView()->proposeSelectedDOMRange(rangeBetween(textNode(u"Getting there"), 2, textNode(u"The ferry runs"), 2),
                                                                  WebSelectionAffinityDownstream, false));

    // Typed keys reach the heading's text and nothing else; Undo restores every block comment.
    putInWindow();
    auto comments = blockComments();
    auto heading = textNode(u"Getting there");
    ASSERT_TRUE(proposeCaret(u"Getting there", static_cast<unsigned>(heading->length())));
    checkUndoableStep(
        *view,
        [&] {
            events.typeText(window, u" by ferry");
            drain();
        },
        [&] {
            EXPECT_EQ(toUTF8(heading->data()), "Getting there by ferry");
            EXPECT_EQ(blockComments(), comments);
        });
    // Return at the end of a paragraph's text takes the caret out of its block; what is typed
    // there becomes a paragraph block of its own.
    ASSERT_TRUE(proposeCaret(u"The ferry runs", 0));
    select(caretAtEndOf(u"the Viva Viagem card works too."));
    checkUndoableStep(
        *view,
        [&] {
            events.pressKey(window, u'\r');
            drain();
        },
        [&] {
            auto caret = view->effectiveOperationRange();
            ASSERT_TRUE(caret);
            EXPECT_EQ(caret->startContainer()->parentNode(), post());
            EXPECT_EQ(blockComments(), comments);
        });
    checkUndoableStep(
        *view,
        [&] {
            events.typeText(window, u"Next stop");
            drain();
        },
        [&] {
            EXPECT_EQ(topLevelBlocks(), "wp:paragraph wp:more wp:heading wp:paragraph wp:paragraph wp:list wp:image wp:heading wp:quote "
                                        "wp:separator wp:table wp:embed wp:spacer wp:columns wp:buttons wp:code wp:block wp:paragraph");
            EXPECT_NE(postHTML().find("<!-- wp:paragraph --><p>Next stop</p><!-- /wp:paragraph -->"), std::string::npos) << postHTML();
        });
    EXPECT_EQ(serverBlockTree(postHTML()),
              "core/paragraph, core/more, core/heading, core/paragraph, core/paragraph, "
              "core/list[core/list-item, core/list-item, core/list-item], "
              "core/image, core/heading, core/quote[core/paragraph], core/separator, core/table, core/embed, core/spacer, "
              "core/columns[core/column[core/paragraph], core/column[core/paragraph]], core/buttons[core/button], core/code, core/block, "
              "core/paragraph");
}

TEST_F(BlockPostEditing, BlockSnippetsGoInAsFencedBlocksThatUndoTakesOutExactly)
{
    loadPost("recipe-notes.html");
    const std::string blocksBefore = topLevelBlocks();
    const std::string postBefore = postHTML();
    ASSERT_EQ(blocksBefore, "wp:heading wp:paragraph wp:list wp:preformatted wp:pullquote wp:group wp:gallery wp:verse wp:html "
                            "wp:nextpage wp:paragraph");

    // At the end of a paragraph's text a quote goes in after the paragraph's block, and its text is selected for typing.
    select(caretAtEndOf(u"rested overnight in the fridge."));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->undoableApplyDescribedFragment(true, *snippet(u"wp:quote"), view->effectiveOperationRange())); },
        [&] {
            EXPECT_EQ(topLevelBlocks(), "wp:heading wp:paragraph wp:quote wp:list wp:preformatted wp:pullquote wp:group wp:gallery "
                                        "wp:verse wp:html wp:nextpage wp:paragraph");
            auto quote = element(u"BLOCKQUOTE");
            ASSERT_TRUE(quote);
            EXPECT_EQ(toUTF8(quote->outerHTML()), "<blockquote class=\"wp-block-quote\"><!-- wp:paragraph -->\n<p>*</p>\n"
                                                  "<!-- /wp:paragraph --></blockquote>");
            EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "*");
            EXPECT_TRUE(helper->proposedSelectionRangeIsInEditableContent(*view->effectiveOperationRange()));
        });
    EXPECT_EQ(topLevelBlocks(), "wp:heading wp:paragraph wp:quote wp:list wp:preformatted wp:pullquote wp:group wp:gallery "
                                "wp:verse wp:html wp:nextpage wp:paragraph");

    // A separator, whose block holds no text, leaves the caret after it; a table's cells take text.
    select(caretAtEndOf(u"Page two: the fourth attempt, with rye."));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->undoableApplyDescribedFragment(true, *snippet(u"wp:separator"), view->effectiveOperationRange())); },
        [&] {
            EXPECT_TRUE(topLevelBlocks().ends_with("wp:nextpage wp:paragraph wp:separator")) << topLevelBlocks();
            auto caret = view->effectiveOperationRange();
            ASSERT_TRUE(caret && caret->collapsed());
            // Between the blocks, after the separator's end comment.
            auto container = caret->startContainer();
            EXPECT_TRUE(container == post() || container->parentNode() == post());
            auto separator = helper->blockOrElement(element(u"HR")).outerRange();
            ASSERT_TRUE(separator);
            EXPECT_EQ(separator->comparePoint(*container, caret->startOffset()), 1);
        },
        { std::nullopt, false });
    select(caretAtEndOf(u"Try a longer cold proof and a hotter oven."));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->undoableApplyDescribedFragment(true, *snippet(u"wp:table"), view->effectiveOperationRange())); },
        [&] {
            auto cell = element(u"TH");
            ASSERT_TRUE(cell);
            EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "*");
            EXPECT_TRUE(helper->proposedSelectionRangeIsInEditableContent(*view->effectiveOperationRange()));
        });

    // At the end of the last list item's text, a list item goes in after it, inside the list, ready for its text.
    select(caretAtEndOf(u"Fold every half hour, four times."));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->undoableApplyDescribedFragment(true, *snippet(u"wp:list-item"), view->effectiveOperationRange())); },
        [&] {
            auto list = element(u"OL");
            ASSERT_TRUE(list);
            EXPECT_TRUE(toUTF8(list->innerHTML()).ends_with("<!-- /wp:list-item --><!-- wp:list-item -->\n<li>*</li>\n<!-- /wp:list-item -->"))
                << toUTF8(list->innerHTML());
            EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "*");
        });

    // WordPress reads every inserted block, the table inside the group it went into.
    EXPECT_EQ(serverBlockTree(postHTML()),
              "core/heading, core/paragraph, core/quote[core/paragraph], "
              "core/list[core/list-item, core/list-item, core/list-item, core/list-item], "
              "core/preformatted, core/pullquote, core/group[core/heading, core/paragraph, core/table], "
              "core/gallery[core/image, core/image], core/verse, core/html, core/nextpage, core/paragraph, core/separator");

    // Undoing all four gives back the post, every comment as it was.
    auto* undo = view->undoManager();
    for (int step = 0; step < 4; ++step) {
        ASSERT_TRUE(undo->canUndo());
        undo->undo();
        endEvent();
    }
    EXPECT_EQ(topLevelBlocks(), blocksBefore);
    EXPECT_EQ(postHTML(), postBefore);
}

TEST_F(BlockPostEditing, TheCompletionListOffersInlineElementsInTextAndBlocksBetweenThem)
{
    loadPost("recipe-notes.html");
    auto names = [&](const VornickFragmentCompletionUIController& controller) {
        std::set<std::string> found;
        for (const auto& match : controller.matches()) {
            if (auto element = VornickFragmentCompletionSet::elementSpecOfMatch(match))
                found.insert("<" + toUTF8(asciiLowercase(element->tagName())) + ">");
            else if (auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match))
                found.insert(toUTF8(description->displayName()));
        }
        return found;
    };

    // Inside a paragraph's text: inline elements, no paragraphs or other blocks.
    select(rangeIn(textNode(u"This time the starter"), 4, 4));
    endEvent();
    VornickContentEditingViewTestPeer::vornick_initiateFragmentCompletion(*view, nullptr);
    auto controller = view->fragmentCompletionUIController();
    ASSERT_TRUE(controller && controller->isShown());
    controller->setSearchString(u"e");
    auto inText = names(*controller);
    EXPECT_TRUE(inText.contains("<em>"));
    EXPECT_FALSE(inText.contains("<p>"));
    EXPECT_FALSE(inText.contains("<pre>"));
    controller->setSearchString(u"p");
    EXPECT_FALSE(names(*controller).contains("Paragraph"));
    controller->cancelCompletionWithSpecialExitString();
    endEvent();

    // At the end of the paragraph's text the blocks are offered; a chosen one goes in after the block.
    select(caretAtEndOf(u"rested overnight in the fridge."));
    endEvent();
    checkUndoableStep(
        *view,
        [&] {
            VornickContentEditingViewTestPeer::vornick_initiateFragmentCompletion(*view, nullptr);
            auto atEnd = view->fragmentCompletionUIController();
            ASSERT_TRUE(atEnd && atEnd->isShown());
            // A list item, which goes only into a list, is listed but cannot be chosen here.
            atEnd->setSearchString(u"List Item");
            auto listItem = std::find_if(atEnd->matches().begin(), atEnd->matches().end(), [](const auto& match) {
                auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match);
                return description && description->identifier() == u"wp:list-item";
            });
            ASSERT_NE(listItem, atEnd->matches().end());
            EXPECT_TRUE(listItem->disabled());
            atEnd->setSearchString(u"Heading 3");
            auto offered = names(*atEnd);
            ASSERT_TRUE(offered.contains("Heading 3"));
            EXPECT_FALSE(offered.contains("<h3>"));
            for (size_t index = 0; index < atEnd->matches().size(); ++index) {
                auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(atEnd->matches()[index]);
                if (description && description->displayName() == u"Heading 3") {
                    atEnd->chooseMatchAtIndex(index);
                    break;
                }
            }
        },
        [&] {
            EXPECT_EQ(topLevelBlocks(), "wp:heading wp:paragraph wp:heading wp:list wp:preformatted wp:pullquote wp:group wp:gallery "
                                        "wp:verse wp:html wp:nextpage wp:paragraph");
            EXPECT_NE(postHTML().find("<!-- /wp:paragraph --><!-- wp:heading {\"level\":3} -->\n<h3 class=\"wp-block-heading\">*</h3>\n"
                                      "<!-- /wp:heading -->"),
                      std::string::npos)
                << postHTML();
        });
}

} // namespace
} // namespace brevanton::testing
