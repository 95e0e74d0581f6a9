#include "publishing/VornickWordPressBlogPropertiesUIController.h"

#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProject.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickFragmentSetPicker.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Button.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogEditor.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickObjectArchive.h"

namespace brevanton {

namespace {

constexpr double checkBoxRowHeight = 28;

// Writes the blog's file and the project's index, as the blog window does
// for the blog's other settings.
void saveBlogSettings(VornickWordPressBlog& blog)
{
    auto project = blog.project();
    auto url = blog.sourceFileURL();
    Error error;
    if (!project || !url || !blog.writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error)
        || !project->index()->commitEditingAndSave(&error))
        VornickGeneralLog(u"The blog's settings could not be saved: " + error.localizedDescription());
}

} // namespace

std::shared_ptr<VornickWordPressBlogPropertiesUIController> VornickWordPressBlogPropertiesUIController::create()
{
    auto controller = std::shared_ptr<VornickWordPressBlogPropertiesUIController>(new VornickWordPressBlogPropertiesUIController);
    controller->build();
    // The switch goes in a row of its own under the snippet set's.
    auto& content = controller->m_contentView;
    Rect frame = content->frame();
    content->setFrame(Rect(frame.origin, Size { frame.width(), frame.height() + checkBoxRowHeight }));
    auto checkBox = std::make_shared<Button>(Rect(12, frame.height(), frame.width() - 24, 20), u"Edit posts as WordPress blocks");
    checkBox->setButtonType(ButtonType::Switch);
    checkBox->setAction(toggleWordPressBlockModeAction);
    checkBox->setTarget(content);
    std::weak_ptr<VornickWordPressBlogPropertiesUIController> weak = controller;
    content->setActionHandler(toggleWordPressBlockModeAction, [weak](ActionSender* sender) {
        if (auto strong = weak.lock())
            strong->toggleWordPressBlockMode(sender);
    });
    content->addSubview(checkBox);
    controller->m_useWordPressBlockModeCheckBox = checkBox;
    return controller;
}

std::shared_ptr<VornickWordPressBlog> VornickWordPressBlogPropertiesUIController::wordPressBlog() const
{
    return entityCast<VornickWordPressBlog>(blog());
}

UndoManager* VornickWordPressBlogPropertiesUIController::blogEditorUndoManager() const
{
    auto* editor = dynamic_cast<VornickBlogEditor*>(blogEditor());
    auto window = editor ? editor->window() : nullptr;
    return window ? window->undoManager() : nullptr;
}

void VornickWordPressBlogPropertiesUIController::populateControls()
{
    VornickBlogPropertiesUIController::populateControls();
    auto current = wordPressBlog();
    bool blockMode = current && current->useWordPressBlockMode();
    m_useWordPressBlockModeCheckBox->setState(blockMode ? OnState : OffState);
    m_useWordPressBlockModeCheckBox->setEnabled(current != nullptr);
    fragmentSetPicker()->setEnabled(!blockMode);
}

void VornickWordPressBlogPropertiesUIController::toggleWordPressBlockMode(ActionSender*)
{
    auto current = wordPressBlog();
    if (!current)
        return;
    bool on = m_useWordPressBlockModeCheckBox->state() == OnState;
    if (on == current->useWordPressBlockMode())
        return;
    auto* undo = blogEditorUndoManager();
    setBlockMode(current, on, undo, std::static_pointer_cast<VornickWordPressBlogPropertiesUIController>(shared_from_this()));
    if (undo)
        undo->setActionName(toggleActionName);
    fragmentSetPicker()->setEnabled(!on);
}

void VornickWordPressBlogPropertiesUIController::setBlockMode(const std::shared_ptr<VornickWordPressBlog>& blog, bool on, UndoManager* undo,
                                                              std::weak_ptr<VornickWordPressBlogPropertiesUIController> controller)
{
    if (undo) {
        bool previous = blog->useWordPressBlockMode();
        undo->registerUndo(blog, [previous, undo, controller](VornickWordPressBlog& undone) {
            setBlockMode(std::static_pointer_cast<VornickWordPressBlog>(undone.shared_from_this()), previous, undo, controller);
        });
    }
    blog->setValueForKey(Value(on), u"useWordPressBlockMode");
    blog->setHasEditsNotYetSavedToSourceFile(true);
    saveBlogSettings(*blog);
    if (auto shown = controller.lock(); shown && shown->popover()->isShown() && shown->wordPressBlog() == blog)
        shown->populateControls();
}

} // namespace brevanton
