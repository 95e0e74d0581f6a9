// The blog properties popover of a WordPress blog window: the block mode
// switch, its undo step, the blog file it reaches and the snippet set picker
// it disables.
#include "tests/publishing/BlogWindowTestSupport.h"

#include "editing/VornickFragmentSetPicker.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Button.h"
#include "platform/views/Popover.h"
#include "platform/views/Window.h"
#include "publishing/VornickWordPressBlogPropertiesUIController.h"
#include "toolkit/VornickObjectArchive.h"

namespace brevanton {
namespace {

class WordPressBlogPropertiesTest : public BlogWindowTest {
protected:
    // The block mode the blog's file holds.
    bool blockModeInBlogFile()
    {
        Error error;
        auto archive = VornickObjectArchive::createWithContentsOfURL(*blog()->sourceFileURL(), &error);
        EXPECT_TRUE(archive) << error;
        const Value* value = archive ? archive->objectForKey(u"useWordPressBlockMode") : nullptr;
        return value && value->boolValue();
    }
};

} // namespace

TEST_F(WordPressBlogPropertiesTest, TheBlockModeSwitchIsOneUndoStepThatReachesTheBlogFile)
{
    openWindow();
    ASSERT_FALSE(blog()->useWordPressBlockMode());
    editor->showBlogProperties(nullptr);
    auto controller = std::dynamic_pointer_cast<VornickWordPressBlogPropertiesUIController>(editor->blogPropertiesUIController());
    ASSERT_TRUE(controller);
    auto checkBox = controller->useWordPressBlockModeCheckBox();
    EXPECT_EQ(checkBox->state(), OffState);
    EXPECT_TRUE(controller->fragmentSetPicker()->isEnabled());
    // The popover shows as it does when its toolbar item is clicked.
    controller->popover()->showRelativeToRect(Rect(0, 0, 10, 10), editor->window()->contentView(), RectEdge::MaxY);

    ASSERT_TRUE(checkBox->performClick());
    EXPECT_TRUE(blog()->useWordPressBlockMode());
    EXPECT_FALSE(controller->fragmentSetPicker()->isEnabled());
    EXPECT_TRUE(blockModeInBlogFile());
    auto* undo = editor->window()->undoManager();
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->undoActionName(), u"Toggle WordPress Block Mode");
    drain();

    // Undo: the blog, its file and the open popover all go back.
    undo->undo();
    EXPECT_FALSE(blog()->useWordPressBlockMode());
    EXPECT_FALSE(blockModeInBlogFile());
    EXPECT_EQ(checkBox->state(), OffState);
    EXPECT_TRUE(controller->fragmentSetPicker()->isEnabled());
    drain();
    ASSERT_TRUE(undo->canRedo());
    undo->redo();
    EXPECT_TRUE(blog()->useWordPressBlockMode());
    EXPECT_TRUE(blockModeInBlogFile());
    EXPECT_EQ(checkBox->state(), OnState);
    EXPECT_FALSE(controller->fragmentSetPicker()->isEnabled());
}

} // namespace brevanton
