#include "publishing/VornickWordPressBlogPostCategoryListEditor.h"

#include "blog/VornickBlogCategory.h"
#include "blog/VornickWordPressBlogPost.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Button.h"
#include "platform/views/ScrollView.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogPostCategoriesOutlineViewController.h"
#include "publishing/VornickBlogPostTagListEditor.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "publishing/VornickWordPressPostView.h"

namespace brevanton {

namespace {

constexpr double editorWidth = 300;
constexpr double editorHeight = 250;

} // namespace

std::shared_ptr<VornickWordPressBlogPostCategoryListEditor> VornickWordPressBlogPostCategoryListEditor::create()
{
    auto editor = std::shared_ptr<VornickWordPressBlogPostCategoryListEditor>(new VornickWordPressBlogPostCategoryListEditor);
    editor->build();
    return editor;
}

VornickWordPressBlogPostCategoryListEditor::~VornickWordPressBlogPostCategoryListEditor()
{
    m_popover->setDelegate({});
    m_popover->close();
    m_controller->setCommitHandler(nullptr);
}

void VornickWordPressBlogPostCategoryListEditor::build()
{
    m_contentView = std::make_shared<View>(Rect(0, 0, editorWidth, editorHeight));
    m_contentView->setFlipped(true);
    m_controller = VornickBlogPostCategoriesOutlineViewController::create();
    m_controller->view()->setFrame(Rect(12, 12, editorWidth - 24, editorHeight - 58));
    m_contentView->addSubview(m_controller->view());
    m_cancelButton = vornick_makePopoverButton(Rect(editorWidth - 184, editorHeight - 34, 80, 22), u"Cancel", "cancelCategoryEdits:", m_contentView);
    m_cancelButton->setKeyEquivalent(u"\x1b");
    m_okButton = vornick_makePopoverButton(Rect(editorWidth - 92, editorHeight - 34, 80, 22), u"OK", "applyCategoryEdits:", m_contentView);
    m_okButton->setKeyEquivalent(u"\r");
    m_contentView->addSubview(m_cancelButton);
    m_contentView->addSubview(m_okButton);

    std::weak_ptr<VornickWordPressBlogPostCategoryListEditor> weak = weak_from_this();
    m_contentView->setActionHandler("applyCategoryEdits:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->applyCategoryEdits();
    });
    m_contentView->setActionHandler("cancelCategoryEdits:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->cancelCategoryEdits();
    });
    m_controller->setCommitHandler([weak](const VornickBlogCategories& proposed) {
        auto editor = weak.lock();
        if (!editor)
            return;
        auto& post = editor->m_post;
        std::vector<std::shared_ptr<ManagedObject>> objects(proposed.begin(), proposed.end());
        if (post && !vornick_sameObjects(objects, post->objectsForKey(u"categories"))) {
            post->setObjectsForKey(objects, u"categories");
            post->setHasEditsNotYetSavedToSourceFile(true);
            if (auto view = editor->m_postView.lock())
                view->postCategoriesEdited();
        }
        editor->m_popover->close();
    });

    m_popover = vornick_makeTransientPopover(m_contentView, weak_from_this());
}

void VornickWordPressBlogPostCategoryListEditor::showForBlogPost(std::shared_ptr<VornickWordPressBlogPost> post, std::shared_ptr<DOMRange> range,
                                                                 const std::shared_ptr<VornickWordPressPostView>& postView)
{
    if (!post || !range || !postView)
        return;
    m_controller->setPost(nullptr);
    m_post = std::move(post);
    m_controller->setPost(m_post);
    m_postView = postView;
    m_categoryListRange = std::move(range);
    m_popover->showRelativeToRect(postView->vornick_bestGuessBoundsOfRange(*m_categoryListRange), postView, RectEdge::MinY);
}

void VornickWordPressBlogPostCategoryListEditor::applyCategoryEdits()
{
    m_controller->applyCategoryEdits();
}

void VornickWordPressBlogPostCategoryListEditor::cancelCategoryEdits()
{
    m_popover->close();
}

void VornickWordPressBlogPostCategoryListEditor::repositionToTrackTargetRange()
{
    if (m_categoryListRange)
        vornick_keepPopoverAtRange(*m_popover, m_postView.lock(), *m_categoryListRange);
}

void VornickWordPressBlogPostCategoryListEditor::popoverDidShow(Popover& popover)
{
    if (auto window = popover.window()) {
        window->makeKeyWindow();
        static_cast<void>(window->makeFirstResponder(m_controller->categoriesOutlineView()));
    }
    // The outline is laid out in its window: read and expand it again then.
    std::weak_ptr<VornickWordPressBlogPostCategoryListEditor> weak = weak_from_this();
    RunLoop::main().perform([weak] {
        if (auto editor = weak.lock(); editor && editor->m_popover->isShown())
            editor->m_controller->reloadAndExpand();
    });
}

void VornickWordPressBlogPostCategoryListEditor::popoverDidClose(Popover&)
{
    m_categoryListRange.reset();
    m_post.reset();
    m_controller->setPost(nullptr);
}

} // namespace brevanton
