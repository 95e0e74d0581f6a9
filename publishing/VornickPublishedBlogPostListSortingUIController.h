// VornickPublishedBlogPostListSortingUIController: the popover that chooses
// the post list's sort key and direction (nib "VornickWordPressPostListSortingUI",
// built in code). Its pop-up button's item tags are 2 × key index, plus 1
// when ascending, over the keys "dateLastEditedLocally",
// "dateFirstPublished", "dateLastPublished" and "title".
#pragma once

#include "platform/views/Geometry.h"
#include "ui/VornickWebListArrayController.h"

#include <memory>

namespace brevanton {

class Popover;
class PopUpButton;
class View;
class VornickPublishedBlogPostListSortingUIController;

// The blog window, told when the user chose another order.
class VornickPostListSortingOwner {
public:
    virtual ~VornickPostListSortingOwner() = default;
    virtual void userChangedPostListSorting(VornickPublishedBlogPostListSortingUIController&) = 0;
};

class VornickPublishedBlogPostListSortingUIController {
public:
    static constexpr const char16_t* sortKeys[] = { u"dateLastEditedLocally", u"dateFirstPublished", u"dateLastPublished", u"title" };

    VornickPublishedBlogPostListSortingUIController();
    ~VornickPublishedBlogPostListSortingUIController();

    // Not held.
    VornickPostListSortingOwner* blogEditor() const { return m_blogEditor; }
    void setBlogEditor(VornickPostListSortingOwner* editor) { m_blogEditor = editor; }
    const std::shared_ptr<VornickWebListArrayController>& postsArrayController() const { return m_postsArrayController; }
    void setPostsArrayController(std::shared_ptr<VornickWebListArrayController> controller) { m_postsArrayController = std::move(controller); }
    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    const std::shared_ptr<PopUpButton>& sortSpecifierPopUpButton() const { return m_popUpButton; }

    // The tag of a sort descriptor; -1 for a key outside the table.
    static long tagForSortDescriptor(const VornickWebListSortDescriptor&);
    // Updates the pop-up button, then shows the popover below the view.
    void showEmergingFromView(const std::shared_ptr<View>&);
    // The first sort descriptor's tag selected and the button enabled; disabled without one.
    void updatePopUpButton();
    // The pop-up's action: the chosen tag's order, the owner told, the popover closed.
    void sortSpecifierChanged();

private:
    VornickPostListSortingOwner* m_blogEditor { nullptr };
    std::shared_ptr<VornickWebListArrayController> m_postsArrayController;
    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<View> m_contentView;
    std::shared_ptr<PopUpButton> m_popUpButton;
};

} // namespace brevanton
