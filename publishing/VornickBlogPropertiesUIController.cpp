#include "publishing/VornickBlogPropertiesUIController.h"

#include "blog/VornickBlog.h"
#include "documents/VornickProject.h"
#include "editing/VornickFragmentSetPicker.h"
#include "html/VornickFragmentSet.h"
#include "platform/views/Button.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "publishing/VornickBlogPostViewHost.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickLog.h"

namespace brevanton {

namespace {

constexpr double popoverWidth = 340;
constexpr double popoverHeight = 76;

std::optional<URL> projectFolderOfBlog(const VornickBlog& blog)
{
    auto project = blog.project();
    return project ? std::optional<URL>(project->sourceRootURL()) : std::nullopt;
}

} // namespace

std::shared_ptr<VornickBlogPropertiesUIController> VornickBlogPropertiesUIController::create()
{
    auto controller = std::shared_ptr<VornickBlogPropertiesUIController>(new VornickBlogPropertiesUIController);
    controller->build();
    return controller;
}

VornickBlogPropertiesUIController::~VornickBlogPropertiesUIController()
{
    m_fragmentSetPicker->setDelegate({});
    m_popover->close();
}

void VornickBlogPropertiesUIController::build()
{
    m_contentView = std::make_shared<View>(Rect(0, 0, popoverWidth, popoverHeight));
    m_contentView->setFlipped(true);
    auto label = std::make_shared<TextField>(Rect(12, 16, 96, 20));
    label->setTextString(u"Snippet set:");
    m_contentView->addSubview(label);
    m_popUpButton = std::make_shared<PopUpButton>(Rect(110, 12, popoverWidth - 122, 24));
    m_contentView->addSubview(m_popUpButton);
    m_openButton = std::make_shared<Button>(Rect(popoverWidth - 132, 44, 120, 22), u"Edit Snippets");
    m_contentView->addSubview(m_openButton);
    m_fragmentSetPicker = VornickFragmentSetPicker::create();
    m_fragmentSetPicker->setPopUpButton(m_popUpButton);
    m_fragmentSetPicker->setOpenButton(m_openButton);
    m_fragmentSetPicker->setDelegate(weak_from_this());
    m_popover = std::make_shared<Popover>();
    m_popover->setBehavior(PopoverBehavior::Transient);
    m_popover->setContentView(m_contentView);
}

std::shared_ptr<VornickBlog> VornickBlogPropertiesUIController::blog() const
{
    return m_blogEditor ? m_blogEditor->blog() : nullptr;
}

void VornickBlogPropertiesUIController::showForBlogEditor(VornickBlogPostViewHost* editor, const std::shared_ptr<View>& view,
                                                          std::optional<Rect> rectInView)
{
    m_blogEditor = editor;
    populateControls();
    if (view)
        m_popover->showRelativeToRect(rectInView.value_or(view->bounds()), view, RectEdge::MaxY);
}

void VornickBlogPropertiesUIController::populateControls()
{
    m_fragmentSetPicker->populatePopUpButton();
}

std::shared_ptr<VornickEnduringFileReference> VornickBlogPropertiesUIController::fragmentSetFileReference() const
{
    auto current = blog();
    if (!current)
        return nullptr;
    auto value = current->valueForKey(u"fragmentSetFileReference");
    if (value.isNull())
        return nullptr;
    auto folder = projectFolderOfBlog(*current);
    return VornickEnduringFileReference::createWithPropertyList(value, folder ? &*folder : nullptr);
}

void VornickBlogPropertiesUIController::openSelectedFragmentSetForEditing()
{
    openFragmentSetReference(fragmentSetFileReference());
}

void VornickBlogPropertiesUIController::openFragmentSetReference(const std::shared_ptr<VornickEnduringFileReference>& reference)
{
    if (!reference)
        return;
    Error error;
    auto fragmentSet = VornickFragmentSet::fragmentSetFromEnduringFileReference(*reference, &error);
    if (!fragmentSet) {
        VornickGeneralLog("The blog's snippet set could not be read: " + toUTF8(error.localizedDescription()));
        return;
    }
    if (!VornickFragmentSetPicker::openEditorForFragmentSet(fragmentSet))
        VornickGeneralLog("No snippet set editor is there to open the blog's snippet set");
}

VornickPickerObject VornickBlogPropertiesUIController::selectedObjectForPicker(VornickObjectPicker& picker)
{
    if (&picker != m_fragmentSetPicker.get())
        return {};
    auto reference = fragmentSetFileReference();
    return reference ? VornickPickerObject(reference) : VornickPickerObject();
}

void VornickBlogPropertiesUIController::pickerProposeNewSelectedObject(VornickObjectPicker& picker, const VornickPickerObject& object)
{
    auto current = blog();
    if (&picker != m_fragmentSetPicker.get() || !current)
        return;
    // None, or a snippet set file; anything else leaves the blog's set as it is.
    if (!object.isNone() && !object.fileReference())
        return;
    if (object.isNone())
        current->setValueForKey(Value(), u"fragmentSetFileReference");
    else {
        auto folder = projectFolderOfBlog(*current);
        current->setValueForKey(Value(object.fileReference()->propertyListForReferencingProjectFile(folder ? &*folder : nullptr)),
                                u"fragmentSetFileReference");
    }
    current->setHasEditsNotYetSavedToSourceFile(true);
    populateControls();
}

bool VornickBlogPropertiesUIController::pickerCanOpenObject(VornickObjectPicker& picker, const VornickPickerObject& object)
{
    return &picker == m_fragmentSetPicker.get() && object.fileReference() != nullptr;
}

void VornickBlogPropertiesUIController::pickerOpenObject(VornickObjectPicker& picker, const VornickPickerObject& object)
{
    if (&picker == m_fragmentSetPicker.get())
        openFragmentSetReference(object.fileReference());
}

std::shared_ptr<Window> VornickBlogPropertiesUIController::windowForOtherObjectChooserSheet()
{
    return m_blogEditor ? m_blogEditor->windowForSheet() : nullptr;
}

} // namespace brevanton
