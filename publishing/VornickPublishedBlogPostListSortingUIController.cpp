#include "publishing/VornickPublishedBlogPostListSortingUIController.h"

#include "platform/views/PopUpButton.h"
#include "platform/views/Popover.h"
#include "platform/views/View.h"

namespace brevanton {

VornickPublishedBlogPostListSortingUIController::VornickPublishedBlogPostListSortingUIController()
{
    m_contentView = std::make_shared<View>(Rect(0, 0, 240, 52));
    m_popUpButton = std::make_shared<PopUpButton>(Rect(16, 14, 208, 24));
    static constexpr const char16_t* titles[] = {
        u"Last Edited, Newest First", u"Last Edited, Oldest First", u"First Published, Newest First",
        u"First Published, Oldest First", u"Last Updated, Newest First", u"Last Updated, Oldest First",
        u"Title, Z to A", u"Title, A to Z",
    };
    for (long tag = 0; tag < 8; ++tag)
        m_popUpButton->addItemWithTitle(titles[tag])->setTag(tag);
    m_contentView->addSubview(m_popUpButton);
    m_contentView->setActionHandler("sortSpecifierChanged:", [this](ActionSender*) { sortSpecifierChanged(); });
    m_popUpButton->setTarget(m_contentView);
    m_popUpButton->setAction("sortSpecifierChanged:");
    m_popover = std::make_shared<Popover>();
    m_popover->setBehavior(PopoverBehavior::Transient);
    m_popover->setContentView(m_contentView);
}

VornickPublishedBlogPostListSortingUIController::~VornickPublishedBlogPostListSortingUIController()
{
    m_contentView->removeActionHandler("sortSpecifierChanged:");
    if (m_popover->isShown())
        m_popover->close();
}

long VornickPublishedBlogPostListSortingUIController::tagForSortDescriptor(const VornickWebListSortDescriptor& descriptor)
{
    for (long index = 0; index < 4; ++index) {
        if (descriptor.key == sortKeys[index])
            return 2 * index + (descriptor.ascending ? 1 : 0);
    }
    return -1;
}

void VornickPublishedBlogPostListSortingUIController::updatePopUpButton()
{
    auto descriptor = m_postsArrayController ? m_postsArrayController->firstSortDescriptor() : std::nullopt;
    long tag = descriptor ? tagForSortDescriptor(*descriptor) : -1;
    m_popUpButton->setEnabled(tag >= 0);
    if (tag >= 0)
        m_popUpButton->selectItemAtIndex(m_popUpButton->menu()->indexOfItem(m_popUpButton->menu()->itemWithTag(tag).get()));
}

void VornickPublishedBlogPostListSortingUIController::showEmergingFromView(const std::shared_ptr<View>& view)
{
    updatePopUpButton();
    if (view)
        m_popover->showRelativeToRect(view->bounds(), view, RectEdge::MaxY);
}

void VornickPublishedBlogPostListSortingUIController::sortSpecifierChanged()
{
    auto item = m_popUpButton->selectedItem();
    long tag = item ? item->tag() : -1;
    if (tag < 0 || tag > 7 || !m_postsArrayController)
        return;
    m_postsArrayController->setSortDescriptors({ VornickWebListSortDescriptor { sortKeys[tag / 2], tag % 2 == 1 } });
    if (m_blogEditor)
        m_blogEditor->userChangedPostListSorting(*this);
    m_popover->close();
}

} // namespace brevanton
