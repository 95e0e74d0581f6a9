// The post window's title field: a change of the post's title made there is
// an undoable step of its own, shown at once in the page's title place.
#include "shell/VornickBlogPostWindow.h"

#include "app/VornickProjectOrComponentWindow.h"
#include "blog/VornickWordPressBlogPost.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/TextField.h"
#include "publishing/VornickWordPressPostView.h"

#include <algorithm>
#include <cstdio>

namespace brevanton {

namespace {

// Ends its edit as a field does in a form: Return, or the keyboard going
// elsewhere after the text changed, sends its action.
class PostTitleTextField final : public TextField {
public:
    using TextField::TextField;

    void textDidChange() override
    {
        m_changedSinceAction = true;
        TextField::textDidChange();
    }
    bool resignFirstResponder() override
    {
        // The window's answer to an unchanged title is nothing.
        if (m_changedSinceAction) {
            m_changedSinceAction = false;
            static_cast<void>(sendAction());
        }
        return TextField::resignFirstResponder();
    }

private:
    bool m_changedSinceAction { false };
};

} // namespace

void VornickBlogPostWindow::installTitleField(View& container, double top)
{
    Rect bounds = container.bounds();
    auto strip = std::make_shared<View>(Rect(0, top - titleStripHeight, bounds.width(), titleStripHeight));
    strip->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
    auto field = std::make_shared<PostTitleTextField>(Rect(12, 6, std::max(100.0, bounds.width() - 24), titleStripHeight - 12));
    field->setEditable(true);
    field->setBezeled(true);
    field->setDrawsBackground(true);
    field->setPlaceholderString(u"Untitled Post");
    field->setAutoresizingMask(Autoresizing::WidthSizable);
    field->setAction("postTitleTextChanged:");
    field->setTarget(m_actions);
    field->setTextString(m_post->title());
    strip->addSubview(field);
    container.addSubview(strip);
    m_titleTextField = field;
}

void VornickBlogPostWindow::postTitleTextChanged()
{
    setPostTitle(m_titleTextField->stringValue());
}

void VornickBlogPostWindow::setPostTitle(const std::u16string& title)
{
    if (title == m_post->title())
        return;
    // What the page's title place holds is the post's title up to now.
    if (!m_postView->updatePostFromContent())
        std::fprintf(stderr, "brevanton: the post could not be read from its page before its title changed\n");
    std::u16string oldTitle = m_post->title();
    if (title == oldTitle) {
        updateTitle();
        return;
    }
    if (auto* undo = m_window->undoManager()) {
        std::weak_ptr<VornickBlogPostWindow> weak = weak_from_this();
        undo->registerUndo(this, [weak, oldTitle] {
            if (auto editor = weak.lock())
                editor->setPostTitle(oldTitle);
        });
        undo->setActionName(u"Blog Post Title Change");
    }
    m_post->setTitle(title);
    m_post->setHasEditsNotYetSavedToSourceFile(true);
    m_postView->updateTitleFromPost();
    updateTitle();
    updateEditedMark();
}

void VornickBlogPostWindow::takeTitleFromField()
{
    if (m_titleTextField && m_titleTextField->stringValue() != m_post->title())
        setPostTitle(m_titleTextField->stringValue());
}

void VornickBlogPostWindow::updateTitleFieldFromContent()
{
    if (!m_titleTextField || m_window->firstResponder() == m_titleTextField)
        return;
    if (auto title = m_postView->titleFromContent(); title && *title != m_titleTextField->stringValue())
        m_titleTextField->setTextString(std::move(*title));
}

} // namespace brevanton
