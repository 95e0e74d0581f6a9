#include "publishing/VornickBlogPostTagListEditor.h"

#include "blog/VornickBlogPost.h"
#include "blog/VornickBlogTag.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "publishing/VornickBlogPostView.h"

namespace brevanton {

namespace {

constexpr double editorWidth = 340;
constexpr double editorHeight = 104;

} // namespace

std::shared_ptr<Button> vornick_makePopoverButton(Rect frame, std::u16string title, const char* action, const std::shared_ptr<View>& target)
{
    auto button = std::make_shared<Button>(frame, std::move(title));
    button->setTarget(target);
    button->setAction(action);
    return button;
}

std::shared_ptr<Popover> vornick_makeTransientPopover(const std::shared_ptr<View>& content, std::weak_ptr<PopoverDelegate> delegate)
{
    auto popover = std::make_shared<Popover>();
    popover->setBehavior(PopoverBehavior::Transient);
    popover->setContentView(content);
    popover->setDelegate(delegate);
    return popover;
}

void vornick_keepPopoverAtRange(Popover& popover, const std::shared_ptr<VornickContentEditingView>& view, const DOMRange& range)
{
    if (!popover.isShown() || !view)
        return;
    Rect bounds = view->vornick_bestGuessBoundsOfRange(range);
    if (!bounds.intersects(view->visibleRect())) {
        popover.close();
        return;
    }
    popover.showRelativeToRect(bounds, view, RectEdge::MinY);
}

std::shared_ptr<VornickBlogPostTagListEditor> VornickBlogPostTagListEditor::create()
{
    auto editor = std::shared_ptr<VornickBlogPostTagListEditor>(new VornickBlogPostTagListEditor);
    editor->build();
    return editor;
}

VornickBlogPostTagListEditor::VornickBlogPostTagListEditor() = default;

VornickBlogPostTagListEditor::~VornickBlogPostTagListEditor()
{
    m_popover->setDelegate({});
    m_popover->close();
    m_controller->setCommitHandler(nullptr);
}

void VornickBlogPostTagListEditor::build()
{
    m_contentView = std::make_shared<View>(Rect(0, 0, editorWidth, editorHeight));
    m_contentView->setFlipped(true);
    m_controller = VornickBlogPostTagListTokenFieldController::create();
    m_controller->tokenField()->setFrame(Rect(12, 12, editorWidth - 24, 24));
    m_contentView->addSubview(m_controller->tokenField());
    m_messageLabel = std::make_shared<TextField>(Rect(12, 40, editorWidth - 24, 28));
    m_messageLabel->setHidden(true);
    m_contentView->addSubview(m_messageLabel);
    m_cancelButton = vornick_makePopoverButton(Rect(editorWidth - 184, 72, 80, 22), u"Cancel", "cancelTagEdits:", m_contentView);
    m_cancelButton->setKeyEquivalent(u"\x1b");
    m_okButton = vornick_makePopoverButton(Rect(editorWidth - 92, 72, 80, 22), u"OK", "applyTagEdits:", m_contentView);
    m_contentView->addSubview(m_cancelButton);
    m_contentView->addSubview(m_okButton);

    std::weak_ptr<VornickBlogPostTagListEditor> weak = weak_from_this();
    m_contentView->setActionHandler("applyTagEdits:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            static_cast<void>(editor->applyTagEdits());
    });
    m_contentView->setActionHandler("cancelTagEdits:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->cancelTagEdits();
    });
    // Return with nothing typed accepts, as OK does.
    m_controller->setCommitHandler([weak](const VornickBlogTags&) {
        if (auto editor = weak.lock())
            static_cast<void>(editor->applyTagEdits());
    });

    m_popover = vornick_makeTransientPopover(m_contentView, weak_from_this());
}

void VornickBlogPostTagListEditor::showForBlogPost(std::shared_ptr<VornickBlogPost> post, std::shared_ptr<DOMRange> range,
                                                   const std::shared_ptr<VornickBlogPostView>& postView)
{
    if (!post || !range || !postView)
        return;
    m_controller->setPost(nullptr);
    m_post = std::move(post);
    m_controller->setPost(m_post);
    m_postView = postView;
    m_tagListRange = std::move(range);
    m_messageLabel->setHidden(true);
    m_popover->showRelativeToRect(postView->vornick_bestGuessBoundsOfRange(*m_tagListRange), postView, RectEdge::MinY);
}

bool VornickBlogPostTagListEditor::applyTagEdits()
{
    auto& field = m_controller->tokenField();
    // A word being typed is finished first.
    static_cast<void>(field->tokenizeTypedText());
    if (auto unknown = m_controller->unknownTagTitles(); !unknown.empty()) {
        m_messageLabel->setTextString(vornick_unknownTagsMessage(unknown));
        m_messageLabel->setHidden(false);
        return false;
    }
    m_messageLabel->setHidden(true);
    auto tags = m_controller->displayedTags();
    std::vector<std::shared_ptr<ManagedObject>> objects(tags.begin(), tags.end());
    if (m_post && !vornick_sameObjects(objects, m_post->objectsForKey(u"tags"))) {
        m_post->setObjectsForKey(objects, u"tags");
        m_post->setHasEditsNotYetSavedToSourceFile(true);
        if (auto view = m_postView.lock())
            view->postTagsEdited();
    }
    m_popover->close();
    return true;
}

void VornickBlogPostTagListEditor::cancelTagEdits()
{
    m_popover->close();
}

void VornickBlogPostTagListEditor::repositionToTrackTargetRange()
{
    if (m_tagListRange)
        vornick_keepPopoverAtRange(*m_popover, m_postView.lock(), *m_tagListRange);
}

void VornickBlogPostTagListEditor::updateControlsFromPost()
{
    m_controller->updateControlsFromPost();
}

void VornickBlogPostTagListEditor::popoverDidShow(Popover& popover)
{
    // The popover's window is there once it shows: it takes the keyboard, the field first.
    if (auto window = popover.window()) {
        window->makeKeyWindow();
        static_cast<void>(window->makeFirstResponder(m_controller->tokenField()));
    }
}

void VornickBlogPostTagListEditor::popoverDidClose(Popover&)
{
    m_controller->tokenField()->closeCompletions();
    m_tagListRange.reset();
    m_post.reset();
    m_controller->setPost(nullptr);
}

} // namespace brevanton
