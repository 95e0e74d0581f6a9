#include "publishing/VornickBlogPostListView.h"

#include "platform/views/Menu.h"

namespace brevanton {

namespace {

constexpr const char* textSizeActions[] = { "makeTextLarger:", "makeTextSmaller:", "makeTextStandardSize:" };

bool isTextSizeAction(const Action& action)
{
    for (const char* name : textSizeActions) {
        if (action == name)
            return true;
    }
    return false;
}

} // namespace

VornickBlogPostListView::VornickBlogPostListView(Rect frame)
    : VornickWebListView(frame)
{
    for (const char* name : textSizeActions) {
        Action action = name;
        setActionHandler(action, [this, action](ActionSender* sender) {
            if (auto target = textMagnificationTarget())
                target->tryToPerform(action, sender);
        });
    }
}

std::shared_ptr<Responder> VornickBlogPostListView::textMagnificationTarget() const
{
    return m_textMagnificationTarget ? m_textMagnificationTarget() : nullptr;
}

bool VornickBlogPostListView::validateMenuItem(MenuItem& item)
{
    if (isTextSizeAction(item.action())) {
        auto target = textMagnificationTarget();
        return target && target->validateMenuItem(item);
    }
    return VornickWebListView::validateMenuItem(item);
}

} // namespace brevanton
