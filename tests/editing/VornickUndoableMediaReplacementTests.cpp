#include "UndoableEditChecks.h"

#include "editing/VornickElementEditorUIController.h"
#include "dom/VornickNodeExtensions.h"
#include "platform/views/Popover.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class MediaReplacementTest : public UndoableEditTest {
protected:
    URL file(const std::string& name) const { return url(name); }
    // The element the attribute editor shows, if it is shown.
    std::shared_ptr<DOMElement> editedElement() const
    {
        auto controller = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
        if (!controller || !controller->popover()->isShown() || !controller->targetObject())
            return nullptr;
        return controller->targetObject()->element();
    }
    void closeEditor() const
    {
        if (auto controller = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController)
            controller->closePopover();
    }
};

TEST_F(MediaReplacementTest, AnImageReplacesTheSelectedWordsAndIsOpenedForEditing)
{
    loadBody("<p>one two three</p>");
    auto text = textNode(u"one");
    select(rangeIn(text, 4, 7));
    checkUndoableStep(
        *view,
        [&] {
            closeEditor();
            ASSERT_TRUE(view->undoableReplaceRangeWithImageElementReferencingURL(true, nullptr, file("picture.png")));
            auto image = element(u"IMG");
            ASSERT_TRUE(image);
            EXPECT_EQ(editedElement(), image);
        },
        [&] {
            auto image = element(u"IMG");
            ASSERT_TRUE(image);
            EXPECT_EQ(image->getAttribute(u"src"), u"picture.png");
            EXPECT_EQ(toUTF8(element(u"P")->textContent()), "one  three");
            EXPECT_EQ(view->effectiveOperationRange()->startContainer(), element(u"P"));
        },
        { u"Insert Image" });
}

TEST_F(MediaReplacementTest, AFigureHoldsTheImageBeforeItsCaptionOrOnlyTheCaption)
{
    loadBody("<p>one</p><p>two</p>");
    select(rangeIn(body(), 1, 1));
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(view->undoableReplaceRangeWithFigureElementReferencingImageURL(true, nullptr, file("picture.png")));
            EXPECT_EQ(editedElement(), element(u"IMG"));
        },
        [&] {
            auto figure = element(u"FIGURE");
            ASSERT_TRUE(figure);
            ASSERT_EQ(figure->childCount(), 2u);
            EXPECT_EQ(toUTF8(figure->firstChild()->nodeName()), "IMG");
            EXPECT_EQ(toUTF8(figure->lastChild()->nodeName()), "FIGCAPTION");
            EXPECT_EQ(toUTF8(figure->lastChild()->textContent()), "Caption");
            EXPECT_EQ(figure->parentNode(), body());
            EXPECT_EQ(figure->previousSibling(), element(u"P"));
        },
        { u"Insert Figure" });

    // Without an image: the caption alone, and no editor opens.
    closeEditor();
    select(rangeIn(body(), 0, 0));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->undoableReplaceRangeWithFigureElementReferencingImageURL(true, nullptr, std::nullopt)); },
        [&] {
            auto figure = downcast<DOMElement>(body()->firstChild());
            EXPECT_EQ(toUTF8(figure->nodeName()), "FIGURE");
            ASSERT_EQ(figure->childCount(), 1u);
            EXPECT_EQ(toUTF8(figure->firstChild()->nodeName()), "FIGCAPTION");
            EXPECT_FALSE(editedElement());
        },
        { u"Insert Figure" });
}

TEST_F(MediaReplacementTest, APictureHoldsItsImageAndIsOpenedForEditing)
{
    loadBody("<p>one two</p>");
    select(rangeIn(textNode(u"one"), 3, 3));
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(view->undoableReplaceRangeWithPictureElementReferencingImageURL(true, nullptr, file("picture.png")));
            EXPECT_EQ(editedElement(), element(u"PICTURE"));
        },
        [&] {
            auto picture = element(u"PICTURE");
            ASSERT_TRUE(picture);
            ASSERT_EQ(picture->childCount(), 1u);
            EXPECT_EQ(downcast<DOMElement>(*picture->firstChild()).getAttribute(u"src"), u"picture.png");
            EXPECT_EQ(toUTF8(element(u"P")->textContent()), "one two");
        },
        { u"Insert Picture" });

    closeEditor();
    select(rangeIn(body(), 1, 1));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->undoableReplaceRangeWithPictureElementReferencingImageURL(true, nullptr, std::nullopt)); },
        [&] {
            auto picture = element(u"PICTURE", 1);
            ASSERT_TRUE(picture);
            ASSERT_EQ(picture->childCount(), 1u);
            EXPECT_FALSE(downcast<DOMElement>(*picture->firstChild()).hasAttribute(u"src"));
        });
}

TEST_F(MediaReplacementTest, PlayersOfTheRightKindOnlyWithTheirControls)
{
    loadBody("<p>one</p><p>two</p>");
    auto second = element(u"P", 1);
    select(vornick_outerRange(*second));
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(view->undoableReplaceRangeWithVideoElementOfKind(true, nullptr, u"video", file("clip.mp4")));
            EXPECT_EQ(editedElement(), element(u"VIDEO"));
        },
        [&] {
            auto video = element(u"VIDEO");
            ASSERT_TRUE(video);
            EXPECT_EQ(video->getAttribute(u"src"), u"clip.mp4");
            EXPECT_EQ(video->getAttribute(u"controls"), u"controls");
            EXPECT_EQ(video->childCount(), 0u);
            EXPECT_EQ(element(u"P", 1), nullptr);
        },
        { u"Insert Video" });

    select(rangeIn(body(), 0, 0));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->undoableReplaceRangeWithAudioElementOfKind(true, nullptr, u"AUDIO", file("sound.mp3"))); },
        [&] {
            auto audio = element(u"AUDIO");
            ASSERT_TRUE(audio);
            EXPECT_EQ(body()->firstChild(), audio);
            EXPECT_EQ(audio->getAttribute(u"src"), u"sound.mp3");
            EXPECT_EQ(audio->getAttribute(u"controls"), u"controls");
        },
        { u"Insert Audio Player" });

    // Another kind changes nothing and registers nothing.
    endEvent();
    auto* undo = view->undoManager();
    undo->removeAllActions();
    std::string before = documentSnapshot(*document());
    EXPECT_FALSE(view->undoableReplaceRangeWithVideoElementOfKind(true, nullptr, u"audio", file("clip.mp4")));
    EXPECT_FALSE(view->undoableReplaceRangeWithAudioElementOfKind(true, nullptr, u"embed", file("sound.mp3")));
    EXPECT_EQ(documentSnapshot(*document()), before);
    endEvent();
    EXPECT_FALSE(undo->canUndo());
}

TEST_F(MediaReplacementTest, WithoutUndoNothingIsRegistered)
{
    loadBody("<p>one</p>");
    select(rangeIn(textNode(u"one"), 1, 2));
    endEvent();
    ASSERT_TRUE(view->undoableReplaceRangeWithVideoElementOfKind(false, nullptr, u"VIDEO", file("clip.mp4")));
    endEvent();
    EXPECT_TRUE(element(u"VIDEO"));
    EXPECT_FALSE(view->undoManager()->canUndo());
}

} // namespace
} // namespace brevanton::testing
