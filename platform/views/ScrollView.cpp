#include "platform/views/ScrollView.h"

#include "platform/foundation/Assertions.h"

namespace brevanton {

ScrollView::ScrollView(Rect frame)
    : View(frame)
{
    m_contentView = std::make_shared<ClipView>(Rect({ 0, 0 }, frame.size));
    m_contentView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
}

std::shared_ptr<ClipView> ScrollView::contentView() const
{
    if (!m_contentViewInstalled) {
        // Not in the constructor: adding a subview needs the shared owner.
        m_contentViewInstalled = true;
        auto self = std::const_pointer_cast<View>(sharedAs<View>());
        self->addSubview(m_contentView);
    }
    return m_contentView;
}

void ScrollView::setContentView(const std::shared_ptr<ClipView>& clipView)
{
    BREVANTON_ASSERT(clipView, "a scroll view needs a clip view");
    if (m_contentView->superview().get() == this)
        m_contentView->removeFromSuperview();
    m_contentView = clipView;
    m_contentViewInstalled = true;
    clipView->setFrame(Rect({ 0, 0 }, frame().size));
    addSubview(clipView);
}

} // namespace brevanton
