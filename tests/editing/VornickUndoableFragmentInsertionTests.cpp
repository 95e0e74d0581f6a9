#include "UndoableEditChecks.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class FragmentInsertionTest : public UndoableEditTest { };

TEST_F(FragmentInsertionTest, TextInsertedBetweenTwoTextNodesMergesAndUndoSplitsThemAgain)
{
    loadBody("<p>x</p>");
    auto paragraph = element(u"P");
    paragraph->removeAllChildren();
    paragraph->appendChild(document()->createTextNode(u"left"));
    paragraph->appendChild(document()->createTextNode(u"right"));
    select(rangeIn(paragraph, 1, 1));
    checkUndoableStep(
        *view,
        [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::insertFragmentAtPosition(*view, fragmentFromMarkup(u"MID"), { paragraph, 1 }, true, std::nullopt)); },
        [&] {
            ASSERT_EQ(paragraph->childCount(), 1u);
            EXPECT_EQ(toUTF8(paragraph->textContent()), "leftMIDright");
            auto result = view->effectiveOperationRange();
            EXPECT_EQ(toUTF8(result->toString()), "MID");
        },
        { u"Insert" });
}

TEST_F(FragmentInsertionTest, MixedFragmentInsideATextNodeRestoresOneNodeOnUndo)
{
    loadBody("<p>Hello world</p>");
    auto text = textNode(u"Hello");
    select(rangeIn(text, 6, 6));
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(VornickContentEditingViewTestPeer::insertFragmentAtPosition(*view, fragmentFromMarkup(u"big <b>bold</b> new "), { text, 6 }, true, u"Paste"));
        },
        [&] { EXPECT_EQ(bodyHTML(), "<p>Hello big <b>bold</b> new world</p>\n"); }, { u"Paste" });
}

TEST_F(FragmentInsertionTest, ElementsGoBetweenParagraphsAndListItemsIntoAList)
{
    loadBody("<p>one</p><p>two</p>");
    select(rangeIn(body(), 1, 1));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::insertFragmentUndoably(*view, fragmentFromMarkup(u"<li>a</li><li>b</li>"))); },
        [&] { EXPECT_EQ(bodyHTML(), "<p>one</p><ul><li>a</li><li>b</li></ul><p>two</p>\n"); });
}

TEST_F(FragmentInsertionTest, PlacesAtTheEdgesOfATextNodeMoveToItsGaps)
{
    loadBody("<p>abc<em>d</em></p>");
    auto text = textNode(u"abc");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::insertFragmentAtPosition(*view, fragmentFromMarkup(u"<br>"), { text, 0 }, false, std::nullopt));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::insertFragmentAtPosition(*view, fragmentFromMarkup(u"<hr>"), { text, 3 }, false, std::nullopt));
    EXPECT_EQ(bodyHTML(), "<p><br>abc<hr><em>d</em></p>\n");
}

TEST_F(FragmentInsertionTest, PathThatNoLongerResolvesInsertsNothing)
{
    loadBody("<p>abc</p>");
    auto path = VornickRelativeDOMPath::pathToPosition({ textNode(u"abc"), 1 }, document().get(), false);
    ASSERT_TRUE(path);
    element(u"P")->remove();
    EXPECT_FALSE(VornickContentEditingViewTestPeer::insertFragmentAtPath(*view, fragmentFromMarkup(u"x"), *path, document(), true, std::nullopt));
    EXPECT_EQ(bodyHTML().find("x"), std::string::npos);
}

TEST_F(FragmentInsertionTest, AtAPathInANewTree)
{
    loadBody("<p>abc</p>");
    auto path = VornickRelativeDOMPath::pathToPosition({ textNode(u"abc"), 1 }, document().get(), false);
    ASSERT_TRUE(path);
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::insertFragmentAtPath(*view, fragmentFromMarkup(u"<i>x</i>"), *path, document(), true, std::nullopt)); },
        [&] { EXPECT_EQ(bodyHTML(), "<p>a<i>x</i>bc</p>\n"); });
}

} // namespace
} // namespace brevanton::testing
