#include "publishing/VornickPublishedBlogPostListSortingUIController.h"

#include "platform/views/PopUpButton.h"
#include "platform/views/Popover.h"
#include "platform/views/Window.h"
#include "tests/ui/WebListTestSupport.h"

namespace brevanton {
namespace {

class RecordingSortingOwner : public VornickPostListSortingOwner {
public:
    int changes { 0 };
    void userChangedPostListSorting(VornickPublishedBlogPostListSortingUIController&) override { ++changes; }
};

TEST(VornickPublishedBlogPostListSortingUIControllerTest, TagsChooseKeyAndDirection)
{
    using Controller = VornickPublishedBlogPostListSortingUIController;
    EXPECT_EQ(Controller::tagForSortDescriptor({ u"dateLastEditedLocally", true }), 1);
    EXPECT_EQ(Controller::tagForSortDescriptor({ u"title", false }), 6);
    EXPECT_EQ(Controller::tagForSortDescriptor({ u"type", false }), -1);

    Controller sorting;
    RecordingSortingOwner owner;
    sorting.setBlogEditor(&owner);
    auto& button = *sorting.sortSpecifierPopUpButton();
    sorting.updatePopUpButton();
    EXPECT_FALSE(button.isEnabled()) << "no array controller";
    auto arrayController = std::make_shared<TestListArrayController>();
    sorting.setPostsArrayController(arrayController);
    sorting.updatePopUpButton();
    EXPECT_FALSE(button.isEnabled()) << "no sort descriptor";
    arrayController->sortDescriptor = VornickWebListSortDescriptor { u"commentCount", true };
    sorting.updatePopUpButton();
    EXPECT_FALSE(button.isEnabled()) << "a key outside the table";
    arrayController->sortDescriptor = VornickWebListSortDescriptor { u"dateFirstPublished", false };

    auto window = Window::create(Rect(0, 0, 300, 200));
    auto anchor = std::make_shared<View>(Rect(10, 10, 30, 20));
    window->contentView()->addSubview(anchor);
    sorting.showEmergingFromView(anchor);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(button.selectedItem()->tag(), 2);
    EXPECT_TRUE(sorting.popover()->isShown());
    EXPECT_EQ(sorting.popover()->preferredEdge(), RectEdge::MaxY);

    button.chooseItemAtIndex(button.menu()->indexOfItem(button.menu()->itemWithTag(7).get()));
    ASSERT_TRUE(arrayController->sortDescriptor);
    EXPECT_EQ(arrayController->sortDescriptor->key, u"title");
    EXPECT_TRUE(arrayController->sortDescriptor->ascending);
    EXPECT_EQ(owner.changes, 1);
    EXPECT_FALSE(sorting.popover()->isShown());
    window->close();
}

} // namespace
} // namespace brevanton
